// Submits one URL to E engines on N connections against a server on 127.0.0.1 that runs in a
// thread of its own and answers at once, and checks the figures a run must meet:
// wall time within 5% of ceil(E/N) x (1 s + reply time) + 1 s, every request exactly once,
// peak concurrency min(E, N), CPU under 5% of the wall time, peak memory under 100 MB,
// no descriptor left open, and a 10 ms timer beside the run never late by 50 ms or more. Then the
// URL rows of a site of 100,000 URLs built at Start, under 1 s.
// Usage: bench_submission [engines connections]...   (default: 1000 100 3000 300)
#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <map>
#include <mutex>
#include <set>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QTreeWidget>

#include "platform/EventLoop.h"
#include "platform/TextFile.h"
#include "submission/SubmitScheduler.h"
#include "submission/clsSubmit.h"

using namespace Qt::StringLiterals;

namespace {

// The server side: counts open connections and the requests by engine host.
struct ServerStats {
    std::mutex lock;
    std::map<QByteArray, int> requestsByEngine;
    int open = 0;
    int peakOpen = 0;
};

class ReplyServer : public QObject {
public:
    explicit ReplyServer(ServerStats &stats) : m_stats(stats), m_server(this)
    {
        m_server.setListenBacklogSize(4096);
        m_server.listen(QHostAddress::LocalHost, 0);
        connect(&m_server, &QTcpServer::newConnection, this, &ReplyServer::accept);
    }
    quint16 port() const { return m_server.serverPort(); }

private:
    void accept()
    {
        while (QTcpSocket *client = m_server.nextPendingConnection()) {
            {
                std::lock_guard guard(m_stats.lock);
                m_stats.peakOpen = std::max(m_stats.peakOpen, ++m_stats.open);
            }
            connect(client, &QTcpSocket::readyRead, this, [this, client] { read(client); });
            connect(client, &QTcpSocket::disconnected, this, [this, client] {
                {
                    std::lock_guard guard(m_stats.lock);
                    --m_stats.open;
                }
                client->deleteLater();
            });
        }
    }
    void read(QTcpSocket *client)
    {
        QByteArray &pending = m_pending[client];
        pending += client->readAll();
        if (!pending.contains("\r\n\r\n"))
            return;
        const qsizetype start = pending.indexOf("http://") + 7;
        const QByteArray engine = pending.mid(start, pending.indexOf('/', start) - start);
        m_pending.remove(client);
        {
            std::lock_guard guard(m_stats.lock);
            ++m_stats.requestsByEngine[engine];
        }
        client->write("HTTP/1.0 200 OK\r\nContent-Length: 8\r\n\r\nthanks\r\n");
        client->disconnectFromHost();
    }

    ServerStats &m_stats;
    QTcpServer m_server;
    QHash<QTcpSocket *, QByteArray> m_pending;
};

int openDescriptors()
{
    return int(QDir(u"/proc/self/fd"_s).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size());
}

double cpuSeconds(int who)
{
    rusage usage{};
    getrusage(who, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
           + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

bool runCase(int engines, int connections, const QString &folder)
{
    ServerStats stats;
    QThread serverThread;
    auto *server = new ReplyServer(stats);
    server->moveToThread(&serverThread);
    QObject::connect(&serverThread, &QThread::finished, server, &QObject::deleteLater);
    serverThread.start();

    std::map<QString, clsEngines> table;
    QStringList names;
    for (int n = 1; n <= engines; ++n) {
        clsEngines engine;
        engine.Name = u"Engine%1"_s.arg(n);
        engine.Method = n % 2 ? u"GET"_s : u"POST"_s;
        engine.Action = u"http://e%1.example/add"_s.arg(n);
        engine.Query = u"u=<url>&t=<title>"_s;
        table[engine.Name.toLower()] = engine;
        names << engine.Name;
    }
    const QString siteFile = folder + u"/Bench.vqs"_s;
    Platform::writeTextFileAtomically(siteFile, u"[Web Site Info]\r\nTitle=Bench\r\nLastURL=1\r\n[URL]\r\nURL1=http://shop.example/\r\n"_s);

    SubmitSettings settings;
    settings.Connections = connections;
    settings.TimeOut = 30;
    settings.AccessType = 2;
    settings.Proxy = u"127.0.0.1"_s;
    settings.Port = server->port();

    // The server thread's event loop holds descriptors of its own: count them in before as after.
    QMetaObject::invokeMethod(server, [] {}, Qt::BlockingQueuedConnection);
    const int descriptorsBefore = openDescriptors();
    const double cpuBefore = cpuSeconds(RUSAGE_THREAD);
    qint64 wallMs = 0;
    qint64 replyMsTotal = 0;
    int ended = 0;
    qint64 worstLateness = 0;
    {
        clsSubmit run(settings, [&table](const QString &name) -> const clsEngines * {
            const auto it = table.find(name.toLower());
            return it == table.end() ? nullptr : &it->second;
        });
        run.setEngineNames(names);
        SubmitScheduler scheduler(run);
        scheduler.loadSockets(connections);
        std::vector<qint64> dispatchedAt(std::size_t(engines) + 1, 0);
        QObject::connect(&scheduler, &SubmitScheduler::dispatched, &scheduler,
                         [&](int, int k) { dispatchedAt[std::size_t(k)] = Platform::tickCount(); });
        QObject::connect(&scheduler, &SubmitScheduler::requestEnded, &scheduler, [&](int, int k, int) {
            replyMsTotal += Platform::tickCount() - dispatchedAt[std::size_t(k)];
            ++ended;
        });

        QTimer probe;
        probe.setTimerType(Qt::PreciseTimer);
        QElapsedTimer sinceTick;
        QObject::connect(&probe, &QTimer::timeout, &probe, [&] {
            worstLateness = std::max(worstLateness, sinceTick.restart() - 10);
        });

        QElapsedTimer wall;
        wall.start();
        sinceTick.start();
        probe.start(10);
        // The program's own event loop runs the submission, as under the window.
        QEventLoop loop;
        QObject::connect(&scheduler, &SubmitScheduler::runEnded, &loop, &QEventLoop::quit);
        QTimer::singleShot(600000, &loop, &QEventLoop::quit);
        scheduler.StartSubmit({{u"http://shop.example/"_s, siteFile}});
        loop.exec();
        wallMs = wall.elapsed();
        probe.stop();
    }
    // Let the closed sockets go before counting descriptors.
    Platform::waitUntil([] { return false; }, 200);
    const double cpu = cpuSeconds(RUSAGE_THREAD) - cpuBefore;
    const int descriptorsAfter = openDescriptors();

    serverThread.quit();
    serverThread.wait();

    const double replySeconds = ended ? double(replyMsTotal) / ended / 1000.0 : 0.0;
    const int rounds = (engines + connections - 1) / connections;
    const double expectedSeconds = rounds * (1.0 + replySeconds) + 1.0;
    const double wallSeconds = double(wallMs) / 1000.0;
    int exactlyOnce = 0;
    for (const auto &[engine, count] : stats.requestsByEngine)
        exactlyOnce += count == 1 ? 1 : 0;
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const double peakMb = double(usage.ru_maxrss) / 1024.0;

    const bool timeOk = std::abs(wallSeconds - expectedSeconds) <= 0.05 * expectedSeconds;
    const bool onceOk = exactlyOnce == engines && int(stats.requestsByEngine.size()) == engines;
    const bool peakOk = stats.peakOpen == std::min(engines, connections);
    const bool cpuOk = cpu < 0.05 * wallSeconds;
    const bool memoryOk = peakMb < 100.0;
    const bool descriptorsOk = descriptorsAfter <= descriptorsBefore;
    const bool loopOk = worstLateness < 50;
    std::printf("engines %d, connections %d\n", engines, connections);
    std::printf("  wall %.3f s, expected %.3f s (mean reply %.1f ms), %s\n", wallSeconds, expectedSeconds,
                replySeconds * 1000.0, timeOk ? "ok" : "FAIL");
    std::printf("  requests exactly once: %d of %d, %s\n", exactlyOnce, engines, onceOk ? "ok" : "FAIL");
    std::printf("  peak concurrency %d (expected %d), %s\n", stats.peakOpen, std::min(engines, connections),
                peakOk ? "ok" : "FAIL");
    std::printf("  CPU of the submitting thread %.3f s = %.2f%% of wall, %s\n", cpu, 100.0 * cpu / wallSeconds,
                cpuOk ? "ok" : "FAIL");
    std::printf("  peak memory %.1f MB, %s\n", peakMb, memoryOk ? "ok" : "FAIL");
    std::printf("  descriptors %d before, %d after, %s\n", descriptorsBefore, descriptorsAfter,
                descriptorsOk ? "ok" : "FAIL");
    std::printf("  worst lateness of a 10 ms timer %lld ms, %s\n", static_cast<long long>(worstLateness),
                loopOk ? "ok" : "FAIL");
    std::fflush(stdout);
    return timeOk && onceOk && peakOk && cpuOk && memoryOk && descriptorsOk && loopOk;
}

// A site of `urls` URLs ticked in the site list, then the URL rows built as Start builds them.
bool urlRowsCase(int urls, const QString &folder)
{
    const QString site = folder + u"/Big.vqs"_s;
    QByteArray text = "[Web Site Info]\r\nVersion=6.0\r\nLastURL=" + QByteArray::number(urls) + "\r\n[URL]\r\n";
    for (int n = 1; n <= urls; ++n)
        text += "URL" + QByteArray::number(n) + "=http://big.example/page" + QByteArray::number(n) + ".html\r\n";
    const QString list = folder + u"/project.vqj"_s;
    const bool written = Platform::writeBinaryFileAtomically(site, text)
                         && Platform::writeBinaryFileAtomically(list, "[Big]\r\nLast=1\r\n1=Big|" + site.toUtf8() + "\r\n");
    clsSubmit run(SubmitSettings{}, {});
    QTreeWidget sites;
    QTreeWidget rows;
    run.loadProject(list, &sites);
    QElapsedTimer timer;
    timer.start();
    run.createSubmissionData(&sites, &rows, {u"e1"_s});
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    const bool ok = written && rows.topLevelItemCount() == urls && ms < 1000.0;
    std::printf("URL rows of a site of %d URLs built in %.1f ms (target < 1000 ms), %s\n", urls, ms, ok ? "ok" : "FAIL");
    return ok;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("VELQUIST_HOME", home.path().toUtf8());
    QApplication app(argc, argv);
    QList<std::pair<int, int>> cases;
    for (int i = 1; i + 1 < argc; i += 2)
        cases.append({std::atoi(argv[i]), std::atoi(argv[i + 1])});
    if (cases.isEmpty())
        cases = {{1000, 100}, {3000, 300}};
    bool allOk = true;
    for (const auto &[engines, connections] : cases)
        allOk = runCase(engines, connections, home.path()) && allOk;
    allOk = urlRowsCase(100000, home.path()) && allOk;
    return allOk ? 0 : 1;
}
