// The FTP window against a server on 127.0.0.1, with shortened time limits and a local folder of
// files to upload.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

#include "support/FakeFtpServer.h"
#include "support/TestEnvironment.h"
#include "ftp/frmFTPClient.h"
#include "ftp/frmFTPLogin.h"
#include "ftp/modFTP.h"
#include "platform/CommonControls.h"
#include "platform/EventLoop.h"
#include "platform/KeyedListView.h"

#include <QLineEdit>

class FtpTest : public TestSupport::VelquistTest {
protected:
    void SetUp() override
    {
        modFTP::state() = modFTP::State{};
        modFTP::Intervals fast;
        fast.replyMs = 1500;
        fast.loginMs = 2000;
        fast.passiveConnectMs = 2000;
        fast.firstStepMs = 20;
        fast.nextStepMs = 10;
        fast.nextFileMs = 5;
        modFTP::setIntervals(fast);
        local = env.root() + QStringLiteral("/local/");
        w = frmFTPClient::instance();
        w->show();
    }
    void TearDown() override
    {
        if (w)
            w->btnClose_Click();
        TestSupport::TestEnvironment::dropQueuedCalls();
        modFTP::setIntervals(modFTP::Intervals{});
    }

    // The login dialog answered with these values (OK), then the connect.
    void connectAs(const QString &host, const QString &user, const QString &password,
                   const QString &path = QStringLiteral("/"))
    {
        QTimer::singleShot(0, [=] {
            auto *login = qobject_cast<frmFTPLogin *>(QApplication::activeModalWidget());
            ASSERT_NE(login, nullptr);
            login->txtHostName->setText(host);
            login->txtUsername->setText(user);
            login->txtPassword->setText(password);
            login->txtRemotePath->setText(path);
            login->btnOK_Click();
        });
        w->btnConnect_Click();
    }
    // Logs in to the fake server and waits for the first listing of `path`.
    void loginAndList(const QString &path = QStringLiteral("/"))
    {
        connectAs(server.hostPort(), server.user, server.password, path);
        ASSERT_TRUE(waitIdleAfter(QStringLiteral("LIST")));
    }
    // Waits until `verb` has been sent and no command sequence is under way.
    bool waitIdleAfter(const QString &verb, int timeoutMs = 5000)
    {
        return Platform::waitUntil([&] { return sent(verb) && !w->isBusy() && !w->Timer2.enabled(); }, timeoutMs);
    }
    bool sent(const QString &verb) const
    {
        for (const QString &command : server.commands) {
            if (command.startsWith(verb))
                return true;
        }
        return false;
    }
    QStringList log() const
    {
        QStringList lines;
        for (int i = 0; i < w->List1->count(); ++i)
            lines << w->List1->item(i)->text();
        return lines;
    }
    QStringList remoteNames() const
    {
        QStringList names;
        for (QTreeWidgetItem *row : w->lsvRemote->rows())
            names << row->text(0);
        names.sort();
        return names;
    }
    // Files in the local folder, listed in the pane and selected in the order given.
    void selectLocal(const QList<std::pair<QString, QByteArray>> &files)
    {
        for (const auto &[name, bytes] : files)
            TestSupport::TestEnvironment::writeFile(local + name, bytes);
        w->addDirs(local);
        w->lsvDirs->clearSelection();
        for (const auto &file : files) {
            if (QTreeWidgetItem *row = w->lsvDirs->rowByKey(local + file.first))
                row->setSelected(true);
        }
    }
    // Send File, then waits for the batch and its listing to end.
    bool upload(int timeoutMs = 8000)
    {
        const int lists = countSent(QStringLiteral("LIST"));
        w->btnSendFile_Click();
        return Platform::waitUntil([&] {
            return !w->isBusy() && !w->Timer1.enabled() && !w->Timer2.enabled()
                   && (countSent(QStringLiteral("LIST")) > lists || w->btnSendFile->isEnabled());
        }, timeoutMs);
    }
    int countSent(const QString &verb) const
    {
        int count = 0;
        for (const QString &command : server.commands)
            count += command.startsWith(verb) ? 1 : 0;
        return count;
    }

    TestSupport::FakeFtpServer server;
    QPointer<frmFTPClient> w;
    QString local;
};
