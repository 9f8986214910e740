#include "core/frmAbout.h"
#include "core/frmSplash.h"
#include "core/modStartUp.h"

#include "platform/EventLoop.h"
#include "platform/SettingsStore.h"
#include "platform/Timer.h"
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

    for (int start = 0; start < 2; ++start)
        ASSERT_TRUE(modStartUp::Main([] {}));
    for (const QString &path : users)
        EXPECT_EQ(TestEnvironment::readFile(path), QByteArray("user's")) << path.toStdString();
    for (const QString &path : ours)
        EXPECT_FALSE(QFileInfo::exists(path)) << path.toStdString();
    EXPECT_EQ(TestEnvironment::readFile(outside), QByteArray("user's"));
    EXPECT_TRUE(QFileInfo::exists(journal));
    EXPECT_EQ(log().count(QDir::toNativeSeparators(journal).toUtf8()), 2);   // once for each start
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
