#include "platform/TextFile.h"

#include "platform/Codec1252.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSet>

#include <algorithm>
#include <cstdio>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace Platform {
namespace {

constexpr qint64 kReadChunk = 256 * 1024;

// Cuts a stream of bytes into lines (CR LF, CR or a lone LF ends one, also when a chunk's end
// falls between CR and LF). A line that grows past kMaxLineBytes is dropped as it comes.
class LineCutter {
public:
    LineCutter(const std::function<bool(QByteArrayView)> &onLine, QList<qint64> &skipped)
        : m_onLine(onLine), m_skipped(skipped)
    {
    }

    // False once `onLine` has asked to stop.
    bool take(QByteArrayView chunk)
    {
        const char *bytes = chunk.data();
        const qsizetype size = chunk.size();
        qsizetype start = m_afterCr && size > 0 && bytes[0] == '\n' ? 1 : 0;
        m_afterCr = false;
        for (qsizetype i = start; i < size; ++i) {
            // Text bytes lie above CR: one comparison passes over them.
            if (static_cast<unsigned char>(bytes[i]) > '\r')
                continue;
            const char byte = bytes[i];
            if (byte != '\r' && byte != '\n')
                continue;
            if (!endLine(QByteArrayView(bytes + start, i - start)))
                return false;
            if (byte == '\r') {
                if (i + 1 == size)
                    m_afterCr = true;
                else if (bytes[i + 1] == '\n')
                    ++i;
            }
            start = i + 1;
        }
        hold(QByteArrayView(bytes + start, size - start));
        return true;
    }

    // The last line, when the file does not end with a line end.
    void finish()
    {
        if (m_overlong || !m_pending.isEmpty())
            endLine(QByteArrayView());
    }

private:
    void hold(QByteArrayView bytes)
    {
        if (m_overlong)
            return;
        if (m_pending.size() + bytes.size() > kMaxLineBytes) {
            m_overlong = true;
            m_pending.clear();
            return;
        }
        m_pending.append(bytes);
    }

    bool endLine(QByteArrayView bytes)
    {
        ++m_lineNumber;
        bool goOn = true;
        if (m_pending.isEmpty() && !m_overlong && bytes.size() <= kMaxLineBytes) {
            goOn = m_onLine(bytes);
        } else {
            hold(bytes);
            if (m_overlong)
                m_skipped.append(m_lineNumber);
            else
                goOn = m_onLine(m_pending);
        }
        m_pending.clear();
        m_overlong = false;
        return goOn;
    }

    const std::function<bool(QByteArrayView)> &m_onLine;
    QList<qint64> &m_skipped;
    QByteArray m_pending;     // the current line so far, when a chunk's end cut it
    bool m_overlong = false;  // the current line is past the limit: its bytes are not kept
    bool m_afterCr = false;   // the last chunk ended in CR: a LF starting the next one belongs to it
    qint64 m_lineNumber = 0;
};

} // namespace

std::optional<QByteArray> readBinaryFile(const QString &path)
{
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

std::optional<QString> readTextFile(const QString &path)
{
    const auto bytes = readBinaryFile(path);
    if (!bytes)
        return std::nullopt;
    return fromAnsi(*bytes);
}

// ---- Temporary names
//
// Every file the program writes is first complete under a name only its own writers make:
// "<target>.<6 letters or digits>.vqtmp" for a single file, "<target>.vqnew" and "<target>.vqold"
// for a set and "<first target>.vqjournal" for a set's journal. A start removes only files of
// those names, so a user's own copies beside the data files ("cat.vqs.Before") stay.

namespace {

const QString kTempSuffix = QStringLiteral(".vqtmp");
const QString kNewSuffix = QStringLiteral(".vqnew");
const QString kOldSuffix = QStringLiteral(".vqold");
const QString kJournalSuffix = QStringLiteral(".vqjournal");
constexpr qsizetype kTempRandomLength = 6;

bool syncToDisk(QFile &file)
{
    if (!file.flush())
        return false;
#ifdef Q_OS_UNIX
    return ::fsync(file.handle()) == 0;
#else
    return true;
#endif
}

// Gives `from` the name `to`, replacing any file of that name in one step.
bool moveOver(const QString &from, const QString &to)
{
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

void syncFolderOf(const QString &path)
{
#ifdef Q_OS_UNIX
    const int folder = ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(), O_RDONLY | O_DIRECTORY);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
#else
    Q_UNUSED(path);
#endif
}

QString randomLettersAndDigits(qsizetype length)
{
    static const QLatin1StringView kAlphabet("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789");
    QString text;
    for (qsizetype i = 0; i < length; ++i)
        text += QLatin1Char(kAlphabet.at(QRandomGenerator::global()->bounded(static_cast<int>(kAlphabet.size()))));
    return text;
}

bool isLetterOrDigit(QChar ch)
{
    return ch.unicode() < 128 && ch.isLetterOrNumber();
}

// "<name>.<6 letters or digits>.vqtmp": the temporary copy of a single write a kill left.
bool isTempName(const QString &name)
{
    const qsizetype randomStart = name.size() - kTempSuffix.size() - kTempRandomLength;
    if (!name.endsWith(kTempSuffix) || randomStart < 2 || name.at(randomStart - 1) != QLatin1Char('.'))
        return false;
    const QStringView random = QStringView(name).mid(randomStart, kTempRandomLength);
    return std::all_of(random.begin(), random.end(), isLetterOrDigit);
}

// Opens a new file of a temporary name beside the target; its permissions are those of a new
// file (the umask applies), as for any other file the program creates.
bool openTemp(const QString &target, QFile &file)
{
    for (int attempt = 0; attempt < 16; ++attempt) {
        file.setFileName(target + QLatin1Char('.') + randomLettersAndDigits(kTempRandomLength) + kTempSuffix);
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return true;
        if (file.exists())
            continue;
        return false;
    }
    return false;
}

// The file a write to `path` replaces: a symbolic link's final target, so the link stays.
QString finalTarget(const QString &path)
{
    QFileInfo info(path);
    for (int depth = 0; depth < 32 && info.isSymLink(); ++depth)
        info.setFile(info.symLinkTarget());
    return info.isSymLink() ? path : info.filePath();
}

WriteFailureHook &writeFailureHook()
{
    static WriteFailureHook hook;
    return hook;
}

} // namespace

void setWriteFailureHook(WriteFailureHook hook)
{
    writeFailureHook() = std::move(hook);
}

bool writeBinaryFileAtomically(const QString &path, const QByteArray &bytes,
                               std::optional<QFileDevice::Permissions> mode)
{
    if (path.isEmpty())
        return false;
    const QString target = finalTarget(path);
    const QFileInfo existing(target);
    if (existing.isDir() || (existing.exists() && !existing.isWritable()))
        return false;
    QFile file;
    if (!openTemp(target, file))
        return false;
    const std::optional<QFileDevice::Permissions> permissions =
        mode ? mode : existing.exists() ? std::optional(existing.permissions()) : std::nullopt;
    // The permissions come before the bytes: an owner-only file is never readable by others.
    const bool failedByTest = writeFailureHook() && writeFailureHook()(path);
    const bool written = !failedByTest && (!permissions || file.setPermissions(*permissions))
                         && file.write(bytes) == bytes.size() && syncToDisk(file);
    file.close();
    if (!written || !moveOver(file.fileName(), target)) {
        file.remove();
        return false;
    }
    syncFolderOf(target);
    return true;
}

// ---- Sets of files replaced as one
//
// A set's files all lie in one folder. Each new file is written and flushed to disk beside its
// target as "<target>.vqnew", and each old target gets a second name "<target>.vqold". Then a
// journal "<first target>.vqjournal" naming the targets is put in place: from then on the set
// rolls forward. The new files take their targets' places, the journal goes, the old names go.
// A move that fails turns the journal to rolling back, and the old files take their places
// again. A start after a crash finishes the journal it finds (finishInterruptedWrites); without
// one, the new files were never complete and are removed.
//
// The journal names its targets by their plain file names, read as names in the journal's own
// folder: a folder copied elsewhere after a crash recovers itself, and a journal can never
// reach a file outside its folder.
//
// A set over several folders (the engine data update stores into the program folder and the
// engine data folder) puts a journal "set <id>" in each folder, which rolls back unless a mark
// "<id>.vqcommit" stands in one of the folders a start looks into. Writing the mark is the one
// step after which the whole set rolls forward; it goes last, once every journal has.

namespace {

const QByteArray kForward = "forward";
const QByteArray kBack = "back";
const QByteArray kSetPrefix = "set ";
const QByteArray kJournalEnd = "end";
const QString kCommitSuffix = QStringLiteral(".vqcommit");
constexpr qsizetype kSetIdLength = 12;

// Writes the file whole under its own name and flushes it to disk; false leaves no file.
bool writeSynced(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    const bool written = file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size()
                         && syncToDisk(file);
    file.close();
    if (!written)
        QFile::remove(path);
    return written;
}

// A file in its folder that the recovery may act on: a regular file, not a link to elsewhere.
bool isRegularFile(const QString &path)
{
    const QFileInfo info(path);
    return !info.isSymLink() && info.isFile();
}

// Missing, or a regular file.
bool isAbsentOrRegular(const QString &path)
{
    const QFileInfo info(path);
    return !info.isSymLink() && (!info.exists() || info.isFile());
}

bool isPlainFileName(const QString &name)
{
    return !name.isEmpty() && name != u"." && name != u".." && !name.contains(QLatin1Char('/'))
           && !name.contains(QLatin1Char('\\')) && !name.contains(QLatin1Char(':'));
}

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

struct JournalEntry {
    QString name;           // the target's file name in the journal's folder
    bool existed = false;   // an old file stood there
};

struct Journal {
    QByteArray direction;
    QList<JournalEntry> entries;
};

QByteArray journalBytes(const QByteArray &direction, const QList<JournalEntry> &entries)
{
    QByteArray bytes = direction + '\n';
    for (const JournalEntry &entry : entries)
        bytes += (entry.existed ? "1 " : "0 ") + entry.name.toUtf8() + '\n';
    return bytes + kJournalEnd + '\n';
}

// Puts the file in its place complete or not at all, and on the disk.
bool putSynced(const QString &path, const QByteArray &bytes)
{
    const bool put = writeSynced(path + kNewSuffix, bytes) && moveOver(path + kNewSuffix, path);
    syncFolderOf(path);
    return put;
}

bool putJournal(const QString &path, const QByteArray &direction, const QList<JournalEntry> &entries)
{
    return putSynced(path, journalBytes(direction, entries));
}

bool isSetId(QStringView id)
{
    return !id.isEmpty() && std::all_of(id.begin(), id.end(), isLetterOrDigit);
}

// The set a journal of a set over several folders belongs to; empty for any other journal.
QString setIdOf(const QByteArray &direction)
{
    return direction.startsWith(kSetPrefix) ? QString::fromLatin1(direction.mid(kSetPrefix.size())) : QString();
}

// What a journal's lines say, as far as they can be read: `complete` only when every line
// keeps the format, ending with the end mark.
struct JournalReading {
    Journal journal;
    bool complete = false;
};

JournalReading readJournal(const QString &path)
{
    JournalReading reading;
    const auto bytes = isRegularFile(path) ? readBinaryFile(path) : std::nullopt;
    if (!bytes)
        return reading;
    QList<QByteArray> lines = bytes->split('\n');
    reading.journal.direction = lines.value(0);
    const QByteArray &direction = reading.journal.direction;
    bool wellFormed = direction == kForward || direction == kBack || isSetId(setIdOf(direction));
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

// Puts every new file in its target's place; the old names go once all have.
bool rollForward(const QString &folder, const QList<JournalEntry> &entries)
{
    bool done = true;
    for (const JournalEntry &entry : entries) {
        const QString target = folder + entry.name;
        if (QFileInfo::exists(target + kNewSuffix) && !moveOver(target + kNewSuffix, target))
            done = false;
    }
    return done;
}

// Puts every old file back (a target that had none goes) and drops the new files.
bool rollBack(const QString &folder, const QList<JournalEntry> &entries)
{
    bool done = true;
    for (const JournalEntry &entry : entries) {
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

void removeOldNames(const QString &folder, const QList<JournalEntry> &entries)
{
    for (const JournalEntry &entry : entries)
        QFile::remove(folder + entry.name + kOldSuffix);
}

// Every file the journal would act on is a regular file in its folder, or missing.
bool actsOnRegularFilesOnly(const QString &folder, const Journal &journal)
{
    return std::all_of(journal.entries.begin(), journal.entries.end(), [&folder](const JournalEntry &entry) {
        const QString target = folder + entry.name;
        return isAbsentOrRegular(target) && isAbsentOrRegular(target + kNewSuffix)
               && isAbsentOrRegular(target + kOldSuffix);
    });
}

// Ends the journal's set one way or the other; false leaves the journal for the next start.
bool finishJournal(const QString &folder, const QString &journalPath, const QList<JournalEntry> &entries, bool forward)
{
    const bool done = forward ? rollForward(folder, entries) : rollBack(folder, entries);
    if (!done)
        return false;
    syncFolderOf(journalPath);
    QFile::remove(journalPath);
    removeOldNames(folder, entries);
    return true;
}

// Whether a start rolls the journal's set forward: a one-folder set once its journal says so,
// a set over several folders once its mark was written.
bool rollsForward(const Journal &journal, const QSet<QString> &committedSets)
{
    const QString id = setIdOf(journal.direction);
    return id.isEmpty() ? journal.direction == kForward : committedSets.contains(id);
}

// The files of a set that lie in one folder, under the journal beside the first of them.
struct FolderPart {
    QString folder;   // ending in "/"
    QString journalPath;
    QList<JournalEntry> entries;
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

// The sets over several folders whose mark stands in one of the folders.
QSet<QString> committedSets(const QStringList &folders)
{
    QSet<QString> sets;
    for (const QString &folder : folders) {
        for (const QFileInfo &info : QDir(folder).entryInfoList({QLatin1Char('*') + kCommitSuffix},
                                                                QDir::Files | QDir::Hidden | QDir::System)) {
            const QString id = info.fileName().chopped(kCommitSuffix.size());
            if (!info.isSymLink() && isSetId(id))
                sets.insert(id);
        }
    }
    return sets;
}

// Removes the marks of sets no journal is left for.
void removeCommitMarks(const QStringList &folders, const QSet<QString> &heldSets)
{
    for (const QString &folder : folders) {
        for (const QFileInfo &info : QDir(folder).entryInfoList({QLatin1Char('*') + kCommitSuffix},
                                                                QDir::Files | QDir::Hidden | QDir::System)) {
            const QString id = info.fileName().chopped(kCommitSuffix.size());
            if (!info.isSymLink() && isSetId(id) && !heldSets.contains(id))
                QFile::remove(info.absoluteFilePath());
        }
    }
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
        const JournalReading reading = readJournal(journalPath);
        QString problem;
        if (!reading.complete)
            problem = QStringLiteral("it cannot be read or names files outside its folder");
        else if (!actsOnRegularFilesOnly(folder, reading.journal))
            problem = QStringLiteral("a file it names is not a regular file");
        else if (!finishJournal(folder, journalPath, reading.journal.entries, rollsForward(reading.journal, committed)))
            problem = QStringLiteral("its files could not be moved");
        if (problem.isEmpty())
            continue;
        left.heldNames.insert(journalName.chopped(kJournalSuffix.size()));
        if (const QString id = setIdOf(reading.journal.direction); isSetId(id))
            left.heldSets.insert(id);
        for (const JournalEntry &entry : reading.journal.entries)
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
    const QString setId = parts.size() > 1 ? randomLettersAndDigits(kSetIdLength) : QString();
    const QByteArray direction = setId.isEmpty() ? kForward : kSetPrefix + setId.toLatin1();
    const QString commitMark = parts.first().folder + setId + kCommitSuffix;
    bool committed = std::all_of(parts.begin(), parts.end(), [&direction](const FolderPart &part) {
        return putJournal(part.journalPath, direction, part.entries);
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
                if (putJournal(part.journalPath, kBack, part.entries))
                    finishJournal(part.folder, part.journalPath, part.entries, false);
            }
            if (!setId.isEmpty())
                QFile::remove(commitMark);
            return false;
        }
    }
    for (const FolderPart &part : parts)
        finishJournal(part.folder, part.journalPath, part.entries, true);
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

QStringList finishInterruptedWrites(const QStringList &folders)
{
    QStringList unique;   // a folder given twice is cleaned, and reported, once
    for (const QString &path : folders) {
        const QString folder = QFileInfo(path).canonicalFilePath() + QLatin1Char('/');
        if (!path.isEmpty() && QFileInfo(path).isDir() && !unique.contains(folder))
            unique.append(folder);
    }
    const QSet<QString> committed = committedSets(unique);
    QStringList reports;
    QSet<QString> heldSets;
    for (const QString &folder : unique) {
        LeftJournals left;
        finishJournalsIn(folder, committed, left);
        removeLeftovers(folder, left.heldNames);
        reports += left.reports;
        heldSets += left.heldSets;
    }
    removeCommitMarks(unique, heldSets);
    return reports;
}

bool writeTextFileAtomically(const QString &path, const QString &text)
{
    return writeBinaryFileAtomically(path, toAnsi(text));
}

bool appendTextFile(const QString &path, const QString &text)
{
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    const QByteArray bytes = toAnsi(text);
    return file.write(bytes) == bytes.size();
}

QStringList splitLines(const QString &text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c != u'\r' && c != u'\n')
            continue;
        lines.append(text.mid(start, i - start));
        if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines.append(text.mid(start));
    return lines;
}

LineReading forEachByteLine(const QString &path, const std::function<bool(QByteArrayView)> &onLine)
{
    LineReading reading;
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return reading;
    LineCutter cutter(onLine, reading.skippedLines);
    QByteArray chunk(kReadChunk, Qt::Uninitialized);
    bool stopped = false;
    qint64 got = 0;
    while (!stopped && (got = file.read(chunk.data(), kReadChunk)) > 0)
        stopped = !cutter.take(QByteArrayView(chunk.constData(), got));
    reading.readable = stopped || (got == 0 && file.error() == QFileDevice::NoError);
    if (!stopped && reading.readable)
        cutter.finish();
    return reading;
}

LineReading forEachLine(const QString &path, const std::function<bool(const QString &)> &onLine)
{
    return forEachByteLine(path, [&onLine](QByteArrayView line) { return onLine(fromAnsi(QByteArray::fromRawData(line.data(), line.size()))); });
}

std::optional<QStringList> readLines(const QString &path)
{
    QList<qint64> skippedLines;
    return readLines(path, skippedLines);
}

std::optional<QStringList> readLines(const QString &path, QList<qint64> &skippedLines)
{
    QStringList lines;
    const LineReading reading = forEachLine(path, [&lines](const QString &line) {
        lines.append(line);
        return true;
    });
    skippedLines = reading.skippedLines;
    if (!reading.readable)
        return std::nullopt;
    return lines;
}

bool fileExists(const QString &path)
{
    return !path.isEmpty() && QFileInfo(path).isFile();
}

} // namespace Platform
