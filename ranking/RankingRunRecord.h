#pragma once
// The record of a profile's last rank check, kept with its saved pages in the profile's report
// folder: the engines the run searched, how each ended and how many result pages it saved. The
// run alone writes it (when it starts and when it ends); the report reads how each engine ended
// from it, so a list row left by another profile's run, or a window opened afresh, never decides
// a profile's statuses. Folders of earlier versions have no record.
#include <optional>

#include <QList>
#include <QString>

namespace RankingRunRecord {

// The record's name in the folder: no report ("<profile>.html", and a profile name holds no "[")
// and no saved page ("<engine>[<n>].html") takes it.
inline constexpr char kFileName[] = "[run].ini";

struct EngineEnd {
    QString name;       // the engine's name in the engine file
    QString status;     // "Completed", "Failed" or "Cancelled"; "Running" until the run ends
    qint64 pages = 0;   // result pages the run saved for it
};

// The engines of the profile's last run, in list order. A run whose end was never recorded (the
// program stopped) reads as cancelled with no page saved: its pages may be those of the run
// before. Nothing when the folder holds no record or it cannot be read.
std::optional<QList<EngineEnd>> read(const QString &folder);

// Replaces the folder's record; false, and the old record as it was, on failure.
bool write(const QString &folder, const QList<EngineEnd> &engines);

// The engine's entry, its name matched ignoring case as the engine file's sections are; null
// when the run did not search it.
const EngineEnd *find(const QList<EngineEnd> &engines, const QString &name);

} // namespace RankingRunRecord
