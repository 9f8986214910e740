// The news window against a loopback server set as the vendor's host: fetched, stored, compared
// by date and shown; the stored message alone when the check at open is off.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTcpSocket>
#include <QTimer>

#include "core/clsPreference.h"
#include "core/modCommon.h"
#include "enginedata/frmNews.h"
#include "platform/EventLoop.h"
#include "platform/SettingsStore.h"
#include "support/FailingWrites.h"
#include "support/LoopbackServer.h"
#include "support/TestEnvironment.h"
#include "support/UserInput.h"
#include "transport/frmHTTP.h"

using namespace Qt::StringLiterals;
using TestSupport::LoopbackServer;

namespace {

const QByteArray kNews = "[News]\r\nTitle=New engine data available\r\nDate=2026-12-01\r\n"
                         "Message=The engine data was refreshed today.\r\nSecond line, Message= kept.";
const QString kNewsMessage = u"The engine data was refreshed today.\r\nSecond line, Message= kept.\r\n"_s;
const QByteArray kOlder = "[News]\r\nTitle=Older news\r\nDate=2026-11-01\r\nMessage=Old message\r\n";
const QString kDefaultMessage = u"Best professional web promotion site submission software for all business."_s;

} // namespace

class NewsTest : public TestSupport::VelquistTest {
protected:
    void SetUp() override
    {
        qputenv("VELQUIST_VENDOR_HOST", server.hostPort().toUtf8());
        myPreference().setTimeOut(5);
    }
    void TearDown() override { delete frmNews::loadedInstance(); }

    static QString newsFile() { return frmNews::newsFile(); }
    static void setCheckAtOpen(const char *value)
    {
        Platform::saveSetting(u"Velquist"_s, u"News"_s, u"CheckNewMsgAtOpen"_s, QString::fromLatin1(value));
    }
    // Opens the window and waits until its opening steps, and any fetch they start, have ended.
    frmNews *open()
    {
        frmNews *news = frmNews::instance();
        EXPECT_TRUE(TestSupport::showWindow(news));
        Platform::waitUntil([news, this] { return settled(news); }, 5000);
        return news;
    }
    bool settled(frmNews *news) const
    {
        return !news->lblTitle->text().isEmpty() && news->lblTitle->text() != u"Checking New Message ..."_s
               && !frmHTTP::loadedInstance();
    }
    QString message(frmNews *news) const { return modCommon::multiLineText(news->txtMessage); }

    LoopbackServer server;
};

TEST_F(NewsTest, RepliesAreStoredAndShownByTheirDate)
{
    struct Case {
        const char *name;
        QByteArray storedBefore;   // empty: no stored file
        int status;
        QByteArray reply;
        const char *box;           // the box shown first, or nothing
        QString title;
        QString message;
        bool storesReply;
    };
    const Case cases[] = {
        {"the first check ever", "", 200, kNews, nullptr, u"New engine data available"_s, kNewsMessage, true},
        {"a newer date", kOlder, 200, kNews, nullptr, u"New engine data available"_s, kNewsMessage, true},
        {"the same reply again", kNews + "\r\n", 200, kNews, "No New Message !", u"New engine data available"_s,
         kNewsMessage, true},
        {"a reply without Title=", kOlder, 200, "[News]\r\nDate=2026-12-24\r\nMessage=x", "No New Message !",
         u"Older news"_s, u"Old message\r\n"_s, false},
        {"status 203", kOlder, 203, kNews, "No New Message !", u"Older news"_s, u"Old message\r\n"_s, false},
        // Without a stored message the window ends as a failed check does: nothing shown, the
        // button back.
        {"a web page and no stored file", "", 200, "<html><body>Not here</body></html>", "No New Message !", QString(),
         QString(), false},
        {"a date far into the text", kOlder, 200,
         "[News]\r\nTitle=Big\r\nPad=" + QByteArray(40000, 'x') + "\r\nDate=2026-12-31\r\nMessage=after the padding",
         nullptr, u"Big"_s, u"after the padding\r\n"_s, true},
        {"a short date, unchanged", "[News]\r\nDate=2026-1-1\r\nTitle=T\r\nMessage=M\r\n", 200,
         "[News]\r\nDate=2026-1-1\r\nTitle=T\r\nMessage=M", "No New Message !", u"T"_s, u"M\r\n"_s, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(newsFile());
        if (!c.storedBefore.isEmpty())
            env.writeFile(newsFile(), c.storedBefore);
        server.replyWith(LoopbackServer::httpReply(c.status, c.reply));
        if (c.box)
            env.dialogs.answerMessage(Platform::Ok);
        const qsizetype before = server.requests().size();
        frmNews *news = frmNews::instance();
        ASSERT_TRUE(TestSupport::showWindow(news));
        // The check has been answered: a title other than the checking one, or none at all.
        ASSERT_TRUE(Platform::waitUntil([&] {
            return server.requests().size() > before && !frmHTTP::loadedInstance()
                   && news->lblTitle->text() != u"Checking New Message ..."_s;
        }, 5000));
        EXPECT_EQ(env.dialogs.prompts(), c.box ? QStringList{QString::fromLatin1(c.box)} : QStringList());
        EXPECT_EQ(news->lblTitle->text(), c.title);
        EXPECT_EQ(message(news), c.message);
        EXPECT_EQ(TestSupport::TestEnvironment::readFile(newsFile()), c.storesReply ? c.reply + "\r\n" : c.storedBefore);
        // A reply that is no news ends the check as a failed one does: the button comes back.
        EXPECT_EQ(news->cmdNewMessage->isEnabled(), !c.storesReply);
        EXPECT_TRUE(news->Check1->isChecked());
        TestSupport::clickOn(news->cmdClose);
        Platform::waitUntil([] { return !frmNews::loadedInstance(); }, 1000);
        TestSupport::TestEnvironment::dropQueuedCalls();
        env.dialogs.clearLog();
    }
    EXPECT_EQ(Platform::getSetting(u"Velquist"_s, u"News"_s, u"CheckNewMsgAtOpen"_s), u"1"_s);
}

TEST_F(NewsTest, WithoutTheCheckAtOpenTheStoredMessageIsShown)
{
    struct Case {
        const char *name;
        QByteArray stored;   // empty: no stored file
        QString title;
        QString message;
    };
    const Case cases[] = {
        {"title and message", kOlder, u"Older news"_s, u"Old message\r\n"_s},
        {"no title", "[News]\r\nMessage=Only a message", u"Velquist"_s, u"Only a message"_s},
        {"no Message=", "[News]\r\nTitle=Only a title\r\n", u"Velquist V6.0"_s, kDefaultMessage},
        {"keys in lower case", "[news]\r\ntitle=t\r\ndate=d\r\nmessage=m\r\n", u"Velquist V6.0"_s, kDefaultMessage},
        {"no stored file", "", u""_s, u""_s},
    };
    setCheckAtOpen("0");
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(newsFile());
        if (!c.stored.isEmpty())
            env.writeFile(newsFile(), c.stored);
        else
            env.dialogs.answerMessage(Platform::Ok);
        frmNews *news = frmNews::instance();
        EXPECT_TRUE(TestSupport::showWindow(news));
        Platform::waitUntil([&] { return !news->lblTitle->text().isEmpty() || !env.dialogs.shown().isEmpty(); }, 2000);
        EXPECT_EQ(news->lblTitle->text(), c.title);
        EXPECT_EQ(message(news), c.message);
        EXPECT_FALSE(news->Check1->isChecked());
        if (c.stored.isEmpty()) {
            ASSERT_EQ(env.dialogs.shown().size(), 1);
            EXPECT_TRUE(env.dialogs.shown()[0].prompt.startsWith(u"loadMessage_Error: "_s));
        }
        EXPECT_EQ(server.connectionCount(), 0);
        TestSupport::clickOn(news->cmdClose);
        TestSupport::TestEnvironment::dropQueuedCalls();
        env.dialogs.clearLog();
    }
}

TEST_F(NewsTest, AFailedCheckShowsItsBoxThenTheStoredMessageAndCanBeTriedAgain)
{
    struct Case {
        const char *name;
        int status;   // 0: nobody listens
        const char *box;
        bool stored;
    };
    const Case cases[] = {
        {"refused", 0, "HTTPConnect_Error: ", true},
        {"refused, nothing stored", 0, "HTTPConnect_Error: ", false},
        {"status 404", 404, "URL not found.", true},
        {"status 500", 500, "ConnectError - StatusCode: 500", true},
        {"unwritable folder", 200, "showNewMessage_Error: ", true},
    };
    QByteArray refusedHost;
    {
        LoopbackServer gone;   // a port nobody listens on any more
        refusedHost = gone.hostPort().toUtf8();
    }
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(newsFile());
        if (c.stored)
            env.writeFile(newsFile(), kOlder);
        if (c.status == 0) {
            qputenv("VELQUIST_VENDOR_HOST", refusedHost);
        } else {
            qputenv("VELQUIST_VENDOR_HOST", server.hostPort().toUtf8());
            server.replyWith(LoopbackServer::httpReply(c.status, kNews));
        }
        TestSupport::FailingWrites failing(0, newsFile());
        env.dialogs.answerMessage(Platform::Ok);
        frmNews *news = frmNews::instance();
        EXPECT_TRUE(TestSupport::showWindow(news));
        ASSERT_TRUE(Platform::waitUntil([&] { return !env.dialogs.shown().isEmpty() && news->cmdNewMessage->isEnabled(); }, 5000));
        Platform::waitUntil([] { return !frmHTTP::loadedInstance(); }, 2000);
        EXPECT_EQ(env.dialogs.prompts().size(), 1);
        EXPECT_TRUE(env.dialogs.shown()[0].prompt.startsWith(QString::fromLatin1(c.box)));
        EXPECT_EQ(news->lblTitle->text(), c.stored ? u"Older news"_s : QString());
        EXPECT_EQ(message(news), c.stored ? u"Old message\r\n"_s : QString());
        EXPECT_EQ(TestSupport::TestEnvironment::readFile(newsFile()), c.stored ? kOlder : QByteArray());
        TestSupport::clickOn(news->cmdClose);
        TestSupport::TestEnvironment::dropQueuedCalls();
        env.dialogs.clearLog();
    }
}

TEST_F(NewsTest, AReplyAfterTheWindowClosedIsDropped)
{
    server.setHandler([](QTcpSocket *client, const QByteArray &) {
        QTimer::singleShot(300, client, [client] {
            client->write(LoopbackServer::httpReply(200, kNews));
            client->disconnectFromHost();
        });
    });
    frmNews *news = frmNews::instance();
    EXPECT_TRUE(TestSupport::showWindow(news));
    ASSERT_TRUE(server.waitForRequests(1, 5000));
    TestSupport::clickOn(news->cmdClose);
    EXPECT_FALSE(frmNews::loadedInstance());
    Platform::waitUntil([] { return !frmHTTP::loadedInstance(); }, 3000);
    EXPECT_FALSE(frmHTTP::loadedInstance());
    EXPECT_FALSE(QFile::exists(newsFile()));
    EXPECT_TRUE(env.dialogs.shown().isEmpty());
}

TEST_F(NewsTest, AVeryLongLineIsShownBrokenAndStoredWhole)
{
    const QByteArray stored = "[News]\r\nTitle=Long\r\nDate=2026-12-02\r\nMessage=" + QByteArray(100000, 'w') + "\r\nend\r\n";
    env.writeFile(newsFile(), stored);
    setCheckAtOpen("0");
    frmNews *news = frmNews::instance();
    EXPECT_TRUE(TestSupport::showWindow(news));
    ASSERT_TRUE(Platform::waitUntil([news] { return news->lblTitle->text() == u"Long"_s; }, 5000));
    const QStringList lines = message(news).split(u"\r\n"_s);
    ASSERT_EQ(lines.size(), 100000 / NewsText::kMaxShownLineChars + 3);
    for (const QString &line : lines)
        EXPECT_LE(line.size(), NewsText::kMaxShownLineChars);
    EXPECT_EQ(lines.join(QString()), QString(100000, u'w') + u"end"_s);
    EXPECT_EQ(TestSupport::TestEnvironment::readFile(newsFile()), stored);

    const struct { QString message, shown; } cases[] = {
        {QString(1025, u'a'), QString(1024, u'a') + u"\r\na"_s},
        {QString(1024, u'a') + u"\r\n"_s + QString(1024, u'b'), QString(1024, u'a') + u"\r\n"_s + QString(1024, u'b')},
        {QString(NewsText::kMaxShownChars + 5, u'\n'), QString(NewsText::kMaxShownChars, u'\n')},
    };
    for (const auto &c : cases)
        EXPECT_EQ(NewsText::shownText(c.message), c.shown);
}

// A title of one huge word from the vendor is stored whole, and shown cut and broken at every
// opening, fetched or stored; markup in it is shown as text.
TEST_F(NewsTest, AHugeTitleIsShownCutAndBrokenAtEveryOpening)
{
    const QByteArray title = "<b>" + QByteArray(1024 * 1024, 't');
    const QByteArray reply = "[News]\r\nTitle=" + title + "\r\nDate=2026-12-03\r\nMessage=short";
    server.replyWith(LoopbackServer::httpReply(200, reply));
    const QString expected = NewsText::shownTitle(QString::fromLatin1(title));
    for (const char *checkAtOpen : {"1", "0"}) {
        SCOPED_TRACE(checkAtOpen);
        setCheckAtOpen(checkAtOpen);
        frmNews *news = open();
        ASSERT_TRUE(settled(news));
        EXPECT_EQ(news->lblTitle->text(), expected);
        EXPECT_EQ(news->lblTitle->textFormat(), Qt::PlainText);
        EXPECT_EQ(message(news), u"short\r\n"_s);
        delete news;
    }
    EXPECT_EQ(TestSupport::TestEnvironment::readFile(newsFile()), reply + "\r\n");

    const QStringList lines = expected.split(u'\n');
    EXPECT_EQ(lines.join(QString()), QString::fromLatin1(title.left(NewsText::kMaxTitleChars)));
    for (const QString &line : lines)
        EXPECT_LE(line.size(), NewsText::kMaxTitleLineChars);
    EXPECT_EQ(NewsText::shownTitle(u"a\nb"_s), u"a\nb"_s);
}

// A long title breaks at blanks, and inside a word only when the word is longer than a line.
TEST_F(NewsTest, TheTitleBreaksAtBlanks)
{
    const QString words = u"Engine data for the redesigned directories is ready: update your engine data today"_s;
    const QString longWord = QString(70, u'w');
    const struct { QString title, shown; } cases[] = {
        {words, u"Engine data for the redesigned directories is ready: update your\nengine data today"_s},
        {u"Short title"_s, u"Short title"_s},
        {u"a "_s + longWord + u" b"_s, u"a\n"_s + longWord.left(64) + u"\n"_s + longWord.mid(64) + u" b"_s},
        {QString(64, u'x') + u" y"_s, QString(64, u'x') + u"\ny"_s},
    };
    for (const auto &c : cases)
        EXPECT_EQ(NewsText::shownTitle(c.title), c.shown) << c.title.toStdString();

    setCheckAtOpen("0");
    env.writeFile(newsFile(), "[News]\r\nTitle=" + words.toLatin1() + "\r\nDate=2026-12-03\r\nMessage=short\r\n");
    frmNews *news = open();
    ASSERT_TRUE(settled(news));
    EXPECT_EQ(news->lblTitle->text(), cases[0].shown);
    delete news;
}
