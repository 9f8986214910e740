#pragma once
// Engines that point at a loopback server on 127.0.0.1, for the rank check alone and in the
// ranking window. Engine "n" answers "/<name>/<page>" with a result page of ten anchors, the site
// at the position the test sets, and a next link while pages remain.
#include <QComboBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTcpSocket>
#include <QTreeWidget>

#include "RankingFixture.h"
#include "core/clsPreference.h"
#include "platform/CommonControls.h"
#include "platform/Dialogs.h"
#include "platform/EventLoop.h"
#include "ranking/RankingReport.h"
#include "ranking/clsRanking.h"
#include "ranking/frmRanking.h"
#include "support/LoopbackServer.h"
#include "support/UserInput.h"

namespace RankingTest {

// One engine of the test's engine file.
struct TestEngine {
    TestEngine(const char *engineName, const char *type = "Link", const char *url = "")
        : name(engineName), linkType(type), engineURL(url)
    {
    }
    QByteArray name;
    QByteArray linkType;
    QByteArray engineURL;   // empty: the loopback server
};

class EngineServerFixture : public Fixture {
protected:
    void SetUp() override
    {
        Fixture::SetUp();
        server.setHandler([this](QTcpSocket *client, const QByteArray &request) { answer(client, request); });
    }

    QString profileFile() const { return env.programFolder() + QStringLiteral("profile.vqr"); }
    QString folder(const QString &profile = QStringLiteral("Shop")) const
    {
        return env.programFolder() + QStringLiteral("Reports/Ranking/") + profile + u'/';
    }
    QString pageFile(const QString &engine, int page, const QString &profile = QStringLiteral("Shop")) const
    {
        return folder(profile) + RankingReport::savedPageName(engine, page);
    }

    void writeEngines(const QList<TestEngine> &engines)
    {
        QByteArray text = "[Engines]\r\nNumOfEngines=" + QByteArray::number(engines.size()) + "\r\n";
        for (int i = 0; i < engines.size(); ++i)
            text += QByteArray::number(i + 1) + "=" + engines[i].name + "\r\n";
        for (const TestEngine &engine : engines) {
            const QByteArray url =
                engine.engineURL.isEmpty() ? "http://" + server.hostPort().toLatin1() : engine.engineURL;
            const QByteArray path = "/" + engine.name.toLower().replace(' ', '-');
            const QByteArray nextPages = engine.linkType == "Button"
                                             ? "NextPage1=" + path + "/b?q=\r\nNextPage2=&start=\r\nNextPage3=&num=\r\n"
                                             : QByteArray("NextPage1=>Next<\r\n");
            text += "[" + engine.name + "]\r\nEngineKey=engine.example\r\nEngineURL=" + url
                    + "\r\nQueryKeyword1=" + path + "/1?q=\r\n" + nextPages
                    + "ResultStartString=<!--results-->\r\nResultEndString=<!--/results-->\r\n"
                    + "NoFoundString=No results\r\nHREF_KEYWORD1=<a href=\"http://\r\nLinkType=" + engine.linkType
                    + "\r\nStart=10\r\nPerPage=10\r\n";
        }
        TestSupport::TestEnvironment::writeFile(rankingEngineFilePath(), text);
    }
    // A profile ranking www.shop.example over the ticked rows (from 1).
    static QByteArray profileText(const QByteArray &name, const QList<int> &ticked, const QByteArray &value = "3",
                                  const QByteArray &type = "0")
    {
        QByteArray text = "[" + name + "]\r\nURL=www.shop.example\r\nKeyword=web tools\r\nType=" + type
                          + "\r\nValue=" + value + "\r\n";
        for (int row = 1; row <= 8; ++row)
            text += "Engine" + QByteArray::number(row) + "=" + (ticked.contains(row) ? "True" : "False") + "\r\n";
        return text;
    }
    // The profile "Shop" alone.
    void writeProfile(const QList<int> &ticked, const QByteArray &value = "3", const QByteArray &type = "0")
    {
        TestSupport::TestEnvironment::writeFile(profileFile(), profileText("Shop", ticked, value, type));
    }
    // The request lines the server saw, in order.
    QStringList requestLines() const
    {
        QStringList lines;
        for (const QByteArray &request : server.requests())
            lines.append(QString::fromLatin1(request.left(request.indexOf('\r'))));
        return lines;
    }

    // Page n of an engine: ten anchors, the site at `sitePosition` of page `sitePage`, and a next
    // link while n is below `pagesServed`.
    static QByteArray resultPage(int page, int pagesServed, const QByteArray &engine, int sitePage = 0,
                                 int sitePosition = 0)
    {
        QByteArray body = "<html><!--results-->";
        for (int i = 1; i <= 10; ++i) {
            const QByteArray host =
                page == sitePage && i == sitePosition ? QByteArray("www.shop.example") : "r" + QByteArray::number(i) + ".example";
            body += "<a href=\"http://" + host + "/\">Result " + QByteArray::number(i) + "</A>\n";
        }
        body += "<!--/results-->";
        if (page < pagesServed)
            body += "<a href=\"/" + engine + "/" + QByteArray::number(page + 1) + "\">Next</a>";
        return body + "</html>";
    }

    static int number(const QByteArray &text, qsizetype at)
    {
        int value = 0;
        for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at)
            value = value * 10 + (text[at] - '0');
        return value;
    }
    // The path of a request line, also of a proxy's absolute form.
    static QByteArray requestPath(const QByteArray &request)
    {
        QByteArray target = request.mid(4, request.indexOf(' ', 4) - 4);
        if (target.startsWith("http://"))
            target = target.mid(target.indexOf('/', 7));
        return target;
    }
    // The default answer: the result pages of resultPage, `pagesServed` of them.
    void answer(QTcpSocket *client, const QByteArray &request)
    {
        const QByteArray path = requestPath(request);
        const QByteArray engine = path.mid(1, path.indexOf('/', 1) - 1);
        const qsizetype offset = path.indexOf("&start=");
        const int page = offset >= 0 ? number(path, offset + 7) / 10 + 1 : qMax(1, number(path, engine.size() + 2));
        client->write(TestSupport::LoopbackServer::httpReply(200, resultPage(page, pagesServed, engine, 2, 4)));
        client->disconnectFromHost();
    }

    TestSupport::LoopbackServer server;
    int pagesServed = 5;
};

class WindowFixture : public EngineServerFixture {
protected:
    void TearDown() override
    {
        if (frmRanking *window = frmRanking::loadedInstance()) {
            window->close();
            TestSupport::TestEnvironment::dropQueuedCalls();
        }
    }
    // The shown window, as the user meets it.
    frmRanking *open()
    {
        w = frmRanking::instance();
        EXPECT_TRUE(TestSupport::showWindow(w));
        return w;
    }
    // Starts the run (no connection question) and waits for its end and its box.
    bool runToEnd(int timeoutMs = 8000)
    {
        myPreference().setPromptConnection(0);
        env.dialogs.answerMessage(Platform::Ok);
        TestSupport::clickOn(w->Command1[0]);
        return Platform::waitUntil([this] { return !w->ranking().isRunning(); }, timeoutMs);
    }
    QString cell(int row, int column) const { return w->engineRow(row)->text(column); }

    frmRanking *w = nullptr;
};

} // namespace RankingTest
