// The engine data update against a server on 127.0.0.1 in a thread of this program (HTTP/1.0,
// Content-Length, whole files, close after the body), with curl fetching the same five files
// from the same server in the same run, then the files it wrote synced to disk, as the floor. The
// five files: "vqzeng5.dat" and "catvqs.dat" of 100,000 generated engines, "top.vqs" naming the
// first of them, "cat.vqs" and "vqreng.dat" from data/. Curl and the update (the offscreen window in
// a child process of its own, so its peak memory is its own) run alternately five times; the
// best time of each counts. The update checks each body as its reader will read it, puts it on
// the disk beside its target, synced, and after the fifth the five take their places as one set.
//
// Figures a run must meet: the update under 2x the floor (curl plus the sync of its files); its
// peak memory (VmHWM, see BenchMemory::peakMb) under the resident memory before Start plus 2.5x
// the largest file; the stored files equal the served bytes plus CR LF. Without curl on the PATH
// the comparison reads FAIL.
// Then kill trials: an update over old files killed at points spread over a whole run, and the
// interrupted writes finished as the next start does: the five files are all old or all new.
//
// Usage: bench_engine_update [engines]   (default: 100000)
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <map>
#include <string>
#include <thread>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include "bench/BenchSupport.h"
#include "BenchMemory.h"
#include "enginedata/frmUpdateEngines.h"
#include "platform/Dialogs.h"
#include "platform/EventLoop.h"
#include "platform/StartRecovery.h"
#include "platform/TextFile.h"

using namespace Qt::StringLiterals;

namespace {

constexpr double kTimeFactor = 2.0;
constexpr double kMemoryFactor = 2.5;
constexpr int kRounds = 5;
constexpr int kKillTrials = 12;
const char *const kNames[] = {"vqzeng5.dat", "catvqs.dat", "top.vqs", "cat.vqs", "vqreng.dat"};

using BenchSupport::verdict;

double mb(double bytes)
{
    return bytes / (1024.0 * 1024.0);
}

// Serves the files by their name after the last "/" of the request path, one request per
// connection, until stopped.
class FileServer {
public:
    explicit FileServer(std::map<std::string, QByteArray> files) : m_files(std::move(files))
    {
        m_listener = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof(address);
        if (bind(m_listener, reinterpret_cast<sockaddr *>(&address), length) != 0 || listen(m_listener, 16) != 0
            || getsockname(m_listener, reinterpret_cast<sockaddr *>(&address), &length) != 0)
            return;
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this] { serve(); });
    }
    ~FileServer()
    {
        m_stop = true;
        shutdown(m_listener, SHUT_RDWR);
        close(m_listener);
        if (m_thread.joinable())
            m_thread.join();
    }
    int port() const { return m_port; }

private:
    void serve()
    {
        while (!m_stop) {
            const int client = accept(m_listener, nullptr, nullptr);
            if (client < 0)
                return;
            answer(client);
            close(client);
        }
    }
    void answer(int client)
    {
        std::string request;
        char buffer[4096];
        while (request.find("\r\n\r\n") == std::string::npos) {
            const ssize_t got = recv(client, buffer, sizeof(buffer), 0);
            if (got <= 0)
                return;
            request.append(buffer, std::size_t(got));
        }
        const std::string path = request.substr(4, request.find(' ', 4) - 4);
        const auto file = m_files.find(path.substr(path.rfind('/') + 1));
        const QByteArray body = file == m_files.end() ? QByteArray() : file->second;
        const QByteArray reply = (file == m_files.end() ? "HTTP/1.0 404 Not Found\r\n" : "HTTP/1.0 200 OK\r\n")
                                 + "Content-Length: "_ba + QByteArray::number(body.size()) + "\r\n\r\n" + body;
        for (qsizetype sent = 0; sent < reply.size();) {
            const ssize_t put = send(client, reply.constData() + sent, std::size_t(reply.size() - sent), MSG_NOSIGNAL);
            if (put <= 0)
                return;
            sent += put;
        }
    }

    std::map<std::string, QByteArray> m_files;
    int m_listener = -1;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

// The child: one update into the folders of `root`, timed from Start to the success text.
int runUpdate(const QString &vendorHost, const QString &root)
{
    qputenv("VELQUIST_VENDOR_HOST", vendorHost.toUtf8());
    qputenv("VELQUIST_HOME", (root + u"/program/"_s).toUtf8());
    qputenv("VELQUIST_WINDIR", (root + u"/program/system/"_s).toUtf8());
    qputenv("VELQUIST_CONFIG", (root + u"/config/"_s).toUtf8());
    Platform::setDialogHook([](const Platform::DialogRequest &request) -> std::optional<Platform::DialogAnswer> {
        std::printf("  message: %s\n", qPrintable(request.prompt));
        return Platform::DialogAnswer{};
    });
    // A Platform::Timer of 0 never fires, so the pause between files is the shortest one.
    clsUpdateEngines::setIntervals({1, 10000, 40, 0});
    frmUpdateEngines *update = frmUpdateEngines::instance();
    update->show();
    Platform::doEvents();
    const double before = BenchMemory::residentMb();
    QElapsedTimer timer;
    timer.start();
    update->Command1_Click(1);
    Platform::waitUntil([update] { return update->cmdClose->text() == u"&Close"_s; }, 600000);
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    const bool done = update->Label1->text().startsWith(u"Engine files have been successfully updated."_s);
    std::printf("RESULT %d %.1f %.1f %.1f\n", done ? 1 : 0, ms, BenchMemory::peakMb(), before);
    return done ? 0 : 1;
}

struct UpdateRun {
    bool done = false;
    double ms = 0;
    double peakMb = 0;
    double beforeMb = 0;
};

QStringList childArguments(int port, const QString &root)
{
    return {u"--child"_s, u"127.0.0.1:"_s + QString::number(port), root};
}

UpdateRun runChild(const QString &program, int port, const QString &root)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(program, childArguments(port, root));
    child.waitForFinished(-1);
    UpdateRun run;
    for (const QByteArray &line : child.readAllStandardOutput().split('\n')) {
        if (!line.startsWith("RESULT "))
            continue;
        const QList<QByteArray> fields = line.split(' ');
        run = {fields.value(1) == "1", fields.value(2).toDouble(), fields.value(3).toDouble(), fields.value(4).toDouble()};
    }
    return run;
}

// Puts a file's bytes on the disk, as the update does with each file it stores.
bool syncFile(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

// The floor: curl fetches the five files, then they are synced; -1 when either fails.
double runCurl(const QString &curl, int port, const QString &folder)
{
    QStringList arguments = {u"--silent"_s, u"--show-error"_s, u"--fail"_s};
    for (const char *name : kNames) {
        arguments << u"-o"_s << folder + u'/' + QLatin1StringView(name)
                  << u"http://127.0.0.1:%1/enginedata/%2"_s.arg(port).arg(QLatin1StringView(name));
    }
    QElapsedTimer timer;
    timer.start();
    bool ok = QProcess::execute(curl, arguments) == 0;
    for (const char *name : kNames)
        ok = syncFile(folder + u'/' + QLatin1StringView(name)) && ok;
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    return ok ? ms : -1.0;
}

QString storedPath(const QString &root, const char *name)
{
    const bool inProgram = QByteArray(name).endsWith(".vqs");
    return root + (inProgram ? u"/program/"_s : u"/program/system/"_s) + QLatin1StringView(name);
}

QByteArray storedBytes(const QString &root, const char *name)
{
    QFile stored(storedPath(root, name));
    return stored.open(QIODevice::ReadOnly) ? stored.readAll() : QByteArray("(missing)");
}

bool storedAsServed(const QString &root, const std::map<std::string, QByteArray> &files)
{
    for (const char *name : kNames) {
        if (storedBytes(root, name) != files.at(name) + "\r\n")
            return false;
    }
    return true;
}

QByteArray oldBytes(const char *name)
{
    return "old " + QByteArray(name) + "\r\n";
}

// Kills updates over old files at points spread over `spanMs` from the child's start, then
// finishes the interrupted writes as the next start does. Counts the trials that left a mixed set.
int killTrials(const QString &program, int port, const QString &work, double spanMs,
               const std::map<std::string, QByteArray> &files, int &allNew)
{
    int mixed = 0;
    allNew = 0;
    for (int trial = 0; trial < kKillTrials; ++trial) {
        const QString root = work + u"/kill%1"_s.arg(trial);
        QDir().mkpath(root + u"/program/system"_s);
        QDir().mkpath(root + u"/config"_s);
        for (const char *name : kNames) {
            QFile old(storedPath(root, name));
            if (!old.open(QIODevice::WriteOnly) || old.write(oldBytes(name)) < 0)
                return kKillTrials;
        }
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(program, childArguments(port, root));
        child.waitForStarted();
        QThread::msleep(static_cast<unsigned long>(spanMs * trial / (kKillTrials - 1)));
        child.kill();
        child.waitForFinished(-1);
        Platform::finishInterruptedWrites({root + u"/program/system/"_s, root + u"/program/"_s});
        int news = 0;
        int olds = 0;
        for (const char *name : kNames) {
            const QByteArray bytes = storedBytes(root, name);
            news += bytes == files.at(name) + "\r\n" ? 1 : 0;
            olds += bytes == oldBytes(name) ? 1 : 0;
        }
        allNew += news == int(std::size(kNames)) ? 1 : 0;
        mixed += news == int(std::size(kNames)) || olds == int(std::size(kNames)) ? 0 : 1;
    }
    return mixed;
}

std::map<std::string, QByteArray> servedFiles(const QString &folder, int engines)
{
    std::map<std::string, QByteArray> files;
    if (QProcess::execute(QStringLiteral(VELQUIST_GEN_ENGINES), {QString::number(engines), folder}) != 0)
        return files;
    for (const char *name : kNames) {
        const bool generated = QByteArray(name) == "vqzeng5.dat" || QByteArray(name) == "catvqs.dat";
        QFile file((generated ? folder + u'/' : QStringLiteral(VELQUIST_SOURCE_DIR "/data/")) + QLatin1StringView(name));
        if (file.open(QIODevice::ReadOnly))
            files[name] = file.readAll();
    }
    // The top-engine list names engines of the database it comes with.
    QByteArray top;
    for (int i = 1; i <= std::min(engines, 20); ++i)
        top += "Generated Engine " + QByteArray::number(i) + "\r\n";
    files["top.vqs"] = top;
    return files;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc == 4 && QByteArray(argv[1]) == "--child") {
        QApplication app(argc, argv);
        return runUpdate(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    }
    QCoreApplication app(argc, argv);
    const int engines = argc > 1 ? std::atoi(argv[1]) : 100000;
    QTemporaryDir work;
    const std::map<std::string, QByteArray> files = servedFiles(work.path(), engines);
    if (files.size() != std::size(kNames)) {
        std::printf("cannot prepare the served files\n");
        return 1;
    }
    qsizetype largest = 0;
    for (const auto &[name, bytes] : files)
        largest = std::max(largest, bytes.size());
    FileServer server(files);
    if (server.port() == 0) {
        std::printf("cannot listen on 127.0.0.1\n");
        return 1;
    }
    const QString curl = QStandardPaths::findExecutable(u"curl"_s);

    double bestCurl = -1.0;
    UpdateRun best;
    bool allStored = true;
    bool allDone = true;
    double longestChildMs = 0.0;
    for (int round = 0; round < kRounds; ++round) {
        if (!curl.isEmpty()) {
            const QString folder = work.path() + u"/curl%1"_s.arg(round);
            QDir().mkpath(folder);
            const double ms = runCurl(curl, server.port(), folder);
            if (ms >= 0 && (bestCurl < 0 || ms < bestCurl))
                bestCurl = ms;
        }
        const QString root = work.path() + u"/update%1"_s.arg(round);
        QDir().mkpath(root + u"/program/system"_s);
        QDir().mkpath(root + u"/config"_s);
        // Nothing else left to write: the update's own syncs pay for its files alone.
        ::sync();
        QElapsedTimer childTimer;
        childTimer.start();
        const UpdateRun run = runChild(QString::fromLocal8Bit(argv[0]), server.port(), root);
        longestChildMs = std::max(longestChildMs, double(childTimer.nsecsElapsed()) / 1e6);
        allDone = allDone && run.done;
        allStored = allStored && storedAsServed(root, files);
        if (run.done && (best.ms == 0 || run.ms < best.ms))
            best = run;
    }

    std::printf("engine data update of %d engines (%.1f MB in five files, largest %.1f MB), best of %d\n", engines,
                mb(double(files.at("vqzeng5.dat").size() + files.at("catvqs.dat").size() + files.at("top.vqs").size()
                          + files.at("cat.vqs").size() + files.at("vqreng.dat").size())),
                mb(double(largest)), kRounds);
    bool ok = allDone && allStored;
    if (curl.isEmpty() || bestCurl < 0) {
        std::printf("  update %.1f ms; curl %s: FAIL\n", best.ms, curl.isEmpty() ? "is not on the PATH" : "failed");
        ok = false;
    } else {
        const bool fast = allDone && best.ms < kTimeFactor * bestCurl;
        std::printf("  update %.1f ms, floor %.1f ms (curl and a sync of its files; ratio %.2f, target under %.0fx): %s\n",
                    best.ms, bestCurl, best.ms / bestCurl, kTimeFactor, verdict(fast));
        ok = ok && fast;
    }
    const double memoryTarget = best.beforeMb + kMemoryFactor * mb(double(largest));
    const bool lean = allDone && best.peakMb < memoryTarget;
    std::printf("  peak memory %.1f MB (resident %.1f MB before Start; target under %.1f MB): %s\n", best.peakMb,
                best.beforeMb, memoryTarget, verdict(lean));
    std::printf("  every run completed: %s; stored files equal the served bytes plus CR LF: %s\n", verdict(allDone),
                verdict(allStored));
    int allNew = 0;
    const int mixed = killTrials(QString::fromLocal8Bit(argv[0]), server.port(), work.path(), longestChildMs, files, allNew);
    std::printf("  kill trials over %.0f ms: %d of %d left a mixed set after the next start (%d all new): %s\n",
                longestChildMs, mixed, kKillTrials, allNew, verdict(mixed == 0));
    return ok && lean && mixed == 0 ? 0 : 1;
}
