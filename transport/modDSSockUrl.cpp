#include "transport/modDSSockUrl.h"

#include "core/modCommonHtml.h"
#include "platform/Codec1252.h"

#include <QStringList>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace modDSSock {

namespace {

// The URL without its scheme: everything after the first "//", or all of it.
QString afterScheme(const QString &url)
{
    const qsizetype slashes = url.indexOf(u"//"_s);
    return slashes < 0 ? url : url.mid(slashes + 2);
}

QString encodedChar(QChar ch)
{
    switch (ch.unicode()) {
    case u'~': return u"%7E"_s;
    case u'!': return u"%21"_s;
    case u'#': return u"%23"_s;
    case u'$': return u"%24"_s;
    case u'%': return u"%25"_s;
    case u'^': return u"%5E"_s;
    case u'&': return u"%26"_s;
    case u'(': return u"%28"_s;
    case u')': return u"%29"_s;
    case u'+': return u"%2B"_s;
    case u'`': return u"%60"_s;
    case u'=': return u"%3D"_s;
    case u'{': return u"%7B"_s;
    case u'}': return u"%7D"_s;
    case u'|': return u"%7C"_s;
    case u'[': return u"%5B"_s;
    case u']': return u"%5D"_s;
    case u'\\': return u"%5C"_s;
    case u':': return u"%3A"_s;
    case u'\'': return u"%27"_s;
    case u'"': return u"%22"_s;
    case u';': return u"%3B"_s;
    case u'<': return u"%3C"_s;
    case u'>': return u"%3E"_s;
    case u'?': return u"%3F"_s;
    case u',': return u"%2C"_s;
    case u'/': return u"%2F"_s;
    case u' ': return u"+"_s;
    default: break;
    }
    // A control character goes raw into no request line or body.
    if (ch.unicode() < 0x20 || ch.unicode() == 0x7F)
        return u'%' + QString::number(ch.unicode(), 16).toUpper().rightJustified(2, u'0');
    return QString(ch);
}

// A URL's bytes as they may stand in a request line: blanks, control characters, bytes above
// 127 and the few characters a URL never holds raw as "%XX"; escapes already made stay.
QByteArray encodedUrlBytes(const QByteArray &bytes)
{
    static const QByteArray unsafe = QByteArrayLiteral("\"<>\\^`{|}");
    QByteArray result;
    result.reserve(bytes.size());
    for (const char ch : bytes) {
        const auto byte = static_cast<unsigned char>(ch);
        if (byte <= 0x20 || byte >= 0x7F || unsafe.contains(ch))
            result += '%' + QByteArray::number(byte, 16).toUpper().rightJustified(2, '0');
        else
            result += ch;
    }
    return result;
}

QString lineBreaksForTag(const QString &tagName)
{
    static const QStringList paragraphTags = {u"P"_s, u"/H1"_s, u"/H2"_s, u"/H3"_s,
                                              u"/H4"_s, u"/H5"_s, u"DL"_s};
    if (paragraphTags.contains(tagName))
        return u"\r\n\r\n"_s;
    if (tagName == u"BR"_s)
        return u"\r\n"_s;
    if (tagName == u"HR"_s)
        return u"\r\n"_s % QString(50, u'-') % u"\r\n"_s;
    return QString();
}

// The text before each tag plus the breaks the tag stands for, then the text after the last
// tag; a tag left open at the end is dropped.
QString replaceTags(const QString &html)
{
    QString result;
    qsizetype pos = 0;
    for (;;) {
        const qsizetype open = html.indexOf(u'<', pos);
        if (open < 0)
            break;
        result += QStringView(html).mid(pos, open - pos);
        const qsizetype close = html.indexOf(u'>', open + 1);
        if (close < 0)
            return result;
        const QString tag = html.mid(open + 1, close - open - 1).toUpper();
        result += lineBreaksForTag(getField(tag, u" "_s, 1));
        pos = close + 1;
    }
    return result + QStringView(html).mid(pos);
}

QChar unusedPlaceholder(const QString &text)
{
    for (int code = 255; code >= 1; --code) {
        if (!text.contains(QChar(code)))
            return QChar(code);
    }
    return QChar(0);
}

} // namespace

QString getHostName(const QString &url)
{
    const QString rest = afterScheme(url);
    const qsizetype slash = rest.indexOf(u'/');
    return slash < 0 ? rest : rest.left(slash);
}

QString getURLPath(const QString &url)
{
    const QString rest = afterScheme(url);
    const qsizetype slash = rest.indexOf(u'/');
    return slash < 0 ? QString() : rest.mid(slash + 1);
}

QString getURLDirectory(const QString &url)
{
    QString rest = url;
    const qsizetype query = rest.indexOf(u'?');
    if (query >= 0)
        rest.truncate(query);
    rest = afterScheme(rest);
    if (!rest.contains(u'/'))
        return rest;

    QString result;
    qsizetype slash;
    while ((slash = rest.indexOf(u'/')) >= 0) {
        result += QStringView(rest).left(slash + 1);
        rest = rest.mid(slash + 1);
    }
    if (!rest.contains(u'.'))
        result += rest;
    if (result.endsWith(u'/'))
        result.chop(1);
    return result;
}

QString convertString(const QString &value)
{
    QString result;
    result.reserve(value.size() * 3);
    for (QChar ch : value)
        result += encodedChar(ch);
    return result;
}

QString htmlToText(const QString &html)
{
    QString text = replaceTags(html);
    if (!text.contains(u'\r') && !text.contains(u'\n'))
        return text;   // one line: nothing to trim
    const QChar placeholder = unusedPlaceholder(text);
    text.remove(u'\r');
    text.replace(u'\n', placeholder);

    // Every line after a break starts without spaces; the tail is trimmed of spaces too.
    const QStringList parts = text.split(placeholder);
    QString result = parts.first();
    for (qsizetype i = 1; i < parts.size(); ++i) {
        QString rest = parts.at(i);
        while (rest.startsWith(u' '))
            rest.remove(0, 1);
        result += u"\r\n"_s % rest;
    }
    if (parts.size() > 1) {
        while (result.endsWith(u' '))
            result.chop(1);
    }
    return result;
}

QString getField(const QString &text, const QString &delimiter, int n)
{
    qsizetype start = 0;
    for (int skipped = 1; skipped < n; ++skipped) {
        const qsizetype found = text.indexOf(delimiter, start, Qt::CaseInsensitive);
        if (found < 0)
            return QString();
        start = found + 1;
    }
    const qsizetype end = text.indexOf(delimiter, start, Qt::CaseInsensitive);
    return end < 0 ? text.mid(start) : text.mid(start, end - start);
}

QString trimLineEnd(const QString &text)
{
    if (text.endsWith(u"\r\n"_s))
        return text.left(text.size() - 2);
    if (text.endsWith(u'\n') || text.endsWith(u'\r'))
        return text.left(text.size() - 1);
    return text;
}

QString resolveLocation(const QString &pageURL, const QString &location)
{
    // The header line holds the Location's bytes one character each: read them as UTF-8 bytes.
    QByteArray bytes = Platform::toAnsi(location).trimmed();
    const qsizetype fragment = bytes.indexOf('#');
    if (bytes.isEmpty())
        return QString();
    if (fragment >= 0)
        bytes.truncate(fragment);
    const QString encoded = QString::fromLatin1(encodedUrlBytes(bytes));
    if (hasHttpScheme(encoded))
        return encoded;
    QString base = pageURL;
    if (!base.contains(QStringLiteral("://")))
        base.prepend(QStringLiteral("http://"));
    return QUrl(base).resolved(QUrl(encoded)).toString(QUrl::FullyEncoded);
}

bool hasHttpScheme(const QString &url)
{
    return url.startsWith(u"http:"_s, Qt::CaseInsensitive) || url.startsWith(u"https:"_s, Qt::CaseInsensitive);
}

} // namespace modDSSock
