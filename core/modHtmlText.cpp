#include "core/modHtmlText.h"

using namespace Qt::StringLiterals;

namespace modHtmlText {

QString escaped(const QString &value)
{
    return value.toHtmlEscaped();
}

QString unquotedAttribute(const QString &value)
{
    QString text;
    for (QChar ch : escaped(value))
        text += ch.isSpace() ? u"%20"_s : QString(ch);
    return text;
}

QString siteWithoutScheme(const QString &siteUrl)
{
    for (const QString &scheme : {u"http://"_s, u"https://"_s}) {
        if (siteUrl.startsWith(scheme, Qt::CaseInsensitive))
            return siteUrl.mid(scheme.size());
    }
    return siteUrl;
}

} // namespace modHtmlText
