#include "app/configura.h"

#include "data/dm.h"
#include "platform/appdir.h"

#include <QPushButton>
#include <QVBoxLayout>

const QString Tfconfigura::archivo_monedero = QStringLiteral("cnfptocaj.ini");
const QString Tfconfigura::archivo_balanza = QStringLiteral("cnfptobal.ini");

Tfconfigura::Tfconfigura(QWidget *parent, EditorDialog editor)
    : ChildWindow(parent),
      m_editor(editor ? std::move(editor) : EditorDialog(&SerialSettingsDialog::edit)),
      m_monedero(new QPushButton(QStringLiteral("F4: Monedero"), this)),
      m_balanza(new QPushButton(QStringLiteral("F7: Balanza"), this))
{
    setWindowTitle(QStringLiteral("Configuración"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_monedero);
    layout->addWidget(m_balanza);
    setFixedSize(240, 110);

    // The buttons must not steal Enter as default buttons of the dialog.
    for (QPushButton *button : {m_monedero, m_balanza})
        button->setAutoDefault(false);
    connect(m_monedero, &QPushButton::clicked, this, &Tfconfigura::monedero);
    connect(m_balanza, &QPushButton::clicked, this, &Tfconfigura::balanza);
    setKeyHandler(Qt::Key_F4, [this] { monedero(); });
    setKeyHandler(Qt::Key_F7, [this] { balanza(); });

    Tfdm::instance().ConfigurarProviders(this);
}

void Tfconfigura::monedero() { configure(QStringLiteral("Monedero"), archivo_monedero); }

void Tfconfigura::balanza() { configure(QStringLiteral("Balanza"), archivo_balanza); }

void Tfconfigura::configure(const QString &device, const QString &fileName)
{
    // A dialog closed without accepting keeps the settings, and the file is written all the same.
    if (std::optional<SerialSettings> edited = m_editor(m_settings, device, this))
        m_settings = *edited;

    // Without an application directory the lookup has told the user; there is nowhere to write.
    const QString path = ApplicationDirectory::fileToWrite(fileName);
    if (path.isEmpty())
        return;
    try {
        saveSerialSettings(m_settings, path);
    } catch (const SerialSettingsError &error) {
        Tfdm::instance().ENoManejada(error.message());
    }
}
