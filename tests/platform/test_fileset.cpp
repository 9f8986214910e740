#include "platform/FileSet.h"
#include "platform/StartRecovery.h"
#include "platform/TextFile.h"

#include <memory>
#include <tuple>

#include "support/KillAt.h"
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
    void killSetAt(const QString &killedAt)
    {
        setWriteFailureHook([killedAt](const QString &path) {
            if (path == killedAt)
                throw Crash();
            return false;
        });
        EXPECT_THROW(writeSet(), Crash);
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

// Every step of a set, by its writer or by the start that finishes it, can be the last before
// a kill: whatever the step, the files end all old or all new once a start has run to its end,
// with nothing of the set's own left, and a start says nothing. A set over two folders as the
// engine data update stores, and one whose file is a link into a third folder, as well.
TEST_F(FileSetTest, AKillAtAnyStepOfTheSetOrOfTheNextStartEndsAllOldOrAllNew)
{
    const QString linked = env.root() + QStringLiteral("/linked/");
    QDir().mkpath(linked);
    const QString d = other + QStringLiteral("d.dat");
    const QString l = folder + QStringLiteral("l.dat");
    const struct {
        const char *label;
        QStringList paths;
        bool killTheStarts;
    } sets[] = {
        {"one folder", {a, b, c}, false},
        {"two folders", {a, d, b}, true},
        {"a link into a third folder", {l, d, c}, true},
    };
    const auto reset = [&] {
        for (const QString &in : {folder, other, linked}) {
            for (const QString &name : files(in))
                QFile::remove(in + name);
        }
        for (const QString &path : QStringList{a, b, d, linked + QStringLiteral("l.dat")})
            env.writeFile(path, "old " + QFileInfo(path).fileName().toUtf8());
        QFile::link(linked + QStringLiteral("l.dat"), l);
    };
    // The names in the three folders, but for the one new file, which may be there or not.
    const auto names = [&] {
        QStringList all;
        for (const QString &in : {folder, other, linked}) {
            QStringList inFolder = files(in);
            inFolder.removeAll(QStringLiteral("c.dat"));
            all.append(inFolder.join(u','));
        }
        return all;
    };
    const auto contents = [](const QStringList &paths) {
        QStringList read;
        for (const QString &path : paths)
            read.append(QFileInfo::exists(path) ? QString::fromLatin1(TestEnvironment::readFile(path)) : QStringLiteral("none"));
        return read;
    };
    for (const auto &set : sets) {
        SCOPED_TRACE(set.label);
        QStringList allOld, allNew;
        QList<FileBytes> newFiles;
        for (const QString &path : set.paths) {
            const QString name = QFileInfo(path).fileName();
            allOld.append(path == c ? QStringLiteral("none") : QStringLiteral("old ") + name);
            allNew.append(QStringLiteral("new ") + name);
            newFiles.append({path, allNew.last().toLatin1()});
        }
        int step = 1;
        for (;; ++step) {
            reset();
            const QStringList before = names();
            if (!TestSupport::killedAtStep(step, [&] { writeBinaryFilesAtomically(newFiles); }))
                break;
            const QStringList folders{folder, other};
            if (set.killTheStarts)
                TestSupport::killAtEachStepUntilDone([&] { finishInterruptedWrites(folders); });
            EXPECT_EQ(finishInterruptedWrites(folders), QStringList()) << step;
            const QStringList now = contents(set.paths);
            EXPECT_TRUE(now == allOld || now == allNew) << step << ": " << now.join(u',').toStdString();
            EXPECT_EQ(names(), before) << step;
            EXPECT_TRUE(QFileInfo(l).isSymLink());
        }
        EXPECT_GT(step, 12);   // every step was reached
        EXPECT_EQ(contents(set.paths), allNew);
    }
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

// A path given again in one set (the engine data update starts over at its first file after a
// login demand) replaces what was added for it before, also when named through a link.
TEST_F(FileSetTest, APathGivenAgainReplacesItsEarlierFile)
{
    const QString linkToA = other + QStringLiteral("to-a.dat");
    ASSERT_TRUE(QFile::link(a, linkToA));
    FileSet set;
    ASSERT_TRUE(set.add(a, "first a"));
    ASSERT_TRUE(set.add(other + QStringLiteral("d.dat"), "new d"));
    ASSERT_TRUE(set.start(a) && set.write("second ") && set.finish());
    ASSERT_TRUE(set.start(linkToA) && set.write("new a") && set.finish());
    ASSERT_TRUE(set.add(b, "new b"));
    ASSERT_TRUE(set.start(b) && set.write("half"));   // started again, never finished
    ASSERT_TRUE(set.commit());
    EXPECT_EQ(TestEnvironment::readFile(a), QByteArray("new a"));
    EXPECT_EQ(TestEnvironment::readFile(b), QByteArray("old b"));
    EXPECT_EQ(TestEnvironment::readFile(other + QStringLiteral("d.dat")), QByteArray("new d"));
    EXPECT_EQ(files(), (QStringList{QStringLiteral("a.dat"), QStringLiteral("b.dat")}));
    EXPECT_EQ(files(other), (QStringList{QStringLiteral("d.dat"), QStringLiteral("to-a.dat")}));
}

// A set writes through a data file's link into the link's target and keeps its permissions, as
// a single write does; its own copies are created new, so a link or a user's file standing where
// one of them goes fails the set and stays as it was, until a start removes what the program
// alone names.
TEST_F(FileSetTest, ASetKeepsLinksAndPermissionsAndNeverWritesThroughALinkOrOverAUsersFile)
{
    const QString real = other + QStringLiteral("real.dat");
    env.writeFile(real, "old real");
    const auto ownerOnly = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser;
    ASSERT_TRUE(QFile::setPermissions(real, ownerOnly));
    ASSERT_TRUE(QFile::setPermissions(b, ownerOnly));
    ASSERT_TRUE(QFile::link(real, c));
    ASSERT_TRUE(writeBinaryFilesAtomically({{b, "new b"}, {c, "new c"}}));
    EXPECT_TRUE(QFileInfo(c).isSymLink());
    EXPECT_EQ(TestEnvironment::readFile(real), QByteArray("new c"));
    EXPECT_EQ(QFile::permissions(real), ownerOnly);
    EXPECT_EQ(QFile::permissions(b), ownerOnly);

    const QString victim = other + QStringLiteral("victim.txt");
    for (const char *name : {"a.dat.vqnew", "a.dat.vqold", "a.dat.vqjournal", "a.dat.vqjournal.vqnew"}) {
        for (const bool link : {true, false}) {
            SCOPED_TRACE(std::string(name) + (link ? " as a link" : " as a user's file"));
            env.writeFile(victim, "user's");
            const QString standing = folder + QLatin1String(name);
            ASSERT_TRUE(link ? QFile::link(victim, standing) : QFile::copy(victim, standing));
            EXPECT_FALSE(writeBinaryFilesAtomically({{a, "new a"}, {b, "newer b"}}));
            EXPECT_EQ(TestEnvironment::readFile(victim), QByteArray("user's"));
            EXPECT_EQ(TestEnvironment::readFile(standing), QByteArray("user's"));
            EXPECT_EQ(TestEnvironment::readFile(a), QByteArray("old a"));
            EXPECT_EQ(TestEnvironment::readFile(b), QByteArray("new b"));
            EXPECT_EQ(QFileInfo(standing).isSymLink(), link);
            QFile::remove(standing);
        }
    }
    for (const char *name : {"a.dat.vqnew", "a.dat.vqold", "a.dat.Xy12aB.vqtmp"})
        ASSERT_TRUE(QFile::link(victim, folder + QLatin1String(name)));
    EXPECT_TRUE(finishInterruptedWrites({folder}).isEmpty());
    EXPECT_TRUE(writeBinaryFilesAtomically({{a, "new a"}}));
    EXPECT_EQ(TestEnvironment::readFile(victim), QByteArray("user's"));
    EXPECT_EQ(files(), (QStringList{QStringLiteral("a.dat"), QStringLiteral("b.dat"), QStringLiteral("c.dat")}));
}

// A set over three folders killed once its mark stands, before each folder's journal went
// forward on its own: a start that does not see the first folder (the engine data folder away,
// another program folder) cannot tell which way the set goes. It leaves the set alone and says
// so once; the start that sees the first folder again finishes it everywhere.
TEST_F(FileSetTest, AStartThatCannotSeeASetsFirstFolderLeavesItAloneAndSaysSoOnce)
{
    const QString third = env.root() + QStringLiteral("/third/");
    QDir().mkpath(third);
    const QString d = other + QStringLiteral("d.dat");
    const QString e = third + QStringLiteral("e.dat");
    env.writeFile(d, "old d");
    env.writeFile(e, "old e");
    bool markStood = false;
    ASSERT_TRUE(TestSupport::killedWhen(
        [&markStood](const QString &path) {
            markStood = markStood || path.endsWith(QStringLiteral(".vqcommit"));
            return markStood && path.endsWith(QStringLiteral(".vqjournal.vqnew"));
        },
        [&] { writeBinaryFilesAtomically({{a, "new a"}, {d, "new d"}, {e, "new e"}}); }));
    const QString away = env.root() + QStringLiteral("/away");
    ASSERT_TRUE(QDir().rename(folder, away));
    ASSERT_TRUE(QDir().mkpath(folder));   // an empty folder where the first one was
    const QStringList reports = finishInterruptedWrites({other, third});
    ASSERT_EQ(reports.size(), 1);
    EXPECT_TRUE(reports.first().contains(QStringLiteral("cannot be told"))) << reports.first().toStdString();
    EXPECT_EQ(TestEnvironment::readFile(d), QByteArray("old d"));
    EXPECT_EQ(TestEnvironment::readFile(e), QByteArray("old e"));
    EXPECT_EQ(files(other).size(), 4);   // the file, its copy, its old name, the journal

    ASSERT_TRUE(QDir(folder).removeRecursively() && QDir().rename(away, folder));
    EXPECT_EQ(finishInterruptedWrites({folder, other, third}), QStringList());
    for (const QString &path : {a, d, e})
        EXPECT_EQ(TestEnvironment::readFile(path), "new " + QFileInfo(path).baseName().toUtf8());
    EXPECT_EQ(files(), (QStringList{QStringLiteral("a.dat"), QStringLiteral("b.dat")}));
    EXPECT_EQ(files(other), QStringList{QStringLiteral("d.dat")});
    EXPECT_EQ(files(third), QStringList{QStringLiteral("e.dat")});
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
    // Links named as copies are never the program's; a user's link leads to where a save
    // through it leaves its copy.
    const QString victim = other + QStringLiteral("notes.txt");
    env.writeFile(victim, "user's");
    for (const char *name : {"l.dat.vqnew", "l.dat.vqold", "l.dat.Ab12Cd.vqtmp"})
        ASSERT_TRUE(QFile::link(victim, folder + QLatin1String(name)));
    ASSERT_TRUE(QFile::link(victim, folder + QStringLiteral("notes.lnk")));
    env.writeFile(other + QStringLiteral("notes.txt.Zz99Yy.vqtmp"), "left");
    env.writeFile(other + QStringLiteral("notes.txt.Before"), "kept");
    EXPECT_TRUE(finishInterruptedWrites({folder, folder}).isEmpty());
    QStringList expected{QStringLiteral("a.dat"), QStringLiteral("b.dat"), QStringLiteral("notes.lnk")};
    for (const char *name : kept)
        expected.append(QLatin1String(name));
    expected.sort();
    EXPECT_EQ(files(), expected);
    EXPECT_EQ(files(other), (QStringList{QStringLiteral("notes.txt"), QStringLiteral("notes.txt.Before")}));
    EXPECT_EQ(TestEnvironment::readFile(a), QByteArray("old a"));
    EXPECT_EQ(TestEnvironment::readFile(victim), QByteArray("user's"));
}

TEST_F(FileSetTest, AJournalActsOnlyOnRegularFilesOfItsOwnFolder)
{
    const QString victim = other + QStringLiteral("victim.txt");
    const QString victimNew = other + QStringLiteral("victim.txt.vqnew");
    const QByteArray outside = QFile::encodeName(victim);
    const QByteArray outsideJournal = "back\n0 " + outside + "\nend\n";
    enum Setup { Plain, JournalLinked, NewLinked, OldLinked };
    const QString journal = folder + QStringLiteral("a.dat.vqjournal");
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
        {"over the bound", "forward\n" + QByteArray("1 a.dat\n").repeated(9000) + "end\n", Plain},
        {"pending without its set's journals", "set abcdef123456 back\n1 a.dat\nend\n", Plain},
        {"pending, naming no way", "set abcdef123456\njournal " + QFile::encodeName(journal) + "\n1 a.dat\nend\n", Plain},
    };
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
