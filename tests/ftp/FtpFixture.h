// The FTP window against a server on 127.0.0.1, with shortened time limits and a local folder of
// files to upload. A test's waits stay below the program's reply limit, so a step that only ends
// in "Time out !" fails the wait, and the log is checked for "Time out !" unless one is expected.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include <QApplication>
#include <QDialogButtonBox>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "support/FakeFtpServer.h"
#include "support/PyFtpdServer.h"
#include "support/TestEnvironment.h"
#include "support/UserInput.h"
#include "ftp/frmFTPClient.h"
#include "ftp/frmFTPLogin.h"
#include "ftp/modFTP.h"
#include "platform/CommonControls.h"
#include "platform/EventLoop.h"
#include "platform/KeyedListView.h"

#include <QLineEdit>

class FtpTest : public TestSupport::VelquistTest {
protected:
    // The program's reply limit in these tests, and the longest a test waits for one step.
    static constexpr int kReplyMs = 10000;
    static constexpr int kStepMs = 4000;

    void SetUp() override
    {
        modFTP::state() = modFTP::State{};
        modFTP::Intervals fast;
        fast.replyMs = kReplyMs;
        fast.loginMs = 2000;
        fast.passiveConnectMs = 2000;
        fast.firstStepMs = 20;
        fast.nextStepMs = 10;
        fast.nextFileMs = 5;
        modFTP::setIntervals(fast);
        local = env.root() + QStringLiteral("/local/");
        w = frmFTPClient::instance();
        QObject::connect(w.data(), &frmFTPClient::fileStored, w.data(), [this](const QString &path) { storedFiles << path; });
        ASSERT_TRUE(TestSupport::showWindow(w));
    }
    void TearDown() override
    {
        expectNoUnlookedForTimeOut();
        if (w && w->isVisible())   // a window closed by the test is on its way out already
            TestSupport::clickOn(w->btnClose);
        TestSupport::TestEnvironment::dropQueuedCalls();
        modFTP::setIntervals(modFTP::Intervals{});
    }

    // For the faults that end in a time-out: a short reply limit, and "Time out !" may be logged.
    void useShortReplyLimit(int replyMs = 1500)
    {
        modFTP::Intervals limits = modFTP::intervals();
        limits.replyMs = replyMs;
        modFTP::setIntervals(limits);
        timeOutExpected = true;
    }
    void expectNoUnlookedForTimeOut()
    {
        if (w && !timeOutExpected) {
            EXPECT_FALSE(log().contains(QStringLiteral("Time out !"))) << log().join(u'\n').toStdString();
        }
    }

    // The login dialog answered with these values (OK), then the connect.
    void connectAs(const QString &host, const QString &user, const QString &password,
                   const QString &path = QStringLiteral("/"))
    {
        expectNoUnlookedForTimeOut();   // the connect clears the log
        QTimer::singleShot(0, [=] {
            auto *login = qobject_cast<frmFTPLogin *>(QApplication::activeModalWidget());
            ASSERT_NE(login, nullptr);
            login->txtHostName->setText(host);
            login->txtUsername->setText(user);
            login->txtPassword->setText(password);
            login->txtRemotePath->setText(path);
            clickLoginOk(login);
        });
        TestSupport::clickOn(w->btnConnect);
    }
    // The login dialog's OK button, clicked.
    static void clickLoginOk(frmFTPLogin *login)
    {
        auto *buttons = login->findChild<QDialogButtonBox *>();
        ASSERT_NE(buttons, nullptr);
        for (QAbstractButton *button : buttons->buttons()) {
            if (buttons->buttonRole(button) == QDialogButtonBox::AcceptRole)
                return TestSupport::clickOn(button);
        }
        ADD_FAILURE() << "the login dialog has no OK button";
    }
    // Logs in to the fake server and waits for the first listing of `path`.
    void loginAndList(const QString &path = QStringLiteral("/"))
    {
        connectAs(server.hostPort(), server.user, server.password, path);
        ASSERT_TRUE(waitIdleAfter(QStringLiteral("LIST")));
    }
    // Waits for `done` no longer than `timeoutMs`, counting also a wait of the window's own that
    // ran inside this one.
    static bool within(int timeoutMs, const std::function<bool()> &done)
    {
        const qint64 started = Platform::tickCount();
        return Platform::waitUntil(done, timeoutMs) && Platform::tickCount() - started <= timeoutMs;
    }
    // Waits until `verb` has been sent and no command sequence is under way.
    bool waitIdleAfter(const QString &verb, int timeoutMs = kStepMs)
    {
        return within(timeoutMs, [&] { return sent(verb) && !w->isBusy() && !w->Timer2.enabled(); });
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
    // No command under way or due.
    bool idle() const { return !w->isBusy() && !w->Timer1.enabled() && !w->Timer2.enabled(); }
    // Types a path into the path box and presses Enter there.
    void enterPath(const QString &path)
    {
        w->txtRemotePath->setFocus();
        w->txtRemotePath->clear();
        QTest::keyClicks(w->txtRemotePath, path);
        QTest::keyClick(w->txtRemotePath, Qt::Key_Return);
    }
    // Alt and a caption's letter, in the active window as a user presses it.
    void pressAlt(Qt::Key key)
    {
        w->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(w));
        QTest::keyClick(w, key, Qt::AltModifier);
    }
    // A double click on the row with that key, as a user makes it.
    static void doubleClickRow(KeyedListView *list, const QString &key)
    {
        QTreeWidgetItem *row = list->rowByKey(key);
        ASSERT_NE(row, nullptr) << key.toStdString();
        TestSupport::doubleClickRow(list, row);
    }
    // Waits until `folder` is current and its listing has ended.
    bool waitListed(const QString &folder, int timeoutMs = kStepMs)
    {
        return within(timeoutMs, [&] {
            return modFTP::state().remotePath == folder && idle()
                   && w->lsvRemote->rowByKey(modFTP::remoteParent(folder));
        });
    }

    // Send File, then waits for the batch and its listing to end.
    bool upload(int timeoutMs = kStepMs)
    {
        const int lists = countSent(QStringLiteral("LIST"));
        TestSupport::clickOn(w->btnSendFile);
        return within(timeoutMs, [&] {
            return idle() && (countSent(QStringLiteral("LIST")) > lists || w->btnSendFile->isEnabled()
                              || !modFTP::state().ftpConnected);
        });
    }
    int countSent(const QString &verb) const
    {
        int count = 0;
        for (const QString &command : server.commands)
            count += command.startsWith(verb) ? 1 : 0;
        return count;
    }

    // The Debian FTP server started on `root` with a user web/secret, logged in to and listed in
    // `folder`; null (and the test failed) when it did not start or list.
    std::unique_ptr<TestSupport::PyFtpdServer> loginToRealServer(const QString &root, const QString &folder,
                                                                 const TestSupport::PyFtpdFaults &faults = {})
    {
        auto ftpd = std::make_unique<TestSupport::PyFtpdServer>(root, QStringLiteral("web"), QStringLiteral("secret"), faults);
        if (!ftpd->started()) {
            ADD_FAILURE() << ftpd->failure().toStdString();
            return nullptr;
        }
        connectAs(ftpd->hostPort(), QStringLiteral("web"), QStringLiteral("secret"), folder);
        if (!waitListed(folder)) {
            ADD_FAILURE() << "no listing of " << folder.toStdString();
            return nullptr;
        }
        return ftpd;
    }

    // Send File and a double click on a file at once after the login (to its folder or a refused
    // one), during a folder change, and with a folder typed but not entered: nothing goes until
    // the server is in the folder the path box shows, then the file lands there. The server holds
    // /pages and /pages/docs; `takeLanded` gives the remote paths of the files stored since the
    // last call.
    void expectSendsLandInTheShownFolder(const QString &hostPort, const std::function<QStringList()> &takeLanded)
    {
        modFTP::Intervals limits = modFTP::intervals();
        limits.firstStepMs = 300;   // the login's folder change comes this long after the login
        modFTP::setIntervals(limits);
        struct Case {
            const char *name;
            const char *loginPath;
            std::function<void()> moveOn;   // after the login's listing; the Send clicks come inside it
            const char *shown;              // in the path box, where the file lands
        } cases[] = {
            {"login folder", "/pages", nullptr, "/pages"},
            {"refused login folder", "/missing", nullptr, "/"},
            {"folder entered", "/pages", [&] { enterPath(QStringLiteral("docs")); }, "/pages/docs"},
            {"folder typed, not entered", "/pages", [&] {
                 w->txtRemotePath->setFocus();
                 w->txtRemotePath->selectAll();
                 QTest::keyClicks(w->txtRemotePath, QStringLiteral("/pages/docs"));
             }, "/pages/docs"},
        };
        for (const Case &c : cases) {
            env.dialogs.clearLog();
            selectLocal({{QStringLiteral("a.txt"), "a"}});
            const QString loginPath = QString::fromLatin1(c.loginPath);
            if (loginPath == QStringLiteral("/missing"))
                env.dialogs.answerMessage(Platform::Ok);
            const auto sendAtOnce = [&] {
                EXPECT_FALSE(w->btnSendFile->isEnabled()) << c.name;
                TestSupport::clickOn(w->btnSendFile);
                doubleClickRow(w->lsvDirs, local + QStringLiteral("a.txt"));
            };
            connectAs(hostPort, QStringLiteral("web"), QStringLiteral("secret"), loginPath);
            if (!c.moveOn)
                sendAtOnce();
            ASSERT_TRUE(within(kStepMs, [&] { return idle() && w->btnSendFile->isEnabled(); })) << c.name;
            if (c.moveOn) {
                QTimer::singleShot(0, w.data(), sendAtOnce);   // runs inside the folder change's wait
                c.moveOn();
            }
            ASSERT_TRUE(upload()) << c.name;
            const QString shown = QString::fromLatin1(c.shown);
            EXPECT_EQ(takeLanded(), QStringList{modFTP::joinRemote(shown, QStringLiteral("a.txt"))}) << c.name;
            EXPECT_EQ(w->txtRemotePath->text(), shown) << c.name;
            TestSupport::clickOn(w->btnConnect);
        }
    }

    TestSupport::FakeFtpServer server;
    QPointer<frmFTPClient> w;
    QStringList storedFiles;   // the files the window counted as stored, in order
    QString local;
    bool timeOutExpected = false;
};
