// The rank check in the offscreen ranking window against a server on 127.0.0.1 that runs in a
// thread of its own and answers at once, and the analysis of "&Get Report". It checks:
// - 8 link engines x 10 result pages of 20 KB: wall time within 10% of 10 x (100 ms timer + mean
//   reply time), every page requested exactly once, every engine "Completed", CPU of the window's
//   thread under 10% of the wall time, peak memory under 60 MB;
// - the analysis of 8 engines x 10 saved pages of 200 KB (100 anchors each) under 150 ms, with the
//   site found where it was put;
// - "&Get Report" over 8 engines x 3 saved pages of 2,000 matching anchors each under 1 s, the
//   first positions listed with how many more, and the report written;
// - "&Get Report" over 8 engines x 3 saved pages of 8 MiB whose every anchor names the site:
//   within 4 times a floor measured in the same run (the same pages read and every anchor found),
//   the process's peak memory during it under 150 MB, each Position cell and the report bounded.
// Usage: bench_ranking
#include <sys/resource.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <map>
#include <mutex>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QEventLoop>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QTreeWidget>

#include "BenchMemory.h"
#include "core/clsPreference.h"
#include "core/modStartUp.h"
#include "platform/Dialogs.h"
#include "platform/EventLoop.h"
#include "platform/Folders.h"
#include "platform/Shell.h"
#include "platform/TextFile.h"
#include "ranking/RankingReport.h"
#include "ranking/RankingSearch.h"
#include "ranking/clsRanking.h"
#include "ranking/frmRanking.h"

using namespace Qt::StringLiterals;

namespace {

constexpr int kEngines = 8;
constexpr int kPages = 10;

QByteArray resultPage(int engine, int page, qsizetype size, int anchors, int sitePosition)
{
    QByteArray body = "<html><body><!--results-->\n";
    const qsizetype filler = (size - 200) / anchors - 80;
    for (int i = 1; i <= anchors; ++i) {
        const QByteArray host = i == sitePosition ? QByteArray("www.shop.example") : "r" + QByteArray::number(i) + ".example";
        body += "<a href=\"http://" + host + "/\">Result " + QByteArray::number(i) + "</A><p>"
                + QByteArray(qMax<qsizetype>(filler, 0), 'x') + "</p>\n";
    }
    body += "<!--/results--><a href=\"/e" + QByteArray::number(engine) + "/" + QByteArray::number(page + 1)
            + "\">Next</a></body></html>";
    return body;
}

// Answers every request at once with a 20 KB result page and counts the paths asked for.
class PageServer : public QObject {
public:
    explicit PageServer(std::mutex &lock, std::map<QByteArray, int> &requests)
        : m_lock(lock), m_requests(requests), m_server(this)
    {
        m_server.listen(QHostAddress::LocalHost, 0);
        connect(&m_server, &QTcpServer::newConnection, this, &PageServer::accept);
    }
    quint16 port() const { return m_server.serverPort(); }

private:
    void accept()
    {
        while (QTcpSocket *client = m_server.nextPendingConnection()) {
            connect(client, &QTcpSocket::readyRead, this, [this, client] { read(client); });
            connect(client, &QTcpSocket::disconnected, client, &QObject::deleteLater);
        }
    }
    void read(QTcpSocket *client)
    {
        QByteArray &pending = m_pending[client];
        pending += client->readAll();
        if (!pending.contains("\r\n\r\n"))
            return;
        const QByteArray path = pending.mid(4, pending.indexOf(' ', 4) - 4);
        m_pending.remove(client);
        const int engine = path.mid(2, path.indexOf('/', 1) - 2).toInt();
        const QByteArray withoutQuery = path.split('?').constFirst();
        const int page = qMax(1, withoutQuery.mid(withoutQuery.indexOf('/', 1) + 1).toInt());
        {
            std::lock_guard guard(m_lock);
            ++m_requests[withoutQuery];
        }
        const QByteArray body = resultPage(engine, page, 20 * 1024, 10, 0);
        client->write("HTTP/1.0 200 OK\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body);
        client->disconnectFromHost();
    }

    std::mutex &m_lock;
    std::map<QByteArray, int> &m_requests;
    QTcpServer m_server;
    QHash<QTcpSocket *, QByteArray> m_pending;
};

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
           + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void writeEngineFile(quint16 port)
{
    QString text = u"[Engines]\r\nNumOfEngines=%1\r\n"_s.arg(kEngines);
    for (int i = 1; i <= kEngines; ++i)
        text += u"%1=E%1\r\n"_s.arg(i);
    for (int i = 1; i <= kEngines; ++i)
        text += u"[E%1]\r\nEngineKey=engine.example\r\nEngineURL=http://127.0.0.1:%2\r\nQueryKeyword1=/e%1/1?q=\r\n"
                u"NextPage1=>Next<\r\nResultStartString=<!--results-->\r\nResultEndString=<!--/results-->\r\n"
                u"NoFoundString=No results\r\nHREF_KEYWORD1=<a href=\"http://\r\nLinkType=Link\r\n"_s.arg(i).arg(port);
    Platform::writeTextFileAtomically(rankingEngineFilePath(), text);
    QString profile = u"[Bench]\r\nURL=www.shop.example\r\nKeyword=web tools\r\nType=0\r\nValue=%1\r\n"_s.arg(kPages);
    for (int i = 1; i <= 8; ++i)
        profile += u"Engine%1=True\r\n"_s.arg(i);
    Platform::writeTextFileAtomically(Platform::programFolder() + u"profile.vqr"_s, profile);
}

bool runCheck(frmRanking &window, const std::map<QByteArray, int> &requests, std::mutex &lock)
{
    clsRanking &ranking = window.ranking();
    std::vector<qint64> startedAt(kEngines + 1, 0);
    qint64 replyMsTotal = 0;
    int replies = 0;
    QObject::connect(&ranking, &clsRanking::requestStarted, &ranking,
                     [&](int index) { startedAt[std::size_t(index)] = Platform::tickCount(); });
    QObject::connect(&ranking, &clsRanking::requestEnded, &ranking, [&](int index) {
        replyMsTotal += Platform::tickCount() - startedAt[std::size_t(index)];
        ++replies;
    });
    QEventLoop loop;
    QObject::connect(&ranking, &clsRanking::runEnded, &loop, &QEventLoop::quit);
    QTimer::singleShot(120000, &loop, &QEventLoop::quit);
    const double cpuBefore = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    window.Command1_Click(0);
    loop.exec();
    const double wallSeconds = double(wall.elapsed()) / 1000.0;
    const double cpu = cpuSeconds() - cpuBefore;

    const double replySeconds = replies ? double(replyMsTotal) / replies / 1000.0 : 0.0;
    const double expected = kPages * (0.1 + replySeconds);
    int once = 0;
    {
        std::lock_guard guard(lock);
        for (const auto &[path, count] : requests)
            once += count == 1 ? 1 : 0;
    }
    int completed = 0;
    for (int i = 1; i <= window.engineRowCount(); ++i)
        completed += window.engineRow(i)->text(3) == u"Completed"_s ? 1 : 0;
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const double peakMb = double(usage.ru_maxrss) / 1024.0;

    const bool timeOk = std::abs(wallSeconds - expected) <= 0.1 * expected;
    const bool onceOk = once == kEngines * kPages && int(requests.size()) == kEngines * kPages;
    const bool completedOk = completed == kEngines;
    const bool cpuOk = cpu < 0.1 * wallSeconds;
    const bool memoryOk = peakMb < 60.0;
    std::printf("rank check, %d engines x %d pages of 20 KB\n", kEngines, kPages);
    std::printf("  wall %.3f s, expected %.3f s within 10%% (mean reply %.1f ms), %s\n", wallSeconds, expected,
                replySeconds * 1000.0, timeOk ? "ok" : "FAIL");
    std::printf("  pages requested exactly once: %d of %d, %s\n", once, kEngines * kPages, onceOk ? "ok" : "FAIL");
    std::printf("  engines completed: %d of %d, %s\n", completed, kEngines, completedOk ? "ok" : "FAIL");
    std::printf("  CPU of the window's thread %.3f s = %.2f%% of wall (target under 10%%), %s\n", cpu,
                100.0 * cpu / wallSeconds, cpuOk ? "ok" : "FAIL");
    std::printf("  peak memory %.1f MB (target under 60 MB), %s\n", peakMb, memoryOk ? "ok" : "FAIL");
    return timeOk && onceOk && completedOk && cpuOk && memoryOk;
}

// Pages of 200 KB with 100 anchors; the site is anchor 50 of page 3, so position 250.
bool analysis(frmRanking &window)
{
    const QString folder = window.reportFolder();
    for (int engine = 1; engine <= kEngines; ++engine) {
        for (int page = 1; page <= kPages; ++page)
            Platform::writeBinaryFileAtomically(folder + RankingReport::savedPageName(u"E%1"_s.arg(engine), page),
                                                resultPage(engine, page, 200 * 1024, 100, page == 3 ? 50 : 0));
    }
    QElapsedTimer timer;
    timer.start();
    const bool read = window.ranking().getResults(window.rankingInput());
    const qint64 ms = timer.elapsed();
    int found = 0;
    for (int i = 1; i <= window.engineRowCount(); ++i)
        found += window.engineRow(i)->text(2) == u"250"_s ? 1 : 0;
    const bool timeOk = read && ms < 150;
    const bool foundOk = found == kEngines;
    std::printf("report analysis, %d engines x %d saved pages of 200 KB\n", kEngines, kPages);
    std::printf("  %lld ms (target under 150 ms), %s\n", static_cast<long long>(ms), timeOk ? "ok" : "FAIL");
    std::printf("  site found at its position: %d of %d engines, %s\n", found, kEngines, foundOk ? "ok" : "FAIL");
    return timeOk && foundOk;
}

// Pages of `anchors` anchors, or as many as fill `size` bytes, each naming the site, saved as
// pages 1 to `pages` of every engine.
QByteArray writeMatchingPages(const QString &folder, int pages, qsizetype size, int anchors)
{
    QByteArray page = "<html><body><!--results-->\n";
    for (int i = 1; i <= anchors && page.size() < size - 100; ++i)
        page += "<a href=\"http://www.shop.example/p" + QByteArray::number(i) + "\">Shop " + QByteArray::number(i) + "</A>\n";
    page += "<!--/results--></body></html>";
    for (int engine = 1; engine <= kEngines; ++engine) {
        for (int n = 1; n <= pages; ++n)
            Platform::writeBinaryFileAtomically(folder + RankingReport::savedPageName(u"E%1"_s.arg(engine), n), page);
    }
    return page;
}

// Runs "&Get Report" over `pages` saved pages of every engine; its milliseconds, and whether
// every row lists the first positions and how many more of the `matches` there are.
qint64 timedReport(frmRanking &window, int pages, qint64 matches, int &listed)
{
    window.txtPageLinks->setText(QString::number(pages));
    QFile::remove(window.reportFolder() + window.cboProfile->currentText() + u".html"_s);
    QElapsedTimer timer;
    timer.start();
    window.Command1_Click(1);
    const qint64 ms = timer.elapsed();
    const QString expected = u"1, 2, 3, 4, 5, 6, 7, 8, 9, 10 and %1 more"_s.arg(matches - 10);
    listed = 0;
    for (int i = 1; i <= window.engineRowCount(); ++i)
        listed += window.engineRow(i)->text(2) == expected ? 1 : 0;
    return ms;
}

qint64 reportSize(frmRanking &window)
{
    return QFileInfo(window.reportFolder() + window.cboProfile->currentText() + u".html"_s).size();
}

// Starts the process's peak resident memory (VmHWM) afresh from what it holds now.
bool resetPeakMemory()
{
    QFile clearRefs(u"/proc/self/clear_refs"_s);
    return clearRefs.open(QIODevice::WriteOnly) && clearRefs.write("5") == 1;
}

// Every anchor of every page names the site: 6,000 positions per engine.
bool manyMatches(frmRanking &window)
{
    constexpr int kMatchPages = 3;
    constexpr int kMatches = 2000;
    const QByteArray page = writeMatchingPages(window.reportFolder(), kMatchPages, qsizetype(1) << 30, kMatches);
    const qint64 matches = qint64(page.count("</A>")) * kMatchPages;
    int listed = 0;
    const qint64 ms = timedReport(window, kMatchPages, matches, listed);
    const bool timeOk = ms < 1000;
    const bool listedOk = listed == kEngines && matches == kMatches * kMatchPages && reportSize(window) > 0;
    std::printf("report of %d engines x %d saved pages of %lld matches (%lld KB a page)\n", kEngines, kMatchPages,
                static_cast<long long>(matches / kMatchPages), static_cast<long long>(page.size() / 1024));
    std::printf("  %lld ms (target under 1000 ms), %s\n", static_cast<long long>(ms), timeOk ? "ok" : "FAIL");
    std::printf("  first positions and how many more listed, report written: %d of %d engines, %s\n", listed, kEngines,
                listedOk ? "ok" : "FAIL");
    return timeOk && listedOk;
}

// The floor: the same pages read as the report reads them, and every anchor found in them, from
// its opener to its "</A>".
qint64 readAndScanMs(const QString &folder, int pages, qint64 &anchors)
{
    const QString opener = u"<a href=\"http://"_s;
    QElapsedTimer timer;
    timer.start();
    anchors = 0;
    for (int engine = 1; engine <= kEngines; ++engine) {
        for (int n = 1; n <= pages; ++n) {
            const std::optional<QString> text =
                Platform::readTextFile(folder + RankingReport::savedPageName(u"E%1"_s.arg(engine), n));
            for (qsizetype at = text ? RankingSearch::find(*text, opener) : -1; at >= 0;) {
                const qsizetype end = RankingSearch::find(*text, u"</A>", at);
                if (end < 0)
                    break;
                ++anchors;
                at = RankingSearch::find(*text, opener, end + 1);
            }
        }
    }
    return timer.elapsed();
}

// Pages as large as the rank check saves, every anchor naming the site: the report costs what
// reading them costs, its memory and its text stay bounded.
bool hostilePages(frmRanking &window)
{
    constexpr int kHostilePages = 3;
    constexpr qsizetype kPageBytes = 8 << 20;
    const QString folder = window.reportFolder();
    const QByteArray page = writeMatchingPages(folder, kHostilePages, kPageBytes, std::numeric_limits<int>::max());
    const qint64 matches = qint64(page.count("</A>")) * kHostilePages;
    qint64 anchorsFound = 0;
    readAndScanMs(folder, kHostilePages, anchorsFound);   // untimed: the pages come from the cache in both
    const bool peakReset = resetPeakMemory();
    const double before = BenchMemory::residentMb();
    int listed = 0;
    const qint64 ms = timedReport(window, kHostilePages, matches, listed);
    const double peak = BenchMemory::peakMb();
    const qint64 floorMs = readAndScanMs(folder, kHostilePages, anchorsFound);
    qint64 longestCell = 0;
    for (int i = 1; i <= window.engineRowCount(); ++i)
        longestCell = qMax<qint64>(longestCell, window.engineRow(i)->text(2).size());
    const double ratio = double(ms) / double(qMax<qint64>(floorMs, 1));
    const bool timeOk = ratio <= 4.0;
    const bool memoryOk = peakReset && peak < 150.0;
    const bool boundedOk = listed == kEngines && anchorsFound == matches * kEngines && reportSize(window) < 4 << 20;
    std::printf("report of %d engines x %d saved pages of 8 MiB, every one of %lld anchors a page naming the site\n",
                kEngines, kHostilePages, static_cast<long long>(matches / kHostilePages));
    std::printf("  %lld ms against a read-and-scan floor of %lld ms, ratio %.2f (target 4), %s\n",
                static_cast<long long>(ms), static_cast<long long>(floorMs), ratio, timeOk ? "ok" : "FAIL");
    std::printf("  peak memory %.1f MB during the report, %.1f MB before it (target under 150 MB), %s\n", peak, before,
                memoryOk ? "ok" : "FAIL");
    std::printf("  Position cells of %lld characters at most, report of %lld KB (target under 4 MB), %d of %d rows "
                "listing the first positions, %s\n",
                static_cast<long long>(longestCell), static_cast<long long>(reportSize(window) / 1024), listed, kEngines,
                boundedOk ? "ok" : "FAIL");
    for (int engine = 1; engine <= kEngines; ++engine) {
        for (int n = 1; n <= kHostilePages; ++n)
            QFile::remove(folder + RankingReport::savedPageName(u"E%1"_s.arg(engine), n));
    }
    return timeOk && memoryOk && boundedOk;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("VELQUIST_HOME", (home.path() + u"/program/"_s).toUtf8());
    qputenv("VELQUIST_WINDIR", (home.path() + u"/program/system/"_s).toUtf8());
    qputenv("VELQUIST_CONFIG", (home.path() + u"/config/"_s).toUtf8());
    QDir().mkpath(home.path() + u"/program/system"_s);
    QApplication app(argc, argv);
    WindowsDir = Platform::engineDataFolder();
    ProjectListPath = Platform::programFolder() + u"project.vqj"_s;
    // Every box is answered with its first button, but the run's end offers the report: No, so
    // the run's figures hold the run alone (the report is measured on its own).
    Platform::setDialogHook([](const Platform::DialogRequest &request) -> std::optional<Platform::DialogAnswer> {
        Platform::DialogAnswer answer;
        const bool yesNo = (request.style & 7) == Platform::YesNo;
        answer.button = !yesNo ? Platform::Ok : request.prompt.startsWith(u"Search Done !"_s) ? Platform::No : Platform::Yes;
        return answer;
    });
    Platform::setShellHook([](Platform::ShellAction, const QString &) { return true; });
    myPreference().setPromptConnection(0);
    myPreference().setTimeOut(30);

    std::mutex lock;
    std::map<QByteArray, int> requests;
    QThread serverThread;
    auto *server = new PageServer(lock, requests);
    server->moveToThread(&serverThread);
    QObject::connect(&serverThread, &QThread::finished, server, &QObject::deleteLater);
    serverThread.start();
    writeEngineFile(server->port());

    frmRanking *window = frmRanking::instance();
    const bool runOk = runCheck(*window, requests, lock);
    const bool analysisOk = analysis(*window);
    const bool matchesOk = manyMatches(*window);
    const bool hostileOk = hostilePages(*window);
    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    serverThread.quit();
    serverThread.wait();
    std::fflush(stdout);
    return runOk && analysisOk && matchesOk && hostileOk ? 0 : 1;
}
