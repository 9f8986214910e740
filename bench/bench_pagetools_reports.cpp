// The optimizer report and the doorway pages, driven through their real windows offscreen with
// the dialog and shell hooks answering, in a temporary program folder. Every figure must meet
// its target; the exit code is 0 only when all do.
//
// Cases: the optimizer on a 1 MB local page (a 1,000-character keywords tag of 100 keywords that
// occur in the text, a 200-character description): read, report built, written and its open
// recorded, under 200 ms (median of three runs); the same on a 1 MB page whose keywords tag holds
// 20,000 keywords, under 200 ms; the same on a body of 1 MB of "a" whose keywords tag of 2 MB
// nests 2,000 keywords "a", "aa", ..., under 500 ms; the doorway window writing pages for 1,000
// keywords (125 Creates of 8 distinct keywords into one folder, the result box answered No),
// within 1.5 times its floor, a plain loop writing the same 1,000 files safely (each through a
// temp file flushed to disk and renamed over its name) twice, one round on either side of the
// window's run; the 1,000 files are counted and one file's bytes checked; a doorway profile whose body is one line of
// 1 MB picked in the profile box and the window repainted, under 1 s; the optimizer's keyword
// counter on a keywords tag of 8 MB of distinct random words over 1 MB of them, its peak memory
// at most 10 times the tag's 8 MB (the time printed beside).
//
// Usage: bench_pagetools_reports
#include <algorithm>
#include <cstdio>
#include <functional>
#include <random>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSet>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTemporaryDir>

#include "bench/BenchMemory.h"
#include "bench/BenchSupport.h"
#include "core/modCommon.h"
#include "core/modStartUp.h"
#include "pagetools/DoorwayPage.h"
#include "pagetools/DoorwayProfile.h"
#include "pagetools/KeywordCounts.h"
#include "pagetools/frmDoorway.h"
#include "pagetools/frmOptimizer.h"
#include "platform/Codec1252.h"
#include "platform/Dialogs.h"
#include "platform/Shell.h"
#include "platform/TextFile.h"

using namespace Qt::StringLiterals;

namespace {

constexpr int kRuns = 3;
constexpr int kKeywords = 100;
constexpr int kManyKeywords = 20000;
constexpr qsizetype kPageBytes = 1024 * 1024;
constexpr int kCreates = 125;
constexpr double kDoorwayFloorFactor = 1.5;
constexpr int kNestedKeywords = 2000;
constexpr qsizetype kCounterTagChars = 8 * 1024 * 1024;
constexpr double kCounterPeakPerTag = 10.0;

QStringList opened;
int messages = 0;

double elapsedMs(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

bool report(const char *name, double ms, double targetMs, bool checked)
{
    const bool ok = checked && ms < targetMs;
    std::printf("%-44s %8.1f ms (target %.0f ms) %s\n", name, ms, targetMs, ok ? "ok" : "FAIL");
    std::fflush(stdout);
    return ok;
}

QString keywordName(int i, int keywords)
{
    return u"keyword"_s + QString::number(i).rightJustified(keywords > 100 ? 5 : 2, u'0');
}

// The keywords of the page; a short list is filled up to the permitted 1,000 characters.
QString keywordsTag(int keywords)
{
    QStringList names;
    for (int i = 0; i < keywords; ++i)
        names.append(keywordName(i, keywords));
    QString tag = names.join(u',');
    return tag + QString(qMax<qsizetype>(0, 1000 - tag.size()), u'x');
}

QByteArray onePage(int keywords)
{
    QString html = u"<html><head><title>A page of many keywords</title>\r\n<meta name=\"keywords\" content=\""_s
                   + keywordsTag(keywords) + u"\">\r\n<meta name=\"description\" content=\""_s + QString(200, u'd')
                   + u"\">\r\n</head><body>\r\n"_s;
    for (int i = 0; html.size() < kPageBytes - 16; ++i)
        html += u"<p>Text about "_s + keywordName(i % keywords, keywords) + u" and what it means for the reader.</p>\r\n"_s;
    return Platform::toAnsi(html + u"</body></html>\r\n"_s);
}

// Nested keywords "a", "aa", ... up to kNestedKeywords letters (a 2 MB tag) over a body of 1 MB
// of "a": every letter ends every keyword up to its position.
QByteArray nestedPage()
{
    QStringList names;
    for (int length = 1; length <= kNestedKeywords; ++length)
        names.append(QString(length, u'a'));
    return Platform::toAnsi(u"<html><head><title>Nested keywords</title>\r\n<meta name=\"keywords\" content=\""_s
                            + names.join(u',') + u"\">\r\n</head><body>"_s + QString(kPageBytes, u'a')
                            + u"</body></html>\r\n"_s);
}

// The report row of the longest nested keyword with its count.
QByteArray nestedLastRow()
{
    return (QString(kNestedKeywords, u'a') + u"</font></td><td align=center><font FACE=Arial SIZE=2 COLOR=#000000>"_s
            + QString::number(kPageBytes / kNestedKeywords) + u"</font>"_s)
        .toLatin1();
}

bool optimizerCase(const QString &folder, const QByteArray &pageBytes, const QByteArray &lastRow, const char *name,
                   double targetMs)
{
    const QString page = folder + u"page.htm"_s;
    if (!Platform::writeBinaryFileAtomically(page, pageBytes))
        return false;
    std::vector<double> runs;
    bool checked = true;
    for (int run = 0; run < kRuns; ++run) {
        opened.clear();
        frmOptimizer *window = frmOptimizer::instance();
        window->show();
        window->cboSiteURL->setEditText(page);
        QElapsedTimer timer;
        timer.start();
        window->cmdRenovator_Click();
        runs.push_back(elapsedMs(timer));
        checked = checked && opened == QStringList({window->reportPath()})
                  && Platform::readBinaryFile(window->reportPath()).value_or(QByteArray()).contains(lastRow);
        window->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    std::printf("  optimizer runs: %.1f %.1f %.1f ms\n", runs[0], runs[1], runs[2]);
    std::sort(runs.begin(), runs.end());
    return report(name, runs[kRuns / 2], targetMs, checked && messages == 0);
}

bool optimizerCase(const QString &folder, int keywords, const char *name)
{
    return optimizerCase(folder, onePage(keywords), keywordName(keywords - 1, keywords).toLatin1(), name, 200.0);
}

// Writes each page into `folder` through a temp file flushed to disk and renamed over its name:
// what any safe writer of these files must at least do.
double safeWriteFloorMs(const QString &folder, const QList<QByteArray> &pages)
{
    QDir().mkpath(folder);
    bool written = true;
    const double ms = BenchSupport::timedMs([&] {
        for (qsizetype i = 0; i < pages.size(); ++i) {
            const QByteArray path = QFile::encodeName(folder + QString::number(i) + u".html"_s);
            const QByteArray temp = path + ".tmp";
            const int fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            const QByteArray &bytes = pages[i];
            written = fd >= 0 && ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size() && ::fsync(fd) == 0
                      && written;
            if (fd >= 0)
                ::close(fd);
            written = ::rename(temp.constData(), path.constData()) == 0 && written;
        }
    });
    if (!written)
        std::printf("  the floor could not write its files\n");
    return ms;
}

void fillDoorway(frmDoorway *window, int create)
{
    window->txtTitle->setText(u"Blue Widgets Direct \u00e9 \u20ac \u03a9"_s);
    for (int box = 0; box < 8; ++box)
        window->txtKeywords[box]->setText(u"widget "_s + QString::number(create) + u" "_s + QString::number(box));
    modCommon::setMultiLineText(window->txtDescription, u"Quality \"blue\" widgets shipped worldwide."_s);
    window->cboSiteURL->setEditText(u"www.example.com"_s);
    window->txtSubTitle1->setText(u"Widget care"_s);
    modCommon::setMultiLineText(window->txtSummary, QString(2000, u'b') + u"\r\nSecond paragraph."_s);
    window->txtImageURL->setText(u"http://www.example.com/logo.gif"_s);
    window->txtCompany->setText(u"Example Widgets Ltd"_s);
}

// The fields a Create reads, as the window's boxes show them.
DoorwayPage::Fields fieldsShown(const frmDoorway *window)
{
    DoorwayPage::Fields fields;
    fields.title = window->txtTitle->text();
    for (int box = 0; box < 8; ++box)
        fields.keywords[box] = window->txtKeywords[box]->text();
    fields.description = modCommon::multiLineText(window->txtDescription);
    fields.siteURL = window->cboSiteURL->currentText();
    fields.subTitles = {window->txtSubTitle1->text(), QString(), QString()};
    fields.body = modCommon::multiLineText(window->txtSummary);
    fields.logoURL = window->txtImageURL->text();
    fields.company = window->txtCompany->text();
    return fields;
}

QByteArray pageBytes(const DoorwayPage::Fields &fields)
{
    return Platform::toAnsiHtml(DoorwayPage::pageText(fields, DoorwayPage::vendorLink()) + u"\r\n"_s);
}

// The bytes of every page a run of the window writes, eight of each Create's text.
QList<QByteArray> doorwayPages(frmDoorway *window)
{
    QList<QByteArray> pages;
    for (int create = 0; create < kCreates; ++create) {
        fillDoorway(window, create);
        pages.append(QList<QByteArray>(8, pageBytes(fieldsShown(window))));
    }
    return pages;
}

bool doorwayCase(const QString &folder)
{
    const QString pages = folder + u"pages/"_s;
    QDir().mkpath(pages);
    frmDoorway *window = frmDoorway::instance();
    window->show();
    window->txtFileLocation->setText(pages);
    const QList<QByteArray> floorPages = doorwayPages(window);
    const double floorBefore = safeWriteFloorMs(folder + u"floor1/"_s, floorPages);
    double ms = 0;
    for (int create = 0; create < kCreates; ++create) {
        fillDoorway(window, create);
        QElapsedTimer timer;
        timer.start();
        window->Command1_Click(frmDoorway::CreateButton);
        ms += elapsedMs(timer);
    }
    const double floorAfter = safeWriteFloorMs(folder + u"floor2/"_s, floorPages);
    const qsizetype files = QDir(pages).entryList(QDir::Files).size();
    const DoorwayPage::Fields last = fieldsShown(window);
    const bool bytesOk = Platform::readBinaryFile(pages + DoorwayPage::fileName(last.keywords[7])).value_or(QByteArray())
                         == pageBytes(last);
    std::printf("  doorway files: %lld, last file's bytes %s\n", static_cast<long long>(files),
                bytesOk ? "as expected" : "DIFFER");
    window->close();
    // The result box of every Create was answered, and nothing else asked.
    const double floor = (floorBefore + floorAfter) / 2;
    const bool ok = files == kCreates * 8 && bytesOk && messages == kCreates && opened.isEmpty()
                    && ms < kDoorwayFloorFactor * floor;
    std::printf("%-44s %8.1f ms, %.2fx the floor of %.1f ms (%.1f and %.1f; target %.1fx) %s\n",
                "doorway pages for 1,000 keywords", ms, ms / floor, floor, floorBefore, floorAfter, kDoorwayFloorFactor,
                ok ? "ok" : "FAIL");
    std::fflush(stdout);
    return ok;
}

// A profile whose body is one line of 1 MB: picked in the profile box, loaded and shown.
bool longBodyProfileCase()
{
    // No blank to wrap at: the box must break the line inside its one word.
    const QString line = QString(kPageBytes - 1, u'w') + u'.';
    QStringList values(DoorwayProfile::keys().size(), QString());
    values[0] = u"Long body"_s;
    values[DoorwayProfile::keys().indexOf(u"Body"_s)] = line;
    QDir().mkpath(DoorwayProfile::folder());
    if (!DoorwayProfile::write(DoorwayProfile::folder() + u"Long"_s, values))
        return false;
    frmDoorway *window = frmDoorway::instance();
    window->show();
    window->cboProfile->addItem(u"Long"_s);
    const double ms = BenchSupport::timedMs([window] {
        window->cboProfile->setCurrentIndex(window->cboProfile->findText(u"Long"_s));
        window->cboProfile_Click();
        window->repaint();
        QCoreApplication::processEvents();
    });
    const bool loaded = modCommon::multiLineText(window->txtSummary) == line && window->txtTitle->text() == values[0];
    window->close();
    return report("doorway profile with a 1 MB one-line body", ms, 1000.0, loaded && messages == 0);
}

// The peak resident memory starts again from what is resident now.
void resetPeakMemory()
{
    QFile clear(u"/proc/self/clear_refs"_s);
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

// Distinct words of 5 to 9 random letters, comma-separated, up to 8 MB; the text counted is the
// first MB of them with blanks for commas.
bool counterMemoryCase()
{
    std::mt19937 random(20261210);
    QSet<QString> seen;
    QStringList words;
    qsizetype tagChars = 0;
    while (tagChars < kCounterTagChars) {
        QString word(5 + int(random() % 5), Qt::Uninitialized);
        for (QChar &letter : word)
            letter = QChar(u'a' + int(random() % 26));
        if (seen.contains(word))
            continue;
        seen.insert(word);
        words.append(word);
        tagChars += word.size() + 1;
    }
    seen.clear();
    QString text = words.mid(0, int(words.size() / 8)).join(u' ');
    const double before = BenchMemory::residentMb();
    resetPeakMemory();
    QElapsedTimer timer;
    timer.start();
    const QList<int> counts = KeywordCounts::countAll(text, words);
    const double ms = elapsedMs(timer);
    const double peak = BenchMemory::peakMb() - before;
    const double tagMb = double(tagChars) / (1024.0 * 1024.0);
    const bool ok = peak <= kCounterPeakPerTag * tagMb && counts.size() == words.size() && counts.value(0) >= 1;
    std::printf("%-44s %8.1f MB above the start, %.1fx the tag's %.1f MB of %lld words (target %.0fx) %s; %.0f ms\n",
                "optimizer keyword counter, peak", peak, peak / tagMb, tagMb, static_cast<long long>(words.size()),
                kCounterPeakPerTag, ok ? "ok" : "FAIL", ms);
    std::fflush(stdout);
    return ok;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir root;
    if (!root.isValid())
        return 1;
    const QString program = BenchSupport::useProgramFoldersUnder(root.path());

    QApplication app(argc, argv);
    WindowsDir = modCommon::getWindowsDirectory();   // the history file's folder, as the start sets it
    // Every box is answered No (the doorway's preview question) and counted.
    Platform::setDialogHook([](const Platform::DialogRequest &request) -> std::optional<Platform::DialogAnswer> {
        if (++messages <= 1 || request.title != u"Doorway Page"_s)
            std::printf("  message \"%s\": %.60s\n", qPrintable(request.title), qPrintable(request.prompt));
        return Platform::DialogAnswer{Platform::No, QString(), 1};
    });
    Platform::setShellHook([](Platform::ShellAction, const QString &target) {
        opened.append(target);
        return true;
    });

    // First, while the process is small, so that its peak is the counter's own.
    bool allOk = counterMemoryCase();
    allOk = optimizerCase(program, kKeywords, "optimizer report on a 1 MB page (median)") && allOk;
    allOk = optimizerCase(program, kManyKeywords, "optimizer, 20,000 keywords on a 1 MB page (median)") && allOk;
    allOk = optimizerCase(program, nestedPage(), nestedLastRow(), "optimizer, 2,000 nested keywords (median)", 500.0) && allOk;
    messages = 0;
    opened.clear();
    allOk = doorwayCase(program) && allOk;
    messages = 0;
    allOk = longBodyProfileCase() && allOk;
    return allOk ? 0 : 1;
}
