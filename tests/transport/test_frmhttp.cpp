// The shared page fetch against servers on 127.0.0.1: hand-over, redirects, logins, error
// statuses, silent and broken servers, cancel and closed receivers.
#include "support/LoopbackServer.h"
#include "support/RefusedPort.h"
#include "support/TestEnvironment.h"

#include "core/clsPreference.h"
#include "platform/EventLoop.h"
#include "platform/SettingsStore.h"
#include "platform/TextFile.h"
#include "transport/frmHTTP.h"
#include "platform/modDSSockLog.h"
#include "transport/modDSSockSocket.h"

#include <QTimer>

using namespace Qt::StringLiterals;
using TestSupport::LoopbackServer;
using TestSupport::VelquistTest;

namespace {

constexpr int kWaitMs = 8000;

struct Delivery {
    QString page;
    int status = -1;
};

class PageFetch : public VelquistTest {
protected:
    void SetUp() override
    {
        myPreference().setTimeOut(2);
        myPreference().setAccessType(0);
        myPreference().setProxy(QString());
        myPreference().setHTTPLogin(QString());
        myPreference().setAuthentication(0);
        myPreference().setAuthenticationHost(QString());
        frmHTTP::setIntervals({10, 300, 1500});
    }
    void TearDown() override { Platform::setBusyPointer(false); }

    // Registers a receiver for `kind` that records every page it gets.
    void receive(const QString &kind, QObject *owner = nullptr)
    {
        frmHTTP::setReceiver(kind, owner ? owner : &m_owner,
                             {[this](const QString &page, int status) { m_deliveries.append({page, status}); }, {}});
    }
    void fetch(const QString &url, const QString &kind = u"GetSiteInfo"_s)
    {
        frmHTTP *window = frmHTTP::instance();
        window->Tag = kind;
        window->Connect(url);
    }
    bool waitForDelivery(int count = 1) { return Platform::waitUntil([&] { return m_deliveries.size() >= count; }, kWaitMs); }
    // Lets the event loop run for a while when nothing should happen.
    static void settle(int ms) { Platform::waitUntil([] { return false; }, ms); }
    QString url(const LoopbackServer &server, const QString &path = u"/a"_s) const
    {
        return u"http://"_s + server.hostPort() + path;
    }
    static QString log() { return Platform::readTextFile(modDSSock::errorLogFile()).value_or(QString()); }
    static QByteArray pathOf(const QByteArray &request) { return request.split(' ').value(1); }

    QObject m_owner;
    QList<Delivery> m_deliveries;
};

} // namespace

TEST_F(PageFetch, DirectFetchHandsThePageOverAndUnloads)
{
    LoopbackServer server;
    server.replyWith("HTTP/1.0 200 OK\r\nContent-Type: text/html\r\nContent-Length: 28\r\n\r\n"
                     "<html><body>Hi</body></html>");
    receive(u"GetSiteInfo"_s);
    Platform::setBusyPointer(true);
    fetch(url(server));
    ASSERT_TRUE(waitForDelivery());
    EXPECT_EQ(m_deliveries[0].page, u"<html><body>Hi</body></html>"_s);
    EXPECT_EQ(m_deliveries[0].status, 200);
    ASSERT_EQ(server.requests().size(), 1);
    EXPECT_EQ(server.requests()[0], "GET /a HTTP/1.0\r\nHost: " + server.hostPort().toLatin1()
                                        + "\r\nUser-Agent: Velquist\r\nAccept: */*\r\n\r\n");
    EXPECT_FALSE(Platform::isBusyPointer());
    EXPECT_EQ(frmHTTP::loadedInstance(), nullptr);
}

TEST_F(PageFetch, AWholeReplyEndsAtItsLengthOrWithoutOneAtTheClose)
{
    const struct {
        const char *name;
        QByteArray reply;
        QString page;
    } cases[] = {
        {"bare line feeds", "HTTP/1.0 200 OK\nContent-Length: 11\n\nline1\nline2", u"line1\nline2"_s},
        {"bytes past the length", "HTTP/1.0 200 OK\r\nContent-Length: 4\r\n\r\nfour\nmore\n", u"four"_s},
        {"no length, to the close", "HTTP/1.0 200 OK\r\n\r\nall\r\nof it", u"all\r\nof it"_s},
        {"no body, no length", "HTTP/1.0 204 Empty\r\n\r\n", QString()},
    };
    receive(u"GetSiteInfo"_s);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        LoopbackServer server;
        server.replyWith(c.reply);
        m_deliveries.clear();
        fetch(url(server));
        ASSERT_TRUE(waitForDelivery());
        EXPECT_EQ(m_deliveries[0].page, c.page);
    }
    EXPECT_FALSE(log().contains(u"HTTP fetch failed"_s));
}

TEST_F(PageFetch, ProxyWithBasicLoginRetriesOnceWithTheProxyLogin)
{
    LoopbackServer proxy;
    proxy.setHandler([&proxy](QTcpSocket *client, const QByteArray &) {
        client->write(proxy.requests().size() == 1
                          ? LoopbackServer::httpReply(407, "login")
                          : LoopbackServer::httpReply(200, "through"));
        client->disconnectFromHost();
    });
    myPreference().setAccessType(2);
    myPreference().setProxy(u"127.0.0.1"_s);
    myPreference().setPort(proxy.port());
    myPreference().setHTTPLogin(u"dTpw"_s);
    receive(u"GetMetaTag"_s);
    fetch(u"site.example/x"_s, u"GetMetaTag"_s);
    ASSERT_TRUE(waitForDelivery());
    EXPECT_EQ(m_deliveries[0].page, u"through"_s);
    ASSERT_EQ(proxy.requests().size(), 2);
    EXPECT_TRUE(proxy.requests()[0].startsWith("GET http://site.example/x HTTP/1.0\r\nHost: 127.0.0.1:"));
    EXPECT_TRUE(proxy.requests()[1].startsWith("GET http://site.example/x HTTP/1.0\r\n"));
    EXPECT_TRUE(proxy.requests()[1].contains("\r\nProxy-Authorization: Basic dTpw\r\n"));
    EXPECT_EQ(Platform::getSetting(u"Velquist"_s, u"Preference"_s, u"Authentication"_s), u"407"_s);
    EXPECT_EQ(myPreference().Authentication(), 407);
    EXPECT_FALSE(log().contains(u"dTpw"_s));
}

// A proxy on 127.0.0.1 in front of two servers that want the login "u:pw" (Base64 dTpwdw==), one
// of them allowed. The proxy wants the same login when `asks`; a wrong one it refuses with
// `refusal`. Each request is summed up by the logins it carried: "P" proxy, "S" server.
TEST_F(PageFetch, ProxyLoginAndServerLoginGoTogetherAndEachIsTriedOnce)
{
    const QByteArray right = "dTpwdw==";
    const struct {
        const char *name;
        bool asks;
        int refusal;
        int storedDemand;
        bool allowed;
        bool wrongPassword;
        QStringList logins;      // of each request of the fetch
        bool delivered;
    } cases[] = {
        {"plain proxy, allowed server", false, 407, 0, true, false, {u"S"_s}, true},
        {"plain proxy, other server", false, 407, 0, false, false, {u"-"_s, u"S"_s}, true},
        {"proxy that asked, allowed server", true, 407, 407, true, false, {u"PS"_s}, true},
        {"proxy asking anew, allowed server", true, 407, 401, true, false, {u"S"_s, u"PS"_s}, true},
        {"proxy that asked, other server", true, 407, 407, false, false, {u"P"_s, u"PS"_s}, true},
        {"proxy asking anew, other server", true, 407, 0, false, false, {u"-"_s, u"P"_s, u"PS"_s}, true},
        {"wrong password refused with 407", true, 407, 407, true, true, {u"PS"_s}, false},
        {"wrong password refused with 401", true, 401, 407, false, true, {u"P"_s, u"PS"_s}, false},
    };
    const auto logins = [](const QByteArray &request) {
        QString sum = QString(request.contains("\r\nProxy-Authorization: ") ? u"P"_s : QString())
                      + (request.contains("\r\nAuthorization: ") ? u"S"_s : QString());
        return sum.isEmpty() ? u"-"_s : sum;
    };
    myPreference().setHTTPUserName(u"u"_s);
    receive(u"GetSiteInfo"_s);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        LoopbackServer proxy;
        proxy.setHandler([&c, &right](QTcpSocket *client, const QByteArray &request) {
            const qsizetype at = request.indexOf("\r\nProxy-Authorization: Basic ");
            if (c.asks && at < 0)
                client->write(LoopbackServer::httpReply(407, "", "Proxy-Authenticate: Basic realm=\"p\"\r\n"));
            else if (c.asks && !request.mid(at).startsWith(QByteArray("\r\nProxy-Authorization: Basic " + right + "\r\n")))
                client->write(LoopbackServer::httpReply(c.refusal, ""));
            else if (!request.contains(QByteArray("\r\nAuthorization: Basic " + right + "\r\n")))
                client->write(LoopbackServer::httpReply(401, "", "WWW-Authenticate: Basic realm=\"s\"\r\n"));
            else
                client->write(LoopbackServer::httpReply(200, "in " + request.split(' ').value(1)));
            client->disconnectFromHost();
        });
        myPreference().setAccessType(2);
        myPreference().setProxy(u"127.0.0.1"_s);
        myPreference().setPort(proxy.port());
        myPreference().setAuthentication(c.storedDemand);
        myPreference().setAuthenticationHosts({u"allowed.test:80"_s});
        myPreference().setHTTPLogin(c.wrongPassword ? u"dTp3cm9uZw=="_s : QString::fromLatin1(right));
        const QString target = c.allowed ? u"http://allowed.test/x"_s : u"http://other.test/x"_s;
        env.dialogs.clearLog();
        if (!c.allowed)
            env.dialogs.answerMessage(Platform::Yes);
        if (!c.delivered)
            env.dialogs.answerMessage(Platform::Ok);
        m_deliveries.clear();
        fetch(target);
        ASSERT_TRUE(Platform::waitUntil([&] { return !m_deliveries.isEmpty() || env.dialogs.pendingAnswers() == 0; }, kWaitMs));
        settle(200);
        QStringList sent;
        for (const QByteArray &request : proxy.requests())
            sent << logins(request);
        EXPECT_EQ(sent, c.logins);
        EXPECT_EQ(m_deliveries.size(), c.delivered ? 1 : 0);
        EXPECT_EQ(env.dialogs.pendingAnswers(), 0);
        if (!c.allowed) {
            EXPECT_EQ(env.dialogs.shown()[0].prompt.left(31), u"other.test:80 asks for a login."_s);
        }
        // The proxy's demand stays beside the allowed servers.
        if (c.asks) {
            EXPECT_EQ(myPreference().Authentication(), 407);
        }
        if (c.delivered)
            continue;
        EXPECT_EQ(env.dialogs.shown().last().prompt.left(30), u"Error: Authentication Required"_s);

        // The user corrects the password: the next fetch goes through at once.
        myPreference().setHTTPLogin(QString::fromLatin1(right));
        const qsizetype before = proxy.requests().size();
        fetch(target);
        ASSERT_TRUE(waitForDelivery());
        ASSERT_EQ(proxy.requests().size(), before + 1);
        EXPECT_EQ(logins(proxy.requests().last()), u"PS"_s);
    }
}

TEST_F(PageFetch, ServerLoginIsAnsweredOnceThenRefused)
{
    LoopbackServer server;
    int answered = 0;
    server.setHandler([&answered](QTcpSocket *client, const QByteArray &) {
        ++answered;
        client->write(answered == 2 ? LoopbackServer::httpReply(200, "in")
                                    : LoopbackServer::httpReply(401, "", "WWW-Authenticate: Basic realm=\"x\"\r\n"));
        client->disconnectFromHost();
    });
    myPreference().setHTTPUserName(u"u"_s);
    myPreference().setHTTPLogin(u"dTpw"_s);
    receive(u"GetSiteInfo"_s);
    env.dialogs.answerMessage(Platform::Yes);
    fetch(url(server));
    ASSERT_TRUE(waitForDelivery());
    EXPECT_EQ(m_deliveries[0].page, u"in"_s);
    ASSERT_EQ(env.dialogs.shown().size(), 1);
    EXPECT_EQ(env.dialogs.shown()[0].prompt, server.hostPort() + u" asks for a login.\r\n\r\nSend the stored login of user \"u\" to "_s
                                                 + server.hostPort() + u'?');
    env.dialogs.clearLog();
    ASSERT_EQ(server.requests().size(), 2);
    EXPECT_FALSE(server.requests()[0].contains("Authorization"));
    EXPECT_TRUE(server.requests()[1].contains("\r\nUser-Agent: Velquist\r\nAuthorization: Basic dTpw\r\nAccept"));
    EXPECT_EQ(Platform::getSetting(u"Velquist"_s, u"Preference"_s, u"Authentication"_s), u"401"_s);

    // The next fetch sends the login at once; a demand then is a refusal.
    env.dialogs.answerMessage(Platform::Ok);
    fetch(url(server));
    ASSERT_TRUE(Platform::waitUntil([&] { return !env.dialogs.shown().isEmpty(); }, kWaitMs));
    EXPECT_EQ(env.dialogs.shown()[0].prompt,
              u"Error: Authentication Required\r\nYou must authenticate with a server before this request can be serviced."_s);
    EXPECT_EQ(env.dialogs.shown()[0].style, int(Platform::Critical));
    settle(200);
    ASSERT_EQ(server.requests().size(), 3);
    EXPECT_TRUE(server.requests()[2].contains("\r\nAuthorization: Basic dTpw\r\n"));
    EXPECT_EQ(m_deliveries.size(), 1);
}

TEST_F(PageFetch, StoredLoginGoesOnlyToServersTheUserAllowedAlsoAfterARestart)
{
    // Each server wants the login and answers a request without it with a demand.
    LoopbackServer first, second, stranger;
    for (LoopbackServer *server : {&first, &second, &stranger})
        server->setHandler([](QTcpSocket *client, const QByteArray &request) {
            client->write(request.contains("\r\nAuthorization: Basic dTpwdw==\r\n") ? LoopbackServer::httpReply(200, "in")
                                                                                   : LoopbackServer::httpReply(401, ""));
            client->disconnectFromHost();
        });
    // The store of the earlier version names the first server as the one that asked.
    for (const auto &[key, value] : {std::pair{u"Auth_Username"_s, u"u"_s}, {u"Auth_Password"_s, u"pw"_s},
                                     {u"Authentication"_s, u"401"_s}, {u"AuthenticationHost"_s, first.hostPort()}})
        ASSERT_TRUE(Platform::saveSetting(u"Velquist"_s, u"Preference"_s, key, value));
    ASSERT_TRUE(myPreference().GetSettings());
    receive(u"GetSiteInfo"_s);
    const auto fetchPage = [&](const LoopbackServer &server) {
        const qsizetype before = m_deliveries.size();
        fetch(url(server));
        return Platform::waitUntil([&] { return m_deliveries.size() > before; }, kWaitMs);
    };
    ASSERT_TRUE(fetchPage(first));

    // A new server gets nothing until the user says yes.
    env.dialogs.answerMessage(Platform::Yes);
    ASSERT_TRUE(fetchPage(second));
    ASSERT_EQ(env.dialogs.shown().size(), 1);
    EXPECT_TRUE(env.dialogs.shown()[0].prompt.contains(second.hostPort() + u'?'));
    ASSERT_EQ(second.requests().size(), 2);
    EXPECT_FALSE(second.requests()[0].contains("Authorization"));

    for (const LoopbackServer *server : {&first, &second, &first, &second})
        ASSERT_TRUE(fetchPage(*server));
    ASSERT_TRUE(myPreference().GetSettings());   // a restart
    for (const LoopbackServer *server : {&first, &second})
        ASSERT_TRUE(fetchPage(*server));
    EXPECT_EQ(first.requests().size(), 4);
    EXPECT_EQ(second.requests().size(), 5);
    for (const QByteArray &request : first.requests() + second.requests().mid(1))
        EXPECT_TRUE(request.contains("\r\nAuthorization: Basic dTpwdw==\r\n"));

    // No sends nothing more and shows nothing more.
    env.dialogs.answerMessage(Platform::No);
    int told = 0;
    frmHTTP::setReceiver(u"GetSiteInfo"_s, &m_owner, {[this](const QString &page, int status) {
        m_deliveries.append({page, status}); }, [&told] { ++told; }});
    fetch(url(stranger));
    ASSERT_TRUE(Platform::waitUntil([&] { return told > 0; }, kWaitMs));
    settle(200);
    EXPECT_EQ(env.dialogs.shown().size(), 2);
    ASSERT_EQ(stranger.requests().size(), 1);
    EXPECT_FALSE(stranger.requests()[0].contains("Authorization"));
    EXPECT_EQ(m_deliveries.size(), 8);
    EXPECT_EQ(Platform::getSetting(u"Velquist"_s, u"Preference"_s, u"AuthenticationHosts"_s),
              first.hostPort() + u' ' + second.hostPort());
    EXPECT_FALSE(log().contains(u"dTpwdw=="_s));
}

TEST_F(PageFetch, StoredProxyDemandLeavesADirectFetchPlain)
{
    LoopbackServer server;
    server.replyWith(LoopbackServer::httpReply(200, "plain"));
    myPreference().setAccessType(1);
    myPreference().setProxy(u"127.0.0.1"_s);
    myPreference().setPort(1);
    myPreference().setAuthentication(407);
    myPreference().setHTTPLogin(u"dTpw"_s);
    receive(u"GetSiteInfo"_s);
    fetch(url(server));
    ASSERT_TRUE(waitForDelivery());
    EXPECT_EQ(m_deliveries[0].page, u"plain"_s);
    ASSERT_EQ(server.requests().size(), 1);
    EXPECT_EQ(server.requests()[0], "GET /a HTTP/1.0\r\nHost: " + server.hostPort().toLatin1()
                                        + "\r\nUser-Agent: Velquist\r\nAccept: */*\r\n\r\n");
}

TEST_F(PageFetch, LoginDemandWithoutAStoredLoginAsksForOne)
{
    LoopbackServer server;
    server.replyWith(LoopbackServer::httpReply(401, ""));
    receive(u"GetSiteInfo"_s);
    env.dialogs.answerMessage(Platform::Ok);
    fetch(url(server));
    ASSERT_TRUE(Platform::waitUntil([&] { return !env.dialogs.shown().isEmpty(); }, kWaitMs));
    EXPECT_TRUE(env.dialogs.shown()[0].prompt.startsWith(
        u"Your server or proxy require authentication before allowing access to the internet."_s));
    settle(200);
    EXPECT_EQ(server.requests().size(), 1);
    EXPECT_TRUE(m_deliveries.isEmpty());
}

TEST_F(PageFetch, RedirectsAbsoluteAndRelativeAreFollowedWithTheSameKind)
{
    LoopbackServer server;
    server.setHandler([&server](QTcpSocket *client, const QByteArray &request) {
        const QByteArray path = request.split(' ').value(1);
        const QByteArray base = "http://" + server.hostPort().toLatin1();
        if (path == "/dir/a")
            client->write(LoopbackServer::httpReply(302, "", "Location: " + base + "/dir/b\r\n"));
        else if (path == "/dir/b")
            client->write(LoopbackServer::httpReply(301, "", "Location: /dir/c\r\n"));
        else if (path == "/dir/c")
            client->write(LoopbackServer::httpReply(302, "", "Location: d?q=1\r\n"));
        else
            client->write(LoopbackServer::httpReply(200, "landed " + path));
        client->disconnectFromHost();
    });
    receive(u"AddURLFromWeb"_s);
    fetch(url(server, u"/dir/a"_s), u"AddURLFromWeb"_s);
    ASSERT_TRUE(waitForDelivery());
    EXPECT_EQ(m_deliveries[0].page, u"landed /dir/d?q=1"_s);
    ASSERT_EQ(server.requests().size(), 4);
    EXPECT_EQ(frmHTTP::loadedInstance(), nullptr);
}

TEST_F(PageFetch, RedirectsAreSentAsWholeRequestLines)
{
    LoopbackServer server;
    server.setHandler([&server](QTcpSocket *client, const QByteArray &request) {
        const QByteArray path = request.split(' ').value(1);
        if (path == "/t3")
            client->write(LoopbackServer::httpReply(302, "", "Location: /t4#frag\r\n"));
        else if (path == "/t4")
            client->write(LoopbackServer::httpReply(301, "", "Location: http://" + server.hostPort().toLatin1() + "/u 0\r\n"));
        else if (path == "/u%200")
            client->write(LoopbackServer::httpReply(302, "", "Location: v0\xC3\xA9\r\n"));
        else
            client->write(LoopbackServer::httpReply(200, "landed " + path));
        client->disconnectFromHost();
    });
    receive(u"GetSiteInfo"_s);
    fetch(url(server, u"/t3"_s));
    ASSERT_TRUE(waitForDelivery());
    EXPECT_EQ(m_deliveries[0].page, u"landed /v0%C3%A9"_s);
    QList<QByteArray> requestLines;
    for (const QByteArray &request : server.requests())
        requestLines.append(request.left(request.indexOf("\r\n")));
    EXPECT_EQ(requestLines, QList<QByteArray>({"GET /t3 HTTP/1.0", "GET /t4 HTTP/1.0", "GET /u%200 HTTP/1.0",
                                               "GET /v0%C3%A9 HTTP/1.0"}));
}

TEST_F(PageFetch, DeferredReconnectIsEndedOnlyByItsOwnFetch)
{
    frmHTTP::setIntervals({300, 300, 1500});
    LoopbackServer server;
    server.setHandler([](QTcpSocket *client, const QByteArray &request) {
        const bool first = request.split(' ').value(1) == "/a";
        client->write(first ? LoopbackServer::httpReply(302, "", "Location: /b\r\n") : LoopbackServer::httpReply(200, "b"));
        client->disconnectFromHost();
    });
    // Other sockets (the FTP window's, its data connections) clear the shared flag all the time.
    QTimer otherSockets;
    QObject::connect(&otherSockets, &QTimer::timeout, [] { modDSSock::connectedFlag = false; });
    otherSockets.start(5);
    receive(u"GetSiteInfo"_s);
    Platform::setBusyPointer(true);
    fetch(url(server));
    ASSERT_TRUE(waitForDelivery());
    EXPECT_EQ(m_deliveries[0].page, u"b"_s);
    EXPECT_FALSE(Platform::isBusyPointer());

    // The caller disconnecting during the wait does end it.
    fetch(url(server));
    ASSERT_TRUE(Platform::waitUntil([&] { return server.requests().size() == 3; }, kWaitMs));
    settle(50);
    modDSSock::SocketDisconnect(frmHTTP::instance()->dsSocket2);
    settle(600);
    EXPECT_EQ(server.requests().size(), 3);
    EXPECT_EQ(m_deliveries.size(), 1);
}

TEST_F(PageFetch, RedirectLoopStopsAfterTenHops)
{
    LoopbackServer server;
    server.replyWith(LoopbackServer::httpReply(302, "", "Location: /a\r\n"));
    receive(u"GetSiteInfo"_s);
    env.dialogs.answerMessage(Platform::Ok);
    fetch(url(server));
    ASSERT_TRUE(Platform::waitUntil([&] { return !env.dialogs.shown().isEmpty(); }, kWaitMs));
    EXPECT_EQ(env.dialogs.shown()[0].prompt, u"ConnectError - StatusCode: 302"_s);
    settle(200);
    EXPECT_EQ(server.requests().size(), 1 + frmHTTP::kMaxRedirects);
    EXPECT_TRUE(m_deliveries.isEmpty());
}

TEST_F(PageFetch, ErrorStatusesAreReportedAndNothingIsHandedOver)
{
    struct Case {
        QByteArray reply;
        QString prompt;
        int style;
    };
    const QList<Case> cases = {
        {"HTTP/1.0 404 Not Found\r\n\r\n", u"URL not found.\r\n"_s, int(Platform::Critical)},
        {"HTTP/1.0 400 Bad\r\n\r\n", u"URL not found.\r\n"_s, int(Platform::Critical)},
        {"HTTP/1.0 500 Oops\r\n\r\nbroken", u"ConnectError - StatusCode: 500\r\n"_s, 0},
        {"HTTP/1.0\r\n\r\n", u"ConnectError - StatusCode: 600\r\n"_s, 0},
    };
    receive(u"GetSiteInfo"_s);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.prompt.toStdString());
        LoopbackServer server;
        server.replyWith(c.reply);
        env.dialogs.clearLog();
        env.dialogs.answerMessage(Platform::Ok);
        fetch(url(server));
        ASSERT_TRUE(Platform::waitUntil([&] { return !env.dialogs.shown().isEmpty(); }, kWaitMs));
        // The box names the page that failed.
        EXPECT_EQ(env.dialogs.shown()[0].prompt, c.prompt + url(server));
        EXPECT_EQ(env.dialogs.shown()[0].style, c.style);
    }
    EXPECT_TRUE(m_deliveries.isEmpty());
    EXPECT_NE(frmHTTP::loadedInstance(), nullptr);
    EXPECT_TRUE(log().contains(u"HTTPConnect_Error:HTTP/1.0 500 Oops\r\n\r\n\r\n-----broken"_s));
}

TEST_F(PageFetch, UnreadableStatusCodesLeaveTheStatusAsItWas)
{
    receive(u"GetSiteInfo"_s);
    for (const QByteArray statusLine : {"HTTP/1.0 2000 OK", "HTTP/1.0  404 x", "HTTP/1.0 1.5 x", "HTTP/1.0 1e2 x"}) {
        SCOPED_TRACE(statusLine.toStdString());
        LoopbackServer server;
        server.replyWith(statusLine + "\r\nContent-Length: 2\r\n\r\nok");
        m_deliveries.clear();
        fetch(url(server));
        ASSERT_TRUE(waitForDelivery());
        EXPECT_EQ(m_deliveries[0].page, u"ok"_s);
        EXPECT_EQ(m_deliveries[0].status, 0);
    }
}

TEST_F(PageFetch, LoginsInAServersReplyAreMaskedInTheLog)
{
    LoopbackServer server;
    server.replyWith("HTTP/1.0 500 Echo\r\nX-Echo: Authorization: Basic dTpw\r\n\r\n"
                     "{\"Authorization\": \"Basic dTpw\"}");
    receive(u"GetSiteInfo"_s);
    env.dialogs.answerMessage(Platform::Ok);
    fetch(url(server));
    ASSERT_TRUE(Platform::waitUntil([&] { return !env.dialogs.shown().isEmpty(); }, kWaitMs));
    EXPECT_TRUE(log().contains(u"X-Echo: Authorization: Basic ****\r\n"_s)) << log().toStdString();
    EXPECT_TRUE(log().contains(u"{\"Authorization\": \"Basic ****\"}"_s)) << log().toStdString();
    EXPECT_FALSE(log().contains(u"dTpw"_s));
}

TEST_F(PageFetch, TimedOutOrCutRepliesFailWithTheirReasonAndHandNothingOver)
{
    frmHTTP::setIntervals({10, 300, 1500, 2500});
    const struct {
        const char *name;
        LoopbackServer::Handler handler;
        QString what;
    } cases[] = {
        {"never answers", [](QTcpSocket *, const QByteArray &) {}, u" did not answer within 1.5 s."_s},
        {"closes before any byte", [](QTcpSocket *client, const QByteArray &) { client->disconnectFromHost(); },
         u" closed the connection without a reply."_s},
        {"sends no status line",
         [](QTcpSocket *client, const QByteArray &) {
             client->write("<html>a page</html>\n");
             client->disconnectFromHost();
         },
         u" sent no HTTP status line."_s},
        {"closes after the status line",
         [](QTcpSocket *client, const QByteArray &) {
             client->write("HTTP/1.0 200 OK\r\n");
             client->disconnectFromHost();
         },
         u" closed the connection inside the reply header."_s},
        {"closes inside the header",
         [](QTcpSocket *client, const QByteArray &) {
             client->write("HTTP/1.0 200 OK\r\nContent-Type: text/html\r\nContent-Le");
             client->disconnectFromHost();
         },
         u" closed the connection inside the reply header."_s},
        {"keeps the connection open after a body without length",
         [](QTcpSocket *client, const QByteArray &) { client->write("HTTP/1.0 200 OK\r\n\r\nfirst\n"); },
         u" stopped sending after 25 bytes."_s},
        {"stalls in the body",
         [](QTcpSocket *client, const QByteArray &) { client->write("HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\npart\n"); },
         u" stopped sending after 45 bytes."_s},
        {"closes in the body",
         [](QTcpSocket *client, const QByteArray &) {
             client->write("HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\nfirst\nsecond half");
             client->disconnectFromHost();
         },
         u" stopped sending after 17 of 100 bytes."_s},
        {"closes one byte short",
         [](QTcpSocket *client, const QByteArray &) {
             client->write(LoopbackServer::httpReply(200, "1234567890").chopped(1));
             client->disconnectFromHost();
         },
         u" stopped sending after 9 of 10 bytes."_s},
        // One body line every 0.2 s: the idle deadline never passes, the whole reply's does.
        {"trickles",
         [](QTcpSocket *client, const QByteArray &) {
             client->write("HTTP/1.0 200 OK\r\nContent-Length: 100000\r\n\r\n");
             LoopbackServer::trickle(client, "line\n", 200, 40);
         },
         u" did not send its whole reply within 2.5 s"_s},
    };
    int told = 0;
    frmHTTP::setReceiver(u"GetSiteInfo"_s, &m_owner, {[this](const QString &page, int status) {
        m_deliveries.append({page, status}); }, [&told] { ++told; }});
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        LoopbackServer server;
        server.setHandler(c.handler);
        env.dialogs.clearLog();
        env.dialogs.answerMessage(Platform::Ok);
        told = 0;
        Platform::setBusyPointer(true);
        fetch(url(server));
        ASSERT_TRUE(Platform::waitUntil([&] { return told > 0; }, kWaitMs));
        settle(100);
        EXPECT_EQ(told, 1);
        ASSERT_EQ(env.dialogs.shown().size(), 1);
        EXPECT_TRUE(env.dialogs.shown()[0].prompt.startsWith(u"HTTPConnect_Error: "_s + server.hostPort() + c.what))
            << env.dialogs.shown()[0].prompt.toStdString();
        EXPECT_EQ(env.dialogs.shown()[0].title, u"HTTPError"_s);
        EXPECT_FALSE(Platform::isBusyPointer());
    }
    EXPECT_TRUE(m_deliveries.isEmpty());
}

TEST_F(PageFetch, ASilentServerIsWaitedForAsLongAsTheUserSet)
{
    myPreference().setTimeOut(1);
    frmHTTP::setIntervals({10, 300});
    LoopbackServer server;
    server.neverAnswer();
    receive(u"GetSiteInfo"_s);
    env.dialogs.answerMessage(Platform::Ok);
    fetch(url(server));
    ASSERT_TRUE(Platform::waitUntil([&] { return !env.dialogs.shown().isEmpty(); }, kWaitMs));
    EXPECT_EQ(env.dialogs.shown()[0].prompt, u"HTTPConnect_Error: "_s + server.hostPort() + u" did not answer within 1 s."_s);
}

TEST_F(PageFetch, HugeBodyIsCutAtTheCap)
{
    LoopbackServer server;
    const QByteArray line = QByteArray(1023, 'x') + '\n';
    server.setHandler([&line](QTcpSocket *client, const QByteArray &) {
        client->write("HTTP/1.0 200 OK\r\nContent-Length: " + QByteArray::number(9 * 1024 * 1024) + "\r\n\r\n");
        for (int i = 0; i < 9 * 1024; ++i)
            client->write(line);
        client->disconnectFromHost();
    });
    receive(u"GetSiteInfo"_s);
    fetch(url(server));
    ASSERT_TRUE(Platform::waitUntil([&] { return !m_deliveries.isEmpty(); }, 60000));
    EXPECT_EQ(m_deliveries[0].page.size(), frmHTTP::kMaxPageChars);
    EXPECT_TRUE(log().contains(u"HTTP page cut at"_s));
}

TEST_F(PageFetch, OpenConnectionIsClosedByTheCloseTimerAndLateLinesAreLost)
{
    receive(u"GetSiteInfo"_s);
    for (const QByteArray &body : {QByteArray("first\n"), QByteArray()}) {
        SCOPED_TRACE(body.toStdString());
        LoopbackServer server;
        QPointer<QTcpSocket> peer;
        server.setHandler([&peer, &body](QTcpSocket *client, const QByteArray &) {
            peer = client;
            client->write("HTTP/1.0 200 OK\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body);
        });
        m_deliveries.clear();
        fetch(url(server));
        ASSERT_TRUE(waitForDelivery());
        EXPECT_EQ(m_deliveries[0].page, QString::fromLatin1(body));
        if (peer)
            peer->write("late\n");
        settle(300);
        EXPECT_EQ(m_deliveries.size(), 1);
    }
    EXPECT_EQ(log().count(u"Timer2: Socket Closted"_s), 2);
}

TEST_F(PageFetch, CancelAfterTheBodyHandsNothingOver)
{
    LoopbackServer server;
    server.replyWith("HTTP/1.0 200 OK\r\nContent-Length: 5\r\n\r\nbody\n", false);
    receive(u"GetSiteInfo"_s);
    fetch(url(server));
    frmHTTP *window = frmHTTP::instance();
    // The body is complete: only the close timer stands between it and the receiver.
    ASSERT_TRUE(Platform::waitUntil([&] { return window->Timer2.enabled(); }, kWaitMs));
    modDSSock::SocketDisconnect(window->dsSocket2);
    settle(2000);
    EXPECT_TRUE(m_deliveries.isEmpty());
}

TEST_F(PageFetch, EveryRequestKindReachesItsReceiverIgnoringCase)
{
    const QStringList kinds = {u"AddURLFromWeb"_s, u"GetMetaTag"_s,     u"GetSiteInfo"_s,
                               u"Optimizer"_s,     u"MetaTagEdit"_s,    u"News"_s,
                               u"KeywordBuilder"_s, u"GetCustomCategory"_s, u"EngineBuilder"_s};
    QStringList reached;
    for (const QString &kind : kinds)
        frmHTTP::setReceiver(kind, &m_owner, {[&reached, kind](const QString &page, int status) {
                                                  reached.append(kind + u':' + page + u':' + QString::number(status));
                                              }, {}});
    LoopbackServer server;
    server.replyWith(LoopbackServer::httpReply(200, "p"));
    for (const QString &kind : kinds) {
        fetch(url(server), kind.toUpper());
        ASSERT_TRUE(Platform::waitUntil([&] { return reached.size() == kinds.indexOf(kind) + 1; }, kWaitMs));
        EXPECT_EQ(reached.last(), kind + u":p:200"_s);
    }
}

TEST_F(PageFetch, UnknownKindOrClosedOwnerDropsThePage)
{
    LoopbackServer server;
    server.replyWith(LoopbackServer::httpReply(200, "p"));
    auto *owner = new QObject;
    receive(u"GetMetaTag"_s, owner);
    delete owner;

    fetch(url(server), u"GetMetaTag"_s);
    ASSERT_TRUE(Platform::waitUntil([] { return frmHTTP::loadedInstance() == nullptr; }, kWaitMs));
    fetch(url(server), u"NoSuchKind"_s);
    ASSERT_TRUE(Platform::waitUntil([] { return frmHTTP::loadedInstance() == nullptr; }, kWaitMs));
    EXPECT_TRUE(m_deliveries.isEmpty());
    EXPECT_TRUE(log().contains(u"HTTP page dropped: no receiver for \"GetMetaTag\""_s));
    EXPECT_TRUE(log().contains(u"HTTP page dropped: no receiver for \"NoSuchKind\""_s));
}

TEST_F(PageFetch, ReceiverMayStartTheNextFetch)
{
    LoopbackServer server;
    server.setHandler([](QTcpSocket *client, const QByteArray &request) {
        client->write(LoopbackServer::httpReply(200, "page " + request.split(' ').value(1)));
        client->disconnectFromHost();
    });
    const QString second = url(server, u"/second"_s);
    frmHTTP::setReceiver(u"GetCustomCategory"_s, &m_owner, {[&](const QString &page, int) {
        m_deliveries.append({page, 0});
        if (m_deliveries.size() == 1)
            fetch(second, u"GetCustomCategory"_s);
    }, {}});
    fetch(url(server, u"/first"_s), u"GetCustomCategory"_s);
    ASSERT_TRUE(waitForDelivery(2));
    EXPECT_EQ(m_deliveries[0].page, u"page /first"_s);
    EXPECT_EQ(m_deliveries[1].page, u"page /second"_s);
}

TEST_F(PageFetch, RefusedConnectionIsReportedOrToldQuietlyWhenTheReceiverAsks)
{
    TestSupport::RefusedPort refused;
    const QString target = u"http://"_s + refused.hostPort() + u"/x"_s;
    qputenv("VELQUIST_VENDOR_HOST", "www.vendor.example");

    env.dialogs.answerMessage(Platform::Ok);
    receive(u"GetSiteInfo"_s);
    fetch(target);
    ASSERT_EQ(env.dialogs.shown().size(), 1);
    EXPECT_TRUE(env.dialogs.shown()[0].prompt.startsWith(u"HTTPConnect_Error: "_s));
    EXPECT_TRUE(env.dialogs.shown()[0].prompt.endsWith(u"\r\n\r\nCould not connect to "_s
                                                       + target.mid(7, target.size() - 9) + u".\r\nPlease check your web site URL and try again."_s));
    EXPECT_EQ(env.dialogs.shown()[0].title, u"HTTPError"_s);
    EXPECT_TRUE(log().contains(u"HTTPConnect_Error(4): "_s));
    EXPECT_TRUE(log().contains(u"\r\nURL: "_s + target + u"\r\n"_s));
    EXPECT_TRUE(m_deliveries.isEmpty());

    // The box is left out for a receiver that asks for it, whatever its kind.
    const struct {
        QString kind;
        bool silent;
    } cases[] = {{u"KeywordBuilder"_s, true}, {u"News"_s, true}, {u"KeywordBuilder"_s, false}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.kind.toStdString() + (c.silent ? " silent" : ""));
        int told = 0;
        frmHTTP::PageReceiver receiver{[](const QString &, int) {}, [&told] { ++told; }};
        receiver.silentConnectFailure = c.silent;
        frmHTTP::setReceiver(c.kind, &m_owner, receiver);
        const qsizetype boxes = env.dialogs.shown().size();
        if (!c.silent)
            env.dialogs.answerMessage(Platform::Ok);
        fetch(target, c.kind);
        EXPECT_EQ(told, 1);
        EXPECT_EQ(env.dialogs.shown().size() - boxes, c.silent ? 0 : 1);
    }
}

TEST_F(PageFetch, VendorSiteFailuresLogTheHost)
{
    TestSupport::RefusedPort refused;
    const QString port = QString::number(refused.port());
    qputenv("VELQUIST_VENDOR_HOST", "127.0.0.1:9");
    env.dialogs.answerMessage(Platform::Ok);
    receive(u"News"_s);
    fetch(u"http://127.0.0.1:"_s + port + u"/news.txt"_s, u"News"_s);
    EXPECT_TRUE(log().contains(u"\r\nHost: 127.0.0.1\r\n"_s));
    // The vendor's own server is not the user's web site.
    ASSERT_EQ(env.dialogs.shown().size(), 1);
    EXPECT_TRUE(env.dialogs.shown()[0].prompt.endsWith(u"\r\n\r\nCould not connect to 127.0.0.1:"_s + port
                                                       + u".\r\nPlease check your connection to the Internet and try again."_s));
}

// One fetch at a time: a fetch of another kind still under way (waiting for its connection or
// for its reply) ends when the next starts, and its receiver is told at once after a box saying
// why, whatever the kind and its quiet flags; the next fetch goes on alone. A fetch of the same
// kind is replaced without a word, and one its caller gave up is not under way.
TEST_F(PageFetch, ASecondFetchEndsAnotherKindsFetchAndTellsItsReceiver)
{
    LoopbackServer pages;
    pages.setHandler([](QTcpSocket *client, const QByteArray &request) {
        client->write(LoopbackServer::httpReply(200, "page " + request.split(' ').value(1)));
        client->disconnectFromHost();
    });
    const struct {
        const char *name;
        QString kind;
        bool silent, inConnectWait, givenUp;
        int told;
    } cases[] = {
        {"meta-tag editor awaiting its reply", u"MetaTagEdit"_s, false, false, false, 1},
        {"optimizer in its connect wait", u"Optimizer"_s, false, true, false, 1},
        {"keyword builder's quiet run", u"KeywordBuilder"_s, true, false, false, 1},
        {"engine builder in its connect wait", u"EngineBuilder"_s, false, true, false, 1},
        {"news awaiting its reply", u"News"_s, false, false, false, 1},
        {"the same kind", u"GetSiteInfo"_s, false, false, false, 0},
        {"a fetch its caller gave up", u"News"_s, false, false, true, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        LoopbackServer silent;
        silent.neverAnswer();
        int told = 0;
        frmHTTP::PageReceiver first{[this](const QString &page, int status) { m_deliveries.append({page, status}); },
                                    [&told] { ++told; }};
        first.silentConnectFailure = first.silentHttpFailure = c.silent;
        frmHTTP::setReceiver(c.kind, &m_owner, first);
        receive(u"GetSiteInfo"_s);
        m_deliveries.clear();
        env.dialogs.clearLog();
        const QString firstURL = c.inConnectWait ? url(pages, u"/first"_s) : url(silent, u"/slow"_s);
        const QString secondURL = url(pages, u"/second"_s);
        if (c.told > 0)
            env.dialogs.answerMessage(Platform::Ok);
        if (c.inConnectWait) {
            // The second fetch starts from the event loop that waits for the first one's connection.
            QTimer::singleShot(0, &m_owner, [&] { fetch(secondURL); });
            fetch(firstURL, c.kind);
        } else {
            fetch(firstURL, c.kind);
            ASSERT_TRUE(silent.waitForRequests(1, kWaitMs));
            if (c.givenUp)
                modDSSock::SocketDisconnect(frmHTTP::instance()->dsSocket2);
            fetch(secondURL);
        }
        ASSERT_TRUE(waitForDelivery());
        settle(100);
        EXPECT_EQ(told, c.told);
        EXPECT_EQ(m_deliveries.size(), 1);
        EXPECT_EQ(m_deliveries.value(0).page, u"page /second"_s);
        if (c.told > 0) {
            ASSERT_EQ(env.dialogs.shown().size(), 1);
            EXPECT_EQ(env.dialogs.shown()[0].prompt,
                      u"The page fetch of "_s + firstURL + u" was stopped for another window's fetch of "_s + secondURL + u'.');
            EXPECT_EQ(env.dialogs.shown()[0].title, u"HTTP"_s);
        } else {
            EXPECT_TRUE(env.dialogs.shown().isEmpty());
        }
        for (const QByteArray &request : pages.requests())
            EXPECT_NE(pathOf(request), "/first");
    }
    EXPECT_EQ(log().count(u"HTTP fetch stopped for another window's fetch: "_s), 5);
    EXPECT_FALSE(log().contains(u"did not answer"_s));
}

TEST_F(PageFetch, QuietReceiverIsToldOfEveryHttpFailureWithoutABox)
{
    const struct {
        const char *name;
        QByteArray reply;
        int status;
        bool storedLogin;
    } cases[] = {
        {"404", LoopbackServer::httpReply(404, "gone"), 404, false},
        {"500", LoopbackServer::httpReply(500, "oops"), 500, false},
        {"redirect loop", LoopbackServer::httpReply(302, "", "Location: /a\r\n"), 302, false},
        {"login demand without a login", LoopbackServer::httpReply(401, ""), 401, false},
        {"login demand of a server not allowed", LoopbackServer::httpReply(401, ""), 401, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        myPreference().setHTTPLogin(c.storedLogin ? u"dTpw"_s : QString());
        LoopbackServer server;
        server.replyWith(c.reply);
        int told = 0;
        int statusWhenTold = 0;
        frmHTTP::PageReceiver receiver;
        receiver.pageArrived = [this](const QString &page, int status) { m_deliveries.append({page, status}); };
        receiver.connectFailed = [&] {
            ++told;
            statusWhenTold = frmHTTP::loadedInstance()->statusCode();
        };
        receiver.silentHttpFailure = true;
        frmHTTP::setReceiver(u"KeywordBuilder"_s, &m_owner, receiver);
        Platform::setBusyPointer(true);
        fetch(url(server), u"KeywordBuilder"_s);
        ASSERT_TRUE(Platform::waitUntil([&] { return told > 0; }, kWaitMs));
        settle(100);
        EXPECT_EQ(told, 1);
        EXPECT_EQ(statusWhenTold, c.status);
        EXPECT_FALSE(Platform::isBusyPointer());
        // A run never sends the server login anywhere new.
        for (const QByteArray &request : server.requests())
            EXPECT_FALSE(request.contains("Authorization"));
    }
    EXPECT_TRUE(env.dialogs.shown().isEmpty());
    EXPECT_TRUE(m_deliveries.isEmpty());
    EXPECT_TRUE(log().contains(u"HTTPConnect_Error: too many redirects"_s));
    EXPECT_TRUE(log().contains(u"Error: Authentication Required"_s));
    EXPECT_TRUE(myPreference().AuthenticationHosts().isEmpty());
}
