#include "sitedata/ProjectList.h"

#include <algorithm>
#include <vector>

#include <QSet>

#include "sitedata/NameIndex.h"
#include "sitedata/clsMainText.h"

namespace {

const QString kCrLf = QStringLiteral("\r\n");
const QString kDescription = QStringLiteral("Description");
const QString kLast = QStringLiteral("Last");

// The project name of a header line, or nothing when the line is not a header.
std::optional<QString> projectHeader(const QString &line)
{
    if (!clsMainText::isSectionHeader(line))
        return std::nullopt;
    const QString trimmed = line.trimmed();
    return trimmed.mid(1, trimmed.size() - 2).trimmed();
}

// The line (by span) holding the header of `name`, or -1.
qsizetype findHeaderLine(const QString &text, const QList<clsMainText::LineSpan> &spans, const QString &name)
{
    const QString wanted = name.trimmed();
    for (qsizetype i = 0; i < spans.size(); ++i) {
        const auto header = projectHeader(text.mid(spans[i].start, spans[i].length));
        if (header && header->compare(wanted, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

// The entry number of a key written as a plain number (no sign, no leading zero, within int).
std::optional<int> entryNumber(QStringView key)
{
    const bool plainNumber = !key.isEmpty() && key.front() != u'0'
                             && std::all_of(key.begin(), key.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
    bool ok = false;
    const int n = plainNumber ? key.toInt(&ok) : 0;
    return ok ? std::optional<int>(n) : std::nullopt;
}

} // namespace

std::optional<ProjectList> ProjectList::load(const QString &file)
{
    std::optional<Platform::IniDocument> document = Platform::IniDocument::load(file);
    if (!document)
        return std::nullopt;
    return ProjectList(std::move(*document));
}

QList<Project> ProjectList::projects(bool withRepeats) const
{
    QList<Project> list;
    QSet<QString> seen;
    const QStringList headers = m_document.headerLines();
    list.reserve(headers.size());
    seen.reserve(headers.size());
    for (const QString &line : headers) {
        const auto name = projectHeader(line);
        if (!name)
            continue;
        const qsizetype before = seen.size();
        seen.insert(name->toCaseFolded());
        if (withRepeats || seen.size() > before)
            list.append(readProject(*name));
    }
    return list;
}

Project ProjectList::readProject(const QString &name) const
{
    // One pass over the section: the first line of a key wins, as in a look-up by key.
    std::optional<QStringView> description;
    std::optional<QStringView> last;
    std::vector<std::pair<int, QStringView>> numbered;
    const QList<std::pair<QStringView, QStringView>> entries = m_document.entryViews(name);
    numbered.reserve(size_t(entries.size()));
    for (const auto &[key, value] : entries) {
        if (const std::optional<int> n = entryNumber(key))
            numbered.emplace_back(*n, value);
        else if (!description && NameIndex::sameName(key, kDescription))
            description = value;
        else if (!last && NameIndex::sameName(key, kLast))
            last = value;
    }
    const auto byNumber = [](const auto &a, const auto &b) { return a.first < b.first; };
    if (!std::is_sorted(numbered.begin(), numbered.end(), byNumber))
        std::stable_sort(numbered.begin(), numbered.end(), byNumber);

    Project project{name, description ? description->toString() : QString(), {}};
    const int lastNumber = clsMainText::leadingDigits(last ? last->toString() : QString());
    project.sites.reserve(qsizetype(numbered.size()));
    for (size_t i = 0; i < numbered.size() && numbered[i].first <= lastNumber; ++i) {
        const auto &[number, value] = numbered[i];
        if (i > 0 && numbered[i - 1].first == number)
            continue;
        const qsizetype bar = value.indexOf(u'|');
        const QStringView siteName = bar < 0 ? value : value.left(bar);
        if (!siteName.isEmpty())
            project.sites.append({number, siteName.toString(), bar < 0 ? QString() : value.mid(bar + 1).toString()});
    }
    return project;
}

QStringList ProjectList::siteFiles(const QString &file)
{
    QStringList files;
    const std::optional<ProjectList> list = load(file);
    for (const Project &project : list ? list->projects() : QList<Project>()) {
        for (const ProjectSite &site : project.sites) {
            if (!site.file.isEmpty())
                files.append(site.file);
        }
    }
    return files;
}

bool ProjectList::addProject(const QString &project)
{
    return m_document.setValue(project, kDescription, QString()) && m_document.setValue(project, kLast, QStringLiteral("0"));
}

QString ProjectList::addSite(const QString &project, const QString &siteName, const QString &siteFile)
{
    const QString entry = siteName + u'|' + siteFile;
    const qint64 last = clsMainText::leadingDigits(m_document.valueOr(project, kLast));
    QSet<qint64> used;
    const QMap<int, QString> entries = m_document.numberedValues(project, QString());
    for (auto it = entries.cbegin(); it != entries.cend(); ++it) {
        if (!it.value().isEmpty())
            used.insert(it.key());
    }
    // The walk ends at the first number not in use: never more steps than entries present.
    qint64 number = 1;
    while (number <= last && used.contains(number))
        ++number;
    const QString key = QString::number(number);
    if (!m_document.setValue(project, key, entry))
        return QString();
    if (number > last)
        m_document.setValue(project, kLast, key);
    return key;
}

bool ProjectList::setValue(const QString &project, const QString &key, const QString &value)
{
    return m_document.setValue(project, key, value);
}

void ProjectList::replaceText(const QString &text)
{
    m_document = Platform::IniDocument::fromText(m_document.fileName(), text);
}

bool ProjectList::renameProject(const QString &oldName, const QString &newName)
{
    QString text = m_document.text();
    const QList<clsMainText::LineSpan> spans = clsMainText::lineSpans(text);
    const qsizetype line = findHeaderLine(text, spans, oldName);
    const QString newHeader = u'[' + newName + u']';
    if (line >= 0) {
        const qsizetype open = text.indexOf(u'[', spans[line].start);
        const qsizetype close = text.lastIndexOf(u']', spans[line].start + spans[line].length - 1);
        text.replace(open, close - open + 1, newHeader);
    } else {
        text += kCrLf + newHeader;
    }
    replaceText(text + kCrLf);
    return line >= 0;
}

bool ProjectList::removeProject(const QString &project)
{
    const QString text = m_document.text();
    const QList<clsMainText::LineSpan> spans = clsMainText::lineSpans(text);
    const qsizetype line = findHeaderLine(text, spans, project);
    if (line < 0)
        return false;
    qsizetype cutEnd = text.size();
    for (qsizetype i = line + 1; i < spans.size(); ++i) {
        if (projectHeader(text.mid(spans[i].start, spans[i].length))) {
            cutEnd = spans[i].start;
            break;
        }
    }
    replaceText(text.left(spans[line].start) + text.mid(cutEnd) + kCrLf);
    return true;
}

bool ProjectList::storeValue(const QString &file, const QString &project, const QString &key, const QString &value)
{
    std::optional<ProjectList> list = load(file);
    return list && list->setValue(project, key, value) && list->commit();
}

bool ProjectList::commit() const
{
    return m_document.commit();
}
