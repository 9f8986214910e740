#include "platform/FileSet.h"
#include "platform/StartRecovery.h"
#include "platform/TextFile.h"

#include <memory>
#include <tuple>

#include "support/TestEnvironment.h"

using namespace Platform;
using TestSupport::TestEnvironment;

namespace {

// Stands for the program being killed in the middle of a write.
struct Crash {};

class FileSetTest : public TestSupport::VelquistTest {
protected:
    void SetUp() override
    {
        VelquistTest::SetUp();
        folder = env.root() + QStringLiteral("/set/");
        other = env.root() + QStringLiteral("/other/");
        QDir().mkpath(folder);
        QDir().mkpath(other);
        a = folder + QStringLiteral("a.dat");
        b = folder + QStringLiteral("b.dat");
        c = folder + QStringLiteral("c.dat");
        env.writeFile(a, "old a");
        env.writeFile(b, "old b");
    }
    void TearDown() override
    {
        setWriteFailureHook({});
        VelquistTest::TearDown();
    }
    QStringList files(const QString &in) const { return QDir(in).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name); }
    QStringList files() const { return files(folder); }
    // The journal goes beside the first file; the third has no old file.
    bool writeSet() { return writeBinaryFilesAtomically({{a, "new a"}, {b, "new b"}, {c, "new c"}}); }
    // The set as a kill when `killedAt`'s turn came to take its place left it.
    void killSetAt(const QString &killedAt, const std::function<bool()> &write = {})
    {
        setWriteFailureHook([killedAt](const QString &path) {
            if (path == killedAt)
                throw Crash();
            return false;
        });
        EXPECT_THROW(write ? write() : writeSet(), Crash);
        setWriteFailureHook({});
    }
    void expectNewSet(const QString &in)
    {
        EXPECT_EQ(files(in), (QStringList{QStringLiteral("a.dat"), QStringLiteral("b.dat"), QStringLiteral("c.dat")}));
        EXPECT_EQ(TestEnvironment::readFile(in + QStringLiteral("a.dat")), QByteArray("new a"));
        EXPECT_EQ(TestEnvironment::readFile(in + QStringLiteral("b.dat")), QByteArray("new b"));
        EXPECT_EQ(TestEnvironment::readFile(in + QStringLiteral("c.dat")), QByteArray("new c"));
    }

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

    setWriteFailureHook({});
    ASSERT_TRUE(writeSet());
    expectNewSet(folder);
    EXPECT_FALSE(writeBinaryFilesAtomically({{a, "x"}, {folder, "a folder"}}));
    expectNewSet(folder);
    EXPECT_TRUE(QDir(other).isEmpty());
}

// A set over two folders, as the engine data update stores: a kill at any file leaves both
// folders all new after the next start once the set's mark stood, all old before it.
TEST_F(FileSetTest, ASetOverTwoFoldersEndsAllOldOrAllNewAfterAKill)
{
    const QString d = other + QStringLiteral("d.dat");
    const auto writeSpread = [&] { return writeBinaryFilesAtomically({{a, "new a"}, {d, "new d"}, {b, "new b"}}); };
    const auto reset = [&] {
        env.writeFile(a, "old a");
        env.writeFile(b, "old b");
        env.writeFile(d, "old d");
    };
    const auto contents = [&] {
        return QStringList{QString::fromLatin1(TestEnvironment::readFile(a)), QString::fromLatin1(TestEnvironment::readFile(d)),
                           QString::fromLatin1(TestEnvironment::readFile(b))};
    };
    const QStringList allNew{QStringLiteral("new a"), QStringLiteral("new d"), QStringLiteral("new b")};
    const QStringList allOld{QStringLiteral("old a"), QStringLiteral("old d"), QStringLiteral("old b")};
    for (const bool markStood : {true, false}) {
        for (const QString &killedAt : {a, d, b}) {
            reset();
            killSetAt(killedAt, writeSpread);
            if (!markStood) {   // as if the kill came before the mark was written
                for (const QString &mark : QDir(folder).entryList({QStringLiteral("*.vqcommit")}))
                    QFile::remove(folder + mark);
            }
            EXPECT_TRUE(finishInterruptedWrites({folder, other}).isEmpty());
            EXPECT_EQ(contents(), markStood ? allNew : allOld) << killedAt.toStdString();
            EXPECT_EQ(files(), (QStringList{QStringLiteral("a.dat"), QStringLiteral("b.dat")}));
            EXPECT_EQ(files(other), QStringList{QStringLiteral("d.dat")});
        }
    }
    reset();
    ASSERT_TRUE(writeSpread());
    EXPECT_EQ(contents(), allNew);
    EXPECT_EQ(files(other), QStringList{QStringLiteral("d.dat")});
}

// Files added one by one stand beside their targets until the commit; a set that ends or is
// killed before it leaves every old file and, after the next start, nothing of its own.
TEST_F(FileSetTest, FilesAddedOneByOneTakeTheirPlacesOnlyAtTheCommit)
{
    const QStringList before = files();
    {
        FileSet set;
        ASSERT_TRUE(set.add(a, "new a"));
        ASSERT_TRUE(set.add(other + QStringLiteral("d.dat"), "new d"));
        ASSERT_TRUE(set.start(b));   // a file still coming
        ASSERT_TRUE(set.write("new "));
        EXPECT_EQ(TestEnvironment::readFile(a), QByteArray("old a"));
    }   // ended without a commit
    EXPECT_EQ(files(), before);
    EXPECT_TRUE(QDir(other).isEmpty());

    auto killed = std::make_unique<FileSet>();
    ASSERT_TRUE(killed->add(a, "new a"));
    ASSERT_TRUE(killed->start(b) && killed->write("new b") && killed->finish());
    std::ignore = killed.release();   // as a kill leaves it: no clean-up runs
    EXPECT_TRUE(finishInterruptedWrites({folder}).isEmpty());
    EXPECT_EQ(files(), before);
    EXPECT_EQ(TestEnvironment::readFile(b), QByteArray("old b"));

    FileSet set;
    ASSERT_TRUE(set.add(a, "new a"));
    EXPECT_FALSE(set.add(folder, "a folder"));   // a failed add abandons the set
    EXPECT_TRUE(set.commit());                   // with nothing left in it
    EXPECT_EQ(files(), before);
    EXPECT_EQ(TestEnvironment::readFile(a), QByteArray("old a"));
}

TEST_F(FileSetTest, TheNextStartFinishesASetAKillInterruptedAtAnyFile)
{
    for (const QString &killedAt : {a, b, c}) {
        env.writeFile(a, "old a");
        env.writeFile(b, "old b");
        QFile::remove(c);
        killSetAt(killedAt);
        EXPECT_TRUE(finishInterruptedWrites({other, folder}).isEmpty());
        expectNewSet(folder);
    }
}

TEST_F(FileSetTest, TheStartRemovesOnlyTheProgramsOwnTemporaryNames)
{
    const char *left[] = {"a.dat.vqnew", "b.dat.vqold", "a.dat.abWjZZ.vqtmp", "b.dat.X1y2Z3.vqtmp", "x.vqjournal.vqnew"};
    const char *kept[] = {"a.dat.Backup", "b.dat.X1y2Z3", "cat.vqs.Before", "notes.txt.Backup", "notes.txt",
                          "a.dat.vqtmp", "a.dat.abc.vqtmp"};
    for (const char *name : left)
        env.writeFile(folder + QLatin1String(name), "left");
    for (const char *name : kept)
        env.writeFile(folder + QLatin1String(name), "kept");
    EXPECT_TRUE(finishInterruptedWrites({folder, folder}).isEmpty());
    QStringList expected{QStringLiteral("a.dat"), QStringLiteral("b.dat")};
    for (const char *name : kept)
        expected.append(QLatin1String(name));
    expected.sort();
    EXPECT_EQ(files(), expected);
    EXPECT_EQ(TestEnvironment::readFile(a), QByteArray("old a"));
}

TEST_F(FileSetTest, AJournalActsOnlyOnRegularFilesOfItsOwnFolder)
{
    const QString victim = other + QStringLiteral("victim.txt");
    const QString victimNew = other + QStringLiteral("victim.txt.vqnew");
    const QByteArray outside = QFile::encodeName(victim);
    const QByteArray outsideJournal = "back\n0 " + outside + "\nend\n";
    enum Setup { Plain, JournalLinked, NewLinked, OldLinked };
    const struct {
        const char *label;
        QByteArray journal;
        Setup setup;
    } cases[] = {
        {"absolute", outsideJournal, Plain},
        {"absolute forward", "forward\n1 " + outside + "\nend\n", Plain},
        {"up and out", "back\n0 ../other/victim.txt\nend\n", Plain},
        {"relative to the working folder", "back\n0 other/victim.txt\nend\n", Plain},
        {"backslash", "back\n0 ..\\other\\victim.txt\nend\n", Plain},
        {"truncated", "forward\n1 a.dat\n1 b.d", Plain},
        {"no end mark", "forward\n1 a.dat\n", Plain},
        {"cut in the first line", "forw", Plain},
        {"linked journal", outsideJournal, JournalLinked},
        {"linked new file", "forward\n1 a.dat\nend\n", NewLinked},
        {"linked old file", "back\n1 a.dat\nend\n", OldLinked},
    };
    const QString journal = folder + QStringLiteral("a.dat.vqjournal");
    const struct WorkingFolder {
        QString before = QDir::currentPath();
        ~WorkingFolder() { QDir::setCurrent(before); }
    } restore;
    QDir::setCurrent(env.root());
    for (const auto &c : cases) {
        SCOPED_TRACE(c.label);
        env.writeFile(victim, "user's");
        env.writeFile(victimNew, "user's new");
        env.writeFile(folder + QStringLiteral("z.dat.vqnew"), "another set's leftover");
        QFile::remove(journal);
        if (c.setup == JournalLinked) {
            env.writeFile(other + QStringLiteral("j"), c.journal);
            ASSERT_TRUE(QFile::link(other + QStringLiteral("j"), journal));
        } else {
            env.writeFile(journal, c.journal);
        }
        if (c.setup == NewLinked || c.setup == OldLinked) {
            const QString copyName = a + (c.setup == NewLinked ? QStringLiteral(".vqnew") : QStringLiteral(".vqold"));
            ASSERT_TRUE(QFile::link(victim, copyName));
        }

        const QStringList reports = finishInterruptedWrites({folder});
        ASSERT_EQ(reports.size(), 1);
        EXPECT_TRUE(reports.first().contains(QStringLiteral("a.dat.vqjournal"))) << reports.first().toStdString();
        EXPECT_EQ(TestEnvironment::readFile(victim), QByteArray("user's"));
        EXPECT_EQ(TestEnvironment::readFile(victimNew), QByteArray("user's new"));
        EXPECT_EQ(TestEnvironment::readFile(a), QByteArray("old a"));
        EXPECT_FALSE(QFileInfo(a).isSymLink());
        EXPECT_TRUE(QFileInfo(journal).exists());
        // The journal left alone does not stop the clean-up of the other sets.
        EXPECT_FALSE(QFileInfo::exists(folder + QStringLiteral("z.dat.vqnew")));
        QFile::remove(a + QStringLiteral(".vqnew"));
        QFile::remove(a + QStringLiteral(".vqold"));
    }
}

TEST_F(FileSetTest, AFolderCopiedAfterAKillRecoversItselfAndNotTheOriginal)
{
    killSetAt(b);
    const QString copy = env.root() + QStringLiteral("/copy/");
    QDir().mkpath(copy);
    QMap<QString, QByteArray> original;
    for (const QString &name : files()) {
        original.insert(name, TestEnvironment::readFile(folder + name));
        ASSERT_TRUE(QFile::copy(folder + name, copy + name));
    }
    EXPECT_TRUE(finishInterruptedWrites({copy}).isEmpty());
    expectNewSet(copy);
    EXPECT_EQ(files(), QStringList(original.keys()));
    for (auto it = original.cbegin(); it != original.cend(); ++it)
        EXPECT_EQ(TestEnvironment::readFile(folder + it.key()), it.value()) << it.key().toStdString();
}
