// Loads and edits that must grow linearly with their data, each timed at its full size and at a
// tenth of it, offscreen, in temporary folders of their own:
//   - 40,000 engines, each of its own country, loaded into the main window under 1 s;
//   - modCommon::replaceMetaTag and modCommon::insertMetaTag on a 1 MB page under 20 ms each.
// The full size may take at most 13 times as long as the tenth (linear growth with room for noise).
// Each figure is the best of several runs (more for the quick ones). Exit code 0 only when every figure is met.
//
// Part of bench_sitedata, which runs these cases after its own.
#include "bench/BenchSupport.h"
#include "bench/bench_sitedata_data.h"

#include <algorithm>
#include <cstdio>
#include <functional>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QTemporaryDir>

#include "core/modCommonHtml.h"
#include "mainwindow/frmMain.h"
#include "platform/Dialogs.h"
#include "platform/EventLoop.h"
#include "sitedata/EngineCollection.h"
#include "sitedata/clsMain.h"

using namespace Qt::StringLiterals;

namespace {

constexpr double kMaxRatio = 13.0;
constexpr int kRuns = 5;

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// The best of at least `kRuns` timings, and of more for quick work, or of `runs` when given
// (BenchSupport::moreRuns): one slow run of a few milliseconds on a busy machine must not pass for
// a change of growth. `prepare` runs untimed before each of them.
double bestMs(const std::function<void()> &prepare, const std::function<bool()> &work, bool &ok, int &runs)
{
    double best = 1e12;
    double timed = 0.0;
    for (int run = 0; BenchSupport::moreRuns(run, timed, runs, kRuns); ++run) {
        prepare();
        QElapsedTimer timer;
        timer.start();
        ok = work() && ok;
        const double ms = double(timer.nsecsElapsed()) / 1e6;
        best = std::min(best, ms);
        timed += ms;
    }
    return best;
}

using BenchSupport::verdict;

// Prints one case: the full size against its target, the tenth and the ratio between the two.
bool report(const char *label, double fullMs, double targetMs, double tenthMs, bool ran)
{
    const double ratio = tenthMs > 0.0 ? fullMs / tenthMs : 0.0;
    const bool fullOk = ran && fullMs < targetMs;
    const bool ratioOk = ran && ratio <= kMaxRatio;
    std::printf("%-44s %8.1f ms (target < %.0f ms) %s\n", label, fullMs, targetMs, verdict(fullOk));
    std::printf("%-44s %8.1f ms, ratio %.1f (target <= %.0f) %s\n", "  at a tenth of the size", tenthMs, ratio,
                kMaxRatio, verdict(ratioOk));
    std::fflush(stdout);
    return fullOk && ratioOk;
}

// An engine database of `engines` engines, each with a country code no other engine has.
QByteArray engineDatabase(int engines)
{
    QByteArray bytes;
    for (int i = 1; i <= engines; ++i) {
        const QByteArray n = QByteArray::number(i);
        bytes += "Name=Engine " + n + "\r\nCountry=C" + QByteArray::number(i, 36).toUpper() + "\r\nType=ENG\r\n"
            + "Category=N\r\nMethod=GET\r\nAction=http://engine" + n + ".example/add\r\nQuery=url=<url>\r\n\r\n";
    }
    return bytes + "END:Version 6.0\r\n";
}

struct EngineFolders {
    QTemporaryDir root;
    QString program = root.path() + u"/program/"_s;
    QString engineData = program + u"system/"_s;

    bool prepare(int engines)
    {
        QDir().mkpath(engineData);
        QDir().mkpath(root.path() + u"/config"_s);
        qputenv("VELQUIST_HOME", program.toUtf8());
        qputenv("VELQUIST_WINDIR", engineData.toUtf8());
        qputenv("VELQUIST_CONFIG", (root.path() + u"/config/"_s).toUtf8());
        return QFile::copy(QStringLiteral(VELQUIST_SOURCE_DIR "/data/country.vqs"), program + u"country.vqs"_s)
            && writeBytes(engineData + u"catvqs.dat"_s, "[Free For All Links]\r\nOther=FFA-0\r\nEND\r\n")
            && writeBytes(engineData + u"vqzeng5.dat"_s, engineDatabase(engines));
    }
};

// A fresh main window for each run: its country filter list starts empty.
double engineLoadMs(int engines, bool &ok, int &runs)
{
    EngineFolders folders;
    ok = folders.root.isValid() && folders.prepare(engines);
    clsMain *main = nullptr;
    const double ms = bestMs(
        [&] {
            if (main)
                delete main->mainWindow();   // the window owns its clsMain
            main = new clsMain;
            main->mainWindow()->show();
            Platform::doEvents();
        },
        [&] {
            return main->loadEngineCategory() && main->loadEngines() && myEngines().count() == engines
                && main->mainWindow()->lstCountry->count() == engines;
        },
        ok, runs);
    delete main->mainWindow();
    return ms;
}

// A page of `bytes` bytes: a head of many meta tags (the ones the writers edit among others),
// then a body of paragraphs.
QByteArray page(qsizetype bytes)
{
    QByteArray text = "<html><head><title>Old title</title>\r\n";
    const QByteArray head = "<meta name=\"keywords\" content=\"alpha, beta, gamma\">\r\n"
                            "<meta name=\"description\" content=\"A page of the benchmark\">\r\n"
                            "<link rel=\"stylesheet\" href=\"style.css\">\r\n";
    while (text.size() < bytes / 2)
        text += head;
    text += "</head><body>\r\n";
    while (text.size() < bytes - 16)
        text += "<p>Some text of the page, <b>bold</b> and <i>not</i>.</p>\r\n";
    return text + "</body></html>";
}

double metaTagMs(qsizetype bytes, bool replace, bool &ok, int &runs)
{
    QTemporaryDir root;
    const QString file = root.path() + u"/page.htm"_s;
    const QByteArray original = page(bytes);
    ok = root.isValid();
    return bestMs([&] { ok = writeBytes(file, original) && ok; },
                  [&] {
                      if (replace)
                          modCommon::replaceMetaTag(file, u"New title"_s, u"new, words"_s, u"New text"_s);
                      else
                          modCommon::insertMetaTag(file, u"New title"_s, u"new, words"_s, u"New text"_s);
                      return QFileInfo(file).size() > bytes / 4;
                  },
                  ok, runs);
}

bool engineCase()
{
    bool fullOk = true;
    bool tenthOk = true;
    int runs = 0;   // the full size chooses, the tenth runs as often
    const double full = engineLoadMs(40000, fullOk, runs);
    const double tenth = engineLoadMs(4000, tenthOk, runs);
    return report("40,000 engines of distinct countries loaded", full, 1000.0, tenth, fullOk && tenthOk);
}

bool metaTagCase(bool replace)
{
    bool fullOk = true;
    bool tenthOk = true;
    int runs = 0;
    const double full = metaTagMs(1024 * 1024, replace, fullOk, runs);
    const double tenth = metaTagMs(1024 * 1024 / 10, replace, tenthOk, runs);
    return report(replace ? "replaceMetaTag on a 1 MB page" : "insertMetaTag on a 1 MB page", full, 20.0, tenth,
                  fullOk && tenthOk);
}

} // namespace

bool runDataFileCases()
{
    const bool engines = engineCase();
    const bool replaced = metaTagCase(true);
    const bool inserted = metaTagCase(false);
    return engines && replaced && inserted;
}
