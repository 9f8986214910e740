// The engine data update: five files downloaded and stored whole, straight or through a proxy
// that asks for a login, and the connect failures.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QProgressBar>
#include <QTimer>

#include "enginedata/UpdateReply.h"
#include "support/ReplyLines.h"
#include "support/StalledListener.h"
#include "test_update_fixture.h"

using namespace Qt::StringLiterals;
using TestSupport::LoopbackServer;

TEST_F(UpdateTest, FiveFilesAreRequestedOneByOneAndStoredWithOneMoreCrLf)
{
    // Each file comes in another shape a server may give it.
    const QByteArray binary = QByteArray("\x80\x81\xfe\xff\r\n[Arts]\r\n", 14) + "last line without LF";
    answers[1] = [](QTcpSocket *client, int index, const QByteArray &) {   // bare LF, no blank after ":"
        client->write("HTTP/1.0 200 OK\nContent-Length:" + QByteArray::number(newBody(index).size()) + "\n\n"
                      + newBody(index));
        client->disconnectFromHost();
    };
    answers[2] = [](QTcpSocket *client, int index, const QByteArray &) {   // no length: the close ends it
        client->write("HTTP/1.0 200 OK\r\n\r\n" + newBody(index));
        client->disconnectFromHost();
    };
    answers[3] = [binary](QTcpSocket *client, int, const QByteArray &) {   // a pause longer than Timer2
        client->write(LoopbackServer::httpReply(200, binary).chopped(10));
        QTimer::singleShot(300, client, [client, binary] {
            client->write(binary.right(10));
            client->disconnectFromHost();
        });
    };
    answers[4] = [](QTcpSocket *client, int index, const QByteArray &) {   // held open: Timer2 ends it
        client->write(LoopbackServer::httpReply(200, newBody(index)));
    };
    ASSERT_TRUE(runUpdate());

    const QList<QByteArray> requests = server.requests();
    ASSERT_EQ(requests.size(), 5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(requests[i], "GET " + clsUpdateEngines::requestPath(i).toLatin1() + " HTTP/1.0\r\nHost: "
                                   + server.hostPort().toLatin1() + "\r\nAccept: */*\r\n\r\n");
        EXPECT_EQ(stored(i), (i == 3 ? binary : newBody(i)) + "\r\n") << i;
    }
    EXPECT_EQ(reports, QList<bool>{true});
    EXPECT_EQ(setting("Setting", "Download"), u"0"_s);
    EXPECT_TRUE(window->Label1->text().startsWith(u"Engine files have been successfully updated."_s));
    EXPECT_TRUE(window->Label2->isHidden());
    EXPECT_FALSE(window->cmdStart->isEnabled());
    EXPECT_TRUE(errorLog().contains("EngineFileSaved: 4"));
    EXPECT_TRUE(errorLog().contains("EngineUpdateTimer2: Socket Closted - 4"));
    EXPECT_TRUE(env.dialogs.shown().isEmpty());
}

// A login demand at any file: the proxy's login goes to the proxy, the server's only after the
// user allowed it; the file is asked for again and the update ends with the five new files. A
// demand for a login the request carried, or without a stored login, ends with a box.
TEST_F(UpdateTest, ALoginDemandAtAnyFileIsAnsweredAndTheUpdateGoesOn)
{
    const QByteArray login = "dXNlcjpwdw==";
    enum Outcome { Stored, Refused, NotAsked };
    struct Case {
        int file;
        bool proxy;
        int answer;             // the question's answer; 0: no question expected
        QByteArray storedLogin;
        bool acceptsLogin;      // the server takes the stored login
        Outcome outcome;
        const char *box;        // the box shown instead of the question, or nothing
    };
    QList<Case> cases;
    for (int file = 0; file < clsUpdateEngines::kFileCount; ++file) {
        cases.append({file, false, Platform::Yes, login, true, Stored, nullptr});
        cases.append({file, false, Platform::No, login, true, NotAsked, nullptr});
        cases.append({file, true, 0, login, true, Stored, nullptr});
    }
    cases.append({2, false, Platform::Yes, "d3Jvbmc=", false, Refused, "Error: Authentication Required"});
    cases.append({2, true, 0, "d3Jvbmc=", false, Refused, "Error: Proxy Authentication Required"});
    cases.append({2, false, 0, "", true, Refused, "Your server or proxy require authentication"});
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.file) + (c.proxy ? " proxy" : " server") + " answer " + std::to_string(c.answer)
                     + (c.box ? c.box : ""));
        freshRun();
        LoopbackServer lone;   // a fresh server counts this case's requests alone
        if (c.proxy) {
            qputenv("VELQUIST_VENDOR_HOST", "www.vendor.example");
            myPreference().setAccessType(2);
            myPreference().setProxy(u"127.0.0.1"_s);
            myPreference().setPort(int(lone.port()));
        } else {
            qputenv("VELQUIST_VENDOR_HOST", lone.hostPort().toUtf8());
            myPreference().setAccessType(0);
        }
        myPreference().setAuthentication(0);
        myPreference().setAuthenticationHosts({});
        Platform::saveSetting(u"Velquist"_s, u"Preference"_s, u"Authentication"_s, u"0"_s);
        myPreference().setHTTPLogin(QString::fromLatin1(c.storedLogin));
        const QByteArray loginField = c.proxy ? "Proxy-Authorization: Basic " : "Authorization: Basic ";
        lone.setHandler([&](QTcpSocket *client, const QByteArray &request) {
            const int index = fileIndexOf(request);
            const bool carriesLogin = request.contains(QByteArray(loginField + login + "\r\n"));
            if (index != c.file || (carriesLogin && c.acceptsLogin))
                return answerWhole(client, index, request);
            client->write(LoopbackServer::httpReply(c.proxy ? 407 : 401, "login please"));
            client->disconnectFromHost();
        });
        newWindow();
        if (c.answer != 0)
            env.dialogs.answerMessage(c.answer);
        if (c.box)
            env.dialogs.answerMessage(Platform::Ok);
        ASSERT_TRUE(runUpdate());

        const QList<QByteArray> requests = lone.requests();
        const int asked = c.outcome == Stored ? 6 : c.file + (c.outcome == Refused && !c.storedLogin.isEmpty() ? 2 : 1);
        ASSERT_EQ(requests.size(), asked);
        for (int i = 0; i < requests.size(); ++i) {
            // Every request from the one after the demand on carries the login, and only that one.
            const bool afterDemand = i > c.file;
            EXPECT_EQ(requests[i].contains(QByteArray(loginField + c.storedLogin + "\r\n")),
                      afterDemand && !c.storedLogin.isEmpty()) << i;
            EXPECT_EQ(requests[i].contains("Authorization"), afterDemand && !c.storedLogin.isEmpty()) << i;
            EXPECT_EQ(fileIndexOf(requests[i]), i <= c.file ? i : i - 1) << i;
        }
        QStringList prompts;
        for (const auto &shown : env.dialogs.shown())
            prompts.append(shown.prompt);
        ASSERT_EQ(prompts.size(), (c.answer != 0 ? 1 : 0) + (c.box ? 1 : 0));
        if (c.answer != 0) {
            EXPECT_TRUE(prompts[0].startsWith(lone.hostPort() + u" asks for a login."_s)) << prompts[0].toStdString();
        }
        if (c.box) {
            EXPECT_TRUE(prompts.last().startsWith(QString::fromLatin1(c.box))) << prompts.last().toStdString();
        }
        if (c.outcome == Stored) {
            EXPECT_EQ(reports, QList<bool>{true});
            for (int i = 0; i < clsUpdateEngines::kFileCount; ++i)
                EXPECT_EQ(stored(i), newBody(i) + "\r\n") << i;
        } else {
            expectFailureState();
            expectOldFiles();
        }
        EXPECT_EQ(setting("Preference", "Authentication"),
                  c.outcome == NotAsked || c.storedLogin.isEmpty() ? u"0"_s : c.proxy ? u"407"_s : u"401"_s);
        env.dialogs.clearLog();
    }
}

TEST_F(UpdateTest, AnotherStatusAfterAnAnsweredLoginDemandFailsWithoutABox)
{
    myPreference().setHTTPLogin(u"dXNlcjpwdw=="_s);
    int demands = 0;
    answers[0] = [&demands](QTcpSocket *client, int, const QByteArray &) {
        client->write(LoopbackServer::httpReply(++demands == 1 ? 401 : 404, "no"));
        client->disconnectFromHost();
    };
    env.dialogs.answerMessage(Platform::Yes);
    ASSERT_TRUE(runUpdate());
    EXPECT_EQ(server.requests().size(), 2);
    EXPECT_EQ(env.dialogs.shown().size(), 1);
    EXPECT_TRUE(errorLog().contains("StatusCode:404"));
    expectFailureState();
    expectOldFiles();
}

TEST_F(UpdateTest, AFailedConnectEndsInTheFailureStateAndACancelledOneInNothingMore)
{
    clsUpdateEngines::setIntervals({5, 200, 1, 700});
    TestSupport::StalledListener stalled;
    ASSERT_TRUE(stalled.full());
    QByteArray refusedHost;
    {
        LoopbackServer gone;   // a port nobody listens on any more
        refusedHost = gone.hostPort().toUtf8();
    }
    const QByteArray stalledHost = "127.0.0.1:" + QByteArray::number(stalled.port());
    struct Case {
        const char *name;
        QByteArray host;
        bool cancelDuringWait;
        QString reason;
    };
    const Case cases[] = {
        {"refused", refusedHost, false, QString::fromLatin1(refusedHost) + u" refused the connection"_s},
        {"stalled", stalledHost, false, u"no connection to "_s + QString::fromLatin1(stalledHost) + u" within 1 seconds (time-out)."_s},
        {"cancelled while waiting", stalledHost, true, QString()},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        qputenv("VELQUIST_VENDOR_HOST", c.host);
        modDSSock::closeLogFiles();
        QFile::remove(modDSSock::errorLogFile());
        freshRun();
        if (c.cancelDuringWait)
            QTimer::singleShot(100, window, [this] { TestSupport::clickOn(window->cmdClose); });
        ASSERT_TRUE(runUpdate(5000));
        if (c.cancelDuringWait) {
            expectCancelledState();
        } else {
            expectFailureState();
            EXPECT_TRUE(window->Label1->text().contains(c.reason)) << window->Label1->text().toStdString();
        }
        EXPECT_EQ(errorLog().contains("ConnectErr:127.0.0.1 - "), !c.cancelDuringWait);
        // Nothing of a cancelled run goes on after its wait.
        Platform::waitUntil([] { return false; }, c.cancelDuringWait ? 1300 : 0);
        EXPECT_EQ(reports, QList<bool>{false});
        for (int i = 0; i < clsUpdateEngines::kFileCount; ++i)
            EXPECT_EQ(stored(i), oldBytes(i));
    }
}

// Cancel while a file's body comes, and in the pause after a file was stored beside its target:
// nothing more is asked for and every old file stays.
TEST_F(UpdateTest, CancelAtAnyFileKeepsEveryOldFileAndAsksForNothingMore)
{
    clsUpdateEngines::setIntervals({300, 200, 2, 700});
    for (int file = 0; file < clsUpdateEngines::kFileCount; ++file) {
        for (const bool inBody : {true, false}) {
            SCOPED_TRACE(std::to_string(file) + (inBody ? " in the body" : " after the file"));
            freshRun();
            if (inBody) {
                answers[file] = [](QTcpSocket *client, int, const QByteArray &) {
                    client->write("HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\n0123456789");
                };
            }
            const qsizetype before = server.requests().size();
            TestSupport::clickOn(window->cmdStart);
            ASSERT_TRUE(Platform::waitUntil([&] {
                const bool atFile = window->run().currentFile() == file;
                return inBody ? atFile && window->ProgressBar1->value() == 10 : atFile && window->run().betweenFiles();
            }, 5000));
            TestSupport::clickOn(window->cmdClose);
            Platform::waitUntil([] { return false; }, 400);
            EXPECT_EQ(server.requests().size() - before, file + 1);
            expectCancelledState();
            EXPECT_EQ(setting("Setting", "Download"), u"1"_s);
        }
    }
}

TEST_F(UpdateTest, AFileThatCannotBeWrittenFailsAndKeepsEveryOldFile)
{
    QFile::remove(clsUpdateEngines::targetPath(2));
    ASSERT_TRUE(QDir().mkpath(clsUpdateEngines::targetPath(2)));   // a folder where top.vqs should go
    ASSERT_TRUE(runUpdate());
    expectFailureState();
    for (int i : {0, 1, 3, 4})
        EXPECT_EQ(stored(i), oldBytes(i)) << i;
    EXPECT_TRUE(window->Label1->text().contains(u"could not be written"_s));
    EXPECT_TRUE(errorLog().contains("saveEngineData: "));
}

TEST_F(UpdateTest, ClosingTheWindowDuringARunDropsTheFileUnderWayAndTheNextWindowIsFresh)
{
    answers[0] = [](QTcpSocket *client, int, const QByteArray &) { client->write("HTTP/1.0 200 OK\r\n\r\npart"); };
    TestSupport::clickOn(window->cmdStart);
    ASSERT_TRUE(server.waitForRequests(1, 5000));
    Platform::waitUntil([] { return false; }, 50);
    window->close();
    Platform::waitUntil([this] { return window.isNull(); }, 2000);
    EXPECT_TRUE(window.isNull());
    EXPECT_EQ(stored(0), oldBytes(0));
    EXPECT_EQ(frmUpdateEngines::instance()->cmdClose->text(), u"&Close"_s);
    EXPECT_TRUE(frmUpdateEngines::instance()->Label1->text().startsWith(u"This will update"_s));
    delete frmUpdateEngines::instance();

    // Closed while it waits for a connection that does not come.
    TestSupport::StalledListener stalled;
    ASSERT_TRUE(stalled.full());
    qputenv("VELQUIST_VENDOR_HOST", "127.0.0.1:" + QByteArray::number(stalled.port()));
    freshRun();
    QTimer::singleShot(0, window, [this] { TestSupport::clickOn(window->cmdStart); });
    QTimer::singleShot(100, window, [this] { window->close(); });
    EXPECT_TRUE(Platform::waitUntil([this] { return window.isNull(); }, 3000));
}

TEST(UpdateReplyTest, ContentLengthIsReadWholeAndLimited)
{
    struct Case {
        const char *line;
        bool fails;
        qint64 length;
    };
    const Case cases[] = {
        {"Content-Length:1234\r\n", false, 1234},   {"content-length:  12 \n", false, 12},
        {"Content-Length: 0\r\n", false, 0},        {"Content-Length: -1\r\n", true, 0},
        {"Content-Length: 1e3\r\n", true, 0},       {"Content-Length: 268435457\r\n", true, 0},
        {"Content-Length: 268435456\r\n", false, 268435456}, {"X-Content-Length: 5\r\n", false, -1},
    };
    for (const Case &c : cases) {
        UpdateReply reply;
        reply.headerLine(u"HTTP/1.0 200 OK\r\n"_s);
        const bool failed = reply.headerLine(QString::fromLatin1(c.line)) == UpdateReply::Step::Failed;
        EXPECT_EQ(failed, c.fails) << c.line;
        if (!c.fails) {
            EXPECT_EQ(reply.contentLength().value_or(-1), c.length) << c.line;
        }
    }
}

TEST(UpdateReplyTest, BytesPastTheLengthAreNotStoredAndProgressFollowsTheCount)
{
    QByteArray sink;
    UpdateReply reply;
    reply.setSink([&sink](QByteArrayView bytes) {
        sink += bytes.toByteArray();
        return true;
    });
    for (const char *line : {"HTTP/1.1 200 OK\r\n", "Content-Length: 4\r\n", "\r\n"})
        reply.headerLine(QString::fromLatin1(line));
    EXPECT_EQ(reply.progressMaximum(), 4);
    reply.bodyBytes("ab");
    EXPECT_EQ(reply.progressValue(), 2);
    EXPECT_FALSE(reply.completeAt(0));
    reply.bodyBytes("cdEXTRA");
    EXPECT_EQ(sink, "abcd");
    EXPECT_TRUE(reply.lengthReached() && reply.completeAt(0));
    // A connection broken after the last announced byte leaves the file whole.
    EXPECT_TRUE(reply.completeAt(7));

    UpdateReply noLength;
    for (const char *line : {"HTTP/1.0 200 OK\r\n", "\n"})
        noLength.headerLine(QString::fromLatin1(line));
    noLength.bodyBytes("body");
    EXPECT_EQ(noLength.progressMaximum(), 100);
    EXPECT_EQ(noLength.progressValue(), 50);
    EXPECT_FALSE(noLength.lengthReached());
    EXPECT_TRUE(noLength.completeAt(0));
}

// What the reader says of a reply whose connection closes at each point; without Content-Length
// only the content checks can tell whether the body is the file.
TEST(UpdateReplyTest, HowAReplyEndsAtEachClose)
{
    using State = HttpReplyReader::State;
    const struct {
        const char *name;
        QByteArray reply;
        State orderly;
        State broken;   // the connection ended by an error
        bool complete;
    } cases[] = {
        {"before any byte", "", State::NoReply, State::NoReply, false},
        {"no status line", "[Engine]\r\n", State::NoStatusLine, State::NoStatusLine, false},
        {"inside the header", "HTTP/1.0 200 OK\r\nContent-Le", State::HeaderCut, State::HeaderCut, false},
        {"inside the body with a length", "HTTP/1.0 200 OK\r\nContent-Length: 9\r\n\r\n[Engine]", State::BodyCut,
         State::BodyCut, false},
        {"at the length", "HTTP/1.0 200 OK\r\nContent-Length: 8\r\n\r\n[Engine]", State::Whole, State::Whole, true},
        {"without a length", "HTTP/1.0 200 OK\r\n\r\n[Engine]", State::EndedByClose, State::BodyCut, true},
        {"an error page", "HTTP/1.0 404 x\r\n\r\ngone", State::EndedByClose, State::BodyCut, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        UpdateReply reply;
        for (const QByteArray &line : TestSupport::replyLines(c.reply)) {
            if (reply.readingHeader())
                reply.headerLine(QString::fromLatin1(line));
            else
                reply.bodyBytes(line);
        }
        EXPECT_EQ(reply.endsAs(0), c.orderly);
        EXPECT_EQ(reply.endsAs(10053), c.broken);
        EXPECT_EQ(reply.completeAt(0), c.complete);
    }
}

TEST_F(UpdateTest, TheReminderGoesAndTheOpenerHearsOnlyOnceTheFifthFileIsStored)
{
    QPointer<QTcpSocket> last;
    answers[4] = [&last](QTcpSocket *client, int, const QByteArray &) {
        client->write("HTTP/1.0 200 OK\r\n\r\n" + newBody(4));
        last = client;
    };
    TestSupport::clickOn(window->cmdStart);
    ASSERT_TRUE(Platform::waitUntil([&last] { return !last.isNull(); }, 8000));
    Platform::waitUntil([] { return false; }, 100);
    // The fifth file cannot take its place: a folder stands there now.
    QFile::remove(clsUpdateEngines::targetPath(4));
    ASSERT_TRUE(QDir().mkpath(clsUpdateEngines::targetPath(4)));
    last->disconnectFromHost();
    ASSERT_TRUE(Platform::waitUntil([this] { return !running(); }, 8000));
    expectFailureState();
    EXPECT_FALSE(reports.contains(true));
    EXPECT_EQ(setting("Setting", "Download"), u"1"_s);
}

TEST_F(UpdateTest, TheProgressBarCountsOnlyABodyBeingStored)
{
    answers[1] = [](QTcpSocket *client, int, const QByteArray &) {
        client->write(LoopbackServer::httpReply(404, QByteArray(4000, 'x')));
        client->disconnectFromHost();
    };
    QList<int> shown;
    QObject::connect(window->ProgressBar1, &QProgressBar::valueChanged, window,
                     [this, &shown](int value) { shown.append(value * 100 / qMax(1, window->ProgressBar1->maximum())); });
    ASSERT_TRUE(runUpdate());
    expectFailureState();
    EXPECT_EQ(window->ProgressBar1->value(), 0);
    EXPECT_EQ(shown.count(100), 1) << "only the stored first file fills the bar";
}
