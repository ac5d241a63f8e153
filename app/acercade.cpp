#include "app/acercade.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

Tfacercade::Tfacercade(QWidget *parent) : ChildWindow(parent)
{
    setWindowTitle(QStringLiteral("Acerca de"));
    setFixedSize(296, 205);
    auto *layout = new QVBoxLayout(this);
    auto *logo = new QLabel(QStringLiteral("Quorbit"));
    logo->setAlignment(Qt::AlignCenter);
    logo->setStyleSheet(QStringLiteral("font: bold 22px; color: #1f4e8c;"));
    layout->addWidget(logo);
    for (const QString &text : {QStringLiteral("Vuvevod Ovovurezo Dudevediderivi d Ivovizor"),
                                QStringLiteral("Versión  2003")}) {
        auto *label = new QLabel(text);
        label->setAlignment(Qt::AlignCenter);
        layout->addWidget(label);
    }
    auto *ok = new QPushButton(QStringLiteral("Aceptar"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(ok, 0, Qt::AlignCenter);
    setKeyHandler(Qt::Key_Escape, [this] { accept(); });
    placeAsSecondary();
}
