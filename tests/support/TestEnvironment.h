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

    ScriptedDialogs dialogs;
    QStringList shellRequests;   // "open:<target>" or "editor:<path>"

private:
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
