#include <gtest/gtest.h>

#include <QStringList>

#include "platform/Codec1252.h"
#include "submission/SubmitHttp.h"
#include "support/ReplyLines.h"

using namespace Qt::StringLiterals;
using namespace SubmitHttp;
using modDSSock::SubmitSocket;

namespace {

SubmitSettings proxied(int authentication = 0)
{
    SubmitSettings settings;
    settings.AccessType = 2;
    settings.Proxy = u"127.0.0.1"_s;
    settings.Port = 3128;
    settings.Authentication = authentication;
    settings.HTTPLogin = u"dXNlcjpwdw=="_s;
    return settings;
}

SubmitSocket readReply(const QStringList &lines)
{
    SubmitSocket record;
    for (const QString &line : lines)
        readReplyLine(record, line);
    return record;
}

} // namespace

TEST(SubmitRequest, DirectGetAndPostBytes)
{
    SubmitSettings direct;
    direct.Proxy = u"proxy.example"_s;   // ignored without AccessType 2
    Request get = buildRequest(u"GET"_s, u"http://a.example/cgi/add"_s, u"u=1&t=x"_s, direct);
    EXPECT_EQ(get.text, u"GET /cgi/add?u=1&t=x HTTP/1.0\r\nHost: a.example:80\r\nAccept: */*\r\n\r\n"_s);
    EXPECT_EQ(get.host, u"a.example"_s);
    EXPECT_EQ(get.port, 80);
    EXPECT_FALSE(get.viaProxy);

    Request post = buildRequest(u"POST"_s, u"http://a.example/add"_s, u"t=\u00e9t\u00e9"_s, direct);
    EXPECT_EQ(post.text, u"POST /add HTTP/1.0\r\nHost: a.example:80\r\nAccept: */*\r\n"
                         "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: 5\r\n\r\n"
                         "t=\u00e9t\u00e9\r\n"_s);
    // One byte per character on the wire, so the length matches what is sent.
    EXPECT_EQ(Platform::toAnsi(post.text).size(), post.text.size());
}

TEST(SubmitRequest, ProxyRequestsCarryTheWholeUrlAndTheProxyHost)
{
    Request get = buildRequest(u"GET"_s, u"http://e1.example/add"_s, u"q=1"_s, proxied());
    EXPECT_EQ(get.text, u"GET http://e1.example/add?q=1 HTTP/1.0\r\nHost: 127.0.0.1:3128\r\nAccept: */*\r\n\r\n"_s);
    EXPECT_EQ(get.host, u"127.0.0.1"_s);
    EXPECT_EQ(get.port, 3128);
    EXPECT_TRUE(get.viaProxy);
    Request put = buildRequest(u"PUT"_s, u"http://e1.example/add"_s, u"q=1"_s, proxied());
    EXPECT_EQ(put.text, u"PUT http://e1.example/add HTTP/1.0\r\nHost: 127.0.0.1:3128\r\nAccept: */*\r\n\r\n"_s);
}

TEST(SubmitRequest, MethodsGoOutInCapitalsAndAreChosenIgnoringCase)
{
    const struct {
        QString method;
        QString requestLine;
        bool body;
    } cases[] = {
        {u"get"_s, u"GET /add?q=1 HTTP/1.0\r\n"_s, false},
        {u"Get"_s, u"GET /add?q=1 HTTP/1.0\r\n"_s, false},
        {u"post"_s, u"POST /add HTTP/1.0\r\n"_s, true},
        {u"pOsT"_s, u"POST /add HTTP/1.0\r\n"_s, true},
        {u"PUT"_s, u"PUT /add HTTP/1.0\r\n"_s, false},
    };
    for (const auto &c : cases) {
        const QString direct = buildRequest(c.method, u"http://a.example/add"_s, u"q=1"_s, SubmitSettings{}).text;
        EXPECT_TRUE(direct.startsWith(c.requestLine)) << direct.toStdString();
        EXPECT_EQ(direct.endsWith(u"\r\n\r\nq=1\r\n"_s), c.body) << direct.toStdString();
        const QString viaProxy = buildRequest(c.method, u"http://a.example/add"_s, u"q=1"_s, proxied()).text;
        EXPECT_TRUE(viaProxy.startsWith(c.requestLine.left(c.requestLine.indexOf(u' ')) + u" http://a.example/add"_s))
            << viaProxy.toStdString();
    }
}

TEST(SubmitRequest, LoginGoesOnlyToTheProxy)
{
    SubmitSettings direct = proxied(407);
    direct.AccessType = 0;
    for (int authentication : {401, 407}) {
        direct.Authentication = authentication;
        const QString text = buildRequest(u"GET"_s, u"http://a.example/"_s, u"x"_s, direct).text;
        EXPECT_FALSE(text.contains(u"Authorization"_s)) << authentication;
    }
    const QString viaProxy = buildRequest(u"GET"_s, u"http://a.example/"_s, u"x"_s, proxied(407)).text;
    EXPECT_TRUE(viaProxy.contains(u"\r\nProxy-Authorization: Basic dXNlcjpwdw==\r\nAccept: */*\r\n"_s));
    const QString engineLogin = buildRequest(u"GET"_s, u"http://a.example/"_s, u"x"_s, proxied(401)).text;
    EXPECT_FALSE(engineLogin.contains(u"Authorization"_s));
}

TEST(SubmitRequest, HostPortAndQueryJoinOfUnusualActions)
{
    SubmitSettings direct;
    Request withPort = buildRequest(u"GET"_s, u"http://a.example:8080/add"_s, u"q=1"_s, direct);
    EXPECT_EQ(withPort.host, u"a.example"_s);
    EXPECT_EQ(withPort.port, 8080);
    EXPECT_TRUE(withPort.text.startsWith(u"GET /add?q=1 HTTP/1.0\r\nHost: a.example:8080\r\n"_s));

    Request noPath = buildRequest(u"GET"_s, u"http://a.example"_s, u"q=1"_s, direct);
    EXPECT_EQ(noPath.host, u"a.example"_s);
    EXPECT_TRUE(noPath.text.startsWith(u"GET /?q=1 HTTP/1.0\r\n"_s));

    EXPECT_TRUE(buildRequest(u"GET"_s, u"http://a.example/s?b=1"_s, u"q=1"_s, direct)
                    .text.startsWith(u"GET /s?b=1&q=1 "_s));
    EXPECT_TRUE(buildRequest(u"GET"_s, u"http://a.example/s?"_s, u"q=1"_s, direct)
                    .text.startsWith(u"GET /s?q=1 "_s));
    EXPECT_TRUE(buildRequest(u"GET"_s, u"http://a.example/s?b=1&"_s, u"q=1"_s, direct)
                    .text.startsWith(u"GET /s?b=1&q=1 "_s));
}

TEST(SubmitRequest, HostsWithoutADotAreInvalid)
{
    SubmitSettings direct;
    EXPECT_TRUE(buildRequest(u"GET"_s, u"http://localhost/add"_s, u"q"_s, direct).invalidHost);
    EXPECT_FALSE(buildRequest(u"GET"_s, u"http://127.0.0.1/add"_s, u"q"_s, direct).invalidHost);
    SubmitSettings badProxy = proxied();
    badProxy.Proxy = u"gateway"_s;
    EXPECT_TRUE(buildRequest(u"GET"_s, u"http://a.example/add"_s, u"q"_s, badProxy).invalidHost);
}

TEST(SubmitReply, StatusLineAndContentLength)
{
    SubmitSocket ok = readReply({u"HTTP/1.1 404 Not Found\r\n"_s, u"content-length:12\r\n"_s, u"\r\n"_s});
    EXPECT_EQ(ok.httpStatus, 404);
    EXPECT_EQ(ok.protocol, u"HTTP/1.1"_s);
    EXPECT_EQ(ok.reply.contentLength(), 12);
    EXPECT_FALSE(ok.reply.readingHeader());

    EXPECT_EQ(readReply({u"http/1.0 200 OK\r\n"_s}).httpStatus, 200);
    EXPECT_EQ(readReply({u"HTTP/1.0 200 OK\r\n"_s, u"X-Length: 7\r\n"_s}).reply.contentLength(), std::nullopt);
}

TEST(SubmitReply, UnreadableCodesAreStatus600AndNoSuccess)
{
    // Three characters can still spell a number far beyond any status code, or one in disguise.
    for (const QString &code : {u""_s, u"abc"_s, u"9e9"_s, u"inf"_s, u"1e5"_s, u"1e2"_s, u" 200"_s, u"2000"_s, u"+20"_s}) {
        SubmitSocket record = readReply({u"HTTP/1.1 "_s + code + u" x\r\n"_s, u"\r\n"_s});
        EXPECT_EQ(record.httpStatus, 600) << code.toStdString();
        EXPECT_EQ(statusOnClose(record), kUnreadableStatus) << code.toStdString();
    }
    EXPECT_EQ(readReply({u"HTTP/1.1\r\n"_s}).httpStatus, 600);

    // A length no reply can reach keeps the body incomplete instead of wrapping around.
    SubmitSocket huge = readReply({u"HTTP/1.0 200 OK\r\n"_s, u"Content-Length: 99999999999999999999999\r\n"_s,
                                   u"\r\n"_s});
    EXPECT_GT(huge.reply.contentLength().value_or(0), 0);
    EXPECT_FALSE(readReplyLine(huge, u"abc\r\n"_s));
}

// True once the reply is over before any close: whole at its length, or never to be whole.
TEST(SubmitReply, TheReplyIsOverAtItsLengthOrWhenItCannotBecomeWhole)
{
    SubmitSocket record;
    EXPECT_FALSE(readReplyLine(record, u"HTTP/1.0 200 OK\r\n"_s));
    EXPECT_FALSE(readReplyLine(record, u"Content-Length: 8\r\n"_s));
    EXPECT_FALSE(readReplyLine(record, u"\r\n"_s));
    EXPECT_FALSE(readReplyLine(record, u"abcd\r\n"_s));
    EXPECT_TRUE(readReplyLine(record, u"efgh"_s));
    EXPECT_EQ(record.reply.bodyBytesReceived(), 8);
    EXPECT_EQ(record.Body, u"abcd\r\nef"_s);

    const struct {
        const char *name;
        QStringList lines;
        bool over;
    } cases[] = {
        {"empty body announced", {u"HTTP/1.0 200 OK\n"_s, u"Content-Length: 0\n"_s, u"\n"_s}, true},
        {"no length", {u"HTTP/1.0 500 x\n"_s, u"\n"_s, u"x\n"_s}, false},
        {"no status line", {u"Thank you\r\n"_s}, true},
        {"unreadable length", {u"HTTP/1.0 200 OK\r\n"_s, u"Content-Length: 7\r\n"_s, u"Content-Length: 12abc\r\n"_s}, true},
    };
    for (const auto &c : cases) {
        SubmitSocket reply;
        bool over = false;
        for (const QString &line : c.lines)
            over = readReplyLine(reply, line);
        EXPECT_EQ(over, c.over) << c.name;
    }
}

TEST(SubmitReply, KeptTextIsCappedButStillCounted)
{
    SubmitSocket record = readReply({u"HTTP/1.0 200 OK\r\n"_s, u"\r\n"_s});
    const QString line = QString(1000, u'x') + u"\n"_s;
    for (int i = 0; i < 200; ++i)
        readReplyLine(record, line);
    EXPECT_EQ(record.Body.size(), kMaxKeptText);
    EXPECT_EQ(record.reply.bodyBytesReceived(), 200 * 1001);
    SubmitSocket header = readReply({u"HTTP/1.0 200 OK\r\n"_s});
    for (int i = 0; i < 200; ++i)
        readReplyLine(header, u"X-Pad: "_s + line);
    EXPECT_EQ(header.Header.size(), kMaxKeptText);
}

// The reply as the server sent it, cut into lines as the socket does, then closed.
TEST(SubmitReply, StatusOnClose)
{
    const struct {
        QByteArray reply;
        int status;
    } cases[] = {
        {"HTTP/1.0 200 OK\r\n\r\nthanks", kSuccess},
        {"HTTP/1.0 302 Found\r\nLocation: /x\r\n\r\n", kSuccess},
        {"HTTP/1.0 399 x\r\nContent-Length: 2\r\n\r\nok", kSuccess},
        {"HTTP/1.0 400 x\r\n\r\n", kFailed},
        {"HTTP/1.0 499 x\r\n\r\n", kFailed},
        {"HTTP/1.0 500 x\r\n\r\n", kServerFailure},
        {"HTTP/1.0 599 x\r\n\r\n", kServerFailure},
        {"HTTP/1.0 600 x\r\n\r\n", kUnreadableStatus},
        // Not whole: nothing, data but no status line, closed inside the header or the body.
        {"", kFailed},
        {"Thank you for your submission.\r\n", kFailed},
        {"HTTP/1.0 200 OK", kFailed},
        {"HTTP/1.0 200 OK\r\n", kFailed},
        {"HTTP/1.0 200 OK\r\nContent-Length: 10\r\n\r\nthanks", kFailed},
    };
    for (const auto &c : cases) {
        SubmitSocket record;
        for (const QByteArray &line : TestSupport::replyLines(c.reply))
            readReplyLine(record, Platform::fromAnsi(line));
        EXPECT_EQ(statusOnClose(record), c.status) << c.reply.toStdString();
    }
}

TEST(SubmitReply, StatusTextsAndTimeOutPeriods)
{
    EXPECT_EQ(statusText(2), u"Success"_s);
    EXPECT_EQ(statusText(10), u"Server Error"_s);
    EXPECT_EQ(statusText(14), u"Server Error"_s);
    EXPECT_EQ(statusText(4), u"Submission Timeout"_s);
    EXPECT_EQ(statusText(11), u"Connection Timeout"_s);
    for (int unknown : {0, 1, 13, 15, -1})
        EXPECT_EQ(statusText(unknown), u"Unknown Error"_s) << unknown;

    EXPECT_EQ(timeOutInterval(61), 65000);
    EXPECT_EQ(timeOutInterval(200), 65000);
    EXPECT_EQ(timeOutInterval(60), 60006);
    EXPECT_EQ(timeOutInterval(30), 30003);
    EXPECT_EQ(timeOutInterval(25), 25002);
    EXPECT_EQ(timeOutInterval(15), 15002);
    EXPECT_EQ(timeOutInterval(5), 5000);
    EXPECT_EQ(timeOutInterval(1), 1000);
    EXPECT_EQ(timeOutInterval(0), 1000);
}
