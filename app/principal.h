#pragma once

#include "data/context.h"

#include <QMainWindow>
#include <functional>

class QLabel;
class QLineEdit;
class QMdiArea;
class QMenu;
class QPushButton;
class Tfdm;

// The main window: a workspace for every other window, the signed-in header, the six buttons,
// the menus and the status line. Its first activation runs the sign-in.
class Tfprincipal : public QMainWindow {
    Q_OBJECT
public:
    enum class Estado { Creada, Ingresando, Trabajando, Terminada };

    // The windows this one opens. A window that is not part of the program yet leaves its
    // opener empty, and its button and menu entry show disabled.
    struct Ventanas {
        std::function<bool(Tfprincipal &)> acceso;  // modal sign-in; true when it closed with OK
        std::function<void(Tfprincipal &)> punto_venta;
        std::function<void(Tfprincipal &)> ocupacion;
        std::function<void(Tfprincipal &)> vehiculos;
        std::function<void(Tfprincipal &)> nuevo_vehiculo;
        std::function<void(Tfprincipal &)> cierre;
        std::function<void(Tfprincipal &)> facturacion;
    };

    Tfprincipal(Tfdm &dm, Ventanas ventanas, const QStringList &arguments, QWidget *parent = nullptr);

    ContextoPuntoVenta contexto;
    bool primera_activacion = true;

    Estado estado() const { return m_estado; }
    QMdiArea *workspace() const { return m_workspace; }
    Tfdm &dm() const { return m_dm; }

    // Runs on every activation; only the first signs in and opens the point of sale.
    void activar();
    // The supervisor password dialog before the cash closing.
    bool autorizacion_cierre();
    void abra_cierre();
    // Closes unless child windows are open.
    void salir();

protected:
    bool event(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void construya_encabezado(QWidget *parent);
    void construya_menus();
    void actualice_menu_ventana();
    void lea_opciones();
    // A button that opens a window; disabled while that window is not part of the program.
    // `accion` replaces the plain opening (the closing asks for its authorisation first).
    QPushButton *boton(const QString &caption, const std::function<void(Tfprincipal &)> &abrir,
                       std::function<void()> accion = {});
    void pinte_estado();
    void coloque_logo();

    Tfdm &m_dm;
    Ventanas m_ventanas;
    QStringList m_arguments;
    Estado m_estado = Estado::Creada;
    QMdiArea *m_workspace = nullptr;
    QLineEdit *m_compania = nullptr;
    QLineEdit *m_usuario = nullptr;
    QLineEdit *m_punto = nullptr;
    QLineEdit *m_vendedor = nullptr;
    QLineEdit *m_prefijo = nullptr;
    QLabel *m_logo = nullptr;
    QLabel *m_estadoTexto = nullptr;
    QMenu *m_menuVentana = nullptr;
    QList<QAction *> m_accionesVentana;
};
