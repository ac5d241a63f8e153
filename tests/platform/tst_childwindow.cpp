#include "platform/childwindow.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QTableView>
#include <QTest>
#include <QVBoxLayout>

namespace {

// Records the key presses that reach a field.
class KeySpy : public QObject
{
public:
    explicit KeySpy(QObject *watched) : QObject(watched) { watched->installEventFilter(this); }
    QList<int> keys;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const int key = static_cast<QKeyEvent *>(event)->key();
        const bool modifierKey = key == Qt::Key_Shift || key == Qt::Key_Control
            || key == Qt::Key_Alt || key == Qt::Key_Meta;
        if (!modifierKey)
            keys.append(key);
        return false;
    }
};

// A window with one field of each kind and a few function keys.
class FormWindow : public ChildWindow
{
public:
    FormWindow()
    {
        auto *layout = new QVBoxLayout(this);
        for (QWidget *w : std::initializer_list<QWidget *>{plate, amount, type, line, date, table,
                                                           notes, save})
            layout->addWidget(w);
        plate->setObjectName("plate");
        amount->setObjectName("amount");
        type->setObjectName("type");
        type->addItems({"Carro", "Moto"});
        line->setObjectName("line");
        line->setEditable(true);
        date->setObjectName("date");
        notes->setObjectName("notes");
        auto *model = new QStandardItemModel(2, 2, table);
        table->setModel(model);
        table->setObjectName("table");
        save->setDefault(true);
        for (Qt::Key key : {Qt::Key_F2, Qt::Key_F4, Qt::Key_Escape})
            setKeyHandler(key, [this, key] { taken.append(QKeyCombination(key)); });
        setKeyHandler(Qt::SHIFT | Qt::Key_F12, [this] { taken.append(Qt::SHIFT | Qt::Key_F12); });
    }

    QWidget *field(const QString &name) { return findChild<QWidget *>(name); }

    QLineEdit *plate = new QLineEdit;
    QSpinBox *amount = new QSpinBox;
    QComboBox *type = new QComboBox;
    QComboBox *line = new QComboBox;
    QDateEdit *date = new QDateEdit;
    QTableView *table = new QTableView;
    QLineEdit *notes = new QLineEdit;
    QPushButton *save = new QPushButton(QStringLiteral("F2: Grabar"));
    QList<QKeyCombination> taken;
};

FormWindow *showForm()
{
    auto *window = new FormWindow;
    window->show();
    window->activateWindow();
    if (!QTest::qWaitForWindowActive(window))
        qWarning("window did not become active");
    return window;
}

} // namespace

class TestChildWindow : public QObject
{
    Q_OBJECT

private slots:
    void secondaryPosition_data()
    {
        QTest::addColumn<QSize>("client");
        QTest::addColumn<QSize>("window");
        QTest::addColumn<QPoint>("expected");   // (left, top)
        QTest::newRow("even") << QSize(1025, 720) << QSize(400, 300) << QPoint(250, 150);
        QTest::newRow("odd rounds up") << QSize(800, 601) << QSize(400, 300) << QPoint(138, 91);
        QTest::newRow("exact halves") << QSize(801, 600) << QSize(400, 300) << QPoint(138, 90);
        QTest::newRow("odd window") << QSize(1024, 768) << QSize(297, 205) << QPoint(301, 222);
        QTest::newRow("too big, negative odd")
            << QSize(300, 200) << QSize(400, 281) << QPoint(-112, -100);
    }

    void secondaryPosition()
    {
        QFETCH(QSize, client);
        QFETCH(QSize, window);
        QFETCH(QPoint, expected);
        QCOMPARE(secondaryWindowPosition(client, window), expected);
    }

    void cascade_data()
    {
        QTest::addColumn<int>("open");
        QTest::addColumn<QPoint>("offset");   // (across, down)
        QTest::newRow("none") << 0 << QPoint(0, 0);
        QTest::newRow("one") << 1 << QPoint(6, 8);
        QTest::newRow("three") << 3 << QPoint(18, 24);
    }

    void cascade()
    {
        QFETCH(int, open);
        QFETCH(QPoint, offset);
        QCOMPARE(cascadeOffset(open), offset);
    }

    void placementInWorkspace()
    {
        QMainWindow main;
        main.menuBar()->addMenu(QStringLiteral("&Archivo"));
        auto *area = new QMdiArea;
        main.setCentralWidget(area);
        main.resize(1000, 700);
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));

        auto *first = new ChildWindow;
        first->setFixedSize(300, 200);
        QMdiSubWindow *firstFrame = first->openIn(area);
        first->placeAsSecondary();
        const QSize client = ChildWindow::mainClientSize(&main);
        QCOMPARE(client, QSize(1000, 700 - main.menuBar()->height()));
        QCOMPARE(firstFrame->pos(), secondaryWindowPosition(client, firstFrame->size()));

        auto *second = new ChildWindow;
        new ChildWindow;   // not shown anywhere: does not count
        second->openIn(area)->resize(200, 150);
        auto *list = new ChildWindow;
        QMdiSubWindow *listFrame = list->openIn(area);
        QCOMPARE(list->otherChildWindowCount(), 2);
        list->placeCascaded(QPoint(10, 20));
        QCOMPARE(listFrame->pos(), QPoint(10 + 12, 20 + 16));
    }

    void closingFreesTheWindowAndItsFrame()
    {
        QMainWindow main;
        auto *area = new QMdiArea;
        main.setCentralWidget(area);
        main.show();
        QPointer<ChildWindow> window = new ChildWindow;
        QPointer<QMdiSubWindow> frame = window->openIn(area);
        window->close();
        QVERIFY(area->subWindowList().isEmpty());
        QTRY_VERIFY(window.isNull());
        QTRY_VERIFY(frame.isNull());

        // The same when the frame's own close box is used.
        window = new ChildWindow;
        frame = window->openIn(area);
        frame->close();
        QVERIFY(area->subWindowList().isEmpty());
        QTRY_VERIFY(window.isNull());
        QTRY_VERIFY(frame.isNull());
    }

    void functionKeys_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("taken");
        const int none = Qt::NoModifier;
        QTest::newRow("F2 in line edit") << "plate" << int(Qt::Key_F2) << none << true;
        QTest::newRow("Esc in line edit") << "plate" << int(Qt::Key_Escape) << none << true;
        QTest::newRow("F4 in combo") << "type" << int(Qt::Key_F4) << none << true;
        QTest::newRow("F2 in grid") << "table" << int(Qt::Key_F2) << none << true;
        QTest::newRow("F2 in spin box") << "amount" << int(Qt::Key_F2) << none << true;
        QTest::newRow("Shift+F2") << "plate" << int(Qt::Key_F2) << int(Qt::ShiftModifier) << false;
        QTest::newRow("Ctrl+F2") << "plate" << int(Qt::Key_F2) << int(Qt::ControlModifier) << false;
        QTest::newRow("Alt+F2") << "plate" << int(Qt::Key_F2) << int(Qt::AltModifier) << false;
        QTest::newRow("Ctrl+F4 in combo") << "type" << int(Qt::Key_F4) << int(Qt::ControlModifier)
                                          << false;
        QTest::newRow("F5 has no handler") << "plate" << int(Qt::Key_F5) << none << false;
        QTest::newRow("F12 without its Shift") << "plate" << int(Qt::Key_F12) << none << false;
        QTest::newRow("Shift+F12 registered") << "notes" << int(Qt::Key_F12)
                                              << int(Qt::ShiftModifier) << true;
    }

    void functionKeys()
    {
        QFETCH(QString, field);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(bool, taken);
        std::unique_ptr<FormWindow> window(showForm());
        QWidget *target = window->field(field);
        target->setFocus();
        KeySpy spy(target);

        QTest::keyClick(target, Qt::Key(key), Qt::KeyboardModifiers(modifiers));

        const QKeyCombination combination{Qt::KeyboardModifiers(modifiers), Qt::Key(key)};
        QCOMPARE(window->taken, taken ? QList<QKeyCombination>{combination}
                                      : QList<QKeyCombination>{});
        QCOMPARE(spy.keys.isEmpty(), taken);
    }

    void functionKeySentToTheWindow()
    {
        std::unique_ptr<FormWindow> window(showForm());
        window->plate->setFocus();
        QTest::keyClick(window.get(), Qt::Key_F2);
        QCOMPARE(window->taken, QList<QKeyCombination>{QKeyCombination(Qt::Key_F2)});
    }

    void escapeWithoutHandlerKeepsWindowOpen()
    {
        std::unique_ptr<FormWindow> window(showForm());
        window->removeKeyHandler(Qt::Key_Escape);
        window->plate->setFocus();
        QTest::keyClick(window->plate, Qt::Key_Escape);
        QVERIFY(window->isVisible());
        QCOMPARE(window->result(), int(QDialog::Rejected));
        QVERIFY(window->taken.isEmpty());
    }

    void enterMovesToNextField_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("to");
        QTest::newRow("line edit") << "plate" << int(Qt::Key_Return) << "amount";
        QTest::newRow("keypad Enter") << "plate" << int(Qt::Key_Enter) << "amount";
        QTest::newRow("spin box") << "amount" << int(Qt::Key_Return) << "type";
        QTest::newRow("combo box") << "type" << int(Qt::Key_Return) << "line";
        QTest::newRow("editable combo box") << "line" << int(Qt::Key_Return) << "date";
        QTest::newRow("date box") << "date" << int(Qt::Key_Return) << "table";
    }

    void enterMovesToNextField()
    {
        QFETCH(QString, from);
        QFETCH(int, key);
        QFETCH(QString, to);
        std::unique_ptr<FormWindow> window(showForm());
        bool saved = false;
        connect(window->save, &QPushButton::clicked, this, [&saved] { saved = true; });
        window->field(from)->setFocus();
        const Qt::KeyboardModifiers modifiers =
            key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier;

        QTest::keyClick(window->field(from), Qt::Key(key), modifiers);

        QCOMPARE(window->focusWidget()->objectName(), to);
        QVERIFY(!saved);   // the default button is not pressed
    }

    void enterInEntryFieldOfWorkspaceWindow()
    {
        QMainWindow main;
        auto *area = new QMdiArea;
        main.setCentralWidget(area);
        main.show();
        main.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&main));
        auto *window = new FormWindow;
        window->openIn(area);
        area->setActiveSubWindow(area->subWindowList().constFirst());
        window->notes->setFocus();
        QTest::keyClick(window->notes, Qt::Key_Return);
        QCOMPARE(window->focusWidget(), window->save);
    }

    void enterInGridEditorCommitsTheCell()
    {
        std::unique_ptr<FormWindow> window(showForm());
        const QModelIndex cell = window->table->model()->index(0, 0);
        window->table->setCurrentIndex(cell);
        window->table->setFocus();
        window->table->edit(cell);
        auto *editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
        QVERIFY(editor);
        QVERIFY(editor != window->plate && editor != window->notes);
        QTest::keyClicks(editor, QStringLiteral("ABC"));
        QTest::keyClick(editor, Qt::Key_Return);
        // The delegate commits from a queued call.
        QTRY_COMPARE(cell.data().toString(), QStringLiteral("ABC"));
        QCOMPARE(window->focusWidget(), window->table);
    }

    void windowKeyWinsOverApplicationShortcut()
    {
        QMainWindow main;
        auto *area = new QMdiArea;
        main.setCentralWidget(area);
        QAction *menuAction = main.menuBar()->addAction(QStringLiteral("&Grabar"));
        menuAction->setShortcut(Qt::Key_F2);
        menuAction->setShortcutContext(Qt::ApplicationShortcut);
        int menuTriggered = 0;
        connect(menuAction, &QAction::triggered, this, [&menuTriggered] { ++menuTriggered; });
        main.show();
        main.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&main));
        auto *window = new FormWindow;
        window->openIn(area);
        window->plate->setFocus();

        QTest::keyClick(window->plate, Qt::Key_F2);
        QCOMPARE(window->taken, QList<QKeyCombination>{QKeyCombination(Qt::Key_F2)});
        QCOMPARE(menuTriggered, 0);

        QTest::keyClick(window->plate, Qt::Key_F2, Qt::ShiftModifier);   // not the window's
        QCOMPARE(window->taken.size(), 1);
    }

    void enterHandlerTakesPrecedence()
    {
        std::unique_ptr<FormWindow> window(showForm());
        int searches = 0;
        window->setKeyHandler(Qt::Key_Return, [&searches] { ++searches; });
        window->plate->setFocus();
        QTest::keyClick(window->plate, Qt::Key_Return);
        QCOMPARE(searches, 1);
        QCOMPARE(window->focusWidget(), window->plate);
    }
};

QTEST_MAIN(TestChildWindow)
#include "tst_childwindow.moc"
