// Custom-category engines: reading directory pages, and browsing them on the category tab through
// a proxy on 127.0.0.1 that serves the directories' pages.
#include "support/LoopbackServer.h"
#include "support/RefusedPort.h"
#include "support/UserInput.h"

#include <QComboBox>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>

#include "core/clsPreference.h"
#include "mainwindow/CustomCategoryBrowser.h"
#include "mainwindow/SitePages.h"
#include "platform/CommonControls.h"
#include "platform/EventLoop.h"
#include "platform/KeyedListView.h"
#include "sitedata/MainObjectFixture.h"
#include "sitedata/clsMainCustomCategory.h"
#include "transport/frmHTTP.h"

using namespace Qt::StringLiterals;
using namespace clsMainCustomCategory;
using TestSupport::LoopbackServer;

namespace {

constexpr int kWaitMs = 8000;

const QString kCategoryPage = u"<html><body>\r\n"
                              "<a href=\"/Business/Retail/Shoes/\"><b>Shoes</b></a>\r\n"
                              "<a href=\"/Business/Retail/Boots/\">Boots</a>\r\n"
                              "<a href=\"http://elsewhere.example/\">Elsewhere</a>\r\n"
                              "<a href=\"http://add.dir.example/fast/add?12345\">Suggest a site</a>\r\n"
                              "</body></html>"_s;

QStringList texts(const QList<CategoryRow> &rows)
{
    QStringList result;
    for (const CategoryRow &row : rows)
        result << row.text + u'=' + row.tag;
    return result;
}

// A proxy that serves pages by their absolute address and records what was asked.
class DirectoryProxy {
public:
    DirectoryProxy()
    {
        server.setHandler([this](QTcpSocket *client, const QByteArray &request) {
            const QByteArray url = request.split(' ').value(1);
            asked.append(QString::fromLatin1(url));
            if (holdReplies) {
                held.append(client);
                return;
            }
            client->write(pages.contains(url) ? LoopbackServer::httpReply(200, pages.value(url))
                                              : LoopbackServer::httpReply(200, "<html></html>"));
            client->disconnectFromHost();
        });
        myPreference().setTimeOut(2);
        myPreference().setAccessType(2);
        myPreference().setProxy(server.host());
        myPreference().setPort(server.port());
        frmHTTP::setIntervals({10, 300, 1500});
    }
    void releaseHeld(const QByteArray &page)
    {
        for (QTcpSocket *client : held) {
            client->write(LoopbackServer::httpReply(200, page));
            client->disconnectFromHost();
        }
        held.clear();
    }

    LoopbackServer server;
    QHash<QByteArray, QByteArray> pages;
    QStringList asked;
    bool holdReplies = false;
    QList<QTcpSocket *> held;
};

class CustomCategoryBrowsing : public MainObjectTest {
protected:
    void SetUp() override
    {
        MainObjectTest::SetUp();
        installSample();
        ASSERT_TRUE(main->loadEngineCategory());
        ASSERT_TRUE(main->loadEngines());
        browser = w->sitePages->customCategories;
        ASSERT_TRUE(showSitePages());
        TestSupport::showPageOf(w->SSTab1, w->tabCategory);
        TestSupport::showPageOf(w->tabCategory, w->lsvCustomMainCategory);
    }
    void TearDown() override
    {
        Platform::setBusyPointer(false);
        MainObjectTest::TearDown();
    }

    int engineIndex(const QString &name) const { return w->cboCustomEngines->findText(name); }
    void chooseEngine(const QString &name)
    {
        ASSERT_GE(engineIndex(name), 0) << name.toStdString();
        TestSupport::chooseItem(w->cboCustomEngines, engineIndex(name));
    }
    QTreeWidgetItem *rowNamed(KeyedListView *list, const QString &text) const
    {
        for (QTreeWidgetItem *row : list->rows())
            if (row->text(0) == text)
                return row;
        return nullptr;
    }
    void openTop(const QString &text)
    {
        QTreeWidgetItem *row = rowNamed(w->lsvCustomMainCategory, text);
        ASSERT_TRUE(row) << text.toStdString();
        TestSupport::doubleClickRow(w->lsvCustomMainCategory, row);
    }
    void openSub(const QString &text)
    {
        QTreeWidgetItem *row = rowNamed(w->lsvCustomSubCategory, text);
        ASSERT_TRUE(row) << text.toStdString();
        TestSupport::doubleClickRow(w->lsvCustomSubCategory, row);
    }
    bool waitForAsked(const DirectoryProxy &proxy, int count)
    {
        return Platform::waitUntil([&] { return proxy.asked.size() >= count && !frmHTTP::loadedInstance(); }, kWaitMs);
    }
    QStringList subRows() const
    {
        QStringList result;
        for (QTreeWidgetItem *row : w->lsvCustomSubCategory->rows())
            result << row->text(0) + u'=' + Platform::itemTag(row);
        return result;
    }
    QString spaceIdOf(const QString &engine) const { return main->myCustomEngine[engineIndex(engine)].SpaceID; }
    QString categoryOf(const QString &engine) const { return main->myCustomEngine[engineIndex(engine)].Category; }

    CustomCategoryBrowser *browser = nullptr;
};

} // namespace

TEST(CustomCategoryPages, TopCategoriesAndTheBaseAddress)
{
    const TopCategories top = topCategories(u"Arts=Arts>Biz=/Biz>URL=http://d.example/>NoEquals"_s);
    EXPECT_EQ(texts(top.rows), QStringList({u"Arts=/Arts"_s, u"Biz=/Biz"_s}));
    EXPECT_TRUE(top.hasBaseAddress);
    EXPECT_EQ(top.baseAddress, u"http://d.example/"_s);
    const TopCategories none = topCategories(QString());
    EXPECT_TRUE(none.rows.isEmpty());
    EXPECT_FALSE(none.hasBaseAddress);
}

TEST(CustomCategoryPages, CategoryPageGivesPlainAndMarkedUpAnchorsAndTheSpaceId)
{
    const CategoryPage page = readCategoryPage(kCategoryPage, u"Summit Directory"_s, u"/Business/"_s);
    EXPECT_EQ(texts(page.rows),
              QStringList({u"Shoes=/Business/Retail/Shoes/"_s, u"Boots=/Business/Retail/Boots/"_s}));
    EXPECT_TRUE(page.hasSpaceId);
    EXPECT_EQ(page.spaceId, u"12345"_s);
    EXPECT_TRUE(page.addURL.isEmpty());
}

TEST(CustomCategoryPages, AbsoluteLinksAndLinksNamingTheEngineAreNoRows)
{
    const CategoryPage page = readCategoryPage(
        u"<a href=\"http://x.example/a/\">A</a><a href=\"/summit directory/b/\">B</a><a href=\"/c/\">   </a>"_s,
        u"Summit Directory"_s, QString());
    EXPECT_TRUE(page.rows.isEmpty());
    EXPECT_FALSE(page.hasSpaceId);
}

TEST(CustomCategoryPages, AnchorTextAfterItsLastTagIsKept)
{
    const CategoryPage page = readCategoryPage(u"<a href=\"/Arts/Music/\"><img src=\"f.gif\">Music</a>"
                                               "<a href=\"/Arts/TV/\"><b>TV</b> (12)</a>"_s,
                                               u"X"_s, QString());
    EXPECT_EQ(texts(page.rows), QStringList({u"Music=/Arts/Music/"_s, u"TV (12)=/Arts/TV/"_s}));
}

TEST(CustomCategoryPages, UnclosedAnchorEndsTheReadingAndCaseIsIgnored)
{
    const CategoryPage page = readCategoryPage(
        u"<A HREF=\"/one/\">One</A><a href=\"/two/\">Two<a href=\"/three/\">Three"_s, u"X"_s, QString());
    EXPECT_EQ(texts(page.rows), QStringList({u"One=/one/"_s}));
    // An anchor left open before a closed one ends where the next begins, and an absolute
    // address in the next anchor is not its own.
    const CategoryPage open = readCategoryPage(u"<a href=\"/arts/\">Arts<a href=\"http://x.example/\">X"
                                               "<a href=\"/b/\">B</a>"_s,
                                               u"X"_s, QString());
    EXPECT_EQ(texts(open.rows), QStringList({u"Arts=/arts/"_s, u"B=/b/"_s}));
}

TEST(CustomCategoryPages, OpenDirectoryTakesItsAddLinkAndOnlyRowsBelowTheKey)
{
    const CategoryPage page = readCategoryPage(u"<a href=\"/Arts/Painting/\">Painting</a>"
                                               "<a href=\"/Sports/\">Sports</a>"
                                               "<a href=\"/add.cgi?where=Arts\">add URL</a>"_s,
                                               kOpenDirectoryEngine, u"/Arts"_s);
    EXPECT_EQ(texts(page.rows), QStringList({u"Painting=/Arts/Painting/"_s}));
    EXPECT_EQ(page.addURL, kOpenDirectoryHost + u"/add.cgi?where=Arts"_s);
    // Other engines have no add link of that kind and take every relative row.
    const CategoryPage other = readCategoryPage(u"<a href=\"add.cgi\">add URL</a>"_s, u"Summit Directory"_s, u"/Arts"_s);
    EXPECT_TRUE(other.addURL.isEmpty());
    EXPECT_EQ(texts(other.rows), QStringList({u"add URL=add.cgi"_s}));
}

TEST(CustomCategoryPages, SpaceAndCategoryIdsLoseTheirQuotes)
{
    EXPECT_EQ(spaceIdOfLink(u"\"http://add.dir.example/fast/add?12345\">Add"_s), u"12345"_s);
    EXPECT_EQ(spaceIdOfLink(u"'x?77'"_s), u"77"_s);
    EXPECT_EQ(spaceIdOfLink(u"no-question\""_s), u"no-question"_s);
    EXPECT_EQ(categoryIdOfForm(u"<input type=hidden name=index value=\"42\">"_s), u"42"_s);
    EXPECT_EQ(categoryIdOfForm(u"<input NAME=INDEX Value=7>"_s), u"7"_s);
    EXPECT_EQ(categoryIdOfForm(u"<input name=other value=\"42\">"_s), QString());
    EXPECT_EQ(categoryIdOfForm(u"<input name=index>"_s), QString());
}

TEST(CustomCategoryPages, ParentAndLastSegmentOfAPath)
{
    EXPECT_EQ(CustomCategoryBrowser::getString(u"a/b/c/"_s, u"Up"_s), u"a/b"_s);
    EXPECT_EQ(CustomCategoryBrowser::getString(u"a/b/c/"_s, u"up"_s), u"a/b"_s);
    EXPECT_EQ(CustomCategoryBrowser::getString(u"a/b/c/"_s, u"Last"_s), u"c"_s);
    EXPECT_EQ(CustomCategoryBrowser::getString(u"abc"_s, u"Up"_s), QString());
    EXPECT_EQ(CustomCategoryBrowser::getString(u"abc"_s, u"x"_s), u"abc"_s);
    EXPECT_EQ(CustomCategoryBrowser::getString(QString(), u"Up"_s), QString());
    EXPECT_EQ(CustomCategoryBrowser::getString(QString(), u"Last"_s), QString());
}

TEST_F(CustomCategoryBrowsing, ChoosingAnEngineShowsItsTopCategoriesAndItsChosenPath)
{
    main->myCustomEngine[engineIndex(u"Summit Directory"_s)].Category = u"Arts/Painting"_s;
    chooseEngine(u"Summit Directory"_s);
    EXPECT_EQ(w->lsvCustomMainCategory->topLevelItemCount(), 4);
    EXPECT_EQ(Platform::itemTag(w->lsvCustomMainCategory->topLevelItem(0)), u"/Arts_and_Humanities"_s);
    EXPECT_EQ(frmMain::controlTag(w->cboCustomEngines), u"http://www.summit-directory.example/browse"_s);
    EXPECT_EQ(main->CustomEngineIndex(), engineIndex(u"Summit Directory"_s));
    EXPECT_EQ(w->txtCustomCategory->text(), u"Arts/Painting"_s);
    EXPECT_EQ(w->lblReadyToSubmit->text(), u"Please select a category ..."_s);

    chooseEngine(u"Vertex Directory"_s);
    EXPECT_EQ(w->txtCustomCategory->text(), QString());
}

TEST_F(CustomCategoryBrowsing, GoingDownAndUpFetchesEachLevelAndKeepsThePath)
{
    DirectoryProxy proxy;
    proxy.pages.insert("http://www.summit-directory.example/Arts_and_Humanities/",
                       "<a href=\"/Arts/Music/\">Music@</a><a href=\"http://add.dir.example/fast/add?99\">Add</a>");
    chooseEngine(u"Summit Directory"_s);
    openTop(u"Arts and Humanities"_s);
    ASSERT_TRUE(waitForAsked(proxy, 1));
    EXPECT_EQ(proxy.asked[0], u"http://www.summit-directory.example/Arts_and_Humanities/"_s);
    EXPECT_EQ(subRows(), QStringList({u"<< ...=browse/"_s, u"Music@=/Arts/Music/"_s}));
    EXPECT_EQ(spaceIdOf(u"Summit Directory"_s), u"99"_s);
    EXPECT_EQ(w->lblReadyToSubmit->text(), u"Please continue to select"_s);
    EXPECT_EQ(w->lblReadyToSubmit->palette().color(QPalette::WindowText), QColor(Qt::blue));

    openSub(u"Music@"_s);
    ASSERT_TRUE(waitForAsked(proxy, 2));
    EXPECT_EQ(proxy.asked[1], u"http://www.summit-directory.example/Arts/Music/"_s);
    EXPECT_EQ(w->txtCustomCategory->text(), u"Arts and Humanities/Music"_s);
    EXPECT_EQ(categoryOf(u"Summit Directory"_s), u"Arts and Humanities/Music"_s);

    openSub(u"<< ..."_s);
    ASSERT_TRUE(waitForAsked(proxy, 3));
    EXPECT_EQ(proxy.asked[2], u"http://www.summit-directory.example/Arts/"_s);
    EXPECT_EQ(w->txtCustomCategory->text(), u"Arts and Humanities"_s);
    EXPECT_EQ(subRows().value(0), u"<< ...=Arts/"_s);

    openSub(u"<< ..."_s);
    ASSERT_TRUE(waitForAsked(proxy, 4));
    EXPECT_EQ(proxy.asked[3], u"http://www.summit-directory.example/"_s);
    // Above the host there is nothing to fetch.
    openSub(u"<< ..."_s);
    Platform::waitUntil([] { return false; }, 300);
    EXPECT_EQ(proxy.asked.size(), 4);
    EXPECT_TRUE(env.dialogs.shown().isEmpty());
}

TEST_F(CustomCategoryBrowsing, UnderscoreDirectoryShowsItsFolderNamesWithBlanks)
{
    DirectoryProxy proxy;
    chooseEngine(kUnderscoreEngine);
    openTop(u"Business and Finance"_s);
    ASSERT_TRUE(waitForAsked(proxy, 1));
    EXPECT_EQ(proxy.asked[0], u"http://www.pioneer-directory.example/Business_and_Finance/"_s);
    EXPECT_EQ(w->txtCustomCategory->text(), u"Business and Finance/"_s);
}

TEST_F(CustomCategoryBrowsing, ReturningToAnEngineShowsTheUnsavedChoice)
{
    DirectoryProxy proxy;
    proxy.pages.insert("http://www.summit-directory.example/Education/", "<a href=\"/Education/K12/\">K12</a>");
    chooseEngine(u"Summit Directory"_s);
    openTop(u"Education"_s);
    ASSERT_TRUE(waitForAsked(proxy, 1));
    openSub(u"K12"_s);
    ASSERT_TRUE(waitForAsked(proxy, 2));
    chooseEngine(u"Vertex Directory"_s);
    chooseEngine(u"Summit Directory"_s);
    EXPECT_EQ(w->txtCustomCategory->text(), u"Education/K12"_s);
}

TEST_F(CustomCategoryBrowsing, OpenDirectoryFetchesItsAddFormAndReadsTheCategoryId)
{
    DirectoryProxy proxy;
    proxy.pages.insert("http://www.yonder-directory.example/Arts_and_Humanities/",
                       "<a href=\"/Arts_and_Humanities/Painting/\">Painting</a>"
                       "<a href=\"/add.cgi?where=Arts\">add URL</a>");
    proxy.pages.insert("http://www.yonder-directory.example/add.cgi?where=Arts",
                       "<form><input type=hidden name=index value=\"42\"></form>");
    chooseEngine(kOpenDirectoryEngine);
    openTop(u"Arts and Humanities"_s);
    ASSERT_TRUE(waitForAsked(proxy, 2));
    EXPECT_EQ(proxy.asked[1], u"http://www.yonder-directory.example/add.cgi?where=Arts"_s);
    EXPECT_EQ(subRows(), QStringList({u"<< ...=browse/"_s, u"Painting=/Arts_and_Humanities/Painting/"_s}));
    EXPECT_EQ(spaceIdOf(kOpenDirectoryEngine), u"42"_s);
    EXPECT_TRUE(browser->m_intAddURLPage);
    EXPECT_EQ(w->lblReadyToSubmit->text(), u"Ready to submit"_s);
    EXPECT_FALSE(Platform::isBusyPointer());
}

TEST_F(CustomCategoryBrowsing, OpenDirectoryPageWithoutAddLinkKeepsTheChoiceGoing)
{
    DirectoryProxy proxy;
    proxy.pages.insert("http://www.yonder-directory.example/Education/", "<a href=\"/Education/K12/\">K12</a>");
    proxy.pages.insert("http://www.yonder-directory.example/add.cgi", "<form>no id here</form>");
    chooseEngine(kOpenDirectoryEngine);
    openTop(u"Education"_s);
    ASSERT_TRUE(waitForAsked(proxy, 1));
    Platform::waitUntil([] { return false; }, 200);
    EXPECT_EQ(proxy.asked.size(), 1);
    EXPECT_FALSE(browser->m_intAddURLPage);
    EXPECT_EQ(w->lblReadyToSubmit->text(), u"Please continue to select"_s);
    // A form without the id leaves the choice open.
    main->getDmozID(u"<form>no id here</form>"_s);
    EXPECT_EQ(w->lblReadyToSubmit->text(), u"No ready to submit, please continue to select"_s);
    EXPECT_TRUE(spaceIdOf(kOpenDirectoryEngine).isEmpty());
}

TEST_F(CustomCategoryBrowsing, LatePageOfAnotherEngineIsDropped)
{
    DirectoryProxy proxy;
    proxy.holdReplies = true;
    chooseEngine(u"Summit Directory"_s);
    openTop(u"Education"_s);
    ASSERT_TRUE(proxy.server.waitForRequests(1, kWaitMs));
    chooseEngine(u"Vertex Directory"_s);
    proxy.releaseHeld(kCategoryPage.toLatin1());
    ASSERT_TRUE(Platform::waitUntil([] { return !frmHTTP::loadedInstance(); }, kWaitMs));
    EXPECT_EQ(w->lsvCustomSubCategory->topLevelItemCount(), 0);
    EXPECT_TRUE(spaceIdOf(u"Summit Directory"_s).isEmpty());
    EXPECT_TRUE(spaceIdOf(u"Vertex Directory"_s).isEmpty());
}

TEST_F(CustomCategoryBrowsing, SpaceIdsGoOnlyToUsedEntries)
{
    chooseEngine(u"Summit Directory"_s);
    main->setCustomEngineIndex(-1);
    QString addURL;
    main->setCustomEngineSubCategory(kCategoryPage, QString(), addURL);
    main->setCustomEngineIndex(main->m_intNumOfCustEngines);   // the spare entry at the end
    main->setCustomEngineSubCategory(kCategoryPage, QString(), addURL);
    main->getDmozID(u"name=index value=5>"_s);
    for (const CustomEngineEntry &entry : main->myCustomEngine)
        EXPECT_TRUE(entry.SpaceID.isEmpty()) << entry.EngineName.toStdString();
    // The rows are still listed.
    EXPECT_EQ(w->lsvCustomSubCategory->topLevelItemCount(), 4);
    main->saveCustomCategory(u"Nowhere"_s);
    EXPECT_TRUE(main->myCustomEngine.last().Category.isEmpty());
}

TEST_F(CustomCategoryBrowsing, AFailedConnectionTakesTheConnectingTextAway)
{
    DirectoryProxy proxy;
    TestSupport::RefusedPort refused;
    myPreference().setPort(refused.port());
    chooseEngine(u"Summit Directory"_s);
    env.dialogs.answerMessage(Platform::Ok);
    openTop(u"Arts and Humanities"_s);
    ASSERT_TRUE(Platform::waitUntil([this] { return env.dialogs.pendingAnswers() == 0; }, kWaitMs));
    EXPECT_TRUE(env.dialogs.shown()[0].prompt.startsWith(u"HTTPConnect_Error: "_s));
    EXPECT_EQ(w->StatusBar1->panelText(1), QString());
}
