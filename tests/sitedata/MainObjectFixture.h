#pragma once
// A fixture with a fresh main window and its clsMain in the test's own program and engine data
// folders, plus helpers to put data files in place.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTabWidget>
#include <QTimer>

#include "support/TestEnvironment.h"
#include "support/UserInput.h"
#include "mainwindow/frmMain.h"
#include "sitedata/clsMain.h"
#include "platform/modDSSockLog.h"

class MainObjectTest : public TestSupport::VelquistTest {
protected:
    void SetUp() override
    {
        main = new clsMain;   // owned by the window from here on
        w = main->mainWindow();
        // A safety net: no modal window may keep a test waiting. It goes with the window, so it
        // never fires in a later test of the same process.
        QTimer::singleShot(10000, w, [] {
            if (QWidget *modal = QApplication::activeModalWidget())
                modal->close();
        });
    }
    void TearDown() override { delete frmMain::existing(); }

    QString programPath(const QString &name) const { return env.programFolder() + name; }
    QString enginePath(const QString &name) const { return env.engineDataFolder() + name; }
    void writeProgramFile(const QString &name, const QByteArray &bytes) { env.writeFile(programPath(name), bytes); }
    void writeEngineFile(const QString &name, const QByteArray &bytes) { env.writeFile(enginePath(name), bytes); }
    QByteArray errorLog() const { return TestSupport::TestEnvironment::readFile(modDSSock::errorLogFile()); }

    static QByteArray sampleFile(const QString &name)
    {
        return TestSupport::TestEnvironment::readFile(QStringLiteral(VELQUIST_SOURCE_DIR "/data/") + name);
    }
    void installSample()
    {
        writeProgramFile(QStringLiteral("country.vqs"), sampleFile(QStringLiteral("country.vqs")));
        writeProgramFile(QStringLiteral("cat.vqs"), sampleFile(QStringLiteral("cat.vqs")));
        writeEngineFile(QStringLiteral("vqzeng5.dat"), sampleFile(QStringLiteral("vqzeng5.dat")));
        writeEngineFile(QStringLiteral("catvqs.dat"), sampleFile(QStringLiteral("catvqs.dat")));
        writeEngineFile(QStringLiteral("vqreng.dat"), sampleFile(QStringLiteral("vqreng.dat")));
    }
    // Loads the engine category data and the engine database as the window does.
    bool loadEngineFiles(const QByteArray &engines, const QByteArray &categories = QByteArray("[Dummy]\r\nA=1\r\n"))
    {
        writeEngineFile(QStringLiteral("vqzeng5.dat"), engines);
        writeEngineFile(QStringLiteral("catvqs.dat"), categories);
        return main->loadEngineCategory() && main->loadEngines();
    }

    // The main window on screen with its site pages, as for a site node.
    bool showSitePages()
    {
        w->SSTab2->hide();
        w->SSTab3->hide();
        w->SSTab1->show();
        return TestSupport::showWindow(w);
    }

    clsMain *main = nullptr;
    frmMain *w = nullptr;
};

// Lines joined by CR LF, with a final CR LF.
inline QByteArray crlf(std::initializer_list<const char *> lines)
{
    QByteArray text;
    for (const char *line : lines)
        text += QByteArray(line) + "\r\n";
    return text;
}
