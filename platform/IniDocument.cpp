#include "platform/IniDocument.h"

#include "platform/Codec1252.h"
#include "platform/IniFile.h"
#include "platform/TextFile.h"

#include <QFileInfo>

#include <algorithm>

namespace Platform {
namespace {

// The section name when the line is a section header. The name runs to the last "]", so a
// project named "A]B" is a section of its own and not a second header of "A".
std::optional<QString> sectionName(QStringView line)
{
    const QStringView t = line.trimmed();
    if (!t.startsWith(u'['))
        return std::nullopt;
    qsizetype close = t.lastIndexOf(u']');
    if (close < 0)
        close = t.size();
    return t.mid(1, close - 1).trimmed().toString();
}

// The key name when the line is a key line (comments and lines without "=" are not).
std::optional<QStringView> keyNameView(QStringView line)
{
    const QStringView t = line.trimmed();
    if (t.isEmpty() || t.startsWith(u';'))
        return std::nullopt;
    const qsizetype eq = line.indexOf(u'=');
    if (eq < 0)
        return std::nullopt;
    return line.left(eq).trimmed();
}

// The value of a key line: what follows the first "=", spaces and tabs trimmed.
QStringView valueView(QStringView line)
{
    QStringView value = line.mid(line.indexOf(u'=') + 1);
    while (!value.isEmpty() && (value.front() == u' ' || value.front() == u'\t'))
        value = value.mid(1);
    while (!value.isEmpty() && (value.back() == u' ' || value.back() == u'\t'))
        value.chop(1);
    return value;
}

// The first line of a name wins: a later one never takes its place in an index. Names match one
// character at a time ignoring case.
void insertFirst(QHash<CaseInsensitiveKey, qsizetype> &index, const QString &name, qsizetype at)
{
    CaseInsensitiveKey key{name};
    if (!index.contains(key))
        index.insert(std::move(key), at);
}

bool hasLineBreak(const QString &text)
{
    return text.contains(u'\r') || text.contains(u'\n');
}

} // namespace

std::optional<IniDocument> IniDocument::load(const QString &file)
{
    const std::optional<QByteArray> bytes = readBinaryFile(file);
    if (!bytes && QFileInfo::exists(file))
        return std::nullopt;
    return fromText(file, bytes ? fromAnsi(*bytes) : QString());
}

IniDocument IniDocument::fromText(const QString &file, const QString &text)
{
    IniDocument document;
    document.m_file = file;
    document.parse(text);
    return document;
}

void IniDocument::addBodyLine(Block &block, Line line, QStringView text)
{
    const qsizetype at = block.body.size();
    if (!text.trimmed().isEmpty())
        block.lastNonBlank = at;
    block.body.append(std::move(line));
}

QStringView IniDocument::lineText(const Line &line) const
{
    return line.start < 0 ? QStringView(line.own) : QStringView(m_source).mid(line.start, line.length);
}

const QHash<CaseInsensitiveKey, qsizetype> &IniDocument::keyLines(const Block &block) const
{
    if (!block.keyLines) {
        QHash<CaseInsensitiveKey, qsizetype> index;
        index.reserve(block.body.size());
        for (qsizetype at = 0; at < block.body.size(); ++at) {
            if (const auto name = keyNameView(lineText(block.body[at])))
                insertFirst(index, name->toString(), at);
        }
        block.keyLines = std::move(index);
    }
    return *block.keyLines;
}

void IniDocument::parse(const QString &text)
{
    m_source = text;
    m_blocks.clear();
    m_sectionBlocks.clear();
    m_blocks.emplace_back();
    qsizetype start = 0;
    const qsizetype n = text.size();
    while (start < n) {
        qsizetype end = start;
        while (end < n && text[end] != u'\r' && text[end] != u'\n')
            ++end;
        Line line{QString(), Ending::None, start, end - start};
        const QStringView lineView = QStringView(m_source).mid(start, end - start);
        qsizetype next = end;
        if (end < n) {
            const bool crlf = text[end] == u'\r' && end + 1 < n && text[end + 1] == u'\n';
            line.ending = crlf ? Ending::CrLf : (text[end] == u'\r' ? Ending::Cr : Ending::Lf);
            next = end + (crlf ? 2 : 1);
        }
        if (const auto name = sectionName(lineView)) {
            Block block;
            block.hasHeader = true;
            block.header = std::move(line);
            block.name = *name;
            insertFirst(m_sectionBlocks, *name, qsizetype(m_blocks.size()));
            m_blocks.push_back(std::move(block));
        } else {
            addBodyLine(m_blocks.back(), std::move(line), lineView);
        }
        start = next;
    }
}

void IniDocument::reindex()
{
    parse(text());
}

bool IniDocument::sameSection(const QString &a, const QString &b)
{
    return sectionKey(a) == sectionKey(b);
}

const IniDocument::Block *IniDocument::findBlock(const QString &section) const
{
    const auto it = m_sectionBlocks.constFind(sectionKey(section));
    return it == m_sectionBlocks.cend() ? nullptr : &m_blocks[size_t(*it)];
}

IniDocument::Block *IniDocument::findBlock(const QString &section)
{
    return const_cast<Block *>(std::as_const(*this).findBlock(section));
}

std::optional<QString> IniDocument::value(const QString &section, const QString &key) const
{
    const Block *block = findBlock(section);
    if (!block)
        return std::nullopt;
    const QHash<CaseInsensitiveKey, qsizetype> &index = keyLines(*block);
    const auto at = index.constFind(CaseInsensitiveKey{key.trimmed()});
    if (at == index.cend())
        return std::nullopt;
    return valueView(lineText(block->body[*at])).toString();
}

QString IniDocument::valueOr(const QString &section, const QString &key, const QString &fallback) const
{
    return value(section, key).value_or(fallback);
}

QStringList IniDocument::keys(const QString &section) const
{
    QStringList names;
    if (const Block *block = findBlock(section)) {
        for (const Line &line : block->body) {
            if (const auto name = keyNameView(lineText(line)))
                names.append(name->toString());
        }
    }
    return names;
}

QStringList IniDocument::sections() const
{
    QStringList names;
    for (const Block &block : m_blocks) {
        if (block.hasHeader)
            names.append(block.name);
    }
    return names;
}

bool IniDocument::hasSection(const QString &section) const
{
    return findBlock(section) != nullptr;
}

QStringList IniDocument::headerLines() const
{
    QStringList lines;
    for (const Block &block : m_blocks) {
        if (block.hasHeader)
            lines.append(lineText(block.header).trimmed().toString());
    }
    return lines;
}

QList<std::pair<QString, QString>> IniDocument::entries(const QString &section) const
{
    QList<std::pair<QString, QString>> found;
    const QList<std::pair<QStringView, QStringView>> views = entryViews(section);
    found.reserve(views.size());
    for (const auto &[name, value] : views)
        found.append({name.toString(), value.toString()});
    return found;
}

QList<std::pair<QStringView, QStringView>> IniDocument::entryViews(const QString &section) const
{
    QList<std::pair<QStringView, QStringView>> found;
    if (const Block *block = findBlock(section)) {
        found.reserve(block->body.size());
        for (const Line &line : block->body) {
            const QStringView text = lineText(line);
            if (const auto name = keyNameView(text))
                found.append({*name, valueView(text)});
        }
    }
    return found;
}

QMap<int, QString> IniDocument::numberedValues(const QString &section, const QString &prefix) const
{
    QMap<int, QString> values;
    for (const auto &[name, value] : entryViews(section)) {
        if (!name.startsWith(prefix, Qt::CaseInsensitive))
            continue;
        const QStringView digits = name.mid(prefix.size());
        const bool plainNumber = !digits.isEmpty() && digits.front() != u'0'
                                 && std::all_of(digits.begin(), digits.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
        bool ok = false;
        const int n = plainNumber ? digits.toInt(&ok) : 0;
        if (!ok)
            continue;
        // Numbers mostly come in order: the place found is then the end, and the first line wins.
        const auto at = values.lowerBound(n);
        if (at == values.end() || at.key() != n)
            values.insert(at, n, value.toString());
    }
    return values;
}

IniDocument::Line *IniDocument::lastLine()
{
    for (auto block = m_blocks.rbegin(); block != m_blocks.rend(); ++block) {
        if (!block->body.isEmpty())
            return &block->body.last();
        if (block->hasHeader)
            return &block->header;
    }
    return nullptr;
}

bool IniDocument::setValue(const QString &section, const QString &key, const QString &value)
{
    const QString sectionTrimmed = section.trimmed();
    const QString keyTrimmed = key.trimmed();
    if (sectionTrimmed.isEmpty() || keyTrimmed.isEmpty())
        return false;
    const QString keyLine = keyTrimmed + u'=' + (hasLineBreak(value) ? lineBreaksToSpaces(value) : value);
    // A name that reads back as another line (a header, a comment, a shorter key or several
    // lines) changes the shape of the file: the index is then built again from the text.
    bool reshaped = hasLineBreak(keyTrimmed) || sectionName(keyLine) || keyNameView(keyLine) != QStringView(keyTrimmed);
    const CaseInsensitiveKey keyIndexed{keyTrimmed};

    if (Block *block = findBlock(sectionTrimmed)) {
        const QHash<CaseInsensitiveKey, qsizetype> &index = keyLines(*block);
        const auto at = index.constFind(keyIndexed);
        if (at != index.cend()) {
            Line &line = block->body[*at];
            line.own = keyLine;
            line.start = -1;
        } else {
            // After the last non-blank line of the section.
            const qsizetype insertAt = block->lastNonBlank + 1;
            Line &before = insertAt == 0 ? block->header : block->body[insertAt - 1];
            if (before.ending == Ending::None)
                before.ending = Ending::CrLf;
            block->body.insert(insertAt, Line{keyLine, Ending::CrLf});
            block->lastNonBlank = insertAt;
            if (!reshaped)
                block->keyLines->insert(keyIndexed, insertAt);
        }
    } else {
        if (Line *last = lastLine(); last && last->ending == Ending::None)
            last->ending = Ending::CrLf;
        Block added;
        added.hasHeader = true;
        added.header = Line{u'[' + sectionTrimmed + u']', Ending::CrLf};
        added.name = sectionTrimmed;
        addBodyLine(added, Line{keyLine, Ending::CrLf}, keyLine);
        m_sectionBlocks.insert(CaseInsensitiveKey{sectionTrimmed}, qsizetype(m_blocks.size()));
        m_blocks.push_back(std::move(added));
        reshaped = reshaped || hasLineBreak(sectionTrimmed);
    }
    if (reshaped)
        reindex();
    return true;
}

QString IniDocument::text() const
{
    static const QString endings[] = {QString(), QStringLiteral("\r\n"), QStringLiteral("\r"), QStringLiteral("\n")};
    qsizetype size = 0;
    for (const Block &block : m_blocks) {
        size += lineText(block.header).size() + 2;
        for (const Line &line : block.body)
            size += lineText(line).size() + 2;
    }
    QString out;
    out.reserve(size);
    for (const Block &block : m_blocks) {
        if (block.hasHeader) {
            out += lineText(block.header);
            out += endings[int(block.header.ending)];
        }
        for (const Line &line : block.body) {
            out += lineText(line);
            out += endings[int(line.ending)];
        }
    }
    return out;
}

bool IniDocument::commit(std::optional<QFileDevice::Permissions> mode) const
{
    return writeBinaryFileAtomically(m_file, toAnsi(text()), mode);
}

} // namespace Platform
