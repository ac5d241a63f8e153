#include "app/aplicacion.h"

#include "data/configuration.h"
#include "data/dm.h"

Aplicacion::Aplicacion(int &argc, char **argv) : QApplication(argc, argv) {}

bool Aplicacion::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const db::DbError &e) {
        Tfdm::instance().ENoManejada(e);
    } catch (const ConversionError &e) {
        Tfdm::instance().ENoManejada(e.message());
    } catch (const std::exception &e) {
        Tfdm::instance().ENoManejada(QString::fromLocal8Bit(e.what()));
    }
    return false;
}
