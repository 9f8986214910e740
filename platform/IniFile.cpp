#include "platform/IniFile.h"

#include "platform/Codec1252.h"
#include "platform/TextFile.h"

#include <QStringList>

namespace Platform {
namespace {

struct Line {
    QString text;     // without its line end
    QString ending;   // "\r\n", "\r", "\n" or "" (last line without one)
};

QList<Line> splitKeepingEnds(const QString &content)
{
    QList<Line> lines;
    qsizetype start = 0;
    const qsizetype n = content.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = content[i];
        if (c != u'\r' && c != u'\n')
            continue;
        qsizetype endLen = (c == u'\r' && i + 1 < n && content[i + 1] == u'\n') ? 2 : 1;
        lines.append({content.mid(start, i - start), content.mid(i, endLen)});
        i += endLen - 1;
        start = i + 1;
    }
    if (start < n)
        lines.append({content.mid(start), QString()});
    return lines;
}

// The section name when the line is a section header. The name runs to the last "]", so a
// project named "A]B" is a section of its own and not a second header of "A".
std::optional<QString> sectionName(const QString &line)
{
    const QString t = line.trimmed();
    if (!t.startsWith(u'['))
        return std::nullopt;
    qsizetype close = t.lastIndexOf(u']');
    if (close < 0)
        close = t.size();
    return t.mid(1, close - 1).trimmed();
}

// The key name when the line is a key line.
std::optional<QString> keyName(const QString &line)
{
    const QString t = line.trimmed();
    if (t.isEmpty() || t.startsWith(u';'))
        return std::nullopt;
    const qsizetype eq = line.indexOf(u'=');
    if (eq < 0)
        return std::nullopt;
    return line.left(eq).trimmed();
}

QString valueOf(const QString &line)
{
    return trimBlanks(line.mid(line.indexOf(u'=') + 1));
}

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QList<Line> readLines(const QString &file, bool *exists)
{
    std::optional<QByteArray> bytes = readBinaryFile(file);
    if (exists)
        *exists = bytes.has_value();
    if (!bytes)
        return {};
    return splitKeepingEnds(fromAnsi(*bytes));
}

// Index range [first, end) of the lines of the first section named `section`; first = -1 if absent.
std::pair<qsizetype, qsizetype> findSection(const QList<Line> &lines, const QString &section)
{
    const QString wanted = section.trimmed();
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const auto name = sectionName(lines[i].text);
        if (!name || !sameName(*name, wanted))
            continue;
        qsizetype end = i + 1;
        while (end < lines.size() && !sectionName(lines[end].text))
            ++end;
        return {i + 1, end};
    }
    return {-1, -1};
}

qsizetype findKey(const QList<Line> &lines, std::pair<qsizetype, qsizetype> range, const QString &key)
{
    const QString wanted = key.trimmed();
    for (qsizetype i = range.first; i < range.second; ++i) {
        const auto name = keyName(lines[i].text);
        if (name && sameName(*name, wanted))
            return i;
    }
    return -1;
}

} // namespace

// Only blanks and tabs are trimmed: QString::trimmed() would also eat a no-break space
// (byte 0xA0) or form feed that belongs to the value.
QString trimBlanks(const QString &text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && (text[start] == u' ' || text[start] == u'\t'))
        ++start;
    while (end > start && (text[end - 1] == u' ' || text[end - 1] == u'\t'))
        --end;
    return text.mid(start, end - start);
}

QString lineBreaksToSpaces(const QString &value)
{
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c == u'\r' && i + 1 < value.size() && value[i + 1] == u'\n') {
            out += u' ';
            ++i;
        } else if (c == u'\r' || c == u'\n') {
            out += u' ';
        } else {
            out += c;
        }
    }
    return out;
}

std::optional<QString> iniRead(const QString &file, const QString &section, const QString &key)
{
    const QList<Line> lines = readLines(file, nullptr);
    const auto range = findSection(lines, section);
    if (range.first < 0)
        return std::nullopt;
    const qsizetype at = findKey(lines, range, key);
    if (at < 0)
        return std::nullopt;
    return valueOf(lines[at].text);
}

QStringList iniKeys(const QString &file, const QString &section)
{
    const QList<Line> lines = readLines(file, nullptr);
    const auto range = findSection(lines, section);
    QStringList keys;
    for (qsizetype i = range.first; range.first >= 0 && i < range.second; ++i) {
        if (const auto name = keyName(lines[i].text))
            keys.append(*name);
    }
    return keys;
}

QStringList iniSections(const QString &file)
{
    QStringList names;
    for (const Line &line : readLines(file, nullptr)) {
        if (const auto name = sectionName(line.text))
            names.append(*name);
    }
    return names;
}

bool iniWrite(const QString &file, const QString &section, const QString &key, const QString &value)
{
    if (section.trimmed().isEmpty() || key.trimmed().isEmpty())
        return false;
    bool exists = false;
    QList<Line> lines = readLines(file, &exists);
    const QString keyLine = key.trimmed() + u'=' + lineBreaksToSpaces(value);
    const QString crlf = QStringLiteral("\r\n");

    const auto range = findSection(lines, section);
    if (range.first >= 0) {
        const qsizetype at = findKey(lines, range, key);
        if (at >= 0) {
            lines[at].text = keyLine;
        } else {
            // After the last non-blank line of the section.
            qsizetype insertAt = range.first;
            for (qsizetype i = range.first; i < range.second; ++i) {
                if (!lines[i].text.trimmed().isEmpty())
                    insertAt = i + 1;
            }
            if (insertAt > 0 && lines[insertAt - 1].ending.isEmpty())
                lines[insertAt - 1].ending = crlf;
            lines.insert(insertAt, {keyLine, crlf});
        }
    } else {
        if (!lines.isEmpty() && lines.last().ending.isEmpty())
            lines.last().ending = crlf;
        lines.append({u'[' + section.trimmed() + u']', crlf});
        lines.append({keyLine, crlf});
    }

    QString content;
    for (const Line &line : lines)
        content += line.text + line.ending;
    return writeBinaryFileAtomically(file, toAnsi(content));
}

} // namespace Platform
