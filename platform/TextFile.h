#pragma once
// Whole-file reads and writes of single files. Files are read as bytes and turned into text
// through the Windows-1252 codec; every file written whole is replaced atomically, through a
// temporary copy beside it (WriteSteps). Several files replaced as one are a FileSet.
#include <functional>
#include <optional>

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QFileDevice>
#include <QList>
#include <QString>
#include <QStringList>

namespace Platform {

// The file's bytes, or nothing when it cannot be read.
std::optional<QByteArray> readBinaryFile(const QString &path);

// The file's text (one character per byte), or nothing when it cannot be read.
std::optional<QString> readTextFile(const QString &path);

// Replaces the file with `bytes` atomically; false (old file untouched) on failure. With a mode
// the new file has those permissions before it takes the old one's place.
bool writeBinaryFileAtomically(const QString &path, const QByteArray &bytes,
                               std::optional<QFileDevice::Permissions> mode = std::nullopt);

// Tests make atomic writes fail as a full disk would: while a hook is set, a write whose path it
// accepts is given up before it replaces the file (in a FileSet, when that file's turn comes to
// take its target's place). An empty hook ends this.
using WriteFailureHook = std::function<bool(const QString &path)>;
void setWriteFailureHook(WriteFailureHook hook);

// Replaces the file with the text's bytes atomically; false on failure.
bool writeTextFileAtomically(const QString &path, const QString &text);

// Appends the text's bytes to the file (created when missing); false on failure.
bool appendTextFile(const QString &path, const QString &text);

// Splits text into lines; CR LF, CR and a lone LF each end a line. A final line end adds no
// empty line.
QStringList splitLines(const QString &text);

// A line longer than this many bytes is not held: the line readers skip it.
inline constexpr qsizetype kMaxLineBytes = 1024 * 1024;

struct LineReading {
    bool readable = false;          // false when the file could not be opened or read to its end
    QList<qint64> skippedLines;     // numbers (from 1) of the lines left out for their length
};

// Reads a file line by line as splitLines splits its text, without holding it whole: only one
// line at a time, and of a line longer than kMaxLineBytes not even that (it is left out).
// `onLine` returns false to stop.
LineReading forEachLine(const QString &path, const std::function<bool(const QString &)> &onLine);

// The same lines as bytes, not yet decoded, for the readers of large files. A view holds only
// until `onLine` returns.
LineReading forEachByteLine(const QString &path, const std::function<bool(QByteArrayView)> &onLine);

// The lines of a text file, or nothing when it cannot be read. Lines longer than kMaxLineBytes
// are left out; the second form gives their numbers.
std::optional<QStringList> readLines(const QString &path);
std::optional<QStringList> readLines(const QString &path, QList<qint64> &skippedLines);

bool fileExists(const QString &path);

} // namespace Platform
