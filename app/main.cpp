// Entry point: title, data modules in their order, the main window, the event loop.
#include "app/acceso.h"
#include "app/aplicacion.h"
#include "app/principal.h"
#include "data/dm.h"

int main(int argc, char **argv)
{
    Aplicacion app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Parqueaderos - Quorbit 2009"));

    // The central module comes first: it fixes the date format and receives unhandled errors.
    Tfdm dm;

    Tfprincipal::Ventanas ventanas;
    ventanas.acceso = [](Tfprincipal &principal) {
        auto *acceso = new Tfacceso(principal.dm(), principal.contexto, &principal);
        return acceso->exec() == QDialog::Accepted;
    };
    Tfprincipal principal(dm, ventanas, QApplication::arguments());
    principal.showMaximized();
    return app.exec();
}
