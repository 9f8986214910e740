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

namespace {

// Stands for the program being killed in the middle of a write.
struct Crash {};

class FileSetTest : public TextFileTest {
protected:
    void SetUp() override
    {
        TextFileTest::SetUp();
        folder = env.root() + QStringLiteral("/set/");
        other = env.root() + QStringLiteral("/other/");
        QDir().mkpath(folder);
        QDir().mkpath(other);
        a = folder + QStringLiteral("a.dat");
        c = other + QStringLiteral("c.dat");
        b = folder + QStringLiteral("b.dat");
        env.writeFile(a, "old a");
        env.writeFile(b, "old b");
    }
    void TearDown() override
    {
        setWriteFailureHook({});
        TextFileTest::TearDown();
    }
    QStringList files() const { return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name); }
    // The journal goes beside the first file; the third is in another folder.
    bool writeSet() { return writeBinaryFilesAtomically({{a, "new a"}, {b, "new b"}, {c, "new c"}}); }

    QString folder, other, a, b, c;
};

} // namespace

TEST_F(FileSetTest, ASetIsReplacedWholeOrNotAtAllAndLeavesNothingBeside)
{
    int calls = 0;
    setWriteFailureHook([&calls](const QString &) { return ++calls == 2; });   // the second file cannot take its place
    EXPECT_FALSE(writeSet());
    EXPECT_EQ(TestEnvironment::readFile(a), QByteArray("old a"));
    EXPECT_EQ(TestEnvironment::readFile(b), QByteArray("old b"));
    EXPECT_EQ(files(), (QStringList{QStringLiteral("a.dat"), QStringLiteral("b.dat")}));
    EXPECT_TRUE(QDir(other).isEmpty());

    setWriteFailureHook({});
    ASSERT_TRUE(writeSet());
    EXPECT_EQ(TestEnvironment::readFile(a), QByteArray("new a"));
    EXPECT_EQ(TestEnvironment::readFile(b), QByteArray("new b"));
    EXPECT_EQ(files(), (QStringList{QStringLiteral("a.dat"), QStringLiteral("b.dat")}));
    EXPECT_EQ(QDir(other).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("c.dat")});
    EXPECT_FALSE(writeBinaryFilesAtomically({{a, "x"}, {folder, "a folder"}}));
    EXPECT_EQ(TestEnvironment::readFile(a), QByteArray("new a"));
}

TEST_F(FileSetTest, TheNextStartFinishesASetThatACrashInterruptedAndRemovesTemporaryCopies)
{
    // Killed after the first file took its place: the start puts the rest in place.
    setWriteFailureHook([](const QString &path) {
        if (path.endsWith(QStringLiteral("b.dat")))
            throw Crash();
        return false;
    });
    EXPECT_THROW(writeSet(), Crash);
    setWriteFailureHook({});
    EXPECT_EQ(TestEnvironment::readFile(a), QByteArray("new a"));
    EXPECT_EQ(TestEnvironment::readFile(b), QByteArray("old b"));
    finishInterruptedWrites({other, folder});   // the folder of the journal need not come first
    EXPECT_EQ(TestEnvironment::readFile(a), QByteArray("new a"));
    EXPECT_EQ(TestEnvironment::readFile(b), QByteArray("new b"));
    EXPECT_EQ(TestEnvironment::readFile(c), QByteArray("new c"));

    // Killed before the set was complete, and in the middle of single writes.
    const char *left[] = {"a.dat.vqnew", "b.dat.vqold", "a.dat.abWjZZ", "b.dat.X1y2Z3"};
    const char *kept[] = {"b.dat.backup", "gone.dat.abWjZZ", "notes.txt"};
    for (const char *name : left)
        env.writeFile(folder + QLatin1String(name), "left");
    for (const char *name : kept)
        env.writeFile(folder + QLatin1String(name), "kept");
    finishInterruptedWrites({folder});
    EXPECT_EQ(files(), (QStringList{QStringLiteral("a.dat"), QStringLiteral("b.dat"), QStringLiteral("b.dat.backup"),
                                    QStringLiteral("gone.dat.abWjZZ"), QStringLiteral("notes.txt")}));
    EXPECT_EQ(TestEnvironment::readFile(a), QByteArray("new a"));
}
