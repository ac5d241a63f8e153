#pragma once

#include "platform/childwindow.h"

// The About window of the program.
class Tfacercade : public ChildWindow {
    Q_OBJECT
public:
    explicit Tfacercade(QWidget *parent = nullptr);
};
