// Pictures of the engine data update window (before, after a success, after a failure) and of
// the news window with a stored message.
#include <gtest/gtest.h>

#include <QPushButton>
#include <QTcpSocket>

#include "ScreenshotFixture.h"
#include "enginedata/frmNews.h"
#include "enginedata/frmUpdateEngines.h"
#include "platform/EventLoop.h"
#include "platform/SettingsStore.h"
#include "support/LoopbackServer.h"
#include "support/TestEnvironment.h"

TEST_F(Screenshots, UpdateAndNewsWindows)
{
    TestSupport::LoopbackServer server;
    // Each file as the bundled sample data has it, so the update passes its checks.
    server.setHandler([](QTcpSocket *client, const QByteArray &request) {
        const QByteArray path = request.mid(4, request.indexOf(' ', 4) - 4);
        const QByteArray file = path.mid(path.lastIndexOf('/') + 1);
        const QString sample = QStringLiteral(VELQUIST_SOURCE_DIR "/data/") + QString::fromLatin1(file);
        client->write(TestSupport::LoopbackServer::httpReply(200, TestSupport::TestEnvironment::readFile(sample)));
        client->disconnectFromHost();
    });
    const struct {
        const char *picture;
        QByteArray host;   // empty: not started
    } runs[] = {
        {"45-update-start", ""},
        {"45-update-done", server.hostPort().toUtf8()},
        {"45-update-failed", "127.0.0.1:9"},
    };
    clsUpdateEngines::setIntervals({5, 200, 2, 1000});
    for (const auto &run : runs) {
        delete frmUpdateEngines::instance();
        if (!run.host.isEmpty())
            qputenv("VELQUIST_VENDOR_HOST", run.host);
        frmUpdateEngines *update = frmUpdateEngines::instance();
        update->show();
        if (!run.host.isEmpty()) {
            TestSupport::clickOn(update->cmdStart);
            Platform::waitUntil([update] { return update->cmdClose->text() == QStringLiteral("&Close"); }, 5000);
        }
        shoot(update, QString::fromLatin1(run.picture));
    }
    delete frmUpdateEngines::instance();
    clsUpdateEngines::setIntervals({});

    Platform::saveSetting(QStringLiteral("Velquist"), QStringLiteral("News"), QStringLiteral("CheckNewMsgAtOpen"),
                          QStringLiteral("0"));
    env.writeFile(frmNews::newsFile(), "[News]\r\nTitle=New engine data available\r\nDate=2026-12-01\r\n"
                                       "Message=The engine data was refreshed today.\r\n"
                                       "Use File, Update Engine Data to fetch it.\r\n");
    frmNews *news = frmNews::instance();
    news->show();
    Platform::waitUntil([] { return false; }, 100);
    shoot(news, QStringLiteral("45-news"));
    delete news;
}
