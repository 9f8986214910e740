#include "pagetools/DoorwayProfile.h"

#include <cctype>

#include <QFileInfo>

#include "platform/Codec1252.h"
#include "platform/Folders.h"
#include "platform/IniDocument.h"

using namespace Qt::StringLiterals;

namespace DoorwayProfile {

namespace {

const QString kSection = u"Doorway Page"_s;
const QString kEscapedKey = u"Escaped"_s;
constexpr int kHexDigits = 4;

bool needsUnicodeEscape(QChar ch)
{
    return (ch.unicode() < 0x20 && ch != u'\t') || !Platform::ansiByteOf(ch);
}

// The character of the four hex digits at the start of `digits`.
std::optional<QChar> hexUnit(QStringView digits)
{
    if (digits.size() < kHexDigits)
        return std::nullopt;
    const QStringView hex = digits.first(kHexDigits);
    for (QChar digit : hex) {
        if (digit.unicode() > 0x7f || !std::isxdigit(static_cast<unsigned char>(digit.toLatin1())))
            return std::nullopt;
    }
    return QChar(hex.toUShort(nullptr, 16));
}

void setValues(Platform::IniDocument &document, const QStringList &values)
{
    for (qsizetype i = 0; i < keys().size(); ++i)
        document.setValue(kSection, keys()[i], encodeValue(values.value(i)));
    document.setValue(kSection, kEscapedKey, u"1"_s);
}

} // namespace

const QStringList &keys()
{
    static const QStringList names = {
        u"Title"_s,     u"Keyword1"_s,  u"Keyword2"_s,  u"Keyword3"_s,     u"Keyword4"_s, u"Keyword5"_s,
        u"Keyword6"_s,  u"Keyword7"_s,  u"Keyword8"_s,  u"Description"_s,  u"URL"_s,      u"SubTitle1"_s,
        u"SubTitle2"_s, u"SubTitle3"_s, u"Body"_s,      u"LogoLocation"_s, u"Company"_s,  u"OutputLocation"_s};
    return names;
}

QString folder()
{
    return Platform::joinPath(Platform::programFolder(), u"Doorway"_s, u"Profiles"_s) + u'/';
}

bool tooLarge(const QString &file)
{
    return QFileInfo(file).size() > kMaxFileBytes;
}

// Every character of the file is one byte.
qsizetype storedSize(const QStringList &values)
{
    Platform::IniDocument document = Platform::IniDocument::fromText(QString(), QString());
    setValues(document, values);
    return document.text().size();
}

QString encodeValue(const QString &value)
{
    QString stored;
    stored.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar ch = value[i];
        if (ch == u'\\') {
            stored += u"\\\\"_s;
        } else if (ch == u'\r' && i + 1 < value.size() && value[i + 1] == u'\n') {
            stored += u"\\n"_s;
            ++i;
        } else if (needsUnicodeEscape(ch)) {
            stored += u"\\u"_s + QString::number(ch.unicode(), 16).toUpper().rightJustified(kHexDigits, u'0');
        } else {
            stored += ch;
        }
    }
    return stored;
}

QString decodeValue(const QString &stored)
{
    QString value;
    value.reserve(stored.size());
    for (qsizetype i = 0; i < stored.size(); ++i) {
        const QChar next = i + 1 < stored.size() ? stored[i + 1] : QChar();
        std::optional<QChar> unit;
        if (stored[i] == u'\\' && next == u'u')
            unit = hexUnit(QStringView(stored).mid(i + 2));
        if (stored[i] != u'\\') {
            value += stored[i];
        } else if (next == u'\\' || next == u'n') {
            value += next == u'n' ? u"\r\n"_s : u"\\"_s;
            ++i;
        } else if (unit) {
            value += *unit;
            i += 1 + kHexDigits;
        } else {
            value += stored[i];
        }
    }
    return value;
}

bool write(const QString &file, const QStringList &values)
{
    std::optional<Platform::IniDocument> document = Platform::IniDocument::load(file);
    if (!document)
        return false;
    setValues(*document, values);
    return document->text().size() <= kMaxFileBytes && document->commit();
}

std::optional<QStringList> read(const QString &file)
{
    if (tooLarge(file))
        return std::nullopt;
    const std::optional<Platform::IniDocument> document = Platform::IniDocument::load(file);
    if (!document)
        return std::nullopt;
    const bool escaped = document->valueOr(kSection, kEscapedKey) == u"1"_s;
    QStringList values;
    for (const QString &key : keys()) {
        const QString stored = document->valueOr(kSection, key);
        values.append(escaped ? decodeValue(stored) : stored);
    }
    return values;
}

} // namespace DoorwayProfile
