#pragma once
// The journal of a set of files replaced as one (FileSet), in one folder: what a start needs to
// finish a set a crash interrupted.
//
// A journal "<first target>.vqjournal" lies beside the files it names. Its first line says which
// way the set goes: "forward" (the new files take their targets' places) or "back" (the old files
// take their places again), or, while a set over several folders turns from one way to the
// other, "set <id> <way>": the way the set's commit mark says (CommitMark), else the way it
// names. Such a pending journal lists the set's journals ("journal <path>", the first folder's
// first), since only the first folder's journal tells whether the mark could still be missing.
// Then one line per target, "1 <name>" when an old file stood there and "0 <name>" when none
// did, and the line "end". Target names are plain file names, read in the journal's own folder: a
// folder copied elsewhere recovers itself, and a journal never acts on a file outside its folder.
// A journal over kMaxBytes is never read: real ones name a few files.
#include <optional>

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace Platform::SetJournal {

inline constexpr qint64 kMaxBytes = 64 * 1024;

enum class Direction { Forward, Back };

struct Entry {
    QString name;           // the target's file name in the journal's folder
    bool existed = false;   // an old file stood there
};

struct Journal {
    Direction direction = Direction::Back;
    QString setId;              // a pending journal's set; empty for a one-folder journal
    QStringList setJournals;    // a pending journal: every journal of the set, the first folder's first
    QList<Entry> entries;
};

// Puts the journal in its place whole and on the disk.
bool put(const QString &path, const Journal &journal);

// What a journal's lines say, as far as they can be read: `complete` only when every line
// keeps the format, ending with the end mark.
struct Reading {
    Journal journal;
    bool complete = false;
    bool tooLarge = false;   // over kMaxBytes: not read at all
};
Reading read(const QString &path);

// Whether the journal at `path` is a pending one of the set.
bool isPendingOf(const QString &path, const QString &setId);

// Every file the journal would act on is a regular file in its folder, or missing.
bool actsOnRegularFilesOnly(const QString &folder, const Journal &journal);

// Ends the journal's set one way or the other: the new or the old files take their targets'
// places, then the journal and the old names go. False leaves the journal for the next start.
bool finish(const QString &folder, const QString &journalPath, const QList<Entry> &entries, Direction direction);

// The line "journal <path>" that names one of a set's journals in a pending journal or a commit
// mark, and back: the path, or empty for any other line (any byte of a folder name survives).
QByteArray journalLine(const QString &path);
QString journalOf(const QByteArray &line);

QByteArray directionWord(Direction direction);
std::optional<Direction> directionOf(const QByteArray &word);

} // namespace Platform::SetJournal
