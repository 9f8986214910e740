// Adding URL rows from the links of a fetched page: link scanning, resolution against the page
// address, filters, and the fetch through servers on 127.0.0.1 including a cancel.
#include "support/LoopbackServer.h"
#include "support/StalledListener.h"
#include "support/TestEnvironment.h"
#include "support/UserInput.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "core/clsPreference.h"
#include "platform/CommonControls.h"
#include "platform/EventLoop.h"
#include "platform/KeyedListView.h"
#include "sitedata/frmAddURLFromWeb.h"
#include "transport/frmHTTP.h"

using namespace Qt::StringLiterals;
using TestSupport::LoopbackServer;
using TestSupport::VelquistTest;

namespace {

constexpr int kWaitMs = 8000;

const QByteArray kSamplePage =
    "<html><head><link href=\"style.css\" rel=stylesheet></head><body>\r\n"
    "<a href=\"about.htm\">About</a> <a HREF='shop/boots.htm'>Boots</a> <a href=contact.htm>C</a>\r\n"
    "<a href=\"/root.htm\">Root</a> <a href=\"../up.htm\">Up</a> <a href=\"./here.htm\">Here</a>\r\n"
    "<a href=\"mailto:jane@shoes.example\">Mail</a> <a href=\"http://other.example/\">Other</a>\r\n"
    "<a href=\"#top\">Top</a> <a href=\"cgi-bin/form.cgi\">Form</a>\r\n"
    "<a href=\"javascript:void(0)\">Js</a> <a href=\"ftp://files.example/x\">Ftp</a>\r\n"
    "</body></html>";

QString resolve(const char *page, const char *link)
{
    return frmAddURLFromWeb::getFullURL(QString::fromLatin1(page), QString::fromLatin1(link));
}

class AddFromWeb : public VelquistTest {
protected:
    void SetUp() override
    {
        myPreference().setTimeOut(2);
        myPreference().setAccessType(0);
        myPreference().setProxy(QString());
        frmHTTP::setIntervals({10, 300, 1500});
        dialog = new frmAddURLFromWeb(&urls);
        ASSERT_TRUE(TestSupport::showWindow(dialog));
    }
    void TearDown() override
    {
        delete dialog;
        Platform::setBusyPointer(false);
    }

    void get(const QString &url)
    {
        dialog->txtWebURL->setText(url);
        // The dialog closes after a run: each run opens it again.
        ASSERT_TRUE(TestSupport::showWindow(dialog));
        TestSupport::clickOn(dialog->Command1[frmAddURLFromWeb::GetButton]);
    }
    bool waitForDone() { return Platform::waitUntil([this] { return dialog->result() == QDialog::Accepted; }, kWaitMs); }
    static void settle(int ms) { Platform::waitUntil([] { return false; }, ms); }
    QStringList urlTexts() const
    {
        QStringList texts;
        for (QTreeWidgetItem *row : urls.rows())
            texts << row->text(0);
        return texts;
    }

    KeyedListView urls;
    frmAddURLFromWeb *dialog = nullptr;
};

} // namespace

TEST(AddFromWebLinks, RelativeLinksResolveAgainstThePageFolder)
{
    EXPECT_EQ(resolve("h/d1/d2/p.htm", "x.htm"), u"http://h/d1/d2/x.htm"_s);
    EXPECT_EQ(resolve("h/d1/d2/p.htm", "sub/x.htm"), u"http://h/d1/d2/sub/x.htm"_s);
    EXPECT_EQ(resolve("h/d1/d2/p.htm", "./x.htm"), u"http://h/d1/d2/x.htm"_s);
    EXPECT_EQ(resolve("h/d1/d2/p.htm", "../x"), u"http://h/d1/x"_s);
    EXPECT_EQ(resolve("h/d1/d2/p.htm", "../../x"), u"http://h/x"_s);
    EXPECT_EQ(resolve("h/d1/d2/", "../x"), u"http://h/d1/x"_s);
    EXPECT_EQ(resolve("shoes.example", "about.htm"), u"http://shoes.example/about.htm"_s);
    EXPECT_EQ(resolve("127.0.0.1:8080/shop/", "boots.htm"), u"http://127.0.0.1:8080/shop/boots.htm"_s);
    // A link keeps its escapes as the page wrote them.
    EXPECT_EQ(resolve("host/dir/p.htm", "my%20page.htm"), u"http://host/dir/my%20page.htm"_s);
    EXPECT_EQ(resolve("host/dir/", "caf%C3%A9.htm?q=a%2Fb"), u"http://host/dir/caf%C3%A9.htm?q=a%2Fb"_s);
    EXPECT_EQ(resolve("host/dir/p.htm", "/a/../b/./c%2F.htm"), u"http://host/b/c%2F.htm"_s);
}

TEST(AddFromWebLinks, LinksNeverClimbAboveTheHostNorThroughTheQuery)
{
    EXPECT_EQ(resolve("h/d1/d2/p.htm", "../../../x"), u"http://h/x"_s);
    EXPECT_EQ(resolve("h/p.asp?u=a/b", "y.htm"), u"http://h/y.htm"_s);
    EXPECT_EQ(resolve("h/p.asp?u=a/b", "../y"), u"http://h/y"_s);
    EXPECT_EQ(resolve("h/d/p.htm#part/two", "y.htm"), u"http://h/d/y.htm"_s);
}

TEST(AddFromWebLinks, RootAbsoluteAndSchemeRelativeLinks)
{
    EXPECT_EQ(resolve("h/d/p.htm", "/root.htm"), u"http://h/root.htm"_s);
    EXPECT_EQ(resolve("h/d/p.htm", "//cdn.example/a.js"), u"http://cdn.example/a.js"_s);
    EXPECT_EQ(resolve("h/d/p.htm", "HTTPS://Other.example/"), u"HTTPS://Other.example/"_s);
    // Only "http:" and "https:" make a link absolute.
    EXPECT_EQ(resolve("h/d/p.htm", "http-status.htm"), u"http://h/d/http-status.htm"_s);
    EXPECT_EQ(resolve("h/d/p.htm", "https.htm?x=http://y"), u"http://h/d/https.htm?x=http://y"_s);
    EXPECT_EQ(resolve("h/d/p.htm", "\"quoted.htm\""), u"http://h/d/quoted.htm"_s);
    EXPECT_EQ(resolve("h/d/p.htm", "a.htm\" class=\"x\""), u"http://h/d/a.htm"_s);
    EXPECT_EQ(resolve("h/d/p.htm", "b.htm'"), u"http://h/d/b.htm"_s);
    EXPECT_EQ(resolve("h/d/p.htm", "c.htm\r\nrest"), u"http://h/d/c.htm"_s);
}

TEST(AddFromWebLinks, ScanTakesEveryHrefWithoutItsOpeningQuote)
{
    const QStringList links = frmAddURLFromWeb::pageLinks(QString::fromLatin1(
        "<a href=\"a.htm\"><a HREF='b.htm'><a href=c.htm><a href=\"d.htm\" class=\"x\"><a href=\"tail.htm\""));
    EXPECT_EQ(links, QStringList({u"a.htm\""_s, u"b.htm'"_s, u"c.htm"_s, u"d.htm\" class=\"x\""_s}));
    EXPECT_TRUE(frmAddURLFromWeb::pageLinks(u"text without links"_s).isEmpty());
    EXPECT_TRUE(frmAddURLFromWeb::pageLinks(u"<a href="_s).isEmpty());
}

TEST(AddFromWebLinks, OnlyHttpSchemesCount)
{
    EXPECT_TRUE(frmAddURLFromWeb::hasOtherScheme(u"mailto:a@b"_s));
    EXPECT_TRUE(frmAddURLFromWeb::hasOtherScheme(u"JavaScript:go()"_s));
    EXPECT_TRUE(frmAddURLFromWeb::hasOtherScheme(u"ftp://x/y"_s));
    EXPECT_FALSE(frmAddURLFromWeb::hasOtherScheme(u"http://x/"_s));
    EXPECT_FALSE(frmAddURLFromWeb::hasOtherScheme(u"HTTPS://x/"_s));
    EXPECT_FALSE(frmAddURLFromWeb::hasOtherScheme(u"page.htm?a=b:c"_s));
    EXPECT_FALSE(frmAddURLFromWeb::hasOtherScheme(u"/x:y"_s));
}

TEST_F(AddFromWeb, LoadPresetsTheAddress)
{
    EXPECT_EQ(dialog->txtWebURL->text(), u"www."_s);
    EXPECT_EQ(dialog->windowTitle(), u"Add URL from Web"_s);
    EXPECT_EQ(frmAddURLFromWeb::loadedInstance(), dialog);
}

TEST_F(AddFromWeb, TabFollowsTheControlsRowByRow)
{
    QStringList order;
    QWidget *at = dialog->txtWebURL;
    do {
        if (at->focusPolicy() & Qt::TabFocus)
            order << at->objectName();
        at = at->nextInFocusChain();
    } while (at != dialog->txtWebURL && order.size() < 20);
    EXPECT_EQ(order.join(u' '), u"txtWebURL Command1_2 txtKeyword Command1_0 lstKeywords Command1_1 Command1_3"_s);
}

TEST_F(AddFromWeb, FetchedPageAddsItsResolvedLinksAndCloses)
{
    LoopbackServer server;
    server.replyWith(LoopbackServer::httpReply(200, kSamplePage));
    get(u"http://"_s + server.hostPort() + u"/shop/index.htm"_s);
    ASSERT_TRUE(waitForDone());
    ASSERT_EQ(server.requests().size(), 1);
    EXPECT_TRUE(server.requests()[0].startsWith("GET /shop/index.htm HTTP/1.0\r\n"));
    const QString base = u"http://"_s + server.hostPort();
    EXPECT_EQ(urlTexts(), QStringList({base + u"/shop/style.css"_s, base + u"/shop/about.htm"_s,
                                       base + u"/shop/shop/boots.htm"_s, base + u"/shop/contact.htm"_s,
                                       base + u"/root.htm"_s, base + u"/up.htm"_s, base + u"/shop/here.htm"_s,
                                       u"http://other.example/"_s, base + u"/shop/index.htm#top"_s,
                                       base + u"/shop/cgi-bin/form.cgi"_s}));
    EXPECT_TRUE(Platform::itemTag(urls.rows().first()).isEmpty());
    EXPECT_EQ(dialog->StatusBar1->panelText(1), u"Done"_s);
    EXPECT_FALSE(Platform::isBusyPointer());
    EXPECT_FALSE(dialog->fetching());
}

TEST_F(AddFromWeb, LinksResolveAgainstTheAddressTheRedirectsEndedAt)
{
    LoopbackServer server;
    server.setHandler([](QTcpSocket *client, const QByteArray &request) {
        const QByteArray path = request.split(' ').value(1);
        if (path == "/shop")
            client->write(LoopbackServer::httpReply(301, "", "Location: /shop/\r\n"));
        else
            client->write(LoopbackServer::httpReply(200, "<a href=boots.htm>B</a><a href=\"http-status.htm\">S</a>"));
        client->disconnectFromHost();
    });
    get(server.hostPort() + u"/shop"_s);
    ASSERT_TRUE(waitForDone());
    const QString folder = u"http://"_s + server.hostPort() + u"/shop/"_s;
    EXPECT_EQ(urlTexts(), QStringList({folder + u"boots.htm"_s, folder + u"http-status.htm"_s}));
}

TEST_F(AddFromWeb, FilterStringsLeaveMatchingLinksOutAndFetchingTwiceAddsNoDuplicate)
{
    LoopbackServer server;
    server.replyWith(LoopbackServer::httpReply(200, kSamplePage));
    dialog->txtKeyword->setText(u"CGI-BIN"_s);
    TestSupport::clickOn(dialog->Command1[frmAddURLFromWeb::AddButton]);
    dialog->lstKeywords->addItem(QString());
    get(server.hostPort() + u"/"_s);
    ASSERT_TRUE(waitForDone());
    const int first = urls.topLevelItemCount();
    EXPECT_EQ(first, 9);
    for (const QString &text : urlTexts())
        EXPECT_FALSE(text.contains(u"cgi-bin"_s)) << text.toStdString();

    dialog->setResult(QDialog::Rejected);
    get(server.hostPort() + u"/"_s);
    ASSERT_TRUE(waitForDone());
    EXPECT_EQ(urls.topLevelItemCount(), first);
}

TEST_F(AddFromWeb, PageWithoutLinksAddsNothingAndCloses)
{
    LoopbackServer server;
    server.replyWith(LoopbackServer::httpReply(200, "<html><body>No links here. href="));
    get(server.hostPort() + u"/"_s);
    ASSERT_TRUE(waitForDone());
    EXPECT_EQ(urls.topLevelItemCount(), 0);
    EXPECT_EQ(dialog->StatusBar1->panelText(1), u"Done"_s);
}

TEST_F(AddFromWeb, CancelWhileFetchingStopsTheFetchAndALatePageAddsNothing)
{
    LoopbackServer server;
    QList<QTcpSocket *> clients;
    server.setHandler([&clients](QTcpSocket *client, const QByteArray &) { clients.append(client); });
    get(server.hostPort() + u"/slow.htm"_s);
    ASSERT_TRUE(server.waitForRequests(1, kWaitMs));
    EXPECT_TRUE(dialog->fetching());
    EXPECT_EQ(dialog->StatusBar1->panelText(1), u"Connecting to : "_s + server.hostPort() + u"/slow.htm"_s);
    TestSupport::clickOn(dialog->Command1[frmAddURLFromWeb::CancelButton]);
    EXPECT_FALSE(dialog->fetching());
    EXPECT_FALSE(Platform::isBusyPointer());
    // The server answers after all: nobody takes the page.
    for (QTcpSocket *client : clients) {
        client->write(LoopbackServer::httpReply(200, kSamplePage));
        client->disconnectFromHost();
    }
    settle(600);
    EXPECT_EQ(urls.topLevelItemCount(), 0);
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
}

TEST_F(AddFromWeb, CancelWhileStillConnectingAddsNothingWhenThePageArrives)
{
    LoopbackServer server;
    server.replyWith(LoopbackServer::httpReply(200, kSamplePage));
    // The user cancels from the event loop that waits for the connection.
    QTimer::singleShot(0, dialog, [this] { TestSupport::clickOn(dialog->Command1[frmAddURLFromWeb::CancelButton]); });
    get(server.hostPort() + u"/"_s);
    settle(600);
    EXPECT_EQ(urls.topLevelItemCount(), 0);
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_FALSE(Platform::isBusyPointer());
    EXPECT_TRUE(env.dialogs.shown().isEmpty());
}

TEST_F(AddFromWeb, CancelDuringASlowConnectCutsItAtOnceWithoutAnError)
{
    TestSupport::StalledListener listener;
    ASSERT_TRUE(listener.full());
    myPreference().setTimeOut(20);
    QTimer::singleShot(100, dialog, [this] { TestSupport::clickOn(dialog->Command1[frmAddURLFromWeb::CancelButton]); });
    const qint64 start = Platform::tickCount();
    get(u"127.0.0.1:"_s + QString::number(listener.port()) + u"/"_s);
    // The connect was given up at the cancel, not at its 20 s time-out, and the user's own
    // cancel is not reported as a connect error.
    EXPECT_LT(Platform::tickCount() - start, 5000);
    EXPECT_FALSE(dialog->fetching());
    EXPECT_FALSE(Platform::isBusyPointer());
    EXPECT_TRUE(env.dialogs.shown().isEmpty());
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
}

TEST_F(AddFromWeb, DialogDestroyedWhileFetchingIsNotCalledBack)
{
    LoopbackServer server;
    QList<QTcpSocket *> clients;
    server.setHandler([&clients](QTcpSocket *client, const QByteArray &) { clients.append(client); });
    get(server.hostPort() + u"/slow.htm"_s);
    ASSERT_TRUE(server.waitForRequests(1, kWaitMs));
    delete dialog;
    dialog = nullptr;
    EXPECT_EQ(frmAddURLFromWeb::loadedInstance(), nullptr);
    for (QTcpSocket *client : clients) {
        client->write(LoopbackServer::httpReply(200, kSamplePage));
        client->disconnectFromHost();
    }
    settle(600);
    EXPECT_EQ(urls.topLevelItemCount(), 0);
}

TEST_F(AddFromWeb, FiltersAreAddedWithEnterAndRemovedBySelection)
{
    env.dialogs.answerMessage(Platform::Ok);
    TestSupport::clickOn(dialog->Command1[frmAddURLFromWeb::AddButton]);
    ASSERT_EQ(env.dialogs.shown().size(), 1);
    EXPECT_EQ(env.dialogs.shown()[0].prompt, u"Please enter a Filter string you want to add."_s);
    EXPECT_EQ(dialog->lstKeywords->count(), 0);

    for (const char *filter : {"cgi-bin", "images", "cgi-bin"}) {
        dialog->txtKeyword->setText(QString::fromLatin1(filter));
        QTest::keyClick(dialog->txtKeyword, Qt::Key_Return);
    }
    ASSERT_EQ(dialog->lstKeywords->count(), 3);
    dialog->lstKeywords->item(0)->setSelected(true);
    dialog->lstKeywords->item(2)->setSelected(true);
    TestSupport::clickOn(dialog->Command1[frmAddURLFromWeb::RemoveButton]);
    ASSERT_EQ(dialog->lstKeywords->count(), 1);
    EXPECT_EQ(dialog->lstKeywords->item(0)->text(), u"images"_s);
}
