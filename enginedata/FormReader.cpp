#include "enginedata/FormReader.h"

#include <QSet>

#include "platform/Codec1252.h"
#include "transport/modDSSockUrl.h"

namespace FormReader {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

qsizetype find(QStringView text, QLatin1StringView what, qsizetype from)
{
    return text.indexOf(what, from, Qt::CaseInsensitive);
}

bool isBlank(QChar ch)
{
    return ch == QLatin1Char(' ') || ch == QLatin1Char('\t') || ch == QLatin1Char('\r') || ch == QLatin1Char('\n');
}

// One kind of element of a form: where the next one starts and what ends it.
struct ElementKind {
    QLatin1StringView start;
    QLatin1StringView end;
    qsizetype at = -1;
};

// The elements of one form, one of each kind per pass. A kind whose element never ends is
// given up for the rest of the form, so the passes always come to an end.
void appendElements(QStringView form, QString &out)
{
    ElementKind kinds[] = {{QLatin1StringView("<input"), QLatin1StringView(">")},
                           {QLatin1StringView("<textarea"), QLatin1StringView("</textarea>")},
                           {QLatin1StringView("<select"), QLatin1StringView("</select>")}};
    for (ElementKind &kind : kinds)
        kind.at = find(form, kind.start, 0);
    for (bool any = true; any;) {
        any = false;
        for (ElementKind &kind : kinds) {
            if (kind.at < 0)
                continue;
            const qsizetype end = find(form, kind.end, kind.at);
            if (end < 0) {
                kind.at = -1;
                continue;
            }
            const qsizetype after = end + kind.end.size();
            out += form.mid(kind.at, after - kind.at) + kCrLf;
            kind.at = find(form, kind.start, end);
            any = any || kind.at >= 0;
        }
    }
}

struct Placeholder {
    QLatin1StringView name;
    QLatin1StringView value;
};

constexpr Placeholder kPlaceholders[] = {
    {QLatin1StringView("title"), QLatin1StringView("<TITLE>")},
    {QLatin1StringView("section"), QLatin1StringView("<CATEGORY>")},
    {QLatin1StringView("category"), QLatin1StringView("<CATEGORY>")},
    {QLatin1StringView("url"), QLatin1StringView("<URL>")},
    {QLatin1StringView("name"), QLatin1StringView("<NAME>")},
    {QLatin1StringView("contact name"), QLatin1StringView("<NAME>")},
    {QLatin1StringView("fullname"), QLatin1StringView("<NAME>")},
    {QLatin1StringView("company"), QLatin1StringView("<COMPANY>")},
    {QLatin1StringView("email"), QLatin1StringView("<EMAIL>")},
    {QLatin1StringView("contact email"), QLatin1StringView("<EMAIL>")},
    {QLatin1StringView("keywords"), QLatin1StringView("<KEYWORD>")},
    {QLatin1StringView("keyword"), QLatin1StringView("<KEYWORD>")},
    {QLatin1StringView("description"), QLatin1StringView("<DESCRIPTION>")},
    {QLatin1StringView("comment"), QLatin1StringView("<DESCRIPTION>")},
    {QLatin1StringView("descr"), QLatin1StringView("<DESCRIPTION>")},
    {QLatin1StringView("password"), QLatin1StringView("<PASSWORD>")},
    {QLatin1StringView("phone"), QLatin1StringView("<PHONE>")},
    {QLatin1StringView("telephone"), QLatin1StringView("<PHONE>")},
    {QLatin1StringView("fax"), QLatin1StringView("<FAX>")},
    {QLatin1StringView("address"), QLatin1StringView("<address>")},
    {QLatin1StringView("city"), QLatin1StringView("<CITY>")},
    {QLatin1StringView("suburb"), QLatin1StringView("<CITY>")},
    {QLatin1StringView("state"), QLatin1StringView("<STATE>")},
    {QLatin1StringView("country"), QLatin1StringView("<COUNTRY>")},
    {QLatin1StringView("postcode"), QLatin1StringView("<POSTCODE>")},
    {QLatin1StringView("zip"), QLatin1StringView("<POSTCODE>")},
    {QLatin1StringView("zipcode"), QLatin1StringView("<POSTCODE>")},
    {QLatin1StringView("language"), QLatin1StringView("<LANGUAGE>")},
};

bool isFieldTag(QStringView afterLt)
{
    return afterLt.startsWith(QLatin1StringView("input"), Qt::CaseInsensitive)
           || afterLt.startsWith(QLatin1StringView("texta"), Qt::CaseInsensitive)
           || afterLt.startsWith(QLatin1StringView("selec"), Qt::CaseInsensitive);
}

int hexDigit(QChar ch)
{
    const char c = ch.toLatin1();
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

QString skeleton(const QString &page)
{
    qsizetype form = find(page, QLatin1StringView("<form "), 0);
    if (form < 0)
        return page;
    QString out;
    while (form >= 0) {
        const qsizetype nextForm = find(page, QLatin1StringView("<form "), form + 1);
        const qsizetype limit = nextForm < 0 ? page.size() : nextForm;
        // The opening tag ends before the next form, so each part of the page is copied a
        // bounded number of times.
        const qsizetype tagEnd = QStringView(page).left(limit).indexOf(QLatin1Char('>'), form);
        if (tagEnd >= 0)
            out += QStringView(page).mid(form, tagEnd - form + 1) + kCrLf;
        const qsizetype close = find(QStringView(page).left(limit), QLatin1StringView("</form>"), form);
        const qsizetype formEnd = close < 0 ? limit : close + 7;
        appendElements(QStringView(page).mid(form, formEnd - form), out);
        out += QLatin1String(kSeparator) + kCrLf;
        form = nextForm;
    }
    return out;
}

FormFields fields(const QString &text)
{
    FormFields result;
    const qsizetype form = find(text, QLatin1StringView("<form"), 0);
    if (form < 0)
        return result;
    result.formFound = true;
    const qsizetype formTagEnd = text.indexOf(QLatin1Char('>'), form);
    if (formTagEnd >= 0) {
        const QString tag = text.mid(form + 1, formTagEnd - form);
        const bool post = getFieldValue(tag, QStringLiteral("method")).contains(QLatin1String("post"), Qt::CaseInsensitive);
        result.method = post ? QStringLiteral("POST") : QStringLiteral("GET");
        result.action = getFieldValue(tag, QStringLiteral("ACTION"));
    }
    QSet<QString> names;   // folded
    for (qsizetype pos = form;;) {
        const qsizetype lt = text.indexOf(QLatin1Char('<'), pos);
        if (lt < 0)
            break;
        const qsizetype gt = text.indexOf(QLatin1Char('>'), lt);
        if (gt < 0) {
            result.error = QStringLiteral("The tag at character %1 has no closing \">\".").arg(lt + 1);
            break;
        }
        pos = gt;
        if (!isFieldTag(QStringView(text).mid(lt + 1)))
            continue;
        const QString tag = text.mid(lt + 1, gt - lt);
        const QString name = getFieldValue(tag, QStringLiteral("name"));
        if (name.isEmpty() || names.contains(name.toCaseFolded()))
            continue;
        names.insert(name.toCaseFolded());
        QString value = placeholderFor(name);
        if (value.isEmpty() && tag.contains(QLatin1String("hidden"), Qt::CaseInsensitive))
            value = encodeQueryValue(getFieldValue(tag, QStringLiteral("value")));
        result.rows.append({name, value});
    }
    return result;
}

QString getFieldValue(const QString &tagText, const QString &attribute)
{
    const qsizetype size = tagText.size();
    qsizetype i = 0;
    while (i < size) {
        while (i < size && isBlank(tagText.at(i)))
            ++i;
        const qsizetype nameStart = i;
        while (i < size && !isBlank(tagText.at(i)) && tagText.at(i) != QLatin1Char('=') && tagText.at(i) != QLatin1Char('>'))
            ++i;
        const QStringView name = QStringView(tagText).mid(nameStart, i - nameStart);
        qsizetype j = i;
        while (j < size && isBlank(tagText.at(j)))
            ++j;
        if (j >= size || tagText.at(j) != QLatin1Char('=')) {
            if (i == nameStart)
                ++i;   // a lone ">" or "=": step over it
            continue;
        }
        j += 1;
        while (j < size && isBlank(tagText.at(j)))
            ++j;
        qsizetype valueStart = j;
        qsizetype valueEnd;
        const QChar quote = j < size ? tagText.at(j) : QChar();
        if (quote == QLatin1Char('"') || quote == QLatin1Char('\'')) {
            valueStart = j + 1;
            valueEnd = tagText.indexOf(quote, valueStart);
            if (valueEnd < 0)
                valueEnd = size;
            i = valueEnd + 1;
        } else {
            valueEnd = j;
            while (valueEnd < size && !isBlank(tagText.at(valueEnd)) && tagText.at(valueEnd) != QLatin1Char('>'))
                ++valueEnd;
            i = valueEnd;
        }
        if (name.compare(attribute, Qt::CaseInsensitive) == 0)
            return tagText.mid(valueStart, valueEnd - valueStart);
    }
    return QString();
}

QString placeholderFor(const QString &fieldName)
{
    for (const Placeholder &known : kPlaceholders) {
        if (fieldName.compare(known.name, Qt::CaseInsensitive) == 0)
            return known.value;
    }
    return QString();
}

QString encodeQueryValue(const QString &value)
{
    QString encoded = modDSSock::convertString(value);
    encoded.replace(QLatin1Char('\r'), QLatin1String("%0D"));
    encoded.replace(QLatin1Char('\n'), QLatin1String("%0A"));
    return encoded;
}

QString decodeQueryValue(const QString &stored)
{
    QString text;
    text.reserve(stored.size());
    for (qsizetype i = 0; i < stored.size(); ++i) {
        const QChar ch = stored.at(i);
        if (ch == QLatin1Char('+')) {
            text += QLatin1Char(' ');
        } else if (ch == QLatin1Char('%') && i + 2 < stored.size() && hexDigit(stored.at(i + 1)) >= 0
                   && hexDigit(stored.at(i + 2)) >= 0) {
            const char byte = char(hexDigit(stored.at(i + 1)) * 16 + hexDigit(stored.at(i + 2)));
            text += Platform::fromAnsi(QByteArray(1, byte));
            i += 2;
        } else {
            text += ch;
        }
    }
    return text;
}

bool isPlaceholder(const QString &value)
{
    return value.startsWith(QLatin1Char('<')) && value.endsWith(QLatin1Char('>'));
}

} // namespace FormReader
