// The project tree and the File menu: new project, new web site, rename, remove, the enabling of
// the menu items for every kind of node.
#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPlainTextEdit>
#include <QTabWidget>

#include "MainWindowFixture.h"
#include "core/clsPreference.h"
#include "platform/EventLoop.h"

namespace {

const QString kRefused = QStringLiteral("A WebProject or WebSite file name cannot contain any of the following characters:");

QList<int> enabledIndexes(const QVector<QAction *> &items, int upTo)
{
    QList<int> enabled;
    for (int i = 0; i <= upTo && i < items.size(); ++i) {
        if (!items[i]->isSeparator() && items[i]->isEnabled())
            enabled << i;
    }
    return enabled;
}

} // namespace

class TreeCommands : public MainWindowTest {
protected:
    // The user renames the current node: F2 (or the click on the selected node) opens the editor,
    // the name is typed over the old one, Enter. False when the editor did not open or opened
    // again with the refused name (then Esc gives up).
    bool rename(const QString &name)
    {
        QTest::keyClick(w->TreeView1, Qt::Key_F2);
        if (!Platform::waitUntil([this] { return openEditor() != nullptr; }, 2000))
            return false;
        QPointer<QLineEdit> editor = openEditor();
        editor->selectAll();
        QTest::keyClicks(editor, name);
        QTest::keyClick(editor, Qt::Key_Return);
        const auto reopened = [&] { return openEditor() && openEditor() != editor.data(); };
        Platform::waitUntil([&] { return w->m_currentNode->text(0) == name || reopened(); }, 2000);
        if (reopened()) {
            QTest::keyClick(openEditor(), Qt::Key_Escape);
            QApplication::processEvents();
            return false;
        }
        return w->m_currentNode->text(0) == name;
    }
};

TEST_F(TreeCommands, LoadBuildsTheTreeAndLeavesEveryFileAsItWas)
{
    openWithProjects();
    const QByteArray list = bytes(listFile());
    const QByteArray outlet = bytes(siteFile(QStringLiteral("Outlet.vqs")));
    ASSERT_TRUE(node(QStringLiteral("Root\\Shops\\Shop")));
    EXPECT_EQ(Platform::itemTag(node(QStringLiteral("root\\shops\\shop"))).left(2), QStringLiteral("1|"));
    EXPECT_EQ(Platform::itemTag(node(QStringLiteral("Root\\Shops\\Outlet"))).left(2), QStringLiteral("3|"));
    EXPECT_TRUE(node(QStringLiteral("Root\\Empty")));
    EXPECT_EQ(currentKey(), QStringLiteral("Root\\Shops"));
    EXPECT_EQ(w->txtProjectDescr->toPlainText(), QStringLiteral("Two shop sites"));
    // The first click after the load saves nothing, and the next ones rewrite what is stored.
    click(QStringLiteral("Root\\Shops\\Outlet"));
    click(QStringLiteral("Root\\Empty"));
    EXPECT_EQ(bytes(listFile()), list);
    EXPECT_EQ(bytes(siteFile(QStringLiteral("Outlet.vqs"))), outlet);
}

TEST_F(TreeCommands, HeaderLikeTextInsideAValueMakesNoProject)
{
    installSample();
    writeProgramFile(QStringLiteral("project.vqj"),
                     "[Clients]\r\nDescription=Clients [2026\r\nLast=1\r\n1=Shop [old]|/nowhere/[x].vqs\r\n");
    ASSERT_TRUE(main->Display());
    EXPECT_EQ(w->TreeView1->topLevelItem(0)->childCount(), 1);
    EXPECT_TRUE(node(QStringLiteral("Root\\Clients\\Shop [old]")));
    EXPECT_EQ(Platform::itemTag(node(QStringLiteral("Root\\Clients"))), QStringLiteral("Clients [2026"));
}

TEST_F(TreeCommands, NewProjectIsTrimmedAddedAndStored)
{
    openWithProjects();
    env.dialogs.answerInput(QStringLiteral("  New One  "));
    choose(w->mnuFileItems[0]);
    ASSERT_TRUE(node(QStringLiteral("Root\\New One")));
    EXPECT_EQ(currentKey(), QStringLiteral("Root\\New One"));
    EXPECT_EQ(itemImageKey(w->m_currentNode), QStringLiteral("ProjectFolderOpen"));
    EXPECT_EQ(listValue(QStringLiteral("New One"), QStringLiteral("Last")), QStringLiteral("0"));
    EXPECT_TRUE(bytes(listFile()).contains("[New One]\r\nDescription=\r\nLast=0\r\n"));
    EXPECT_FALSE(w->SSTab2->isHidden());
    EXPECT_TRUE(w->ToolbarMainButtons[1]->isEnabled());
    EXPECT_EQ(env.dialogs.shown()[0].prompt, QStringLiteral("Please specify a name for your new project:"));
}

TEST_F(TreeCommands, NamesWithRefusedCharactersAreRefusedEvenAtTheDuplicatePrompt)
{
    openWithProjects();
    const QByteArray list = bytes(listFile());
    env.dialogs.answerInput(QStringLiteral("a\"b"));
    env.dialogs.answerMessage(Platform::Ok);
    choose(w->mnuFileItems[0]);
    EXPECT_TRUE(env.dialogs.wasShown(kRefused));

    env.dialogs.answerInput(QStringLiteral("Shops"));
    env.dialogs.answerInput(QStringLiteral("x|y"));
    env.dialogs.answerMessage(Platform::Ok);
    choose(w->mnuFileItems[0]);
    EXPECT_EQ(w->TreeView1->topLevelItem(0)->childCount(), 2);
    EXPECT_EQ(bytes(listFile()), list);
}

TEST_F(TreeCommands, GivingUpAtTheDuplicatePromptKeepsTheCurrentProjectsData)
{
    openWithProjects();
    env.dialogs.answerInput(QStringLiteral("shops"));
    env.dialogs.answerInput(QString());
    choose(w->mnuFileItems[0]);
    EXPECT_TRUE(env.dialogs.wasShown(QStringLiteral("The name 'shops' is already exist, please choose a different name:")));
    EXPECT_EQ(env.dialogs.shown().last().title, QStringLiteral("NewProject"));
    EXPECT_EQ(w->txtProjectDescr->toPlainText(), QStringLiteral("Two shop sites"));
    click(QStringLiteral("Root\\Empty"));
    EXPECT_EQ(listValue(QStringLiteral("Shops"), QStringLiteral("Description")), QStringLiteral("Two shop sites"));

    // Another name at the prompt goes on.
    click(QStringLiteral("Root\\Shops"));
    env.dialogs.answerInput(QStringLiteral("Shops"));
    env.dialogs.answerInput(QStringLiteral(" Shops 2 "));
    choose(w->mnuFileItems[0]);
    EXPECT_TRUE(node(QStringLiteral("Root\\Shops 2")));
}

TEST_F(TreeCommands, NewWebSiteTakesTheFreeEntryAndAFileOfItsOwn)
{
    openWithProjects();
    click(QStringLiteral("Root\\Shops\\Shop"));
    EXPECT_EQ(w->txtSiteTitle->text(), QStringLiteral("Shop title"));
    env.dialogs.answerInput(QStringLiteral("Fresh"));
    choose(w->mnuFileItems[3]);
    QTreeWidgetItem *fresh = node(QStringLiteral("Root\\Shops\\Fresh"));
    ASSERT_TRUE(fresh);
    const QString path = siteFile(QStringLiteral("Fresh.vqs"));
    EXPECT_EQ(Platform::itemTag(fresh), QStringLiteral("2|") + path);
    EXPECT_EQ(listValue(QStringLiteral("Shops"), QStringLiteral("2")), QStringLiteral("Fresh|") + path);
    EXPECT_EQ(listValue(QStringLiteral("Shops"), QStringLiteral("Last")), QStringLiteral("3"));
    // The site's file exists at once, with the emptied details.
    EXPECT_TRUE(QFile::exists(path));
    EXPECT_EQ(siteValue(path, QStringLiteral("Title")), QString());
    EXPECT_TRUE(w->txtSiteTitle->text().isEmpty());
    EXPECT_EQ(siteValue(siteFile(QStringLiteral("Shop.vqs")), QStringLiteral("Title")), QStringLiteral("Shop title"));
}

TEST_F(TreeCommands, KeptDetailsGoOnlyToTheNewSiteNotToALaterSiteWithoutItsFile)
{
    openWithProjects();
    myPreference().setDontClearFields(1);
    click(QStringLiteral("Root\\Shops\\Shop"));
    env.dialogs.answerInput(QStringLiteral("Copy"));
    choose(w->mnuFileItems[3]);
    ASSERT_EQ(currentKey(), QStringLiteral("Root\\Shops\\Copy"));
    // The new site starts with a copy of the details on show.
    EXPECT_EQ(siteValue(siteFile(QStringLiteral("Copy.vqs")), QStringLiteral("Title")), QStringLiteral("Shop title"));
    // A site whose file has gone shows empty details, not the copy made for the new site.
    QFile::remove(siteFile(QStringLiteral("Outlet.vqs")));
    click(QStringLiteral("Root\\Shops\\Outlet"));
    EXPECT_TRUE(w->txtSiteTitle->text().isEmpty());
    click(QStringLiteral("Root\\Shops"));
    EXPECT_EQ(siteValue(siteFile(QStringLiteral("Outlet.vqs")), QStringLiteral("Title")), QString());
}

TEST_F(TreeCommands, NewWebSiteNeverTakesAnExistingFile)
{
    openWithProjects();
    const QByteArray shop = bytes(siteFile(QStringLiteral("Shop.vqs")));
    env.writeFile(siteFile(QStringLiteral("Shop (2).vqs")), "removed site\r\n");
    click(QStringLiteral("Root\\Empty"));
    env.dialogs.answerInput(QStringLiteral("Shop"));
    choose(w->mnuFileItems[3]);
    QTreeWidgetItem *site = node(QStringLiteral("Root\\Empty\\Shop"));
    ASSERT_TRUE(site);
    EXPECT_EQ(Platform::itemTag(site), QStringLiteral("1|") + siteFile(QStringLiteral("Shop (3).vqs")));
    EXPECT_EQ(bytes(siteFile(QStringLiteral("Shop.vqs"))), shop);
    EXPECT_EQ(bytes(siteFile(QStringLiteral("Shop (2).vqs"))), QByteArray("removed site\r\n"));
}

// On the root neither the File menu nor the toolbar offers a new web site.
TEST_F(TreeCommands, NewWebSiteIsNotOfferedOnTheRoot)
{
    openWithProjects();
    click(QStringLiteral("Root"));
    EXPECT_FALSE(offered(w->mnuFile, w->mnuFileItems[3]));
    EXPECT_FALSE(w->toolbarButton(QStringLiteral("NewWeb"))->isEnabled());
    EXPECT_TRUE(env.dialogs.shown().isEmpty());
}

TEST_F(TreeCommands, RenamingAProjectRenamesItsSectionAndRekeysItsSites)
{
    openWithProjects();
    click(QStringLiteral("Root\\Shops"));
    ASSERT_TRUE(rename(QStringLiteral("Stores")));
    EXPECT_TRUE(node(QStringLiteral("Root\\Stores\\Shop")));
    EXPECT_FALSE(node(QStringLiteral("Root\\Shops\\Shop")));
    EXPECT_EQ(listValue(QStringLiteral("Stores"), QStringLiteral("Last")), QStringLiteral("3"));
    EXPECT_FALSE(bytes(listFile()).contains("[Shops]"));
    EXPECT_EQ(w->fraSiteInfo[0]->title(), QStringLiteral("Stores"));
    // A new site of an existing name in the renamed project is a duplicate.
    env.dialogs.answerInput(QStringLiteral("Shop"));
    env.dialogs.answerInput(QString());
    choose(w->mnuFileItems[3]);
    EXPECT_TRUE(env.dialogs.wasShown(QStringLiteral("The name 'Shop' is already exist")));
    // A second rename starts from the new name.
    ASSERT_TRUE(rename(QStringLiteral("Shops Again")));
    EXPECT_TRUE(bytes(listFile()).contains("[Shops Again]"));
}

TEST_F(TreeCommands, CaseOnlyRenameStoresNothingAndTheRootCannotBeRenamed)
{
    openWithProjects();
    const QByteArray list = bytes(listFile());
    click(QStringLiteral("Root\\Shops"));
    ASSERT_TRUE(rename(QStringLiteral("SHOPS")));
    EXPECT_EQ(w->m_currentNode->text(0), QStringLiteral("SHOPS"));
    EXPECT_EQ(bytes(listFile()), list);
    click(QStringLiteral("Root"));
    QTest::keyClick(w->TreeView1, Qt::Key_F2);
    EXPECT_FALSE(openEditor());
}

TEST_F(TreeCommands, RefusedRenameShowsTheOldNameAndLaterCommandsActOnTheRightEntry)
{
    openWithProjects();
    click(QStringLiteral("Root\\Shops\\Shop"));
    const QByteArray list = bytes(listFile());
    env.dialogs.answerMessage(Platform::Ok);
    EXPECT_FALSE(rename(QStringLiteral("outlet")));
    EXPECT_TRUE(env.dialogs.wasShown(QStringLiteral("Cannot rename 'Shop'. A file with the name you specified already exists")));
    EXPECT_EQ(w->m_currentNode->text(0), QStringLiteral("Shop"));
    EXPECT_EQ(bytes(listFile()), list);
    env.dialogs.answerMessage(Platform::Ok);
    EXPECT_FALSE(rename(QStringLiteral("a/b")));
    EXPECT_TRUE(env.dialogs.wasShown(kRefused));
    EXPECT_EQ(w->m_currentNode->text(0), QStringLiteral("Shop"));

    env.dialogs.answerMessage(Platform::Yes);
    QTest::keyClick(w->TreeView1, Qt::Key_Delete);
    EXPECT_TRUE(env.dialogs.wasShown(QStringLiteral("Are you sure you want to remove this web site : Shop ?")));
    EXPECT_EQ(listValue(QStringLiteral("Shops"), QStringLiteral("1")), QString());
    EXPECT_TRUE(listValue(QStringLiteral("Shops"), QStringLiteral("3")).startsWith(QStringLiteral("Outlet|")));
    EXPECT_FALSE(node(QStringLiteral("Root\\Shops\\Shop")));
    EXPECT_TRUE(node(QStringLiteral("Root\\Shops\\Outlet")));
}

TEST_F(TreeCommands, RenamingASiteRewritesItsEntryAndKeepsItsFile)
{
    openWithProjects();
    click(QStringLiteral("Root\\Shops\\Outlet"));
    ASSERT_TRUE(rename(QStringLiteral("Aardvark")));
    EXPECT_EQ(listValue(QStringLiteral("Shops"), QStringLiteral("3")),
              QStringLiteral("Aardvark|") + siteFile(QStringLiteral("Outlet.vqs")));
    // Only the renamed node's own children are sorted; its place stays.
    EXPECT_EQ(childTexts(QStringLiteral("Root\\Shops")), (QStringList{QStringLiteral("Shop"), QStringLiteral("Aardvark")}));
    // The same name in another project is no duplicate.
    click(QStringLiteral("Root\\Empty"));
    env.dialogs.answerInput(QStringLiteral("Other"));
    choose(w->mnuFileItems[3]);
    ASSERT_TRUE(rename(QStringLiteral("Shop")));
    EXPECT_TRUE(node(QStringLiteral("Root\\Empty\\Shop")));
}

TEST_F(TreeCommands, RemovingPicksTheNextNodeWithoutWritingIntoIt)
{
    openWithProjects();
    click(QStringLiteral("Root\\Shops\\Shop"));
    const QByteArray outlet = bytes(siteFile(QStringLiteral("Outlet.vqs")));
    w->txtSiteTitle->setText(QStringLiteral("edited before removal"));
    env.dialogs.answerMessage(Platform::Yes);
    choose(w->mnuFileItems[4]);
    EXPECT_EQ(currentKey(), QStringLiteral("Root\\Shops\\Outlet"));
    EXPECT_EQ(w->txtSiteTitle->text(), QStringLiteral("Outlet title"));
    click(QStringLiteral("Root\\Shops\\Outlet"));   // the next save writes Outlet's own details
    EXPECT_EQ(bytes(siteFile(QStringLiteral("Outlet.vqs"))), outlet);
    // The file of a removed site stays on disk.
    EXPECT_TRUE(QFile::exists(siteFile(QStringLiteral("Shop.vqs"))));

    env.dialogs.answerMessage(Platform::Yes);
    choose(w->mnuFileItems[4]);
    EXPECT_EQ(currentKey(), QStringLiteral("Root\\Shops"));   // the only site gone: its project

    click(QStringLiteral("Root\\Empty"));
    env.dialogs.answerMessage(Platform::Yes);
    choose(w->mnuFileItems[1]);
    EXPECT_TRUE(env.dialogs.wasShown(QStringLiteral("If you remove this project: Empty, all web sites under this "
                                                    "project will also be removed.\r\n\r\nAre you sure you want to "
                                                    "remove: Empty ?")));
    EXPECT_EQ(currentKey(), QStringLiteral("Root\\Shops"));
    EXPECT_FALSE(bytes(listFile()).contains("[Empty]"));
    EXPECT_EQ(listValue(QStringLiteral("Shops"), QStringLiteral("Description")), QStringLiteral("Two shop sites"));

    env.dialogs.answerMessage(Platform::Yes);
    choose(w->mnuFileItems[1]);
    EXPECT_EQ(currentKey(), QStringLiteral("Root"));
}

TEST_F(TreeCommands, NoAtTheQuestionAndDeleteOnTheRootRemoveNothing)
{
    openWithProjects();
    const QByteArray list = bytes(listFile());
    env.dialogs.answerMessage(Platform::No);
    choose(w->mnuFileItems[1]);
    EXPECT_TRUE(node(QStringLiteral("Root\\Shops")));
    click(QStringLiteral("Root"));
    QTest::keyClick(w->TreeView1, Qt::Key_Delete);   // only a beep: no question
    chooseIfOffered(w->mnuFile, w->mnuFileItems[1]);
    EXPECT_EQ(env.dialogs.shown().size(), 1);
    EXPECT_EQ(w->TreeView1->topLevelItem(0)->childCount(), 2);
    EXPECT_EQ(bytes(listFile()), list);
}

TEST_F(TreeCommands, MenuItemsAreOfferedByKindOfNode)
{
    openWithProjects();
    click(QStringLiteral("Root"));
    lookAt(w->mnuFile);
    EXPECT_EQ(enabledIndexes(w->mnuFileItems, 10), QList<int>{0});
    openPopup();
    QTest::keyClick(w->mnuPopup, Qt::Key_Escape);
    EXPECT_EQ(enabledIndexes(w->mnuPopupItems, 10), QList<int>{0});

    click(QStringLiteral("Root\\Shops"));
    lookAt(w->mnuFile);
    EXPECT_EQ(enabledIndexes(w->mnuFileItems, 10), (QList<int>{0, 1, 3, 6, 10}));
    openPopup();
    QTest::keyClick(w->mnuPopup, Qt::Key_Escape);
    EXPECT_EQ(enabledIndexes(w->mnuPopupItems, 10), (QList<int>{0, 1, 3, 6, 10}));

    click(QStringLiteral("Root\\Shops\\Shop"));
    lookAt(w->mnuFile);
    EXPECT_EQ(enabledIndexes(w->mnuFileItems, 10), (QList<int>{0, 3, 4, 6, 7, 8, 10}));
    // The later File items are always there.
    EXPECT_EQ(enabledIndexes(w->mnuFileItems, 15), (QList<int>{0, 3, 4, 6, 7, 8, 10, 12, 13, 15}));

    clickToolbar(QStringLiteral("Engines"));
    lookAt(w->mnuFile);
    EXPECT_EQ(enabledIndexes(w->mnuFileItems, 10), (QList<int>{0, 3, 6, 10}));
    lookAt(w->mnuEngines);
    EXPECT_EQ(enabledIndexes(w->mnuEngineItems, 8), (QList<int>{0, 1, 3, 4, 6, 8}));
    click(QStringLiteral("Root"));
    lookAt(w->mnuEngines);
    EXPECT_EQ(enabledIndexes(w->mnuEngineItems, 8), QList<int>{});
}

TEST_F(TreeCommands, PopupDeleteOfASiteWorksWhileTheEnginesPageIsShowing)
{
    openWithProjects();
    click(QStringLiteral("Root\\Shops\\Shop"));
    clickToolbar(QStringLiteral("Engines"));
    env.dialogs.answerMessage(Platform::Yes);
    chooseFromPopup(w->mnuPopupItems[4]);
    EXPECT_FALSE(node(QStringLiteral("Root\\Shops\\Shop")));
    EXPECT_TRUE(listValue(QStringLiteral("Shops"), QStringLiteral("1")).isEmpty());
}

TEST_F(TreeCommands, PopupRenameStartsEditingAndOtherItemsRunTheFileItems)
{
    openWithProjects();
    click(QStringLiteral("Root\\Empty"));
    env.dialogs.answerInput(QStringLiteral("Via Popup"));
    chooseFromPopup(w->mnuPopupItems[3]);
    EXPECT_TRUE(node(QStringLiteral("Root\\Empty\\Via Popup")));
    chooseFromPopup(w->mnuPopupItems[10]);
    EXPECT_TRUE(w->TreeView1->findChild<QLineEdit *>());
}

TEST_F(TreeCommands, DoubleClickSortsTheChildrenIgnoringCase)
{
    openWithProjects();
    click(QStringLiteral("Root\\Shops"));
    env.dialogs.answerInput(QStringLiteral("alpha"));
    choose(w->mnuFileItems[3]);
    TestSupport::doubleClickRow(w->TreeView1, node(QStringLiteral("Root\\Shops")));
    EXPECT_EQ(childTexts(QStringLiteral("Root\\Shops")),
              (QStringList{QStringLiteral("alpha"), QStringLiteral("Outlet"), QStringLiteral("Shop")}));
    EXPECT_EQ(currentKey(), QStringLiteral("Root\\Shops"));
}
