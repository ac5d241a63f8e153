#pragma once

#include <QColor>
#include <QObject>
#include <QString>
#include <QTimer>

// The message line at the bottom of the main window. Its colour is its state;
// the main window draws it from text() and colour() whenever changed() fires.
class StatusLine : public QObject
{
    Q_OBJECT

public:
    enum class State {
        RestA,     // sky blue, empty: program start, end of a busy message
        RestB,     // button face, empty: after a timed message expired
        Warning,   // red
        Reminder,  // yellow
        Busy,      // blue, while data is fetched
    };

    static constexpr int defaultInterval = 2500;
    static const QString busyText;

    explicit StatusLine(QObject *parent = nullptr);

    State state() const { return m_state; }
    QString text() const { return m_text; }
    QColor colour() const { return colourOf(m_state); }
    static QColor colourOf(State state);

    const QTimer &timer() const { return m_timer; }
    int interval() const { return m_timer.interval(); }
    bool timerActive() const { return m_timer.isActive(); }

    // A message shown for intervalMs <= 0 stays until something replaces it.
    // From any state: "Advertencia: " + text in red for intervalMs.
    void showWarning(const QString &text, int intervalMs);
    // Only in rest A: "RECORDAR: " + text in yellow for intervalMs. Returns
    // whether it was shown; elsewhere the reminder is lost.
    bool showReminder(const QString &text, int intervalMs);
    // Start of a data fetch; only in rest B. Returns whether the busy text shows.
    bool beginBusy();
    // End of a data fetch; only in the busy state.
    bool endBusy();
    // Replaces the text and keeps the colour (the error handler's raw message).
    void setTextOnly(const QString &text);
    // What the timer does when it fires: rest B, timer stopped.
    void expire();

signals:
    void changed();
    // The busy message must be drawn at once, before the fetch blocks the loop.
    void repaintRequested();

private:
    void enter(State state, const QString &text);
    void startTimer(int intervalMs);

    State m_state = State::RestA;
    QString m_text;
    QTimer m_timer;
};
