// The main window's load, its missing-data path and its close question, offscreen.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <QWindow>
#include <QtTest/QTest>

#include "core/clsPreference.h"
#include "enginedata/frmUpdateEngines.h"
#include "ftp/frmFTPClient.h"
#include "pagetools/frmMetaTag.h"
#include "platform/CommonControls.h"
#include "platform/SettingsStore.h"
#include "sitedata/EngineCollection.h"
#include "sitedata/EngineListView.h"
#include "platform/KeyedListView.h"
#include "sitedata/MainObjectFixture.h"
#include "sitedata/modDataFiles.h"
#include "submission/frmSubmit.h"
#include "support/UserInput.h"

namespace {

// Answers the next modal update window: runs `whileOpen`, then closes it. Returns the label text
// it showed through `shownText`.
void answerUpdateWindow(QString *shownText, const std::function<void()> &whileOpen = {})
{
    QTimer::singleShot(0, qApp, [shownText, whileOpen] {
        auto *update = qobject_cast<frmUpdateEngines *>(QApplication::activeModalWidget());
        ASSERT_TRUE(update) << "the update window is not open";
        *shownText = update->Label1->text();
        if (whileOpen)
            whileOpen();
        TestSupport::clickOn(update->cmdClose);
    });
}

} // namespace

class MainWindowLoad : public MainObjectTest {
protected:
    QString captionOf(int typeBox) const { return w->chkType[typeBox]->text(); }
};

TEST_F(MainWindowLoad, SampleDataFillsTheListsAndSelectsTheRoot)
{
    installSample();
    ASSERT_TRUE(main->Display());
    for (const char *folder : {"Reports", "Reports/Submition", "Reports/Ranking", "Projects", "Engines"})
        EXPECT_TRUE(QDir(env.programFolder() + QString::fromLatin1(folder)).exists()) << folder;
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Velquist"));
    EXPECT_EQ(w->lsvEngines->count(), myEngines().count());
    EXPECT_GE(myEngines().count(), 55);
    EXPECT_TRUE(w->lsvEngines->headerCaption(0).startsWith(QStringLiteral("Engines(")));
    EXPECT_TRUE(captionOf(0).startsWith(QStringLiteral("&General Engines(")));
    EXPECT_FALSE(captionOf(0).endsWith(QStringLiteral("(0)")));
    EXPECT_FALSE(captionOf(4).endsWith(QStringLiteral("(0)")));
    EXPECT_TRUE(captionOf(6).startsWith(QStringLiteral("&Miscellaneous(")));
    EXPECT_GE(w->lstCountry->count(), 5);
    EXPECT_GE(w->cboCountry->count(), 10);
    EXPECT_TRUE(w->cboCountry->currentText().isEmpty());
    EXPECT_GE(w->lstMainCategory->count(), 10);
    EXPECT_EQ(w->lstMainCategory->currentRow(), 0);
    EXPECT_GT(w->lstCategory->count(), 0);
    EXPECT_EQ(w->cboWebType->count(), 4);
    EXPECT_EQ(w->cboLanguage->itemText(2), QStringLiteral("Franch"));
    EXPECT_GT(w->cboCustomEngines->count(), 0);
    // Only the root: it is selected and the project page shows the Quick Start text.
    ASSERT_EQ(w->TreeView1->topLevelItemCount(), 1);
    EXPECT_EQ(w->m_currentNode, w->m_rootNode);
    EXPECT_EQ(w->TreeView1->currentItem(), w->m_rootNode);
    EXPECT_EQ(Platform::itemKey(w->m_rootNode), QStringLiteral("Root"));
    EXPECT_FALSE(w->SSTab2->isHidden());
    EXPECT_TRUE(w->SSTab1->isHidden());
    EXPECT_TRUE(w->SSTab3->isHidden());
    EXPECT_TRUE(w->lblQuickStartTips->text().startsWith(QStringLiteral("Quick Start:\n\n1. Click")));
    EXPECT_FALSE(w->toolbarButton(QStringLiteral("newweb"))->isEnabled());
    EXPECT_TRUE(w->m_bTypeClick);
    EXPECT_TRUE(w->m_bAutoSave);
    EXPECT_TRUE(env.dialogs.shown().isEmpty());
}

TEST_F(MainWindowLoad, ProjectListFillsTheTreeAndTheFirstProjectIsSelected)
{
    installSample();
    env.writeFile(clsMain::projectListPath(),
                  crlf({"[Family Shops]", "Description=Web sites [of] the family", "Last=3",
                        "1=Shoe Shop|/home/u/Shoe Shop.vqs", "2=", "3=Bakery|/home/u/Bakery.vqs", "[Hobby]", "Last=0"}));
    ASSERT_TRUE(main->Display());
    ASSERT_EQ(w->m_rootNode->childCount(), 2);
    QTreeWidgetItem *family = w->m_rootNode->child(0);
    EXPECT_EQ(Platform::itemKey(family), QStringLiteral("Root\\Family Shops"));
    EXPECT_EQ(Platform::itemTag(family), QStringLiteral("Web sites [of] the family"));
    ASSERT_EQ(family->childCount(), 2);
    EXPECT_EQ(Platform::itemTag(family->child(0)), QStringLiteral("1|/home/u/Shoe Shop.vqs"));
    EXPECT_EQ(Platform::itemTag(family->child(1)), QStringLiteral("3|/home/u/Bakery.vqs"));
    EXPECT_EQ(w->m_currentNode, family);
    EXPECT_EQ(itemImageKey(family), QStringLiteral("ProjectFolderOpen"));
    EXPECT_EQ(w->lblProjectTitle->text(), QStringLiteral("Family Shops"));
}

TEST_F(MainWindowLoad, EntriesAtTheTopOfTheIntRangeLoadInNumberOrderAtOnce)
{
    installSample();
    env.writeFile(clsMain::projectListPath(),
                  crlf({"[Big]", "Last=2147483647", "2147483647=Top|/t.vqs", "1=A|/a.vqs"}));
    ASSERT_TRUE(main->Display());
    ASSERT_EQ(w->m_rootNode->childCount(), 1);
    QTreeWidgetItem *big = w->m_rootNode->child(0);
    ASSERT_EQ(big->childCount(), 2);
    EXPECT_EQ(Platform::itemTag(big->child(0)), QStringLiteral("1|/a.vqs"));
    EXPECT_EQ(Platform::itemTag(big->child(1)), QStringLiteral("2147483647|/t.vqs"));
}

TEST_F(MainWindowLoad, RepeatedProjectsAndSitesAreReportedAndLoadedOnce)
{
    installSample();
    env.writeFile(clsMain::projectListPath(),
                  crlf({"[Big]", "Last=2", "1=A|/a.vqs", "2=a|/b.vqs", "[big]", "Last=1", "1=Again|/x.vqs", "[Small]"}));
    env.dialogs.answerMessage(Platform::Ok);
    env.dialogs.answerMessage(Platform::Ok);
    ASSERT_TRUE(main->Display());
    const QStringList expected = {QStringLiteral("Module: addNewNode\r\nError: The key Root\\Big\\a is not unique."),
                                  QStringLiteral("Module: addNewNode\r\nError: The key Root\\big is not unique.")};
    ASSERT_EQ(env.dialogs.shown().size(), expected.size());
    for (int i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(env.dialogs.shown()[i].prompt, expected[i]);
        EXPECT_EQ(env.dialogs.shown()[i].title, QStringLiteral("Error"));
        EXPECT_EQ(env.dialogs.shown()[i].style, Platform::Information);
    }
    ASSERT_EQ(w->m_rootNode->childCount(), 2);
    ASSERT_EQ(w->m_rootNode->child(0)->childCount(), 1);
    EXPECT_EQ(Platform::itemTag(w->m_rootNode->child(0)->child(0)), QStringLiteral("1|/a.vqs"));
}

TEST_F(MainWindowLoad, MissingEngineDataOpensTheUpdateWindowThenWarns)
{
    installSample();
    QFile::remove(enginePath(QStringLiteral("vqzeng5.dat")));
    w->m_intRefreshEngineData = -1;
    QString shown;
    answerUpdateWindow(&shown);
    env.dialogs.answerMessage(Platform::Ok);
    ASSERT_TRUE(main->Display());
    EXPECT_EQ(shown, frmMain::missingEngineDataUpdateText());
    EXPECT_TRUE(shown.startsWith(QStringLiteral("Engine Data file was not found or missing.")));
    EXPECT_EQ(w->m_intRefreshEngineData, 0);
    EXPECT_EQ(env.dialogs.shown().last().prompt, frmMain::missingEngineDataText());
    EXPECT_EQ(myEngines().count(), 0);
    EXPECT_TRUE(w->isVisible());
}

TEST_F(MainWindowLoad, EnginesFetchedWhileTheUpdateWindowIsOpenLoadInTheSameStart)
{
    installSample();
    QFile::remove(enginePath(QStringLiteral("catvqs.dat")));
    QString shown;
    answerUpdateWindow(&shown, [this] {
        writeEngineFile(QStringLiteral("catvqs.dat"), sampleFile(QStringLiteral("catvqs.dat")));
        emit frmUpdateEngines::instance()->engineDataStored(true);
    });
    ASSERT_TRUE(main->Display());
    EXPECT_FALSE(shown.isEmpty());
    EXPECT_NE(w->m_intRefreshEngineData, 0);
    EXPECT_GE(myEngines().count(), 55);
    EXPECT_TRUE(env.dialogs.shown().isEmpty());
}

TEST_F(MainWindowLoad, MissingCountryAndCategoryFilesAreReportedAndTheLoadGoesOn)
{
    writeEngineFile(QStringLiteral("vqzeng5.dat"), sampleFile(QStringLiteral("vqzeng5.dat")));
    writeEngineFile(QStringLiteral("catvqs.dat"), sampleFile(QStringLiteral("catvqs.dat")));
    env.dialogs.answerMessage(Platform::Ok);
    env.dialogs.answerMessage(Platform::Ok);
    ASSERT_TRUE(main->Display());
    ASSERT_EQ(env.dialogs.shown().size(), 2);
    EXPECT_EQ(env.dialogs.shown()[0].title, QStringLiteral("Load Country File"));
    EXPECT_EQ(env.dialogs.shown()[1].title, QStringLiteral("Load Category File"));
    EXPECT_EQ(env.dialogs.shown()[1].style, Platform::Critical);
    EXPECT_GT(myEngines().count(), 0);
}

TEST_F(MainWindowLoad, UpgradeNoteShowsOnceTheDownloadSettingAsksForIt)
{
    installSample();
    myPreference().setDownEngineData(1);
    env.dialogs.answerMessage(Platform::Ok);
    ASSERT_TRUE(main->Display());
    EXPECT_TRUE(env.dialogs.shown().last().prompt.startsWith(QStringLiteral("If this is the first time you upgrade")));
    EXPECT_EQ(Platform::getSetting(QStringLiteral("Velquist"), QStringLiteral("Setting"), QStringLiteral("Download")),
              QStringLiteral("0"));
}

TEST_F(MainWindowLoad, AFolderThatCannotBeMadeEndsTheLoadWithItsStep)
{
    installSample();
    env.writeFile(env.programFolder() + QStringLiteral("Projects"), "not a folder");
    env.dialogs.answerMessage(Platform::Ok);
    EXPECT_FALSE(main->Display());
    const QString prompt = env.dialogs.shown().last().prompt;
    EXPECT_TRUE(prompt.startsWith(QStringLiteral("Formload_Error: "))) << prompt.toStdString();
    EXPECT_TRUE(prompt.endsWith(QStringLiteral("\r\ncreate project folder")));
    EXPECT_TRUE(errorLog().contains("Formload_Error: "));
    EXPECT_EQ(myEngines().count(), 0);
}

TEST_F(MainWindowLoad, ClosingAsksAndNoKeepsEverything)
{
    installSample();
    ASSERT_TRUE(main->Display());
    const qsizetype engines = myEngines().count();
    env.dialogs.answerMessage(Platform::No);
    EXPECT_FALSE(w->close());
    const TestSupport::ShownDialog &question = env.dialogs.shown().last();
    EXPECT_EQ(question.prompt, QStringLiteral("Are you sure you want to exit?"));
    EXPECT_EQ(question.title, QStringLiteral("Exit"));
    EXPECT_EQ(question.style, Platform::YesNo | Platform::Information);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(myEngines().count(), engines);
    EXPECT_EQ(theMain(), main);

    // The modeless tools go with the main window.
    frmMetaTag::instance()->show();
    frmFTPClient::instance()->show();
    env.dialogs.answerMessage(Platform::Yes);
    EXPECT_TRUE(w->close());
    EXPECT_EQ(myEngines().count(), 0);
    EXPECT_EQ(theMain(), nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(frmMetaTag::loadedInstance(), nullptr);
    EXPECT_EQ(frmFTPClient::loadedInstance(), nullptr);
}

TEST_F(MainWindowLoad, CloseBoxOfTheMainWindowIsIgnoredWhileASubmissionWindowIsOpen)
{
    installSample();
    env.writeFile(clsMain::projectListPath(), crlf({"[Web]", "Last=0"}));
    ASSERT_TRUE(main->Display());
    w->show();
    main->EngineSelect(1);
    const qsizetype engines = myEngines().count();
    ASSERT_GT(engines, 0);
    QAction *submit = w->toolbarButton(QStringLiteral("Submit"));
    QTest::mouseClick(w->ToolbarMain->widgetForAction(submit), Qt::LeftButton);
    QPointer<frmSubmit> submitWindow;
    for (QWidget *top : QApplication::topLevelWidgets()) {
        if (auto *found = qobject_cast<frmSubmit *>(top))
            submitWindow = found;
    }
    ASSERT_TRUE(submitWindow);
    ASSERT_FALSE(w->isEnabled());

    // The window system's close box reaches the disabled window: nothing is asked or released.
    w->windowHandle()->close();
    EXPECT_TRUE(env.dialogs.shown().isEmpty());
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(theMain(), main);
    EXPECT_EQ(myEngines().count(), engines);

    submitWindow->windowHandle()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(submitWindow.isNull());
    EXPECT_TRUE(w->isEnabled());
}

TEST_F(MainWindowLoad, SampleDataInstallsOnlyWhereMissingUnlessForced)
{
    ASSERT_FALSE(modDataFiles::installedDataFolder().isEmpty());
    writeProgramFile(QStringLiteral("cat.vqs"), "[Mine]\r\n");
    ASSERT_TRUE(modDataFiles::installProgramData());
    EXPECT_EQ(TestSupport::TestEnvironment::readFile(programPath(QStringLiteral("cat.vqs"))), QByteArray("[Mine]\r\n"));
    EXPECT_EQ(TestSupport::TestEnvironment::readFile(programPath(QStringLiteral("country.vqs"))),
              sampleFile(QStringLiteral("country.vqs")));
    writeEngineFile(QStringLiteral("vqzeng5.dat"), "Name=Own\r\n");
    ASSERT_TRUE(modDataFiles::installSampleEngineData());
    EXPECT_EQ(TestSupport::TestEnvironment::readFile(enginePath(QStringLiteral("vqzeng5.dat"))), QByteArray("Name=Own\r\n"));
    EXPECT_EQ(TestSupport::TestEnvironment::readFile(enginePath(QStringLiteral("vqreng.dat"))),
              sampleFile(QStringLiteral("vqreng.dat")));
    EXPECT_TRUE(QFile::exists(programPath(QStringLiteral("top.vqs"))));
    ASSERT_TRUE(modDataFiles::installSampleEngineData(true));
    EXPECT_EQ(TestSupport::TestEnvironment::readFile(enginePath(QStringLiteral("vqzeng5.dat"))),
              sampleFile(QStringLiteral("vqzeng5.dat")));
}

TEST_F(MainWindowLoad, InstalledSampleDataLoadsWithNothingLogged)
{
    ASSERT_TRUE(modDataFiles::installProgramData());
    ASSERT_TRUE(modDataFiles::installSampleEngineData());
    ASSERT_TRUE(main->Display());
    EXPECT_GE(myEngines().count(), 55);
    EXPECT_EQ(errorLog().toStdString(), std::string());
    // Reading the engine data again, as after an update, logs nothing either.
    w->RefreshEngineData();
    EXPECT_GE(myEngines().count(), 55);
    EXPECT_EQ(errorLog().toStdString(), std::string());
    EXPECT_TRUE(env.dialogs.shown().isEmpty());
}
