#pragma once

#include <QDialog>
#include <QHash>
#include <QKeyCombination>
#include <QPoint>
#include <QSize>

#include <functional>

class QKeyEvent;
class QMainWindow;
class QMdiArea;
class QMdiSubWindow;

// Ceiling of n / 2, also for negative n.
int ceilingHalf(int n);

// Top-left corner (x = left, y = top) of a fixed-size secondary window of
// size `window` inside a main window whose client area has size `mainClient`.
QPoint secondaryWindowPosition(QSize mainClient, QSize window);

// How far a list window moves down (y) and across (x) for the given number of
// child windows already open.
QPoint cascadeOffset(int openChildWindows);

// Base of every window except the main window: child windows of the main
// window's workspace and modal dialogs alike. Create it with new; it frees
// itself when it closes.
//
// Keys: the window sees each key press before the focused field. A key for
// which a handler is registered (exact key and modifiers, so F2 does not fire
// on Shift+F2) is taken by the window and never reaches the field. Enter in an
// entry field (line edit, spin or date box, combo box) moves the focus to the
// next field. Esc does nothing unless a handler is registered for it.
class ChildWindow : public QDialog
{
    Q_OBJECT

public:
    using KeyHandler = std::function<void()>;

    explicit ChildWindow(QWidget *parent = nullptr);

    void setKeyHandler(QKeyCombination key, KeyHandler handler);
    void removeKeyHandler(QKeyCombination key);
    bool hasKeyHandler(QKeyCombination key) const;

    // Adds the window to the workspace and shows it; returns its frame.
    QMdiSubWindow *openIn(QMdiArea *workspace);

    // Moves the window (its workspace frame when it has one) to the position of
    // a fixed-size secondary window. Top-level windows are placed relative to
    // the main window's client area.
    void placeAsSecondary();
    // Moves the window to origin + cascadeOffset(other open child windows).
    void placeCascaded(QPoint origin = {});

    // The main window of the program as seen from `widget`: its nearest
    // QMainWindow ancestor, else the first top-level QMainWindow.
    static QMainWindow *mainWindowOf(const QWidget *widget);
    // The main window's client area: the window without its menu bar.
    static QSize mainClientSize(const QMainWindow *mainWindow);
    // Open child windows of the workspace this window belongs to, itself excluded.
    int otherChildWindowCount() const;

    static bool isEntryField(const QWidget *widget);
    // The key and its Shift, Ctrl, Alt and Meta modifiers.
    static QKeyCombination combinationOf(const QKeyEvent *event);

protected:
    // Offered every key press meant for this window or one of its fields;
    // return true to take it. The default runs the registered handler.
    virtual bool takeKey(QKeyCombination key);

    void keyPressEvent(QKeyEvent *event) override;
    // Date fields show the program's one date format, yyyy/mm/dd.
    void showEvent(QShowEvent *event) override;

public slots:
    // Closing the window also closes its workspace frame.
    void done(int result) override;

private:
    friend class ChildWindowKeyRouter;

    bool routeKey(QWidget *receiver, QKeyEvent *event);
    void moveFrameTo(QPoint position);
    QWidget *frame();
    QMdiArea *workspace() const;

    QHash<QKeyCombination, KeyHandler> m_keyHandlers;
};
