#pragma once
// The ranking profile file "profile.vqr": one INI section per profile, named by the profile,
// holding what repeats a rank check. Sections are found by the INI rule (a line whose trimmed
// text starts with "["), so a value holding "[" is never taken for a section. Names match
// ignoring case. The routines read and write the file only; the window shows their failures.
#include <array>
#include <optional>

#include <QList>
#include <QString>
#include <QStringList>

#include "ranking/RankingEngine.h"

// What a profile stores of the ranking window's fields.
struct RankingProfile {
    QString url;        // the site address, its "scheme://" already removed by the window
    QString keyword;
    bool links = false; // "Type" "1": links are searched; any other value means pages
    QString value;      // the number of pages or links as typed
    std::array<bool, kRankCheckEngines> engines{};   // the ticks of rows 1 to 8; a missing row is false
};

// A listed profile: its name and the date of its last report (empty before the first report).
struct RankingProfileEntry {
    QString name;
    QString date;
};

namespace RankingProfiles {

// Box texts of the window. A failed save or removal shows its prefix and errorText().
inline constexpr char kInvalidName[] =
    "Invalid Profile name. You can not use '\\' for your Profile file name.";
inline constexpr char kSaveErrorPrefix[] = "saveProfile_Error: ";
inline constexpr char kRemoveErrorPrefix[] = "removeProfile Error: ";

// The box text of a failed save or removal of the profile file.
QString errorText(const char *prefix, const QString &file);

// Why the typed name cannot name a profile, as the text of the box that refuses it; nothing when
// it can. The name is trimmed first, as the file reads its sections. It also names the profile's
// report folder and report file, so it must be a safe file name not too long for them; it holds
// no "[" or "]"; and the file, in its 8-bit code page, must hold it as typed. A name the file
// would read back changed is refused with what it would read back, and says so when that is a
// profile of `listed`.
std::optional<QString> nameProblem(const QString &typed, const QStringList &listed = {});

// The trimmed name when nameProblem() finds none.
std::optional<QString> validName(const QString &typed);

// The box text refusing a value of the profile that the file cannot hold, naming its field;
// nothing when the file holds every value as it is.
std::optional<QString> valueProblem(const RankingProfile &profile);

// Whether `names` holds `name`, as the file matches section names (trimmed, ignoring case).
bool contains(const QStringList &names, const QString &name);

// The profiles in file order, a name repeated in any letter case listed once. A missing or
// unreadable file lists none.
QList<RankingProfileEntry> list(const QString &file);

// The profile's fields; nothing when the file cannot be read or has no such profile. Only
// "True" (any case) ticks an engine.
std::optional<RankingProfile> load(const QString &file, const QString &name);

// Writes the profile into its section (a new name adds one at the end) in the order URL,
// Keyword, Type, Value, Engine1 ... Engine8, in one write of the file; other keys stay. False,
// and the file as it was, when the name or a value is refused (nameProblem, valueProblem) or the
// file cannot be read or written.
bool save(const QString &file, const QString &name, const RankingProfile &profile);

// Rewrites the file without every section of the name: each kept line ends in CR LF and one
// more CR LF closes the file. A missing file is left missing. False, and the file as it was,
// when it cannot be read or written.
bool remove(const QString &file, const QString &name);

} // namespace RankingProfiles
