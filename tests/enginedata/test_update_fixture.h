#pragma once
// The update window against a loopback server set as the vendor's host. The five target files
// hold old bytes before each run; each file's answer can be replaced by a test.
#include <functional>

#include <QHash>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTcpSocket>

#include "core/clsPreference.h"
#include "enginedata/frmUpdateEngines.h"
#include "platform/EventLoop.h"
#include "platform/SettingsStore.h"
#include "support/LoopbackServer.h"
#include "support/TestEnvironment.h"
#include "support/UserInput.h"
#include "platform/modDSSockLog.h"

class UpdateTest : public TestSupport::VelquistTest {
protected:
    // How the server answers the request for one file.
    using Answer = std::function<void(QTcpSocket *client, int fileIndex, const QByteArray &request)>;

    void SetUp() override
    {
        qputenv("VELQUIST_VENDOR_HOST", server.hostPort().toUtf8());
        clsUpdateEngines::setIntervals({5, 200, 2, 700, 3000});
        server.setHandler([this](QTcpSocket *client, const QByteArray &request) {
            const int index = fileIndexOf(request);
            const Answer answer = answers.value(index, answerWhole);
            answer(client, index, request);
        });
        freshRun();
    }
    void TearDown() override
    {
        delete window;
        clsUpdateEngines::setIntervals({});
    }

    // Old files back in place, a new window, every file answered whole.
    void freshRun()
    {
        delete window;
        reports.clear();
        answers.clear();
        for (int i = 0; i < clsUpdateEngines::kFileCount; ++i)
            env.writeFile(clsUpdateEngines::targetPath(i), oldBytes(i));
        Platform::saveSetting(QStringLiteral("Velquist"), QStringLiteral("Setting"), QStringLiteral("Download"),
                              QStringLiteral("1"));
        newWindow();
    }
    // A new shown window whose reports are collected.
    void newWindow()
    {
        delete window;
        window = frmUpdateEngines::instance();
        QObject::connect(window, &frmUpdateEngines::engineDataStored, window,
                         [this](bool stored) { reports.append(stored); });
        EXPECT_TRUE(TestSupport::showWindow(window));
    }

    // Presses Start and waits until the run has ended, one way or the other.
    bool runUpdate(int timeoutMs = 15000)
    {
        TestSupport::clickOn(window->cmdStart);
        return Platform::waitUntil([this] { return !window || !running(); }, timeoutMs);
    }
    bool running() const { return window->run().isRunning(); }

    static int fileIndexOf(const QByteArray &request)
    {
        const QByteArray line = request.left(request.indexOf('\n'));
        for (int i = 0; i < clsUpdateEngines::kFileCount; ++i) {
            if (line.contains(QByteArray(clsUpdateEngines::requestPath(i).toLatin1() + ' ')))
                return i;
        }
        return -1;
    }
    static QByteArray oldBytes(int i) { return "old file " + QByteArray::number(i) + "\r\n"; }
    // Each body reads as the file it replaces.
    static QByteArray newBody(int i)
    {
        static const char *const bodies[] = {
            "Name=New engine 0\r\nQuery=a=1\r\nEND:Version 6.0\r\n",
            "[New engine 0]\r\nArts=1\r\nEND\r\n",
            "New engine 0\r\n",
            "[Arts]\r\nSub\r\n",
            "[Engines]\r\nNumOfEngines=1\r\n1=New engine 4\r\n[New engine 4]\r\nEngineURL=x\r\n"
            "[KeywordBuilder]\r\nNumOfURLs=1\r\n"};
        return bodies[i];
    }
    static QByteArray stored(int i) { return TestSupport::TestEnvironment::readFile(clsUpdateEngines::targetPath(i)); }
    static QString setting(const char *section, const char *key)
    {
        return Platform::getSetting(QStringLiteral("Velquist"), QString::fromLatin1(section), QString::fromLatin1(key));
    }
    static QByteArray errorLog() { return TestSupport::TestEnvironment::readFile(modDSSock::errorLogFile()); }

    static void answerWhole(QTcpSocket *client, int index, const QByteArray &)
    {
        client->write(TestSupport::LoopbackServer::httpReply(200, newBody(index)));
        client->disconnectFromHost();
    }

    // The failure state: the reason, the installer link, Start enabled again, no success reported.
    void expectFailureState() const
    {
        EXPECT_TRUE(window->Label1->text().startsWith(QStringLiteral("Error occur when update engine data: ")));
        EXPECT_TRUE(window->Label1->text().contains(QStringLiteral("No engine file was changed.")));
        EXPECT_TRUE(window->Label2->text().contains(QStringLiteral("'vqzeng.exe'")));
        EXPECT_EQ(window->cmdClose->text(), QStringLiteral("&Close"));
        EXPECT_TRUE(window->cmdStart->isEnabled());
        EXPECT_FALSE(reports.isEmpty() || reports.last());
    }
    void expectOldFiles() const
    {
        for (int i = 0; i < clsUpdateEngines::kFileCount; ++i)
            EXPECT_EQ(stored(i), oldBytes(i)) << i;
    }
    // A cancel: says so, in black, without the installer link; nothing stored.
    void expectCancelledState() const
    {
        EXPECT_EQ(window->Label1->text(), QStringLiteral("The engine data update was cancelled. No engine file was changed."));
        EXPECT_EQ(window->Label1->palette().color(QPalette::WindowText), QColor(Qt::black));
        EXPECT_TRUE(window->Label2->text().isEmpty());
        EXPECT_EQ(window->cmdClose->text(), QStringLiteral("&Close"));
        EXPECT_TRUE(window->cmdStart->isEnabled());
        EXPECT_EQ(reports, QList<bool>{false});
        expectOldFiles();
    }

    TestSupport::LoopbackServer server;
    QPointer<frmUpdateEngines> window;
    QList<bool> reports;
    QHash<int, Answer> answers;
};
