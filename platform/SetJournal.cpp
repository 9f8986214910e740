#include "platform/SetJournal.h"

#include "platform/CommitMark.h"
#include "platform/WriteSteps.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace Platform::SetJournal {
namespace {

const QByteArray kForwardWord = "forward";
const QByteArray kBackWord = "back";
const QByteArray kSetWord = "set";
const QByteArray kJournalKey = "journal";
const QByteArray kJournalEnd = "end";

QByteArray journalBytes(const Journal &journal)
{
    QByteArray bytes;
    if (journal.setId.isEmpty()) {
        bytes = directionWord(journal.direction) + '\n';
    } else {
        bytes = kSetWord + ' ' + journal.setId.toLatin1() + ' ' + directionWord(journal.direction) + '\n';
        for (const QString &path : journal.setJournals)
            bytes += journalLine(path) + '\n';
    }
    for (const Entry &entry : journal.entries)
        bytes += (entry.existed ? "1 " : "0 ") + entry.name.toUtf8() + '\n';
    return bytes + kJournalEnd + '\n';
}

// The first line: a direction, or a pending set's id and direction.
bool readHeader(const QByteArray &line, Journal &journal)
{
    const QList<QByteArray> words = line.split(' ');
    const std::optional<Direction> direction = directionOf(words.last());
    if (!direction || (words.size() != 1 && (words.size() != 3 || words.first() != kSetWord)))
        return false;
    journal.direction = *direction;
    journal.setId = words.size() == 3 ? QString::fromLatin1(words.at(1)) : QString();
    return words.size() == 1 || CommitMark::isSetId(journal.setId);
}

// Puts every new file in its target's place; the old names go once all have.
bool rollForward(const QString &folder, const QList<Entry> &entries)
{
    bool done = true;
    for (const Entry &entry : entries) {
        const QString target = folder + entry.name;
        if (!QFileInfo::exists(target + kNewSuffix))
            continue;
        killPoint(target);
        if (!moveOver(target + kNewSuffix, target))
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
        killPoint(target);
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
    for (const Entry &entry : entries) {
        killPoint(folder + entry.name + kOldSuffix);
        QFile::remove(folder + entry.name + kOldSuffix);
    }
}

} // namespace

QByteArray directionWord(Direction direction)
{
    return direction == Direction::Forward ? kForwardWord : kBackWord;
}

std::optional<Direction> directionOf(const QByteArray &word)
{
    if (word == kForwardWord)
        return Direction::Forward;
    if (word == kBackWord)
        return Direction::Back;
    return std::nullopt;
}

QByteArray journalLine(const QString &path)
{
    return kJournalKey + ' ' + QFile::encodeName(path).toPercentEncoding("/");
}

QString journalOf(const QByteArray &line)
{
    if (!line.startsWith(QByteArray(kJournalKey + ' ')) || line.size() == kJournalKey.size() + 1)
        return QString();
    return QFile::decodeName(QByteArray::fromPercentEncoding(line.mid(kJournalKey.size() + 1)));
}

bool put(const QString &path, const Journal &journal)
{
    return putSynced(path, journalBytes(journal));
}

Reading read(const QString &path)
{
    Reading reading;
    const auto bytes = readSmallRegularFile(path, kMaxBytes, &reading.tooLarge);
    if (!bytes)
        return reading;
    const QList<QByteArray> lines = bytes->split('\n');
    Journal &journal = reading.journal;
    bool wellFormed = readHeader(lines.first(), journal);
    const bool ended = lines.size() >= 3 && lines.last().isEmpty() && lines.at(lines.size() - 2) == kJournalEnd;
    qsizetype i = 1;
    for (; !journal.setId.isEmpty() && i < lines.size() && lines.at(i).startsWith(QByteArray(kJournalKey + ' ')); ++i) {
        const QString setJournal = journalOf(lines.at(i));
        wellFormed = wellFormed && QFileInfo(setJournal).isAbsolute();
        journal.setJournals.append(setJournal);
    }
    for (; i < lines.size() - (ended ? 2 : 0); ++i) {
        const QByteArray &line = lines.at(i);
        const QString name = QString::fromUtf8(line.mid(2));
        const bool entry = (line.startsWith("1 ") || line.startsWith("0 ")) && isPlainFileName(name);
        if (entry)
            journal.entries.append({name, line.startsWith('1')});
        wellFormed = wellFormed && entry;
    }
    const bool listsItsSet = journal.setId.isEmpty() || !journal.setJournals.isEmpty();
    reading.complete = wellFormed && ended && listsItsSet && !journal.entries.isEmpty();
    return reading;
}

bool isPendingOf(const QString &path, const QString &setId)
{
    const Reading reading = read(path);
    return reading.complete && reading.journal.setId == setId;
}

bool actsOnRegularFilesOnly(const QString &folder, const Journal &journal)
{
    return std::all_of(journal.entries.begin(), journal.entries.end(), [&folder](const Entry &entry) {
        const QString target = folder + entry.name;
        return isAbsentOrRegular(target) && isAbsentOrRegular(target + kNewSuffix)
               && isAbsentOrRegular(target + kOldSuffix);
    });
}

bool finish(const QString &folder, const QString &journalPath, const QList<Entry> &entries, Direction direction)
{
    const bool done = direction == Direction::Forward ? rollForward(folder, entries) : rollBack(folder, entries);
    if (!done)
        return false;
    syncFolderOf(journalPath);
    killPoint(journalPath);
    QFile::remove(journalPath);
    removeOldNames(folder, entries);
    return true;
}

} // namespace Platform::SetJournal
