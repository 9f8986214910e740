// The page-fetch request: direct and proxy forms, the login lines and what reaches the log.
#include "support/TestEnvironment.h"
#include "support/UserInput.h"

#include "core/clsPreference.h"
#include "platform/SettingsStore.h"
#include "platform/TextFile.h"
#include "platform/modDSSockLog.h"
#include "transport/modHttpGet.h"

#include <QMessageBox>
#include <QPushButton>

using namespace Qt::StringLiterals;
using TestSupport::VelquistTest;

namespace {

class HttpGetRequest : public VelquistTest {
protected:
    void SetUp() override
    {
        myPreference().setAccessType(0);
        myPreference().setProxy(QString());
        myPreference().setPort(0);
        myPreference().setAuthentication(0);
        myPreference().setHTTPLogin(QString());
        myPreference().setAuthenticationHost(QString());
        myPreference().setAuthenticationHosts({});
    }
    static void throughProxy()
    {
        myPreference().setAccessType(2);
        myPreference().setProxy(u"p"_s);
        myPreference().setPort(3128);
    }
    static QString log() { return Platform::readTextFile(modDSSock::errorLogFile()).value_or(QString()); }
};

} // namespace

TEST_F(HttpGetRequest, DirectFormKeepsPathQueryAndPort)
{
    EXPECT_EQ(modDSSock::buildHTTPGet(u"http://127.0.0.1:8080/a/b?x=1"_s),
              u"GET /a/b?x=1 HTTP/1.0\r\nHost: 127.0.0.1:8080\r\nUser-Agent: Velquist\r\nAccept: */*\r\n\r\n"_s);
    EXPECT_EQ(modDSSock::buildHTTPGet(u"http://h"_s),
              u"GET / HTTP/1.0\r\nHost: h\r\nUser-Agent: Velquist\r\nAccept: */*\r\n\r\n"_s);
    EXPECT_EQ(modDSSock::buildHTTPGet(u"/p"_s), u"GET /p HTTP/1.0\r\nUser-Agent: Velquist\r\nAccept: */*\r\n\r\n"_s);
    EXPECT_FALSE(QFile::exists(modDSSock::errorLogFile()));
}

TEST_F(HttpGetRequest, ProxyFormCarriesAnAbsoluteURLWithAPath)
{
    throughProxy();
    EXPECT_EQ(modDSSock::buildHTTPGet(u"example.org"_s),
              u"GET http://example.org/ HTTP/1.0\r\nHost: p:3128\r\nUser-Agent: Velquist\r\nAccept: */*\r\n\r\n"_s);
    EXPECT_TRUE(modDSSock::buildHTTPGet(u"http://h/x"_s).startsWith(u"GET http://h/x HTTP/1.0\r\n"_s));
    EXPECT_TRUE(modDSSock::buildHTTPGet(u"HTTP://h"_s).startsWith(u"GET HTTP://h/ HTTP/1.0\r\n"_s));
}

TEST_F(HttpGetRequest, ProxyAccessWithoutAProxyUsesTheDirectForm)
{
    myPreference().setAccessType(2);
    EXPECT_TRUE(modDSSock::buildHTTPGet(u"http://h/x"_s).startsWith(u"GET /x HTTP/1.0\r\nHost: h\r\n"_s));
    EXPECT_FALSE(modDSSock::useProxy());
}

TEST_F(HttpGetRequest, ServerLoginGoesBeforeAcceptAndIsMaskedInTheLog)
{
    myPreference().setAuthentication(401);
    myPreference().setAuthenticationHosts({u"h:80"_s});
    myPreference().setHTTPLogin(u"dTpw"_s);
    EXPECT_EQ(modDSSock::buildHTTPGet(u"http://h/x"_s),
              u"GET /x HTTP/1.0\r\nHost: h\r\nUser-Agent: Velquist\r\nAuthorization: Basic dTpw\r\n"
              "Accept: */*\r\n\r\n"_s);
    EXPECT_EQ(log(), u"-----\r\nGET /x HTTP/1.0\r\nHost: h\r\nUser-Agent: Velquist\r\n"
                     "Authorization: Basic ****\r\n\r\n-------\r\n"_s);
}

TEST_F(HttpGetRequest, ProxyLoginFormHasNoUserAgentAndStaysOnHttp10)
{
    throughProxy();
    myPreference().setAuthentication(407);
    myPreference().setHTTPLogin(u"dTpw"_s);
    EXPECT_EQ(modDSSock::buildHTTPGet(u"example.org"_s),
              u"GET http://example.org/ HTTP/1.0\r\nHost: p:3128\r\nProxy-Authorization: Basic dTpw\r\n"
              "Accept: */*\r\n\r\n"_s);
    EXPECT_FALSE(log().contains(u"dTpw"_s));
    EXPECT_TRUE(log().contains(u"Proxy-Authorization: Basic ****"_s));

    // With direct access the stored proxy demand sends nothing of the proxy.
    myPreference().setAccessType(0);
    EXPECT_EQ(modDSSock::buildHTTPGet(u"http://h/x"_s),
              u"GET /x HTTP/1.0\r\nHost: h\r\nUser-Agent: Velquist\r\nAccept: */*\r\n\r\n"_s);
}

TEST_F(HttpGetRequest, EmptyLoginAndServerNotAllowed)
{
    myPreference().setAuthentication(401);
    myPreference().setAuthenticationHosts({u"h:80"_s});
    EXPECT_TRUE(modDSSock::buildHTTPGet(u"http://h/"_s).contains(u"\r\nAuthorization: Basic \r\nAccept"_s));

    // An unknown demand and a server not allowed: no login.
    myPreference().setAuthentication(999);
    myPreference().setAuthenticationHosts({u"h:8080"_s});
    const QString request = modDSSock::buildHTTPGet(u"http://h/"_s);
    EXPECT_FALSE(request.contains(u"Authorization"_s));
    EXPECT_EQ(log().count(u"-------\r\n"_s), 2);
}

// The one login question, on the real box: Enter and Esc keep the login; only a click on Yes
// sends it, and allows the server for good.
TEST_F(HttpGetRequest, TheLoginQuestionAnswersNoOnEnterAndEscAndYesAllowsTheServer)
{
    env.dialogs.uninstall();
    myPreference().setHTTPUserName(u"u"_s);
    myPreference().setAuthenticationHosts({u"first.example:80"_s});
    const QString url = u"http://Site.example:8080/x"_s;
    const auto answer = [&](const std::function<void(QMessageBox &)> &act) {
        QString prompt;
        TestSupport::whenMessageBoxShows([&](QMessageBox &box) {
            prompt = box.windowTitle() + u'|' + box.text();
            act(box);
        });
        const bool allowed = modDSSock::askToSendLogin(url);
        EXPECT_EQ(prompt, u"Authentication|site.example:8080 asks for a login.\r\n\r\n"
                          "Send the stored login of user \"u\" to site.example:8080?"_s);
        return allowed;
    };
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
        EXPECT_FALSE(answer([key](QMessageBox &box) { TestSupport::pressKey(&box, key); })) << key;
        EXPECT_EQ(myPreference().AuthenticationHosts(), QStringList{u"first.example:80"_s});
        EXPECT_FALSE(Platform::findSetting(u"Velquist"_s, u"Preference"_s, u"AuthenticationHosts"_s));
    }
    EXPECT_TRUE(answer([](QMessageBox &box) { TestSupport::clickOn(box.button(QMessageBox::Yes)); }));
    EXPECT_EQ(myPreference().AuthenticationHosts(), QStringList({u"first.example:80"_s, u"site.example:8080"_s}));
    EXPECT_EQ(Platform::getSetting(u"Velquist"_s, u"Preference"_s, u"AuthenticationHosts"_s),
              u"first.example:80 site.example:8080"_s);
    EXPECT_TRUE(modDSSock::sendsServerLogin(url));
}
