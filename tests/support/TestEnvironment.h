#pragma once
// Every test gets its own program folder, engine data folder and settings store in a temp
// folder, scripted dialogs (an unexpected dialog fails the test) and a recorded shell.
#include <gtest/gtest.h>

#include <QStringList>
#include <QTemporaryDir>

#include "ScriptedDialogs.h"

namespace TestSupport {

class TestEnvironment {
public:
    TestEnvironment();
    ~TestEnvironment();

    QString root() const { return m_dir.path(); }
    QString programFolder() const;      // ends in "/"
    QString engineDataFolder() const;   // ends in "/"
    QString settingsFolder() const;     // ends in "/"

    // Writes a file (bytes as given) below the program folder or at an absolute path.
    static void writeFile(const QString &path, const QByteArray &bytes);
    static QByteArray readFile(const QString &path);

    // Drops the calls a test left queued on the application (an answer to a window that never
    // opened, the exit a failed load asks for: once run, every later modal loop of the process
    // would return at once) and runs the deferred deletes, so none of it reaches the next test.
    static void dropQueuedCalls();

    ScriptedDialogs dialogs;
    QStringList shellRequests;   // "open:<target>" or "editor:<path>"

private:
    void resetProcessState();

    QTemporaryDir m_dir;
};

// A fixture with a fresh environment per test.
class VelquistTest : public ::testing::Test {
protected:
    TestEnvironment env;
};

} // namespace TestSupport

// Readable QString values in assertion messages.
#include <ostream>
#include <QString>
inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}
