#include "platform/TextFile.h"

#include "support/TestEnvironment.h"

using namespace Platform;
using TestSupport::TestEnvironment;

using TextFileTest = TestSupport::VelquistTest;

TEST(SplitLines, AcceptsEveryLineEnd)
{
    EXPECT_EQ(splitLines(QStringLiteral("a\r\nb\rc\nd")),
              (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d")}));
    EXPECT_EQ(splitLines(QStringLiteral("a\n")), QStringList{QStringLiteral("a")});
    EXPECT_EQ(splitLines(QStringLiteral("\n\r\n")), (QStringList{QString(), QString()}));
    EXPECT_EQ(splitLines(QStringLiteral("\n\r")), (QStringList{QString(), QString()}));
    EXPECT_TRUE(splitLines(QString()).isEmpty());
}

TEST_F(TextFileTest, TextIsReadAndWrittenAsWindows1252Bytes)
{
    const QString path = env.root() + QStringLiteral("/t.txt");
    ASSERT_TRUE(writeTextFileAtomically(path, QStringLiteral("\u00E9\u20AC\u4E2D")));
    EXPECT_EQ(TestEnvironment::readFile(path), QByteArray("\xE9\x80?"));
    EXPECT_EQ(readTextFile(path), QStringLiteral("\u00E9\u20AC?"));
    EXPECT_FALSE(readTextFile(env.root() + QStringLiteral("/missing.txt")));
    EXPECT_FALSE(readTextFile(QString()));
}

TEST_F(TextFileTest, FailedWholeWriteKeepsTheOldFile)
{
    const QString path = env.root() + QStringLiteral("/sub");
    QDir().mkpath(path);
    // A folder cannot be replaced by a file.
    EXPECT_FALSE(writeTextFileAtomically(path, QStringLiteral("x")));
    EXPECT_FALSE(writeTextFileAtomically(env.root() + QStringLiteral("/no/such/folder/f"), QStringLiteral("x")));
    EXPECT_FALSE(writeTextFileAtomically(QString(), QStringLiteral("x")));
}

TEST_F(TextFileTest, AppendAddsToTheEndAndCreatesTheFile)
{
    const QString path = env.root() + QStringLiteral("/log.txt");
    ASSERT_TRUE(appendTextFile(path, QStringLiteral("a\r\n")));
    ASSERT_TRUE(appendTextFile(path, QStringLiteral("b")));
    EXPECT_EQ(TestEnvironment::readFile(path), QByteArray("a\r\nb"));
    EXPECT_EQ(readLines(path), (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
    EXPECT_TRUE(fileExists(path));
    EXPECT_FALSE(fileExists(env.root()));
}

TEST_F(TextFileTest, AWholeWriteKeepsTheFilesPermissionsAndLinkAndLeavesNothingBeside)
{
    const QString folder = env.root() + QStringLiteral("/w/");
    QDir().mkpath(folder);
    const QString real = folder + QStringLiteral("real.txt");
    env.writeFile(real, "old");
    ASSERT_TRUE(QFile::setPermissions(real, QFile::ReadOwner | QFile::WriteOwner));
    ASSERT_TRUE(QFile::link(real, folder + QStringLiteral("link.txt")));
    ASSERT_TRUE(writeBinaryFileAtomically(folder + QStringLiteral("link.txt"), "new"));
    EXPECT_EQ(TestEnvironment::readFile(real), QByteArray("new"));
    EXPECT_TRUE(QFileInfo(folder + QStringLiteral("link.txt")).isSymLink());
    EXPECT_EQ(QFile::permissions(real), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name),
              (QStringList{QStringLiteral("link.txt"), QStringLiteral("real.txt")}));
}
