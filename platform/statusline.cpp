#include "platform/statusline.h"

#include <QGuiApplication>
#include <QPalette>

const QString StatusLine::busyText = QStringLiteral("Solicitando información. Espere un momento...");

StatusLine::StatusLine(QObject *parent)
    : QObject(parent)
{
    m_timer.setInterval(defaultInterval);
    connect(&m_timer, &QTimer::timeout, this, &StatusLine::expire);
}

QColor StatusLine::colourOf(State state)
{
    switch (state) {
    case State::RestA: return QColor(0xA6, 0xCA, 0xF0);
    case State::RestB: return QGuiApplication::palette().color(QPalette::Button);
    case State::Warning: return QColor(0xFF, 0x00, 0x00);
    case State::Reminder: return QColor(0xFF, 0xFF, 0x00);
    case State::Busy: return QColor(0x00, 0x00, 0xFF);
    }
    return {};
}

void StatusLine::startTimer(int intervalMs)
{
    // Like the timer it stands for, an interval of zero never fires: the
    // message then stays until something else replaces it.
    m_timer.setInterval(intervalMs);
    if (intervalMs > 0)
        m_timer.start();
    else
        m_timer.stop();
}

void StatusLine::enter(State state, const QString &text)
{
    m_state = state;
    m_text = text;
    emit changed();
}

void StatusLine::showWarning(const QString &text, int intervalMs)
{
    enter(State::Warning, QStringLiteral("Advertencia: ") + text);
    startTimer(intervalMs);
}

bool StatusLine::showReminder(const QString &text, int intervalMs)
{
    if (m_state != State::RestA)
        return false;
    enter(State::Reminder, QStringLiteral("RECORDAR: ") + text);
    startTimer(intervalMs);
    return true;
}

bool StatusLine::beginBusy()
{
    if (m_state != State::RestB)
        return false;
    enter(State::Busy, busyText);
    emit repaintRequested();
    return true;
}

bool StatusLine::endBusy()
{
    if (m_state != State::Busy)
        return false;
    enter(State::RestA, QString());
    emit repaintRequested();
    return true;
}

void StatusLine::setTextOnly(const QString &text)
{
    m_text = text;
    emit changed();
}

void StatusLine::expire()
{
    m_timer.stop();
    enter(State::RestB, QString());
}
