#include "UserInput.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDeadlineTimer>
#include <QProcess>
#include <QTimer>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTreeView>

namespace TestSupport {

namespace {

bool visibleToUser(QWidget *control)
{
    EXPECT_TRUE(control && control->isVisible())
        << (control ? control->metaObject()->className() : "null") << " '"
        << (control ? control->property("text").toString().toStdString() : std::string()) << "' is not on screen";
    return control && control->isVisible();
}

} // namespace

bool showWindow(QWidget *window)
{
    window->show();
    window->activateWindow();
    return QTest::qWaitForWindowExposed(window);
}

void clickOn(QWidget *control)
{
    if (visibleToUser(control))
        QTest::mouseClick(control, Qt::LeftButton);
}

void clickAt(QWidget *viewport, QPoint at)
{
    if (visibleToUser(viewport))
        QTest::mouseClick(viewport, Qt::LeftButton, {}, at);
}

// A view takes a double click only on the row the button went down on, as after a real first click.
void doubleClickAt(QWidget *viewport, QPoint at)
{
    if (!visibleToUser(viewport))
        return;
    QTest::mouseClick(viewport, Qt::LeftButton, {}, at);
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, at);
}

// The window system turns a right press into a context menu request; a test's press goes straight
// to the widget, so the request is sent as the window would send it.
void rightClickAt(QWidget *viewport, QPoint at)
{
    if (!visibleToUser(viewport))
        return;
    QTest::mousePress(viewport, Qt::RightButton, {}, at);
    QContextMenuEvent request(QContextMenuEvent::Mouse, at, viewport->mapToGlobal(at));
    QApplication::sendEvent(viewport, &request);
    QTest::mouseRelease(viewport, Qt::RightButton, {}, at);
}

void clickHeader(QTreeView *view, int column)
{
    QHeaderView *header = view->header();
    clickAt(header->viewport(),
            QPoint(header->sectionViewportPosition(column) + header->sectionSize(column) / 2, header->height() / 2));
}

void clickTab(QTabWidget *tabs, int index)
{
    clickAt(tabs->tabBar(), tabs->tabBar()->tabRect(index).center());
}

void showPageOf(QTabWidget *tabs, QWidget *control)
{
    for (QWidget *page = control; page; page = page->parentWidget()) {
        if (const int index = tabs->indexOf(page); index >= 0) {
            if (index != tabs->currentIndex())
                clickTab(tabs, index);
            return;
        }
    }
}

void clickOnPage(QTabWidget *tabs, QWidget *control)
{
    showPageOf(tabs, control);
    clickOn(control);
}

void chooseItem(QComboBox *combo, int index)
{
    if (!visibleToUser(combo))
        return;
    QTest::keyClick(combo, Qt::Key_F4);
    QAbstractItemView *list = combo->view();
    ASSERT_TRUE(list->isVisible()) << "the combo box's list did not open";
    for (int step = 0; step < combo->count() && list->currentIndex().row() != index; ++step)
        QTest::keyClick(list, list->currentIndex().row() < index ? Qt::Key_Down : Qt::Key_Up);
    EXPECT_EQ(list->currentIndex().row(), index) << "item not reached";
    QTest::keyClick(list, Qt::Key_Return);
}

void chooseFromMenu(QMenu *menu, QAction *item)
{
    if (!visibleToUser(menu))
        return;
    for (qsizetype step = 0; step <= menu->actions().size() && menu->activeAction() != item; ++step)
        QTest::keyClick(menu, Qt::Key_Down);
    if (menu->activeAction() != item) {
        ADD_FAILURE() << "menu item '" << item->text().toStdString() << "' cannot be reached";
        QTest::keyClick(menu, Qt::Key_Escape);
        return;
    }
    QTest::keyClick(menu, Qt::Key_Return);
}

void chooseFromMenuBar(QMenuBar *bar, QAction *item)
{
    for (QAction *title : bar->actions()) {
        if (title->menu() && title->menu()->actions().contains(item)) {
            clickAt(bar, bar->actionGeometry(title).center());
            chooseFromMenu(title->menu(), item);
            return;
        }
    }
    ADD_FAILURE() << "no menu of the bar holds '" << item->text().toStdString() << "'";
}

bool dragsRun()
{
    return QGuiApplication::platformName() != QLatin1String("offscreen");
}

void runTestWhereDragsRun()
{
    const ::testing::TestInfo *test = ::testing::UnitTest::GetInstance()->current_test_info();
    const QString name = QString::fromStdString(std::string(test->test_suite_name()) + '.' + test->name());
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("minimal:enable_fonts"));
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=") + name});
    // Within the test's own time limit, with room for a slow (sanitized) build.
    const bool ended = child.waitForFinished(240000);
    if (!ended)
        child.kill();
    const QString output = QString::fromLocal8Bit(child.readAll());
    EXPECT_TRUE(ended && child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0
                && output.contains(QStringLiteral("[  PASSED  ] 1 test.")))
        << "on the minimal platform:\n" << output.toStdString();
}

bool dragWithMouse(QWidget *source, QPoint from, QWidget *target, QPoint to)
{
    bool began = false;
    QTimer inDrag;
    inDrag.setSingleShot(true);
    QObject::connect(&inDrag, &QTimer::timeout, target, [&] {
        began = true;
        QTest::mouseMove(target, to);
        QTest::mouseMove(target, to);
        QTest::mouseRelease(target, Qt::LeftButton, {}, to);
    });
    QTest::mousePress(source, Qt::LeftButton, {}, from);
    inDrag.start(0);
    const QPoint away = from + QPoint(QApplication::startDragDistance() + 2, 0);
    QTest::mouseMove(source, away);
    if (!began) {
        inDrag.stop();
        QTest::mouseRelease(source, Qt::LeftButton, {}, away);
    }
    // The drag hands its release on to the widget under the mouse once it is over, as a posted
    // event: delivered now, as the event loop would, so that it ends no later drag.
    QCoreApplication::sendPostedEvents();
    return began;
}

void whenMessageBoxShows(const std::function<void(QMessageBox &box)> &act)
{
    auto *poll = new QTimer(qApp);
    const QDeadlineTimer deadline(5000);
    QObject::connect(poll, &QTimer::timeout, qApp, [poll, act, deadline] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        const bool shown = box && box->isVisible();
        if (!shown && !deadline.hasExpired())
            return;
        poll->deleteLater();
        poll->stop();
        if (shown)
            act(*box);
        else
            ADD_FAILURE() << "no message box came";
    });
    poll->start(10);
}

void pressKey(QWidget *window, Qt::Key key)
{
    QWidget *focused = window->focusWidget();
    QTest::keyClick(focused ? focused : window, key);
}

} // namespace TestSupport
