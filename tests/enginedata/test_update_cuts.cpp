// Downloads cut short in every way a server can cut them, at the first file and at a later one:
// the cut file and those after it keep their old bytes, the ones before it stay downloaded.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMouseEvent>

#include "test_update_fixture.h"

using namespace Qt::StringLiterals;

namespace {

void headerAndPart(QTcpSocket *client, const QByteArray &header)
{
    client->write(header + "0123456789");
}

} // namespace

TEST_F(UpdateTest, ACutDownloadKeepsTheCutFileAndTheOnesAfterItAsTheyWere)
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
        for (int cutFile : {0, 3}) {
            SCOPED_TRACE(std::string(cut.name) + ", file " + std::to_string(cutFile));
            freshRun();
            answers[cutFile] = cut.answer;
            ASSERT_TRUE(runUpdate());
            for (int i = 0; i < frmUpdateEngines::kFileCount; ++i)
                EXPECT_EQ(stored(i), i < cutFile ? newBody(i) + "\r\n" : oldBytes(i)) << i;
            expectFailureState();
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
