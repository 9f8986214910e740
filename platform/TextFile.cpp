#include "platform/TextFile.h"

#include "platform/Codec1252.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

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

namespace {

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
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const bool failedByTest = writeFailureHook() && writeFailureHook()(path);
    if (failedByTest || file.write(bytes) != bytes.size() || (mode && !file.setPermissions(*mode))) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

// ---- Sets of files replaced as one
//
// Each new file is written and flushed to disk beside its target as "<target>.vqnew", and each
// old target gets a second name "<target>.vqold". Then a journal "<first target>.vqjournal"
// naming the targets is put in place: from then on the set rolls forward. The new files take
// their targets' places, the journal goes, the old names go. A move that fails turns the journal
// to rolling back, and the old files take their places again. A start after a crash finishes the
// journal it finds (finishInterruptedWrites); without one, the new files were never complete and
// are removed.

namespace {

const QString kNewSuffix = QStringLiteral(".vqnew");
const QString kOldSuffix = QStringLiteral(".vqold");
const QString kJournalSuffix = QStringLiteral(".vqjournal");
const QByteArray kForward = "forward";
const QByteArray kBack = "back";

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
    QString target;
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
        bytes += (entry.existed ? "1 " : "0 ") + entry.target.toUtf8() + '\n';
    return bytes;
}

bool putJournal(const QString &path, const QByteArray &direction, const QList<JournalEntry> &entries)
{
    const bool put = writeSynced(path + kNewSuffix, journalBytes(direction, entries)) && moveOver(path + kNewSuffix, path);
    syncFolderOf(path);
    return put;
}

std::optional<Journal> readJournal(const QString &path)
{
    const auto bytes = readBinaryFile(path);
    if (!bytes)
        return std::nullopt;
    const QList<QByteArray> lines = bytes->split('\n');
    Journal journal;
    journal.direction = lines.value(0);
    if (journal.direction != kForward && journal.direction != kBack)
        return std::nullopt;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray &line = lines.at(i);
        if (line.size() > 2 && (line.startsWith("1 ") || line.startsWith("0 ")))
            journal.entries.append({QString::fromUtf8(line.mid(2)), line.startsWith('1')});
    }
    return journal;
}

// Puts every new file in its target's place; the old names go once all have.
bool rollForward(const QList<JournalEntry> &entries)
{
    bool done = true;
    for (const JournalEntry &entry : entries) {
        const QString fresh = entry.target + kNewSuffix;
        if (QFileInfo::exists(fresh) && !moveOver(fresh, entry.target))
            done = false;
    }
    return done;
}

// Puts every old file back (a target that had none goes) and drops the new files.
bool rollBack(const QList<JournalEntry> &entries)
{
    bool done = true;
    for (const JournalEntry &entry : entries) {
        const QString old = entry.target + kOldSuffix;
        if (entry.existed && QFileInfo::exists(old))
            done = moveOver(old, entry.target) && done;
        else if (!entry.existed && QFileInfo::exists(entry.target))
            done = QFile::remove(entry.target) && done;
        QFile::remove(entry.target + kNewSuffix);
    }
    return done;
}

void removeOldNames(const QList<JournalEntry> &entries)
{
    for (const JournalEntry &entry : entries)
        QFile::remove(entry.target + kOldSuffix);
}

// Ends the journal's set one way or the other; false leaves the journal for the next start.
bool finishJournal(const QString &journalPath)
{
    const std::optional<Journal> journal = readJournal(journalPath);
    if (!journal)
        return false;
    const bool done = journal->direction == kForward ? rollForward(journal->entries) : rollBack(journal->entries);
    if (!done)
        return false;
    syncFolderOf(journalPath);
    QFile::remove(journalPath);
    removeOldNames(journal->entries);
    return true;
}

void dropNewFiles(const QList<FileBytes> &files)
{
    for (const FileBytes &file : files) {
        QFile::remove(file.path + kNewSuffix);
        QFile::remove(file.path + kOldSuffix);
    }
}

// A temporary copy of QSaveFile: "<existing file>.XXXXXX", six random letters and digits of
// both cases.
bool isSaveFileLeftover(const QFileInfo &info)
{
    const QString name = info.fileName();
    if (name.size() < 8 || name.at(name.size() - 7) != QLatin1Char('.'))
        return false;
    const QStringView suffix = QStringView(name).right(6);
    bool upper = false;
    bool lower = false;
    for (const QChar ch : suffix) {
        if (!ch.isLetterOrNumber() || ch.unicode() > 127)
            return false;
        upper = upper || ch.isUpper();
        lower = lower || ch.isLower();
    }
    return upper && lower && QFileInfo(info.absolutePath() + QLatin1Char('/') + name.chopped(7)).isFile();
}

} // namespace

bool writeBinaryFilesAtomically(const QList<FileBytes> &files)
{
    if (files.isEmpty())
        return true;
    QList<JournalEntry> entries;
    for (const FileBytes &file : files) {
        if (file.path.isEmpty() || QFileInfo(file.path).isDir()) {
            dropNewFiles(files);
            return false;
        }
        const bool existed = QFileInfo::exists(file.path);
        if (!writeSynced(file.path + kNewSuffix, file.bytes) || (existed && !keepOldName(file.path))) {
            dropNewFiles(files);
            return false;
        }
        entries.append({file.path, existed});
    }
    const QString journalPath = files.first().path + kJournalSuffix;
    if (!putJournal(journalPath, kForward, entries)) {
        QFile::remove(journalPath);
        dropNewFiles(files);
        return false;
    }
    for (const JournalEntry &entry : entries) {
        const bool failedByTest = writeFailureHook() && writeFailureHook()(entry.target);
        if (failedByTest || !moveOver(entry.target + kNewSuffix, entry.target)) {
            // Rolling back from here on, also for a start that finds the journal after a crash.
            if (putJournal(journalPath, kBack, entries))
                finishJournal(journalPath);
            return false;
        }
    }
    syncFolderOf(journalPath);
    QFile::remove(journalPath);
    removeOldNames(entries);
    return true;
}

void finishInterruptedWrites(const QStringList &folders)
{
    // Every journal first: a set may have its files in more than one of the folders.
    bool journalLeft = false;
    for (const QString &folder : folders) {
        for (const QFileInfo &journal : QDir(folder).entryInfoList({QLatin1Char('*') + kJournalSuffix}, QDir::Files))
            journalLeft = !finishJournal(journal.absoluteFilePath()) || journalLeft;
    }
    // Without a journal a set never got complete: its new files and second names go.
    for (const QString &folder : folders) {
        for (const QFileInfo &info : QDir(folder).entryInfoList(QDir::Files | QDir::Hidden)) {
            const QString name = info.fileName();
            const bool setLeftover = !journalLeft && (name.endsWith(kNewSuffix) || name.endsWith(kOldSuffix));
            if (setLeftover || isSaveFileLeftover(info))
                QFile::remove(info.absoluteFilePath());
        }
    }
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
