// What the user's clicks and keys do in the FTP window against the in-process server: when Send
// File may send and where the files land, single and double clicks under either desktop setting,
// closing during an upload, type-ahead in both panes, and a listing that never ends whole.
#include "FtpFixture.h"

#include <QDir>
#include <QMessageBox>
#include <QProxyStyle>

using namespace Qt::StringLiterals;

namespace {

// A desktop whose item views open an item on a single click, or on a double click only.
class ClickSettingStyle : public QProxyStyle {
public:
    explicit ClickSettingStyle(bool singleClick) : m_singleClick(singleClick) {}
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        if (hint == SH_ItemView_ActivateItemOnSingleClick)
            return m_singleClick ? 1 : 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }

private:
    bool m_singleClick;
};

} // namespace

TEST_F(FtpTest, SendFileWaitsUntilTheServerIsInTheFolderThePathBoxShows)
{
    server.folders += {u"/pages"_s, u"/pages/docs"_s};
    expectSendsLandInTheShownFolder(server.hostPort(), [&] {
        const QStringList landed = server.stored.keys();
        server.stored.clear();
        return landed;
    });
    // A blank path box: the file goes to the folder the server is in, which the box shows again.
    connectAs(server.hostPort(), server.user, server.password, u"/pages"_s);
    ASSERT_TRUE(waitListed(u"/pages"_s));
    w->txtRemotePath->clear();
    const int folderChanges = countSent(u"CWD"_s);
    ASSERT_TRUE(upload());
    EXPECT_EQ(server.stored.keys(), QStringList{u"/pages/a.txt"_s});
    EXPECT_EQ(w->txtRemotePath->text(), u"/pages"_s);
    EXPECT_EQ(countSent(u"CWD"_s), folderChanges);
}

TEST_F(FtpTest, ASingleClickOnlySelectsWhateverTheDesktopSetting)
{
    server.folders.insert(u"/pub"_s);
    server.listings.insert(u"/"_s, "drwxr-xr-x 2 o g 4096 Dec 8 18:57 pub\r\n");
    QDir().mkpath(local + u"sub"_s);
    TestSupport::TestEnvironment::writeFile(local + u"sub/inner.htm"_s, "i");
    for (const bool singleClick : {true, false}) {
        ClickSettingStyle style(singleClick);
        w->lsvDirs->setStyle(&style);
        w->lsvRemote->setStyle(&style);
        server.stored.clear();
        loginAndList();
        selectLocal({{u"a.txt"_s, "a"}});
        const int commands = server.commands.size();
        // One click on a file, on a local folder and on a remote folder: each is only selected.
        const QList<std::pair<KeyedListView *, QString>> rows{
            {w->lsvDirs, local + u"a.txt"_s}, {w->lsvDirs, local + u"sub"_s}, {w->lsvRemote, u"/pub"_s}};
        for (const auto &[list, key] : rows) {
            TestSupport::clickRow(list, list->rowByKey(key));
            EXPECT_TRUE(list->rowByKey(key) && list->rowByKey(key)->isSelected()) << singleClick << key.toStdString();
        }
        Platform::waitUntil([] { return false; }, 200);   // time for a wrongly started step to show
        EXPECT_EQ(server.commands.size(), commands) << singleClick;
        EXPECT_EQ(w->lsvDirs->rowByKey(local + u"sub/inner.htm"_s), nullptr) << singleClick;
        // A double click sends a file and opens a folder, in either pane.
        doubleClickRow(w->lsvDirs, local + u"a.txt"_s);
        EXPECT_TRUE(within(kStepMs, [&] { return server.stored.contains(u"/a.txt"_s) && idle(); })) << singleClick;
        doubleClickRow(w->lsvDirs, local + u"sub"_s);
        EXPECT_NE(w->lsvDirs->rowByKey(local + u"sub/inner.htm"_s), nullptr) << singleClick;
        doubleClickRow(w->lsvRemote, u"/pub"_s);
        EXPECT_TRUE(waitListed(u"/pub"_s)) << singleClick;
        EXPECT_EQ(server.stored.size(), 1) << singleClick;
        TestSupport::clickOn(w->btnConnect);
        w->lsvDirs->setStyle(nullptr);
        w->lsvRemote->setStyle(nullptr);
    }
}

TEST_F(FtpTest, ClosingDuringAnUploadAsksWhetherToStopIt)
{
    enum Way { CloseButton, TitleBarX, EscKey };
    enum When { Before, DuringNo, DuringYes, After };
    struct Case {
        Way way;
        When when;
    } cases[] = {
        {CloseButton, Before}, {TitleBarX, Before}, {EscKey, Before},
        {CloseButton, DuringNo}, {TitleBarX, DuringNo}, {EscKey, DuringNo},
        {CloseButton, DuringYes}, {TitleBarX, DuringYes}, {EscKey, DuringYes},
        {CloseButton, After}, {EscKey, After},
    };
    // Far more than the socket buffers hold: a stop leaves the server a cut copy.
    const QByteArray bytes(24 * 1024 * 1024, 'u');
    const QString errorLog = env.programFolder() + u"Error.log"_s;
    for (const Case &c : cases) {
        const std::string name = std::to_string(c.way) + "/" + std::to_string(c.when);
        if (!w) {
            w = frmFTPClient::instance();
            ASSERT_TRUE(TestSupport::showWindow(w));
        }
        env.dialogs.clearLog();
        server.stored.clear();
        // The server takes a pause early in the upload: the close comes during it.
        server.pauseReadingAfterBytes = 64 * 1024;
        server.pauseReadingForMs = 1000;
        loginAndList();
        selectLocal({{u"big.bin"_s, bytes}, {u"next.txt"_s, "n"}});
        const auto closeWindow = [&] {
            if (c.way == CloseButton)
                TestSupport::clickOn(w->btnClose);
            else if (c.way == TitleBarX)
                w->close();   // the close event the window manager sends for the X
            else
                QTest::keyClick(w->lsvDirs, Qt::Key_Escape);
        };
        if (c.when == DuringNo || c.when == DuringYes) {
            env.dialogs.answerMessage(c.when == DuringYes ? Platform::Yes : Platform::No);
            QTimer::singleShot(300, w.data(), closeWindow);   // inside the upload's waits
        }
        // Over when the batch has ended (Send File is back) or the window has gone.
        const auto over = [&] {
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);   // a close outside any wait
            return !w || (idle() && w->btnSendFile->isEnabled());
        };
        if (c.when != Before) {
            TestSupport::clickOn(w->btnSendFile);
            ASSERT_TRUE(within(kStepMs, over)) << name;
        }
        if (c.when == Before || c.when == After) {
            closeWindow();
            EXPECT_TRUE(within(kStepMs, [&] { return over() && !w; })) << name;
        }
        const QList<TestSupport::ShownDialog> shown = env.dialogs.shown();
        if (c.when == Before || c.when == After) {
            EXPECT_TRUE(shown.isEmpty()) << name;
            continue;
        }
        ASSERT_EQ(shown.size(), 1) << name;
        EXPECT_EQ(shown[0].prompt, u"An upload is under way: big.bin. Stopped now, the server keeps only the part it has "
                                   u"received.\r\n\r\nStop the upload and close the window?"_s) << name;
        EXPECT_EQ(shown[0].style, Platform::YesNo | Platform::Question | Platform::DefaultButton2) << name;
        if (c.when == DuringNo) {
            EXPECT_EQ(server.stored.value(u"/big.bin"_s), bytes) << name;
            EXPECT_EQ(server.stored.value(u"/next.txt"_s), "n") << name;
            ASSERT_TRUE(w && w->isVisible()) << name;
            TestSupport::clickOn(w->btnConnect);
            continue;
        }
        // Stopped: the log names the file with what the server holds of it, and the batch ends.
        const qint64 held = server.stored.value(u"/big.bin"_s, "missing").size();
        EXPECT_GE(held, 64 * 1024) << name;
        EXPECT_LT(held, bytes.size()) << name;
        const QByteArray stopped = "Upload stopped: big.bin: the server holds " + QByteArray::number(held) + " of "
                                   + QByteArray::number(bytes.size()) + " bytes";
        EXPECT_TRUE(TestSupport::TestEnvironment::readFile(errorLog).contains(stopped)) << name;
        EXPECT_FALSE(server.stored.contains(u"/next.txt"_s)) << name;
        EXPECT_EQ(frmFTPClient::loadedInstance(), nullptr) << name;
    }
}

// Disconnect during an upload asks what Close asks, in the real box: Enter and Esc keep the upload
// going (No is the default); Yes cuts it, names the file with the bytes the server holds, as Close
// does, and disconnects. Before and after an upload Disconnect asks nothing. By the mouse, Alt+I and
// Space on the focused button; against the in-process server, which pauses early in the upload, and
// the real one, which reads it slowly.
TEST_F(FtpTest, DisconnectDuringAnUploadAsksAsCloseDoes)
{
    enum When { Before, DuringEnter, DuringEsc, DuringYes, After };
    enum Press { Click, AltI, Space };   // the mouse, the caption's mnemonic, the focused button's key
    struct Case {
        bool real;
        When when;
        Press press;
    } cases[] = {
        {false, Before, AltI}, {false, DuringEnter, Click}, {false, DuringEsc, AltI}, {false, DuringYes, Space},
        {false, DuringYes, AltI}, {false, After, Space}, {true, DuringEsc, Click}, {true, DuringYes, Click},
    };
    // Far more than the socket buffers hold: a stop leaves the server a cut copy.
    const QByteArray bytes(24 * 1024 * 1024, 'u');
    const QString root = env.root() + u"/served"_s;
    ASSERT_TRUE(QDir().mkpath(root));
    TestSupport::PyFtpdFaults slowReader;
    slowReader.readBytesPerSecond = 6 * 1024 * 1024;   // half the file at once, the rest 2 s later
    TestSupport::PyFtpdServer ftpd(root, u"web"_s, u"secret"_s, slowReader);
    ASSERT_TRUE(ftpd.started()) << ftpd.failure().toStdString();
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.real ? "pyftpdlib " : "in-process ") + std::to_string(c.when) + "/"
                     + std::to_string(c.press));
        const auto pressDisconnect = [&] {
            if (c.press == AltI) {
                pressAlt(Qt::Key_I);
            } else if (c.press == Space) {
                w->btnConnect->setFocus();
                QTest::keyClick(w->btnConnect, Qt::Key_Space);
            } else {
                TestSupport::clickOn(w->btnConnect);
            }
        };
        // What the server holds of a file; -1 for none.
        const auto held = [&](const QString &name) -> qint64 {
            if (!c.real)
                return server.stored.contains(u'/' + name) ? server.stored.value(u'/' + name).size() : -1;
            return QFile::exists(root + u'/' + name) ? QFileInfo(root + u'/' + name).size() : -1;
        };
        server.stored.clear();
        QFile::remove(root + u"/big.bin"_s);
        QFile::remove(root + u"/next.txt"_s);
        server.pauseReadingAfterBytes = 64 * 1024;
        server.pauseReadingForMs = 1000;
        if (c.real)
            connectAs(ftpd.hostPort(), u"web"_s, u"secret"_s);
        else
            connectAs(server.hostPort(), server.user, server.password);
        ASSERT_TRUE(waitListed(u"/"_s));
        selectLocal({{u"big.bin"_s, bytes}, {u"next.txt"_s, "n"}});
        env.dialogs.clearLog();
        if (c.when == After) {
            ASSERT_TRUE(upload());
            EXPECT_EQ(held(u"big.bin"_s), bytes.size());
        }
        QString question;
        if (c.when == Before || c.when == After) {
            pressDisconnect();
        } else {
            env.dialogs.uninstall();   // the real box: Qt's own Enter, Esc and Yes decide
            QTimer::singleShot(300, w.data(), [&] {   // inside the upload
                TestSupport::whenMessageBoxShows([&](QMessageBox &box) {
                    question = box.text();
                    if (c.when == DuringYes)
                        TestSupport::clickOn(box.button(QMessageBox::Yes));
                    else
                        TestSupport::pressKey(&box, c.when == DuringEnter ? Qt::Key_Return : Qt::Key_Escape);
                });
                pressDisconnect();
            });
            TestSupport::clickOn(w->btnSendFile);
        }
        const bool goesOn = c.when == DuringEnter || c.when == DuringEsc;
        EXPECT_TRUE(within(kStepMs, [&] {
            return idle() && (goesOn ? held(u"next.txt"_s) == 1 : w->btnConnect->text() == u"&Connect"_s);
        }));
        env.dialogs.install();
        EXPECT_TRUE(env.dialogs.shown().isEmpty());
        EXPECT_TRUE(log().filter(u"Upload stopped"_s).isEmpty() || c.when == DuringYes);
        if (c.when == Before || c.when == After) {
            EXPECT_TRUE(log().contains(u"Disconnect !"_s));
            continue;
        }
        EXPECT_EQ(question, u"An upload is under way: big.bin. Stopped now, the server keeps only the part it has "
                            u"received.\r\n\r\nStop the upload and disconnect?"_s);
        if (goesOn) {
            EXPECT_EQ(held(u"big.bin"_s), bytes.size());
            EXPECT_EQ(w->btnConnect->text(), u"D&isconnect"_s);
            TestSupport::clickOn(w->btnConnect);
            continue;
        }
        const qint64 cut = held(u"big.bin"_s);
        EXPECT_GT(cut, 0);
        EXPECT_LT(cut, bytes.size());
        const QString stopped = u"Upload stopped: big.bin: the server holds "_s + QString::number(cut) + u" of "_s
                                + QString::number(bytes.size()) + u" bytes"_s;
        EXPECT_TRUE(log().contains(stopped)) << log().join(u'\n').toStdString();
        EXPECT_TRUE(TestSupport::TestEnvironment::readFile(env.programFolder() + u"Error.log"_s).contains(stopped.toLatin1()));
        EXPECT_EQ(held(u"next.txt"_s), -1);
        EXPECT_FALSE(modFTP::state().ftpConnected);
    }
}

// While a listing is read, whether it stalls or its data connection closed without the final
// reply, Send File is disabled and the log says a listing is being read; Alt+S does nothing, and a
// double click or Enter on a file is refused with a word in the log. Nothing goes then or after the
// listing's box, and Send File sends once the listing has ended.
TEST_F(FtpTest, SendFileWaitsForTheListing)
{
    for (const bool dataStaysOpen : {false, true}) {
        SCOPED_TRACE(dataStaysOpen ? "stalled" : "cut");
        useShortReplyLimit();
        loginAndList();
        selectLocal({{u"a.txt"_s, "a"}});
        server.sendListingReply = false;
        server.keepListingOpen = dataStaysOpen;
        env.dialogs.clearLog();
        env.dialogs.answerMessage(Platform::Ok);
        const qsizetype listingsLogged = log().filter(u"Reading the listing of /"_s).size();
        const int stores = countSent(u"STOR"_s);
        bool tried = false;
        QTimer::singleShot(300, w.data(), [&] {   // inside the listing's wait
            tried = true;
            EXPECT_TRUE(w->isBusy());
            EXPECT_FALSE(w->btnSendFile->isEnabled());
            EXPECT_EQ(log().filter(u"Reading the listing of /"_s).size(), listingsLogged + 1);
            TestSupport::clickOn(w->btnSendFile);
            pressAlt(Qt::Key_S);
            doubleClickRow(w->lsvDirs, local + u"a.txt"_s);
            w->lsvDirs->setFocus();
            w->lsvDirs->setCurrentItem(w->lsvDirs->rowByKey(local + u"a.txt"_s));
            QTest::keyClick(w->lsvDirs, Qt::Key_Return);
            EXPECT_EQ(log().filter(u"Send File waits: the listing of / is being read"_s).size(), 2);
        });
        TestSupport::clickOn(w->btnList);
        EXPECT_TRUE(tried);
        EXPECT_TRUE(within(kStepMs, [&] { return idle() && w->btnSendFile->isEnabled(); }));
        ASSERT_EQ(env.dialogs.shown().size(), 1);
        EXPECT_TRUE(env.dialogs.shown()[0].prompt.startsWith(u"Listing of / failed"_s));
        Platform::waitUntil([] { return false; }, 200);   // time for a click kept back to go
        EXPECT_EQ(countSent(u"STOR"_s), stores);
        server.sendListingReply = true;
        server.keepListingOpen = false;
        ASSERT_TRUE(upload());
        EXPECT_EQ(server.stored.keys(), QStringList{u"/a.txt"_s});
        server.stored.clear();
        TestSupport::clickOn(w->btnConnect);
    }
}

TEST_F(FtpTest, TypingAFoldersFirstLettersSelectsItInBothPanes)
{
    server.listings.insert(u"/"_s, "-rw-r--r-- 1 o g 1 Dec 8 18:57 index.htm\r\n"
                                   "drwxr-xr-x 2 o g 4096 Dec 8 18:57 images\r\n");
    loginAndList();
    QDir().mkpath(local + u"images"_s);
    TestSupport::TestEnvironment::writeFile(local + u"index.htm"_s, "i");
    w->addDirs(local);
    for (KeyedListView *list : {w->lsvDirs, w->lsvRemote}) {
        const QString images = list == w->lsvDirs ? local + u"images"_s : u"/images"_s;
        // The Up row first, then the folders, then the files.
        EXPECT_EQ(itemImageKey(list->topLevelItem(0)), u"Up"_s);
        EXPECT_EQ(Platform::itemKey(list->topLevelItem(1)), images);
        list->setFocus();
        QTest::keyClicks(list, u"im"_s);
        ASSERT_NE(list->currentItem(), nullptr);
        EXPECT_EQ(Platform::itemKey(list->currentItem()), images);
        EXPECT_EQ(list->currentItem()->text(0), u"images"_s);
    }
}

TEST_F(FtpTest, AListingThatNeverEndsWholeIsNamedAndShowsTheLastWholeOne)
{
    useShortReplyLimit();
    server.folders.insert(u"/x"_s);
    server.listings.insert(u"/"_s, "-rw-r--r-- 1 o g 1 Dec 8 18:57 a.txt\r\n");
    const QByteArray partial = "-rw-r--r-- 1 o g 1 Dec 8 18:57 half.txt\r\n";
    server.listings.insert(u"/x"_s, partial);
    struct Case {
        const char *name;
        bool dataStaysOpen;
        const char *reason;
    } cases[] = {
        {"stalls", true, "the listing stalled"},
        {"closes without its 226", false, "the data connection closed without the server's 226"},
    };
    for (const Case &c : cases) {
        server.keepListingOpen = false;
        server.sendListingReply = true;
        loginAndList();
        server.keepListingOpen = c.dataStaysOpen;
        server.sendListingReply = false;
        // Refresh: the folder's last whole listing stays. Another folder: no rows but the Up row.
        for (const char *folder : {"/", "/x"}) {
            env.dialogs.clearLog();
            env.dialogs.answerMessage(Platform::Ok);
            if (QString::fromLatin1(folder) == u"/"_s)
                QTest::mouseClick(w->btnList, Qt::LeftButton);
            else
                enterPath(u"/x"_s);
            ASSERT_TRUE(within(kStepMs, [&] { return idle() && !env.dialogs.shown().isEmpty(); })) << c.name << folder;
            const QString failure = u"Listing of "_s + QString::fromLatin1(folder) + u" failed ("_s + server.hostPort()
                                    + u"): "_s + QString::fromLatin1(c.reason);
            EXPECT_EQ(env.dialogs.prompts(), QStringList{failure}) << c.name << folder;
            EXPECT_EQ(log().last(), failure) << c.name << folder;
            EXPECT_EQ(w->txtRemotePath->text(), QString::fromLatin1(folder)) << c.name << folder;
            const QStringList expected = QString::fromLatin1(folder) == u"/"_s ? QStringList{u"a.txt"_s, QString(QChar(0xA0))}
                                                                               : QStringList{QString(QChar(0xA0))};
            EXPECT_EQ(remoteNames(), expected) << c.name << folder;
        }
        // The connection goes on: a whole listing shows again.
        server.keepListingOpen = false;
        server.sendListingReply = true;
        QTest::mouseClick(w->btnList, Qt::LeftButton);
        EXPECT_TRUE(waitListed(u"/x"_s)) << c.name;
        EXPECT_NE(w->lsvRemote->rowByKey(u"/x/half.txt"_s), nullptr) << c.name;
        TestSupport::clickOn(w->btnConnect);
    }
}
