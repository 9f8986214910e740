#include "platform/FileSet.h"

#include "platform/CommitMark.h"
#include "platform/SetJournal.h"
#include "platform/WriteSteps.h"

#include <QFileInfo>

#include <algorithm>
#include <utility>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace Platform {
namespace {

// A second name of the old target, so that a roll back finds it whole.
bool keepOldName(const QString &target)
{
    const QString old = target + kOldSuffix;
    QFile::remove(old);
#ifdef Q_OS_UNIX
    if (::link(QFile::encodeName(target).constData(), QFile::encodeName(old).constData()) == 0)
        return true;
#endif
    return QFile::copy(target, old);
}

// The files of a set that lie in one folder, under the journal beside the first of them.
struct FolderPart {
    QString folder;   // ending in "/"
    QString journalPath;
    QList<SetJournal::Entry> entries;
};

FolderPart &partFor(QList<FolderPart> &parts, const QString &path)
{
    const QString folder = QFileInfo(path).absolutePath() + QLatin1Char('/');
    for (FolderPart &part : parts) {
        if (part.folder == folder)
            return part;
    }
    parts.append({folder, path + kJournalSuffix, {}});
    return parts.last();
}

void removeJournals(const QList<FolderPart> &parts)
{
    for (const FolderPart &part : parts)
        QFile::remove(part.journalPath);
}

} // namespace

FileSet::~FileSet()
{
    abandon();
}

bool FileSet::add(const QString &path, const QByteArray &bytes)
{
    return start(path) && write(bytes) && finish();
}

bool FileSet::start(const QString &path)
{
    closeOpenFile(true);
    if (path.isEmpty() || !isPlainFileName(QFileInfo(path).fileName()) || QFileInfo(path).isDir()) {
        abandon();
        return false;
    }
    m_open = std::make_unique<QFile>(path + kNewSuffix);
    m_openPath = path;
    if (m_open->open(QIODevice::WriteOnly | QIODevice::Truncate))
        return true;
    abandon();
    return false;
}

bool FileSet::write(QByteArrayView bytes)
{
    if (m_open && m_open->write(bytes.data(), bytes.size()) == bytes.size())
        return true;
    abandon();
    return false;
}

bool FileSet::finish()
{
    if (!m_open) {
        abandon();
        return false;
    }
    const QString path = m_openPath;
    const bool synced = syncToDisk(*m_open);
    closeOpenFile(!synced);
    const bool existed = QFileInfo::exists(path);
    m_added.append({path, existed});
    const bool kept = synced && (!existed || keepOldName(path));
    if (!kept)
        abandon();
    return kept;
}

// Closes the file being written; `drop` removes it too.
void FileSet::closeOpenFile(bool drop)
{
    if (!m_open)
        return;
    m_open->close();
    if (drop)
        m_open->remove();
    m_open.reset();
    m_openPath.clear();
}

void FileSet::abandon()
{
    closeOpenFile(true);
    for (const Added &file : std::as_const(m_added)) {
        QFile::remove(file.path + kNewSuffix);
        QFile::remove(file.path + kOldSuffix);
    }
    m_added.clear();
}

bool FileSet::commit()
{
    closeOpenFile(true);   // a file never finished is no part of the set
    if (m_added.isEmpty())
        return true;
    QList<FolderPart> parts;
    for (const Added &file : std::as_const(m_added))
        partFor(parts, file.path).entries.append({QFileInfo(file.path).fileName(), file.existed});
    const QString setId = parts.size() > 1 ? CommitMark::newSetId() : QString();
    const QByteArray direction = setId.isEmpty() ? SetJournal::kForward : SetJournal::kSetPrefix + setId.toLatin1();
    const QString commitMark = CommitMark::path(parts.first().folder, setId);
    bool committed = std::all_of(parts.begin(), parts.end(), [&direction](const FolderPart &part) {
        return SetJournal::put(part.journalPath, direction, part.entries);
    });
    committed = committed && (setId.isEmpty() || putSynced(commitMark, QByteArray()));
    if (!committed) {
        removeJournals(parts);
        abandon();
        return false;
    }
    const QList<Added> added = std::exchange(m_added, {});   // from here on the journals own them
    for (const Added &file : added) {
        const bool failedByTest = writeFailureHook() && writeFailureHook()(file.path);
        if (failedByTest || !moveOver(file.path + kNewSuffix, file.path)) {
            // Rolling back from here on, also for a start that finds the journals after a crash.
            for (const FolderPart &part : parts) {
                if (SetJournal::put(part.journalPath, SetJournal::kBack, part.entries))
                    SetJournal::finish(part.folder, part.journalPath, part.entries, false);
            }
            if (!setId.isEmpty())
                QFile::remove(commitMark);
            return false;
        }
    }
    for (const FolderPart &part : parts)
        SetJournal::finish(part.folder, part.journalPath, part.entries, true);
    if (!setId.isEmpty())
        QFile::remove(commitMark);
    return true;
}

bool writeBinaryFilesAtomically(const QList<FileBytes> &files)
{
    FileSet set;
    for (const FileBytes &file : files) {
        if (!set.add(file.path, file.bytes))
            return false;
    }
    return set.commit();
}

} // namespace Platform
