#pragma once
// The journal of a set of files replaced as one (FileSet), in one folder: what a start needs to
// finish a set a crash interrupted.
//
// A journal "<first target>.vqjournal" lies beside the files it names. Its first line says which
// way the set goes: "forward" (the new files take their targets' places), "back" (the old files
// take their places again) or "set <id>" (a set over several folders: forward once the set's
// commit mark stands, else back). Then one line per target, "1 <name>" when an old file stood
// there and "0 <name>" when none did, and the line "end". Names are plain file names, read in
// the journal's own folder: a folder copied elsewhere recovers itself, and a journal never
// reaches a file outside its folder.
#include <QByteArray>
#include <QList>
#include <QString>

namespace Platform::SetJournal {

inline const QByteArray kForward = "forward";
inline const QByteArray kBack = "back";
inline const QByteArray kSetPrefix = "set ";

struct Entry {
    QString name;           // the target's file name in the journal's folder
    bool existed = false;   // an old file stood there
};

struct Journal {
    QByteArray direction;
    QList<Entry> entries;
};

// Puts the journal in its place whole and on the disk.
bool put(const QString &path, const QByteArray &direction, const QList<Entry> &entries);

// What a journal's lines say, as far as they can be read: `complete` only when every line
// keeps the format, ending with the end mark.
struct Reading {
    Journal journal;
    bool complete = false;
};
Reading read(const QString &path);

// The set a journal of a set over several folders belongs to; empty for any other journal.
QString setIdOf(const QByteArray &direction);

// Every file the journal would act on is a regular file in its folder, or missing.
bool actsOnRegularFilesOnly(const QString &folder, const Journal &journal);

// Ends the journal's set one way or the other: the new or the old files take their targets'
// places, then the journal and the old names go. False leaves the journal for the next start.
bool finish(const QString &folder, const QString &journalPath, const QList<Entry> &entries, bool forward);

} // namespace Platform::SetJournal
