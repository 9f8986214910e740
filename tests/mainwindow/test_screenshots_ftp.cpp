// Pictures of the FTP upload window: its login dialog, and the window logged in to a server on
// 127.0.0.1 with a listing, a local folder and the log of an upload.
#include "ScreenshotFixture.h"

#include <QApplication>
#include <QTimer>

#include "ftp/frmFTPClient.h"
#include "ftp/frmFTPLogin.h"
#include "ftp/modFTP.h"
#include "platform/EventLoop.h"
#include "platform/KeyedListView.h"
#include "support/FakeFtpServer.h"

#include <QLineEdit>
#include <QPushButton>

TEST_F(Screenshots, FtpUploadClient)
{
    modFTP::state() = modFTP::State{};
    modFTP::Intervals fast;
    fast.firstStepMs = 20;
    fast.nextStepMs = 10;
    fast.nextFileMs = 5;
    modFTP::setIntervals(fast);
    TestSupport::FakeFtpServer server;
    server.folders.insert(QStringLiteral("/public_html"));
    server.listings.insert(QStringLiteral("/public_html"),
                           "drwxr-xr-x 2 web web 4096 Dec 08 18:57 images\r\n"
                           "drwxrwxrwt 2 web web 4096 Dec 09 00:19 uploads\r\n"
                           "-rw-r--r-- 1 web web 12840 Dec 08 18:57 index.htm\r\n"
                           "-rw-r--r-- 1 web web 3204 Dec 08 18:57 contact.htm\r\n"
                           "-rw-r--r-- 1 web web 48211 Dec 07 09:12 logo.png\r\n");
    const QString local = env.root() + QStringLiteral("/site/");
    for (const char *name : {"index.htm", "contact.htm", "about.htm", "style.css", "logo.png"})
        env.writeFile(local + QString::fromLatin1(name), QByteArray(3000, 'x'));
    QDir().mkpath(local + QStringLiteral("images"));

    frmFTPClient *ftp = frmFTPClient::instance();
    ftp->resize(1000, 640);
    ftp->show();
    ftp->addDirs(local);
    QTimer::singleShot(0, [&] {
        auto *login = qobject_cast<frmFTPLogin *>(QApplication::activeModalWidget());
        ASSERT_NE(login, nullptr);
        login->txtHostName->setText(server.hostPort());
        login->txtUsername->setText(server.user);
        login->txtPassword->setText(server.password);
        login->txtRemotePath->setText(QStringLiteral("/public_html"));
        shoot(login, QStringLiteral("60-ftp-login"));
        QTest::keyClick(login->txtRemotePath, Qt::Key_Return);   // the dialog takes Enter for OK
    });
    TestSupport::clickOn(ftp->btnConnect);
    Platform::waitUntil([&] { return ftp->lsvRemote->topLevelItemCount() > 5 && !ftp->isBusy(); }, 5000);
    shoot(ftp, QStringLiteral("60-ftp-client"));
    for (const char *name : {"index.htm", "about.htm"})
        ftp->lsvDirs->rowByKey(local + QString::fromLatin1(name))->setSelected(true);
    TestSupport::clickOn(ftp->btnSendFile);
    Platform::waitUntil([&] { return server.stored.size() == 2 && !ftp->isBusy() && !ftp->Timer1.enabled(); }, 5000);
    shoot(ftp, QStringLiteral("60-ftp-uploaded"));
    TestSupport::clickOn(ftp->btnClose);
    modFTP::setIntervals(modFTP::Intervals{});
}
