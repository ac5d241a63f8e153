#pragma once

#include <QApplication>

class Tfdm;

// Routes every error that no code caught to the central error handler instead of ending the
// program, as the desktop platform did for unhandled exceptions.
class Aplicacion : public QApplication {
    Q_OBJECT
public:
    Aplicacion(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};
