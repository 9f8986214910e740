#pragma once
// Base64 (standard alphabet, "=" padding) of a text's Windows-1252 bytes; used for the HTTP
// Basic login "user:password".
#include <QString>

namespace modBase64Encode {

// The Base64 of the whole text, encoded in pieces of 54 characters joined without line breaks.
// A piece holding a character without a Windows-1252 byte shows an "Encode" box and contributes
// nothing.
QString base64Encode(const QString &text);

// The Base64 of one piece; the empty text (after the "Encode" box) when a character has no byte.
QString Encode(const QString &chunk);

} // namespace modBase64Encode
