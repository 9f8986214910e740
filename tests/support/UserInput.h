#pragma once
// A user's clicks and keys on a shown window, delivered to the widget the user touches so that Qt
// acts first: a disabled control takes no click, a view selects the row it was pressed on, a
// header flips its indicator. A control the user cannot see fails the test instead of acting.
#include <functional>

#include <QPoint>
#include <QTest>

class QAction;
class QComboBox;
class QMenu;
class QMenuBar;
class QMessageBox;
class QTabWidget;
class QTreeView;
class QWidget;

namespace TestSupport {

// Shows and activates the window; false when it never came on screen.
[[nodiscard]] bool showWindow(QWidget *window);

// A left click in the middle of a visible control (a button, a tool button, a check box).
void clickOn(QWidget *control);

// A click, a double click or a right click (with the context menu it asks for) on a row of a
// tree or list widget, scrolled into view first as a user would.
template <class View, class Item>
QPoint rowPoint(View *view, Item *row)
{
    view->scrollToItem(row);
    return view->visualItemRect(row).center();
}
void clickAt(QWidget *viewport, QPoint at);
void doubleClickAt(QWidget *viewport, QPoint at);
void rightClickAt(QWidget *viewport, QPoint at);
template <class View, class Item>
void clickRow(View *view, Item *row)
{
    clickAt(view->viewport(), rowPoint(view, row));
}
template <class View, class Item>
void doubleClickRow(View *view, Item *row)
{
    doubleClickAt(view->viewport(), rowPoint(view, row));
}
template <class View, class Item>
void rightClickRow(View *view, Item *row)
{
    rightClickAt(view->viewport(), rowPoint(view, row));
}

// A click on a column's header.
void clickHeader(QTreeView *view, int column);
// A click on a tab's title.
void clickTab(QTabWidget *tabs, int index);
// A click on the tab of the page holding the control when another page is shown.
void showPageOf(QTabWidget *tabs, QWidget *control);
// A click on a control of a tab page, its page shown first.
void clickOnPage(QTabWidget *tabs, QWidget *control);
// Opens the combo box's list, moves to the item and takes it with Enter (as a click in the list,
// this reports the choice even when the item was the current one).
void chooseItem(QComboBox *combo, int index);
// In an open popup menu: the arrow keys to the item, then Enter. Fails when the item cannot be
// reached (hidden or disabled).
void chooseFromMenu(QMenu *menu, QAction *item);
// Opens the menu bar's menu that holds the item with a click on its title, then chooses the item.
void chooseFromMenuBar(QMenuBar *bar, QAction *item);

// Qt's offscreen platform ends every drag as soon as it begins; its minimal platform runs Qt's own
// drag, which follows the mouse events a test sends. Whether drags run on this platform.
bool dragsRun();
// Runs the current test again, in a process of its own on the minimal platform, and fails when it
// fails there. The test then returns: what it checks is checked there.
void runTestWhereDragsRun();
// A drag with the mouse as a user makes it: the press at `from` (a point of `source`), a move past
// the drag distance, then, in the drag's own event loop, a move to `to` (a point of `target`) and
// the release. False when no drag began: the source saw a press, a move and the release.
bool dragWithMouse(QWidget *source, QPoint from, QWidget *target, QPoint to);

// Runs `act` on the next real message box once it is on screen (from the box's own event loop);
// a box that does not come within a few seconds fails the test.
void whenMessageBoxShows(const std::function<void(QMessageBox &box)> &act);
// A key pressed as at the keyboard: to the window's focused control, which passes on what it
// does not take.
void pressKey(QWidget *window, Qt::Key key);

} // namespace TestSupport
