// The one request writer: the four clients' makers side by side, and where each login may go.
#include <gtest/gtest.h>

#include "transport/HttpRequest.h"

using namespace Qt::StringLiterals;
using modDSSock::RequestSettings;

namespace {

const QString kUrl = u"http://h/x?q=1"_s;

struct FourRequests {
    QString pageFetch;
    QString submission;
    QString rankCheck;
    QString update;
};

FourRequests madeBy(const RequestSettings &settings)
{
    // Where the submission and the update connect: the proxy, else the URL's host and port.
    const QString sentTo = settings.viaProxy() ? u"p:3128"_s : u"h:80"_s;
    return {modDSSock::pageFetchRequest(kUrl, settings).text(),
            modDSSock::submissionRequest(u"GET"_s, kUrl, u"x?q=1"_s, sentTo, std::nullopt, settings).text(),
            modDSSock::rankCheckRequest(u"h"_s, u"/x?q=1"_s, settings).text(),
            modDSSock::updateRequest(u"h"_s, u"/x?q=1"_s, sentTo, settings).text()};
}

} // namespace

TEST(RequestMakers, FourClientsSideBySide)
{
    const RequestSettings direct;
    const RequestSettings proxy{2, u"p"_s, 3128, 0, QString(), QString()};
    // The rank check offers its proxy login unasked; the others wait for the proxy's demand.
    const RequestSettings proxyLogin{2, u"p"_s, 3128, 407, u"dTpw"_s, QString()};
    const RequestSettings serverLogin{1, u"p"_s, 3128, 401, u"dTpw"_s, u"h:80"_s};
    const RequestSettings proxyDemandDirect{1, u"p"_s, 3128, 407, u"dTpw"_s, QString()};
    const RequestSettings otherServerLogin{1, QString(), 0, 401, u"dTpw"_s, u"h:8080"_s};
    const RequestSettings serverLoginThroughProxy{2, u"p"_s, 3128, 401, u"dTpw"_s, u"h:80"_s};
    const RequestSettings bothLogins{2, u"p"_s, 3128, 407, u"dTpw"_s, u"h:80"_s};
    const QString end = u"Accept: */*\r\n\r\n"_s;
    const QString plainPage = u"GET /x?q=1 HTTP/1.0\r\nHost: h\r\nUser-Agent: Velquist\r\n"_s + end;
    const QString plainSubmission = u"GET /x?q=1 HTTP/1.0\r\nHost: h:80\r\n"_s + end;
    const QString plainUpdate = plainSubmission;
    const FourRequests plain{plainPage, plainSubmission, plainPage, plainUpdate};
    const struct {
        const char *name;
        RequestSettings settings;
        FourRequests expected;
    } cases[] = {
        {"direct", direct, plain},
        {"proxy", proxy,
         {u"GET http://h/x?q=1 HTTP/1.0\r\nHost: p:3128\r\nUser-Agent: Velquist\r\n"_s + end,
          u"GET http://h/x?q=1 HTTP/1.0\r\nHost: p:3128\r\n"_s + end,
          u"GET http://h/x?q=1 HTTP/1.0\r\nHost: h\r\nUser-Agent: Velquist\r\n"_s + end,
          u"GET http://h/x?q=1 HTTP/1.0\r\nHost: p:3128\r\n"_s + end}},
        {"proxy with login", proxyLogin,
         {u"GET http://h/x?q=1 HTTP/1.0\r\nHost: p:3128\r\nProxy-Authorization: Basic dTpw\r\n"_s + end,
          u"GET http://h/x?q=1 HTTP/1.0\r\nHost: p:3128\r\nProxy-Authorization: Basic dTpw\r\n"_s + end,
          u"GET http://h/x?q=1 HTTP/1.0\r\nHost: h\r\nProxy-Authorization: Basic dTpw\r\nUser-Agent: Velquist\r\n"_s + end,
          u"GET http://h/x?q=1 HTTP/1.0\r\nProxy-Authorization: Basic dTpw\r\nHost: p:3128\r\n"_s + end}},
        {"server login", serverLogin,
         {u"GET /x?q=1 HTTP/1.0\r\nHost: h\r\nUser-Agent: Velquist\r\nAuthorization: Basic dTpw\r\n"_s + end,
          plainSubmission, plainPage,
          u"GET /x?q=1 HTTP/1.0\r\nAuthorization: Basic dTpw\r\nHost: h:80\r\n"_s + end}},
        {"proxy demand with direct access", proxyDemandDirect, plain},
        {"server login through a plain proxy", serverLoginThroughProxy,
         {u"GET http://h/x?q=1 HTTP/1.0\r\nHost: p:3128\r\nUser-Agent: Velquist\r\nAuthorization: Basic dTpw\r\n"_s + end,
          u"GET http://h/x?q=1 HTTP/1.0\r\nHost: p:3128\r\n"_s + end,
          u"GET http://h/x?q=1 HTTP/1.0\r\nHost: h\r\nProxy-Authorization: Basic dTpw\r\nUser-Agent: Velquist\r\n"_s + end,
          u"GET http://h/x?q=1 HTTP/1.0\r\nAuthorization: Basic dTpw\r\nHost: p:3128\r\n"_s + end}},
        {"server login through a proxy that asked", bothLogins,
         {u"GET http://h/x?q=1 HTTP/1.0\r\nHost: p:3128\r\nProxy-Authorization: Basic dTpw\r\n"
          "Authorization: Basic dTpw\r\n"_s + end,
          u"GET http://h/x?q=1 HTTP/1.0\r\nHost: p:3128\r\nProxy-Authorization: Basic dTpw\r\n"_s + end,
          u"GET http://h/x?q=1 HTTP/1.0\r\nHost: h\r\nProxy-Authorization: Basic dTpw\r\nUser-Agent: Velquist\r\n"_s + end,
          u"GET http://h/x?q=1 HTTP/1.0\r\nProxy-Authorization: Basic dTpw\r\nAuthorization: Basic dTpw\r\n"
          "Host: p:3128\r\n"_s + end}},
        {"server login of another port", otherServerLogin, plain},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const FourRequests made = madeBy(c.settings);
        EXPECT_EQ(made.pageFetch, c.expected.pageFetch);
        EXPECT_EQ(made.submission, c.expected.submission);
        EXPECT_EQ(made.rankCheck, c.expected.rankCheck);
        EXPECT_EQ(made.update, c.expected.update);
    }
}

TEST(RequestMakers, ServerLoginGoesOnlyToTheHostAndPortThatAsked)
{
    const RequestSettings asked{0, QString(), 0, 401, u"dTpw"_s, u"site.example:80"_s};
    const struct {
        QString hostPort;
        bool sent;
    } cases[] = {
        {u"site.example"_s, true},   {u"SITE.example:80"_s, true}, {u"site.example:8080"_s, false},
        {u"other.example"_s, false}, {u"example"_s, false},        {QString(), false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(modDSSock::serverLoginGoesTo(asked, c.hostPort), c.sent) << c.hostPort.toStdString();
    RequestSettings nothingAllowed = asked;
    nothingAllowed.allowedHosts.clear();
    EXPECT_FALSE(modDSSock::serverLoginGoesTo(nothingAllowed, u"site.example"_s));
    // Every allowed server keeps its login, whatever demand came last.
    RequestSettings twoAllowed = asked;
    twoAllowed.authentication = 407;
    twoAllowed.allowedHosts += u" 127.0.0.1:8080"_s;
    EXPECT_TRUE(modDSSock::serverLoginGoesTo(twoAllowed, u"site.example"_s));
    EXPECT_TRUE(modDSSock::serverLoginGoesTo(twoAllowed, u"127.0.0.1:8080"_s));
    EXPECT_FALSE(modDSSock::serverLoginGoesTo(twoAllowed, u"localhost:8080"_s));
}

TEST(RequestMakers, SubmissionPostCarriesItsBodyAndItsLengthInBytes)
{
    const QString text = modDSSock::submissionRequest(u"POST"_s, u"http://h/add"_s, u"add"_s, u"h:80"_s,
                                                      u"t=caf\u00e9"_s, RequestSettings())
                             .text();
    EXPECT_EQ(text, u"POST /add HTTP/1.0\r\nHost: h:80\r\nAccept: */*\r\nContent-Type: application/x-www-form-urlencoded\r\n"
                    "Content-Length: 6\r\n\r\nt=caf\u00e9\r\n"_s);
}
