#include "platform/Numbers.h"

#include <cmath>
#include <limits>

namespace Platform {
namespace {

// Length of the number at `text[from]`: sign, digits, one "." and digits. 0 when no digit.
qsizetype numberLength(const QString &text, qsizetype from)
{
    qsizetype i = from;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        ++i;
    bool digits = false;
    while (i < text.size() && text[i].isDigit() && text[i].unicode() < 128) {
        ++i;
        digits = true;
    }
    if (i < text.size() && text[i] == u'.') {
        qsizetype j = i + 1;
        while (j < text.size() && text[j].isDigit() && text[j].unicode() < 128) {
            ++j;
            digits = true;
        }
        if (digits)
            i = j;
    }
    return digits ? i - from : 0;
}

template <typename Int>
std::optional<Int> rounded(std::optional<double> value)
{
    if (!value)
        return std::nullopt;
    const double r = roundHalfEven(*value);
    if (!std::isfinite(r) || r < std::numeric_limits<Int>::min() || r > std::numeric_limits<Int>::max())
        return std::nullopt;
    return static_cast<Int>(r);
}

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

} // namespace

double roundHalfEven(double value)
{
    const double floor = std::floor(value);
    const double diff = value - floor;
    if (diff < 0.5)
        return floor;
    if (diff > 0.5)
        return floor + 1.0;
    return std::fmod(floor, 2.0) == 0.0 ? floor : floor + 1.0;
}

std::optional<double> strictNumber(const QString &text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && isBlank(text[start]))
        ++start;
    while (end > start && isBlank(text[end - 1]))
        --end;
    const qsizetype len = numberLength(text, start);
    if (len == 0 || start + len != end)
        return std::nullopt;
    bool ok = false;
    const double value = text.mid(start, len).toDouble(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}

std::optional<qint16> strictToInt16(const QString &text)
{
    return rounded<qint16>(strictNumber(text));
}

std::optional<qint32> strictToInt32(const QString &text)
{
    return rounded<qint32>(strictNumber(text));
}

double leadingNumber(const QString &text)
{
    qsizetype start = 0;
    while (start < text.size() && isBlank(text[start]))
        ++start;
    const qsizetype len = numberLength(text, start);
    if (len == 0)
        return 0.0;
    bool ok = false;
    const double value = text.mid(start, len).toDouble(&ok);
    return ok ? value : 0.0;
}

std::optional<qint16> lenientToInt16(const QString &text)
{
    return rounded<qint16>(leadingNumber(text));
}

std::optional<qint32> lenientToInt32(const QString &text)
{
    return rounded<qint32>(leadingNumber(text));
}

} // namespace Platform
