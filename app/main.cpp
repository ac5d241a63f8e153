#include <QApplication>
#include <QMainWindow>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Parqueaderos - Quorbit 2009"));
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Quorbit Parqueaderos 2014"));
    window.show();
    return app.exec();
}
