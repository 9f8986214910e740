#pragma once
// Whole-file reads and writes. Files are read as bytes and turned into text through the
// Windows-1252 codec; every file written whole is replaced atomically.
#include <optional>
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace Platform {

// The file's bytes, or nothing when it cannot be read.
std::optional<QByteArray> readBinaryFile(const QString &path);

// The file's text (one character per byte), or nothing when it cannot be read.
std::optional<QString> readTextFile(const QString &path);

// Replaces the file with `bytes` atomically; false (old file untouched) on failure.
bool writeBinaryFileAtomically(const QString &path, const QByteArray &bytes);

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
