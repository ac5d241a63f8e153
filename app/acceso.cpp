#include "app/acceso.h"

#include "app/configura.h"
#include "data/configuration.h"
#include "data/context.h"
#include "data/dm.h"
#include "data/sqltext.h"
#include "platform/appdir.h"
#include "platform/dialogs.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QFocusEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStringDecoder>
#include <QVBoxLayout>

// ---------------------------------------------------------------- server list

namespace {

constexpr int longitudMaximaServidor = 255;

QString decodifique(const QByteArray &linea)
{
    // Written by hand on Windows (ANSI) or on Linux (UTF-8): take UTF-8 when the bytes are valid.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString texto = utf8.decode(linea);
    return utf8.hasError() ? QString::fromLatin1(linea) : texto;
}

} // namespace

QStringList lea_servidores(const QByteArray &bytes)
{
    QStringList entradas;
    QByteArray linea;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes.at(i);
        if (c == '\r' || c == '\n') {
            entradas.append(decodifique(linea).left(longitudMaximaServidor));
            linea.clear();
            // The line feed of a CR LF pair; any other byte after a lone CR starts the next line.
            if (c == '\r' && i + 1 < bytes.size() && bytes.at(i + 1) == '\n')
                ++i;
        } else {
            linea.append(c);
        }
    }
    return entradas;
}

QStringList lea_servidores_archivo(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return lea_servidores(file.readAll());
}

// ---------------------------------------------------------------- window

namespace {

// Marks a step as running for the duration of a scope.
class Ocupado {
public:
    explicit Ocupado(bool &flag) : m_flag(flag), m_anterior(flag) { m_flag = true; }
    ~Ocupado() { m_flag = m_anterior; }

private:
    bool &m_flag;
    bool m_anterior;
};

QLabel *etiqueta(const QString &texto, QWidget *parent)
{
    auto *label = new QLabel(texto, parent);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

void muestre(const QString &texto) { Dialogs::current().information(texto); }

} // namespace

Tfacceso::Tfacceso(Tfdm &dm, ContextoPuntoVenta &pos, QWidget *parent)
    : ChildWindow(parent),
      m_dm(dm),
      m_pos(pos),
      PPtosventa(QStringLiteral("PPtosventa"), QStringLiteral("TPtosventa"),
                 [&dm]() -> db::Connection & { return dm.Quorbit; }, this),
      CPtosventa(QStringLiteral("CPtosventa"), this),
      PVendedores(QStringLiteral("PVendedores"), QStringLiteral("TVendedores"),
                  [&dm]() -> db::Connection & { return dm.Quorbit; }, this),
      CVendedores(QStringLiteral("CVendedores"), this),
      PPrefijos(QStringLiteral("PPrefijos"), QStringLiteral("QPrefijos"),
                [&dm]() -> db::Connection & { return dm.Quorbit; }, this),
      CPrefijos(QStringLiteral("CPrefijos"), this),
      PListas(QStringLiteral("PListas"), QStringLiteral("TListas"),
              [&dm]() -> db::Connection & { return dm.Quorbit; }, this),
      CListas(QStringLiteral("CListas"), this),
      PBorrar(QStringLiteral("PBorrar"), QStringLiteral("QBorrar"),
              [&dm]() -> db::Connection & { return dm.Quorbit; }, this),
      CBorrar(QStringLiteral("CBorrar"), this)
{
    CPtosventa.setProvider(&PPtosventa);
    CVendedores.setProvider(&PVendedores);
    CPrefijos.setProvider(&PPrefijos);
    CListas.setProvider(&PListas);
    CBorrar.setProvider(&PBorrar);
    m_dm.ConfigurarProviders(this);
    if (!m_dm.principal)
        m_dm.principal = &m_pos;

    construya();

    m_servidor->addItems(lea_servidores_archivo(ApplicationDirectory::filePath(QStringLiteral("SERVIDORES.cfg"))));
    if (m_servidor->count() > 0)
        m_servidor->setCurrentIndex(0);
    m_fecha->setDate(QDate::currentDate());

    setKeyHandler(Qt::Key_F2, [this] {
        if (m_entrar->isEnabled())
            entre();
    });
    setKeyHandler(Qt::Key_F9, [this] {
        if (m_configura->isEnabled())
            configure();
    });
    setKeyHandler(Qt::Key_Escape, [this] { salga(); });
    connect(m_entrar, &QPushButton::clicked, this, [this] { entre(); });
    connect(m_salir, &QPushButton::clicked, this, [this] { salga(); });
    connect(m_configura, &QPushButton::clicked, this, [this] { configure(); });
    connect(m_puntoVenta, &QComboBox::activated, this, [this] { elija_punto_venta(); });
    connect(m_prefijo, &QComboBox::activated, this, [this] { elija_prefijo(); });

    m_usuario->installEventFilter(this);
    m_clave->installEventFilter(this);
    m_compania->installEventFilter(this);
    m_usuario->setFocus();
}

void Tfacceso::construya()
{
    setWindowTitle(QStringLiteral("Quorbit - Punto de venta"));

    auto *principal = new QHBoxLayout(this);

    // Left side: logo and edition.
    auto *lado = new QVBoxLayout;
    auto *logo = new QLabel(QStringLiteral("Quorbit"), this);
    logo->setObjectName(QStringLiteral("logo"));
    logo->setFrameShape(QFrame::Box);
    logo->setAlignment(Qt::AlignCenter);
    logo->setMinimumSize(140, 110);
    QFont grande = logo->font();
    grande.setPointSize(grande.pointSize() + 6);
    grande.setBold(true);
    logo->setFont(grande);
    lado->addWidget(logo);
    lado->addWidget(new QLabel(QStringLiteral("PARQUEADEROS VERSION 2014"), this));
    lado->addWidget(new QLabel(QStringLiteral("Revisión: 2015/08/04"), this));
    lado->addStretch();
    principal->addLayout(lado);

    auto *derecha = new QVBoxLayout;
    auto *campos = new QGridLayout;

    m_servidor = new QComboBox(this);
    m_servidor->setObjectName(QStringLiteral("servidor"));
    m_servidor->setMinimumWidth(260);
    m_usuario = new QLineEdit(this);
    m_usuario->setObjectName(QStringLiteral("usuario"));
    m_usuario->setMaxLength(10);
    m_nombreUsuario = new QLineEdit(this);
    m_nombreUsuario->setObjectName(QStringLiteral("nombreUsuario"));
    m_nombreUsuario->setReadOnly(true);
    m_nombreUsuario->setFocusPolicy(Qt::NoFocus);
    m_nombreUsuario->setMinimumWidth(240); // user and company names are up to 60 and 80 characters
    m_clave = new QLineEdit(this);
    m_clave->setObjectName(QStringLiteral("clave"));
    m_clave->setEchoMode(QLineEdit::Password);
    m_clave->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));  // '*'
    m_compania = new QLineEdit(this);
    m_compania->setObjectName(QStringLiteral("compania"));
    m_nombreCompania = new QLineEdit(this);
    m_nombreCompania->setObjectName(QStringLiteral("nombreCompania"));
    m_nombreCompania->setReadOnly(true);
    m_nombreCompania->setFocusPolicy(Qt::NoFocus);
    m_nombreCompania->setMinimumWidth(240);
    m_puntoVenta = new QComboBox(this);
    m_puntoVenta->setObjectName(QStringLiteral("puntoVenta"));
    m_vendedor = new QComboBox(this);
    m_vendedor->setObjectName(QStringLiteral("vendedor"));
    m_prefijo = new QComboBox(this);
    m_prefijo->setObjectName(QStringLiteral("prefijo"));
    m_listaPrecios = new QComboBox(this);
    m_listaPrecios->setObjectName(QStringLiteral("listaPrecios"));
    m_fecha = new QDateEdit(this);
    m_fecha->setObjectName(QStringLiteral("fecha"));
    m_fecha->setCalendarPopup(true);

    // Chosen only once the company is connected.
    m_puntoVenta->setEnabled(false);
    m_vendedor->setEnabled(false);
    m_prefijo->setEnabled(false);

    int fila = 0;
    campos->addWidget(etiqueta(QStringLiteral("Servidor : "), this), fila, 0);
    campos->addWidget(m_servidor, fila++, 1, 1, 2);
    campos->addWidget(etiqueta(QStringLiteral("Usuario:"), this), fila, 0);
    campos->addWidget(m_usuario, fila, 1);
    campos->addWidget(m_nombreUsuario, fila++, 2);
    campos->addWidget(etiqueta(QStringLiteral("Clave : "), this), fila, 0);
    campos->addWidget(m_clave, fila++, 1);
    campos->addWidget(etiqueta(QStringLiteral("Compañía:"), this), fila, 0);
    campos->addWidget(m_compania, fila, 1);
    campos->addWidget(m_nombreCompania, fila++, 2);
    auto *puntoCaption = new QVBoxLayout;
    puntoCaption->setSpacing(0);
    puntoCaption->addWidget(etiqueta(QStringLiteral("Punto de Venta:"), this));
    puntoCaption->addWidget(etiqueta(QStringLiteral("(Cobrador)"), this));
    campos->addLayout(puntoCaption, fila, 0);
    campos->addWidget(m_puntoVenta, fila++, 1, 1, 2);
    campos->addWidget(etiqueta(QStringLiteral("Vendedor:"), this), fila, 0);
    campos->addWidget(m_vendedor, fila++, 1, 1, 2);
    campos->addWidget(etiqueta(QStringLiteral("Prefijo:"), this), fila, 0);
    campos->addWidget(m_prefijo, fila++, 1);
    campos->addWidget(etiqueta(QStringLiteral("Lista precios:"), this), fila, 0);
    campos->addWidget(m_listaPrecios, fila++, 1, 1, 2);
    campos->addWidget(etiqueta(QStringLiteral("Fecha:"), this), fila, 0);
    campos->addWidget(m_fecha, fila++, 1);
    derecha->addLayout(campos);

    m_aviso = new QLabel(this);
    m_aviso->setObjectName(QStringLiteral("aviso"));
    m_aviso->setAlignment(Qt::AlignCenter);
    m_aviso->setFrameShape(QFrame::Panel);
    m_aviso->setStyleSheet(QStringLiteral("background: #fff8c0; padding: 6px;"));
    m_aviso->hide();
    derecha->addWidget(m_aviso);

    auto *botones = new QHBoxLayout;
    m_entrar = new QPushButton(QStringLiteral("F2: Entrar"), this);
    m_entrar->setObjectName(QStringLiteral("entrar"));
    m_salir = new QPushButton(QStringLiteral("Esc: Salir"), this);
    m_salir->setObjectName(QStringLiteral("salir"));
    m_configura = new QPushButton(QStringLiteral("F9:Configura"), this);
    m_configura->setObjectName(QStringLiteral("configura"));
    for (QPushButton *b : {m_entrar, m_salir, m_configura}) {
        // Pressing a button must not count as leaving the field being typed in.
        b->setFocusPolicy(Qt::NoFocus);
        b->setAutoDefault(false);
        botones->addWidget(b);
    }
    m_entrar->setEnabled(false);
    m_configura->setEnabled(false);
    derecha->addLayout(botones);
    principal->addLayout(derecha);

    setTabOrder(m_servidor, m_usuario);
    setTabOrder(m_usuario, m_clave);
    setTabOrder(m_clave, m_compania);
    setTabOrder(m_compania, m_puntoVenta);
    setTabOrder(m_puntoVenta, m_vendedor);
    setTabOrder(m_vendedor, m_prefijo);
    setTabOrder(m_prefijo, m_listaPrecios);
    setTabOrder(m_listaPrecios, m_fecha);
}

bool Tfacceso::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusOut && !m_ocupado && !m_cerrando) {
        // Switching to another window or a popup is not leaving the field.
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        const bool sale = reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason &&
                          reason != Qt::MenuBarFocusReason;
        if (sale) {
            if (watched == m_usuario)
                salga_usuario();
            else if (watched == m_clave)
                valide_clave();
            else if (watched == m_compania && valide_compania() && reason == Qt::TabFocusReason) {
                // Going on from the company: the lookups it just unlocked come next.
                for (QWidget *siguiente : std::initializer_list<QWidget *>{m_puntoVenta, m_vendedor, m_prefijo,
                                                                          m_listaPrecios, m_fecha}) {
                    if (siguiente->isEnabled()) {
                        siguiente->setFocus(Qt::TabFocusReason);
                        break;
                    }
                }
            }
        }
    }
    return ChildWindow::eventFilter(watched, event);
}

void Tfacceso::done(int result)
{
    m_cerrando = true;
    ChildWindow::done(result);
}

QString Tfacceso::servidor() const { return m_servidor->currentText(); }

void Tfacceso::abra(dataset::ClientDataSet &data, const QString &sql)
{
    data.close();
    data.setCommandText(sql);
    data.open();
    data.fetchAll();
    data.first();
}

void Tfacceso::llene(QComboBox *lista, dataset::ClientDataSet &data, const QString &texto, const QString &clave)
{
    lista->clear();
    for (int i = 0; i < data.rowCount(); ++i) {
        data.setCurrentRow(i);
        lista->addItem(data.value(texto).toString(), data.value(clave).toString());
    }
    lista->setCurrentIndex(lista->count() > 0 ? 0 : -1);
}

QString Tfacceso::filtro_sucursal() const
{
    return m_dm.sucursal != 0 ? QStringLiteral("SUCU_ID = ") + QString::number(m_dm.sucursal) : QString();
}

// ---------------------------------------------------------------- user and password

void Tfacceso::salga_usuario() { m_usuario->setText(m_usuario->text().toUpper()); }

bool Tfacceso::valide_clave()
{
    Ocupado ocupado(m_ocupado);
    const QString usuario = m_usuario->text().toUpper();
    if (usuario.isEmpty()) {
        muestre(QStringLiteral("Debe indicar antes el código del usuario."));
        m_usuario->setFocus();
        return false;
    }
    if (m_clave->text().isEmpty()) {
        muestre(QStringLiteral("La clave no puede ser vacía."));
        m_clave->setFocus();
        return false;
    }

    // Whatever the previous user unlocked goes with the old connection.
    m_nombreUsuario->clear();
    m_configura->setEnabled(false);
    m_pos.es_administrador = false;
    m_usuarioConectado.clear();
    m_claveConectada.clear();
    descargue_compania();
    m_dm.CCompania.close();

    try {
        m_dm.conecte_general(servidor(), usuario, m_clave->text());
        m_usuarioConectado = usuario;
        m_claveConectada = m_clave->text();
        const db::Row row = m_dm.ConGeneral.queryFirst(
            QStringLiteral("select usua_nombre, usua_admin from usuario where usua_cod = ") + sqltext::text(usuario));
        if (!row.isEmpty()) {
            m_nombreUsuario->setText(row.at(0).toString());
            if (row.at(1).toString() == QLatin1String("S")) {
                m_configura->setEnabled(true);
                m_pos.es_administrador = true;
            }
        }
    } catch (const db::DbError &e) {
        m_dm.ENoManejada(e);
        // A refused connection keeps the cashier on the password, to type it again.
        m_clave->setFocus();
        return false;
    }
    return true;
}

// ---------------------------------------------------------------- company

void Tfacceso::descargue_compania()
{
    m_entrar->setEnabled(false);
    for (QComboBox *lookup : {m_puntoVenta, m_vendedor, m_prefijo}) {
        lookup->clear();
        lookup->setEnabled(false);
    }
    m_listaPrecios->clear();
    m_listaPrecios->setEnabled(true);
    m_autorizaciones.clear();
    m_actual = -1;
    for (dataset::ClientDataSet *data : {&CPtosventa, &CVendedores, &CPrefijos, &CListas, &CBorrar})
        data->close();
}

bool Tfacceso::valide_compania()
{
    Ocupado ocupado(m_ocupado);
    const QString codigo = m_compania->text();
    if (codigo.isEmpty()) {
        muestre(QStringLiteral("Debe indicar antes el código de la compañía."));
        m_compania->setFocus();
        return false;
    }

    try {
        const db::Row row = m_dm.ConGeneral.queryFirst(
            QStringLiteral("select com_nombre from compania where comp_cod = ") + sqltext::text(codigo));
        if (row.isEmpty()) {
            muestre(QStringLiteral("Compañía no encontrada."));
            m_compania->clear();
            m_compania->setFocus();
            return false;
        }
        const QString nombre = row.at(0).toString();
        m_nombreCompania->setText(nombre);
        m_aviso->setText(QStringLiteral("Conectando a la base de datos ") + nombre + QStringLiteral(" ..."));
        m_aviso->show();
        m_aviso->repaint();

        m_dm.CCompania.open();
        m_dm.CCompania.locate(QStringLiteral("COMP_COD"), codigo.trimmed());

        descargue_compania();
        m_dm.conecte_empresa(servidor(), codigo, m_usuarioConectado, m_claveConectada);
        m_dm.cargue_configuracion();
        m_dm.espera_busqueda =
            toInteger(m_dm.configuracion(QStringLiteral("GENERAL"), QStringLiteral("GENERAL"),
                                         QStringLiteral("DURACION DE LAS BUSQUEDAS"))) * 1000;

        if (!m_dm.Quorbit.isOpen()) {
            m_aviso->hide();
            return false;
        }
        const QString existencias = m_dm.configuracion(QStringLiteral("INVENTARIO"), QStringLiteral("EXISTENCIAS"),
                                                       QStringLiteral("CODIGO COMPAÑIA CONSULTA EXISTENCIAS"));
        if (!existencias.isEmpty())
            m_dm.conecte_existencias(servidor(), existencias, m_usuarioConectado, m_claveConectada);
        m_aviso->hide();

        const db::Row usuario = m_dm.Quorbit.queryFirst(QStringLiteral("select * from usuario where user_cod = ") +
                                                        sqltext::text(m_usuarioConectado));
        if (usuario.isEmpty()) {
            Dialogs::current().error(QStringLiteral("El usuario no esta registrado en la compañia"));
            m_compania->clear();
            m_compania->setFocus();
            return false;
        }
        m_dm.sucursal = int(usuario.value(QStringLiteral("SUCU_ID")).toInt());
        m_dm.cargue_agencia();
        m_puntoVenta->setEnabled(true);
        m_vendedor->setEnabled(true);
        m_prefijo->setEnabled(true);
        m_fecha->setReadOnly(m_dm.opcion(QStringLiteral("FACTURACION"), QStringLiteral("DOCUMENTOS"),
                                         QStringLiteral("INHABILITAR FECHA EN DOCUMENTOS")));
        cargue_puntos_venta();
        cargue_listas_precios();
        m_entrar->setEnabled(true);
    } catch (const db::DbError &e) {
        m_aviso->hide();
        m_dm.ENoManejada(e);
        m_compania->setFocus();
        return false;
    } catch (const ConversionError &e) {
        m_aviso->hide();
        m_dm.ENoManejada(e.message());
        m_compania->setFocus();
        return false;
    }
    return true;
}

void Tfacceso::cargue_puntos_venta()
{
    const QString filtro = filtro_sucursal();
    abra(CPtosventa, QStringLiteral("SELECT * FROM PUNTO_VENTA") +
                         (filtro.isEmpty() ? QString() : QStringLiteral(" WHERE ") + filtro) +
                         QStringLiteral(" ORDER BY PTVT_ID"));
    llene(m_puntoVenta, CPtosventa, QStringLiteral("PTVT_NOM"), QStringLiteral("PTVT_ID"));
    if (!m_pos.punto_venta.isEmpty()) {
        // The workstation's point of sale, fixed from the command line.
        m_puntoVenta->setCurrentIndex(m_puntoVenta->findData(m_pos.punto_venta.trimmed()));
        m_puntoVenta->setEnabled(false);
    }
    elija_punto_venta();
}

void Tfacceso::cargue_listas_precios()
{
    const QString filtro = filtro_sucursal();
    abra(CListas, QStringLiteral("SELECT * FROM LISTA_PRECIOS") +
                      (filtro.isEmpty() ? QString() : QStringLiteral(" WHERE ") + filtro) +
                      QStringLiteral(" ORDER BY LIPR_COD"));
    llene(m_listaPrecios, CListas, QStringLiteral("LIPR_NOM"), QStringLiteral("LIPR_COD"));
    m_listaPrecios->setEnabled(m_listaPrecios->count() != 1);
}

// ---------------------------------------------------------------- point of sale and prefix

void Tfacceso::elija_punto_venta()
{
    Ocupado ocupado(m_ocupado);
    const QString punto = m_puntoVenta->currentData().toString();
    const bool hay = !punto.isEmpty() && CPtosventa.locate(QStringLiteral("PTVT_ID"), db::Value(punto.toInt()));
    m_pos.nit_punto_venta = hay ? CPtosventa.value(QStringLiteral("TERC_NIT")).toString() : QString();
    const QString prefijoPunto = hay ? CPtosventa.value(QStringLiteral("PREF_PRE")).toString().trimmed() : QString();
    try {
        cargue_vendedores(punto);
        cargue_prefijos(prefijoPunto);
    } catch (const db::DbError &e) {
        m_dm.ENoManejada(e);
    }
    elija_prefijo();
}

void Tfacceso::cargue_vendedores(const QString &punto)
{
    m_vendedor->clear();
    if (punto.isEmpty()) {
        CVendedores.close();
        return;
    }
    QString filtro = filtro_sucursal();
    if (m_dm.opcion(QStringLiteral("FACTURACION"), QStringLiteral("FACTURAS"),
                    QStringLiteral("RESTRINGIR VENDEDORES POR PUNTO DE VENTA"))) {
        if (!filtro.isEmpty())
            filtro += QStringLiteral(" AND ");
        filtro += QStringLiteral("VEND_ESTADO = 'A' and PTVT_ID = ") + QString::number(punto.toInt());
    }
    QString sql = QStringLiteral("SELECT * FROM VENDEDORES");
    if (!filtro.isEmpty())
        sql += QStringLiteral(" WHERE ") + filtro;
    abra(CVendedores, sql + QStringLiteral(" ORDER BY VEND_COD"));
    llene(m_vendedor, CVendedores, QStringLiteral("VEND_NOMBRE"), QStringLiteral("VEND_COD"));
}

void Tfacceso::cargue_prefijos(const QString &prefijoPunto)
{
    m_prefijo->clear();
    m_autorizaciones.clear();
    abra(CPrefijos, QStringLiteral(
                        "select p.pref_pre, pref_actual, auto_fecha, auto_vence, auto_inicial, auto_final, "
                        "pref_ivainc, auto_items, auto_contado, sucu_id from autorizaciones a, prefijos p "
                        "where a.pref_pre = p.pref_pre and p.tido_cod=31 and p.pref_actual <= a.auto_final "
                        "and pref_actual >= auto_inicial"));
    for (int i = 0; i < CPrefijos.rowCount(); ++i) {
        CPrefijos.setCurrentRow(i);
        if (m_dm.sucursal != 0 && CPrefijos.value(QStringLiteral("SUCU_ID")).toInt() != m_dm.sucursal)
            continue;
        Autorizacion a;
        a.prefijo = CPrefijos.value(QStringLiteral("PREF_PRE")).toString();
        a.fecha = CPrefijos.value(QStringLiteral("AUTO_FECHA")).toDate();
        a.vence = CPrefijos.value(QStringLiteral("AUTO_VENCE")).toDate();
        m_prefijo->addItem(a.prefijo, int(m_autorizaciones.size()));
        m_autorizaciones.push_back(a);
    }
    if (!prefijoPunto.isEmpty()) {
        // The point of sale's own prefix, listed or not; unlisted it has no authorisation.
        int indice = m_prefijo->findText(prefijoPunto);
        if (indice < 0) {
            m_prefijo->addItem(prefijoPunto, -1);
            indice = m_prefijo->count() - 1;
        }
        m_prefijo->setCurrentIndex(indice);
        m_prefijo->setEnabled(false);
    } else {
        m_prefijo->setCurrentIndex(m_prefijo->count() > 0 ? 0 : -1);
        m_prefijo->setEnabled(m_prefijo->count() != 1);
    }
}

void Tfacceso::elija_prefijo()
{
    m_actual = m_prefijo->currentIndex() < 0 ? -1 : m_prefijo->currentData().toInt();
}

const Tfacceso::Autorizacion *Tfacceso::autorizacion_actual() const
{
    if (m_actual < 0 || m_actual >= int(m_autorizaciones.size()))
        return nullptr;
    return &m_autorizaciones[std::size_t(m_actual)];
}

// ---------------------------------------------------------------- buttons

void Tfacceso::entre()
{
    if (!m_entrar->isEnabled())
        return;
    Ocupado ocupado(m_ocupado);
    const QDate fecha = m_fecha->date();
    const Autorizacion *autorizacion = autorizacion_actual();
    const bool valida = autorizacion && autorizacion->fecha.isValid() && autorizacion->vence.isValid() &&
                        autorizacion->fecha <= fecha && fecha <= autorizacion->vence;
    if (!valida) {
        muestre(QStringLiteral("La fecha no es válida para la autorización."));
        m_fecha->setDate(QDate::currentDate());
        done(QDialog::Rejected);
        return;
    }

    try {
        abra(CBorrar, QStringLiteral("select count(fact_id) from facturas where fact_fecha > ") + sqltext::date(fecha));
        const qint64 posteriores = CBorrar.isEmpty() ? 0 : CBorrar.valueAt(0, 0).toInt();
        CBorrar.close();
        if (posteriores >= 1 &&
            !Dialogs::current().askYesNo(QStringLiteral("Hay facturas de fecha posterior a ") + sqltext::date(fecha) +
                                         QStringLiteral(". Esta seguro de continuar?")))
            return;

        if (fecha.daysTo(autorizacion->vence) < 10)
            m_dm.mostrar_alerta(QStringLiteral("Su autorización de numeración se vence el ") +
                                Tfdm::fecha(autorizacion->vence));

        m_dm.usuario = m_usuarioConectado;
        m_dm.nombre_usuario = m_nombreUsuario->text();
        m_dm.fecha_trabajo = Tfdm::fecha(fecha);
        const QString punto = m_puntoVenta->currentData().toString();
        if (!punto.isEmpty() && CPtosventa.locate(QStringLiteral("PTVT_ID"), db::Value(punto.toInt()))) {
            m_pos.punto_venta = CPtosventa.value(QStringLiteral("PTVT_ID")).toString();
            m_pos.caja = CPtosventa.value(QStringLiteral("CAJA_ID")).toString();
            m_pos.bodega = CPtosventa.value(QStringLiteral("BODE_COD")).toString();
            m_pos.puerto_cajon = CPtosventa.value(QStringLiteral("PTVT_MONPTO")).toString();
        }
        // Two cashiers may share a name: the first one loaded wins, whichever was picked.
        m_pos.nombre_vendedor = m_vendedor->currentText();
        m_pos.vendedor = 0;
        for (int i = 0; i < CVendedores.rowCount(); ++i) {
            if (CVendedores.valueAt(i, CVendedores.fieldIndex(QStringLiteral("VEND_NOMBRE"))).toString() ==
                m_pos.nombre_vendedor) {
                m_pos.vendedor = int(CVendedores.valueAt(i, CVendedores.fieldIndex(QStringLiteral("VEND_COD"))).toInt());
                break;
            }
        }
        m_pos.prefijo = m_prefijo->currentText();

        CBorrar.close();
        CBorrar.setCommandText(
            QStringLiteral("INSERT INTO AUDITORIA(TIDO_COD, AUDI_IDDOC, AUDI_OPER, AUDI_COD) VALUES (131, 0, 'I', ") +
            sqltext::text(m_dm.usuario) + QStringLiteral(")"));
        CBorrar.execute();
        CBorrar.close();
    } catch (const db::DbError &e) {
        m_dm.ENoManejada(e);
        return;
    }
    done(QDialog::Accepted);
}

void Tfacceso::salga() { done(QDialog::Rejected); }

void Tfacceso::configure()
{
    if (!m_configura->isEnabled())
        return;
    Ocupado ocupado(m_ocupado);
    auto *ventana = new Tfconfigura(this);
    ventana->exec();
}
