#include "platform/StartRecovery.h"

#include "platform/CommitMark.h"
#include "platform/SetJournal.h"
#include "platform/WriteSteps.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <algorithm>
#include <optional>

namespace Platform {
namespace {

using SetJournal::Direction;

const QDir::Filters kEveryFile = QDir::Files | QDir::Hidden | QDir::System;

// A name only the program's writers give a temporary copy: a single write's or a set's.
bool isCopyName(const QString &name)
{
    return name.endsWith(kNewSuffix) || name.endsWith(kOldSuffix) || isTempName(name);
}

bool isProgramName(const QString &name)
{
    return isCopyName(name) || name.endsWith(kJournalSuffix) || name.endsWith(kCommitSuffix);
}

// The folders given, each once by its real path, then the folders the links among their files
// lead to: a save through a link writes beside the link's final target.
QStringList foldersToRecover(const QStringList &folders)
{
    QStringList unique;
    const auto addFolder = [&unique](const QString &path) {
        const QString folder = QFileInfo(path).canonicalFilePath() + QLatin1Char('/');
        if (!path.isEmpty() && QFileInfo(path).isDir() && !unique.contains(folder))
            unique.append(folder);
    };
    for (const QString &path : folders)
        addFolder(path);
    const qsizetype given = unique.size();
    for (qsizetype i = 0; i < given; ++i) {
        for (const QFileInfo &info : QDir(unique.at(i)).entryInfoList(kEveryFile)) {
            if (!info.isSymLink() || isProgramName(info.fileName()))
                continue;
            const QFileInfo target(finalTarget(info.filePath()));
            if (!target.isSymLink() && !target.isDir())
                addFolder(target.absolutePath());
        }
    }
    return unique;
}

bool sameFile(const QString &a, const QString &b)
{
    const QString canonical = QFileInfo(a).canonicalFilePath();
    return !canonical.isEmpty() && canonical == QFileInfo(b).canonicalFilePath();
}

// What one start does with the journals, copies and marks of its folders. Journals it leaves
// alone hold on to their targets' copies and their set's mark, for a later start.
class Recovery {
public:
    void finishJournalsIn(const QString &folder);
    void removeLeftovers(const QString &folder);
    void removeSettledMarks(const QString &folder);

    QStringList reports;

private:
    std::optional<Direction> decide(const QString &journalPath, const SetJournal::Journal &journal, QString &problem);
    void leave(const QString &folder, const QString &journalName, const SetJournal::Journal &journal,
               const QString &problem);

    QHash<QString, QSet<QString>> m_heldNames;   // by folder: targets whose copies stay
    QSet<QString> m_heldSets;                    // sets whose mark stays
};

// The way a pending journal's set goes: its mark's way; without a mark, the journal's own way
// while the first folder's journal still waits for the mark, which then was never written.
std::optional<Direction> Recovery::decide(const QString &journalPath, const SetJournal::Journal &journal,
                                          QString &problem)
{
    if (journal.setId.isEmpty())
        return journal.direction;
    const QString first = journal.setJournals.first();
    const QString markPath = CommitMark::path(first, journal.setId);
    if (const std::optional<CommitMark::Mark> mark = CommitMark::read(markPath))
        return mark->direction;
    if (QFileInfo::exists(markPath) || QFileInfo(markPath).isSymLink()) {
        problem = QStringLiteral("its set's mark ") + QDir::toNativeSeparators(markPath) + QStringLiteral(" cannot be read");
        return std::nullopt;
    }
    if (!SetJournal::isPendingOf(first, journal.setId)) {
        problem = QStringLiteral("its set also has files in ") + QDir::toNativeSeparators(QFileInfo(first).absolutePath())
                  + QStringLiteral(", without which it cannot be told whether the set was committed");
        return std::nullopt;
    }
    // The first folder's journal goes now: its mark keeps the way for the other folders.
    if (sameFile(first, journalPath) && !CommitMark::put(markPath, {journal.direction, journal.setJournals})) {
        problem = QStringLiteral("its set's mark could not be written");
        return std::nullopt;
    }
    return journal.direction;
}

void Recovery::finishJournalsIn(const QString &folder)
{
    // A kill while a journal or a mark was being put leaves its copy, which no journal holds;
    // it goes first, for this start may put a mark of its own.
    for (const QString &name : QDir(folder).entryList({QLatin1Char('*') + kJournalSuffix + kNewSuffix,
                                                       QLatin1Char('*') + kCommitSuffix + kNewSuffix},
                                                      kEveryFile)) {
        QFile::remove(folder + name);
    }
    for (const QString &journalName : QDir(folder).entryList({QLatin1Char('*') + kJournalSuffix}, kEveryFile)) {
        const QString journalPath = folder + journalName;
        const SetJournal::Reading reading = SetJournal::read(journalPath);
        const SetJournal::Journal &journal = reading.journal;
        QString problem;
        if (reading.tooLarge) {
            problem = QStringLiteral("it is larger than ") + QString::number(SetJournal::kMaxBytes) + QStringLiteral(" bytes");
        } else if (!reading.complete) {
            problem = QStringLiteral("it cannot be read or names files outside its folder");
        } else if (!SetJournal::actsOnRegularFilesOnly(folder, journal)) {
            problem = QStringLiteral("a file it names is not a regular file");
        } else if (const std::optional<Direction> direction = decide(journalPath, journal, problem)) {
            if (!SetJournal::finish(folder, journalPath, journal.entries, *direction))
                problem = QStringLiteral("its files could not be moved");
        }
        if (!problem.isEmpty())
            leave(folder, journalName, journal, problem);
    }
}

// Holds on to what the journal names and reports it, once for each set.
void Recovery::leave(const QString &folder, const QString &journalName, const SetJournal::Journal &journal,
                     const QString &problem)
{
    QSet<QString> &held = m_heldNames[folder];
    held.insert(journalName.chopped(kJournalSuffix.size()));
    for (const SetJournal::Entry &entry : journal.entries)
        held.insert(entry.name);
    const bool reportedBefore = !journal.setId.isEmpty() && m_heldSets.contains(journal.setId);
    if (!journal.setId.isEmpty())
        m_heldSets.insert(journal.setId);
    if (!reportedBefore)
        reports.append(QStringLiteral("Interrupted write not finished: ") + QDir::toNativeSeparators(folder + journalName)
                       + QStringLiteral(" was left alone, as ") + problem);
}

// Removes the files only the program's writers name that a kill left, except the copies a
// journal left for a later start holds on to. A link of such a name is never the program's.
void Recovery::removeLeftovers(const QString &folder)
{
    const QSet<QString> held = m_heldNames.value(folder);
    for (const QFileInfo &info : QDir(folder).entryInfoList(kEveryFile | QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QString name = info.fileName();
        if (!isCopyName(name) || (info.isDir() && !info.isSymLink()))
            continue;
        const bool heldCopy = !info.isSymLink() && !isTempName(name) && held.contains(name.chopped(kNewSuffix.size()));
        if (!heldCopy)
            QFile::remove(info.absoluteFilePath());
    }
}

// Removes the marks no journal needs any more: none of the set's journals waits for it, and
// none lies in a folder that is away. A mark not of the format serves no journal.
void Recovery::removeSettledMarks(const QString &folder)
{
    for (const QFileInfo &info : QDir(folder).entryInfoList({QLatin1Char('*') + kCommitSuffix}, kEveryFile)) {
        const QString id = CommitMark::setIdOfName(info.fileName());
        if (id.isEmpty() || info.isSymLink() || m_heldSets.contains(id))
            continue;
        const std::optional<CommitMark::Mark> mark = CommitMark::read(info.absoluteFilePath());
        const bool settled = !mark || std::none_of(mark->journals.cbegin(), mark->journals.cend(), [&id](const QString &journal) {
            return !QFileInfo(QFileInfo(journal).absolutePath()).isDir() || SetJournal::isPendingOf(journal, id);
        });
        if (settled) {
            killPoint(info.absoluteFilePath());
            QFile::remove(info.absoluteFilePath());
        }
    }
}

} // namespace

QStringList finishInterruptedWrites(const QStringList &folders)
{
    const QStringList all = foldersToRecover(folders);
    Recovery recovery;
    for (const QString &folder : all) {
        recovery.finishJournalsIn(folder);
        recovery.removeLeftovers(folder);
    }
    for (const QString &folder : all)
        recovery.removeSettledMarks(folder);
    return recovery.reports;
}

} // namespace Platform
