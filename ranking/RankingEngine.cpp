#include "ranking/RankingEngine.h"

#include "core/modStartUp.h"
#include "platform/Dialogs.h"
#include "platform/IniDocument.h"
#include "platform/Numbers.h"
#include "platform/TextFile.h"
#include "platform/modDSSockLog.h"
#include "ranking/RankingSearch.h"

namespace {

// False when a number read is outside the 16-bit range.
bool readEngine(const Platform::IniDocument &file, const QString &name, RankingEngine &engine,
                EngineKeys keys = EngineKeys::All)
{
    const auto text = [&](const char *key) { return file.value(name, QLatin1String(key)).value_or(QString()); };
    const bool numbers = keys == EngineKeys::All;
    const std::optional<qint16> start = numbers ? Platform::lenientToInt16(text("Start")) : qint16(0);
    const std::optional<qint16> perPage = numbers ? Platform::lenientToInt16(text("PerPage")) : qint16(0);
    if (!start || !perPage)
        return false;
    engine.name = name;
    engine.EngineKey = text("EngineKey");
    engine.EngineURL = text("EngineURL");
    engine.QueryKeyword1 = text("QueryKeyword1");
    engine.QueryKeyword2 = text("QueryKeyword2");
    engine.NextPage1 = text("NextPage1");
    engine.NextPage2 = text("NextPage2");
    engine.NextPage3 = text("NextPage3");
    engine.NextPage4 = text("NextPage4");
    engine.ResultStartString = text("ResultStartString");
    engine.ResultEndString = text("ResultEndString");
    engine.NoFoundString = text("NoFoundString");
    engine.FilterKeyword1 = text("FilterKeyword1");
    engine.FilterKeyword2 = text("FilterKeyword2");
    engine.HREF_KEYWORD1 = text("HREF_KEYWORD1");
    engine.HREF_KEYWORD2 = text("HREF_KEYWORD2");
    engine.LinkType = text("LinkType");
    engine.Start = *start;
    engine.PerPage = *perPage;
    engine.URLVisibility = text("URLVisibility");
    return true;
}

// The file as an INI document, without the lines past the data files' line cap: each of those is
// named in the error log. Nothing when the file cannot be read (a missing one included).
std::optional<Platform::IniDocument> loadCapped(const QString &path)
{
    QList<qint64> skipped;
    const std::optional<QStringList> lines = Platform::readLines(path, skipped);
    for (qint64 line : skipped)
        modDSSock::writeErrorLog(QStringLiteral("Line too long, skipped: ") + path + QStringLiteral(" line ")
                                 + QString::number(line));
    if (!lines)
        return std::nullopt;
    return Platform::IniDocument::fromText(path, lines->join(QStringLiteral("\r\n")));
}

} // namespace

QString rankingEngineFilePath()
{
    return WindowsDir + QStringLiteral("vqreng.dat");
}

RankingEngineFile readRankingEngineFile(const QString &path, qsizetype maxEngines, EngineKeys keys)
{
    RankingEngineFile result;
    const std::optional<Platform::IniDocument> file = loadCapped(path);
    if (!file) {
        result.corrupted = true;
        return result;
    }
    const QString engines = QStringLiteral("Engines");
    const std::optional<qint16> count =
        Platform::strictToInt16(file->value(engines, QStringLiteral("NumOfEngines")).value_or(QString()));
    if (!count || *count < 0) {
        result.corrupted = true;
        return result;
    }
    for (int i = 1; i <= *count; ++i) {
        const QString name = file->value(engines, QString::number(i)).value_or(QString());
        if (name.isEmpty())
            continue;
        if (static_cast<qsizetype>(result.engines.size()) >= maxEngines) {
            result.logLines.append(QStringLiteral("Ranking engine not used: ") + name);
            continue;
        }
        RankingEngine engine;
        if (!readEngine(*file, name, engine, keys)) {
            result.corrupted = true;
            return result;
        }
        result.engines.push_back(std::move(engine));
    }
    return result;
}

KeywordBuilderEngine readKeywordBuilderEngine(const QString &path)
{
    KeywordBuilderEngine result;
    const std::optional<Platform::IniDocument> file = loadCapped(path);
    if (!file) {
        result.corrupted = true;
        return result;
    }
    const QString section = QStringLiteral("KeywordBuilder");
    const std::optional<qint16> count =
        Platform::lenientToInt16(file->value(section, QStringLiteral("NumOfURLs")).value_or(QString()));
    const QString name = file->value(section, QStringLiteral("Engine")).value_or(QString());
    if (!count || *count < 1 || (!name.isEmpty() && !readEngine(*file, name, result.engine, EngineKeys::Query))) {
        result.corrupted = true;
        return result;
    }
    result.NumOfURLs = *count;
    return result;
}

void showCorruptedEngineFile()
{
    Platform::msgBox(QStringLiteral("Engine data file is corrupted, you need to download the "
                                    "new engine data file from our web site by click on the "
                                    "'File/Update Engine Data' menu item from the main menu bar and "
                                    "following the instruction on the screen."),
                     Platform::Information, QStringLiteral("Error"));
}

QString anchorOpener(const RankingEngine &engine, QStringView block, Qt::CaseSensitivity cs)
{
    using RankingSearch::contains;
    QString opener = QStringLiteral("<a href=http://");
    if (!engine.HREF_KEYWORD1.isEmpty()) {
        opener = engine.HREF_KEYWORD1;
        if (!contains(block, opener, cs) && !engine.HREF_KEYWORD2.isEmpty())
            opener = engine.HREF_KEYWORD2;
    }
    if (!contains(block, opener, cs))
        opener = QStringLiteral("<a href=\"http://");
    return opener;
}

bool isEngineLink(const RankingEngine &engine, QStringView anchor, Qt::CaseSensitivity cs)
{
    using RankingSearch::contains;
    return contains(anchor, engine.EngineKey, cs) || contains(anchor, u"this site only", cs)
           || contains(anchor, u"Text-only version", cs) || contains(anchor, u"more this site", cs);
}

QStringView resultBlock(const RankingEngine &engine, QStringView page, Qt::CaseSensitivity cs)
{
    const qsizetype start = RankingSearch::find(page, engine.ResultStartString, cs);
    if (start < 0)
        return page;
    const qsizetype from = start + engine.ResultStartString.size();
    const qsizetype end = RankingSearch::find(page, engine.ResultEndString, cs, from);
    return page.sliced(from, (end < 0 ? page.size() : end) - from);
}

QString joinedToEngine(const QString &engineURL, QStringView link)
{
    const bool baseSlash = engineURL.endsWith(u'/');
    const bool linkSlash = link.startsWith(u'/');
    if (baseSlash && linkSlash)
        return engineURL + link.sliced(1);
    if (baseSlash || linkSlash)
        return engineURL + link;
    return engineURL + u'/' + link;
}
