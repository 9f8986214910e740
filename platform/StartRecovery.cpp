#include "platform/StartRecovery.h"

#include "platform/CommitMark.h"
#include "platform/SetJournal.h"
#include "platform/WriteSteps.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

namespace Platform {
namespace {

// Whether a start rolls the journal's set forward: a one-folder set once its journal says so,
// a set over several folders once its mark was written.
bool rollsForward(const SetJournal::Journal &journal, const QSet<QString> &committedSets)
{
    const QString id = SetJournal::setIdOf(journal.direction);
    return id.isEmpty() ? journal.direction == SetJournal::kForward : committedSets.contains(id);
}

// The journals of one folder that a start could not finish, by the names of the targets they
// hold on to: those targets' new files and old names stay for a later start.
struct LeftJournals {
    QSet<QString> heldNames;
    QSet<QString> heldSets;   // sets over several folders whose mark must stay
    QStringList reports;
};

void finishJournalsIn(const QString &folder, const QSet<QString> &committed, LeftJournals &left)
{
    const QStringList journals = QDir(folder).entryList({QLatin1Char('*') + kJournalSuffix},
                                                        QDir::Files | QDir::System | QDir::Hidden);
    for (const QString &journalName : journals) {
        const QString journalPath = folder + journalName;
        const SetJournal::Reading reading = SetJournal::read(journalPath);
        QString problem;
        if (!reading.complete)
            problem = QStringLiteral("it cannot be read or names files outside its folder");
        else if (!SetJournal::actsOnRegularFilesOnly(folder, reading.journal))
            problem = QStringLiteral("a file it names is not a regular file");
        else if (!SetJournal::finish(folder, journalPath, reading.journal.entries, rollsForward(reading.journal, committed)))
            problem = QStringLiteral("its files could not be moved");
        if (problem.isEmpty())
            continue;
        left.heldNames.insert(journalName.chopped(kJournalSuffix.size()));
        if (const QString id = SetJournal::setIdOf(reading.journal.direction); CommitMark::isSetId(id))
            left.heldSets.insert(id);
        for (const SetJournal::Entry &entry : reading.journal.entries)
            left.heldNames.insert(entry.name);
        left.reports.append(QStringLiteral("Interrupted write not finished: ") + QDir::toNativeSeparators(journalPath)
                            + QStringLiteral(" was left alone, as ") + problem);
    }
}

// Removes the files only the program's writers name that a kill left, except those a journal
// left for a later start holds on to.
void removeLeftovers(const QString &folder, const QSet<QString> &heldNames)
{
    for (const QFileInfo &info : QDir(folder).entryInfoList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (info.isSymLink())
            continue;
        const QString name = info.fileName();
        const bool setCopy = name.endsWith(kNewSuffix) || name.endsWith(kOldSuffix);
        if ((setCopy && !heldNames.contains(name.chopped(kNewSuffix.size()))) || isTempName(name))
            QFile::remove(info.absoluteFilePath());
    }
}

} // namespace

QStringList finishInterruptedWrites(const QStringList &folders)
{
    QStringList unique;   // a folder given twice is cleaned, and reported, once
    for (const QString &path : folders) {
        const QString folder = QFileInfo(path).canonicalFilePath() + QLatin1Char('/');
        if (!path.isEmpty() && QFileInfo(path).isDir() && !unique.contains(folder))
            unique.append(folder);
    }
    const QSet<QString> committed = CommitMark::committedSets(unique);
    QStringList reports;
    QSet<QString> heldSets;
    for (const QString &folder : unique) {
        LeftJournals left;
        finishJournalsIn(folder, committed, left);
        removeLeftovers(folder, left.heldNames);
        reports += left.reports;
        heldSets += left.heldSets;
    }
    CommitMark::removeUnheld(unique, heldSets);
    return reports;
}

} // namespace Platform
