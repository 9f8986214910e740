#include "platform/SetJournal.h"

#include "platform/CommitMark.h"
#include "platform/WriteSteps.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace Platform::SetJournal {
namespace {

const QByteArray kJournalEnd = "end";

QByteArray journalBytes(const QByteArray &direction, const QList<Entry> &entries)
{
    QByteArray bytes = direction + '\n';
    for (const Entry &entry : entries)
        bytes += (entry.existed ? "1 " : "0 ") + entry.name.toUtf8() + '\n';
    return bytes + kJournalEnd + '\n';
}

// Puts every new file in its target's place; the old names go once all have.
bool rollForward(const QString &folder, const QList<Entry> &entries)
{
    bool done = true;
    for (const Entry &entry : entries) {
        const QString target = folder + entry.name;
        if (QFileInfo::exists(target + kNewSuffix) && !moveOver(target + kNewSuffix, target))
            done = false;
    }
    return done;
}

// Puts every old file back (a target that had none goes) and drops the new files.
bool rollBack(const QString &folder, const QList<Entry> &entries)
{
    bool done = true;
    for (const Entry &entry : entries) {
        const QString target = folder + entry.name;
        const QString old = target + kOldSuffix;
        if (entry.existed && QFileInfo::exists(old))
            done = moveOver(old, target) && done;
        else if (!entry.existed && QFileInfo::exists(target))
            done = QFile::remove(target) && done;
        QFile::remove(target + kNewSuffix);
    }
    return done;
}

void removeOldNames(const QString &folder, const QList<Entry> &entries)
{
    for (const Entry &entry : entries)
        QFile::remove(folder + entry.name + kOldSuffix);
}

} // namespace

bool put(const QString &path, const QByteArray &direction, const QList<Entry> &entries)
{
    return putSynced(path, journalBytes(direction, entries));
}

QString setIdOf(const QByteArray &direction)
{
    return direction.startsWith(kSetPrefix) ? QString::fromLatin1(direction.mid(kSetPrefix.size())) : QString();
}

Reading read(const QString &path)
{
    Reading reading;
    const auto bytes = isRegularFile(path) ? readBinaryFile(path) : std::nullopt;
    if (!bytes)
        return reading;
    QList<QByteArray> lines = bytes->split('\n');
    reading.journal.direction = lines.value(0);
    const QByteArray &direction = reading.journal.direction;
    bool wellFormed = direction == kForward || direction == kBack || CommitMark::isSetId(setIdOf(direction));
    const bool ended = lines.size() >= 3 && lines.last().isEmpty() && lines.at(lines.size() - 2) == kJournalEnd;
    for (qsizetype i = 1; i < lines.size() - (ended ? 2 : 0); ++i) {
        const QByteArray &line = lines.at(i);
        const QString name = QString::fromUtf8(line.mid(2));
        const bool entry = (line.startsWith("1 ") || line.startsWith("0 ")) && isPlainFileName(name);
        if (entry)
            reading.journal.entries.append({name, line.startsWith('1')});
        wellFormed = wellFormed && entry;
    }
    reading.complete = wellFormed && ended && !reading.journal.entries.isEmpty();
    return reading;
}

bool actsOnRegularFilesOnly(const QString &folder, const Journal &journal)
{
    return std::all_of(journal.entries.begin(), journal.entries.end(), [&folder](const Entry &entry) {
        const QString target = folder + entry.name;
        return isAbsentOrRegular(target) && isAbsentOrRegular(target + kNewSuffix)
               && isAbsentOrRegular(target + kOldSuffix);
    });
}

bool finish(const QString &folder, const QString &journalPath, const QList<Entry> &entries, bool forward)
{
    const bool done = forward ? rollForward(folder, entries) : rollBack(folder, entries);
    if (!done)
        return false;
    syncFolderOf(journalPath);
    QFile::remove(journalPath);
    removeOldNames(folder, entries);
    return true;
}

} // namespace Platform::SetJournal
