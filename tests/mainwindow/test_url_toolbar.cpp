// The URL list of the site pages: row click, Delete and every toolbar command, with the
// two add-URL dialogs opened from the toolbar and page fetches from servers on 127.0.0.1.
#include "support/LoopbackServer.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include "core/clsPreference.h"
#include "core/modCommon.h"
#include "mainwindow/SitePages.h"
#include "mainwindow/UrlToolbar.h"
#include "pagetools/frmOptimizer.h"
#include "platform/CommonControls.h"
#include "platform/EventLoop.h"
#include "platform/KeyedListView.h"
#include "sitedata/MainObjectFixture.h"
#include "sitedata/frmAddURL.h"
#include "sitedata/frmAddURLFromWeb.h"
#include "support/RefusedPort.h"
#include "support/UserInput.h"
#include "transport/frmHTTP.h"

using namespace Qt::StringLiterals;
using TestSupport::LoopbackServer;
using TestSupport::TestEnvironment;

namespace {

constexpr int kWaitMs = 8000;

const QByteArray kPage = "<html><head>\r\n<title>Boots\r\nand Shoes</title>\r\n"
                         "<meta name=\"keywords\" content=\"boots, shoes\">\r\n"
                         "<meta name=\"description\" content=\"Boots for all\">\r\n"
                         "</head><body><a href=\"a.htm\">A</a></body></html>\r\n";

class UrlList : public MainObjectTest {
protected:
    void SetUp() override
    {
        MainObjectTest::SetUp();
        myPreference().setTimeOut(2);
        myPreference().setAccessType(0);
        myPreference().setProxy(QString());
        frmHTTP::setIntervals({10, 300, 1500});
        commands = w->sitePages->urlCommands;
        ASSERT_TRUE(showSitePages());
        TestSupport::showPageOf(w->SSTab1, w->lsvSiteURLs);
    }
    void TearDown() override
    {
        Platform::setBusyPointer(false);
        MainObjectTest::TearDown();
    }

    QTreeWidgetItem *addRow(const QString &url, const QString &file = {})
    {
        QTreeWidgetItem *row = w->lsvSiteURLs->addRow(url, {url}, u"HTMLFile"_s);
        Platform::setItemTag(row, file);
        return row;
    }
    QStringList urlTexts() const
    {
        QStringList texts;
        for (QTreeWidgetItem *row : w->lsvSiteURLs->rows())
            texts << row->text(0);
        return texts;
    }
    // A click on the URL toolbar's button of that key (ignoring case).
    void press(const char *key)
    {
        for (QAction *button : w->ToolbarSiteURLButtons)
            if (button->data().toString().compare(QLatin1String(key), Qt::CaseInsensitive) == 0)
                return TestSupport::clickOn(w->ToolbarSiteURL->widgetForAction(button));
        ADD_FAILURE() << "no URL toolbar button " << key;
    }
    QString label(int index) const { return w->Label1[index]->text(); }
    QString pageFile(const QByteArray &bytes, const QString &name = u"page.htm"_s)
    {
        const QString path = env.root() + u'/' + name;
        TestEnvironment::writeFile(path, bytes);
        return path;
    }

    UrlToolbar *commands = nullptr;
};

} // namespace

TEST_F(UrlList, DeleteRemovesExactlyTheSelectedRowsAfterYes)
{
    for (const char *url : {"http://a.example/1", "http://a.example/2", "http://a.example/3", "http://a.example/4"})
        addRow(QString::fromLatin1(url));
    w->lsvSiteURLs->topLevelItem(0)->setSelected(true);
    w->lsvSiteURLs->topLevelItem(2)->setSelected(true);
    env.dialogs.answerMessage(Platform::No);
    press("DeleteURL");
    EXPECT_EQ(w->lsvSiteURLs->topLevelItemCount(), 4);
    env.dialogs.answerMessage(Platform::Yes);
    press("deleteurl");
    EXPECT_EQ(urlTexts(), QStringList({u"http://a.example/2"_s, u"http://a.example/4"_s}));
    EXPECT_EQ(env.dialogs.shown().at(1).prompt, u"Are you sure you want to delete the selected URL?"_s);
    EXPECT_EQ(env.dialogs.shown().at(1).title, u"Delete URL"_s);
    // A deleted URL can be added again.
    EXPECT_TRUE(w->lsvSiteURLs->addRow(u"http://a.example/1"_s, {u"http://a.example/1"_s}, u"HTMLFile"_s));
}

TEST_F(UrlList, DeleteKeyAsksEvenWithNothingSelected)
{
    addRow(u"http://a.example/1"_s);
    env.dialogs.answerMessage(Platform::Yes);
    QTest::keyClick(w->lsvSiteURLs, Qt::Key_Delete);
    ASSERT_EQ(env.dialogs.shown().size(), 1);
    EXPECT_EQ(w->lsvSiteURLs->topLevelItemCount(), 1);
}

TEST_F(UrlList, RowClickShowsTheLocalFileAndItsMetaTags)
{
    const QString file = pageFile(kPage);
    QTreeWidgetItem *row = addRow(u"http://a.example/"_s, file);
    TestSupport::clickRow(w->lsvSiteURLs, row);
    EXPECT_EQ(w->txtURLFileLocation->text(), file);
    EXPECT_EQ(w->txtURLTitle->text(), u"Boots and Shoes"_s);
    EXPECT_EQ(w->txtURLKeyword->toPlainText(), u"boots, shoes"_s);
    EXPECT_EQ(w->txtURLDescription->toPlainText(), u"Boots for all"_s);
    EXPECT_EQ(label(0), u"Title: (15 chars)"_s);
    EXPECT_EQ(label(2), u"Keywords: (12 chars)"_s);
    EXPECT_EQ(label(4), u"Description: (13 chars)"_s);

    // A file without a head section leaves the boxes and labels as they were.
    QTreeWidgetItem *headless = addRow(u"http://b.example/"_s, pageFile("<html><body>x</body></html>", u"b.htm"_s));
    TestSupport::clickRow(w->lsvSiteURLs, headless);
    EXPECT_EQ(w->txtURLTitle->text(), u"Boots and Shoes"_s);
    EXPECT_EQ(label(0), u"Title: (15 chars)"_s);

    // A file that is gone empties the four boxes; the labels stay.
    QFile::remove(file);
    TestSupport::clickRow(w->lsvSiteURLs, row);
    EXPECT_EQ(w->txtURLFileLocation->text(), QString());
    EXPECT_EQ(w->txtURLTitle->text(), QString());
    EXPECT_EQ(w->txtURLKeyword->toPlainText(), QString());
    EXPECT_EQ(w->txtURLDescription->toPlainText(), QString());
    EXPECT_EQ(label(0), u"Title: (15 chars)"_s);
}

TEST_F(UrlList, AddUrlAddsTheAnswerOnceAndCancelAddsNothing)
{
    env.dialogs.answerInput(u"http://www."_s);
    env.dialogs.answerInput(u"http://www."_s);
    env.dialogs.answerInput(QString());
    press("AddURL");
    press("AddURL");
    press("AddURL");
    EXPECT_EQ(urlTexts(), QStringList({u"http://www."_s}));
    EXPECT_EQ(env.dialogs.shown().at(0).title, u"Insert URL"_s);
    EXPECT_EQ(env.dialogs.shown().at(0).defaultText, u"http://www."_s);
    commands->ToolbarSiteURL_ButtonClick(u"NoSuchButton"_s);   // direct: no button has this key
    EXPECT_EQ(env.dialogs.shown().size(), 3);
}

TEST_F(UrlList, LoadAddsOnlyUrlsNotListedYet)
{
    addRow(u"http://a.example/2"_s);
    const QString list = pageFile("http://a.example/1\r\nhttp://a.example/2\r\nhttp://a.example/3\r\n", u"urls.txt"_s);
    env.dialogs.answerFile(list);
    press("LoadURL");
    EXPECT_EQ(w->lsvSiteURLs->topLevelItemCount(), 3);
    env.dialogs.answerFile(list);
    commands->ToolbarSiteURL_ButtonClick(u"LocalURL"_s);   // direct: the other key of Load, no button has it
    EXPECT_EQ(w->lsvSiteURLs->topLevelItemCount(), 3);
    EXPECT_TRUE(w->isEnabled());
}

TEST_F(UrlList, SaveAddsTheTextExtensionOnlyForTheTextFilter)
{
    addRow(u"http://a.example/1"_s);
    addRow(u"http://a.example/2"_s);
    const QString base = env.root() + u"/list"_s;
    env.dialogs.answerFile(base, 1);
    press("SaveURL");
    EXPECT_EQ(TestEnvironment::readFile(base + u".txt"_s), "http://a.example/1\r\nhttp://a.example/2\r\n");

    env.dialogs.answerFile(base, 2);
    press("SaveURL");
    EXPECT_TRUE(QFile::exists(base));

    env.dialogs.answerFile(env.root() + u"/A.TXT"_s, 1);
    press("SaveURL");
    EXPECT_TRUE(QFile::exists(env.root() + u"/A.TXT"_s));
    EXPECT_FALSE(QFile::exists(env.root() + u"/A.TXT.txt"_s));
    EXPECT_TRUE(w->isEnabled());
}

TEST_F(UrlList, SavingOverAnExistingFileAsksFirst)
{
    addRow(u"http://a.example/1"_s);
    const QString file = pageFile("keep me", u"old.txt"_s);
    env.dialogs.answerFile(file, 1);
    env.dialogs.answerMessage(Platform::No);
    press("SaveURL");
    EXPECT_EQ(TestEnvironment::readFile(file), "keep me");
    EXPECT_EQ(env.dialogs.shown().at(1).prompt, u"The file "_s + file + u" already exists, do you want to replace it?"_s);
    EXPECT_EQ(env.dialogs.shown().at(1).title, u"Save URL"_s);
    EXPECT_TRUE(w->isEnabled());

    env.dialogs.answerFile(file, 1);
    env.dialogs.answerMessage(Platform::Yes);
    press("SaveURL");
    EXPECT_EQ(TestEnvironment::readFile(file), "http://a.example/1\r\n");
}

TEST_F(UrlList, GetMetaTagFetchesTheSelectedUrl)
{
    LoopbackServer server;
    server.replyWith(LoopbackServer::httpReply(200, kPage));
    const QString url = u"http://"_s + server.hostPort() + u"/boots.htm"_s;
    addRow(url)->setSelected(true);
    press("GetMetaTag");
    EXPECT_EQ(w->StatusBar1->panelText(1), u"Connecting to "_s + url + u" ..."_s);
    ASSERT_TRUE(Platform::waitUntil([] { return !frmHTTP::loadedInstance(); }, kWaitMs));
    EXPECT_TRUE(server.requests().value(0).startsWith("GET /boots.htm HTTP/1.0\r\n"));
    EXPECT_EQ(w->txtURLTitle->text(), u"Boots and Shoes"_s);
    EXPECT_EQ(label(4), u"Description: (13 chars)"_s);
    EXPECT_EQ(w->StatusBar1->panelText(1), QString());
    EXPECT_FALSE(Platform::isBusyPointer());
}

TEST_F(UrlList, GetMetaTagWithoutSelectionReadsTheLocalFile)
{
    press("GetMetaTag");
    EXPECT_EQ(w->txtURLTitle->text(), QString());
    EXPECT_EQ(label(0), u"Title:"_s);
    EXPECT_TRUE(env.dialogs.shown().isEmpty());

    w->txtURLFileLocation->setText(pageFile(kPage));
    press("GetMetaTag");
    EXPECT_EQ(w->txtURLKeyword->toPlainText(), u"boots, shoes"_s);
    EXPECT_EQ(label(2), u"Keywords: (12 chars)"_s);

    // A page's keyword of one word of 256 KB fills the box only up to the bound, wrapped anywhere.
    w->txtURLFileLocation->setText(pageFile("<head><meta name=\"keywords\" content=\"" + QByteArray(256 * 1024, 'k')
                                            + "\"></head>"));
    press("GetMetaTag");
    EXPECT_EQ(label(2), u"Keywords: (%1 chars)"_s.arg(SitePages::kMaxFetchedChars));
    EXPECT_EQ(w->txtURLKeyword->wordWrapMode(), QTextOption::WrapAnywhere);
}

TEST_F(UrlList, InsertAndReplaceRefuseAMissingFile)
{
    env.dialogs.answerMessage(Platform::Ok);
    press("InsertMetaTag");
    w->txtURLFileLocation->setText(env.root() + u"/missing.htm"_s);
    env.dialogs.answerMessage(Platform::Ok);
    press("ReplaceMetaTag");
    ASSERT_EQ(env.dialogs.shown().size(), 2);
    EXPECT_EQ(env.dialogs.shown()[0].prompt,
              u"Invalid path or file name for your local HTML file. Please enter a valid local HTML file in the "
              "'Local File Location' box and try again."_s);
    EXPECT_EQ(env.dialogs.shown()[0].title, u"Insert Meta Tag"_s);
    EXPECT_EQ(env.dialogs.shown()[1].prompt,
              u"Invalid path or file name for your local HTML file. Please enter a valid local HTML file in the "
              "'Local File' box and try again."_s);
    EXPECT_EQ(env.dialogs.shown()[1].title, u"Replace Meta Tag"_s);
    EXPECT_FALSE(QFile::exists(env.root() + u"/missing.htm"_s));
}

TEST_F(UrlList, ReplaceWritesTheBoxesIntoTheFileOnlyAfterYes)
{
    const QByteArray original = "<html>\r\n<head>\r\n<title>Old</title>\r\n</head>\r\n<body>Hi</body>\r\n</html>\r\n";
    const QString file = pageFile(original);
    w->txtURLFileLocation->setText(file);
    w->txtURLTitle->setText(u"New"_s);
    w->txtURLKeyword->setPlainText(u"x"_s);
    w->txtURLDescription->setPlainText(u"d"_s);
    env.dialogs.answerMessage(Platform::No);
    press("ReplaceMetaTag");
    EXPECT_EQ(TestEnvironment::readFile(file), original);

    env.dialogs.answerMessage(Platform::Yes);
    press("ReplaceMetaTag");
    const QByteArray edited = TestEnvironment::readFile(file);
    EXPECT_TRUE(edited.contains("<meta name=\"keywords\" content=\"x\">"));
    EXPECT_TRUE(edited.contains("<meta name=\"description\" content=\"d\">"));
    EXPECT_TRUE(edited.contains("<title>New</title>"));
    EXPECT_TRUE(env.dialogs.shown().at(1).prompt.endsWith(
        u"Are you sure you want to repalce the existing Meta tag in your HTML file?"_s));

    env.dialogs.answerMessage(Platform::Yes);
    press("InsertMetaTag");
    EXPECT_TRUE(TestEnvironment::readFile(file).contains("<title>NewNew</title>"));
    EXPECT_FALSE(Platform::isBusyPointer());
}

TEST_F(UrlList, OptimizerNeedsASelectedAddress)
{
    env.dialogs.answerMessage(Platform::Ok);
    press("Optimizer");
    addRow(u"localhost"_s)->setSelected(true);
    env.dialogs.answerMessage(Platform::Ok);
    press("Optimizer");
    ASSERT_EQ(env.dialogs.shown().size(), 2);
    for (const TestSupport::ShownDialog &shown : env.dialogs.shown()) {
        EXPECT_EQ(shown.prompt, u"Please select a web site URL."_s);
        EXPECT_EQ(shown.title, u"Optimizer"_s);
    }
}

// The hidden run reports on the selected address, opens the report, clears the main window's
// status and releases the window without remembering the address; a refused connection ends it
// the same way without a report.
TEST_F(UrlList, OptimizerReportsHiddenOnTheSelectedPage)
{
    LoopbackServer server;
    server.replyWith(LoopbackServer::httpReply(200, kPage));
    const QString url = u"http://"_s + server.hostPort() + u"/index.htm"_s;
    addRow(url)->setSelected(true);
    press("Optimizer");
    ASSERT_TRUE(frmOptimizer::loadedInstance());
    EXPECT_FALSE(frmOptimizer::loadedInstance()->isVisible());
    EXPECT_EQ(frmOptimizer::loadedInstance()->cboSiteURL->currentText(), url);
    EXPECT_EQ(w->StatusBar1->panelText(1), u"Connecting to "_s + url + u" ..."_s);
    ASSERT_TRUE(Platform::waitUntil([this] { return !env.shellRequests.isEmpty(); }, kWaitMs));
    EXPECT_TRUE(server.requests()[0].startsWith("GET /index.htm HTTP/1.0\r\n"));
    const QString report = env.programFolder() + u"Optimizer/"_s + server.hostPort() + u"_index.htm.html"_s;
    EXPECT_EQ(env.shellRequests, QStringList({u"open:"_s + report}));
    EXPECT_TRUE(TestEnvironment::readFile(report).contains("Boots"));
    EXPECT_EQ(frmOptimizer::loadedInstance(), nullptr);
    EXPECT_EQ(w->StatusBar1->panelText(1), QString());
    EXPECT_TRUE(env.dialogs.shown().isEmpty());
    TestEnvironment::dropQueuedCalls();
    EXPECT_TRUE(modCommon::readINIValue(modCommon::historyFile(), u"Optimizer"_s, u"1"_s).isEmpty());

    TestSupport::RefusedPort refused;
    const QString closedUrl = u"http://"_s + refused.hostPort() + u"/"_s;
    w->lsvSiteURLs->clearSelection();
    addRow(closedUrl)->setSelected(true);
    env.dialogs.answerMessage(Platform::Ok);
    press("Optimizer");
    EXPECT_TRUE(env.dialogs.prompts().value(0).startsWith(u"HTTPConnect_Error: "_s));
    EXPECT_EQ(frmOptimizer::loadedInstance(), nullptr);
    EXPECT_EQ(w->StatusBar1->panelText(1), QString());
    EXPECT_EQ(env.shellRequests.size(), 1);
}

TEST_F(UrlList, AddFromWebStartsWithTheSelectedUrlAndAddsThePageLinks)
{
    LoopbackServer server;
    server.replyWith(LoopbackServer::httpReply(200, kPage));
    const QString url = u"http://"_s + server.hostPort() + u"/shop/index.htm"_s;
    addRow(url)->setSelected(true);
    QString shownAddress;
    QTimer::singleShot(0, qApp, [&shownAddress] {
        frmAddURLFromWeb *dialog = frmAddURLFromWeb::loadedInstance();
        ASSERT_TRUE(dialog);
        shownAddress = dialog->txtWebURL->text();
        TestSupport::clickOn(dialog->Command1[frmAddURLFromWeb::GetButton]);
    });
    press("AddFromWeb");
    EXPECT_EQ(shownAddress, url);
    EXPECT_EQ(urlTexts(), QStringList({url, u"http://"_s + server.hostPort() + u"/shop/a.htm"_s}));
    EXPECT_EQ(frmAddURLFromWeb::loadedInstance(), nullptr);
}

TEST_F(UrlList, AddFromLocalFolderAddsTheFolderPages)
{
    const QString folder = env.root() + u"/site"_s;
    TestEnvironment::writeFile(folder + u"/index.htm"_s, "<html></html>");
    QTimer::singleShot(0, qApp, [folder] {
        auto *dialog = qobject_cast<frmAddURL *>(QApplication::activeModalWidget());
        ASSERT_TRUE(dialog);
        dialog->txtFolder->setText(folder);
        dialog->txtDomain->setText(u"shop.example"_s);
        TestSupport::clickOn(dialog->Command1[frmAddURL::GetButton]);
    });
    press("AddFromLocalFolder");
    EXPECT_EQ(urlTexts(), QStringList({u"http://shop.example/index.htm"_s}));
    EXPECT_EQ(Platform::itemTag(w->lsvSiteURLs->topLevelItem(0)), folder + u"/index.htm"_s);
}
