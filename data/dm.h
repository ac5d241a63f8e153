#pragma once

#include "data/configuration.h"
#include "data/context.h"
#include "data/dataset/clientdataset.h"
#include "data/db/connection.h"
#include "data/db/money.h"
#include "platform/statusline.h"

#include <QDate>
#include <QObject>
#include <memory>

// The central data module: the two connections, the sign-in context, the configuration cache,
// the central error handler, the status line and the small services every window calls.
class Tfdm : public QObject {
    Q_OBJECT
public:
    // The first module created; installs the program's date format. One per process.
    explicit Tfdm(QObject *parent = nullptr);
    ~Tfdm() override;
    static Tfdm &instance();

    // Connections. A refused attach throws db::DbError; the caller's unhandled path reports it.
    db::Connection Quorbit;     // company database
    db::Connection ConGeneral;  // general database: users and companies
    db::Connection existencias; // company database for stock queries, when configured
    // Attaches <entry>/datos/general.fdb and records today as the user's last connection.
    void conecte_general(const QString &serverEntry, const QString &user, const QString &password);
    void conecte_empresa(const QString &serverEntry, const QString &company, const QString &user,
                         const QString &password);
    void conecte_existencias(const QString &serverEntry, const QString &company, const QString &user,
                             const QString &password);

    // Sign-in context held here.
    QString usuario;
    QString nombre_usuario;
    QString fecha_trabajo;
    int sucursal = 0;
    int espera_busqueda = 1500;
    QString modulo;
    QString color_encabezado;
    // The main window's half; the rights check reads es_administrador from it.
    ContextoPuntoVenta *principal = nullptr;

    // Shared records over the general and company databases.
    dataset::Provider PCompania;
    dataset::ClientDataSet CCompania;
    dataset::Provider PAgencia;
    dataset::ClientDataSet CAgencia;

    // Positions CAgencia on the user's branch, whose name, address and phones the printed
    // documents show instead of the company's; closed when the user has no branch.
    void cargue_agencia();

    StatusLine &statusLine() { return m_status; }

    // Every window calls this for itself when created.
    void ConfigurarProviders(QObject *owner);

    // The three paths into the central error handler.
    void ManejarError(dataset::Provider &provider, dataset::ClientDataSet &data, const dataset::Error &error);
    void ManejarClientError(dataset::ClientDataSet &data, const dataset::Error &error);
    void ENoManejada(const QString &message);
    void ENoManejada(const db::DbError &error);

    void mostrar_advertencia(const QString &text);
    void mostrar_alerta(const QString &text);
    void mostrar_mensaje();
    void quitar_mensaje();

    bool valide_acceso(const QString &module, int option);
    // Checks a document date in place: the lock date and the latest future date allowed.
    void valide_fecha(QDate &date);
    QString nombre_campo(const QString &column);
    QString nombre_impresora(const QString &logicalName, const QString &current = QString());

    void cargue_configuracion();
    QString configuracion(const QString &module, const QString &group, const QString &key);
    // A flag of the configuration: on exactly for "SI".
    bool opcion(const QString &module, const QString &group, const QString &key);

    QString complete_numero(const QString &text) const;
    QString numero_a_letras(db::Money amount);

    // Today as the program writes dates, "yyyy/mm/dd".
    static QString hoy();
    static QString fecha(const QDate &date);

private:
    void registre_error(const QString &message);
    // Steps of the handler: the log line and the raw message on the status line; the beep and the dialog.
    void anote(const QString &rawMessage);
    void muestre_error(const QString &userMessage);
    void informe(const QString &rawMessage, const QString &userMessage);
    int duracion_mensajes();

    StatusLine m_status;
    ConfigurationCache m_configuracion;
    static Tfdm *s_instance;
};
