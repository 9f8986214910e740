#pragma once
// Whole-file reads and writes. Files are read as bytes and turned into text through the
// Windows-1252 codec; every file written whole is replaced atomically.
#include <functional>
#include <optional>
#include <QByteArray>
#include <QFileDevice>
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
// accepts is given up before it replaces the file. An empty hook ends this.
using WriteFailureHook = std::function<bool(const QString &path)>;
void setWriteFailureHook(WriteFailureHook hook);

// Replaces the file with the text's bytes atomically; false on failure.
bool writeTextFileAtomically(const QString &path, const QString &text);

// Appends the text's bytes to the file (created when missing); false on failure.
bool appendTextFile(const QString &path, const QString &text);

// Splits text into lines; CR LF, CR and a lone LF each end a line. A final line end adds no
// empty line.
QStringList splitLines(const QString &text);

// The lines of a text file, or nothing when it cannot be read.
std::optional<QStringList> readLines(const QString &path);

bool fileExists(const QString &path);

} // namespace Platform
