// The engine builder's heavy steps: the form extraction of a large submission page in the
// offscreen builder (the page's skeleton into the source box, then the fields into the rows),
// and the merge of many custom engines into a large engine database.
//
// Figures a run must meet: a generated 1 MB page of about 80 forms, and the same page with every
// "</form>" removed, each through getDataFromHTML and getFields in under 100 ms per step; 10,000
// custom engines (every third with category data) merged into the 100,000-engine data in under
// 1 s, the custom files written from the list included, and a second merge in under 1 s that
// leaves both data files byte-identical.
//
// Sizes a user never means but a server or a file can hold: the form reader's skeleton and
// fields of a 1 MB page of "<form " with one ">" at its end, and of one with no ">" at all, in
// under 100 ms each; the builder opened over 77,000 custom engines (every third with its
// category entry) in under 1 s; the news window shown with a stored message of one 1 MB line, and
// with a stored title of one 1 MB word, in under 1 s each.
//
// Usage: bench_engine_data
#include <cstdio>
#include <functional>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTemporaryDir>

#include <QLabel>
#include <QListWidget>

#include "bench/BenchSupport.h"
#include "enginedata/CustomEngineStore.h"
#include "enginedata/FormReader.h"
#include "enginedata/frmEngineBuilder.h"
#include "enginedata/frmNews.h"
#include "platform/Dialogs.h"
#include "platform/EventLoop.h"
#include "platform/KeyedListView.h"
#include "platform/SettingsStore.h"
#include "platform/TextFile.h"

using namespace Qt::StringLiterals;

namespace {

constexpr double kFormStepTargetMs = 100.0;
constexpr double kMergeTargetMs = 1000.0;
constexpr int kDatabaseEngines = 100000;
constexpr int kCustomEngines = 10000;
constexpr double kOpenTargetMs = 1000.0;
constexpr int kOpenedCustomEngines = 77000;
constexpr qsizetype kLongInput = 1024 * 1024;

using BenchSupport::timedMs;
using BenchSupport::verdict;

// Ordinary markup around about 80 forms of a dozen inputs, a textarea and a select each, half
// with quoted attributes and half unquoted, filled to about 1 MB.
QString submissionPage()
{
    QString page = u"<html><head><title>Add your site</title></head><body>\r\n"_s;
    for (int form = 0; form < 80; ++form) {
        const bool quoted = form % 2 == 0;
        auto attribute = [quoted](const QString &name, const QString &value) -> QString {
            const QString written = quoted ? u"\""_s + value + u"\""_s : value;
            return u" "_s + name + u"="_s + written;
        };
        for (int paragraph = 0; paragraph < 92; ++paragraph)
            page += u"<p class=\"note\">Directory section "_s + QString::number(paragraph)
                    + u": <a href=\"/cat/"_s + QString::number(paragraph) + u".html\">browse the listings</a> and read"
                                                                             " the rules before you submit.</p>\r\n"_s;
        page += u"<form"_s + attribute(u"method"_s, u"post"_s)
                + attribute(u"action"_s, u"http://www.engine"_s + QString::number(form) + u".example/cgi-bin/add"_s) + u">\r\n<table>\r\n"_s;
        for (int input = 0; input < 12; ++input) {
            const QString name = input == 0 ? u"url"_s : input == 1 ? u"email"_s : u"field"_s + QString::number(input);
            page += u"<tr><td>Field</td><td><input"_s + attribute(u"type"_s, input == 11 ? u"hidden"_s : u"text"_s)
                    + attribute(u"name"_s, name) + attribute(u"value"_s, u"v"_s + QString::number(input)) + u"></td></tr>\r\n"_s;
        }
        page += u"<tr><td><textarea"_s + attribute(u"name"_s, u"description"_s) + u" rows=4>Describe it</textarea></td></tr>\r\n"_s;
        page += u"<tr><td><select"_s + attribute(u"name"_s, u"category"_s) + u"><option>Arts</option><option>Shopping"
                                                                          "</option></select></td></tr>\r\n"_s;
        page += u"</table>\r\n</form>\r\n"_s;
    }
    return page + u"</body></html>\r\n"_s;
}

// `count` custom engines (every third with category data) into the store; their order.
QList<qsizetype> addCustomEngines(CustomEngineStore &store, int count)
{
    QList<qsizetype> order;
    for (int i = 0; i < count; ++i) {
        CustomEngineRecord r;
        r.Name = u"Custom Engine "_s + QString::number(i);
        r.Home = u"http://www.custom"_s + QString::number(i) + u".example/"_s;
        r.AddURL = r.Home + u"add.html"_s;
        r.Type = u"DIR"_s;
        r.Category = i % 3 == 0 ? u"Y"_s : u"N"_s;
        r.CategoryData = i % 3 == 0 ? u"Shopping=Shops>Music=Sounds>Retail=Stores"_s : QString();
        r.Method = u"Post"_s;
        r.Action = r.Home + u"cgi-bin/add"_s;
        r.Query = u"url=<URL>&title=<TITLE>&email=<EMAIL>&id=a%2Fb"_s;
        r.Adults = u"No"_s;
        r.AdultOnlySites = u"No"_s;
        r.SiteLevel = 3;
        store.records().append(r);
        order.append(i);
    }
    return order;
}

bool timeFormExtraction(const char *label, const QString &page)
{
    frmEngineBuilder *builder = frmEngineBuilder::instance();
    const double skeletonMs = timedMs([&] { builder->getDataFromHTML(page); });
    const double fieldsMs = timedMs([&] { builder->getFields(); });
    const bool ok = skeletonMs < kFormStepTargetMs && fieldsMs < kFormStepTargetMs;
    std::printf("form extraction, %s (%.2f MB, skeleton %.2f MB, %lld rows): getDataFromHTML %.1f ms, getFields %.1f ms"
                " (target %.0f ms each), %s\n",
                label, double(page.size()) / 1e6, double(builder->txtSource->toPlainText().size()) / 1e6,
                static_cast<long long>(builder->lsvDataFields->rows().size()), skeletonMs, fieldsMs, kFormStepTargetMs,
                verdict(ok));
    return ok;
}

bool timeMerge(const QString &engineData)
{
    if (QProcess::execute(QStringLiteral(VELQUIST_GEN_ENGINES), {QString::number(kDatabaseEngines), engineData}) != 0) {
        std::printf("merge: cannot generate the engine database, FAIL\n");
        return false;
    }
    CustomEngineStore store(engineData);
    const QList<qsizetype> order = addCustomEngines(store, kCustomEngines);
    const QString database = engineData + u"vqzeng5.dat"_s;
    const QString categories = engineData + u"catvqs.dat"_s;
    bool merged = false;
    const double firstMs = timedMs([&] { merged = store.merge(order); });
    const QByteArray firstDatabase = Platform::readBinaryFile(database).value_or(QByteArray());
    const QByteArray firstCategories = Platform::readBinaryFile(categories).value_or(QByteArray());
    const double secondMs = timedMs([&] { merged = store.merge(order) && merged; });
    const bool identical = Platform::readBinaryFile(database) == firstDatabase
                           && Platform::readBinaryFile(categories) == firstCategories;
    const bool ok = merged && identical && firstMs < kMergeTargetMs && secondMs < kMergeTargetMs;
    std::printf("merge of %d custom engines into %d engines (%.1f MB): first %.1f ms, second %.1f ms (target %.0f ms"
                " each), second result %s, %s\n",
                kCustomEngines, kDatabaseEngines, double(firstDatabase.size()) / 1e6, firstMs, secondMs, kMergeTargetMs,
                identical ? "byte-identical" : "DIFFERENT", verdict(ok));
    return ok;
}

bool timeFormReaderOnPathologicalPages()
{
    const QString manyForms = u"<form "_s.repeated(kLongInput / 6);
    bool allOk = true;
    for (const auto &[label, page] : {std::pair{"many \"<form \" and one \">\"", QString(manyForms + u">"_s)},
                                      std::pair{"no \">\" at all", manyForms}}) {
        qsizetype skeletonSize = 0;
        const double skeletonMs = timedMs([&] { skeletonSize = FormReader::skeleton(page).size(); });
        const double fieldsMs = timedMs([&] { FormReader::fields(page); });
        const bool ok = skeletonMs < kFormStepTargetMs && fieldsMs < kFormStepTargetMs;
        std::printf("form reader, 1 MB page of %s (skeleton %.2f MB): skeleton %.1f ms, fields %.1f ms (target %.0f ms"
                    " each), %s\n",
                    label, double(skeletonSize) / 1e6, skeletonMs, fieldsMs, kFormStepTargetMs, verdict(ok));
        allOk = allOk && ok;
    }
    return allOk;
}

bool timeBuilderOpen(const QString &engineData)
{
    delete frmEngineBuilder::loadedInstance();
    CustomEngineStore store(engineData);
    store.save(addCustomEngines(store, kOpenedCustomEngines));
    frmEngineBuilder *builder = nullptr;
    const double openMs = timedMs([&] { builder = frmEngineBuilder::instance(); });
    const int listed = builder->lstEngines->count();
    builder->close();
    Platform::doEvents();
    const bool ok = listed == kOpenedCustomEngines && openMs < kOpenTargetMs;
    std::printf("engine builder opened over %d custom engines (%d listed): %.1f ms (target %.0f ms), %s\n",
                kOpenedCustomEngines, listed, openMs, kOpenTargetMs, verdict(ok));
    return ok;
}

// The stored news with one 1 MB word in its message or in its title.
bool timeNewsWithALongWord(bool inTitle)
{
    Platform::saveSetting(u"Velquist"_s, u"News"_s, u"CheckNewMsgAtOpen"_s, u"0"_s);
    const QByteArray word(kLongInput, 'n');
    const QByteArray title = inTitle ? word : QByteArray("Long");
    Platform::writeBinaryFileAtomically(frmNews::newsFile(), "[News]\r\nTitle=" + title + "\r\nDate=2026-12-01\r\nMessage="
                                                                 + (inTitle ? QByteArray("short") : word) + "\r\n");
    const QString shownTitle = NewsText::shownTitle(QString::fromLatin1(title));
    frmNews *news = frmNews::instance();
    const double shownMs = timedMs([&] {
        news->show();
        Platform::waitUntil([&] { return news->lblTitle->text() == shownTitle; }, 60000);
        news->grab();   // lays the title and the message out and paints them
    });
    const bool shown = news->lblTitle->text() == shownTitle;
    delete news;
    const bool ok = shown && shownMs < kOpenTargetMs;
    std::printf("news window with a %s of one 1 MB word: shown in %.1f ms (target %.0f ms), %s\n",
                inTitle ? "title" : "message", shownMs, kOpenTargetMs, verdict(ok));
    return ok;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir root;
    const QString program = BenchSupport::useProgramFoldersUnder(root.path());
    const QString engineData = program + u"system/"_s;
    QFile::copy(QStringLiteral(VELQUIST_SOURCE_DIR "/data/cat.vqs"), program + u"cat.vqs"_s);
    QApplication app(argc, argv);
    // A message box would wait for a click: print it and go on.
    Platform::setDialogHook([](const Platform::DialogRequest &request) -> std::optional<Platform::DialogAnswer> {
        std::printf("  message \"%s\": %s\n", qPrintable(request.title), qPrintable(request.prompt));
        return Platform::DialogAnswer{};
    });

    const QString page = submissionPage();
    QString unclosed = page;
    unclosed.remove(u"</form>"_s);
    bool ok = timeFormExtraction("closed forms", page);
    ok = timeFormExtraction("no </form>", unclosed) && ok;
    ok = timeMerge(engineData) && ok;
    ok = timeFormReaderOnPathologicalPages() && ok;
    ok = timeBuilderOpen(engineData) && ok;
    ok = timeNewsWithALongWord(false) && ok;
    ok = timeNewsWithALongWord(true) && ok;
    std::fflush(stdout);
    return ok ? 0 : 1;
}
