#pragma once

#include "data/dataset/clientdataset.h"
#include "platform/childwindow.h"

#include <QByteArray>
#include <QDate>
#include <QStringList>
#include <vector>

class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class Tfdm;
struct ContextoPuntoVenta;

// The entries of "SERVIDORES.cfg": one per ended line (CR, LF or CR LF), empty lines included,
// text after the last line end dropped, at most 255 characters kept per line.
QStringList lea_servidores(const QByteArray &bytes);
// The same from a file; a file that cannot be read gives no entries and no message.
QStringList lea_servidores_archivo(const QString &path);

// The sign-in window. exec() returns QDialog::Accepted only after the whole signed-in context
// (Tfdm and ContextoPuntoVenta) is filled; any other result means the program must end.
class Tfacceso : public ChildWindow {
    Q_OBJECT
public:
    Tfacceso(Tfdm &dm, ContextoPuntoVenta &pos, QWidget *parent = nullptr);

    // The steps, run when their field is left and callable directly.
    void salga_usuario();        // upper-cases the user code
    bool valide_clave();         // connects the general database and reads the user
    bool valide_compania();      // connects the company database and loads the lookups
    void elija_punto_venta();    // cashiers and prefixes of the chosen point of sale
    void elija_prefijo();        // the authorisation the date check uses
    void entre();                // "F2: Entrar"
    void salga();                // "Esc: Salir"
    void configure();            // "F9:Configura"

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

public slots:
    void done(int result) override;

private:
    struct Autorizacion {
        QString prefijo;
        QDate fecha;
        QDate vence;
    };

    void construya();
    void descargue_compania();
    void cargue_puntos_venta();
    void cargue_listas_precios();
    void cargue_vendedores(const QString &punto);
    void cargue_prefijos(const QString &prefijoPunto);
    void abra(dataset::ClientDataSet &data, const QString &sql);
    // Fills a lookup with one entry per row (shown text, key as item data) and selects the first.
    static void llene(QComboBox *lista, dataset::ClientDataSet &data, const QString &texto, const QString &clave);
    // "SUCU_ID = n" for a user with a branch, empty otherwise.
    QString filtro_sucursal() const;
    QString servidor() const;
    const Autorizacion *autorizacion_actual() const;

    Tfdm &m_dm;
    ContextoPuntoVenta &m_pos;

    dataset::Provider PPtosventa;
    dataset::ClientDataSet CPtosventa;
    dataset::Provider PVendedores;
    dataset::ClientDataSet CVendedores;
    dataset::Provider PPrefijos;
    dataset::ClientDataSet CPrefijos;
    dataset::Provider PListas;
    dataset::ClientDataSet CListas;
    dataset::Provider PBorrar;
    dataset::ClientDataSet CBorrar;

    QComboBox *m_servidor = nullptr;
    QLineEdit *m_usuario = nullptr;
    QLineEdit *m_nombreUsuario = nullptr;
    QLineEdit *m_clave = nullptr;
    QLineEdit *m_compania = nullptr;
    QLineEdit *m_nombreCompania = nullptr;
    QComboBox *m_puntoVenta = nullptr;
    QComboBox *m_vendedor = nullptr;
    QComboBox *m_prefijo = nullptr;
    QComboBox *m_listaPrecios = nullptr;
    QDateEdit *m_fecha = nullptr;
    QLabel *m_aviso = nullptr;
    QPushButton *m_entrar = nullptr;
    QPushButton *m_salir = nullptr;
    QPushButton *m_configura = nullptr;

    // Credentials the databases were connected with; the company and the context use these.
    QString m_usuarioConectado;
    QString m_claveConectada;
    std::vector<Autorizacion> m_autorizaciones;  // prefix item data indexes this; -1 = none
    int m_actual = -1;                            // authorisation of the chosen prefix
    bool m_ocupado = false;   // a step is running: focus moves it makes are not "leaving"
    bool m_cerrando = false;
};
