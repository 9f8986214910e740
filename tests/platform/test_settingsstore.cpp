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
