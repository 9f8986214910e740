// The toolbar dispatch, the Tools, Help and Import menus, the tool windows and the reports list.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QToolBar>

#include "MainWindowFixture.h"
#include "sitedata/EngineListView.h"
#include "core/clsPreference.h"
#include "core/frmAbout.h"
#include "core/frmPreference.h"
#include "enginedata/frmEngineBuilder.h"
#include "enginedata/frmNews.h"
#include "enginedata/frmUpdateEngines.h"
#include "ftp/frmFTPClient.h"
#include "pagetools/frmDoorway.h"
#include "pagetools/frmMetaTag.h"
#include "pagetools/frmOptimizer.h"
#include "ranking/frmKeywordBuilder.h"
#include "ranking/frmRanking.h"
#include "ranking/frmSearch.h"

namespace {

// Closes the next modal window once it is open and tells which one it was.
void closeNextModal(QString *name)
{
    QTimer::singleShot(0, qApp, [name] {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            *name = modal->objectName() + QStringLiteral(":") + modal->windowTitle();
            modal->close();
        }
    });
}

} // namespace

class Commands : public MainWindowTest {
protected:
    void TearDown() override
    {
        delete frmMetaTag::loadedInstance();
        delete frmFTPClient::loadedInstance();
        delete frmEngineBuilder::loadedInstance();
        MainWindowTest::TearDown();
    }
};

TEST_F(Commands, ToolsOpenTheirWindowsWithTheirModality)
{
    openEmpty();
    const struct { int index; const char *shown; } modal[] = {
        {1, "frmOptimizer:Web Site Optimizer"}, {2, "frmRanking:Web Ranking"}, {3, "frmSearch:Web Search"},
        {5, "frmDoorway:Doorway Page Creater"}, {6, "frmKeywordBuilder:Keyword Builder"},
    };
    for (const auto &m : modal) {
        QString shown;
        closeNextModal(&shown);
        choose(w->mnuToolsItems[m.index]);
        EXPECT_EQ(shown, QString::fromLatin1(m.shown)) << m.index;
    }
    choose(w->mnuToolsItems[0]);
    choose(w->mnuToolsItems[7]);
    choose(w->mnuToolsItems[9]);
    EXPECT_TRUE(frmMetaTag::loadedInstance() && frmMetaTag::loadedInstance()->isVisible());
    EXPECT_EQ(frmMetaTag::loadedInstance()->windowTitle(), QStringLiteral("Meta Tag Editor"));
    EXPECT_TRUE(frmFTPClient::loadedInstance() && frmFTPClient::loadedInstance()->isVisible());
    EXPECT_EQ(frmFTPClient::loadedInstance()->windowTitle(), QStringLiteral("FTP Upload Client"));
    EXPECT_TRUE(frmEngineBuilder::loadedInstance() && frmEngineBuilder::loadedInstance()->isVisible());
    EXPECT_FALSE(QApplication::activeModalWidget());
    // A second open shows the same single instance.
    frmMetaTag *first = frmMetaTag::loadedInstance();
    clickToolbar(QStringLiteral("metatag"));
    EXPECT_EQ(frmMetaTag::loadedInstance(), first);
}

TEST_F(Commands, ToolbarKeysIgnoreCaseAndUnknownKeysDoNothing)
{
    openEmpty();
    QString shown;
    closeNextModal(&shown);
    clickToolbar(QStringLiteral("news"));
    EXPECT_EQ(shown, QStringLiteral("frmNews:News Update"));
    closeNextModal(&shown);
    clickToolbar(QStringLiteral("RANKING"));
    EXPECT_EQ(shown, QStringLiteral("frmRanking:Web Ranking"));
    closeNextModal(&shown);
    clickToolbar(QStringLiteral("Search"));
    EXPECT_EQ(shown, QStringLiteral("frmSearch:Web Search"));
    w->ToolbarMain_ButtonClick(QStringLiteral("nothing"));   // no button has this key: no click reaches it
    EXPECT_TRUE(env.dialogs.shown().isEmpty());
}

TEST_F(Commands, ToolbarNewProjectAndEnginesActions)
{
    openWithProjects();
    env.dialogs.answerInput(QStringLiteral("From Toolbar"));
    clickToolbar(QStringLiteral("NewProject"));
    EXPECT_TRUE(node(QStringLiteral("Root\\From Toolbar")));
    env.dialogs.answerInput(QStringLiteral("Site"));
    clickToolbar(QStringLiteral("NewWeb"));
    EXPECT_TRUE(node(QStringLiteral("Root\\From Toolbar\\Site")));

    w->txtSiteTitle->setText(QStringLiteral("saved by Engines"));
    clickToolbar(QStringLiteral("Engines"));
    const QString file = siteFile(QStringLiteral("Site.vqs"));
    EXPECT_EQ(siteValue(file, QStringLiteral("Title")), QStringLiteral("saved by Engines"));
    EXPECT_FALSE(w->SSTab3->isHidden());
    EXPECT_TRUE(w->SSTab1->isHidden());
    EXPECT_TRUE(w->SSTab2->isHidden());
    EXPECT_FALSE(w->toolbarButton(QStringLiteral("Save"))->isEnabled());
    // Engines again only saves.
    w->txtSiteTitle->setText(QStringLiteral("again"));
    clickToolbar(QStringLiteral("Engines"));
    EXPECT_EQ(siteValue(file, QStringLiteral("Title")), QStringLiteral("again"));
    EXPECT_FALSE(w->SSTab3->isHidden());
}

TEST_F(Commands, HelpOpensTheFileAndTheVendorLinks)
{
    openEmpty();
    env.dialogs.answerMessage(Platform::Ok);
    choose(w->mnuHelpItems[0]);
    ASSERT_EQ(env.dialogs.shown().size(), 1);
    EXPECT_EQ(env.dialogs.shown()[0].prompt, QStringLiteral("Help file is missing or could not be found."));
    EXPECT_EQ(env.dialogs.shown()[0].title, QStringLiteral("Help File"));
    EXPECT_TRUE(env.shellRequests.isEmpty());
    writeProgramFile(QStringLiteral("velquist.hlp"), "help");
    choose(w->mnuHelpItems[0]);
    EXPECT_EQ(env.shellRequests.last(), QStringLiteral("open:") + programPath(QStringLiteral("velquist.hlp")));

    myPreference().setHomePageURL(QString());
    choose(w->mnuHelpItems[2]);
    EXPECT_EQ(env.shellRequests.last(), QStringLiteral("open:http://127.0.0.1:9/"));
    EXPECT_EQ(myPreference().HomePageURL(), QStringLiteral("http://127.0.0.1:9/"));
    myPreference().setHomePageURL(QStringLiteral("www.example.com"));
    choose(w->mnuHelpItems[2]);
    EXPECT_EQ(env.shellRequests.last(), QStringLiteral("open:http://www.example.com"));
    choose(w->mnuHelpItems[3]);
    EXPECT_EQ(env.shellRequests.last(), QStringLiteral("open:") + myPreference().UpdateURL());
    choose(w->mnuHelpItems[4]);
    EXPECT_EQ(env.shellRequests.last(), QStringLiteral("open:") + myPreference().SupportURL());

    QString shown;
    closeNextModal(&shown);
    choose(w->mnuHelpItems[6]);
    EXPECT_EQ(shown, QStringLiteral("frmAbout:About Velquist"));
}

TEST_F(Commands, FileMenuOpensConfigurationAndTheUpdateWindow)
{
    openEmpty();
    QString shown;
    closeNextModal(&shown);
    choose(w->mnuFileItems[13]);
    EXPECT_EQ(shown, QStringLiteral("frmPreference:Preferences"));

    // An earlier successful update does not reload the engines again.
    w->m_intRefreshEngineData = -1;
    clickOnEngines(w->cmdSelectEngine[1]);
    const int selected = w->lsvSelectedEngines->count();
    closeNextModal(&shown);
    choose(w->mnuFileItems[12]);
    EXPECT_EQ(shown, QStringLiteral("frmUpdateEngines:Update Engine Data"));
    EXPECT_EQ(w->lsvSelectedEngines->count(), selected);

    // An update the window reports while it is open reloads them; a failure after it does not.
    const struct {
        std::vector<bool> reports;
        bool reloads;
    } cases[] = {{{true}, true}, {{false}, false}, {{true, false}, false}, {{false, true}, true}};
    for (const auto &c : cases) {
        SCOPED_TRACE(&c - cases);
        clickOnEngines(w->cmdSelectEngine[1]);
        ASSERT_GT(w->lsvSelectedEngines->count(), 0);
        QTimer::singleShot(0, qApp, [&c] {
            for (bool stored : c.reports)
                emit frmUpdateEngines::instance()->engineDataStored(stored);
            if (QWidget *modal = QApplication::activeModalWidget())
                modal->close();
        });
        choose(w->mnuFileItems[12]);
        EXPECT_EQ(w->lsvSelectedEngines->count() == 0, c.reloads);
    }
    // A report after the window has closed no longer reaches the main window.
    emit frmUpdateEngines::instance()->engineDataStored(false);
    EXPECT_NE(w->m_intRefreshEngineData, 0);
}

class ReportsListTest : public MainWindowTest {
protected:
    void openWithReports()
    {
        openWithProjects();
        const QByteArray reports = programPath(QStringLiteral("Reports/Submition/")).toUtf8();
        env.writeFile(programPath(QStringLiteral("Reports/Submition/b.HTML")), "<html></html>");
        env.writeFile(programPath(QStringLiteral("Reports/Submition/c.txt")), "text");
        env.writeFile(siteFile(QStringLiteral("Shop.vqs")),
                      siteBytes("Shop") + "[Report]\r\nURL1=http://b.example/\r\nDate1=Mar 01, 2026 10:00\r\nReportFile1=" + reports
                          + "b.HTML\r\nURL2=http://x.example/\r\nDate2=Jan 05, 2026 14:30\r\n"
                          + "URL3=http://a.example/\r\nDate3=Feb 10, 2026 09:15\r\nReportFile3=" + reports
                          + "c.txt\r\nURL4=http://gone.example/\r\nDate4=Jan 01, 2026 00:00\r\nReportFile4=" + reports
                          + "gone.htm\r\n");
        modCommon::writeINIValue(siteFile(QStringLiteral("Shop.vqs")), QStringLiteral("Web Site Info"),
                                 QStringLiteral("LastReport"), QStringLiteral("4"));
        click(QStringLiteral("Root\\Shops\\Shop"));
    }
    QStringList urls() const
    {
        QStringList texts;
        for (int i = 0; i < w->lsvReports->topLevelItemCount(); ++i)
            texts << w->lsvReports->topLevelItem(i)->text(0);
        return texts;
    }
    void selectRow(const QString &url)
    {
        TestSupport::showPageOf(w->SSTab1, w->lsvReports);
        for (int i = 0; i < w->lsvReports->topLevelItemCount(); ++i)
            if (w->lsvReports->topLevelItem(i)->text(0) == url)
                TestSupport::clickRow(w->lsvReports, w->lsvReports->topLevelItem(i));
    }
    void viewReport() { TestSupport::clickOnPage(w->SSTab1, w->cmdViewReport); }

};

TEST_F(ReportsListTest, RowsNeedBothAddressAndReportFile)
{
    openWithReports();
    EXPECT_EQ(urls(), (QStringList{QStringLiteral("http://b.example/"), QStringLiteral("http://a.example/"),
                                   QStringLiteral("http://gone.example/")}));
    EXPECT_EQ(w->lsvReports->topLevelItem(1)->text(1), QStringLiteral("Feb 10, 2026 09:15"));
    // Another site replaces the rows; one without reports shows none.
    click(QStringLiteral("Root\\Shops\\Outlet"));
    EXPECT_EQ(w->lsvReports->topLevelItemCount(), 0);
}

TEST_F(ReportsListTest, ViewReportOpensOnlyAnExistingHtmlFile)
{
    openWithReports();
    viewReport();   // nothing selected: nothing at all
    EXPECT_TRUE(env.dialogs.shown().isEmpty());

    selectRow(QStringLiteral("http://b.example/"));
    viewReport();
    EXPECT_EQ(env.shellRequests,
              QStringList{QStringLiteral("open:") + programPath(QStringLiteral("Reports/Submition/b.HTML"))});

    for (const char *url : {"http://a.example/", "http://gone.example/"}) {
        selectRow(QString::fromLatin1(url));
        env.dialogs.answerMessage(Platform::Ok);
        viewReport();
        EXPECT_EQ(env.dialogs.shown().last().prompt,
                  QStringLiteral("Report file is missing and corrupt. Please re-submit and try again."));
        EXPECT_EQ(env.dialogs.shown().last().title, QStringLiteral("View Report"));
    }
    EXPECT_EQ(env.shellRequests.size(), 1);
    EXPECT_EQ(urls().size(), 3);
}

