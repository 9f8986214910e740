#include "transport/HttpClient.h"

#include <algorithm>
#include <functional>

#include "platform/Codec1252.h"
#include "platform/EventLoop.h"
#include "platform/TextFile.h"
#include "support/LoopbackServer.h"
#include "support/RefusedPort.h"
#include "support/StalledListener.h"
#include "support/TestEnvironment.h"
#include "transport/frmHTTP.h"

using namespace Qt::StringLiterals;
using Platform::HttpClient;
using Platform::waitUntil;
using TestSupport::LoopbackServer;

namespace {

// Every event of a client, in order; `hook` runs inside each one, so a test can call back in.
struct Recorder {
    QStringList log;
    QList<qint64> progress;
    HttpClient::Headers headers;
    QString body;
    int events = 0;
    std::function<void(const QString &event)> hook;

    explicit Recorder(HttpClient &client)
    {
        QObject::connect(&client, &HttpClient::Connected, &client, [this](int) { record(u"Connected"_s); });
        QObject::connect(&client, &HttpClient::HeaderDone, &client,
                         [this](int, const QString &status, const HttpClient::Headers &fields) {
                             headers = fields;
                             record(u"HeaderDone "_s + status);
                         });
        QObject::connect(&client, &HttpClient::Progress, &client, [this](int, qint64 bytes) {
            progress << bytes;
            record(u"Progress"_s, false);
        });
        QObject::connect(&client, &HttpClient::Error, &client,
                         [this](int, const QString &text) { record(u"Error "_s + text); });
        QObject::connect(&client, &HttpClient::Done, &client,
                         [this](int, const QString &text, int code, const QString &result) {
                             body = text;
                             record(u"Done %1 %2"_s.arg(code).arg(result));
                         });
    }
    void record(const QString &event, bool logged = true)
    {
        if (logged)
            log << event;
        ++events;
        if (hook)
            hook(event);
    }
    int doneCount() const
    {
        return int(std::count_if(log.cbegin(), log.cend(), [](const QString &e) { return e.startsWith(u"Done "_s); }));
    }
    bool waitForDone(int count = 1)
    {
        return waitUntil([&] { return doneCount() >= count; }, 5000);
    }
};

// Lets events that could still come arrive before a test checks that none did.
void settle()
{
    waitUntil([] { return false; }, 300);
}

QString urlOf(const LoopbackServer &server, const QString &path = u"/"_s)
{
    return u"http://"_s + server.hostPort() + path;
}

QString requestLine(const QByteArray &request)
{
    return QString::fromLatin1(request.left(request.indexOf("\r\n")));
}

class HttpClientTest : public TestSupport::VelquistTest {
protected:
    HttpClient client{nullptr, 4};
    Recorder events{client};
    LoopbackServer server;
    QString file = env.root() + u"/page1.html"_s;

    void aim(const QString &url)
    {
        client.setUrl(url);
        client.setResponseFile(file);
    }
};

} // namespace

TEST_F(HttpClientTest, RequestLineHostAndLoginFollowTheMode)
{
    struct Case {
        int mode;
        QString user;
        QString url;   // "{server}" is the server's host and port
        QString line;
        QString host;
        QByteArray login;
    };
    const QByteArray basic = "Proxy-Authorization: Basic " + QByteArray("user:p\xe4ss").toBase64() + "\r\n";
    const QList<Case> cases = {
        {0, u"user"_s, u"http://{server}/a/b?q=R%26D+x"_s, u"GET /a/b?q=R%26D+x HTTP/1.0"_s, u"{server}"_s, {}},
        {0, {}, u"http://{server}"_s, u"GET / HTTP/1.0"_s, u"{server}"_s, {}},
        {0, {}, u"http://{server}?x=1"_s, u"GET /?x=1 HTTP/1.0"_s, u"{server}"_s, {}},
        // A blank (as a redirect target of the rank check may hold one) never splits the line.
        {0, {}, u"http://{server}/u 0"_s, u"GET /u%200 HTTP/1.0"_s, u"{server}"_s, {}},
        {3, u"user"_s, u"HTTP://engine.test:8080/s?q=a%22b"_s, u"GET http://engine.test:8080/s?q=a%22b HTTP/1.0"_s,
         u"engine.test:8080"_s, basic},
        {3, {}, u"http://engine.test/s"_s, u"GET http://engine.test/s HTTP/1.0"_s, u"engine.test"_s, {}},
    };
    server.replyWith(LoopbackServer::httpReply(200, "page"));
    int done = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.url.toStdString());
        client.setProxyMode(c.mode);
        client.setProxyHost(server.host());
        client.setProxyPort(server.port());
        client.setProxyUser(c.user);
        client.setProxyPassword(u"p\u00e4ss"_s);
        aim(QString(c.url).replace(u"{server}"_s, server.hostPort()));
        client.get();
        ASSERT_TRUE(events.waitForDone(++done));
        const QByteArray request = server.requests().constLast();
        EXPECT_EQ(requestLine(request), c.line);
        const QByteArray host = "\r\nHost: " + QString(c.host).replace(u"{server}"_s, server.hostPort()).toLatin1() + "\r\n";
        EXPECT_TRUE(request.contains(host));
        EXPECT_EQ(request.contains("Proxy-Authorization"), !c.login.isEmpty());
        if (!c.login.isEmpty()) {
            EXPECT_TRUE(request.contains(c.login));
        }
        EXPECT_TRUE(request.endsWith("User-Agent: Velquist\r\nAccept: */*\r\n\r\n"));
        EXPECT_EQ(events.log.constLast(), u"Done 0 OK"_s);
    }
}

TEST_F(HttpClientTest, AnyCompleteReplyIsSavedAndEndsInOneDone)
{
    struct Case {
        const char *name;
        QByteArray reply;
        bool close;
        QString status;
        QByteArray body;
        HttpClient::Headers headers = {};   // checked when given
    };
    const QList<Case> cases = {
        {"ends at Content-Length", "HTTP/1.0 200 OK\r\nContent-Length: 3\r\n\r\nabcdef", false, u"HTTP/1.0 200 OK"_s,
         "abc"},
        {"404 is a reply", LoopbackServer::httpReply(404, "gone"), true, u"HTTP/1.0 404 Status"_s, "gone"},
        {"to the close", "HTTP/1.0 200 OK\r\n\r\nall\r\nof it", true, u"HTTP/1.0 200 OK"_s, "all\r\nof it"},
        {"bare LF, never followed", "HTTP/1.0 302 Found\nLocation:  http://elsewhere.test/ \n\nmoved", true,
         u"HTTP/1.0 302 Found"_s, "moved", {{u"Location"_s, u"http://elsewhere.test/"_s}}},
        {"empty body announced", "HTTP/1.0 200 OK\r\nContent-Length: 0\r\n\r\n", false, u"HTTP/1.0 200 OK"_s, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        events.log.clear();
        events.progress.clear();
        server.replyWith(c.reply, c.close);
        const int requestsBefore = int(server.requests().size());
        aim(urlOf(server));
        client.get();
        EXPECT_TRUE(events.log.isEmpty());
        ASSERT_TRUE(events.waitForDone());
        settle();
        QStringList expected = {u"Connected"_s, u"HeaderDone "_s + c.status, u"Done 0 OK"_s};
        EXPECT_EQ(events.log, expected);
        EXPECT_EQ(events.body, Platform::fromAnsi(c.body));
        EXPECT_EQ(Platform::readBinaryFile(file).value_or("(none)"), c.body);
        EXPECT_EQ(events.progress.isEmpty() ? 0 : events.progress.constLast(), c.body.size());
        EXPECT_EQ(server.requests().size(), requestsBefore + 1);
        if (!c.headers.isEmpty()) {
            EXPECT_EQ(events.headers, c.headers);
        }
    }
}

TEST_F(HttpClientTest, FailuresRaiseOneErrorThenOneDoneWithAnEmptyBody)
{
    TestSupport::RefusedPort refused;
    const quint16 refusedPort = refused.port();
    struct Case {
        QString url;
        int mode;
        QString responseFile;   // empty: the fixture's file
        int code;
        QByteArray reply = LoopbackServer::httpReply(200, "page");
        QString told = {};   // the error, checked when given ("{server}" its host and port)
    };
    const QString missingFolder = env.root() + u"/missing/page1.html"_s;
    const QList<Case> cases = {
        {u"http://127.0.0.1:%1/"_s.arg(refusedPort), 0, {}, HttpClient::kResultConnectFailed},
        {u"http://127.0.0.1:%1/"_s.arg(refusedPort), 3, {}, HttpClient::kResultConnectFailed},
        {u"ftp://%1/"_s.arg(server.hostPort()), 0, {}, HttpClient::kResultUrlRefused},
        {u"%1/"_s.arg(server.hostPort()), 0, {}, HttpClient::kResultUrlRefused},
        {u"http:///path"_s, 0, {}, HttpClient::kResultUrlRefused},
        {u"http://%1/a\tb"_s.arg(server.hostPort()), 0, {}, HttpClient::kResultUrlRefused},
        {u"http://%1/a\x7f"_s.arg(server.hostPort()), 0, {}, HttpClient::kResultUrlRefused},
        {u"http://%1/"_s.arg(server.hostPort()), 0, missingFolder, HttpClient::kResultFileNotWritten},
        {u"http://%1/"_s.arg(server.hostPort()), 0, {}, HttpClient::kResultConnectFailed, "",
         u"{server} closed the connection without a reply"_s},
        {u"http://%1/"_s.arg(server.hostPort()), 0, {}, HttpClient::kResultConnectFailed, "<html>\xe4</html>",
         u"{server} sent no HTTP status line"_s},
        {u"http://%1/"_s.arg(server.hostPort()), 0, {}, HttpClient::kResultConnectFailed, "HTTP/1.0 200 OK",
         u"{server} closed the connection inside the reply header"_s},
        {u"http://%1/"_s.arg(server.hostPort()), 0, {}, HttpClient::kResultConnectFailed, "HTTP/1.0 200 OK\r\nX: y",
         u"{server} closed the connection inside the reply header"_s},
        {u"http://%1/"_s.arg(server.hostPort()), 0, {}, HttpClient::kResultConnectFailed,
         "HTTP/1.0 200 OK\r\nContent-Length: 10\r\n\r\nabcd", u"{server} stopped sending after 4 of 10 bytes"_s},
    };
    client.setTimeout(30);
    client.setProxyHost(server.host());
    client.setProxyPort(refusedPort);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.url.toStdString() + ' ' + c.reply.toStdString());
        events.log.clear();
        server.replyWith(c.reply);
        client.setProxyMode(c.mode);
        const int connectionsBefore = server.connectionCount();
        aim(c.url);
        if (!c.responseFile.isEmpty())
            client.setResponseFile(c.responseFile);
        client.get();
        EXPECT_TRUE(events.log.isEmpty());
        ASSERT_TRUE(events.waitForDone());   // well before the time-out
        settle();
        ASSERT_GE(events.log.size(), 2);
        const QString error = events.log.at(events.log.size() - 2);
        EXPECT_TRUE(error.startsWith(u"Error "_s));
        EXPECT_EQ(events.log.filter(u"Error "_s).size(), 1);
        EXPECT_EQ(events.doneCount(), 1);
        EXPECT_EQ(events.log.constLast(), u"Done %1 %2"_s.arg(c.code).arg(error.mid(6)));
        EXPECT_EQ(events.body, QString());
        if (!c.told.isEmpty()) {
            EXPECT_EQ(error, u"Error "_s + QString(c.told).replace(u"{server}"_s, server.hostPort()));
        }
        if (c.code == HttpClient::kResultUrlRefused) {
            EXPECT_EQ(server.connectionCount(), connectionsBefore);
        }
    }
    EXPECT_FALSE(Platform::fileExists(file));
}

TEST_F(HttpClientTest, TimeOutBoundsTheConnectAndEverySilence)
{
    TestSupport::StalledListener stalled;
    ASSERT_TRUE(stalled.full());
    struct Case {
        const char *name;
        std::function<void(QTcpSocket *)> answer;
        bool stalledConnect;
        QString error;
        int code;
    };
    const QList<Case> cases = {
        {"connect", nullptr, true, u"Connect time-out"_s, HttpClient::kResultConnectTimeout},
        {"no reply", [](QTcpSocket *) {}, false, u"Time-out: no data from the server"_s,
         HttpClient::kResultSilenceTimeout},
        {"silence mid-body",
         [](QTcpSocket *peer) {
             peer->write("HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\nabc");
             LoopbackServer::trickle(peer, "d", 300, 3);
         },
         false, u"Time-out: no data from the server"_s, HttpClient::kResultSilenceTimeout},
    };
    client.setTimeout(0);   // counts as one second
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        events.log.clear();
        events.progress.clear();
        server.setHandler([answer = c.answer](QTcpSocket *peer, const QByteArray &) { answer(peer); });
        aim(c.stalledConnect ? u"http://127.0.0.1:%1/"_s.arg(stalled.port()) : urlOf(server));
        const qint64 started = Platform::tickCount();
        client.get();
        ASSERT_TRUE(events.waitForDone());
        EXPECT_GE(Platform::tickCount() - started, 900);
        EXPECT_EQ(events.log.mid(events.log.size() - 2),
                  (QStringList{u"Error "_s + c.error, u"Done %1 %2"_s.arg(c.code).arg(c.error)}));
        EXPECT_FALSE(Platform::fileExists(file));
    }
}

TEST_F(HttpClientTest, SteadyTrickleEndsAtTenTimesTheTimeOut)
{
    server.setHandler([](QTcpSocket *peer, const QByteArray &) {
        peer->write("HTTP/1.0 200 OK\r\nContent-Length: 100000\r\n\r\n");
        LoopbackServer::trickle(peer, "d", 300, 60);
    });
    client.setTimeout(1);
    aim(urlOf(server));
    const qint64 started = Platform::tickCount();
    client.get();
    ASSERT_TRUE(waitUntil([&] { return events.doneCount() == 1; }, 12000));
    // Ten seconds less the slack of a coarse timer.
    EXPECT_GE(Platform::tickCount() - started, 9400);
    const QString error = u"Time-out: the reply took too long"_s;
    EXPECT_EQ(events.log.mid(events.log.size() - 2),
              (QStringList{u"Error "_s + error, u"Done %1 %2"_s.arg(HttpClient::kResultSilenceTimeout).arg(error)}));
    EXPECT_FALSE(Platform::fileExists(file));
}

TEST_F(HttpClientTest, OverlongReplyEndsInReplyTooLargeAndWritesNoFile)
{
    const QByteArray bigBody(10 * 1024 * 1024 + 1, 'x');
    const QList<QByteArray> replies = {
        "HTTP/1.0 200 OK\r\n\r\n" + bigBody,
        "HTTP/1.0 200 OK\r\nContent-Length: " + QByteArray::number(bigBody.size()) + "\r\n\r\n" + bigBody,
        "HTTP/1.0 200 OK\r\nX: " + QByteArray(HttpReplyReader::kMaxHeaderBytes, 'h') + "\r\n\r\nbody",
    };
    for (const QByteArray &reply : replies) {
        SCOPED_TRACE(reply.left(40).toStdString());
        events.log.clear();
        events.progress.clear();
        server.replyWith(reply);
        aim(urlOf(server));
        client.get();
        ASSERT_TRUE(events.waitForDone());
        settle();
        EXPECT_EQ(events.log.mid(events.log.size() - 2),
                  (QStringList{u"Error reply too large"_s,
                               u"Done %1 reply too large"_s.arg(HttpClient::kResultTooLarge)}));
        EXPECT_EQ(events.body, QString());
        for (qint64 kept : std::as_const(events.progress))
            EXPECT_LE(kept, frmHTTP::kMaxPageChars);
        EXPECT_FALSE(Platform::fileExists(file));
    }
}

TEST_F(HttpClientTest, NothingFollowsCancel)
{
    server.setHandler([](QTcpSocket *peer, const QByteArray &) {
        peer->write("HTTP/1.0 200 OK\r\nContent-Length: 50\r\n\r\nab");
        LoopbackServer::trickle(peer, "c", 20, 48);
    });
    struct Case {
        const char *name;
        QString url;
        std::function<void(Recorder &)> beforeCancel;
    };
    const QList<Case> cases = {
        {"mid-body", urlOf(server),
         [](Recorder &r) { EXPECT_TRUE(waitUntil([&] { return r.progress.size() >= 2; }, 5000)); }},
        {"queued refusal", u"gopher://x/"_s, nullptr},
        {"while connecting", urlOf(server), nullptr},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        aim(c.url);
        client.get();
        if (c.beforeCancel)
            c.beforeCancel(events);
        const int before = events.events;
        client.cancel();
        waitUntil([] { return false; }, 1000);   // past the end of the trickle
        EXPECT_EQ(events.events, before);
    }
    EXPECT_EQ(events.doneCount(), 0);
    EXPECT_FALSE(Platform::fileExists(file));
}

TEST_F(HttpClientTest, HandlersMayCallBackInAndEveryRequestEndsOnce)
{
    server.replyWith(LoopbackServer::httpReply(200, "page"));
    struct Case {
        const char *name;
        QString firstUrl;          // empty: the server
        QString callIn;            // the event whose handler calls in, once
        bool cancelInstead;
        QStringList expected;
    };
    const QString ok = u"Done 0 OK"_s;
    const QString header = u"HeaderDone HTTP/1.0 200 Status"_s;
    const QString refused = u"Error URL refused"_s;
    const QList<Case> cases = {
        {"get in done", {}, u"Done 0 OK"_s, false, {u"Connected"_s, header, ok, u"Connected"_s, header, ok}},
        {"get in header done", {}, header, false, {u"Connected"_s, header, u"Connected"_s, header, ok}},
        {"get in progress", {}, u"Progress"_s, false, {u"Connected"_s, header, u"Connected"_s, header, ok}},
        {"get in error", u"bad"_s, refused, false, {refused, u"Connected"_s, header, ok}},
        {"cancel in error", u"bad"_s, refused, true, {refused}},
        {"cancel in header done", {}, header, true, {u"Connected"_s, header}},
        {"cancel in connected", {}, u"Connected"_s, true, {u"Connected"_s}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        events.log.clear();
        bool calledIn = false;
        events.hook = [&](const QString &event) {
            if (calledIn || event != c.callIn)
                return;
            calledIn = true;
            if (c.cancelInstead) {
                client.cancel();
                return;
            }
            client.setUrl(urlOf(server));
            client.get();
        };
        aim(c.firstUrl.isEmpty() ? urlOf(server) : c.firstUrl);
        client.get();
        waitUntil([&] { return events.log == c.expected; }, 5000);
        settle();
        EXPECT_EQ(events.log, c.expected);
    }
    events.hook = nullptr;
}

TEST_F(HttpClientTest, ProxyRequestRidesOnTheConnectionThatStands)
{
    server.replyWith(LoopbackServer::httpReply(200, "page"));
    client.setProxyMode(HttpClient::kProxyThrough);
    client.setProxyHost(server.host());
    client.setProxyPort(server.port());
    events.hook = [&](const QString &event) {
        if (event == u"Connected"_s)
            client.get();
    };
    aim(u"http://engine.test/q"_s);
    for (bool connectFirst : {true, false}) {
        SCOPED_TRACE(connectFirst);
        events.log.clear();
        const int connectionsBefore = server.connectionCount();
        if (connectFirst)
            client.connectToProxy(u"engine.test"_s);
        else
            client.get();
        EXPECT_TRUE(events.log.isEmpty());
        ASSERT_TRUE(events.waitForDone());
        settle();
        EXPECT_EQ(events.log, (QStringList{u"Connected"_s, u"HeaderDone HTTP/1.0 200 Status"_s, u"Done 0 OK"_s}));
        EXPECT_EQ(server.connectionCount(), connectionsBefore + 1);
    }
    EXPECT_EQ(server.requests().size(), 2);
}
