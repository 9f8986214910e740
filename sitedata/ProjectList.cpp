#include "sitedata/ProjectList.h"

#include <QSet>

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

} // namespace

std::optional<ProjectList> ProjectList::load(const QString &file)
{
    std::optional<Platform::IniDocument> document = Platform::IniDocument::load(file);
    if (!document)
        return std::nullopt;
    return ProjectList(std::move(*document));
}

QList<Project> ProjectList::projects() const
{
    QList<Project> list;
    QSet<QString> seen;
    for (const QString &line : m_document.headerLines()) {
        const auto name = projectHeader(line);
        if (!name || seen.contains(name->toCaseFolded()))
            continue;
        seen.insert(name->toCaseFolded());
        Project project{*name, m_document.valueOr(*name, kDescription), {}};
        const int last = clsMainText::leadingDigits(m_document.valueOr(*name, kLast));
        const QMap<int, QString> entries = m_document.numberedValues(*name, QString());
        for (auto entry = entries.cbegin(); entry != entries.cend() && entry.key() <= last; ++entry) {
            const QString &value = entry.value();
            const qsizetype bar = value.indexOf(u'|');
            ProjectSite site{entry.key(), value.left(bar), bar < 0 ? QString() : value.mid(bar + 1)};
            if (!site.name.isEmpty())
                project.sites.append(site);
        }
        list.append(project);
    }
    return list;
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
