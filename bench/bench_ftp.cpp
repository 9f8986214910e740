// Drives the offscreen FTP window against the Debian FTP server (python3-pyftpdlib) on
// 127.0.0.1, with curl against the same server in the same run as the floor:
// - one 200 MB file of random bytes: at least 50% of curl -T's throughput, stored byte-identical,
//   peak memory under 64 MB above the logged-in idle size;
// - 500 files of 4 KB: within 10% of 500 x (100 ms + the mean STOR-to-226 time of one file), with
//   curl's time for the same files, one run per file, printed beside it;
// - a listing of 10,000 entries parsed into the remote list in under 300 ms.
// Prints each figure with its target and "ok" or "FAIL"; exits 0 only when all pass.
#include <cstdio>

#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>

#include "ftp/frmFTPClient.h"
#include "ftp/frmFTPLogin.h"
#include "ftp/modFTP.h"
#include "platform/Dialogs.h"
#include "platform/EventLoop.h"
#include "platform/KeyedListView.h"
#include "support/PyFtpdServer.h"

using namespace Qt::StringLiterals;

namespace {

const QString kUser = u"bench"_s;
const QString kPassword = u"benchpw"_s;
bool g_allPassed = true;

void report(const char *name, double value, const char *unit, const QString &target, bool ok)
{
    std::printf("%-34s %10.1f %-5s (target %s) %s\n", name, value, unit, qPrintable(target), ok ? "ok" : "FAIL");
    g_allPassed = g_allPassed && ok;
}

qint64 statusKb(const char *field)
{
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qsizetype(qstrlen(field))).trimmed().split(' ').first().toLongLong();
    }
    return 0;
}

void resetPeakMemory()
{
    QFile clear(u"/proc/self/clear_refs"_s);
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

QByteArray sha256Of(const QString &path)
{
    QFile file(path);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (file.open(QIODevice::ReadOnly))
        hash.addData(&file);
    return hash.result();
}

void writeRandomFile(const QString &path, qint64 size)
{
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    QByteArray block(1024 * 1024, '\0');
    for (qint64 written = 0; written < size; written += block.size()) {
        QRandomGenerator::global()->fillRange(reinterpret_cast<quint32 *>(block.data()), block.size() / 4);
        file.write(block.left(std::min<qint64>(block.size(), size - written)));
    }
}

// Milliseconds curl takes to upload `file` to `url`.
qint64 curlUpload(const QString &file, const QString &url)
{
    QElapsedTimer clock;
    clock.start();
    QProcess curl;
    curl.start(u"curl"_s, {u"-s"_s, u"-S"_s, u"--user"_s, kUser + u':' + kPassword, u"-T"_s, file, url});
    curl.waitForFinished(120000);
    if (curl.exitCode() != 0)
        std::printf("curl failed: %s\n", curl.readAllStandardError().constData());
    return clock.elapsed();
}

bool waitIdle(frmFTPClient *w, int timeoutMs)
{
    return Platform::waitUntil([w] { return !w->isBusy() && !w->Timer1.enabled() && !w->Timer2.enabled(); },
                               timeoutMs);
}

void changeFolder(frmFTPClient *w, const QString &path)
{
    w->txtRemotePath->setText(path);
    w->txtRemotePath_Enter();
    Platform::waitUntil([] { return false; }, 50);
    waitIdle(w, 30000);
}

void selectFiles(frmFTPClient *w, const QString &folder)
{
    w->addDirs(folder);
    for (QTreeWidgetItem *row : w->lsvDirs->rows())
        row->setSelected(itemImageKey(row).endsWith(u"File"_s));
}

void benchBigFile(frmFTPClient *w, const QString &local, const QString &served, int port)
{
    constexpr qint64 kSize = 200LL * 1024 * 1024;
    writeRandomFile(local + u"big/big.bin"_s, kSize);
    changeFolder(w, u"/up"_s);
    selectFiles(w, local + u"big/"_s);
    qint64 storedAt = 0;
    QObject context;
    QObject::connect(w, &frmFTPClient::fileStored, &context, [&] { storedAt = Platform::tickCount(); });
    resetPeakMemory();
    const qint64 idleKb = statusKb("VmRSS:");
    const qint64 clickedAt = Platform::tickCount();
    w->btnSendFile_Click();
    Platform::waitUntil([&] { return storedAt > 0; }, 120000);
    const qint64 peakKb = statusKb("VmHWM:");
    waitIdle(w, 30000);
    const qint64 clientMs = std::max<qint64>(1, storedAt - clickedAt);
    const qint64 curlMs = curlUpload(local + u"big/big.bin"_s,
                                     u"ftp://127.0.0.1:%1/up/curl-big.bin"_s.arg(port));
    const double clientMBs = kSize / 1048576.0 / (clientMs / 1000.0);
    const double curlMBs = kSize / 1048576.0 / (curlMs / 1000.0);
    std::printf("200 MB upload: client %lld ms, curl -T %lld ms\n", clientMs, curlMs);
    report("200 MB throughput vs curl", 100.0 * clientMBs / curlMBs, "%", u">= 50%"_s,
           storedAt > 0 && clientMBs >= 0.5 * curlMBs);
    report("200 MB stored byte-identical", storedAt > 0 ? 1 : 0, "", u"identical"_s,
           sha256Of(served + u"/up/big.bin"_s) == sha256Of(local + u"big/big.bin"_s));
    report("200 MB peak memory above idle", (peakKb - idleKb) / 1024.0, "MB", u"< 64 MB"_s,
           peakKb - idleKb < 64 * 1024);
    QFile::remove(local + u"big/big.bin"_s);
}

void benchSmallFiles(frmFTPClient *w, const QString &local, int port)
{
    constexpr int kFiles = 500;
    const QString folder = local + u"small/"_s;
    QDir().mkpath(folder);
    for (int i = 0; i < kFiles; ++i) {
        QFile file(folder + u"f%1.txt"_s.arg(i, 3, 10, QChar(u'0')));
        file.open(QIODevice::WriteOnly);
        file.write(QByteArray(4096, char('a' + i % 26)));
    }
    changeFolder(w, u"/up500"_s);
    selectFiles(w, folder);
    qint64 fileMsTotal = 0;
    int stored = 0;
    qint64 lastAt = 0;
    QObject context;
    QObject::connect(w, &frmFTPClient::fileStored, &context, [&](const QString &, qint64 ms) {
        fileMsTotal += ms;
        ++stored;
        lastAt = Platform::tickCount();
    });
    const qint64 clickedAt = Platform::tickCount();
    w->btnSendFile_Click();
    Platform::waitUntil([&] { return stored == kFiles || !w->isBusy(); }, 600000);
    waitIdle(w, 60000);
    const qint64 clientMs = lastAt - clickedAt;
    const double meanMs = stored ? double(fileMsTotal) / stored : 0;
    const double bound = kFiles * (modFTP::intervals().nextFileMs + meanMs);
    qint64 curlMs = 0;
    for (int i = 0; i < kFiles; ++i)
        curlMs += curlUpload(folder + u"f%1.txt"_s.arg(i, 3, 10, QChar(u'0')),
                             u"ftp://127.0.0.1:%1/up500curl/"_s.arg(port));
    std::printf("500 x 4 KB: client %lld ms, mean STOR to 226 %.1f ms, pacing bound %.0f ms, curl once per file %lld ms\n",
                clientMs, meanMs, bound, curlMs);
    report("500 files vs pacing bound", 100.0 * clientMs / bound, "%", u"100% +/- 10%"_s,
           stored == kFiles && std::abs(clientMs - bound) <= 0.1 * bound);
}

void benchListing(frmFTPClient *w, const QString &served)
{
    const QString folder = served + u"/list10k"_s;
    QDir().mkpath(folder);
    for (int i = 0; i < 5000; ++i) {
        QDir().mkdir(folder + u"/dir%1"_s.arg(i));
        QFile file(folder + u"/file%1.htm"_s.arg(i));
        file.open(QIODevice::WriteOnly);
    }
    changeFolder(w, u"/list10k"_s);
    QElapsedTimer clock;
    clock.start();
    w->ListFile(u"/list10k"_s);
    const qint64 ms = clock.elapsed();
    const int rows = w->lsvRemote->topLevelItemCount();
    std::printf("listing: %d rows\n", rows);
    report("10,000-entry listing", double(ms), "ms", u"< 300 ms"_s, rows == 10001 && ms < 300);
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    QApplication app(argc, argv);
    QTemporaryDir root;
    // A box would wait for a user: its text is shown and the run counts as failed.
    Platform::setDialogHook([](const Platform::DialogRequest &request) -> std::optional<Platform::DialogAnswer> {
        std::printf("FAIL: dialog \"%s\"\n", qPrintable(request.prompt));
        g_allPassed = false;
        return Platform::DialogAnswer{};
    });
    qputenv("VELQUIST_HOME", (root.path() + u"/program/"_s).toUtf8());
    qputenv("VELQUIST_CONFIG", (root.path() + u"/config/"_s).toUtf8());
    const QString served = root.path() + u"/served"_s;
    const QString local = root.path() + u"/local/"_s;
    for (const QString &path : QStringList{served + u"/up"_s, served + u"/up500"_s, served + u"/up500curl"_s, local + u"big"_s})
        QDir().mkpath(path);
    TestSupport::PyFtpdServer ftpd(served, kUser, kPassword);
    if (!ftpd.started()) {
        std::printf("FAIL: %s\n", qPrintable(ftpd.failure()));
        return 1;
    }
    frmFTPClient *w = frmFTPClient::instance();
    w->show();
    QTimer::singleShot(0, [&] {
        auto *login = qobject_cast<frmFTPLogin *>(QApplication::activeModalWidget());
        login->txtHostName->setText(ftpd.hostPort());
        login->txtUsername->setText(kUser);
        login->txtPassword->setText(kPassword);
        login->txtRemotePath->setText(u"/"_s);
        login->btnOK_Click();
    });
    w->btnConnect_Click();
    Platform::waitUntil([] { return false; }, 100);
    if (!waitIdle(w, 10000) || !modFTP::state().ftpConnected) {
        std::printf("FAIL: no login\n");
        return 1;
    }
    benchBigFile(w, local, served, ftpd.port());
    benchSmallFiles(w, local, ftpd.port());
    benchListing(w, served);
    w->btnConnect_Click();
    delete w;
    std::printf("%s\n", g_allPassed ? "all figures ok" : "some figures FAIL");
    return g_allPassed ? 0 : 1;
}
