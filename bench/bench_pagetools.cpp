// The meta-tag editor over a folder of 10,000 pages of 10 KB, offscreen in a temp program folder:
// the folder list filled and painted, and the bulk update in replace and then insert mode, each on
// a fresh copy of the pages, checked byte for byte afterwards. Each is judged against its floor
// measured in the same run, its time in milliseconds printed beside: for the list, a plain
// listing of the folder (each entry's name read and its kind and size looked up, the best of five
// runs); for each update, safe rewriting (each page read and replaced through a temp file in its
// folder, flushed to disk and renamed, one thread), the mean of the rounds just before and just
// after it, with a raw "cp -r" of the folder printed beside each round.
//
// The update is started with the Update button, its question answered Yes by the dialog hook.
//
// Figures a run must meet: each listing of the folder within 20 times its floor (300 ms where
// the floor takes 15 ms); each update within 1.5 times its floor.
//
// Usage: bench_pagetools [pages]   (default: 10000)
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTreeWidget>

#include "bench/BenchSupport.h"
#include "core/modCommon.h"
#include "pagetools/frmMetaTag.h"
#include "platform/Dialogs.h"
#include "platform/EventLoop.h"
#include "platform/Shell.h"

using namespace Qt::StringLiterals;

namespace {

constexpr double kListingFloorFactor = 20.0;
constexpr double kUpdateFloorFactor = 1.5;
constexpr int kListingFloorRuns = 5;
constexpr int kPageBytes = 10 * 1024;

const QByteArray kTitle = "New Title";
const QByteArray kKeywords = "new,keys";
const QByteArray kDescription = "New description";

int g_failures = 0;
int g_dialogs = 0;

using BenchSupport::timedMs;

// A figure judged by its ratio to the floor measured in the same run.
void report(const char *what, double ms, double floorMs, double factor, bool checked)
{
    const double ratio = ms / floorMs;
    const bool ok = checked && ratio <= factor;
    std::printf("%-44s %9.1f ms, %.2fx the floor of %.1f ms (target %.1fx) %s\n", what, ms, ratio, floorMs, factor,
                ok ? "ok" : "FAIL");
    if (!ok)
        ++g_failures;
}

// One generated page: its parts, so that the bytes each edit must give can be built from them.
struct Page {
    QByteArray lineEnd;
    bool withTags = false;
    QByteArray title;
    QByteArray body;   // from "<body>" to the end

    QByteArray head(const QByteArray &titleText, const QByteArray &tags) const
    {
        return "<html>" + lineEnd + "<head>" + tags + lineEnd + "<title>" + titleText + "</title>" + lineEnd;
    }
    QByteArray original() const
    {
        QByteArray tags;
        if (withTags)
            tags = "<meta name=\"keywords\" content=\"k1,k2\">" + lineEnd
                   + "<meta name=\"description\" content=\"old text\">" + lineEnd;
        return head(title, QByteArray()) + tags + "</head>" + lineEnd + body;
    }
    QByteArray replaced() const
    {
        const QByteArray tags = "\r\n<meta name=\"keywords\" content=\"" + kKeywords + "\">\r\n<meta name=\"description\" content=\""
                                + kDescription + "\">";
        return head(kTitle, tags) + (withTags ? lineEnd + lineEnd : QByteArray()) + "</head>" + lineEnd + body + "\r\n";
    }
    QByteArray inserted() const
    {
        if (!withTags) {
            const QByteArray tags = "<meta name=\"keywords\" content=\"" + kKeywords + "\">\r\n<meta name=\"description\" content=\""
                                    + kDescription + "\">\r\n";
            return "<html>" + lineEnd + "<head>" + tags + lineEnd + "<title>" + kTitle + title + "</title>" + lineEnd + "</head>"
                   + lineEnd + body + "\r\n";
        }
        return head(kTitle + title, QByteArray()) + "<meta name=\"keywords\" content=\"" + kKeywords + "k1,k2\">" + lineEnd
               + "<meta name=\"description\" content=\"" + kDescription + "old text\">" + lineEnd + "</head>" + lineEnd + body
               + "\r\n";
    }
};

Page makePage(int i)
{
    Page page;
    page.lineEnd = i % 2 ? "\r\n" : "\n";
    page.withTags = i % 4 < 2;
    page.title = "Page " + QByteArray::number(i);
    const QByteArray high = i % 3 ? QByteArray("caf\xc3\xa9 \xe2\x82\xac") : QByteArray("caf\xe9 \x80 \x81");
    QByteArray body = "<body>" + page.lineEnd;
    while (body.size() < kPageBytes - 600)
        body += "<p>Text of page " + QByteArray::number(i) + ", " + high + " and more words for its size.</p>" + page.lineEnd;
    page.body = body + "</body>" + page.lineEnd + "</html>" + page.lineEnd;
    return page;
}

QString pageName(int i)
{
    return u"page%1.htm"_s.arg(i, 5, 10, QChar(u'0'));
}

bool run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(600000) && process.exitCode() == 0;
}

double copyFolder(const QString &from, const QString &to)
{
    run(u"sync"_s, {});
    const double ms = timedMs([&] { run(u"cp"_s, {u"-r"_s, from, to}); });
    run(u"sync"_s, {});
    return ms;
}

// Reads each page and puts it back through a temp file in its folder: written, flushed to disk,
// renamed over the page.
double floorLoop(const QString &folder, int pages)
{
    return timedMs([&] {
        for (int i = 0; i < pages; ++i) {
            const QString path = folder + u"/"_s + pageName(i);
            QFile in(path);
            in.open(QIODevice::ReadOnly);
            const QByteArray bytes = in.readAll() + "\r\n";
            in.close();
            const QByteArray temp = QFile::encodeName(path + u".tmp"_s);
            const int fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (fd < 0 || ::write(fd, bytes.constData(), size_t(bytes.size())) != bytes.size() || ::fsync(fd) != 0)
                ++g_failures;
            ::close(fd);
            ::rename(temp.constData(), QFile::encodeName(path).constData());
        }
    });
}

int checkPages(const QString &folder, const std::vector<Page> &pages, bool replace)
{
    int wrong = 0;
    for (size_t i = 0; i < pages.size(); ++i) {
        QFile file(folder + u"/"_s + pageName(int(i)));
        file.open(QIODevice::ReadOnly);
        if (file.readAll() != (replace ? pages[i].replaced() : pages[i].inserted()))
            ++wrong;
    }
    return wrong;
}

// Each entry's name read, and its kind and size looked up, as any listing of the folder must.
double plainListingMs(const QString &folder)
{
    double best = 0;
    for (int run = 0; run < kListingFloorRuns; ++run) {
        int entries = 0;
        const double ms = timedMs([&] {
            DIR *dir = ::opendir(QFile::encodeName(folder).constData());
            if (!dir)
                return;
            struct stat info {};
            for (const dirent *entry = ::readdir(dir); entry; entry = ::readdir(dir))
                entries += ::fstatat(::dirfd(dir), entry->d_name, &info, 0) == 0 ? 1 : 0;
            ::closedir(dir);
        });
        if (entries < 10011)
            ++g_failures;
        best = run == 0 ? ms : std::min(best, ms);
    }
    return best;
}

void benchListing(const QString &root)
{
    const QString folder = root + u"/listing"_s;
    QDir().mkpath(folder);
    for (int i = 0; i < 10; ++i)
        QDir().mkpath(folder + u"/folder%1"_s.arg(i));
    for (int i = 0; i < 10000; ++i) {
        QFile file(folder + u"/"_s + (i % 2 ? pageName(i) : u"file%1.txt"_s.arg(i)));
        file.open(QIODevice::WriteOnly);
    }
    frmMetaTag *window = frmMetaTag::instance();
    window->show();
    QApplication::processEvents();
    const double floor = plainListingMs(folder);
    for (const char *what : {"folder list: 10,000 files, first listing", "folder list: 10,000 files, second listing"}) {
        const double ms = timedMs([&] {
            window->addDirs(folder);
            QApplication::processEvents();
        });
        report(what, ms, floor, kListingFloorFactor, window->lsvDirs->topLevelItemCount() == 10011);
    }
}

void benchUpdate(const QString &root, int count)
{
    const QString source = root + u"/source"_s;
    QDir().mkpath(source);
    std::vector<Page> pages;
    pages.reserve(size_t(count));
    for (int i = 0; i < count; ++i) {
        pages.push_back(makePage(i));
        QFile file(source + u"/"_s + pageName(i));
        file.open(QIODevice::WriteOnly);
        file.write(pages.back().original());
    }
    const auto floorRound = [&](int round) {
        const QString copy = root + u"/floor%1"_s.arg(round);
        const double copyMs = copyFolder(source, copy);
        const double ms = floorLoop(copy, count);
        std::printf("floor round %d: safe rewrite %9.1f ms, cp -r %9.1f ms\n", round, ms, copyMs);
        QDir(copy).removeRecursively();
        return ms;
    };
    // In turns, so that each update meets the disk as the floor rounds on either side of it did.
    std::vector<double> floors = {floorRound(1)};
    frmMetaTag *window = frmMetaTag::instance();
    for (bool replace : {true, false}) {
        const QString copy = root + (replace ? u"/replace"_s : u"/insert"_s);
        copyFolder(source, copy);
        window->addDirs(copy);
        window->lsvDirs->selectAll();
        window->txtTitle->setText(QString::fromLatin1(kTitle));
        modCommon::setMultiLineText(window->txtKeyword, QString::fromLatin1(kKeywords));
        modCommon::setMultiLineText(window->txtDescription, QString::fromLatin1(kDescription));
        window->optUpdate[replace ? 1 : 0]->setChecked(true);
        const double ms = timedMs([&] { window->Command1_Click(0); });
        const int wrong = checkPages(copy, pages, replace);
        floors.push_back(floorRound(int(floors.size()) + 1));
        const double floor = (floors[floors.size() - 2] + floors.back()) / 2;
        report(replace ? "bulk update, replace mode" : "bulk update, insert mode", ms, floor, kUpdateFloorFactor,
               wrong == 0 && g_dialogs == 0);
        std::printf("  %d of %d pages differ from the expected bytes\n", wrong, count);
        QDir(copy).removeRecursively();
    }
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int count = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 10000;
    QTemporaryDir temp;
    const QString root = temp.path();
    QDir().mkpath(root + u"/program/system"_s);
    QDir().mkpath(root + u"/config"_s);
    qputenv("VELQUIST_HOME", (root + u"/program/"_s).toUtf8());
    qputenv("VELQUIST_WINDIR", (root + u"/program/system/"_s).toUtf8());
    qputenv("VELQUIST_CONFIG", (root + u"/config/"_s).toUtf8());
    // The update's question is answered Yes; any other box is a failure.
    Platform::setDialogHook([](const Platform::DialogRequest &request) -> std::optional<Platform::DialogAnswer> {
        if (request.title == u"Meta Tag"_s)
            return Platform::DialogAnswer{Platform::Yes, QString(), 1};
        std::printf("unexpected box: %s\n", qPrintable(request.prompt));
        ++g_dialogs;
        return Platform::DialogAnswer{Platform::Ok, QString(), 1};
    });
    Platform::setShellHook([](Platform::ShellAction, const QString &) { return true; });

    benchListing(root);
    benchUpdate(root, count);
    delete frmMetaTag::loadedInstance();
    std::printf("%s\n", g_failures ? "FAIL" : "all figures ok");
    return g_failures ? 1 : 0;
}
