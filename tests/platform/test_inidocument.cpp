// The INI document: many changes and one commit give the bytes that the same changes written one
// by one through iniWrite give, and a failed commit leaves the old file as it was.
#include "platform/IniDocument.h"
#include "platform/IniFile.h"
#include "platform/TextFile.h"

#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>

using namespace Platform;
using TestSupport::TestEnvironment;

namespace {

struct Write {
    const char *section;
    const char *key;
    const char *value;
};

struct Series {
    const char *name;
    QByteArray before;   // "<none>" for a missing file
    std::vector<Write> writes;
};

const std::vector<Series> &series()
{
    static const std::vector<Series> all = {
        {"missing file", "<none>", {{"A", "k", "1"}, {"B", "k", "2"}, {"a", "K", "3"}, {"A", "j", "4"}}},
        {"no final line end", "[A]\r\nx=1", {{"A", "y", "2"}, {"B", "z", "3"}, {"A", "w", "4"}}},
        {"header without line end", "[A]", {{"A", "y", "2"}, {"a", "Y", "3"}}},
        {"only text before any header", "; note\r\nloose=1", {{"A", "k", "v"}, {"A", "loose", "2"}}},
        {"line breaks in values", "[S]\r\nk=old\r\n", {{"S", "k", "a\r\nb\rc\nd"}, {"S", "t", "x\r\nevil=1"}, {"S", "evil", "2"}}},
        {"duplicate sections and keys", "[S]\r\nk=1\r\nK=2\r\n[s]\r\nk=3\r\nonly=4\r\n",
         {{"S", "k", "a"}, {"S", "only", "b"}, {"s", "new", "c"}, {"S", "K", "d"}}},
        {"blank lines close sections", "[A]\r\nx=1\r\n\r\n  \r\n[B]\ny=2\n\n", {{"A", "n", "1"}, {"A", "m", "2"}, {"B", "n", "3"}, {"C", "c", "4"}}},
        {"case-different names", "[Web Site Info]\r\nTitle=a\r\n", {{"WEB SITE INFO", "title", "b"}, {" web site info ", " TITLE ", "c"}, {"Web Site Info", "Email", "d"}}},
        {"mixed line ends kept", "[A]\rx=1\r[B]\ny=2\r\nz=3", {{"B", "z", "4"}, {"A", "x", "5"}, {"A", "q", "6"}}},
        {"comments and bare lines", "[S]\n;k=c\nk\n  k = real \n", {{"S", "k", "new"}, {"S", ";k", "c2"}, {"S", "k2", "v"}}},
        {"names that read back as other lines", "[S]\r\na=1\r\n",
         {{"S", "[T", "v"}, {"S", "a=b", "x"}, {"T=v", "k", "y"}, {"S", "a", "z"}, {"Two\r\nLines", "k", "w"}, {"Two", "k", "u"},
          {"S", "p\nq", "r"}, {"q", "q", "s"}}},
        {"bracket inside a name", "[A]\r\n", {{"A]B", "k", "1"}, {"A", "k", "2"}, {"a]b", "K", "3"}}},
        {"refused blank names", "[S]\r\n", {{"", "k", "1"}, {"S", " ", "2"}, {"S", "k", "3"}}},
    };
    return all;
}

class IniDocumentTest : public TestSupport::VelquistTest {
protected:
    void TearDown() override { setWriteFailureHook({}); }
    QString path(const QString &name) const { return env.root() + u'/' + name; }
    void start(const QString &file, const QByteArray &before)
    {
        if (before != "<none>")
            TestEnvironment::writeFile(file, before);
    }
};

QString text(const char *ansi)
{
    return QString::fromLatin1(ansi);
}

} // namespace

TEST_F(IniDocumentTest, OneCommitGivesTheBytesOfTheSameWritesOneByOne)
{
    for (const Series &s : series()) {
        SCOPED_TRACE(s.name);
        const QString oneByOne = path(QStringLiteral("one.ini"));
        const QString together = path(QStringLiteral("all.ini"));
        QFile::remove(oneByOne);
        QFile::remove(together);
        start(oneByOne, s.before);
        start(together, s.before);
        std::optional<IniDocument> document = IniDocument::load(together);
        ASSERT_TRUE(document);
        for (const Write &w : s.writes) {
            const bool written = iniWrite(oneByOne, text(w.section), text(w.key), text(w.value));
            EXPECT_EQ(document->setValue(text(w.section), text(w.key), text(w.value)), written);
        }
        ASSERT_TRUE(document->commit());
        EXPECT_EQ(TestEnvironment::readFile(together), TestEnvironment::readFile(oneByOne));

        // Reads agree with the file reads too, after the changes.
        EXPECT_EQ(document->sections(), iniSections(oneByOne));
        for (const Write &w : s.writes) {
            EXPECT_EQ(document->keys(text(w.section)), iniKeys(oneByOne, text(w.section)));
            EXPECT_EQ(document->value(text(w.section), text(w.key)), iniRead(oneByOne, text(w.section), text(w.key)));
        }
    }
}

TEST_F(IniDocumentTest, AFailedCommitLeavesTheOldFileAndIsReported)
{
    const QString file = path(QStringLiteral("site.ini"));
    const QByteArray before = "[S]\r\nk=1\r\n";
    TestEnvironment::writeFile(file, before);
    std::optional<IniDocument> document = IniDocument::load(file);
    ASSERT_TRUE(document);
    document->setValue(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("2"));
    document->setValue(QStringLiteral("T"), QStringLiteral("k"), QStringLiteral("3"));
    setWriteFailureHook([&](const QString &target) { return target == file; });
    EXPECT_FALSE(document->commit());
    EXPECT_FALSE(iniWrite(file, QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("4")));
    EXPECT_EQ(TestEnvironment::readFile(file), before);
    setWriteFailureHook({});
    EXPECT_TRUE(document->commit());
    EXPECT_EQ(TestEnvironment::readFile(file), QByteArray("[S]\r\nk=2\r\n[T]\r\nk=3\r\n"));
}

TEST_F(IniDocumentTest, AFileThatCannotBeReadGivesNoDocument)
{
    // A folder stands where the file should be, whoever runs the test.
    ASSERT_TRUE(QDir().mkpath(path(QStringLiteral("folder.ini"))));
    EXPECT_FALSE(IniDocument::load(path(QStringLiteral("folder.ini"))));
    const std::optional<IniDocument> missing = IniDocument::load(path(QStringLiteral("missing.ini")));
    ASSERT_TRUE(missing);
    EXPECT_TRUE(missing->sections().isEmpty());
}

TEST_F(IniDocumentTest, ACommitWithAModeWritesTheFileWithIt)
{
    const QString file = path(QStringLiteral("private.ini"));
    TestEnvironment::writeFile(file, "[S]\r\n");
    QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    IniDocument document = IniDocument::fromText(file, QString());
    document.setValue(QStringLiteral("S"), QStringLiteral("Password"), QStringLiteral("p"));
    ASSERT_TRUE(document.commit(QFile::ReadOwner | QFile::WriteOwner));
    const QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther;
    EXPECT_FALSE(QFile::permissions(file) & others);
    EXPECT_TRUE(QFile::permissions(file) & QFile::WriteOwner);
}
