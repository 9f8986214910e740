#include "platform/Folders.h"

#include "support/TestEnvironment.h"

#include <QDir>
#include <QFileInfo>

using namespace Platform;
using TestSupport::TestEnvironment;

using FoldersTest = TestSupport::VelquistTest;

TEST(JoinPath, JoinsWithOneSeparatorWhateverTheInputs)
{
    EXPECT_EQ(joinPath(QStringLiteral("/a/"), QStringLiteral("b")), QStringLiteral("/a/b"));
    EXPECT_EQ(joinPath(QStringLiteral("/a"), QStringLiteral("\\b")), QStringLiteral("/a/b"));
    EXPECT_EQ(joinPath(QStringLiteral("/a\\"), QStringLiteral("/b")), QStringLiteral("/a/b"));
    EXPECT_EQ(joinPath(QStringLiteral("/a//"), QStringLiteral("//b")), QStringLiteral("/a/b"));
    EXPECT_EQ(joinPath(QStringLiteral("/"), QStringLiteral("b")), QStringLiteral("/b"));
    EXPECT_EQ(joinPath(QString(), QStringLiteral("b")), QStringLiteral("b"));
    EXPECT_EQ(joinPath(QStringLiteral("/a/"), QString()), QStringLiteral("/a/"));
    EXPECT_EQ(joinPath(QStringLiteral("/p"), QStringLiteral("Reports\\Submition"), QStringLiteral("x.htm")),
              QStringLiteral("/p/Reports/Submition/x.htm"));
}

TEST(JoinPath, KeepsBlanksAndNonAsciiLetters)
{
    EXPECT_EQ(joinPath(QStringLiteral("/home/Zoë Ünal/My Files/"), QStringLiteral("project.vqj")),
              QStringLiteral("/home/Zoë Ünal/My Files/project.vqj"));
}

TEST(SafeFileName, RejectsNamesThatLeaveTheFolder)
{
    EXPECT_TRUE(isSafeFileName(QStringLiteral("My Site")));
    EXPECT_TRUE(isSafeFileName(QStringLiteral("..x")));
    for (const QString &bad : {QString(), QStringLiteral("."), QStringLiteral(".."), QStringLiteral("a/b"),
                               QStringLiteral("a\\b"), QStringLiteral("a\nb"), QStringLiteral("a\tb"),
                               QString(QChar(0x7F))})
        EXPECT_FALSE(isSafeFileName(bad)) << bad.toStdString();
}

TEST_F(FoldersTest, FoldersComeFromTheEnvironmentAndEndInASlash)
{
    EXPECT_EQ(programFolder(), env.programFolder());
    EXPECT_EQ(engineDataFolder(), env.engineDataFolder());
    EXPECT_EQ(settingsFolder(), env.settingsFolder());
}

TEST_F(FoldersTest, MissingFoldersAreMade)
{
    const QString home = env.root() + QStringLiteral("/new home");
    qputenv("VELQUIST_HOME", home.toUtf8());
    qunsetenv("VELQUIST_WINDIR");
    EXPECT_EQ(programFolder(), home + u'/');
    EXPECT_EQ(engineDataFolder(), home + QStringLiteral("/system/"));
    EXPECT_TRUE(QFileInfo(home + QStringLiteral("/system")).isDir());
}

TEST_F(FoldersTest, BackslashesInTheEnvironmentAreSeparators)
{
    qputenv("VELQUIST_WINDIR", (env.root() + QStringLiteral("\\data\\win")).toUtf8());
    EXPECT_EQ(engineDataFolder(), env.root() + QStringLiteral("/data/win/"));
}

TEST_F(FoldersTest, EngineDataFolderThatCannotBeMadeIsEmpty)
{
    TestEnvironment::writeFile(env.root() + QStringLiteral("/plainfile"), "x");
    qputenv("VELQUIST_WINDIR", (env.root() + QStringLiteral("/plainfile/sub")).toUtf8());
    EXPECT_TRUE(engineDataFolder().isEmpty());
}

TEST_F(FoldersTest, VendorHostDefaultsToAReservedName)
{
    EXPECT_EQ(vendorHost(), QStringLiteral("127.0.0.1:9"));
    qputenv("VELQUIST_VENDOR_HOST", "  ");
    EXPECT_EQ(vendorHost(), QStringLiteral("www.velquist.example"));
}

TEST_F(FoldersTest, SettingsFolderFallsBackToXdgConfigHome)
{
    qunsetenv("VELQUIST_CONFIG");
    qputenv("XDG_CONFIG_HOME", env.root().toUtf8());
    EXPECT_EQ(settingsFolder(), env.root() + QStringLiteral("/Velquist/"));
}
