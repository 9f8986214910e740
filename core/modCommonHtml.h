#pragma once
// Reading local HTML files and editing their title, keywords and description. The routines work
// on plain text with simple searches that ignore letter case; they do not parse HTML.
#include <optional>

#include <QString>

namespace modCommon {

// A local page larger than this is not read: the cap the page fetch puts on a web page.
inline constexpr qsizetype kMaxHtmlFileBytes = 8 * 1024 * 1024;

// Parts of an HTML file that readHTMLFile can return.
enum HtmlPart : int { WholeFile = 0, HeadPart = 1, BodyPart = 2 };

// The whole file (part 0), its "<head>" ... "</head>" section (part 1) or its "<body" ...
// "</body>" section (part 2). Empty for an empty path, a missing section or a file that cannot
// be read or is larger than kMaxHtmlFileBytes (the last two are reported in a message box).
QString readHTMLFile(const QString &path, int part);

// Adds the title, keywords and description to the file, keeping what it already has: the new
// title goes in front of the old one, the new keywords and description in front of the contents
// of the existing tags; missing tags are added after "<head>".
void insertMetaTag(const QString &file, const QString &title, const QString &keywords,
                   const QString &description);

// Removes the file's keywords and description tags from its head, puts new ones after "<head>"
// and replaces the text of an existing title.
void replaceMetaTag(const QString &file, const QString &title, const QString &keywords,
                    const QString &description);

// One file's edit by insertMetaTag or replaceMetaTag, made but not yet written, so that a caller
// editing many files can overlap their writes.
struct MetaTagEdit {
    QString file;
    QString text;      // the whole edited text, without the CR LF the write appends
    QString routine;   // "insertMetaTag" or "replaceMetaTag", for the box of a failed write
};

// The edit insertMetaTag or replaceMetaTag makes; nothing for an empty path or a missing file,
// or when the file cannot be read or is larger than kMaxHtmlFileBytes (after the routine's box).
std::optional<MetaTagEdit> insertedMetaTags(const QString &file, const QString &title, const QString &keywords,
                                            const QString &description);
std::optional<MetaTagEdit> replacedMetaTags(const QString &file, const QString &title, const QString &keywords,
                                            const QString &description);

// Replaces the file atomically with the edited text and one CR LF; false, the old file kept, when
// that fails. Shows nothing, so it may run on any thread.
bool writeMetaTagEdit(const MetaTagEdit &edit);

// The routine's box for an edit that could not be written.
void reportUnwrittenEdit(const MetaTagEdit &edit);

// Takes the keywords, description, title and visible text out of HTML text. Each out-argument is
// assigned only when something is found; the visible text is appended to `text`.
void retrieveMetaTag(const QString &html, QString &keywords, QString &description, QString &title,
                     QString &text);

// What a window's title, keywords and description boxes show of a page: the title with its line
// ends as blanks (replaceCrLf), each text cut to kMaxShownTagChars characters, as much as a
// one-line box takes, so a page of megabytes of keywords cannot hold the window while it lays
// them out. A cut never splits a character or a CR LF.
inline constexpr qsizetype kMaxShownTagChars = 32767;
struct ShownMetaTags {
    QString title;
    QString keywords;
    QString description;
};
ShownMetaTags shownMetaTags(const QString &page);

// Case-insensitive (ASCII letters only) search of `needle` in `text` from `from`; -1 when absent.
qsizetype indexOfNoCase(QStringView text, QStringView needle, qsizetype from = 0);

} // namespace modCommon
