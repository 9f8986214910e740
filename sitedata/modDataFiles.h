#pragma once
// The data files installed with the program: the country list and the category list, copied into
// the program folder on first start, and a sample engine data set that lets the program open with
// engines on a machine that cannot download them. Also the one reader of the line-oriented data
// files (engine data, category and country lists, URL and engine lists).
//
// The installed data folder is looked up in this order: $VELQUIST_DATA_DIR, then
// "<executable folder>/../share/velquist/data", then "<executable folder>/data", then the source
// tree's "data/" folder (compiled in as VELQUIST_SOURCE_DATA_DIR) for runs from a build folder.
#include <functional>
#include <optional>

#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include "platform/TextFile.h"

namespace modDataFiles {

// The engine data folder in use (ending in "/") and a file of the program folder.
QString engineDataFolder();
QString programFile(const QString &name);

// The installed data folder (ending in "/"), or the empty text when none is found.
QString installedDataFolder();

// Copies "country.vqs" and "cat.vqs" into the program folder when they are missing there.
// False when a missing file could not be copied.
bool installProgramData();

// Copies the sample engine data ("vqzeng5.dat", "catvqs.dat", "vqreng.dat" into the engine data
// folder, "top.vqs" into the program folder) when missing, or always with `force`.
// False when a file could not be copied.
bool installSampleEngineData(bool force = false);

// Reads a data file line by line (Platform::forEachLine); each line left out for its length is
// named in the error log with the file and its line number.
Platform::LineReading forEachLine(const QString &path, const std::function<bool(const QString &)> &onLine);

// The lines of a data file (Platform::readLines), the lines left out for their length logged.
std::optional<QStringList> readLines(const QString &path);

// The same lines as forEachLine as bytes, not yet decoded, for the readers of large files. A view
// holds only until `onLine` returns.
Platform::LineReading forEachByteLine(const QString &path, const std::function<bool(QByteArrayView)> &onLine);

// Bytes to text through the program's code page, whole or added to the end of a text.
QString decoded(QByteArrayView bytes);
void appendDecoded(QString &text, QByteArrayView bytes);
// Whether the bytes decode to exactly that text.
bool decodesTo(QByteArrayView bytes, QStringView text);

} // namespace modDataFiles
