#include "platform/IniFile.h"
#include "platform/Codec1252.h"

#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <unistd.h>

using namespace Platform;
using TestSupport::TestEnvironment;

namespace {

class IniFileTest : public TestSupport::VelquistTest {
protected:
    QString path(const QString &name = QStringLiteral("test.ini")) const { return env.root() + u'/' + name; }
    void write(const QByteArray &bytes) { TestEnvironment::writeFile(path(), bytes); }
    QByteArray content() const { return TestEnvironment::readFile(path()); }
};

bool runningAsRoot()
{
    return ::geteuid() == 0;
}

} // namespace

TEST_F(IniFileTest, NamesMatchIgnoringCaseAndValuesAreTrimmedBlanks)
{
    write("[WEB SITE INFO]\r\ntitle =  a=b  \r\n");
    EXPECT_EQ(iniRead(path(), QStringLiteral("Web Site Info"), QStringLiteral("Title")), QStringLiteral("a=b"));
    EXPECT_EQ(iniRead(path(), QStringLiteral("web site info"), QStringLiteral("TITLE")), QStringLiteral("a=b"));
}

TEST_F(IniFileTest, MissingFileSectionOrKeyIsNothingButEmptyValueIsFound)
{
    EXPECT_FALSE(iniRead(path(), QStringLiteral("S"), QStringLiteral("k")));
    write("[S]\r\nk=\r\n");
    EXPECT_FALSE(iniRead(path(), QStringLiteral("T"), QStringLiteral("k")));
    EXPECT_FALSE(iniRead(path(), QStringLiteral("S"), QStringLiteral("x")));
    const auto empty = iniRead(path(), QStringLiteral("S"), QStringLiteral("k"));
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->isEmpty());
}

TEST_F(IniFileTest, FirstMatchingSectionAndKeyWin)
{
    write("[S]\r\nk=first\r\nK=second\r\n[s]\r\nk=third\r\nonly=later\r\n");
    EXPECT_EQ(iniRead(path(), QStringLiteral("S"), QStringLiteral("k")), QStringLiteral("first"));
    // Keys of a second section with the same name are not seen.
    EXPECT_FALSE(iniRead(path(), QStringLiteral("S"), QStringLiteral("only")));
}

TEST_F(IniFileTest, ValuesAreReadWholeWithQuotesAndSeparatorsKept)
{
    const QString longValue(300, u'k');
    write("[S]\r\nlong=" + longValue.toLatin1() + "\r\nq=\"quoted\"\r\nlist=a,b;c\\d\r\n");
    EXPECT_EQ(iniRead(path(), QStringLiteral("S"), QStringLiteral("long"))->size(), 300);
    EXPECT_EQ(iniRead(path(), QStringLiteral("S"), QStringLiteral("q")), QStringLiteral("\"quoted\""));
    EXPECT_EQ(iniRead(path(), QStringLiteral("S"), QStringLiteral("list")), QStringLiteral("a,b;c\\d"));
}

TEST_F(IniFileTest, CommentsAndLinesWithoutEqualsAreNotKeys)
{
    write("[S]\n;k=commented\nk\n  k = real \n");
    EXPECT_EQ(iniRead(path(), QStringLiteral("S"), QStringLiteral("k")), QStringLiteral("real"));
    EXPECT_EQ(iniKeys(path(), QStringLiteral("S")), QStringList{QStringLiteral("k")});
}

TEST_F(IniFileTest, LoneCrAndLfLineEndsAreAccepted)
{
    write("[A]\rx=1\r[B]\ny=2\n");
    EXPECT_EQ(iniRead(path(), QStringLiteral("A"), QStringLiteral("x")), QStringLiteral("1"));
    EXPECT_EQ(iniRead(path(), QStringLiteral("B"), QStringLiteral("y")), QStringLiteral("2"));
    EXPECT_EQ(iniSections(path()), (QStringList{QStringLiteral("A"), QStringLiteral("B")}));
}

TEST_F(IniFileTest, MissingFileIsCreatedWithCrLf)
{
    ASSERT_TRUE(iniWrite(path(), QStringLiteral("Sec"), QStringLiteral("Key"), QStringLiteral("v")));
    EXPECT_EQ(content(), QByteArray("[Sec]\r\nKey=v\r\n"));
}

TEST_F(IniFileTest, ExistingKeyIsReplacedInPlaceAndEverythingElseKept)
{
    const QByteArray before = "; head\r\n[A]\r\nx=1\r\n\r\n[B]\nKey=old\ny=\xE9\x81\n\n[C]\r\nz=3";
    write(before);
    ASSERT_TRUE(iniWrite(path(), QStringLiteral("b"), QStringLiteral("KEY"), QStringLiteral("new")));
    QByteArray expected = before;
    expected.replace("Key=old", "KEY=new");
    EXPECT_EQ(content(), expected);
}

TEST_F(IniFileTest, NewKeyLandsAfterTheLastLineOfItsOwnSection)
{
    write("[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n");
    ASSERT_TRUE(iniWrite(path(), QStringLiteral("A"), QStringLiteral("n"), QStringLiteral("v")));
    EXPECT_EQ(content(), QByteArray("[A]\r\nx=1\r\nn=v\r\n\r\n[B]\r\ny=2\r\n"));
}

TEST_F(IniFileTest, NewSectionIsAppendedAtTheEndEvenWithoutFinalLineEnd)
{
    write("[A]\r\nx=1");
    ASSERT_TRUE(iniWrite(path(), QStringLiteral("B"), QStringLiteral("y"), QStringLiteral("2")));
    EXPECT_EQ(content(), QByteArray("[A]\r\nx=1\r\n[B]\r\ny=2\r\n"));
    ASSERT_TRUE(iniWrite(path(), QStringLiteral("A"), QStringLiteral("z"), QStringLiteral("3")));
    EXPECT_EQ(content(), QByteArray("[A]\r\nx=1\r\nz=3\r\n[B]\r\ny=2\r\n"));
}

TEST_F(IniFileTest, LineBreaksInsideValuesBecomeSpaces)
{
    ASSERT_TRUE(iniWrite(path(), QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("a\r\nb\rc\nd\n\re")));
    EXPECT_EQ(content(), QByteArray("[S]\r\nk=a b c d  e\r\n"));
    // No false key sneaks in through a value.
    ASSERT_TRUE(iniWrite(path(), QStringLiteral("S"), QStringLiteral("t"), QStringLiteral("x\r\nevil=1")));
    EXPECT_FALSE(iniRead(path(), QStringLiteral("S"), QStringLiteral("evil")));
}

TEST_F(IniFileTest, EveryByteRoundTripsThroughWriteAndRead)
{
    QByteArray bytes;
    for (int b = 0; b < 256; ++b) {
        if (b != '\r' && b != '\n')
            bytes.append(static_cast<char>(b));
    }
    const QString value = u'<' + fromAnsi(bytes) + u'>';
    ASSERT_TRUE(iniWrite(path(), QStringLiteral("S"), QStringLiteral("all"), value));
    EXPECT_EQ(iniRead(path(), QStringLiteral("S"), QStringLiteral("all")), value);
    EXPECT_TRUE(content().contains(bytes));
}

TEST_F(IniFileTest, OnlyBlanksAndTabsAreTrimmedFromValues)
{
    // A no-break space (0xA0) or form feed is part of the value.
    write("[S]\r\nk=\t\xA0x\x0C \r\n");
    EXPECT_EQ(iniRead(path(), QStringLiteral("S"), QStringLiteral("k")), QString(QChar(0xA0)) + u'x' + QChar(0x0C));
}

TEST_F(IniFileTest, WriteReplacesTheFileAtomically)
{
    write("[S]\r\nk=1\r\n");
    const QString other = path(QStringLiteral("link.ini"));
    // A second hard link to the same file.
    ASSERT_EQ(::link(QFile::encodeName(path()).constData(), QFile::encodeName(other).constData()), 0);
    ASSERT_TRUE(iniWrite(path(), QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("2")));
    // The old file (still reachable by the other name) was not rewritten in place.
    EXPECT_EQ(TestEnvironment::readFile(other), QByteArray("[S]\r\nk=1\r\n"));
    EXPECT_EQ(content(), QByteArray("[S]\r\nk=2\r\n"));
    const QStringList leftovers = QDir(env.root()).entryList(QDir::Files | QDir::Hidden);
    EXPECT_EQ(leftovers.size(), 2) << leftovers.join(u' ').toStdString();
}

TEST_F(IniFileTest, ReadOnlyFileOrFolderIsReportedAsFailedWrite)
{
    if (runningAsRoot())
        GTEST_SKIP() << "permissions do not bind root";
    write("[S]\r\nk=1\r\n");
    QFile::setPermissions(path(), QFile::ReadOwner);
    EXPECT_FALSE(iniWrite(path(), QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("2")));
    EXPECT_EQ(iniRead(path(), QStringLiteral("S"), QStringLiteral("k")), QStringLiteral("1"));

    const QString folder = env.root() + QStringLiteral("/locked");
    QDir().mkpath(folder);
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
    EXPECT_FALSE(iniWrite(folder + QStringLiteral("/new.ini"), QStringLiteral("S"), QStringLiteral("k"),
                          QStringLiteral("v")));
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST_F(IniFileTest, UnreachableFileIsReportedAsFailedWriteEvenForRoot)
{
    // A file standing where a folder should be cannot be got past by any user.
    write("not a folder");
    EXPECT_FALSE(iniWrite(path() + QStringLiteral("/inside.ini"), QStringLiteral("S"), QStringLiteral("k"),
                          QStringLiteral("v")));
    EXPECT_EQ(TestSupport::TestEnvironment::readFile(path()), QByteArray("not a folder"));
}

TEST_F(IniFileTest, EmptySectionOrKeyIsRefused)
{
    EXPECT_FALSE(iniWrite(path(), QString(), QStringLiteral("k"), QStringLiteral("v")));
    EXPECT_FALSE(iniWrite(path(), QStringLiteral("S"), QStringLiteral("  "), QStringLiteral("v")));
    EXPECT_FALSE(QFile::exists(path()));
}

TEST_F(IniFileTest, KeysAndSectionsAreListedInFileOrder)
{
    write("[One]\r\nb=1\r\n;c=2\r\na=3\r\n[Two]\r\n");
    EXPECT_EQ(iniKeys(path(), QStringLiteral("one")), (QStringList{QStringLiteral("b"), QStringLiteral("a")}));
    EXPECT_TRUE(iniKeys(path(), QStringLiteral("Three")).isEmpty());
    EXPECT_EQ(iniSections(path()), (QStringList{QStringLiteral("One"), QStringLiteral("Two")}));
}
