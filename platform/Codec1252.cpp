#include "platform/Codec1252.h"

#include <array>

namespace Platform {
namespace {

// Characters of bytes 0x80..0x9F. The five bytes Windows leaves unassigned map to the C1 control
// of the same value, which keeps the mapping one-to-one.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t charOfByte(unsigned char b)
{
    if (b >= 0x80 && b <= 0x9F)
        return kHighControls[b - 0x80];
    return b;
}

} // namespace

bool ansiByteOf(QChar ch, unsigned char *byte)
{
    const char16_t u = ch.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
        if (byte)
            *byte = static_cast<unsigned char>(u);
        return true;
    }
    for (size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == u) {
            if (byte)
                *byte = static_cast<unsigned char>(0x80 + i);
            return true;
        }
    }
    return false;
}

QString fromAnsi(const QByteArray &bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (qsizetype i = 0; i < bytes.size(); ++i)
        out[i] = QChar(charOfByte(static_cast<unsigned char>(bytes[i])));
    return text;
}

QByteArray toAnsi(const QString &text, bool *allEncoded)
{
    QByteArray bytes(text.size(), Qt::Uninitialized);
    bool all = true;
    for (qsizetype i = 0; i < text.size(); ++i) {
        unsigned char b = '?';
        if (!ansiByteOf(text[i], &b)) {
            b = '?';
            all = false;
        }
        bytes[i] = static_cast<char>(b);
    }
    if (allEncoded)
        *allEncoded = all;
    return bytes;
}

QString charsWithoutAnsiByte(const QString &text)
{
    QString missing;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (ansiByteOf(text[i]))
            continue;
        const bool pair = text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        const QString ch = text.mid(i, pair ? 2 : 1);
        if (!missing.contains(ch))
            missing += ch;
        i += pair ? 1 : 0;
    }
    return missing;
}

QByteArray toAnsiHtml(const QString &text)
{
    // Most text has a byte for every character: those go straight into a buffer of the final size,
    // and only from the first character without one on is the output grown piece by piece.
    const qsizetype size = text.size();
    const QChar *in = text.constData();
    QByteArray bytes(size, Qt::Uninitialized);
    char *out = bytes.data();
    qsizetype i = 0;
    for (unsigned char b = 0; i < size; ++i) {
        const char16_t u = in[i].unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
            out[i] = char(u);
        else if (ansiByteOf(in[i], &b))
            out[i] = char(b);
        else
            break;
    }
    if (i == size)
        return bytes;
    bytes.truncate(i);
    bytes.reserve(size + 16);
    for (; i < size; ++i) {
        unsigned char b = 0;
        if (ansiByteOf(in[i], &b)) {
            bytes.append(static_cast<char>(b));
            continue;
        }
        char32_t code = in[i].unicode();
        if (in[i].isHighSurrogate() && i + 1 < size && in[i + 1].isLowSurrogate()) {
            code = QChar::surrogateToUcs4(in[i], in[i + 1]);
            ++i;
        }
        bytes.append("&#" + QByteArray::number(static_cast<quint32>(code)) + ';');
    }
    return bytes;
}

} // namespace Platform
