#include "core/frmAbout.h"
#include "core/frmSplash.h"
#include "core/modStartUp.h"

#include "core/clsPreference.h"
#include "platform/EventLoop.h"
#include "platform/FileSet.h"
#include "platform/IniDocument.h"
#include "platform/SettingsStore.h"
#include "platform/Timer.h"
#include "platform/modDSSockLog.h"
#include "sitedata/ProjectList.h"
#include "support/KillAt.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <stdexcept>

using TestSupport::TestEnvironment;

namespace {

class StartUpTest : public TestSupport::VelquistTest {
protected:
    QByteArray log() const { return TestEnvironment::readFile(env.programFolder() + QStringLiteral("Error.log")); }
    static bool splashUp() { return frmSplash::instance() && frmSplash::instance()->isVisible(); }
    // A start of the program in the program folder given, as the program starts.
    static void startIn(const QString &programFolder)
    {
        qputenv("VELQUIST_HOME", programFolder.toUtf8());
        modDSSock::closeLogFiles();   // the log follows the program folder
        ASSERT_TRUE(modStartUp::Main([] {}, ProjectList::siteFiles));
    }
    static QStringList files(const QString &folder)
    {
        return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    }
};

// The engine data update's set: five files over the engine data folder and the program folder,
// the sample data files as their new contents.
class UpdateSetTest : public StartUpTest {
protected:
    struct UpdateFile {
        const char *name;
        bool inEngineData;
    };
    static constexpr UpdateFile kFiles[] = {
        {"vqzeng5.dat", true}, {"catvqs.dat", true}, {"top.vqs", false}, {"cat.vqs", false}, {"vqreng.dat", true},
    };
    QString path(const UpdateFile &file) const
    {
        return (file.inEngineData ? env.engineDataFolder() : env.programFolder()) + QLatin1String(file.name);
    }
    static QByteArray sample(const UpdateFile &file)
    {
        return TestEnvironment::readFile(QStringLiteral(VELQUIST_SOURCE_DIR "/data/") + QLatin1String(file.name));
    }
    void writeOldFiles() const
    {
        for (const UpdateFile &file : kFiles)
            TestEnvironment::writeFile(path(file), QByteArray("old ") + file.name);
    }
    void storeUpdate() const
    {
        QList<Platform::FileBytes> files;
        for (const UpdateFile &file : kFiles)
            files.append({path(file), sample(file)});
        Platform::writeBinaryFilesAtomically(files);
    }
    // "old" or "new" when every file is so; else what each holds.
    QString state() const
    {
        int olds = 0;
        int news = 0;
        for (const UpdateFile &file : kFiles) {
            const QByteArray bytes = TestEnvironment::readFile(path(file));
            olds += bytes == QByteArray("old ") + file.name;
            news += bytes == sample(file);
        }
        return olds == 5 ? QStringLiteral("old") : news == 5 ? QStringLiteral("new")
                                                   : QString::number(olds) + QStringLiteral(" old, ") + QString::number(news)
                                                         + QStringLiteral(" new");
    }
    void expectOnlyTheDataFiles(const QString &other) const
    {
        EXPECT_EQ(files(env.engineDataFolder()),
                  (QStringList{QStringLiteral("catvqs.dat"), QStringLiteral("vqreng.dat"), QStringLiteral("vqzeng5.dat")}));
        for (const QString &program : {env.programFolder(), other}) {
            for (const QString &name : files(program))
                EXPECT_TRUE(name == u"cat.vqs" || name == u"top.vqs" || name == u"Error.log") << name.toStdString();
        }
    }
    static int unfinishedLines(const QString &programFolder)
    {
        return int(TestEnvironment::readFile(programFolder + QStringLiteral("Error.log")).count("Interrupted write not finished"));
    }
};

} // namespace

TEST_F(StartUpTest, SuccessfulStartSetsThePathsAndShowsTheMainWindow)
{
    bool displayed = false;
    bool splashWhileDisplaying = false;
    bool busyWhileDisplaying = false;
    EXPECT_TRUE(modStartUp::Main([&] {
        displayed = true;
        splashWhileDisplaying = splashUp();
        busyWhileDisplaying = Platform::isBusyPointer();
    }));
    EXPECT_TRUE(displayed);
    EXPECT_TRUE(splashWhileDisplaying);
    EXPECT_TRUE(busyWhileDisplaying);
    EXPECT_EQ(ProjectListPath, env.programFolder() + QStringLiteral("project.vqj"));
    EXPECT_EQ(WindowsDir, env.engineDataFolder());
    EXPECT_TRUE(log().startsWith("\r\nVersion: 6.1.16 - "));
    EXPECT_TRUE(env.dialogs.shown().isEmpty());
}

TEST_F(StartUpTest, UnusableSettingEndsTheStartWithBothBoxesAndALogEntry)
{
    ASSERT_TRUE(Platform::saveSetting(QStringLiteral("Velquist"), QStringLiteral("Preference"),
                                      QStringLiteral("TimeOut"), QStringLiteral("abc")));
    env.dialogs.answerMessage(Platform::Ok);
    env.dialogs.answerMessage(Platform::Ok);
    bool displayed = false;
    EXPECT_FALSE(modStartUp::Main([&] { displayed = true; }));
    EXPECT_FALSE(displayed);
    EXPECT_FALSE(splashUp());
    const QString reason = QStringLiteral("Type mismatch in Preference/TimeOut (")
        + Platform::settingsFile(QStringLiteral("Velquist")) + QStringLiteral(")");
    EXPECT_EQ(log(), QByteArray("Debug breakpoint #1\r\n\r\nError: ") + reason.toUtf8() + "\r\n");
    ASSERT_EQ(env.dialogs.shown().size(), 2);
    EXPECT_EQ(env.dialogs.shown()[0].prompt, QStringLiteral("GetSetting_Error: ") + reason);
    EXPECT_EQ(env.dialogs.shown()[0].style, Platform::Exclamation);
    EXPECT_EQ(env.dialogs.shown()[1].prompt, QStringLiteral("Main: ") + reason);
    EXPECT_EQ(env.dialogs.shown()[1].style, Platform::Critical);
    EXPECT_EQ(env.dialogs.shown()[1].title, QStringLiteral("Velquist"));
}

// Only what the program's own writers name goes at a start; a user's copies beside the data
// files stay, whatever their names, and a journal naming a file elsewhere is left and logged.
TEST_F(StartUpTest, StartKeepsTheUsersCopiesAndRemovesOnlyTheProgramsLeftovers)
{
    const QString program = env.programFolder();
    const QString engines = env.engineDataFolder();
    const QString outside = env.root() + QStringLiteral("/outside.txt");
    const QStringList users = {program + QStringLiteral("project.vqj.Backup"), program + QStringLiteral("cat.vqs.Before"),
                               program + QStringLiteral("notes.txt.Backup"), engines + QStringLiteral("vqzeng5.dat.Backup")};
    const QStringList ours = {program + QStringLiteral("project.vqj.Xy12aB.vqtmp"), program + QStringLiteral("cat.vqs.vqnew"),
                              engines + QStringLiteral("vqzeng5.dat.aB12cd.vqtmp")};
    for (const QString &path : users + QStringList{program + QStringLiteral("project.vqj"), program + QStringLiteral("cat.vqs"),
                                                   program + QStringLiteral("notes.txt"), engines + QStringLiteral("vqzeng5.dat"), outside})
        TestEnvironment::writeFile(path, "user's");
    for (const QString &path : ours)
        TestEnvironment::writeFile(path, "left");
    const QString journal = engines + QStringLiteral("vqzeng5.dat.vqjournal");
    TestEnvironment::writeFile(journal, "back\n0 " + QFile::encodeName(outside) + "\nend\n");
    // A link where the next custom-category save puts its copy: the save would write outside.
    const QString link = engines + QStringLiteral("catcus.dat.vqnew");
    ASSERT_TRUE(QFile::link(outside, link));

    for (int start = 0; start < 2; ++start)
        ASSERT_TRUE(modStartUp::Main([] {}));
    for (const QString &path : users)
        EXPECT_EQ(TestEnvironment::readFile(path), QByteArray("user's")) << path.toStdString();
    for (const QString &path : ours)
        EXPECT_FALSE(QFileInfo::exists(path)) << path.toStdString();
    EXPECT_EQ(TestEnvironment::readFile(outside), QByteArray("user's"));
    EXPECT_FALSE(QFileInfo(link).isSymLink());
    EXPECT_TRUE(QFileInfo::exists(journal));
    EXPECT_EQ(log().count(QDir::toNativeSeparators(journal).toUtf8()), 2);   // once for each start
}

// Two program folders share one engine data folder (VELQUIST_WINDIR): a kill at any step of
// the update in the first ends all old or all new once both have started, whichever starts
// first, and neither start finds anything it cannot finish.
TEST_F(UpdateSetTest, TwoProgramFoldersOnOneEngineDataFolderEndTheUpdateAllOldOrAllNew)
{
    const QString first = env.programFolder();
    const QString second = env.root() + QStringLiteral("/second/");
    QDir().mkpath(second);
    for (const bool secondStartsFirst : {true, false}) {
        SCOPED_TRACE(secondStartsFirst ? "the other program folder starts first" : "the updated one starts first");
        int step = 1;
        for (;; ++step) {
            writeOldFiles();
            qputenv("VELQUIST_HOME", first.toUtf8());
            if (!TestSupport::killedAtStep(step, [this] { storeUpdate(); }))
                break;
            startIn(secondStartsFirst ? second : first);
            startIn(secondStartsFirst ? first : second);
            const QString now = state();
            EXPECT_TRUE(now == u"old" || now == u"new") << step << ": " << now.toStdString();
            expectOnlyTheDataFiles(second);
        }
        EXPECT_GT(step, 20);
        EXPECT_EQ(state(), QStringLiteral("new"));
        EXPECT_EQ(unfinishedLines(first) + unfinishedLines(second), 0);
    }
}

// The engine data folder away at one start (an unmounted drive: the start finds the folder
// empty): that start leaves the update's set alone and says so at most once; the next start
// with the folder back finishes it all old or all new.
TEST_F(UpdateSetTest, TheEngineDataFolderAwayAtOneStartLeavesTheSetToTheNextStart)
{
    const QString engineData = env.engineDataFolder();
    const QString away = env.root() + QStringLiteral("/away");
    int undecided = 0;
    int step = 1;
    for (;; ++step) {
        writeOldFiles();
        QFile::remove(env.programFolder() + QStringLiteral("Error.log"));
        if (!TestSupport::killedAtStep(step, [this] { storeUpdate(); }))
            break;
        ASSERT_TRUE(QDir().rename(engineData, away));
        startIn(env.programFolder());
        EXPECT_LE(unfinishedLines(env.programFolder()), 1) << step;
        undecided += unfinishedLines(env.programFolder());
        ASSERT_TRUE(QDir(engineData).removeRecursively() && QDir().rename(away, engineData));
        startIn(env.programFolder());
        const QString now = state();
        EXPECT_TRUE(now == u"old" || now == u"new") << step << ": " << now.toStdString();
        expectOnlyTheDataFiles(env.programFolder());
    }
    EXPECT_GT(step, 20);
    EXPECT_GT(undecided, 0);   // the kills after the mark, before each journal went on its own
}

// A kill during a settings save or a site save leaves the file's temporary copy (with the
// passwords in it) beside the file: the settings folder and the folder of each site in the
// project list are cleaned as the program folder is, by the same name rule.
TEST_F(StartUpTest, AStartRemovesTheCopiesKilledSavesLeftInTheSettingsAndSiteFolders)
{
    const QString projects = env.programFolder() + QStringLiteral("Projects/");
    const QString elsewhere = env.root() + QStringLiteral("/My Sites/");
    const QStringList sites = {projects + QStringLiteral("Shop.vqs"), elsewhere + QStringLiteral("Blog.vqs")};
    TestEnvironment::writeFile(env.programFolder() + QStringLiteral("project.vqj"),
                               "[Web]\r\nDescription=\r\nLast=2\r\n1=Shop|" + sites.at(0).toUtf8() + "\r\n2=Blog|"
                                   + QDir::toNativeSeparators(sites.at(1)).replace(u'/', u'\\').toUtf8() + "\r\n");
    const auto killedSave = [](const std::function<void()> &save) {
        EXPECT_TRUE(TestSupport::killedWhen([](const QString &) { return true; }, save, TestSupport::KillPoint::SingleWrite));
    };
    myPreference().setHTTPPassword(QStringLiteral("secret"));
    killedSave([] { myPreference().SaveSettings(); });
    for (const QString &site : sites) {
        TestEnvironment::writeFile(site, "[Web Site Info]\r\n");
        TestEnvironment::writeFile(site + QStringLiteral(".Backup"), "user's");
        killedSave([&site] {
            auto document = Platform::IniDocument::load(site);
            document->setValue(QStringLiteral("Web Site Info"), QStringLiteral("Password"), QStringLiteral("secret"));
            document->commit();
        });
    }
    const QStringList folders = {env.settingsFolder(), projects, elsewhere};
    for (const QString &folder : folders)
        ASSERT_EQ(files(folder).filter(QStringLiteral(".vqtmp")).size(), 1) << folder.toStdString();

    startIn(env.programFolder());
    for (const QString &folder : folders)
        EXPECT_EQ(files(folder).filter(QStringLiteral(".vqtmp")), QStringList()) << folder.toStdString();
    for (const QString &site : sites)
        EXPECT_EQ(TestEnvironment::readFile(site + QStringLiteral(".Backup")), QByteArray("user's"));
}

TEST_F(StartUpTest, ExceptionFromTheMainWindowTakesTheFailurePath)
{
    env.dialogs.answerMessage(Platform::Ok);
    EXPECT_FALSE(modStartUp::Main([] { throw std::runtime_error("engine data unreadable"); }));
    EXPECT_FALSE(splashUp());
    EXPECT_FALSE(Platform::isBusyPointer());
    const QByteArray written = log();
    EXPECT_TRUE(written.endsWith("Debug breakpoint #1\r\nDebug breakpoint #3\r\n\r\nError: engine data unreadable\r\n"))
        << written.toStdString();
    ASSERT_EQ(env.dialogs.shown().size(), 1);
    EXPECT_EQ(env.dialogs.shown()[0].prompt, QStringLiteral("Main: engine data unreadable"));
}

TEST_F(StartUpTest, ProgramFolderWithBlanksAndAccentsGivesTheRightProjectList)
{
    const QString home = env.root() + QStringLiteral("/Zo\u00EB's Files/Velquist \u00DCbung");
    qputenv("VELQUIST_HOME", home.toUtf8());
    EXPECT_TRUE(modStartUp::Main([] {}));
    EXPECT_EQ(ProjectListPath, home + QStringLiteral("/project.vqj"));
}

TEST_F(StartUpTest, UnusableEngineDataFolderLeavesWindowsDirEmptyAndStartsAnyway)
{
    TestEnvironment::writeFile(env.root() + QStringLiteral("/file"), "x");
    qputenv("VELQUIST_WINDIR", (env.root() + QStringLiteral("/file/windows")).toUtf8());
    bool displayed = false;
    EXPECT_TRUE(modStartUp::Main([&] { displayed = true; }));
    EXPECT_TRUE(displayed);
    EXPECT_EQ(WindowsDir, QString());
}

TEST_F(StartUpTest, SplashClosesItselfAfterItsIntervalAndRestoresThePointer)
{
    const qint64 start = Platform::tickCount();
    ASSERT_TRUE(modStartUp::Main([] {}));
    ASSERT_TRUE(splashUp());
    EXPECT_EQ(frmSplash::instance()->Timer1->interval(), 2500);
    // The timer runs inside the waits of a main window that is still loading.
    EXPECT_TRUE(Platform::waitUntil([] { return !splashUp(); }, 10000));
    // A coarse timer may fire up to 5% before its interval.
    EXPECT_GE(Platform::tickCount() - start, 2500 * 95 / 100);
    EXPECT_FALSE(Platform::isBusyPointer());
}

TEST_F(StartUpTest, EarlyUnloadLeavesNoTimerBehind)
{
    frmSplash *splash = frmSplash::loadAndShow();
    EXPECT_EQ(frmSplash::loadAndShow(), splash);
    splash->Timer1->setInterval(50);
    frmSplash::unloadSplash();
    EXPECT_EQ(frmSplash::instance(), nullptr);
    Platform::setBusyPointer(true);
    Platform::waitUntil([] { return false; }, 250);
    // Had the timer fired, it would have reset the pointer.
    EXPECT_TRUE(Platform::isBusyPointer());
    frmSplash::unloadSplash();
}

TEST(AboutWindow, VersionCaptionPadsTheRevisionToTwoDigits)
{
    EXPECT_EQ(frmAbout::versionCaption(6, 1, 5), QStringLiteral("Velquist\r\nVersion: 6.1.05"));
    EXPECT_EQ(frmAbout::versionCaption(6, 1, 16), QStringLiteral("Velquist\r\nVersion: 6.1.16"));
    EXPECT_EQ(frmAbout::versionCaption(6, 1, 123), QStringLiteral("Velquist\r\nVersion: 6.1.123"));
}

TEST(AboutWindow, ShowsVersionPlatformAndWarningAndClosesOnOk)
{
    frmAbout about;
    EXPECT_EQ(about.windowTitle(), QStringLiteral("About Velquist"));
    EXPECT_EQ(about.lblVersion->text(), QStringLiteral("Velquist\nVersion: 6.1.16"));
    EXPECT_TRUE(about.lblPlatform->text().startsWith(QStringLiteral("For ")));
    EXPECT_FALSE(about.lblPlatform->text().contains(QStringLiteral("Windows 95")));
    EXPECT_FALSE(about.lblWarning->text().isEmpty());
    about.show();
    about.btnOk->click();
    EXPECT_FALSE(about.isVisible());
    EXPECT_EQ(about.result(), QDialog::Accepted);
}
