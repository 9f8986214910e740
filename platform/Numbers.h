#pragma once
// Number conversions of stored and typed text. Only "." is a decimal separator, whatever the
// locale; fractions round to the nearest integer, halves to the even neighbour.
#include <optional>
#include <QString>

namespace Platform {

// Nearest integer, halves to even (12.5 -> 12, 13.5 -> 14).
double roundHalfEven(double value);

// Strict: after trimming blanks the whole text must be a number (optional sign, digits, optional
// "." and fraction). Nothing for any other text, the empty text included, or when out of range.
std::optional<double> strictNumber(const QString &text);
std::optional<qint16> strictToInt16(const QString &text);
std::optional<qint32> strictToInt32(const QString &text);

// Lenient: the number at the start of the text (leading blanks skipped, optional sign, digits,
// one "."), 0 when there is none.
double leadingNumber(const QString &text);
// The leading number rounded to int16; nothing when out of range.
std::optional<qint16> lenientToInt16(const QString &text);
std::optional<qint32> lenientToInt32(const QString &text);

} // namespace Platform
