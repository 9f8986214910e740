#pragma once
// Text put into generated HTML pages (reports, exports): escaped for the page, fitted into an
// attribute written without quotes, a site address as a page shows it after its own "http://".
#include <QString>

namespace modHtmlText {

// "&", "<", ">" and '"' as character references; every other character unchanged.
QString escaped(const QString &value);

// The escaped value with every blank as "%20": inside an attribute without quotes a blank would
// end the attribute there.
QString unquotedAttribute(const QString &value);

// The site address without a leading "http://" or "https://" (any case).
QString siteWithoutScheme(const QString &siteUrl);

} // namespace modHtmlText
