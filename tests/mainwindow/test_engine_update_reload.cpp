// The File menu's engine data update against a loopback vendor host: once the update window
// has stored the five files, the main window reloads the engine data from them.
#include <gtest/gtest.h>

#include <QPushButton>

#include "MainWindowFixture.h"
#include "enginedata/frmUpdateEngines.h"
#include "platform/EventLoop.h"
#include "sitedata/EngineCollection.h"
#include "support/LoopbackServer.h"

TEST_F(MainWindowTest, ASuccessfulUpdateReloadsTheEngineData)
{
    TestSupport::LoopbackServer server;
    qputenv("VELQUIST_VENDOR_HOST", server.hostPort().toUtf8());
    clsUpdateEngines::setIntervals({5, 200, 2, 2000});
    delete frmUpdateEngines::instance();   // one left by an earlier test knows another vendor host
    openEmpty();
    ASSERT_GE(myEngines().count(), 55);
    // The served engine database holds the sample's first engine only, the top list names it.
    const QByteArray sample = sampleFile(QStringLiteral("vqzeng5.dat"));
    const QByteArray oneEngine = sample.left(sample.indexOf("Name=Beacon Search")) + "END:Version 6.0\r\n";
    server.setHandler([&](QTcpSocket *client, const QByteArray &request) {
        const QByteArray path = request.split(' ').value(1);
        const QString name = QString::fromLatin1(path.mid(path.lastIndexOf('/') + 1));
        const QByteArray body = name == QStringLiteral("vqzeng5.dat") ? oneEngine
                                : name == QStringLiteral("top.vqs")   ? QByteArray("Alpha Search\r\n")
                                                                      : sampleFile(name);
        client->write(TestSupport::LoopbackServer::httpReply(200, body));
        client->disconnectFromHost();
    });
    QTimer::singleShot(0, qApp, [] {
        auto *update = qobject_cast<frmUpdateEngines *>(QApplication::activeModalWidget());
        ASSERT_TRUE(update);
        TestSupport::clickOn(update->cmdStart);
        Platform::waitUntil([update] { return update->cmdClose->text() == QStringLiteral("&Close"); }, 10000);
        TestSupport::clickOn(update->cmdClose);
    });
    choose(w->mnuFileItems[12]);
    clsUpdateEngines::setIntervals({});
    EXPECT_EQ(server.requests().size(), 5);
    EXPECT_EQ(myEngines().count(), 1);
    EXPECT_EQ(bytes(enginePath(QStringLiteral("vqzeng5.dat"))), oneEngine + "\r\n");
}
