// The run record: an INI text of one section per engine, numbered in list order.
#include "ranking/RankingRunRecord.h"

#include <QFileInfo>

#include "platform/IniDocument.h"

using namespace Qt::StringLiterals;

namespace RankingRunRecord {

namespace {

const QString kRun = u"Run"_s;

QString path(const QString &folder)
{
    return folder + QLatin1String(kFileName);
}

QString section(qsizetype n)
{
    return u"Engine"_s + QString::number(n);
}

bool isEnd(const QString &status)
{
    return status == u"Completed"_s || status == u"Failed"_s || status == u"Cancelled"_s;
}

} // namespace

std::optional<QList<EngineEnd>> read(const QString &folder)
{
    if (!QFileInfo(path(folder)).isFile())
        return std::nullopt;
    const std::optional<Platform::IniDocument> record = Platform::IniDocument::load(path(folder));
    if (!record)
        return std::nullopt;
    QList<EngineEnd> engines;
    const qsizetype count = record->valueOr(kRun, u"Engines"_s).toLongLong();
    for (qsizetype n = 1; n <= count && record->hasSection(section(n)); ++n) {
        EngineEnd engine{record->valueOr(section(n), u"Name"_s), record->valueOr(section(n), u"Status"_s),
                         qMax<qint64>(record->valueOr(section(n), u"Pages"_s).toLongLong(), 0)};
        if (!isEnd(engine.status))
            engine = {engine.name, u"Cancelled"_s, 0};
        engines.append(engine);
    }
    return engines;
}

bool write(const QString &folder, const QList<EngineEnd> &engines)
{
    Platform::IniDocument record = Platform::IniDocument::fromText(path(folder), QString());
    record.setValue(kRun, u"Engines"_s, QString::number(engines.size()));
    for (qsizetype n = 1; n <= engines.size(); ++n) {
        const EngineEnd &engine = engines[n - 1];
        record.setValue(section(n), u"Name"_s, engine.name);
        record.setValue(section(n), u"Status"_s, engine.status);
        record.setValue(section(n), u"Pages"_s, QString::number(engine.pages));
    }
    return record.commit();
}

const EngineEnd *find(const QList<EngineEnd> &engines, const QString &name)
{
    for (const EngineEnd &engine : engines) {
        if (engine.name.compare(name, Qt::CaseInsensitive) == 0)
            return &engine;
    }
    return nullptr;
}

} // namespace RankingRunRecord
