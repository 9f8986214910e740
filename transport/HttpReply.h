#pragma once
// The pieces of an HTTP/1.0 reply header: where to connect, the status line, header fields and
// the header's end. HttpReplyReader puts them together into the one rule of a whole reply; each
// caller decides what an unreadable status code means for it.
#include <optional>
#include <utility>

#include <QString>

namespace HttpReply {

// The status of a status line that holds no space.
inline constexpr int kNoSpaceStatus = 600;

// "host:port" split for a connection: the port when the text ends in ":" and a port number
// (digits only, 1 to 65535), else the whole text and port 80.
std::pair<QString, int> splitHostPort(const QString &hostPort);

// A line that starts with "HTTP/" (any case).
bool isStatusLine(const QString &line);

// The code of a status line: kNoSpaceStatus without a space; else the word after the first
// space, which must be one to three digits and above 0. Nothing when it is unreadable (signs,
// fractions, exponents, a blank first, more than three digits).
std::optional<int> statusCode(const QString &line);

// The value of a header line whose field name (the text before the first ":", blanks around
// it ignored) is `name`, any case: the text after the ":" with its line end dropped, CR LF
// pairs turned into blanks, blanks trimmed. Nothing for any other line.
std::optional<QString> fieldValue(const QString &line, QLatin1StringView name);

// Any header line as its field name (blanks around it trimmed) and its value as fieldValue
// reads it. Nothing for a line without ":".
std::optional<std::pair<QString, QString>> field(const QString &line);

// A Content-Length value: decimal digits only (a number beyond what a reply can carry is kept
// as the largest length). Nothing when unreadable: empty, a sign, a fraction, an exponent, a
// blank or any other character among the digits.
std::optional<qint64> lengthValue(const QString &value);

// The empty line that ends the header: CR LF or a bare LF.
bool endsHeader(const QString &line);

} // namespace HttpReply
