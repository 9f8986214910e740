#pragma once
// Whole-file reads and writes. Files are read as bytes and turned into text through the
// Windows-1252 codec; every file written whole is replaced atomically.
#include <functional>
#include <memory>
#include <optional>

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QFileDevice>
#include <QList>
#include <QString>
#include <QStringList>

namespace Platform {

// The file's bytes, or nothing when it cannot be read.
std::optional<QByteArray> readBinaryFile(const QString &path);

// The file's text (one character per byte), or nothing when it cannot be read.
std::optional<QString> readTextFile(const QString &path);

// Replaces the file with `bytes` atomically; false (old file untouched) on failure. With a mode
// the new file has those permissions before it takes the old one's place.
bool writeBinaryFileAtomically(const QString &path, const QByteArray &bytes,
                               std::optional<QFileDevice::Permissions> mode = std::nullopt);

// Replaces several files as one: each is written in full beside its target first, and only when
// every one is complete do they take their targets' places, under a journal in each folder that
// a crash leaves for the next start. False, with every old file as it was, when any step fails.
struct FileBytes {
    QString path;
    QByteArray bytes;
};
bool writeBinaryFilesAtomically(const QList<FileBytes> &files);

// The same, for files that come one by one (a download): each new file is written whole and on
// disk beside its target, by add() at once or by start(), write() as its bytes come and finish();
// commit() then lets every finished file take its target's place as one. Files not committed are
// removed when the set is abandoned or ends, and by the next start after a crash; a failed call
// abandons the set.
class FileSet {
public:
    FileSet() = default;
    FileSet(const FileSet &) = delete;
    FileSet &operator=(const FileSet &) = delete;
    ~FileSet();

    bool add(const QString &path, const QByteArray &bytes);
    bool start(const QString &path);
    bool write(QByteArrayView bytes);
    bool finish();
    bool commit();
    void abandon();

private:
    void closeOpenFile(bool drop);

    struct Added {
        QString path;
        bool existed = false;   // an old file stood there when it was added
    };
    QList<Added> m_added;
    std::unique_ptr<QFile> m_open;
    QString m_openPath;
};

// At a start: finishes the sets of files in the folders whose replacing a crash interrupted (all
// new files or all old ones, as far as the set had come), and removes the temporary copies that
// killed writes left there. Only names the program's own writers make are touched, and a journal
// acts only on regular files of its own folder. Gives one line for each journal it left alone
// (unreadable, naming anything else, or not finished), for the error log.
QStringList finishInterruptedWrites(const QStringList &folders);

// Tests make atomic writes fail as a full disk would: while a hook is set, a write whose path it
// accepts is given up before it replaces the file (in a set of files, when that file's turn
// comes to take its target's place). An empty hook ends this.
using WriteFailureHook = std::function<bool(const QString &path)>;
void setWriteFailureHook(WriteFailureHook hook);

// Replaces the file with the text's bytes atomically; false on failure.
bool writeTextFileAtomically(const QString &path, const QString &text);

// Appends the text's bytes to the file (created when missing); false on failure.
bool appendTextFile(const QString &path, const QString &text);

// Splits text into lines; CR LF, CR and a lone LF each end a line. A final line end adds no
// empty line.
QStringList splitLines(const QString &text);

// A line longer than this many bytes is not held: the line readers skip it.
inline constexpr qsizetype kMaxLineBytes = 1024 * 1024;

struct LineReading {
    bool readable = false;          // false when the file could not be opened or read to its end
    QList<qint64> skippedLines;     // numbers (from 1) of the lines left out for their length
};

// Reads a file line by line as splitLines splits its text, without holding it whole: only one
// line at a time, and of a line longer than kMaxLineBytes not even that (it is left out).
// `onLine` returns false to stop.
LineReading forEachLine(const QString &path, const std::function<bool(const QString &)> &onLine);

// The same lines as bytes, not yet decoded, for the readers of large files. A view holds only
// until `onLine` returns.
LineReading forEachByteLine(const QString &path, const std::function<bool(QByteArrayView)> &onLine);

// The lines of a text file, or nothing when it cannot be read. Lines longer than kMaxLineBytes
// are left out; the second form gives their numbers.
std::optional<QStringList> readLines(const QString &path);
std::optional<QStringList> readLines(const QString &path, QList<qint64> &skippedLines);

bool fileExists(const QString &path);

} // namespace Platform
