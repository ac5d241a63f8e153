#pragma once

#include "platform/childwindow.h"

class QLineEdit;
class QPushButton;
class Tfdm;

// The supervisor password asked before the cash closing when the user lacks the closing right.
// Closes with Accepted exactly when the typed text equals the configured closing password.
class Tfclave : public ChildWindow {
    Q_OBJECT
public:
    explicit Tfclave(Tfdm &dm, QWidget *parent = nullptr);

    // Shows the dialog modally; true when it closed with OK.
    static bool autorice(Tfdm &dm, QWidget *parent = nullptr);

    void autoriza();  // "Autoriza", F2
    void cancela();   // "Cancela", Esc

private:
    Tfdm &m_dm;
    QLineEdit *m_clave;
    QPushButton *m_autoriza;
    QPushButton *m_cancela;
};
