// What the keyboard and the layout do for the user of the main window: Tab in the multi-line
// fields, the menu mnemonics on the engines page, the engine list columns as the window is
// resized, the name editor of a new node and the steady meta-tag labels.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTest>

#include "MainWindowFixture.h"
#include "mainwindow/SitePages.h"
#include "mainwindow/UrlToolbar.h"
#include "platform/EventLoop.h"
#include "sitedata/EngineListView.h"

class KeysAndLayout : public MainWindowTest {
protected:
    void showEnginesPage()
    {
        click(QStringLiteral("Root\\Shops\\Shop"));
        clickToolbar(QStringLiteral("Engines"));
        ASSERT_FALSE(w->SSTab3->isHidden());
    }
    QLineEdit *openEditor() const
    {
        for (QLineEdit *editor : w->TreeView1->findChildren<QLineEdit *>())
            if (editor->isVisible())
                return editor;
        return nullptr;
    }
};

TEST_F(KeysAndLayout, TabInAMultiLineFieldMovesOnAndTypesNothing)
{
    openWithProjects();
    click(QStringLiteral("Root\\Shops\\Shop"));
    for (QPlainTextEdit *field : {w->txtSiteKeywords, w->txtSiteDescription, w->txtURLKeyword, w->txtURLDescription,
                                  w->txtProjectDescr}) {
        field->setPlainText(QStringLiteral("gifts"));
        QTest::keyClick(field, Qt::Key_Tab);
        EXPECT_EQ(field->toPlainText(), QStringLiteral("gifts")) << field->objectName().toStdString();
    }
}

TEST_F(KeysAndLayout, AltFAndAltHOpenTheirMenusOverTheTypeBoxesOfTheEnginesPage)
{
    openWithProjects();
    showEnginesPage();
    ASSERT_TRUE(w->chkType[2]->text().startsWith(QStringLiteral("&FFA Links(")));
    ASSERT_TRUE(w->chkType[5]->text().startsWith(QStringLiteral("&Hot Sites(")));
    for (const auto &[key, menu] : {std::pair{Qt::Key_F, w->mnuFile}, std::pair{Qt::Key_H, w->mnuHelp}}) {
        // Qt gives a key that two mnemonics share to each in turn: every press must open the menu.
        for (int press = 0; press < 2; ++press) {
            w->activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(w));
            QTest::keyClick(w, key, Qt::AltModifier);
            EXPECT_TRUE(menu->isVisible()) << menu->title().toStdString() << " press " << press;
            menu->close();
        }
    }
    EXPECT_FALSE(w->chkType[2]->isChecked());
    EXPECT_FALSE(w->chkType[5]->isChecked());
}

TEST_F(KeysAndLayout, EngineListColumnsFollowTheWindowSizeAndFitTheList)
{
    openWithProjects();
    showEnginesPage();
    for (const QSize size : {QSize(1100, 760), QSize(1400, 900), QSize(900, 650)}) {
        w->resize(size);
        QApplication::processEvents();
        for (EngineListView *list : {w->lsvEngines, w->lsvSelectedEngines}) {
            const int width = list->viewport()->width();
            const int name = list->columnWidth(0), type = list->columnWidth(1), country = list->columnWidth(2);
            // Name 2.5, type 0.7 and country 1 parts of 4.2, filling the list without a side scroll.
            EXPECT_NEAR(name, width * 2.5 / 4.2, 1.0) << size.width();
            EXPECT_NEAR(type, width * 0.7 / 4.2, 1.0) << size.width();
            EXPECT_EQ(name + type + country, width) << size.width();
            EXPECT_GE(country, list->fontMetrics().horizontalAdvance(QStringLiteral("Country"))) << size.width();
        }
    }
}

TEST_F(KeysAndLayout, TheNameEditorOfANewNodeOpensWithTheNameSelected)
{
    openWithProjects();
    env.dialogs.answerInput(QStringLiteral("Garden"));
    choose(w->mnuFileItems[0]);
    QLineEdit *editor = openEditor();
    ASSERT_TRUE(editor);
    EXPECT_EQ(editor->selectedText(), QStringLiteral("Garden"));
    QTest::keyClick(editor, Qt::Key_Escape);

    env.dialogs.answerInput(QStringLiteral("Roses"));
    choose(w->mnuFileItems[3]);
    editor = openEditor();
    ASSERT_TRUE(editor);
    EXPECT_EQ(editor->selectedText(), QStringLiteral("Roses"));
}

TEST_F(KeysAndLayout, MetaTagLabelsKeepTheirWidthWhenTheirCountsAppear)
{
    openWithProjects();
    click(QStringLiteral("Root\\Shops\\Shop"));
    w->SSTab1->setCurrentIndex(1);
    QApplication::processEvents();
    const int fieldLeft = w->txtURLDescription->x();
    const int labelWidth = w->Label1[4]->width();
    const QString description(1200, QLatin1Char('d'));
    w->sitePages->urlCommands->getMetaTag(QStringLiteral("<title>Shop</title><meta name=\"description\" content=\"")
                                          + description + QStringLiteral("\">"));
    ASSERT_EQ(w->Label1[4]->text(), QStringLiteral("Description: (1200 chars)"));
    QApplication::processEvents();
    EXPECT_EQ(w->Label1[4]->width(), labelWidth);
    EXPECT_EQ(w->txtURLDescription->x(), fieldLeft);
}
