#include "app/principal.h"

#include "app/acercade.h"
#include "app/clave.h"
#include "data/dm.h"
#include "platform/dialogs.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPrinter>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

namespace {

const QString kVentanasAbiertas = QStringLiteral("Cierre antes las ventanas de facturas, recibos o egresos.");
constexpr int kColorEncabezado = 15707648;

QLineEdit *campoEncabezado(QFormLayout *form, const QString &caption)
{
    auto *field = new QLineEdit;
    field->setReadOnly(true);
    field->setFocusPolicy(Qt::NoFocus);
    field->setFixedWidth(320);
    form->addRow(caption, field);
    return field;
}

} // namespace

Tfprincipal::Tfprincipal(Tfdm &dm, Ventanas ventanas, const QStringList &arguments, QWidget *parent)
    : QMainWindow(parent), m_dm(dm), m_ventanas(std::move(ventanas)), m_arguments(arguments)
{
    setWindowTitle(QStringLiteral("Quorbit Parqueaderos 2014"));
    primera_activacion = true;
    m_dm.modulo = QStringLiteral("FACTURACION");
    m_dm.principal = &contexto;

    auto *central = new QWidget;
    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(4, 4, 4, 0);
    construya_encabezado(central);

    auto *body = new QHBoxLayout;
    auto *buttons = new QVBoxLayout;
    buttons->addWidget(boton(QStringLiteral("Facturas"), m_ventanas.punto_venta));
    buttons->addWidget(boton(QStringLiteral("Ocupación"), m_ventanas.ocupacion));
    buttons->addWidget(boton(QStringLiteral("Vehículos"), m_ventanas.vehiculos));
    buttons->addWidget(boton(QStringLiteral("Cierre"), m_ventanas.cierre, [this] { abra_cierre(); }));
    buttons->addWidget(boton(QStringLiteral("Facturación"), m_ventanas.facturacion));
    buttons->addWidget(boton(QStringLiteral("Salir"), [](Tfprincipal &p) { p.salir(); }));
    buttons->addStretch();
    body->addLayout(buttons);

    m_workspace = new QMdiArea;
    m_workspace->setBackground(QColor(0xA6, 0xCA, 0xF0).lighter(115));
    body->addWidget(m_workspace, 1);
    layout->addLayout(body, 1);
    setCentralWidget(central);

    // The status panel: the status line and, at its right, the revision text.
    m_estadoTexto = new QLabel;
    m_estadoTexto->setAutoFillBackground(true);
    m_estadoTexto->setMinimumHeight(22);
    statusBar()->addWidget(m_estadoTexto, 1);
    statusBar()->addPermanentWidget(new QLabel(QStringLiteral("REV: 2015/08/04 BD:")));
    statusBar()->setSizeGripEnabled(false);
    connect(&m_dm.statusLine(), &StatusLine::changed, this, &Tfprincipal::pinte_estado);
    connect(&m_dm.statusLine(), &StatusLine::repaintRequested, this, [this] {
        pinte_estado();
        m_estadoTexto->repaint();
    });
    pinte_estado();

    construya_menus();
    connect(m_workspace, &QMdiArea::subWindowActivated, this, &Tfprincipal::actualice_menu_ventana);
    actualice_menu_ventana();
    resize(1024, 700);
}

void Tfprincipal::construya_encabezado(QWidget *parent)
{
    auto *header = new QWidget(parent);
    header->setObjectName(QStringLiteral("encabezado"));
    auto *form = new QFormLayout(header);
    form->setContentsMargins(8, 4, 8, 4);
    m_compania = campoEncabezado(form, QStringLiteral("Compañia:"));
    m_usuario = campoEncabezado(form, QStringLiteral("Usuario:"));
    m_punto = campoEncabezado(form, QStringLiteral("Punto de Venta:"));
    m_vendedor = campoEncabezado(form, QStringLiteral("Vendedor:"));
    m_prefijo = campoEncabezado(form, QStringLiteral("Prefijo:"));
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    // The logo floats over the header, 120 pixels from the right edge (see coloque_logo).
    m_logo = new QLabel(QStringLiteral("Quorbit\nParqueaderos"), parent);
    m_logo->setAlignment(Qt::AlignCenter);
    m_logo->setStyleSheet(QStringLiteral("font: bold 14px; color: #1f4e8c;"));
    m_logo->resize(110, 60);
    static_cast<QVBoxLayout *>(parent->layout())->addWidget(header);
}

QPushButton *Tfprincipal::boton(const QString &caption, const std::function<void(Tfprincipal &)> &abrir,
                                std::function<void()> accion)
{
    auto *button = new QPushButton(caption);
    button->setMinimumSize(110, 48);
    button->setEnabled(bool(abrir));
    if (!accion)
        accion = [this, abrir] {
            if (abrir)
                abrir(*this);
        };
    connect(button, &QPushButton::clicked, this, accion);
    return button;
}

void Tfprincipal::construya_menus()
{
    auto accion = [this](QMenu *menu, const QString &caption, const std::function<void()> &efecto) {
        QAction *a = menu->addAction(caption);
        if (efecto)
            connect(a, &QAction::triggered, this, efecto);
        else
            a->setEnabled(false);
        return a;
    };
    auto abre = [this](const std::function<void(Tfprincipal &)> &abrir) -> std::function<void()> {
        if (!abrir)
            return {};
        return [this, abrir] { abrir(*this); };
    };

    QMenu *archivo = menuBar()->addMenu(QStringLiteral("&Archivo"));
    accion(archivo, QStringLiteral("&Configurar impresora"), [] {
        QPrinter printer;
        Dialogs::current().choosePrinter(printer);
    });
    accion(archivo, QStringLiteral("&Salir"), [this] { salir(); });

    QMenu *vehiculos = menuBar()->addMenu(QStringLiteral("&Vehiculos"));
    accion(vehiculos, QStringLiteral("&Nuevo Vehículo"), abre(m_ventanas.nuevo_vehiculo));
    accion(vehiculos, QStringLiteral("&Buscar vehículos"), abre(m_ventanas.vehiculos));

    // Entries of the suite that do nothing in this program show disabled.
    QMenu *clientes = menuBar()->addMenu(QStringLiteral("&Clientes"));
    accion(clientes, QStringLiteral("&Nuevo Cliente"), {});
    accion(clientes, QStringLiteral("&Buscar cliente  "), {});
    accion(menuBar()->addMenu(QStringLiteral("&Documentos")), QStringLiteral("&Facturas"), {});
    accion(menuBar()->addMenu(QStringLiteral("&Cajeros")), QStringLiteral("&Cajeros"), {});
    QMenu *informes = menuBar()->addMenu(QStringLiteral("&Informes"));
    accion(informes, QStringLiteral("&Cuadre de caja"), {});
    accion(informes, QStringLiteral("&Tarifas"), {});
    accion(informes, QStringLiteral("C&lientes"), {});

    m_menuVentana = menuBar()->addMenu(QStringLiteral("&Ventana"));
    m_accionesVentana = {
        accion(m_menuVentana, QStringLiteral("&Organizar"), [this] { m_workspace->tileSubWindows(); }),
        accion(m_menuVentana, QStringLiteral("C&ascada"), [this] { m_workspace->cascadeSubWindows(); }),
        accion(m_menuVentana, QStringLiteral("&Cerrar"), [this] { m_workspace->closeActiveSubWindow(); }),
        accion(m_menuVentana, QStringLiteral("&Minimizar todas"), [this] {
            for (QMdiSubWindow *w : m_workspace->subWindowList())
                w->showMinimized();
        }),
    };
    m_menuVentana->addSeparator();
    connect(m_menuVentana, &QMenu::aboutToShow, this, &Tfprincipal::actualice_menu_ventana);

    QMenu *ayuda = menuBar()->addMenu(QStringLiteral("A&yuda"));
    // "Contenido" and "Buscar" belong to a help file this program never had; they stay enabled and do nothing.
    ayuda->addAction(QStringLiteral("&Contenido"));
    ayuda->addAction(QStringLiteral("&Buscar"));
    accion(ayuda, QStringLiteral("&Acerca de"), [this] {
        auto *about = new Tfacercade(this);
        about->exec();
    });
}

void Tfprincipal::actualice_menu_ventana()
{
    const QList<QMdiSubWindow *> windows = m_workspace->subWindowList();
    for (QAction *a : std::as_const(m_accionesVentana))
        a->setEnabled(!windows.isEmpty());
    // The list of open windows follows the fixed entries and the separator.
    const QList<QAction *> actions = m_menuVentana->actions();
    for (qsizetype i = m_accionesVentana.size() + 1; i < actions.size(); ++i)
        m_menuVentana->removeAction(actions[i]);
    for (int i = 0; i < windows.size(); ++i) {
        QMdiSubWindow *w = windows[i];
        QAction *a = m_menuVentana->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(w->windowTitle()));
        a->setCheckable(true);
        a->setChecked(w == m_workspace->activeSubWindow());
        connect(a, &QAction::triggered, this, [this, w] { m_workspace->setActiveSubWindow(w); });
    }
}

void Tfprincipal::pinte_estado()
{
    QPalette p = m_estadoTexto->palette();
    p.setColor(QPalette::Window, m_dm.statusLine().colour());
    m_estadoTexto->setPalette(p);
    m_estadoTexto->setText(m_dm.statusLine().text());
}

bool Tfprincipal::event(QEvent *e)
{
    const bool handled = QMainWindow::event(e);
    // Shown or activated: the sign-in runs once the window is on screen.
    if ((e->type() == QEvent::WindowActivate || e->type() == QEvent::Show) && primera_activacion)
        QTimer::singleShot(0, this, &Tfprincipal::activar);
    if (e->type() == QEvent::Resize || e->type() == QEvent::Show)
        coloque_logo();
    return handled;
}

void Tfprincipal::coloque_logo() { m_logo->move(centralWidget()->width() - 120, 8); }

void Tfprincipal::activar()
{
    if (!primera_activacion || m_estado != Estado::Creada)
        return;
    contexto.punto_venta = m_arguments.value(1);
    coloque_logo();

    m_estado = Estado::Ingresando;
    if (!m_ventanas.acceso || !m_ventanas.acceso(*this)) {
        m_estado = Estado::Terminada;
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        return;
    }
    m_usuario->setText(m_dm.nombre_usuario);
    m_compania->setText(m_dm.configuracion(QStringLiteral("GENERAL"), QStringLiteral("GENERAL"),
                                           QStringLiteral("NOMBRE COMPAÑIA")));
    m_punto->setText(contexto.punto_venta);
    m_vendedor->setText(contexto.nombre_vendedor);
    m_prefijo->setText(contexto.prefijo);
    primera_activacion = false;
    m_dm.color_encabezado = QString::number(kColorEncabezado);
    lea_opciones();
    m_estado = Estado::Trabajando;
    if (m_ventanas.punto_venta)
        m_ventanas.punto_venta(*this);
}

void Tfprincipal::lea_opciones()
{
    const QString fact = QStringLiteral("FACTURACION");
    const QString pos = QStringLiteral("POS");
    // Keys nothing acts on are still read: a missing one shows the store's message.
    m_dm.configuracion(fact, pos, QStringLiteral("CAPTURAR SOLO CODIGOS DE BARRAS"));
    m_dm.configuracion(fact, pos, QStringLiteral("PERMITIR MODIFICAR PRECIOS"));
    contexto.imprimir_al_grabar = m_dm.opcion(fact, pos, QStringLiteral("IMPRIMIR AUTOMATICAMENTE AL GRABAR LA FACTURA"));
    contexto.numeracion_formas_pago = m_dm.opcion(QStringLiteral("CAJA"), QStringLiteral("RECIBOS"),
                                                  QStringLiteral("USAR NUMERACION CONSECUTIVA PARA LAS FORMAS DE PAGO"));
    m_dm.configuracion(fact, pos, QStringLiteral("PERMITIR TRAER CODIGOS DE ARTICULOS DESDE LA BUSQUEDA"));
    m_dm.configuracion(fact, pos, QStringLiteral("HABILITAR UNIDADES ALTERNATIVAS"));
    m_dm.configuracion(fact, pos, QStringLiteral("PERMITIR PRECIOS DE VENTA EN CERO"));
    contexto.recibido_menor = m_dm.opcion(fact, pos, QStringLiteral("PERMITIR VALOR RECIBIDO MENOR AL VALOR DE LA FACTURA"));
}

bool Tfprincipal::autorizacion_cierre()
{
    return Tfclave::autorice(m_dm, this);
}

void Tfprincipal::abra_cierre()
{
    if (!m_ventanas.cierre)
        return;
    if (m_dm.valide_acceso(QStringLiteral("FACTURACION"), 115) || autorizacion_cierre())
        m_ventanas.cierre(*this);
}

void Tfprincipal::salir() { close(); }

void Tfprincipal::closeEvent(QCloseEvent *e)
{
    if (!m_workspace->subWindowList().isEmpty()) {
        Dialogs::current().information(kVentanasAbiertas);
        e->ignore();
        return;
    }
    e->accept();
}
