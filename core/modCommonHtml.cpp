#include "core/modCommonHtml.h"

#include "core/modCommon.h"
#include "platform/Codec1252.h"
#include "platform/Dialogs.h"
#include "platform/TextFile.h"

#include <QFile>

#include <optional>
#include <utility>

namespace modCommon {
namespace {

const QString kCrLf = QStringLiteral("\r\n");

char16_t asciiLower(char16_t c)
{
    return (c >= u'A' && c <= u'Z') ? char16_t(c + (u'a' - u'A')) : c;
}

bool containsNoCase(QStringView text, QStringView needle)
{
    return indexOfNoCase(text, needle) >= 0;
}

bool equalsNoCase(QStringView a, QStringView b)
{
    return a.size() == b.size() && indexOfNoCase(a, b) == 0;
}

// Blanks (spaces only) trimmed at both ends.
QString trimBlanks(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin] == u' ')
        ++begin;
    while (end > begin && text[end - 1] == u' ')
        --end;
    return text.mid(begin, end - begin);
}

QString metaTag(const QString &name, const QString &content)
{
    return QStringLiteral("<meta name=\"") + name + QStringLiteral("\" content=\"") + content
           + QStringLiteral("\">");
}

void showModuleError(const QString &routine, const QString &errorText)
{
    Platform::msgBox(QStringLiteral("Module: ") + routine + kCrLf + errorText, Platform::Information,
                     QStringLiteral("Error"));
}

// The text of a page file, or nothing with the reason when it cannot be read or is larger than
// kMaxHtmlFileBytes. The size is checked before anything is held; a file that changes its size
// while it is read is refused rather than taken in part.
std::optional<QString> readPageFile(const QString &path, QString &error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = file.errorString();
        return std::nullopt;
    }
    const qint64 size = file.size();
    if (size > kMaxHtmlFileBytes) {
        error = QStringLiteral("The file is larger than ") + QString::number(kMaxHtmlFileBytes)
                + QStringLiteral(" bytes.");
        return std::nullopt;
    }
    const QByteArray bytes = file.read(size);
    char more = 0;
    const bool whole = bytes.size() == size && file.read(&more, 1) == 0;
    if (file.error() != QFileDevice::NoError || !whole) {
        error = file.error() != QFileDevice::NoError ? file.errorString()
                                                      : QStringLiteral("The file changed while it was read.");
        return std::nullopt;
    }
    return Platform::fromAnsi(bytes);
}

// The file's text, or nothing (after the routine's error box) when it cannot be read.
std::optional<QString> readForEdit(const QString &file, const QString &routine)
{
    QString error;
    std::optional<QString> text = readPageFile(file, error);
    if (!text)
        showModuleError(routine, error);
    return text;
}

// Builds the edited copy of a text in one pass: the cuts and insertions come in the order of
// their places in the original.
class TextEdit {
public:
    explicit TextEdit(const QString &original) : m_original(original) {}

    void insert(qsizetype at, QStringView piece)
    {
        copyTo(at);
        m_result += piece;
    }
    // Leaves out [from, to).
    void cut(qsizetype from, qsizetype to)
    {
        copyTo(from);
        m_copied = to;
    }
    bool edited() const { return m_edited; }
    QString result()
    {
        copyTo(m_original.size());
        return m_result;
    }

private:
    void copyTo(qsizetype at)
    {
        if (!m_edited)
            m_result.reserve(m_original.size() + 256);
        m_edited = true;
        m_result += QStringView(m_original).mid(m_copied, at - m_copied);
        m_copied = at;
    }

    const QString &m_original;
    QString m_result;
    qsizetype m_copied = 0;
    bool m_edited = false;
};

// Case-insensitive (ASCII letters only) search of `needle` in `text` from its end; -1 when absent.
qsizetype lastIndexOfNoCase(QStringView text, QStringView needle)
{
    for (qsizetype i = text.size() - needle.size(); i >= 0; --i) {
        qsizetype k = 0;
        while (k < needle.size() && asciiLower(text[i + k].unicode()) == asciiLower(needle[k].unicode()))
            ++k;
        if (k == needle.size())
            return i;
    }
    return -1;
}

// The words the head scan looks for in a tag [p, end]. Where a word last starts in the stretch
// [from, end] tells whether a tag [p, end] with p >= from holds it, so the tags of a run of "<"
// before one ">" (each a part of the one before) are searched once between them.
class TagWords {
public:
    enum Word { Body, Meta, Keywords, Description };

    void cover(QStringView text, qsizetype p, qsizetype end)
    {
        if (end == m_end)
            return;
        m_end = end;
        static constexpr QStringView words[] = {u"body", u"meta", u"keywords", u"description"};
        for (int i = 0; i < 4; ++i) {
            const qsizetype last = lastIndexOfNoCase(text.mid(p, end - p + 1), words[i]);
            m_last[i] = last < 0 ? -1 : p + last;
        }
    }
    bool holds(Word word, qsizetype p) const { return m_last[word] >= p; }

private:
    qsizetype m_end = -1;
    qsizetype m_last[4] = {-1, -1, -1, -1};
};

// Puts `value` into the content attribute of the tag at [begin, end], in front of the old
// content: right after an opening quote, or followed by "," right after an unquoted "=".
// Only the tag itself is searched.
void insertIntoContent(TextEdit &edit, QStringView text, qsizetype begin, qsizetype end, const QString &value)
{
    const QStringView tag = text.mid(begin, end - begin + 1);
    const qsizetype content = indexOfNoCase(tag, u"content", 1);
    if (content < 0)
        return;
    const qsizetype equals = tag.indexOf(u'=', content);
    if (equals < 0)
        return;
    qsizetype valueStart = equals + 1;
    while (valueStart < tag.size() && tag[valueStart] == u' ')
        ++valueStart;
    if (valueStart < tag.size() && (tag[valueStart] == u'"' || tag[valueStart] == u'\'')) {
        edit.insert(begin + valueStart + 1, value);
        return;
    }
    edit.insert(begin + equals + 1, QString(value + u','));
}

struct MetaMarks {
    bool keywords = false;
    bool description = false;
};

// Edits the keywords and description tags of the head in front of their contents and tells which
// of the two were seen. The scan ends at the first tag holding "body" or at "</head>".
MetaMarks insertIntoExistingTags(QString &text, const QString &keywords, const QString &description)
{
    MetaMarks marks;
    TextEdit edit(text);
    TagWords words;
    qsizetype q = -1;
    qsizetype p = text.indexOf(u'<');
    while (p >= 0) {
        // The tags of a run of "<" share the ">" after them.
        if (p + 4 > q)
            q = text.indexOf(u'>', p + 4);
        if (q < 0)
            break;   // no later "<" has a ">" after it either
        words.cover(text, p, q);
        if (words.holds(TagWords::Body, p) || equalsNoCase(QStringView(text).mid(p, q - p + 1), u"</head>"))
            break;
        const bool isKeywords = words.holds(TagWords::Keywords, p);
        const bool isDescription = words.holds(TagWords::Description, p);
        qsizetype next = p + 1;
        if (words.holds(TagWords::Meta, p) && (isKeywords || isDescription)) {
            marks.keywords = marks.keywords || isKeywords;
            marks.description = marks.description || isDescription;
            insertIntoContent(edit, text, p, q, isDescription ? description : keywords);
            // Go on after this tag: its own "<" or the inserted text must not be edited again.
            next = q + 1;
        }
        p = text.indexOf(u'<', next);
    }
    if (edit.edited())
        text = edit.result();
    return marks;
}

// Removes every keywords or description meta tag before the first tag that holds "body" or is
// "</head>" or "</html>" (that tag is examined, and removed when it is such a meta tag, first).
void removeMetaTags(QString &text)
{
    TextEdit edit(text);
    QStringView lastTag;
    qsizetype p = text.indexOf(u'<');
    for (;;) {
        if (containsNoCase(lastTag, u"body") || equalsNoCase(lastTag, u"</head>")
            || equalsNoCase(lastTag, u"</html>") || p < 0)
            break;
        const qsizetype q = text.indexOf(u'>', p + 4);
        if (q < 0)
            break;
        lastTag = QStringView(text).mid(p, q - p + 1);
        if (containsNoCase(lastTag, u"meta")
            && (containsNoCase(lastTag, u"description") || containsNoCase(lastTag, u"keywords")))
            edit.cut(p, q + 1);
        p = text.indexOf(u'<', q);
    }
    if (edit.edited())
        text = edit.result();
}

// [start of the opening tag, start of the closing tag), the closing tag searched after the
// opening one; nothing when either is missing.
std::optional<std::pair<qsizetype, qsizetype>> findPair(const QString &text, QStringView open,
                                                         QStringView close, qsizetype closeFrom)
{
    const qsizetype start = indexOfNoCase(text, open);
    if (start < 0)
        return std::nullopt;
    const qsizetype end = indexOfNoCase(text, close, start + closeFrom);
    if (end < 0)
        return std::nullopt;
    return std::make_pair(start, end);
}

// Quotes of an attribute value: a value in quotes ends at its closing quote; otherwise one quote
// is dropped at either end.
QString unquoted(const QString &value)
{
    if (!value.isEmpty() && (value[0] == u'"' || value[0] == u'\'')) {
        const qsizetype close = value.indexOf(value[0], 1);
        if (close > 0)
            return value.mid(1, close - 1);
        return value.mid(1);
    }
    if (value.endsWith(u'"') || value.endsWith(u'\''))
        return value.chopped(1);
    return value;
}

// A keywords or description meta tag (text between "<" and ">") sets the matching argument.
void takeMetaContent(const QString &tag, QString &keywords, QString &description)
{
    if (!containsNoCase(tag, u"meta")
        || !(containsNoCase(tag, u"keywords") || containsNoCase(tag, u"description")))
        return;
    const qsizetype content = indexOfNoCase(tag, u"content");
    if (content < 0)
        return;
    const qsizetype equals = tag.indexOf(u'=', content);
    if (equals < 0)
        return;
    const QString value = unquoted(trimBlanks(tag.mid(equals + 1)));
    if (containsNoCase(QStringView(tag).left(content), u"keywords"))
        keywords = value;
    else
        description = value;
}

bool isScriptTag(const QString &html, qsizetype lt)
{
    return equalsNoCase(QStringView(html).mid(lt + 1, 6), u"script");
}

} // namespace

qsizetype indexOfNoCase(QStringView text, QStringView needle, qsizetype from)
{
    if (from < 0)
        from = 0;
    const qsizetype last = text.size() - needle.size();
    for (qsizetype i = from; i <= last; ++i) {
        qsizetype k = 0;
        while (k < needle.size()
               && asciiLower(text[i + k].unicode()) == asciiLower(needle[k].unicode()))
            ++k;
        if (k == needle.size())
            return i;
    }
    return -1;
}

QString readHTMLFile(const QString &path, int part)
{
    if (path.isEmpty())
        return QString();
    QString error;
    const std::optional<QString> read = readPageFile(path, error);
    if (!read) {
        Platform::msgBox(error + kCrLf
                             + QStringLiteral("Open HTML file error. Please make sure the file is not "
                                              "open by other program and try again."),
                         Platform::Information, QStringLiteral("Error"));
        return QString();
    }
    const QString &text = *read;
    std::optional<std::pair<qsizetype, qsizetype>> range;
    switch (part) {
    case WholeFile:
        return text;
    case HeadPart:
        range = findPair(text, u"<head>", u"</head>", 6);
        return range ? text.mid(range->first, range->second - range->first + 7) : QString();
    case BodyPart:
        range = findPair(text, u"<body", u"</body>", 5);
        return range ? text.mid(range->first, range->second - range->first + 7) : QString();
    default:
        return QString();
    }
}

std::optional<MetaTagEdit> insertedMetaTags(const QString &file, const QString &title, const QString &keywords,
                                            const QString &description)
{
    const QString routine = QStringLiteral("insertMetaTag");
    if (!Platform::fileExists(file))
        return std::nullopt;
    std::optional<QString> read = readForEdit(file, routine);
    if (!read)
        return std::nullopt;
    QString text = *read;
    const QString keywordsTag = metaTag(QStringLiteral("keywords"), keywords);
    const QString descriptionTag = metaTag(QStringLiteral("description"), description);

    const qsizetype head = indexOfNoCase(text, u"<head>");
    if (head >= 0) {
        if (const auto titleRange = findPair(text, u"<title>", u"</title>", 7))
            text.insert(titleRange->first + 7, title);
        else
            text.insert(head + 6, QStringLiteral("<title>") + title + QStringLiteral("</title>"));
        const MetaMarks marks = insertIntoExistingTags(text, keywords, description);
        const qsizetype afterHead = indexOfNoCase(text, u"<head>") + 6;
        if (!marks.description)
            text.insert(afterHead, descriptionTag + kCrLf);
        if (!marks.keywords)
            text.insert(afterHead, keywordsTag + kCrLf);
    } else if (const qsizetype html = indexOfNoCase(text, u"<html>"); html >= 0) {
        text.insert(html + 6, QStringLiteral("<head><title>") + title + QStringLiteral("</title>")
                                  + kCrLf + keywordsTag + kCrLf + descriptionTag + kCrLf
                                  + QStringLiteral("</head>"));
    }
    return MetaTagEdit{file, text, routine};
}

std::optional<MetaTagEdit> replacedMetaTags(const QString &file, const QString &title, const QString &keywords,
                                            const QString &description)
{
    const QString routine = QStringLiteral("replaceMetaTag");
    if (!Platform::fileExists(file))
        return std::nullopt;
    std::optional<QString> read = readForEdit(file, routine);
    if (!read)
        return std::nullopt;
    QString text = *read;
    removeMetaTags(text);

    const QString tags = metaTag(QStringLiteral("keywords"), keywords) + kCrLf
                         + metaTag(QStringLiteral("description"), description);
    if (const qsizetype head = indexOfNoCase(text, u"<head>"); head >= 0)
        text.insert(head + 6, kCrLf + tags);
    else if (const qsizetype html = indexOfNoCase(text, u"<html>"); html >= 0)
        text.insert(html + 6, QStringLiteral("<head>") + kCrLf + tags + kCrLf + QStringLiteral("</head>"));
    else
        text.prepend(QStringLiteral("<head>") + kCrLf + tags + kCrLf + QStringLiteral("</head>"));

    if (const auto titleRange = findPair(text, u"<title>", u"</title>", 7)) {
        const qsizetype from = titleRange->first + 7;
        text.replace(from, titleRange->second - from, title);
    }
    return MetaTagEdit{file, text, routine};
}

// The edited text goes back through an atomic replacement, so a failed write leaves the old
// file. Characters the user typed that have no byte are written as character references.
bool writeMetaTagEdit(const MetaTagEdit &edit)
{
    return Platform::writeBinaryFileAtomically(edit.file, Platform::toAnsiHtml(edit.text + kCrLf));
}

void reportUnwrittenEdit(const MetaTagEdit &edit)
{
    showModuleError(edit.routine, QStringLiteral("The file could not be written: ") + edit.file);
}

namespace {

void writeOrReport(const std::optional<MetaTagEdit> &edit)
{
    if (edit && !writeMetaTagEdit(*edit))
        reportUnwrittenEdit(*edit);
}

} // namespace

void insertMetaTag(const QString &file, const QString &title, const QString &keywords,
                   const QString &description)
{
    writeOrReport(insertedMetaTags(file, title, keywords, description));
}

void replaceMetaTag(const QString &file, const QString &title, const QString &keywords,
                    const QString &description)
{
    writeOrReport(replacedMetaTags(file, title, keywords, description));
}

void retrieveMetaTag(const QString &html, QString &keywords, QString &description, QString &title,
                     QString &text)
{
    // Scans by position instead of cutting the text at every tag, so large pages stay linear.
    qsizetype p = html.indexOf(u'<');
    while (p >= 0) {
        if (isScriptTag(html, p)) {
            const qsizetype end = indexOfNoCase(html, u"</script>", p + 7);
            if (end < 0)
                break;   // the rest of the page is script
            p = html.indexOf(u'<', end + 9);
            continue;
        }
        const qsizetype q = html.indexOf(u'>', p + 1);
        if (q < 0)
            break;
        const QString tag = html.mid(p + 1, q - p - 1);
        takeMetaContent(tag, keywords, description);
        const qsizetype next = html.indexOf(u'<', q + 1);
        if (next > q + 1 && !containsNoCase(tag, u"title"))
            text += html.mid(q + 1, next - q - 1);
        p = next;
    }
    text = trimBlanks(replaceCrLf(text));

    if (const auto titleRange = findPair(html, u"<title>", u"</title>", 7)) {
        const qsizetype from = titleRange->first + 7;
        title = html.mid(from, titleRange->second - from);
    }
}

namespace {

// The first kMaxShownTagChars characters of the text, one fewer where the cut would split a
// surrogate pair or a CR LF.
QString shownPart(const QString &text)
{
    if (text.size() <= kMaxShownTagChars)
        return text;
    const QChar last = text[kMaxShownTagChars - 1];
    const QChar next = text[kMaxShownTagChars];
    const bool splits = (last.isHighSurrogate() && next.isLowSurrogate()) || (last == u'\r' && next == u'\n');
    return text.left(kMaxShownTagChars - (splits ? 1 : 0));
}

} // namespace

ShownMetaTags shownMetaTags(const QString &page)
{
    QString keywords;
    QString description;
    QString title;
    QString text;
    retrieveMetaTag(page, keywords, description, title, text);
    return {shownPart(replaceCrLf(title)), shownPart(keywords), shownPart(description)};
}

} // namespace modCommon
