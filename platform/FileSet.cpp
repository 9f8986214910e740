#include "platform/FileSet.h"

#include "platform/CommitMark.h"
#include "platform/SetJournal.h"
#include "platform/WriteSteps.h"

#include <QFileInfo>

#include <algorithm>
#include <utility>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <unistd.h>
#endif

namespace Platform {
namespace {

using SetJournal::Direction;

// The file a write to `path` replaces, by its folder's real path; empty when it cannot be one of
// a set's files.
QString setTarget(const QString &path)
{
    if (path.isEmpty() || !isPlainFileName(QFileInfo(path).fileName()))
        return QString();
    const QFileInfo target(finalTarget(path));
    const QString folder = QFileInfo(target.absolutePath()).canonicalFilePath();
    if (folder.isEmpty() || target.isSymLink() || target.isDir() || !isPlainFileName(target.fileName()))
        return QString();
    return folder + QLatin1Char('/') + target.fileName();
}

// A copy of the file under a new name, byte for byte, flushed to disk.
bool copyNew(const QString &from, const QString &to)
{
    QFile source(from);
    QFile copy(to);
    if (!source.open(QIODevice::ReadOnly) || !createNew(copy))
        return false;
    bool copied = true;
    while (copied && !source.atEnd()) {
        const QByteArray chunk = source.read(1024 * 1024);
        copied = source.error() == QFileDevice::NoError && copy.write(chunk) == chunk.size();
    }
    copied = copied && syncToDisk(copy);
    copy.close();
    if (!copied)
        copy.remove();
    return copied;
}

// A second name of the old target, so that a roll back finds it whole; made new, as the copies.
bool keepOldName(const QString &target)
{
    const QString old = target + kOldSuffix;
    killPoint(old);
#ifdef Q_OS_UNIX
    if (::link(QFile::encodeName(target).constData(), QFile::encodeName(old).constData()) == 0)
        return true;
    if (errno == EEXIST)
        return false;
#endif
    return copyNew(target, old);
}

// The files of a set that lie in one folder, under the journal beside the first of them.
struct FolderPart {
    QString folder;   // ending in "/"
    QString journalPath;
    QList<SetJournal::Entry> entries;
};

FolderPart &partFor(QList<FolderPart> &parts, const QString &target)
{
    const QString folder = QFileInfo(target).absolutePath() + QLatin1Char('/');
    for (FolderPart &part : parts) {
        if (part.folder == folder)
            return part;
    }
    parts.append({folder, target + kJournalSuffix, {}});
    return parts.last();
}

QStringList journalsOf(const QList<FolderPart> &parts)
{
    QStringList journals;
    for (const FolderPart &part : parts)
        journals.append(part.journalPath);
    return journals;
}

bool putEveryJournal(const QList<FolderPart> &parts, const SetJournal::Journal &base)
{
    bool put = true;
    for (const FolderPart &part : parts) {
        SetJournal::Journal journal = base;
        journal.entries = part.entries;
        put = put && SetJournal::put(part.journalPath, journal);
    }
    return put;
}

// Turns the set from one way to the other as one step; true once it goes `to`. Over several
// folders the commit mark is that step, and each journal then goes `to` on its own, so that no
// start needs the mark again.
bool turn(const QList<FolderPart> &parts, Direction from, Direction to)
{
    if (parts.size() == 1)
        return SetJournal::put(parts.first().journalPath, {to, {}, {}, parts.first().entries});
    const QString id = CommitMark::newSetId();
    const QStringList journals = journalsOf(parts);
    const QString mark = CommitMark::path(journals.first(), id);
    if (!putEveryJournal(parts, {from, id, journals, {}}) || !CommitMark::put(mark, {to, journals}))
        return false;
    if (putEveryJournal(parts, {to, {}, {}, {}})) {
        killPoint(mark);
        QFile::remove(mark);
    }
    return true;
}

// Pending journals of a set never turned go, the first folder's last: while it stands, the
// others can still tell that the set never turned.
void removeJournals(const QList<FolderPart> &parts)
{
    for (auto part = parts.crbegin(); part != parts.crend(); ++part) {
        killPoint(part->journalPath);
        QFile::remove(part->journalPath);
    }
}

void finishEveryJournal(const QList<FolderPart> &parts, Direction direction)
{
    for (const FolderPart &part : parts)
        SetJournal::finish(part.folder, part.journalPath, part.entries, direction);
}

} // namespace

void setKillPointHook(std::function<void(const QString &path)> hook)
{
    killPointHook() = std::move(hook);
}

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
    const QString target = setTarget(path);
    const QFileInfo existing(target);
    if (target.isEmpty() || (existing.exists() && !existing.isWritable())) {
        abandon();
        return false;
    }
    drop(target);
    auto file = std::make_unique<QFile>(target + kNewSuffix);
    // The permissions come before the bytes: an owner-only file is never readable by others.
    if (!createNew(*file) || (existing.exists() && !file->setPermissions(existing.permissions()))) {
        if (file->isOpen())
            file->remove();
        abandon();
        return false;
    }
    m_open = std::move(file);
    m_opened = {path, target, false};
    return true;
}

// A path given again: the file added before for it goes.
void FileSet::drop(const QString &target)
{
    const auto earlier = std::find_if(m_added.cbegin(), m_added.cend(), [&target](const Added &a) { return a.target == target; });
    if (earlier == m_added.cend())
        return;
    QFile::remove(target + kNewSuffix);
    if (earlier->existed)
        QFile::remove(target + kOldSuffix);
    m_added.erase(earlier);
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
    Added added = m_opened;
    const bool synced = syncToDisk(*m_open);
    closeOpenFile(!synced);
    added.existed = QFileInfo::exists(added.target);
    if (!synced || (added.existed && !keepOldName(added.target))) {
        QFile::remove(added.target + kNewSuffix);
        abandon();
        return false;
    }
    m_added.append(added);
    return true;
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
    m_opened = {};
}

void FileSet::abandon()
{
    closeOpenFile(true);
    for (const Added &file : std::as_const(m_added)) {
        QFile::remove(file.target + kNewSuffix);
        if (file.existed)
            QFile::remove(file.target + kOldSuffix);
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
        partFor(parts, file.target).entries.append({QFileInfo(file.target).fileName(), file.existed});
    // A journal that stands is another set's, which a start left alone: it is never replaced.
    const bool journalStands = std::any_of(parts.cbegin(), parts.cend(), [](const FolderPart &part) {
        return QFileInfo(part.journalPath).exists() || QFileInfo(part.journalPath).isSymLink();
    });
    if (journalStands) {
        abandon();
        return false;
    }
    if (!turn(parts, Direction::Back, Direction::Forward)) {
        removeJournals(parts);
        abandon();
        return false;
    }
    const QList<Added> added = std::exchange(m_added, {});   // from here on the journals own them
    for (const Added &file : added) {
        killPoint(file.target);
        const bool failedByTest = writeFailureHook() && writeFailureHook()(file.path);
        if (failedByTest || !moveOver(file.target + kNewSuffix, file.target)) {
            // Without the turn back the journals stay forward, for the next start.
            if (turn(parts, Direction::Forward, Direction::Back))
                finishEveryJournal(parts, Direction::Back);
            return false;
        }
    }
    finishEveryJournal(parts, Direction::Forward);
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
