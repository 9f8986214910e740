// The FTP window against the in-process server: login, replies, listing, folders and uploads,
// and the faults a server or the user can bring in.
#include "FtpFixture.h"

#include <QMessageBox>

#include <QLocale>

#include "platform/SettingsStore.h"

using namespace Qt::StringLiterals;

namespace {

const QByteArray kListing =
    "total 24\r\n"
    "drwxr-xr-x    2 65534    65534        4096 Dec 08 18:57 images\r\n"
    "drwxrwxrwt   2 root root 4096 Dec 09 00:19 pub\n"
    "drwxrwxrwx   2 root root 4096 Dec 09 00:19 open\r\n"
    "-rw-r--r-- 1 o g 1234 Feb 3 2003 index.htm\r\n"
    "-rw-r--r-- 1 o g 99 Feb 3 2003 Index.htm\n"
    "\r\n"
    "-rw-r--r-- 1 o g 99 Feb 3 2003 name with blank.txt\r\n"
    "lrwxrwxrwx 1 o g 7 Dec  8 18:57 bin -> usr/bin\r\n";

} // namespace

TEST_F(FtpTest, LoginGoodBadMultiLineRefusedAndSilent)
{
    struct Case {
        const char *name;
        QByteArray greeting;   // empty: the server never greets nor answers
        QByteArray passReply;
        const char *password;
        const char *failure;   // the reason named in the log and the box; none when logged in
    } cases[] = {
        {"plain", "220 ready\r\n", {}, "secret", nullptr},
        {"multi-line greeting", "220-Welcome\r\n220-to the server\r\n220 ready\r\n", {}, "secret", nullptr},
        {"230-", "220 ready\r\n", "230-Welcome\r\n230-Rules apply\r\n230 Logged in\r\n", "secret", nullptr},
        {"wrong password", "220 ready\r\n", {}, "wrong", "530 Login incorrect"},
        {"never greets", {}, {}, "secret", "no login within 2 s"},
    };
    for (const Case &c : cases) {
        server.commands.clear();
        server.greeting = c.greeting;
        server.silentVerbs.clear();
        if (c.greeting.isEmpty())
            server.silentVerbs.insert(u"USER"_s);
        server.replies.remove(u"PASS"_s);
        if (!c.passReply.isEmpty())
            server.replies.insert(u"PASS"_s, c.passReply);
        env.dialogs.clearLog();
        if (c.failure)
            env.dialogs.answerMessage(Platform::Ok);
        // While the login is under way the log says so and Send File cannot be clicked.
        bool sendFileWhileConnecting = true;
        QStringList logWhileConnecting;
        if (c.greeting.isEmpty()) {
            QTimer::singleShot(200, w.data(), [&] {
                sendFileWhileConnecting = w->btnSendFile->isEnabled();
                logWhileConnecting = log();
            });
        }
        connectAs(server.hostPort(), server.user, QString::fromLatin1(c.password));
        if (c.greeting.isEmpty()) {
            EXPECT_FALSE(sendFileWhileConnecting) << c.name;
            EXPECT_EQ(logWhileConnecting, QStringList{u"Connecting to "_s + server.hostPort()}) << c.name;
        }
        EXPECT_EQ(modFTP::state().ftpConnected, !c.failure) << c.name;
        EXPECT_EQ(w->btnConnect->text(), c.failure ? u"&Connect"_s : u"D&isconnect"_s) << c.name;
        EXPECT_EQ(server.commands.first(), u"USER web"_s) << c.name;   // USER once per connection
        EXPECT_EQ(server.commands.count(u"USER web"_s), 1) << c.name;
        if (!c.failure) {
            EXPECT_TRUE(waitIdleAfter(u"LIST"_s)) << c.name;
            EXPECT_TRUE(w->btnSendFile->isEnabled()) << c.name;
            TestSupport::clickOn(w->btnConnect);   // QUIT
            EXPECT_TRUE(log().contains(u"Disconnect !"_s)) << c.name;
            EXPECT_EQ(log().indexOf(u"Disconnect !"_s) + 1, log().indexOf(u"221 Goodbye"_s)) << c.name;
        } else {
            const QString failure = u"Login failed ("_s + server.hostPort() + u"): "_s + QString::fromLatin1(c.failure);
            EXPECT_EQ(log().value(log().size() - 1), failure) << c.name;
            EXPECT_EQ(env.dialogs.prompts(), QStringList{failure}) << c.name;
            env.dialogs.answerMessage(Platform::Ok);
            TestSupport::clickOn(w->btnList);   // refuses: not connected
            EXPECT_TRUE(env.dialogs.wasShown(u"FTP Connection seems closed"_s)) << c.name;
        }
        // Not connected: no folder shown, nothing to send to.
        EXPECT_EQ(w->btnConnect->text(), u"&Connect"_s) << c.name;
        EXPECT_TRUE(w->txtRemotePath->text().isEmpty()) << c.name;
        EXPECT_EQ(w->lsvRemote->topLevelItemCount(), 0) << c.name;
        EXPECT_FALSE(w->btnSendFile->isEnabled()) << c.name;
    }
    // A refused port and an unusable one fail at once, each with its box.
    for (const auto &[port, reason] : {std::pair{u"1"_s, u"the connection was refused or the host cannot be reached"_s},
                                       std::pair{u"0"_s, u"no usable port"_s}}) {
        env.dialogs.clearLog();
        env.dialogs.answerMessage(Platform::Ok);
        const qint64 started = Platform::tickCount();
        connectAs(u"127.0.0.1:"_s + port, u"u"_s, u"p"_s);
        EXPECT_LT(Platform::tickCount() - started, 1000) << port.toStdString();
        EXPECT_FALSE(modFTP::state().ftpConnected) << port.toStdString();
        EXPECT_EQ(env.dialogs.prompts(), QStringList{u"Login failed (127.0.0.1:"_s + port + u"): "_s + reason});
        EXPECT_FALSE(w->btnSendFile->isEnabled()) << port.toStdString();
    }
}

TEST_F(FtpTest, LoginDialogStoresItsFieldsAndAnyOtherWayOutIsCancel)
{
    // First use: the example host; OK stores all four.
    QString shownHost;
    QTimer::singleShot(0, [&] {
        auto *login = qobject_cast<frmFTPLogin *>(QApplication::activeModalWidget());
        ASSERT_NE(login, nullptr);
        shownHost = login->txtHostName->text();
        EXPECT_EQ(login->txtPassword->echoMode(), QLineEdit::Password);
        login->txtHostName->setText(server.hostPort());
        login->txtUsername->setText(u"web"_s);
        login->txtPassword->setText(u"secret"_s);
        login->txtRemotePath->setText(u"/"_s);
        clickLoginOk(login);
    });
    TestSupport::clickOn(w->btnConnect);
    EXPECT_EQ(shownHost, u"ftp.example.com"_s);
    EXPECT_EQ(Platform::getSetting(u"Velquist"_s, u"FTP"_s, u"Password"_s), u"secret"_s);
    ASSERT_TRUE(waitIdleAfter(u"LIST"_s));
    TestSupport::clickOn(w->btnConnect);
    // Closed by the title-bar button after an earlier OK: no connect, the log stays.
    const QStringList before = log();
    const int connections = server.commands.count(u"USER web"_s);
    QString storedHost;
    QTimer::singleShot(0, [&] {
        auto *login = qobject_cast<frmFTPLogin *>(QApplication::activeModalWidget());
        ASSERT_NE(login, nullptr);
        storedHost = login->txtHostName->text();
        login->close();
    });
    TestSupport::clickOn(w->btnConnect);
    EXPECT_EQ(storedHost, server.hostPort());
    EXPECT_EQ(server.commands.count(u"USER web"_s), connections);
    EXPECT_EQ(log(), before);
}

TEST_F(FtpTest, ListingShowsFoldersFilesAndExactNames)
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    server.folders.insert(u"/pages"_s);
    server.listings.insert(u"/pages"_s, kListing);
    loginAndList(u"/pages"_s);
    QLocale::setDefault(QLocale::system());
    EXPECT_TRUE(server.commands.contains(u"CWD /pages"_s));
    EXPECT_TRUE(server.commands.contains(u"LIST /pages"_s));
    EXPECT_EQ(remoteNames(), (QStringList{u"Index.htm"_s, u"images"_s, u"index.htm"_s, u"name with blank.txt"_s,
                                          u"open"_s, u"pub"_s, QString(QChar(0xA0))}));
    QTreeWidgetItem *images = w->lsvRemote->rowByKey(u"/pages/images"_s);
    ASSERT_NE(images, nullptr);
    EXPECT_EQ(Platform::itemTag(images), u"/pages/images"_s);
    EXPECT_EQ(images->text(1), u"Folder"_s);
    EXPECT_EQ(images->text(2), u"4,096 Bytes"_s);
    EXPECT_EQ(images->text(3), u"Dec 08 18:57"_s);
    EXPECT_EQ(w->lsvRemote->rowByKey(u"/pages/index.htm"_s)->text(1), u"HTML File"_s);
    EXPECT_EQ(Platform::itemTag(w->lsvRemote->rowByKey(u"/"_s)), u"/"_s);   // the Up row
    EXPECT_EQ(w->txtRemotePath->text(), u"/pages"_s);
}

TEST_F(FtpTest, ChangingFoldersGoodRefusedUpAndTyped)
{
    for (const char *folder : {"/pages", "/pages/docs", "/pages/pub"})
        server.folders.insert(QString::fromLatin1(folder));
    server.listings.insert(u"/pages"_s, "drwxrwxrwt 2 o g 4096 Dec 09 00:19 pub\r\n");
    loginAndList(u"/pages"_s);
    struct Step {
        const char *name;
        std::function<void()> act;
        const char *path;   // remotePath and the box afterwards
        const char *lastList;
    } steps[] = {
        {"typed relative", [&] { enterPath(u"docs"_s); }, "/pages/docs", "LIST /pages/docs"},
        {"typed ..", [&] { enterPath(u".."_s); }, "/pages", "LIST /pages"},
        {"refused", [&] {
             env.dialogs.answerInput(u"/missing"_s);
             env.dialogs.answerMessage(Platform::Ok);
             QTest::mouseClick(w->btnChangeDir, Qt::LeftButton);
         }, "/pages", "LIST /pages"},
        {"typed, refused", [&] {
             env.dialogs.answerMessage(Platform::Ok);
             enterPath(u"/nope"_s);
         }, "/pages", "LIST /pages"},
        {"double click on a sticky folder", [&] { doubleClickRow(w->lsvRemote, u"/pages/pub"_s); }, "/pages/pub", "LIST /pages/pub"},
        {"up row", [&] { doubleClickRow(w->lsvRemote, u"/pages/"_s); }, "/pages/", "LIST /pages/"},
    };
    for (const Step &step : steps) {
        const int before = server.commands.size();
        step.act();
        EXPECT_TRUE(Platform::waitUntil([&] { return server.commands.size() > before && !w->isBusy() && !w->Timer2.enabled(); }, 3000)) << step.name;
        Platform::waitUntil([] { return false; }, 50);
        EXPECT_EQ(modFTP::state().remotePath, QString::fromLatin1(step.path)) << step.name;
        EXPECT_EQ(w->txtRemotePath->text(), QString::fromLatin1(step.path)) << step.name;
        QStringList lists = server.commands.filter(u"LIST"_s);
        EXPECT_EQ(lists.last(), QString::fromLatin1(step.lastList)) << step.name;
    }
    for (const char *refused : {"/missing", "/nope"}) {
        const QString failure = u"Folder change to "_s + QString::fromLatin1(refused) + u" failed ("_s
                                + server.hostPort() + u"): 550 No such folder"_s;
        EXPECT_EQ(env.dialogs.prompts().count(failure), 1) << refused;
        EXPECT_EQ(log().count(failure), 1) << refused;
    }
    // No row selected, or an empty path box: nothing is sent.
    const int before = server.commands.size();
    const QPoint belowTheRows(10, w->lsvRemote->viewport()->height() - 4);
    ASSERT_EQ(w->lsvRemote->itemAt(belowTheRows), nullptr);
    TestSupport::doubleClickAt(w->lsvRemote->viewport(), belowTheRows);
    enterPath(QString());
    enterPath(u"  "_s);
    Platform::waitUntil([] { return false; }, 100);
    EXPECT_EQ(server.commands.size(), before);
    EXPECT_EQ(modFTP::state().remotePath, u"/pages/"_s);
}

TEST_F(FtpTest, A250EndsAListingAndAnUploadAs226Does)
{
    server.transferEndReply = "250 Transfer done\r\n";
    server.listings.insert(u"/"_s, "-rw-r--r-- 1 o g 1 Dec 8 18:57 a.txt\r\n");
    loginAndList();
    EXPECT_NE(w->lsvRemote->rowByKey(u"/a.txt"_s), nullptr);
    selectLocal({{u"b.txt"_s, "b"}, {u"c.txt"_s, "c"}});
    ASSERT_TRUE(upload());
    EXPECT_EQ(storedFiles, (QStringList{local + u"b.txt"_s, local + u"c.txt"_s}));
    EXPECT_NE(w->lsvRemote->rowByKey(u"/a.txt"_s), nullptr);
    // Nor does a 250 start a folder change: one CWD, one listing after the login and one after the batch.
    Platform::waitUntil([] { return false; }, 200);
    EXPECT_EQ(countSent(u"CWD"_s), 1);
    EXPECT_EQ(countSent(u"LIST"_s), 2);
}

TEST_F(FtpTest, AFolderChangeWithoutAnEndingReplyIsNamedAndAHalfReadReplyClosesTheConnection)
{
    struct Case {
        const char *name;
        int linesForMs;   // continuation lines for so long, then silence; 0: no line at all
        int atLeastMs;    // the wait the limits allow
        bool closed;      // a reply left half read: the conversation is out of step
    } cases[] = {
        {"lines all along: ten reply limits", 8000, 10 * 300, true},
        {"lines, then silence: one reply limit", 200, 300, true},
        {"silence: one reply limit, still connected", 0, 300, false},
    };
    server.folders.insert(u"/x"_s);
    for (const Case &c : cases) {
        useShortReplyLimit();   // for the login's listing
        loginAndList();
        useShortReplyLimit(300);
        server.endlessReplyOn = c.linesForMs > 0 ? u"CWD"_s : QString();
        server.endlessReplyForMs = c.linesForMs;
        server.silentVerbs = c.linesForMs > 0 ? QSet<QString>{} : QSet<QString>{u"CWD"_s};
        env.dialogs.clearLog();
        env.dialogs.answerMessage(Platform::Ok);
        const qint64 started = Platform::tickCount();
        enterPath(u"/x"_s);   // the wait runs inside the key press
        EXPECT_TRUE(within(1000, [&] { return idle(); })) << c.name;
        const qint64 took = Platform::tickCount() - started;
        EXPECT_GE(took, c.atLeastMs) << c.name;
        EXPECT_LT(took, 5000) << c.name;   // the server goes on for 8 s
        const QString failure = u"Folder change to /x failed ("_s + server.hostPort() + u"): "_s
                                + (c.closed ? u"the connection was closed"_s : u"no reply in time"_s);
        const QStringList expected = c.closed ? QStringList{u"Time out !"_s, u"Connection closed: the server's reply did not end"_s, failure}
                                              : QStringList{u"Time out !"_s, failure};
        EXPECT_EQ(log().mid(log().size() - expected.size()), expected) << c.name;
        EXPECT_EQ(env.dialogs.prompts(), QStringList{failure}) << c.name;
        // Told, not left to time out on every command: the window shows whether it is connected.
        EXPECT_EQ(w->btnConnect->text(), c.closed ? u"&Connect"_s : u"D&isconnect"_s) << c.name;
        EXPECT_EQ(w->btnSendFile->isEnabled(), !c.closed) << c.name;
        EXPECT_EQ(w->txtRemotePath->text(), c.closed ? QString() : u"/"_s) << c.name;
        EXPECT_EQ(modFTP::state().ftpConnected, !c.closed) << c.name;
        server.endlessReplyOn.clear();
        server.silentVerbs.clear();
        if (!c.closed)
            TestSupport::clickOn(w->btnConnect);
    }
    // A new connection works at once.
    modFTP::setIntervals([] { modFTP::Intervals limits = modFTP::intervals(); limits.replyMs = kReplyMs; return limits; }());
    loginAndList();
    timeOutExpected = false;
    enterPath(u"/x"_s);
    EXPECT_TRUE(waitListed(u"/x"_s));
}

// A folder change given up for no reply in time, then answered: the failure box, then a box that
// the server is in the new folder, which the path box and the pane show and from which the next
// relative change starts. The late reply while the failure box is still up (the folder typed into
// the path box), and after it (the folder's row double clicked).
TEST_F(FtpTest, AFolderChangeAnsweredLateIsFollowedAndSaidInABox)
{
    server.folders += {u"/x"_s, u"/x/y"_s};
    server.listings.insert(u"/"_s, "drwxr-xr-x 2 o g 4096 Dec 8 18:57 x\r\n");
    server.listings.insert(u"/x"_s, "drwxr-xr-x 2 o g 4096 Dec 8 18:57 y\r\n");
    for (const bool duringTheBox : {true, false}) {
        SCOPED_TRACE(duringTheBox ? "during the box" : "after the box");
        useShortReplyLimit();
        loginAndList();
        useShortReplyLimit(300);
        server.lateVerbs.insert(u"CWD"_s, 700);
        env.dialogs.uninstall();   // the real boxes, so that the reply can come while one is up
        QStringList boxes;
        TestSupport::whenMessageBoxShows([&](QMessageBox &failed) {
            boxes << failed.text();
            if (duringTheBox)
                Platform::waitUntil([&] { return server.cwd == u"/x"_s && log().last().contains(u"late"_s); }, 2000);
            TestSupport::whenMessageBoxShows([&](QMessageBox &late) {
                boxes << late.text();
                TestSupport::pressKey(&late, Qt::Key_Return);
            });
            TestSupport::pressKey(&failed, Qt::Key_Return);
        });
        if (duringTheBox)
            enterPath(u"/x"_s);
        else
            doubleClickRow(w->lsvRemote, u"/x"_s);
        EXPECT_TRUE(within(kStepMs, [&] { return boxes.size() == 2 && idle(); }));
        env.dialogs.install();
        EXPECT_EQ(boxes, (QStringList{u"Folder change to /x failed ("_s + server.hostPort() + u"): no reply in time"_s,
                                      u"Folder change to /x: the server's reply came late; the server is in /x"_s}));
        EXPECT_TRUE(waitListed(u"/x"_s));
        EXPECT_EQ(w->txtRemotePath->text(), u"/x"_s);
        EXPECT_EQ(remoteNames(), (QStringList{u"y"_s, QString(QChar(0xA0))}));
        server.lateVerbs.clear();
        enterPath(u"y"_s);
        EXPECT_TRUE(waitListed(u"/x/y"_s));
        EXPECT_EQ(server.cwd, u"/x/y"_s);
        TestSupport::clickOn(w->btnConnect);
    }
}

TEST_F(FtpTest, TypeRepliesInAnyWordingConfirmTheTypeAskedFor)
{
    for (const QByteArray &wording : {QByteArray("200 Type set to: Binary.\r\n"), QByteArray("200 OK\r\n"),
                                      QByteArray("200 Type set to A\r\n")}) {
        server.replies.insert(u"TYPE"_s, wording);
        server.commands.clear();
        server.stored.clear();
        loginAndList();
        selectLocal({{u"b.bin"_s, QByteArray("a\r\nb\r\n\0\xff\r\n", 10)}});
        ASSERT_TRUE(upload()) << wording.constData();
        EXPECT_EQ(server.stored.value(u"/b.bin"_s), QByteArray("a\r\nb\r\n\0\xff\r\n", 10)) << wording.constData();
        const QStringList sequence = server.commands.mid(server.commands.indexOf(u"TYPE I"_s), 5);
        EXPECT_EQ(sequence, (QStringList{u"TYPE I"_s, u"PASV"_s, u"STOR b.bin"_s, u"SIZE b.bin"_s, u"TYPE A"_s}))
            << wording.constData();
        TestSupport::clickOn(w->btnConnect);
    }
}

TEST_F(FtpTest, UploadsSeveralFilesByteIdenticalInRowOrder)
{
    QByteArray binary;
    for (int i = 0; i < 70000; ++i)
        binary += char(i * 7 % 256);
    loginAndList();
    QDir().mkpath(local + u"sub"_s);
    selectLocal({{u"a.htm"_s, "<p>\r\nx\n"}, {u"b.bin"_s, binary}, {u"empty.txt"_s, {}},
                 {QString::fromUtf8("caf\xc3\xa9 page.htm"), "u"}});
    w->lsvDirs->rowByKey(local + u"sub"_s)->setSelected(true);   // folders are skipped
    ASSERT_TRUE(upload());
    EXPECT_EQ(server.stored.size(), 4);
    EXPECT_EQ(server.stored.value(u"/a.htm"_s), QByteArray("<p>\r\nx\n"));
    EXPECT_EQ(server.stored.value(u"/b.bin"_s), binary);
    EXPECT_TRUE(server.stored.contains(u"/empty.txt"_s));
    EXPECT_EQ(server.stored.value(u"/empty.txt"_s), QByteArray());
    EXPECT_TRUE(server.stored.contains(QString::fromLatin1("/caf\xc3\xa9 page.htm")));   // the name's bytes
    const QStringList log = this->log();
    const qsizetype sending = log.indexOf(u"Sending 70000 bytes"_s);
    ASSERT_GE(sending, 0);
    EXPECT_EQ(log.at(sending + 1), u"File Sent"_s);
    EXPECT_EQ(server.commands.filter(u"LIST"_s).size(), 2);   // after the last file
    EXPECT_TRUE(w->btnSendFile->isEnabled());
    EXPECT_FALSE(Platform::isBusyPointer());
}

TEST_F(FtpTest, BadLocalFilesAndRefusedStoresEndTheBatch)
{
    struct Case {
        const char *name;
        int failingFile;       // 1-based
        QByteArray storReply;  // the server's answer to that file's STOR; empty: the file is missing
        qint64 cutDataAfter;
    } cases[] = {
        {"missing before its turn", 2, {}, -1},
        {"550 on the second", 2, "550 Permission denied\r\n", -1},
        {"553 on the second", 2, "553 Not allowed\r\n", -1},
        {"425", 1, "425 Can't open data connection\r\n", -1},
        {"426", 1, {}, 0},
    };
    loginAndList();
    for (const Case &c : cases) {
        server.replies.remove(u"STOR"_s);
        server.stored.clear();
        selectLocal({{u"1.txt"_s, "one"}, {u"2.txt"_s, "two"}, {u"3.txt"_s, "three"}});
        const int stors = server.storCount();
        QObject context;
        const auto arrange = [&] {
            if (!c.storReply.isEmpty())
                server.replies.insert(u"STOR"_s, c.storReply);
            else if (c.cutDataAfter >= 0)
                server.closeDataAfterBytes = c.cutDataAfter;
            else
                QFile::remove(local + u"2.txt"_s);
        };
        if (c.failingFile == 1)
            arrange();
        else
            QObject::connect(w.data(), &frmFTPClient::fileStored, &context, arrange);
        ASSERT_TRUE(upload()) << c.name;
        server.closeDataAfterBytes = -1;
        const bool missing = c.storReply.isEmpty() && c.cutDataAfter < 0;
        EXPECT_EQ(server.storCount() - stors, missing ? c.failingFile - 1 : c.failingFile) << c.name;
        EXPECT_EQ(server.stored.contains(u"/1.txt"_s), c.failingFile > 1) << c.name;
        EXPECT_FALSE(server.stored.contains(u"/3.txt"_s)) << c.name;
        if (missing) {
            EXPECT_EQ(log().last(), u"Bad File Name. Transfer Aborted"_s) << c.name;
        }
        EXPECT_TRUE(w->btnSendFile->isEnabled()) << c.name;
        EXPECT_FALSE(Platform::isBusyPointer()) << c.name;
    }
    // A name with a line break never reaches the server.
    selectLocal({{u"bad\nname.txt"_s, "x"}});
    const int stors = server.storCount();
    ASSERT_TRUE(upload());
    EXPECT_EQ(server.storCount(), stors);
    EXPECT_EQ(log().last(), u"Bad File Name. Transfer Aborted"_s);
}

TEST_F(FtpTest, ServerFaultsDuringWaitsEndThemAndRestoreTheWindow)
{
    struct Case {
        const char *name;
        std::function<void()> arrange;
        const char *logged;
        bool connectedAfter;
    } cases[] = {
        {"stops answering", [&] { server.silentVerbs.insert(u"STOR"_s); }, "Time out !", true},
        {"stops reading the data", [&] { server.stopReadingData = true; }, "Upload stopped: the server took no data for 1.5 s", true},
        {"closes the control connection", [&] { server.closeControlOn = u"STOR"_s; }, "STOR ", false},
        {"closes the data connection mid-transfer", [&] { server.closeDataAfterBytes = 100000; }, "Connection Closed. Total bytes received = 0", true},
        {"cuts the data connection, then says 226", [&] {
             server.closeDataAfterBytes = 100000;
             server.cutReply = "226 Transfer complete\r\n";
         }, "Upload stopped: the data connection was closed", true},
        {"replies during the upload", [&] { server.replyDuringUpload = "451 Local error\r\n"; server.closeDataAfterBytes = 300000; }, "451 Local error", true},
    };
    useShortReplyLimit();
    const QByteArray big(24 * 1024 * 1024, 'z');
    for (const Case &c : cases) {
        server.silentVerbs.clear();
        server.stopReadingData = false;
        server.closeControlOn.clear();
        server.closeDataAfterBytes = -1;
        server.cutReply = "426 Connection closed; transfer aborted\r\n";
        server.replyDuringUpload.clear();
        server.commands.clear();
        loginAndList();
        selectLocal({{u"big.bin"_s, big}, {u"next.txt"_s, "n"}});
        c.arrange();
        const qint64 started = Platform::tickCount();
        ASSERT_TRUE(upload(10000)) << c.name;
        EXPECT_LT(Platform::tickCount() - started, 8000) << c.name;
        EXPECT_TRUE(log().join(u'\n').contains(QString::fromLatin1(c.logged)))
            << c.name << "\n" << log().join(u'\n').toStdString();
        EXPECT_EQ(server.storCount(), 1) << c.name;   // the batch ends
        EXPECT_EQ(w->btnSendFile->isEnabled(), c.connectedAfter) << c.name;
        EXPECT_FALSE(Platform::isBusyPointer()) << c.name;
        EXPECT_EQ(modFTP::state().ftpConnected, c.connectedAfter) << c.name;
        if (c.connectedAfter)
            TestSupport::clickOn(w->btnConnect);
        EXPECT_EQ(w->btnConnect->text(), u"&Connect"_s) << c.name;
    }
}

TEST_F(FtpTest, BusyGuardDisconnectAndCloseDuringAWait)
{
    loginAndList();
    server.silentVerbs.insert(u"STOR"_s);
    selectLocal({{u"a.txt"_s, "a"}});
    // What follows runs inside the wait for the STOR reply.
    int storsAtCheck = 0;
    int commandsAtCheck = 0;
    int commandsAfterActions = 0;
    bool timer2Rearmed = false;
    qint64 disconnectedAt = 0;
    QTimer::singleShot(300, w.data(), [&] {
        storsAtCheck = server.storCount();
        commandsAtCheck = server.commands.size();
        TestSupport::clickOn(w->btnList);
        enterPath(u"/x"_s);
        doubleClickRow(w->lsvDirs, local + u"a.txt"_s);
        TestSupport::clickOn(w->btnSendFile);
        w->Timer2_Timer();   // a step falling due inside the wait
        timer2Rearmed = w->Timer2.enabled();
        Platform::waitUntil([] { return false; }, 50);
        commandsAfterActions = server.commands.size();
        disconnectedAt = Platform::tickCount();
        env.dialogs.answerMessage(Platform::Yes);   // the upload is under way: stop it
        TestSupport::clickOn(w->btnConnect);   // Disconnect ends the wait at once
    });
    TestSupport::clickOn(w->btnSendFile);
    ASSERT_TRUE(Platform::waitUntil([&] { return disconnectedAt > 0 && !w->isBusy(); }, 3000));
    EXPECT_LT(Platform::tickCount() - disconnectedAt, 500);
    EXPECT_EQ(storsAtCheck, 1);
    EXPECT_EQ(commandsAfterActions, commandsAtCheck);
    EXPECT_TRUE(log().contains(u"Upload stopped before a.txt was sent"_s));
    EXPECT_TRUE(timer2Rearmed);
    EXPECT_EQ(w->btnConnect->text(), u"&Connect"_s);
    EXPECT_FALSE(w->btnSendFile->isEnabled());
    EXPECT_EQ(w->dsSocket1.state(), Platform::DsSocket::kStateClosed);
    EXPECT_EQ(w->dsSocket2.state(), Platform::DsSocket::kStateClosed);

    // Disconnect during a listing: no box about the listing it cut short.
    loginAndList();
    server.silentVerbs = {u"LIST"_s};
    QTimer::singleShot(300, w.data(), [&] { TestSupport::clickOn(w->btnConnect); });
    TestSupport::clickOn(w->btnList);
    EXPECT_TRUE(within(kStepMs, [&] { return idle() && w->btnConnect->text() == u"&Connect"_s; }));
    EXPECT_EQ(log().last(), u"Listing of / failed ("_s + server.hostPort() + u"): the connection was closed"_s);
    server.silentVerbs = {u"STOR"_s};

    // Close during a wait, before the server asked for the file's bytes: the window goes once the
    // wait has returned; a fresh one starts clean.
    loginAndList();
    env.dialogs.answerMessage(Platform::Yes);
    QTimer::singleShot(300, w.data(), [&] { TestSupport::clickOn(w->btnClose); });
    TestSupport::clickOn(w->btnSendFile);
    EXPECT_TRUE(Platform::waitUntil([&] { return w.isNull(); }, 2000));
    EXPECT_TRUE(env.dialogs.wasShown(u"Stop the upload and close the window?"_s));
    EXPECT_TRUE(TestSupport::TestEnvironment::readFile(env.programFolder() + u"Error.log"_s)
                    .contains("Upload stopped before a.txt was sent"));
    EXPECT_EQ(frmFTPClient::loadedInstance(), nullptr);
    w = frmFTPClient::instance();
    ASSERT_TRUE(TestSupport::showWindow(w));
    EXPECT_FALSE(modFTP::state().ftpConnected);
    EXPECT_EQ(w->btnConnect->text(), u"&Connect"_s);
}

TEST_F(FtpTest, ReconnectAfterARefusedFolderChangesFolderBeforeListing)
{
    server.folders.insert(u"/pages"_s);
    loginAndList(u"/pages"_s);
    env.dialogs.answerInput(u"/missing"_s);
    env.dialogs.answerMessage(Platform::Ok);
    TestSupport::clickOn(w->btnChangeDir);
    selectLocal({{u"a.txt"_s, "a"}});
    ASSERT_TRUE(upload());   // leaves type I
    TestSupport::clickOn(w->btnConnect);
    server.commands.clear();
    connectAs(server.hostPort(), server.user, server.password, u"/pages"_s);
    ASSERT_TRUE(waitIdleAfter(u"LIST"_s));
    EXPECT_EQ(server.commands.mid(2, 3), (QStringList{u"CWD /pages"_s, u"PASV"_s, u"LIST /pages"_s}));
    // A fresh connection is in type A: an upload asks for type I again.
    selectLocal({{u"b.txt"_s, "b"}});
    ASSERT_TRUE(upload());
    EXPECT_TRUE(server.commands.contains(u"TYPE I"_s));
}

TEST_F(FtpTest, EnterOpensFoldersInBothListsAndSendsAFileRow)
{
    server.listings.insert(u"/"_s, "drwxr-xr-x 2 o g 4096 Dec 8 18:57 pub\r\n");
    server.folders.insert(u"/pub"_s);
    loginAndList();
    QDir().mkpath(local + u"sub"_s);
    TestSupport::TestEnvironment::writeFile(local + u"sub/inner.htm"_s, "i");
    w->addDirs(local);
    // A click on a folder row, then Enter: the folder opens, as on a double click; nothing
    // disconnects.
    const auto enterOn = [](KeyedListView *list, const QString &key) {
        QTreeWidgetItem *row = list->rowByKey(key);
        ASSERT_NE(row, nullptr) << key.toStdString();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(row).center());
        QTest::keyClick(list, Qt::Key_Return);
    };
    enterOn(w->lsvRemote, u"/pub"_s);
    EXPECT_TRUE(waitListed(u"/pub"_s));
    enterOn(w->lsvDirs, local + u"sub"_s);
    EXPECT_NE(w->lsvDirs->rowByKey(local + u"sub/inner.htm"_s), nullptr);
    EXPECT_FALSE(sent(u"QUIT"_s));
    EXPECT_EQ(w->btnConnect->text(), u"D&isconnect"_s);
    // Enter on a file row uploads the selection, as a double click does.
    enterOn(w->lsvDirs, local + u"sub/inner.htm"_s);
    EXPECT_TRUE(within(kStepMs, [&] { return server.stored.contains(u"/pub/inner.htm"_s) && idle(); }));
}

TEST_F(FtpTest, LogKeepsTheNewestEntriesAndHidesOnly503)
{
    for (int i = 0; i < 150; ++i)
        w->DisplayMessage(QString::number(i));
    w->DisplayMessage(u"new\r\n"_s);
    ASSERT_EQ(w->List1->count(), 101);
    EXPECT_EQ(w->List1->item(0)->text(), u"50"_s);
    EXPECT_EQ(w->List1->item(100)->text(), u"new"_s);
    w->List1->clear();
    w->dsSocket1_Receive(u"503 Bad sequence\r\n"_s);
    w->dsSocket1_Receive(u"550 No\r\n"_s);
    EXPECT_EQ(log(), QStringList{u"550 No"_s});
}

TEST_F(FtpTest, AMovingUploadOutlastsTheReplyLimit)
{
    useShortReplyLimit();
    timeOutExpected = false;
    loginAndList();
    server.readBytesPer50Ms = 64 * 1024;   // a small receive window keeps it near 40 KB/s
    QByteArray bytes(160 * 1024, 'm');
    bytes[12345] = '\xff';
    selectLocal({{u"slow.bin"_s, bytes}});
    const qint64 started = Platform::tickCount();
    ASSERT_TRUE(upload(15000));
    EXPECT_GT(Platform::tickCount() - started, modFTP::intervals().replyMs);
    EXPECT_EQ(server.stored.value(u"/slow.bin"_s), bytes);
    EXPECT_FALSE(log().contains(u"Time out !"_s));
}

TEST_F(FtpTest, PassiveRepliesGoToTheControlPeerAnd421EndsTheWait)
{
    useShortReplyLimit();
    server.passiveAddress = "10,0,0,9";
    server.listings.insert(u"/"_s, "-rw-r--r-- 1 o g 1 Dec 8 18:57 a.txt\r\n");
    loginAndList();
    EXPECT_TRUE(log().contains(u"Passive reply names 10.0.0.9, connecting to 127.0.0.1"_s));
    EXPECT_NE(w->lsvRemote->rowByKey(u"/a.txt"_s), nullptr);

    server.replies.insert(u"PASV"_s, "227 Entering Passive Mode (127,0,0,1,0,0)\r\n");
    env.dialogs.answerMessage(Platform::Ok);
    TestSupport::clickOn(w->btnList);
    EXPECT_TRUE(log().contains(u"Passive Mode Connect Failed. Port:0 Address: 127.0.0.1"_s));
    EXPECT_EQ(log().mid(log().size() - 2), (QStringList{u"Time out !"_s, u"Listing of / failed ("_s + server.hostPort() + u"): no reply in time"_s}));
    EXPECT_NE(w->lsvRemote->rowByKey(u"/a.txt"_s), nullptr);   // the last whole listing stays

    server.replies.insert(u"PASV"_s, "421 Service closing\r\n");
    env.dialogs.answerMessage(Platform::Ok);
    const qint64 started = Platform::tickCount();
    TestSupport::clickOn(w->btnList);
    EXPECT_LT(Platform::tickCount() - started, 1000);
    EXPECT_TRUE(env.dialogs.wasShown(u"Listing of / failed ("_s + server.hostPort() + u"): the connection was closed"_s));
    EXPECT_EQ(w->btnConnect->text(), u"&Connect"_s);
    EXPECT_FALSE(modFTP::state().ftpConnected);
    env.dialogs.answerMessage(Platform::Ok);
    TestSupport::clickOn(w->btnList);
    EXPECT_TRUE(env.dialogs.wasShown(u"FTP Connection seems closed"_s));
}

TEST_F(FtpTest, AListingStopsAtItsLineOrByteCap)
{
    QByteArray manyLines;
    for (int i = 0; i <= modFTP::kMaxListingLines; ++i)
        manyLines += "-rw-r--r-- 1 o g 1 Dec 8 18:57 f" + QByteArray::number(i) + "\r\n";
    // Lines of 60 KB: the rows within the byte cap are listed, the rest are not.
    QByteArray longLines;
    int linesWithinCap = 0;
    for (int i = 0; longLines.size() <= modFTP::kMaxListingBytes; ++i) {
        longLines += "-rw-r--r-- 1 o g 1 Dec 8 18:57 f" + QByteArray::number(i) + QByteArray(60000, 'n') + "\r\n";
        linesWithinCap += longLines.size() <= modFTP::kMaxListingBytes ? 1 : 0;
    }
    struct Case {
        const char *name;
        QByteArray listing;
        const char *logged;
        int rows;
    } cases[] = {
        {"lines", manyLines, "Listing stopped after 100000 entries", modFTP::kMaxListingLines},
        {"bytes", longLines, "Listing stopped after 16 MB", linesWithinCap},
    };
    loginAndList();
    for (const Case &c : cases) {
        server.listings.insert(u"/"_s, c.listing);
        QTest::mouseClick(w->btnList, Qt::LeftButton);
        EXPECT_TRUE(log().contains(QString::fromLatin1(c.logged))) << c.name;
        EXPECT_EQ(w->lsvRemote->topLevelItemCount(), c.rows + 1) << c.name;   // and the Up row
    }
}

TEST_F(FtpTest, AnUploadCountsOnlyWhenTheServerHoldsEveryByteOrOffersNoSize)
{
    enum Listing { ListsTheName, ListsAnotherFile, RefusesTheName };
    struct Case {
        const char *name;
        QByteArray sizeReply;   // empty: the server answers SIZE
        qint64 keepAtMost;
        Listing listing;
        const char *failure;    // logged; none when both files count as stored
        const char *note;       // logged for each stored file
    } cases[] = {
        {"SIZE, all held", {}, -1, ListsTheName, nullptr, nullptr},
        {"SIZE, cut", {}, 4096, ListsTheName, "the server holds 4096 of 10000 bytes", nullptr},
        {"SIZE refused, listing, all held", "502 Not implemented\r\n", -1, ListsTheName, nullptr, nullptr},
        {"SIZE refused, listing, cut", "550 Not allowed\r\n", 4096, ListsTheName, "the server holds 4096 of 10000 bytes", nullptr},
        {"SIZE refused, name not listed", "502 Not implemented\r\n", -1, ListsAnotherFile, "the server did not confirm its size", nullptr},
        {"SIZE and the name's listing refused", "502 Not implemented\r\n", -1, RefusesTheName, nullptr,
         ": the size was not checked (the server refuses SIZE and the listing of one name)"},
        {"SIZE refused for now, the name's listing refused", "450 Busy\r\n", -1, RefusesTheName,
         "the server did not confirm its size", nullptr},
    };
    loginAndList();
    for (const Case &c : cases) {
        server.replies.remove(u"SIZE"_s);
        if (!c.sizeReply.isEmpty())
            server.replies.insert(u"SIZE"_s, c.sizeReply);
        server.keepAtMost = c.keepAtMost;
        server.listsOneName = c.listing != RefusesTheName;
        server.stored.clear();
        server.listings.clear();
        if (c.listing == ListsAnotherFile)
            server.listings.insert(u"/a page.htm"_s, "-rw-r--r-- 1 o g 10000 Dec 8 18:57 other.htm\r\n");
        storedFiles.clear();
        selectLocal({{u"a page.htm"_s, QByteArray(10000, 'p')}, {u"b.htm"_s, {}}});
        ASSERT_TRUE(upload()) << c.name;
        if (c.failure) {
            EXPECT_TRUE(storedFiles.isEmpty()) << c.name;
            EXPECT_EQ(log().value(log().size() - 1), u"Upload failed: a page.htm: "_s + QString::fromLatin1(c.failure)) << c.name;
            EXPECT_FALSE(server.stored.contains(u"/b.htm"_s)) << c.name;   // the batch ends
        } else {
            EXPECT_EQ(storedFiles, (QStringList{local + u"a page.htm"_s, local + u"b.htm"_s})) << c.name;
        }
        for (const char *file : {"a page.htm", "b.htm"}) {
            EXPECT_EQ(log().count(QString::fromLatin1(file) + QString::fromLatin1(c.note)), c.note ? 1 : 0) << c.name;
        }
        EXPECT_TRUE(w->btnSendFile->isEnabled()) << c.name;
    }
    server.keepAtMost = -1;
}

TEST_F(FtpTest, AListingWhoseDataConnectionStaysOpenEndsAfterItsReply)
{
    server.keepListingOpen = true;
    server.folders.insert(u"/x"_s);
    server.listings.insert(u"/"_s, "-rw-r--r-- 1 o g 1 Dec 8 18:57 a.txt\r\n");
    server.listings.insert(u"/x"_s, "-rw-r--r-- 1 o g 1 Dec 8 18:57 b.txt\r\n");
    loginAndList();   // well within the reply limit
    EXPECT_NE(w->lsvRemote->rowByKey(u"/a.txt"_s), nullptr);
    // Each further listing ends the same way, and the connection goes on.
    QTest::mouseClick(w->btnList, Qt::LeftButton);
    EXPECT_TRUE(waitListed(u"/"_s));
    enterPath(u"/x"_s);
    ASSERT_TRUE(waitListed(u"/x"_s));
    EXPECT_NE(w->lsvRemote->rowByKey(u"/x/b.txt"_s), nullptr);
    selectLocal({{u"c.txt"_s, "c"}});
    ASSERT_TRUE(upload());
    EXPECT_EQ(server.stored.value(u"/x/c.txt"_s), QByteArray("c"));
}

TEST_F(FtpTest, ARefusedLoginFolderShowsTheFolderTheServerIsIn)
{
    struct Case {
        const char *name;
        QByteArray pwdReply;   // empty: the server names its folder
        const char *shown;     // in the path box
        const char *row;       // the key of the listed file
    } cases[] = {
        {"PWD names it", {}, "/", "/a.txt"},
        {"PWD refused too: the login folder", "502 Not implemented\r\n", ".", "a.txt"},
    };
    server.listings.insert(u"/"_s, "-rw-r--r-- 1 o g 1 Dec 8 18:57 a.txt\r\n");
    for (const Case &c : cases) {
        server.replies.remove(u"PWD"_s);
        if (!c.pwdReply.isEmpty())
            server.replies.insert(u"PWD"_s, c.pwdReply);
        env.dialogs.clearLog();
        env.dialogs.answerMessage(Platform::Ok);
        server.stored.clear();
        connectAs(server.hostPort(), server.user, server.password, u"/missing"_s);
        const QString shown = QString::fromLatin1(c.shown);
        ASSERT_TRUE(waitListed(shown)) << c.name;
        EXPECT_EQ(env.dialogs.prompts(), QStringList{u"Folder change to /missing failed ("_s + server.hostPort()
                                                     + u"): 550 No such folder"_s}) << c.name;
        EXPECT_EQ(w->txtRemotePath->text(), shown) << c.name;
        EXPECT_NE(w->lsvRemote->rowByKey(QString::fromLatin1(c.row)), nullptr) << c.name;
        // The upload lands in the folder the pane shows.
        selectLocal({{u"b.txt"_s, "b"}});
        ASSERT_TRUE(upload()) << c.name;
        EXPECT_TRUE(server.stored.contains(u"/b.txt"_s)) << c.name;
        TestSupport::clickOn(w->btnConnect);
    }
}

TEST_F(FtpTest, WithoutPwdARelativeFolderIsReachedFromTheOneTheServerIsIn)
{
    server.replies.insert(u"PWD"_s, "502 Not implemented\r\n");
    server.folders += {u"/public_html"_s, u"/public_html/images"_s};
    server.listings.insert(u"/public_html"_s, "drwxr-xr-x 2 o g 4096 Dec 8 18:57 images\r\n");
    server.listings.insert(u"/public_html/images"_s, "-rw-r--r-- 1 o g 1 Dec 8 18:57 logo.gif\r\n");
    connectAs(server.hostPort(), server.user, server.password, u"public_html"_s);
    ASSERT_TRUE(waitListed(u"public_html"_s));
    EXPECT_EQ(w->txtRemotePath->text(), u"public_html"_s);
    struct Step {
        const char *name;
        std::function<void()> act;
        const char *shown;
        const char *serverIn;
    } steps[] = {
        {"double click on a folder", [&] { doubleClickRow(w->lsvRemote, u"public_html/images"_s); },
         "public_html/images", "/public_html/images"},
        {"up row", [&] { doubleClickRow(w->lsvRemote, u"public_html"_s); }, "public_html", "/public_html"},
        {"typed", [&] { enterPath(u"images"_s); }, "public_html/images", "/public_html/images"},
    };
    for (const Step &step : steps) {
        step.act();
        ASSERT_TRUE(waitListed(QString::fromLatin1(step.shown))) << step.name;
        EXPECT_EQ(server.cwd, QString::fromLatin1(step.serverIn)) << step.name;
        EXPECT_EQ(w->txtRemotePath->text(), QString::fromLatin1(step.shown)) << step.name;
    }
    EXPECT_NE(w->lsvRemote->rowByKey(u"public_html/images/logo.gif"_s), nullptr);
    selectLocal({{u"a.txt"_s, "a"}});
    ASSERT_TRUE(upload());
    EXPECT_TRUE(server.stored.contains(u"/public_html/images/a.txt"_s));
}
