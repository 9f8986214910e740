#include "core/clsPreference.h"

#include "platform/SettingsStore.h"
#include "support/FailingWrites.h"
#include "support/TestEnvironment.h"
#include "platform/modDSSockLog.h"

#include <QFile>
#include <stdexcept>

using TestSupport::TestEnvironment;

namespace {

const QString kApp = QStringLiteral("Velquist");

class PreferenceTest : public TestSupport::VelquistTest {
protected:
    static void store(const QString &key, const QString &value, const QString &section = QStringLiteral("Preference"))
    {
        ASSERT_TRUE(Platform::saveSetting(kApp, section, key, value));
    }
    static std::optional<QString> stored(const QString &key, const QString &section = QStringLiteral("Preference"))
    {
        return Platform::findSetting(kApp, section, key);
    }
    // Loads a fresh object from the store; a failure must show the "GetSetting_Error" box.
    bool load(clsPreference &pref, bool expectFailure = false)
    {
        if (expectFailure)
            env.dialogs.answerMessage(Platform::Ok);
        return pref.GetSettings();
    }
    QByteArray storeFile() const { return TestEnvironment::readFile(Platform::settingsFile(kApp)); }
    QByteArray log() const { return TestEnvironment::readFile(env.programFolder() + QStringLiteral("Error.log")); }
};

} // namespace

TEST_F(PreferenceTest, FirstStartOnAnEmptyStoreGivesTheDefaults)
{
    clsPreference pref;
    ASSERT_TRUE(load(pref));
    EXPECT_EQ(pref.AccessType(), 0);
    EXPECT_EQ(pref.TimeOut(), 30);
    EXPECT_EQ(pref.Connections(), 9);
    EXPECT_EQ(pref.Port(), 0);
    EXPECT_EQ(pref.Authentication(), 0);
    EXPECT_EQ(pref.PromptConnection(), 1);
    EXPECT_EQ(pref.LogoPosition(), 0);
    EXPECT_EQ(pref.BlockSpam(), 0);
    EXPECT_EQ(pref.DontClearFields(), 0);
    EXPECT_EQ(pref.HTTPVersion(), QStringLiteral("HTTP/1.0"));
    EXPECT_EQ(pref.HTTPLogin(), QString());
    EXPECT_EQ(pref.Proxy(), QString());
    EXPECT_EQ(pref.SMTPServer(), QString());
    EXPECT_EQ(pref.Version(), QString());
    EXPECT_EQ(pref.DownEngineData(), 1);
    EXPECT_EQ(stored(QStringLiteral("Version"), QStringLiteral("Setting")), QStringLiteral("6.0"));
    EXPECT_EQ(stored(QStringLiteral("Download"), QStringLiteral("Setting")), QStringLiteral("1"));
    // Reading writes nothing under "Preference".
    EXPECT_FALSE(stored(QStringLiteral("TimeOut")));
    EXPECT_TRUE(env.dialogs.shown().isEmpty());
}

TEST_F(PreferenceTest, CurrentDataVersionLeavesTheDownloadFlag)
{
    store(QStringLiteral("Version"), QStringLiteral("6.0"), QStringLiteral("Setting"));
    store(QStringLiteral("Download"), QStringLiteral("0"), QStringLiteral("Setting"));
    const QByteArray before = storeFile();
    clsPreference pref;
    ASSERT_TRUE(load(pref));
    EXPECT_EQ(pref.Version(), QStringLiteral("6.0"));
    EXPECT_EQ(pref.DownEngineData(), 0);
    EXPECT_EQ(storeFile(), before);
}

TEST_F(PreferenceTest, OlderDataVersionAsksForADownloadAndKeepsTheOldVersionText)
{
    store(QStringLiteral("Version"), QStringLiteral("5.2"), QStringLiteral("Setting"));
    store(QStringLiteral("Download"), QStringLiteral("0"), QStringLiteral("Setting"));
    clsPreference pref;
    ASSERT_TRUE(load(pref));
    EXPECT_EQ(pref.Version(), QStringLiteral("5.2"));
    EXPECT_EQ(pref.DownEngineData(), 1);
    EXPECT_EQ(stored(QStringLiteral("Version"), QStringLiteral("Setting")), QStringLiteral("6.0"));
}

TEST_F(PreferenceTest, StoredValuesAreLoaded)
{
    const QList<std::pair<QString, QString>> values = {
        {QStringLiteral("AccessType"), QStringLiteral("2")}, {QStringLiteral("Proxy"), QStringLiteral("127.0.0.1")},
        {QStringLiteral("Port"), QStringLiteral("70000")}, {QStringLiteral("TimeOut"), QStringLiteral(" 5 ")},
        {QStringLiteral("Connections"), QStringLiteral("3")}, {QStringLiteral("Authentication"), QStringLiteral("407")},
        {QStringLiteral("Auth_Username"), QStringLiteral("user")}, {QStringLiteral("Auth_Password"), QStringLiteral("pass")},
        {QStringLiteral("HTTPVersion"), QStringLiteral("HTTP/1.1")}, {QStringLiteral("Name"), QStringLiteral("Ann Example")},
        {QStringLiteral("Email"), QStringLiteral("ann@example.com")}, {QStringLiteral("Company"), QStringLiteral("Ex Ltd")},
        {QStringLiteral("SiteURL"), QStringLiteral("www.example.com")},
        {QStringLiteral("SMTP Server"), QStringLiteral("mail.example.com")},
        {QStringLiteral("LogoURL"), QStringLiteral("www.example.com/logo.gif")},
        {QStringLiteral("LogoPosition"), QStringLiteral("1")}, {QStringLiteral("BlockSpam"), QStringLiteral("1")},
        {QStringLiteral("DontClearFields"), QStringLiteral("1")}, {QStringLiteral("PromptConnection"), QStringLiteral("0")},
    };
    for (const auto &[key, value] : values)
        store(key, value);
    clsPreference pref;
    ASSERT_TRUE(load(pref));
    EXPECT_EQ(pref.AccessType(), 2);
    EXPECT_EQ(pref.Proxy(), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(pref.Port(), 70000);
    EXPECT_EQ(pref.TimeOut(), 5);
    EXPECT_EQ(pref.Connections(), 3);
    EXPECT_EQ(pref.Authentication(), 407);
    EXPECT_EQ(pref.HTTPUserName(), QStringLiteral("user"));
    EXPECT_EQ(pref.HTTPPassword(), QStringLiteral("pass"));
    EXPECT_EQ(pref.HTTPLogin(), QStringLiteral("dXNlcjpwYXNz"));
    EXPECT_EQ(pref.HTTPVersion(), QStringLiteral("HTTP/1.1"));
    EXPECT_EQ(pref.Name(), QStringLiteral("Ann Example"));
    EXPECT_EQ(pref.Email(), QStringLiteral("ann@example.com"));
    EXPECT_EQ(pref.Company(), QStringLiteral("Ex Ltd"));
    EXPECT_EQ(pref.SiteURL(), QStringLiteral("www.example.com"));
    EXPECT_EQ(pref.SMTPServer(), QStringLiteral("mail.example.com"));
    EXPECT_EQ(pref.LogoURL(), QStringLiteral("www.example.com/logo.gif"));
    EXPECT_EQ(pref.LogoPosition(), 1);
    EXPECT_EQ(pref.BlockSpam(), 1);
    EXPECT_EQ(pref.DontClearFields(), 1);
    EXPECT_EQ(pref.PromptConnection(), 0);
}

TEST_F(PreferenceTest, StrictReadsRoundHalvesToEven)
{
    store(QStringLiteral("TimeOut"), QStringLiteral("2.5"));
    store(QStringLiteral("Connections"), QStringLiteral("3.5"));
    clsPreference pref;
    ASSERT_TRUE(load(pref));
    EXPECT_EQ(pref.TimeOut(), 2);
    EXPECT_EQ(pref.Connections(), 4);
}

TEST_F(PreferenceTest, UnusableStrictValuesFailTheLoadWithTheReason)
{
    const QList<std::tuple<QString, QString, QString>> cases = {
        {QStringLiteral("TimeOut"), QStringLiteral("30a"), QStringLiteral("Type mismatch")},
        {QStringLiteral("TimeOut"), QString(), QStringLiteral("Type mismatch")},
        {QStringLiteral("TimeOut"), QStringLiteral("40000"), QStringLiteral("Overflow")},
        {QStringLiteral("Port"), QStringLiteral("3000000000"), QStringLiteral("Overflow")},
        {QStringLiteral("PromptConnection"), QStringLiteral("yes"), QStringLiteral("Type mismatch")},
    };
    for (const auto &[key, value, reason] : cases) {
        // The box names the value's place so that the user can mend it.
        const QString message = QStringLiteral("GetSetting_Error: ") + reason + QStringLiteral(" in Preference/") + key
            + QStringLiteral(" (") + Platform::settingsFile(kApp) + QStringLiteral(")");
        SCOPED_TRACE(key.toStdString() + "=" + value.toStdString());
        QFile::remove(Platform::settingsFile(kApp));
        store(key, value);
        env.dialogs.clearLog();
        clsPreference pref;
        EXPECT_FALSE(load(pref, true));
        ASSERT_EQ(env.dialogs.shown().size(), 1);
        EXPECT_EQ(env.dialogs.shown()[0].prompt, message);
        EXPECT_EQ(env.dialogs.shown()[0].title, QStringLiteral("Velquist"));
        EXPECT_EQ(env.dialogs.shown()[0].style, Platform::Exclamation);
    }
    // A failed load writes no version entry.
    EXPECT_TRUE(log().isEmpty());
}

TEST_F(PreferenceTest, LenientReadsTakeTheLeadingNumber)
{
    store(QStringLiteral("LogoPosition"), QStringLiteral("1a"));
    store(QStringLiteral("Download"), QStringLiteral("x"), QStringLiteral("Setting"));
    store(QStringLiteral("Version"), QStringLiteral("6.0"), QStringLiteral("Setting"));
    clsPreference pref;
    ASSERT_TRUE(load(pref));
    EXPECT_EQ(pref.LogoPosition(), 1);
    EXPECT_EQ(pref.DownEngineData(), 0);

    store(QStringLiteral("LogoPosition"), QString());
    clsPreference again;
    ASSERT_TRUE(load(again));
    EXPECT_EQ(again.LogoPosition(), 0);
}

TEST_F(PreferenceTest, PropertiesReadBeforeAFailureKeepTheirValues)
{
    store(QStringLiteral("AccessType"), QStringLiteral("2"));
    store(QStringLiteral("Proxy"), QStringLiteral("proxy.local"));
    store(QStringLiteral("Port"), QStringLiteral("3128"));
    store(QStringLiteral("TimeOut"), QStringLiteral("7"));
    store(QStringLiteral("Connections"), QStringLiteral("many"));
    store(QStringLiteral("Authentication"), QStringLiteral("401"));
    clsPreference pref;
    EXPECT_FALSE(load(pref, true));
    EXPECT_EQ(pref.AccessType(), 2);
    EXPECT_EQ(pref.Proxy(), QStringLiteral("proxy.local"));
    EXPECT_EQ(pref.Port(), 3128);
    EXPECT_EQ(pref.TimeOut(), 7);
    EXPECT_EQ(pref.Connections(), 0);
    EXPECT_EQ(pref.Authentication(), 0);
    EXPECT_EQ(pref.PromptConnection(), 0);
}

TEST_F(PreferenceTest, LoginNeedsBothUserNameAndPassword)
{
    store(QStringLiteral("Auth_Username"), QStringLiteral("u"));
    clsPreference onlyUser;
    ASSERT_TRUE(load(onlyUser));
    EXPECT_EQ(onlyUser.HTTPLogin(), QString());
    store(QStringLiteral("Auth_Password"), QStringLiteral("p"));
    clsPreference both;
    ASSERT_TRUE(load(both));
    EXPECT_EQ(both.HTTPLogin(), QStringLiteral("dTpw"));
}

TEST_F(PreferenceTest, LogOfExactlyTheLimitIsKept)
{
    TestEnvironment::writeFile(env.programFolder() + QStringLiteral("Error.log"), QByteArray(5000, 'x'));
    clsPreference pref;
    ASSERT_TRUE(load(pref));
    const QByteArray after = log();
    EXPECT_TRUE(after.startsWith(QByteArray(5000, 'x')));
    EXPECT_TRUE(after.mid(5000).startsWith("\r\nVersion: 6.1.16 - ")) << after.mid(5000).toStdString();
}

TEST_F(PreferenceTest, LogOverTheLimitIsDeletedBeforeTheVersionEntry)
{
    TestEnvironment::writeFile(env.programFolder() + QStringLiteral("Error.log"), QByteArray(5001, 'x'));
    clsPreference pref;
    ASSERT_TRUE(load(pref));
    const QByteArray after = log();
    EXPECT_TRUE(after.startsWith("\r\nVersion: 6.1.16 - ")) << after.left(40).toStdString();
    EXPECT_TRUE(after.endsWith("\r\n"));
    EXPECT_EQ(after.count("\r\n"), 2);
    EXPECT_FALSE(after.contains('x'));
}

TEST_F(PreferenceTest, AllowedServersComeFromTheOldKeyOnlyWithoutTheList)
{
    const struct {
        std::optional<QString> hosts;
        QStringList loaded;
    } cases[] = {
        {std::nullopt, {QStringLiteral("old.example:80")}},
        {QString(), {}},
        {QStringLiteral("  "), {}},
        {QStringLiteral("a.example:80  b.example:81"), {QStringLiteral("a.example:80"), QStringLiteral("b.example:81")}},
    };
    store(QStringLiteral("AuthenticationHost"), QStringLiteral("old.example:80"));
    for (const auto &c : cases) {
        if (c.hosts)
            store(QStringLiteral("AuthenticationHosts"), *c.hosts);
        clsPreference pref;
        ASSERT_TRUE(load(pref));
        EXPECT_EQ(pref.AuthenticationHosts(), c.loaded) << c.hosts.value_or(QStringLiteral("(none)")).toStdString();
    }
}

TEST_F(PreferenceTest, SaveWritesTheNineteenKeysInOrder)
{
    clsPreference pref;
    pref.setAccessType(2);
    pref.setProxy(QStringLiteral("127.0.0.1"));
    pref.setPort(3128);
    pref.setTimeOut(5);
    pref.setConnections(9);
    pref.setAuthentication(0);
    pref.setHTTPUserName(QStringLiteral("user"));
    pref.setHTTPPassword(QStringLiteral("pass"));
    pref.setName(QStringLiteral("Ann Example"));
    pref.setEmail(QStringLiteral("ann@example.com"));
    pref.setCompany(QStringLiteral("Example Ltd"));
    pref.setSiteURL(QStringLiteral("www.example.com"));
    pref.setSMTPServer(QStringLiteral("mail.example.com"));
    pref.setLogoURL(QStringLiteral("www.example.com/logo.gif"));
    pref.setLogoPosition(0);
    pref.setBlockSpam(0);
    pref.setDontClearFields(-1);
    pref.setPromptConnection(1);
    pref.setAuthenticationHosts({QStringLiteral("a.example:80"), QStringLiteral("b.example:81")});
    pref.SaveSettings();
    EXPECT_EQ(storeFile(), QByteArray("[Preference]\r\nAccessType=2\r\nProxy=127.0.0.1\r\nPort=3128\r\nTimeOut=5\r\n"
                                      "Connections=9\r\nAuthentication=0\r\nAuth_Username=user\r\nAuth_Password=pass\r\n"
                                      "Name=Ann Example\r\nEmail=ann@example.com\r\nCompany=Example Ltd\r\n"
                                      "SiteURL=www.example.com\r\nSMTP Server=mail.example.com\r\n"
                                      "LogoURL=www.example.com/logo.gif\r\nLogoPosition=0\r\nBlockSpam=0\r\n"
                                      "DontClearFields=-1\r\nPromptConnection=1\r\n"
                                      "AuthenticationHosts=a.example:80 b.example:81\r\n"));
    EXPECT_TRUE(env.dialogs.shown().isEmpty());
}

TEST_F(PreferenceTest, SavedSettingsLoadBack)
{
    clsPreference pref;
    pref.setTimeOut(12.5);
    pref.setHTTPUserName(QStringLiteral("\u00E9l\u00E8ve"));
    pref.setHTTPPassword(QStringLiteral("p w=x"));
    pref.setName(QStringLiteral("  padded  "));
    pref.SaveSettings();
    clsPreference loaded;
    ASSERT_TRUE(load(loaded));
    EXPECT_EQ(loaded.TimeOut(), 12);
    EXPECT_EQ(loaded.HTTPUserName(), QStringLiteral("\u00E9l\u00E8ve"));
    EXPECT_EQ(loaded.HTTPPassword(), QStringLiteral("p w=x"));
    EXPECT_EQ(loaded.HTTPLogin(), QStringLiteral("6WzodmU6cCB3PXg="));
}

TEST_F(PreferenceTest, FailedSaveIsShownAndStops)
{
    TestEnvironment::writeFile(env.root() + QStringLiteral("/blocker"), "x");
    qputenv("VELQUIST_CONFIG", (env.root() + QStringLiteral("/blocker/cfg")).toUtf8());
    env.dialogs.answerMessage(Platform::Ok);
    clsPreference pref;
    pref.SaveSettings();
    ASSERT_EQ(env.dialogs.shown().size(), 1);
    EXPECT_EQ(env.dialogs.shown()[0].title, QStringLiteral("Velquist"));
    EXPECT_EQ(env.dialogs.shown()[0].style, Platform::Exclamation);
}

TEST_F(PreferenceTest, SaveIsOneWriteWholeOrNotAtAll)
{
    store(QStringLiteral("Proxy"), QStringLiteral("old.example"));
    const QByteArray before = storeFile();
    clsPreference pref;
    pref.setProxy(QStringLiteral("new.example"));
    pref.setName(QStringLiteral("New Name"));
    {
        TestSupport::FailingWrites diskFull;
        env.dialogs.answerMessage(Platform::Ok);
        pref.SaveSettings();
        ASSERT_EQ(env.dialogs.shown().size(), 1);
        EXPECT_TRUE(env.dialogs.shown()[0].prompt.startsWith(QStringLiteral("Cannot write the settings file ")));
    }
    EXPECT_EQ(storeFile(), before);

    TestSupport::FailingWrites onlyOne(1);
    pref.SaveSettings();
    EXPECT_EQ(env.dialogs.shown().size(), 1);
    EXPECT_EQ(stored(QStringLiteral("Proxy")), QStringLiteral("new.example"));
    EXPECT_EQ(stored(QStringLiteral("PromptConnection")), QString::number(pref.PromptConnection()));
}

TEST_F(PreferenceTest, HttpVersionIsStoredAtOnceAndOtherLetsAreNot)
{
    clsPreference pref;
    pref.setProxy(QStringLiteral("p"));
    pref.setConnections(3);
    EXPECT_FALSE(QFile::exists(Platform::settingsFile(kApp)));
    pref.setHTTPVersion(QStringLiteral("HTTP/1.1"));
    EXPECT_EQ(stored(QStringLiteral("HTTPVersion")), QStringLiteral("HTTP/1.1"));
    EXPECT_FALSE(stored(QStringLiteral("Proxy")));
    // and the save never writes it nor the data-version keys.
    store(QStringLiteral("HTTPVersion"), QStringLiteral("HTTP/0.9"));
    pref.SaveSettings();
    EXPECT_EQ(stored(QStringLiteral("HTTPVersion")), QStringLiteral("HTTP/0.9"));
    EXPECT_FALSE(stored(QStringLiteral("Version"), QStringLiteral("Setting")));
    EXPECT_FALSE(stored(QStringLiteral("Download"), QStringLiteral("Setting")));
}

TEST_F(PreferenceTest, NumberLetsRoundHalvesToEvenAndRejectOverflow)
{
    clsPreference pref;
    pref.setConnections(12.5);
    EXPECT_EQ(pref.Connections(), 12);
    pref.setConnections(13.5);
    EXPECT_EQ(pref.Connections(), 14);
    pref.setPort(2.5);
    EXPECT_EQ(pref.Port(), 2);
    pref.setTimeOut(32767);
    EXPECT_THROW(pref.setTimeOut(32768), std::overflow_error);
    EXPECT_THROW(pref.setTimeOut(32767.5), std::overflow_error);
    EXPECT_THROW(pref.setPort(3e9), std::overflow_error);
    EXPECT_THROW(pref.setLogoPosition(std::nan("")), std::overflow_error);
    EXPECT_EQ(pref.TimeOut(), 32767);
    pref.setAuthentication(-32768.4);
    EXPECT_EQ(pref.Authentication(), -32768);
}

TEST_F(PreferenceTest, VendorLinksUseTheVendorHost)
{
    qputenv("VELQUIST_VENDOR_HOST", "127.0.0.1:8099");
    clsPreference pref;
    EXPECT_TRUE(pref.HomePageURL().startsWith(QStringLiteral("http://127.0.0.1:8099/")));
    EXPECT_TRUE(pref.UpdateURL().startsWith(QStringLiteral("http://127.0.0.1:8099/")));
    EXPECT_TRUE(pref.SupportURL().startsWith(QStringLiteral("http://127.0.0.1:8099/")));
    EXPECT_TRUE(pref.TipsURL().startsWith(QStringLiteral("http://127.0.0.1:8099/")));
    qunsetenv("VELQUIST_VENDOR_HOST");
    clsPreference defaults;
    EXPECT_EQ(defaults.HomePageURL(), QStringLiteral("http://www.velquist.example/"));
}

TEST_F(PreferenceTest, SharedInstanceIsOneObject)
{
    myPreference().setProxy(QStringLiteral("shared"));
    EXPECT_EQ(&myPreference(), &myPreference());
    EXPECT_EQ(myPreference().Proxy(), QStringLiteral("shared"));
}
