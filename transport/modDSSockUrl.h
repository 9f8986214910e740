#pragma once
// URL, form-encoding and text helpers shared by the transport, the submission and the site data.
// All are pure functions; character comparisons ignore case.
#include <QString>

namespace modDSSock {

// The host part of a URL: after the first "//" (if any) and before the next "/". A port or a
// query standing before that "/" stays in the result.
QString getHostName(const QString &url);

// The path after the host, without its leading "/" (query included); empty when there is none.
QString getURLPath(const QString &url);

// Host and directories, without scheme, file name or query, and without a trailing "/".
// A last segment holding a "." counts as a file name and is left out.
QString getURLDirectory(const QString &url);

// Form encoding of a value for a query or a body: reserved and control characters as "%XX",
// space as "+", everything else unchanged.
QString convertString(const QString &value);

// Plain text of a piece of HTML with CR LF line breaks (paragraphs, headings, BR and HR only);
// the text after the last tag is kept, a tag left open at the end is not.
QString htmlToText(const QString &html);

// The Location of a redirect as an absolute URL to request: without its fragment, its bytes
// (read as UTF-8) encoded where a request line cannot hold them raw, then, unless it starts with
// "http:" or "https:", resolved against the page it came from (a page URL without a scheme
// counts as http).
QString resolveLocation(const QString &pageURL, const QString &location);

// Whether the URL starts with "http:" or "https:" (any case).
bool hasHttpScheme(const QString &url);

// The n-th (1-based) field of `text` split at `delimiter`; "" when there are fewer fields.
QString getField(const QString &text, const QString &delimiter, int n);

// The text without one trailing line end (CR LF, LF or CR).
QString trimLineEnd(const QString &text);

} // namespace modDSSock
