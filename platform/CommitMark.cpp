#include "platform/CommitMark.h"

#include "platform/WriteSteps.h"

#include <QFileInfo>

#include <algorithm>

namespace Platform::CommitMark {
namespace {

const QByteArray kMarkEnd = "end";

} // namespace

QString newSetId()
{
    return randomLettersAndDigits(kSetIdLength);
}

bool isSetId(QStringView id)
{
    return !id.isEmpty() && std::all_of(id.begin(), id.end(), isLetterOrDigit);
}

QString path(const QString &firstJournal, const QString &setId)
{
    return QFileInfo(firstJournal).absolutePath() + QLatin1Char('/') + setId + kCommitSuffix;
}

QString setIdOfName(const QString &fileName)
{
    const QString id = fileName.endsWith(kCommitSuffix) ? fileName.chopped(kCommitSuffix.size()) : QString();
    return isSetId(id) ? id : QString();
}

bool put(const QString &path, const Mark &mark)
{
    QByteArray bytes = SetJournal::directionWord(mark.direction) + '\n';
    for (const QString &journal : mark.journals)
        bytes += SetJournal::journalLine(journal) + '\n';
    return putSynced(path, bytes + kMarkEnd + '\n');
}

std::optional<Mark> read(const QString &path)
{
    const auto bytes = readSmallRegularFile(path, SetJournal::kMaxBytes);
    if (!bytes)
        return std::nullopt;
    const QList<QByteArray> lines = bytes->split('\n');
    const std::optional<SetJournal::Direction> direction = SetJournal::directionOf(lines.first());
    if (!direction || lines.size() < 4 || lines.last() != QByteArray() || lines.at(lines.size() - 2) != kMarkEnd)
        return std::nullopt;
    Mark mark{*direction, {}};
    for (qsizetype i = 1; i < lines.size() - 2; ++i) {
        const QString journal = SetJournal::journalOf(lines.at(i));
        if (!QFileInfo(journal).isAbsolute())
            return std::nullopt;
        mark.journals.append(journal);
    }
    return mark;
}

} // namespace Platform::CommitMark
