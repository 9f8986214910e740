#pragma once
// Profile (INI) files with the rules the data files were written under: section and key names match
// ignoring case, the first matching section and key win, values are read whole and untouched
// (no quote stripping), and a write changes only the one line it concerns.
#include <optional>
#include <QString>

namespace Platform {

// The value of `key` in `section`, or nothing when the file, section or key is missing.
std::optional<QString> iniRead(const QString &file, const QString &section, const QString &key);

// Writes `key=value` into `section`: in place of the key's line, else at the end of the section,
// else in a new section at the end of the file (created when missing). A CR, LF or CR LF inside the
// value becomes one space. The file is replaced atomically; false when it could not be read or written.
bool iniWrite(const QString &file, const QString &section, const QString &key, const QString &value);

// The names of the keys of `section`, in file order (empty when missing).
QStringList iniKeys(const QString &file, const QString &section);

// The names of all sections, in file order.
QStringList iniSections(const QString &file);

// Blanks and tabs trimmed at both ends, as values are read.
QString trimBlanks(const QString &text);

// One line break (CR LF, CR or LF) becomes one space.
QString lineBreaksToSpaces(const QString &value);

} // namespace Platform
