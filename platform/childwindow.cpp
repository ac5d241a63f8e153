#include "platform/childwindow.h"

#include <QDateEdit>

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPointer>
#include <QScreen>

// ---------------------------------------------------------------- placement

int ceilingHalf(int n)
{
    return n >= 0 ? (n + 1) / 2 : -(-n / 2);
}

QPoint secondaryWindowPosition(QSize mainClient, QSize window)
{
    const int top = ceilingHalf(mainClient.height() - window.height() - 120);
    const int left = ceilingHalf(mainClient.width() - window.width() - 125);
    return {left, top};
}

QPoint cascadeOffset(int openChildWindows)
{
    return {6 * openChildWindows, 8 * openChildWindows};
}

// ---------------------------------------------------------------- key routing

// Key presses go to the focused widget first, and many fields (item views,
// combo boxes) accept function keys themselves. One application-wide filter
// lets the window that holds the receiver see each key press before it.
class ChildWindowKeyRouter : public QObject
{
public:
    static void ensureInstalled()
    {
        static QPointer<ChildWindowKeyRouter> router;
        if (router)
            return;
        router = new ChildWindowKeyRouter(qApp);
        qApp->installEventFilter(router);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        const bool keyPress = event->type() == QEvent::KeyPress;
        const bool shortcutOverride = event->type() == QEvent::ShortcutOverride;
        if (!(keyPress || shortcutOverride) || !watched->isWidgetType())
            return false;
        auto *receiver = static_cast<QWidget *>(watched);
        ChildWindow *window = owningWindow(receiver);
        if (!window)
            return false;
        auto *keyEvent = static_cast<QKeyEvent *>(event);
        if (shortcutOverride) {
            // Claim the window's keys from any shortcut so they arrive as key presses.
            if (!window->hasKeyHandler(ChildWindow::combinationOf(keyEvent)))
                return false;
            keyEvent->accept();
            return true;
        }
        return window->routeKey(receiver, keyEvent);
    }

private:
    using QObject::QObject;

    // The nearest ChildWindow that holds the widget, not crossing into another
    // top-level window (message boxes and popups keep their own keys).
    static ChildWindow *owningWindow(QWidget *widget)
    {
        for (QWidget *w = widget; w; w = w->parentWidget()) {
            if (auto *window = qobject_cast<ChildWindow *>(w))
                return window;
            if (w->isWindow())
                return nullptr;
        }
        return nullptr;
    }
};

// ---------------------------------------------------------------- ChildWindow

ChildWindow::ChildWindow(QWidget *parent)
    : QDialog(parent)
{
    setAttribute(Qt::WA_DeleteOnClose);
    ChildWindowKeyRouter::ensureInstalled();
}

void ChildWindow::showEvent(QShowEvent *event)
{
    for (QDateEdit *date : findChildren<QDateEdit *>())
        date->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
    QDialog::showEvent(event);
}

void ChildWindow::setKeyHandler(QKeyCombination key, KeyHandler handler)
{
    m_keyHandlers.insert(key, std::move(handler));
}

void ChildWindow::removeKeyHandler(QKeyCombination key)
{
    m_keyHandlers.remove(key);
}

bool ChildWindow::hasKeyHandler(QKeyCombination key) const
{
    return m_keyHandlers.contains(key);
}

bool ChildWindow::takeKey(QKeyCombination key)
{
    const auto handler = m_keyHandlers.constFind(key);
    if (handler == m_keyHandlers.cend())
        return false;
    // Copy: the handler may close the window or replace its own entry.
    const KeyHandler run = handler.value();
    run();
    return true;
}

bool ChildWindow::isEntryField(const QWidget *widget)
{
    // Editors inside grids commit with Enter; the grid decides.
    for (const QWidget *w = widget->parentWidget(); w && !w->isWindow(); w = w->parentWidget())
        if (qobject_cast<const QAbstractItemView *>(w))
            return false;
    return qobject_cast<const QLineEdit *>(widget) || qobject_cast<const QAbstractSpinBox *>(widget)
        || qobject_cast<const QComboBox *>(widget);
}

QKeyCombination ChildWindow::combinationOf(const QKeyEvent *event)
{
    // Keypad keys count as the same keys.
    return QKeyCombination(event->modifiers() & ~Qt::KeypadModifier, Qt::Key(event->key()));
}

bool ChildWindow::routeKey(QWidget *receiver, QKeyEvent *event)
{
    const QKeyCombination combination = combinationOf(event);
    const Qt::KeyboardModifiers modifiers = combination.keyboardModifiers();
    const Qt::Key key = combination.key();
    if (takeKey(combination)) {
        event->accept();
        return true;
    }
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    if (enter && modifiers == Qt::NoModifier && isEntryField(receiver)) {
        if (!receiver->hasFocus())
            receiver->setFocus(Qt::OtherFocusReason);
        focusNextChild();
        event->accept();
        return true;
    }
    return false;
}

void ChildWindow::keyPressEvent(QKeyEvent *event)
{
    // Skip QDialog's own keys: Esc must not close and Enter must not press a
    // default button unless the window says so.
    QWidget::keyPressEvent(event);
}

// ---------------------------------------------------------------- placement helpers

QMdiSubWindow *ChildWindow::openIn(QMdiArea *workspace)
{
    QMdiSubWindow *subWindow = workspace->addSubWindow(this);
    subWindow->setAttribute(Qt::WA_DeleteOnClose);
    // A frame outlives its widget otherwise and stays in the workspace, empty.
    connect(this, &QObject::destroyed, subWindow, &QObject::deleteLater);
    show();
    return subWindow;
}

void ChildWindow::done(int result)
{
    QDialog::done(result);
    if (auto *subWindow = qobject_cast<QMdiSubWindow *>(parentWidget()))
        subWindow->close();
}

QMainWindow *ChildWindow::mainWindowOf(const QWidget *widget)
{
    for (const QWidget *w = widget; w; w = w->parentWidget())
        if (auto *main = qobject_cast<QMainWindow *>(const_cast<QWidget *>(w)))
            return main;
    const QWidgetList topLevels = QApplication::topLevelWidgets();
    for (QWidget *w : topLevels)
        if (auto *main = qobject_cast<QMainWindow *>(w))
            return main;
    return nullptr;
}

QSize ChildWindow::mainClientSize(const QMainWindow *mainWindow)
{
    QSize size = mainWindow->size();
    if (const QWidget *menu = mainWindow->menuWidget(); menu && !menu->isHidden())
        size.rheight() -= menu->height();
    return size;
}

QMdiArea *ChildWindow::workspace() const
{
    if (auto *subWindow = qobject_cast<QMdiSubWindow *>(parentWidget()))
        return subWindow->mdiArea();
    return nullptr;
}

QWidget *ChildWindow::frame()
{
    if (auto *subWindow = qobject_cast<QMdiSubWindow *>(parentWidget()))
        return subWindow;
    return this;
}

void ChildWindow::moveFrameTo(QPoint position)
{
    QWidget *target = frame();
    if (target->isWindow()) {
        // A top-level window: the position counts from the main window's client area.
        if (QMainWindow *main = mainWindowOf(parentWidget())) {
            const QWidget *menu = main->menuWidget();
            const int menuHeight = menu && !menu->isHidden() ? menu->height() : 0;
            position = main->mapToGlobal(position + QPoint(0, menuHeight));
        }
    }
    target->move(position);
}

void ChildWindow::placeAsSecondary()
{
    const QMainWindow *main = mainWindowOf(this);
    const QSize client = main ? mainClientSize(main)
                              : QGuiApplication::primaryScreen()->availableSize();
    QWidget *target = frame();
    const QSize outer = target->isWindow() && target->isVisible() ? target->frameGeometry().size()
                                                                    : target->size();
    moveFrameTo(secondaryWindowPosition(client, outer));
}

int ChildWindow::otherChildWindowCount() const
{
    QMdiArea *area = workspace();
    if (!area) {
        const QMainWindow *main = mainWindowOf(this);
        area = main ? main->findChild<QMdiArea *>() : nullptr;
    }
    if (!area)
        return 0;
    int count = 0;
    const QList<QMdiSubWindow *> subWindows = area->subWindowList();
    for (const QMdiSubWindow *subWindow : subWindows)
        if (subWindow->widget() != this)
            ++count;
    return count;
}

void ChildWindow::placeCascaded(QPoint origin)
{
    moveFrameTo(origin + cascadeOffset(otherChildWindowCount()));
}
