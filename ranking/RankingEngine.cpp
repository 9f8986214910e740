#include "ranking/RankingEngine.h"

#include "core/modStartUp.h"
#include "platform/Codec1252.h"
#include "platform/Dialogs.h"
#include "platform/IniFile.h"
#include "platform/Numbers.h"
#include "platform/TextFile.h"

#include <QHash>

namespace {

// The file's sections by folded name, each with its keys by folded name. The lines follow the
// rules of iniRead, so both read a file alike: the first section of a name and the first key of
// a name in it win, and keys ahead of any section belong to none.
class EngineFileText {
public:
    explicit EngineFileText(const QString &text)
    {
        bool inSection = false;
        QString section;
        for (const QString &line : Platform::splitLines(text)) {
            const QString trimmed = line.trimmed();
            if (trimmed.startsWith(u'[')) {
                qsizetype close = trimmed.lastIndexOf(u']');
                if (close < 0)
                    close = trimmed.size();
                section = trimmed.mid(1, close - 1).trimmed().toCaseFolded();
                inSection = !m_sections.contains(section);
                if (inSection)
                    m_sections.insert(section, {});
                continue;
            }
            const qsizetype eq = line.indexOf(u'=');
            if (!inSection || trimmed.isEmpty() || trimmed.startsWith(u';') || eq < 0)
                continue;
            QHash<QString, QString> &keys = m_sections[section];
            const QString key = line.left(eq).trimmed().toCaseFolded();
            if (!keys.contains(key))
                keys.insert(key, Platform::trimBlanks(line.mid(eq + 1)));
        }
    }

    QString value(const QString &section, const QString &key) const
    {
        return m_sections.value(section.toCaseFolded()).value(key.toCaseFolded());
    }

private:
    QHash<QString, QHash<QString, QString>> m_sections;
};

// False when a number is outside the 16-bit range.
bool readEngine(const EngineFileText &file, const QString &name, RankingEngine &engine)
{
    const auto text = [&](const char *key) { return file.value(name, QLatin1String(key)); };
    const std::optional<qint16> start = Platform::lenientToInt16(text("Start"));
    const std::optional<qint16> perPage = Platform::lenientToInt16(text("PerPage"));
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

} // namespace

QString rankingEngineFilePath()
{
    return WindowsDir + QStringLiteral("vqreng.dat");
}

RankingEngineFile readRankingEngineFile(const QString &path, qsizetype maxEngines)
{
    RankingEngineFile result;
    const std::optional<QByteArray> bytes = Platform::readBinaryFile(path);
    if (!bytes) {
        result.corrupted = true;
        return result;
    }
    const EngineFileText file(Platform::fromAnsi(*bytes));
    const QString engines = QStringLiteral("Engines");
    const std::optional<qint16> count = Platform::strictToInt16(file.value(engines, QStringLiteral("NumOfEngines")));
    if (!count || *count < 0) {
        result.corrupted = true;
        return result;
    }
    for (int i = 1; i <= *count; ++i) {
        const QString name = file.value(engines, QString::number(i));
        if (name.isEmpty())
            continue;
        if (static_cast<qsizetype>(result.engines.size()) >= maxEngines) {
            result.logLines.append(QStringLiteral("Ranking engine not used: ") + name);
            continue;
        }
        RankingEngine engine;
        if (!readEngine(file, name, engine)) {
            result.corrupted = true;
            return result;
        }
        result.engines.push_back(std::move(engine));
    }
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
