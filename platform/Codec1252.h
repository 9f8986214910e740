#pragma once
// Text of files and of the network is Windows-1252 bytes: one byte is one character. This codec
// maps every byte to exactly one character and back, so any file (UTF-8 ones included) read and
// written back through it is byte-identical.
#include <QByteArray>
#include <QString>

namespace Platform {

// Bytes to text: every byte becomes one character.
QString fromAnsi(const QByteArray &bytes);

// Text to bytes: one byte per character. A character without a byte becomes "?"; when
// `allEncoded` is given it tells whether every character had a byte.
QByteArray toAnsi(const QString &text, bool *allEncoded = nullptr);

// Whether the character has a Windows-1252 byte; `byte` receives it.
bool ansiByteOf(QChar ch, unsigned char *byte = nullptr);

// The characters of `text` that have no Windows-1252 byte, each once, in the order they first
// come (a character beyond U+FFFF with both halves); empty when a file in that code page can hold
// the text as it is.
QString charsWithoutAnsiByte(const QString &text);

// Text to bytes for HTML we write: a character without a byte becomes "&#N;".
QByteArray toAnsiHtml(const QString &text);

} // namespace Platform
