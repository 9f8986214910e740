// Downloads cut short in every way a server can cut them, at the first file and at a later one:
// every file keeps its old bytes.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMouseEvent>

#include <QTimer>

#include "test_update_fixture.h"

using namespace Qt::StringLiterals;
using TestSupport::LoopbackServer;

namespace {

void headerAndPart(QTcpSocket *client, const QByteArray &header)
{
    client->write(header + "0123456789");
}

} // namespace

TEST_F(UpdateTest, ACutDownloadKeepsEveryOldFile)
{
    const QByteArray lengthHeader = "HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\n";
    struct Cut {
        const char *name;
        Answer answer;
    };
    const Cut cuts[] = {
        {"a close in mid-body",
         [&](QTcpSocket *client, int, const QByteArray &) {
             headerAndPart(client, lengthHeader);
             client->flush();
             client->abort();
         }},
        {"a Content-Length longer than the body",
         [&](QTcpSocket *client, int, const QByteArray &) {
             headerAndPart(client, lengthHeader);
             client->disconnectFromHost();
         }},
        {"silence in mid-body", [&](QTcpSocket *client, int, const QByteArray &) { headerAndPart(client, lengthHeader); }},
        {"silence before the status line", [](QTcpSocket *, int, const QByteArray &) {}},
        {"a header that never ends",
         [](QTcpSocket *client, int, const QByteArray &) {
             client->write("HTTP/1.0 200 OK\r\nContent-Length: 4\r\nbody");
             client->disconnectFromHost();
         }},
        {"no status line",
         [](QTcpSocket *client, int, const QByteArray &) {
             client->write("Content-Length: 4\r\n\r\nbody");
             client->disconnectFromHost();
         }},
        {"a status that is not a number",
         [](QTcpSocket *client, int, const QByteArray &) {
             client->write("HTTP/1.0 abc OK\r\nContent-Length: 4\r\n\r\nbody");
             client->disconnectFromHost();
         }},
        {"no Content-Length, held open",
         [](QTcpSocket *client, int, const QByteArray &) { client->write("HTTP/1.0 200 OK\r\n\r\nbody"); }},
        {"an empty body",
         [](QTcpSocket *client, int, const QByteArray &) {
             client->write("HTTP/1.0 200 OK\r\nContent-Length: 0\r\n\r\n");
             client->disconnectFromHost();
         }},
    };
    for (const Cut &cut : cuts) {
        for (int cutFile : {0, 1, 3}) {
            SCOPED_TRACE(std::string(cut.name) + ", file " + std::to_string(cutFile));
            freshRun();
            answers[cutFile] = cut.answer;
            ASSERT_TRUE(runUpdate());
            expectFailureState();
            expectOldFiles();
            EXPECT_EQ(reports, QList<bool>{false});
            EXPECT_EQ(setting("Setting", "Download"), u"1"_s);
            EXPECT_TRUE(env.dialogs.shown().isEmpty());
        }
    }
}

TEST_F(UpdateTest, TheInstallerLinkLightsUpAndOpensTheInstallerAddress)
{
    answers[0] = [](QTcpSocket *client, int, const QByteArray &) {
        client->write("HTTP/1.0 404 Not Found\r\n\r\n");
        client->disconnectFromHost();
    };
    ASSERT_TRUE(runUpdate());
    EXPECT_TRUE(errorLog().contains("StatusCode:404"));
    QMouseEvent move(QEvent::MouseMove, QPointF(2, 2), QPointF(2, 2), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window->Label2, &move);
    EXPECT_TRUE(window->Label2->font().underline());
    QCoreApplication::sendEvent(window->Label1, &move);
    EXPECT_FALSE(window->Label2->font().underline());
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(window->Label2, &press);
    EXPECT_EQ(env.shellRequests, QStringList{u"open:http://"_s + server.hostPort() + u"/update/vqzeng.exe"_s});
}

// A reply that is whole but not the file it should replace stores nothing, and the window
// names the file and what is wrong with it; so do a refusal to serve, a trickle and silence.
TEST_F(UpdateTest, AWrongOrSlowReplyNamesTheFileAndItsReasonAndStoresNothing)
{
    const QString where = server.hostPort();
    struct Case {
        const char *name;
        int file;
        QByteArray reply;   // sent whole and closed; empty: trickled for ever
        QString reason;
    };
    const Case cases[] = {
        {"a web page for the engine database", 0, LoopbackServer::httpReply(200, "<html><body>Moved</body></html>"),
         u"/enginedata/vqzeng5.dat from "_s + where + u" is not the engine data file vqzeng5.dat: it is a web page."_s},
        {"an engine database without engines", 0,
         LoopbackServer::httpReply(200, "Home=x\r\nName=\r\nEND:Version 6.0\r\n"),
         u"vqzeng5.dat: it holds no engine."_s},
        {"engines only after the end marker", 0, LoopbackServer::httpReply(200, "END:Version 6.0\r\nName=Late\r\n"),
         u"vqzeng5.dat: it holds no engine."_s},
        {"category data without an entry", 1, LoopbackServer::httpReply(200, "Arts=1\r\n[No end\r\n"),
         u"catvqs.dat: it holds no engine category entry."_s},
        {"a binary top list", 2, LoopbackServer::httpReply(200, QByteArray("a\0b", 3)), u"top.vqs: it holds binary data."_s},
        {"a category list without a main category", 3, LoopbackServer::httpReply(200, "Music\r\n"),
         u"cat.vqs: it holds no main category."_s},
        {"a ranking file without a section", 4, LoopbackServer::httpReply(200, "Engine=1\r\n"),
         u"vqreng.dat: it has no [Engines] section with a NumOfEngines from 1 to 32767."_s},
        {"a 404", 1, "HTTP/1.0 404 Not Found\r\nContent-Length: 4\r\n\r\ngone",
         where + u" answered \"HTTP/1.0 404 Not Found\" to /enginedata/catvqs.dat."_s},
        {"a status line with markup", 4, "HTTP/1.0 500 <b>Broken</b>\r\n\r\n",
         where + u" answered \"HTTP/1.0 500 <b>Broken</b>\" to /enginedata/vqreng.dat."_s},
        {"a trickle", 1, QByteArray(), where + u" took more than 3 seconds (time-out) to send /enginedata/catvqs.dat."_s},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        freshRun();
        const QByteArray reply = c.reply;
        answers[c.file] = [reply](QTcpSocket *client, int, const QByteArray &) {
            if (!reply.isEmpty()) {
                client->write(reply);
                client->disconnectFromHost();
                return;
            }
            client->write("HTTP/1.0 200 OK\r\nContent-Length: 100000\r\n\r\n[Arts]\r\n");
            auto *drip = new QTimer(client);
            QObject::connect(drip, &QTimer::timeout, client, [client] { client->write("x"); });
            drip->start(100);
        };
        const qsizetype before = server.requests().size();
        ASSERT_TRUE(runUpdate());
        expectFailureState();
        expectOldFiles();
        EXPECT_TRUE(window->Label1->text().contains(c.reason)) << window->Label1->text().toStdString();
        EXPECT_EQ(window->Label1->textFormat(), Qt::PlainText);
        EXPECT_EQ(server.requests().size() - before, c.file + 1);
        EXPECT_TRUE(env.dialogs.shown().isEmpty());
    }
}

// A finished update reminds a user with own engines that they must be merged again.
TEST_F(UpdateTest, ASuccessfulUpdateAsksForTheOwnEnginesToBeMergedAgain)
{
    const QString note = u"Your own engines are not part of the new engine data"_s;
    ASSERT_TRUE(runUpdate());
    EXPECT_EQ(reports, QList<bool>{true});
    EXPECT_FALSE(window->Label1->text().contains(note));

    // Only a custom file that holds an engine asks for it.
    for (const auto &[custom, asks] : {std::pair{"Name=Mine\r\n", true}, std::pair{"# none yet\r\nName=\r\n\r\n", false}}) {
        SCOPED_TRACE(custom);
        freshRun();
        env.writeFile(env.engineDataFolder() + u"vqzengc.dat"_s, custom);
        ASSERT_TRUE(runUpdate());
        EXPECT_EQ(reports, QList<bool>{true});
        EXPECT_TRUE(window->Label1->text().startsWith(u"Engine files have been successfully updated."_s));
        EXPECT_EQ(window->Label1->text().contains(note), asks);
        for (int i = 0; i < clsUpdateEngines::kFileCount; ++i)
            EXPECT_EQ(stored(i), newBody(i) + "\r\n") << i;
    }
}

// A server that goes silent is waited for the time the user set for a server to respond, and
// the window says so in those words.
TEST_F(UpdateTest, ASilentServerIsWaitedForTheTimeOutTheUserSet)
{
    clsUpdateEngines::setIntervals({5, 200, 2, 0, 5000});
    myPreference().setTimeOut(1);
    answers[2] = [](QTcpSocket *client, int, const QByteArray &) {
        client->write("HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\nAlpha");
    };
    ASSERT_TRUE(runUpdate());
    expectFailureState();
    expectOldFiles();
    EXPECT_TRUE(window->Label1->text().contains(server.hostPort() + u" did not answer within 1 s for /enginedata/top.vqs."_s))
        << window->Label1->text().toStdString();
}
