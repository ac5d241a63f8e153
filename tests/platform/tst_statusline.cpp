#include "platform/statusline.h"

#include <QSignalSpy>
#include <QTest>

using State = StatusLine::State;

Q_DECLARE_METATYPE(StatusLine::State)

namespace {

enum class Step { Warning, Reminder, BeginBusy, EndBusy, Expire };

const char *stateName(State s)
{
    switch (s) {
    case State::RestA: return "restA";
    case State::RestB: return "restB";
    case State::Warning: return "warning";
    case State::Reminder: return "reminder";
    case State::Busy: return "busy";
    }
    return "?";
}

const char *stepName(Step s)
{
    switch (s) {
    case Step::Warning: return "warning";
    case Step::Reminder: return "reminder";
    case Step::BeginBusy: return "beginBusy";
    case Step::EndBusy: return "endBusy";
    case Step::Expire: return "expire";
    }
    return "?";
}

// Drives a fresh line into `state` the way the program does.
void bringTo(StatusLine &line, State state)
{
    switch (state) {
    case State::RestA: break;
    case State::RestB: line.expire(); break;
    case State::Warning: line.showWarning(QStringLiteral("previa"), 3000); break;
    case State::Reminder: line.showReminder(QStringLiteral("previo"), 3000); break;
    case State::Busy: line.expire(); line.beginBusy(); break;
    }
    QCOMPARE(line.state(), state);
}

void apply(StatusLine &line, Step step)
{
    switch (step) {
    case Step::Warning: line.showWarning(QStringLiteral("nueva"), 700); break;
    case Step::Reminder: line.showReminder(QStringLiteral("nuevo"), 700); break;
    case Step::BeginBusy: line.beginBusy(); break;
    case Step::EndBusy: line.endBusy(); break;
    case Step::Expire: line.expire(); break;
    }
}

struct Outcome {
    State state;
    QString text;
    bool timerActive;
};

// The transition rules, one line per step; states a step does not accept keep
// everything as it was.
std::optional<Outcome> expectedOutcome(State from, Step step)
{
    switch (step) {
    case Step::Warning: return Outcome{State::Warning, "Advertencia: nueva", true};
    case Step::Reminder:
        if (from == State::RestA)
            return Outcome{State::Reminder, "RECORDAR: nuevo", true};
        return std::nullopt;
    case Step::BeginBusy:
        if (from == State::RestB)
            return Outcome{State::Busy, StatusLine::busyText, false};
        return std::nullopt;
    case Step::EndBusy:
        if (from == State::Busy)
            return Outcome{State::RestA, QString(), false};
        return std::nullopt;
    case Step::Expire: return Outcome{State::RestB, QString(), false};
    }
    return std::nullopt;
}

} // namespace

class TestStatusLine : public QObject
{
    Q_OBJECT

private slots:
    void startsAtRestA()
    {
        StatusLine line;
        QCOMPARE(line.state(), State::RestA);
        QCOMPARE(line.text(), QString());
        QCOMPARE(line.colour(), QColor(0xA6, 0xCA, 0xF0));
        QCOMPARE(line.interval(), 2500);
        QVERIFY(!line.timerActive());
    }

    void transitions_data()
    {
        QTest::addColumn<State>("from");
        QTest::addColumn<int>("step");
        const State states[] = {State::RestA, State::RestB, State::Warning, State::Reminder,
                                State::Busy};
        const Step steps[] = {Step::Warning, Step::Reminder, Step::BeginBusy, Step::EndBusy,
                              Step::Expire};
        for (State from : states)
            for (Step step : steps)
                QTest::addRow("%s from %s", stepName(step), stateName(from)) << from << int(step);
    }

    void transitions()
    {
        QFETCH(State, from);
        QFETCH(int, step);
        StatusLine line;
        bringTo(line, from);
        const QString textBefore = line.text();
        const bool timerBefore = line.timerActive();
        const int intervalBefore = line.interval();
        QSignalSpy changed(&line, &StatusLine::changed);

        apply(line, Step(step));

        const auto expected = expectedOutcome(from, Step(step));
        if (!expected) {
            QCOMPARE(line.state(), from);
            QCOMPARE(line.text(), textBefore);
            QCOMPARE(line.timerActive(), timerBefore);
            QCOMPARE(line.interval(), intervalBefore);
            QCOMPARE(changed.count(), 0);
            return;
        }
        QCOMPARE(line.state(), expected->state);
        QCOMPARE(line.text(), expected->text);
        QCOMPARE(line.colour(), StatusLine::colourOf(expected->state));
        QCOMPARE(line.timerActive(), expected->timerActive);
        if (expected->timerActive)
            QCOMPARE(line.interval(), 700);
        QCOMPARE(changed.count(), 1);
    }

    void coloursOfStates_data()
    {
        QTest::addColumn<State>("state");
        QTest::addColumn<QColor>("colour");
        QTest::newRow("restA sky blue") << State::RestA << QColor(0xA6, 0xCA, 0xF0);
        QTest::newRow("restB button face")
            << State::RestB << QGuiApplication::palette().color(QPalette::Button);
        QTest::newRow("warning red") << State::Warning << QColor(Qt::red);
        QTest::newRow("reminder yellow") << State::Reminder << QColor(Qt::yellow);
        QTest::newRow("busy blue") << State::Busy << QColor(Qt::blue);
    }

    void coloursOfStates()
    {
        QFETCH(State, state);
        QFETCH(QColor, colour);
        QCOMPARE(StatusLine::colourOf(state), colour);
    }

    void busyStartAndEndAskForRepaint()
    {
        StatusLine line;
        QSignalSpy repaint(&line, &StatusLine::repaintRequested);
        line.expire();
        QVERIFY(line.beginBusy());
        QCOMPARE(repaint.count(), 1);
        QVERIFY(line.endBusy());
        QCOMPARE(repaint.count(), 2);
        QVERIFY(!line.beginBusy());   // rest A now: no busy text until the next expiry
        QCOMPARE(repaint.count(), 2);
    }

    void busyShowsOnlyAfterTimedMessageExpired()
    {
        StatusLine line;
        QVERIFY(!line.beginBusy());   // first fetch after start
        line.showWarning(QStringLiteral("x"), 1000);
        QVERIFY(!line.beginBusy());
        line.expire();
        QVERIFY(line.beginBusy());
        QCOMPARE(line.text(), QStringLiteral("Solicitando información. Espere un momento..."));
    }

    void setTextOnlyKeepsColourAndState()
    {
        StatusLine line;
        line.showWarning(QStringLiteral("x"), 1000);
        line.setTextOnly(QStringLiteral("mensaje crudo"));
        QCOMPARE(line.text(), QStringLiteral("mensaje crudo"));
        QCOMPARE(line.state(), State::Warning);
        QVERIFY(line.timerActive());
    }

    void zeroIntervalKeepsTheMessage()
    {
        StatusLine line;
        line.showWarning(QStringLiteral("x"), 0);
        QCOMPARE(line.state(), State::Warning);
        QVERIFY(!line.timerActive());
    }

    void timerExpiryEndsTheMessage()
    {
        StatusLine line;
        line.showReminder(QStringLiteral("autorización"), 1);
        QTRY_COMPARE(line.state(), State::RestB);
        QCOMPARE(line.text(), QString());
        QVERIFY(!line.timerActive());
    }
};

QTEST_MAIN(TestStatusLine)
#include "tst_statusline.moc"
