// The project tree driven by the mouse and the keyboard, as the user drives it.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QMenu>
#include <QTabWidget>
#include <QTest>

#include "MainWindowFixture.h"
#include "platform/EventLoop.h"

class TreeInput : public MainWindowTest {
protected:
    QPoint centreOf(const QString &key) const
    {
        return w->TreeView1->visualItemRect(node(key)).center();
    }
};

TEST_F(TreeInput, AMouseClickRunsTheNodeClickOnce)
{
    openWithProjects();
    QTest::mouseClick(w->TreeView1->viewport(), Qt::LeftButton, {}, centreOf(QStringLiteral("Root\\Shops\\Outlet")));
    EXPECT_EQ(currentKey(), QStringLiteral("Root\\Shops\\Outlet"));
    EXPECT_EQ(w->txtSiteTitle->text(), QStringLiteral("Outlet title"));
    EXPECT_FALSE(w->SSTab1->isHidden());
    // Edits reach the file when the user clicks elsewhere.
    w->txtSiteTitle->setText(QStringLiteral("clicked away"));
    QTest::mouseClick(w->TreeView1->viewport(), Qt::LeftButton, {}, centreOf(QStringLiteral("Root\\Empty")));
    EXPECT_EQ(currentKey(), QStringLiteral("Root\\Empty"));
    EXPECT_EQ(siteValue(siteFile(QStringLiteral("Outlet.vqs")), QStringLiteral("Title")), QStringLiteral("clicked away"));
}

TEST_F(TreeInput, MovingByTheKeyboardCountsAsAClick)
{
    openWithProjects();
    w->TreeView1->setFocus();
    QTest::keyClick(w->TreeView1, Qt::Key_Down);
    EXPECT_EQ(currentKey(), QStringLiteral("Root\\Shops\\Shop"));
    EXPECT_EQ(w->txtSiteTitle->text(), QStringLiteral("Shop title"));
    EXPECT_EQ(w->TreeView1->currentItem(), w->m_currentNode);
    // A later click on that node runs the click handling (its auto-save) again.
    w->txtSiteTitle->setText(QStringLiteral("saved by the click"));
    QTest::mouseClick(w->TreeView1->viewport(), Qt::LeftButton, {}, centreOf(QStringLiteral("Root\\Shops\\Shop")));
    EXPECT_EQ(siteValue(siteFile(QStringLiteral("Shop.vqs")), QStringLiteral("Title")), QStringLiteral("saved by the click"));
}

TEST_F(TreeInput, ARightClickKeepsTheCurrentNodeAndOffersItsItems)
{
    openWithProjects();
    click(QStringLiteral("Root\\Shops\\Shop"));
    // The menu opens without a nested loop here: the close must not outlive the window.
    QTimer::singleShot(0, w->mnuPopup, [menu = w->mnuPopup] { menu->close(); });
    QTest::mouseClick(w->TreeView1->viewport(), Qt::RightButton, {}, centreOf(QStringLiteral("Root\\Empty")));
    EXPECT_EQ(currentKey(), QStringLiteral("Root\\Shops\\Shop"));
    EXPECT_TRUE(w->mnuPopupItems[4]->isEnabled());
    EXPECT_FALSE(w->mnuPopupItems[1]->isEnabled());
}

TEST_F(TreeInput, TheDeleteKeyRemovesTheCurrentNode)
{
    openWithProjects();
    click(QStringLiteral("Root\\Shops\\Outlet"));
    w->TreeView1->setFocus();
    env.dialogs.answerMessage(Platform::Yes);
    QTest::keyClick(w->TreeView1, Qt::Key_Delete);
    EXPECT_FALSE(node(QStringLiteral("Root\\Shops\\Outlet")));
    EXPECT_EQ(listValue(QStringLiteral("Shops"), QStringLiteral("3")), QString());
}

TEST_F(TreeInput, TypingInTheLabelEditorRenames)
{
    openWithProjects();
    click(QStringLiteral("Root\\Empty"));
    QTest::keyClick(w->TreeView1, Qt::Key_F2);
    QLineEdit *editor = openEditor();
    ASSERT_TRUE(editor);
    editor->setText(QStringLiteral("Renamed"));
    QTest::keyClick(editor, Qt::Key_Return);   // the editor commits from the event loop
    EXPECT_TRUE(Platform::waitUntil([this] { return node(QStringLiteral("Root\\Renamed")) != nullptr; }, 2000));
    EXPECT_TRUE(bytes(listFile()).contains("[Renamed]"));

    // A refused name: the old name shows and the editor opens again with the typed text.
    ASSERT_TRUE(Platform::waitUntil([this] { return openEditor() == nullptr; }, 2000));
    QTest::keyClick(w->TreeView1, Qt::Key_F2);
    editor = openEditor();
    ASSERT_TRUE(editor);
    editor->setText(QStringLiteral("Shops"));
    env.dialogs.answerMessage(Platform::Ok);
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_TRUE(Platform::waitUntil([this] { return env.dialogs.pendingAnswers() == 0; }, 2000));
    EXPECT_EQ(w->m_currentNode->text(0), QStringLiteral("Renamed"));
    ASSERT_TRUE(Platform::waitUntil([this] {
        QLineEdit *again = openEditor();
        return again && again->text() == QStringLiteral("Shops");
    }, 2000));
    QTest::keyClick(openEditor(), Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_EQ(w->m_currentNode->text(0), QStringLiteral("Renamed"));
}

TEST_F(TreeInput, ClickingASiteWhileItsProjectIsBeingRenamedRenamesAndOpensTheSite)
{
    openWithProjects();
    ASSERT_EQ(currentKey(), QStringLiteral("Root\\Shops"));   // the first node is selected on opening
    QTest::keyClick(w->TreeView1, Qt::Key_F2);
    QLineEdit *editor = openEditor();
    ASSERT_TRUE(editor);
    editor->setText(QStringLiteral("Stores"));
    QTest::mouseClick(w->TreeView1->viewport(), Qt::LeftButton, {}, centreOf(QStringLiteral("Root\\Shops\\Outlet")));
    QApplication::processEvents();
    EXPECT_TRUE(bytes(listFile()).contains("[Stores]"));
    EXPECT_EQ(currentKey(), QStringLiteral("Root\\Stores\\Outlet"));
    EXPECT_EQ(w->TreeView1->currentItem(), w->m_currentNode);
    EXPECT_EQ(w->txtSiteTitle->text(), QStringLiteral("Outlet title"));
    EXPECT_FALSE(w->SSTab1->isHidden());
}
