#include "TestEnvironment.h"

#include "core/clsPreference.h"
#include "core/modStartUp.h"
#include "platform/CommandLine.h"
#include "platform/Shell.h"
#include "transport/frmHTTP.h"
#include "platform/modDSSockLog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace TestSupport {

TestEnvironment::TestEnvironment()
{
    EXPECT_TRUE(m_dir.isValid());
    QDir(m_dir.path()).mkpath(QStringLiteral("program"));
    QDir(m_dir.path()).mkpath(QStringLiteral("program/system"));
    QDir(m_dir.path()).mkpath(QStringLiteral("config"));
    qputenv("VELQUIST_HOME", programFolder().toUtf8());
    qputenv("VELQUIST_WINDIR", engineDataFolder().toUtf8());
    qputenv("VELQUIST_CONFIG", settingsFolder().toUtf8());
    qputenv("VELQUIST_VENDOR_HOST", "127.0.0.1:9");
    qputenv("VELQUIST_LOOPBACK_ONLY", "1");
    Platform::setCommandLineArguments({});
    resetProcessState();
    dialogs.install();
    Platform::setShellHook([this](Platform::ShellAction action, const QString &target) {
        shellRequests.append((action == Platform::ShellAction::Open ? QStringLiteral("open:")
                                                                    : QStringLiteral("editor:")) + target);
        return true;
    });
}

TestEnvironment::~TestEnvironment()
{
    dropQueuedCalls();
    Platform::setShellHook(nullptr);
    dialogs.uninstall();
    modDSSock::closeLogFiles();
}

// What one test leaves in the process must not reach the next one when a whole test program runs
// as one process: open log handles (they follow the old program folder), the page fetch with its
// shortened timers, the settings loaded by an earlier test, the two
// paths the start-up sets (here as it sets them, in this test's folders).
void TestEnvironment::resetProcessState()
{
    myPreference() = clsPreference();
    modDSSock::closeLogFiles();
    delete frmHTTP::loadedInstance();
    frmHTTP::setIntervals({});
    ProjectListPath = programFolder() + QStringLiteral("project.vqj");
    WindowsDir = engineDataFolder();
}

void TestEnvironment::dropQueuedCalls()
{
    QCoreApplication::removePostedEvents(qApp, QEvent::MetaCall);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QString TestEnvironment::programFolder() const
{
    return m_dir.path() + QStringLiteral("/program/");
}

QString TestEnvironment::engineDataFolder() const
{
    return m_dir.path() + QStringLiteral("/program/system/");
}

QString TestEnvironment::settingsFolder() const
{
    return m_dir.path() + QStringLiteral("/config/");
}

void TestEnvironment::writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    file.write(bytes);
}

QByteArray TestEnvironment::readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

} // namespace TestSupport
