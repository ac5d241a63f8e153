#include "app/clave.h"

#include "data/dm.h"
#include "platform/dialogs.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

Tfclave::Tfclave(Tfdm &dm, QWidget *parent)
    : ChildWindow(parent), m_dm(dm)
{
    setWindowTitle(QStringLiteral("Validación de acceso"));
    m_dm.ConfigurarProviders(this);

    auto *layout = new QVBoxLayout(this);
    auto *grupo = new QGroupBox(QStringLiteral("Validación de acceso"), this);
    auto *fila = new QHBoxLayout(grupo);
    fila->addWidget(new QLabel(QStringLiteral("Clave:"), grupo));
    m_clave = new QLineEdit(grupo);
    m_clave->setObjectName(QStringLiteral("clave"));
    m_clave->setEchoMode(QLineEdit::Password);
    m_clave->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));  // '*'
    fila->addWidget(m_clave);
    layout->addWidget(grupo);

    auto *botones = new QHBoxLayout;
    m_autoriza = new QPushButton(QStringLiteral("Autoriza"), this);
    m_autoriza->setObjectName(QStringLiteral("autoriza"));
    m_cancela = new QPushButton(QStringLiteral("Cancela"), this);
    m_cancela->setObjectName(QStringLiteral("cancela"));
    for (QPushButton *b : {m_autoriza, m_cancela}) {
        b->setFocusPolicy(Qt::NoFocus);
        b->setAutoDefault(false);
        botones->addWidget(b);
    }
    layout->addLayout(botones);

    connect(m_autoriza, &QPushButton::clicked, this, [this] { autoriza(); });
    connect(m_cancela, &QPushButton::clicked, this, [this] { cancela(); });
    setKeyHandler(Qt::Key_F2, [this] { autoriza(); });
    setKeyHandler(Qt::Key_Escape, [this] { cancela(); });
    m_clave->setFocus();
}

bool Tfclave::autorice(Tfdm &dm, QWidget *parent)
{
    auto *dialogo = new Tfclave(dm, parent);
    return dialogo->exec() == QDialog::Accepted;
}

void Tfclave::autoriza()
{
    const QString clave = m_dm.configuracion(QStringLiteral("FACTURACION"), QStringLiteral("DOCUMENTOS"),
                                             QStringLiteral("CLAVE ADMINISTRADOR PARA GENERAR EL CIERRE FACTURACION DEL POS"));
    if (m_clave->text() == clave) {
        done(QDialog::Accepted);
        return;
    }
    Dialogs::current().information(
        QStringLiteral("La clave de cierre proporcionada es incorrecta. Consulte son su administrador."));
    m_clave->clear();
    m_clave->setFocus();
}

void Tfclave::cancela() { done(QDialog::Rejected); }
