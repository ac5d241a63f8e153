#pragma once

#include "platform/childwindow.h"
#include "platform/serialsettings.h"

#include <functional>
#include <optional>

class QPushButton;

// The device configuration window: the serial settings of the cash drawer ("cnfptocaj.ini")
// and of the scale ("cnfptobal.ini") in the application directory.
class Tfconfigura : public ChildWindow {
    Q_OBJECT
public:
    // Shows the settings dialog for `device` starting from `current`; the edited settings, or
    // nullopt when the dialog was closed without accepting.
    using EditorDialog = std::function<std::optional<SerialSettings>(const SerialSettings &current,
                                                                     const QString &device, QWidget *parent)>;

    static const QString archivo_monedero;  // "cnfptocaj.ini"
    static const QString archivo_balanza;   // "cnfptobal.ini"

    // Without an editor the real SerialSettingsDialog is used.
    explicit Tfconfigura(QWidget *parent = nullptr, EditorDialog editor = {});

    // The one settings object both buttons edit.
    const SerialSettings &settings() const { return m_settings; }

    void monedero();  // F4
    void balanza();   // F7

    QPushButton *botonMonedero() const { return m_monedero; }
    QPushButton *botonBalanza() const { return m_balanza; }

private:
    void configure(const QString &device, const QString &fileName);

    EditorDialog m_editor;
    SerialSettings m_settings;
    QPushButton *m_monedero;
    QPushButton *m_balanza;
};
