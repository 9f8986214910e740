#include "platform/SettingsStore.h"

#include "support/TestEnvironment.h"

#include <QFile>

using namespace Platform;

using SettingsStoreTest = TestSupport::VelquistTest;

namespace {
const QString app = QStringLiteral("Velquist");
}

TEST_F(SettingsStoreTest, MissingIsNotTheSameAsEmpty)
{
    EXPECT_FALSE(findSetting(app, QStringLiteral("Preference"), QStringLiteral("Proxy")));
    ASSERT_TRUE(saveSetting(app, QStringLiteral("Preference"), QStringLiteral("Proxy"), QString()));
    const auto stored = findSetting(app, QStringLiteral("Preference"), QStringLiteral("Proxy"));
    ASSERT_TRUE(stored);
    EXPECT_TRUE(stored->isEmpty());
    EXPECT_EQ(getSetting(app, QStringLiteral("Preference"), QStringLiteral("Proxy"), QStringLiteral("d")), QString());
    EXPECT_EQ(getSetting(app, QStringLiteral("Preference"), QStringLiteral("Other"), QStringLiteral("d")),
              QStringLiteral("d"));
}

TEST_F(SettingsStoreTest, KeysWithBlanksAreStoredAsTheyAre)
{
    ASSERT_TRUE(saveSetting(app, QStringLiteral("Preference"), QStringLiteral("SMTP Server"), QStringLiteral("a,b")));
    EXPECT_EQ(getSetting(app, QStringLiteral("preference"), QStringLiteral("smtp server")), QStringLiteral("a,b"));
    EXPECT_TRUE(TestSupport::TestEnvironment::readFile(settingsFile(app)).contains("SMTP Server=a,b\r\n"));
}

TEST_F(SettingsStoreTest, ValuesReadBackExactlyBlanksAndQuotesIncluded)
{
    const QString values[] = {QStringLiteral(" pw "), QStringLiteral("pw\t"), QStringLiteral("\"pw\""),
                              QStringLiteral("\""), QStringLiteral("\"a"), QStringLiteral("a b"), QStringLiteral(" ")};
    for (const QString &value : values) {
        ASSERT_TRUE(saveSetting(app, QStringLiteral("Preference"), QStringLiteral("Auth_Password"), value));
        EXPECT_EQ(getSetting(app, QStringLiteral("Preference"), QStringLiteral("Auth_Password")), value);
    }
    // Only a value that needs them gets quotation marks.
    EXPECT_TRUE(TestSupport::TestEnvironment::readFile(settingsFile(app)).contains("Auth_Password=\" \"\r\n"));
    ASSERT_TRUE(saveSetting(app, QStringLiteral("Preference"), QStringLiteral("Auth_Password"), QStringLiteral("a b")));
    EXPECT_TRUE(TestSupport::TestEnvironment::readFile(settingsFile(app)).contains("Auth_Password=a b\r\n"));
}

// The earlier version stored every value as typed and read it back as it stood, quotation marks
// included: its store reads the same before and after this version first saves into it.
TEST_F(SettingsStoreTest, AStoreTheEarlierVersionWroteReadsAsBeforeAndAfterASave)
{
    TestSupport::TestEnvironment::writeFile(settingsFile(app), "[Preference]\r\nAuth_Password=\"pw\"\r\n"
                                                                "Proxy=\"corp proxy\"\r\nAuth_User= bob \r\n"
                                                                "[FTP]\r\nPassword=\"secret\"\r\nQuote=\"\r\n"
                                                                "[preference]\r\nAuth_Password=\"later\"\r\n");
    const struct { const char *section, *key, *value; } cases[] = {
        {"Preference", "Auth_Password", "\"pw\""}, {"Preference", "Proxy", "\"corp proxy\""},
        {"Preference", "Auth_User", "bob"},        {"FTP", "Password", "\"secret\""},
        {"FTP", "Quote", "\""},
    };
    // A plain value keeps the earlier form; the first one that needs quoting changes the store.
    const QString saved[] = {QStringLiteral("30"), QStringLiteral(" 30 "), QStringLiteral(" 30 ")};
    for (const QString &timeOut : saved) {
        for (const auto &c : cases)
            EXPECT_EQ(getSetting(app, QLatin1String(c.section), QLatin1String(c.key)), QLatin1String(c.value)) << c.key;
        ASSERT_TRUE(saveSetting(app, QStringLiteral("Preference"), QStringLiteral("TimeOut"), timeOut));
        EXPECT_EQ(getSetting(app, QStringLiteral("Preference"), QStringLiteral("TimeOut")), timeOut);
        EXPECT_EQ(TestSupport::TestEnvironment::readFile(settingsFile(app)).contains("Auth_Password=\"pw\"\r\n"),
                  timeOut == QStringLiteral("30"));
    }
    ASSERT_TRUE(saveSetting(app, QStringLiteral("FTP"), QStringLiteral("Password"), QStringLiteral("\"new\"")));
    EXPECT_EQ(getSetting(app, QStringLiteral("FTP"), QStringLiteral("Password")), QStringLiteral("\"new\""));
}

TEST_F(SettingsStoreTest, StoreLivesInTheSettingsFolderReadableOnlyByItsOwner)
{
    qputenv("VELQUIST_CONFIG", (env.root() + QStringLiteral("/fresh/config")).toUtf8());
    ASSERT_TRUE(saveSetting(app, QStringLiteral("Preference"), QStringLiteral("Auth_Password"), QStringLiteral("pw")));
    const QString file = env.root() + QStringLiteral("/fresh/config/Velquist.ini");
    EXPECT_EQ(settingsFile(app), file);
    ASSERT_TRUE(QFile::exists(file));
    const auto others = QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther;
    EXPECT_EQ(QFile::permissions(file) & others, QFile::Permissions());
}

TEST_F(SettingsStoreTest, UnwritableStoreIsReported)
{
    TestSupport::TestEnvironment::writeFile(env.root() + QStringLiteral("/blocker"), "x");
    qputenv("VELQUIST_CONFIG", (env.root() + QStringLiteral("/blocker/config")).toUtf8());
    EXPECT_FALSE(saveSetting(app, QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("v")));
}
