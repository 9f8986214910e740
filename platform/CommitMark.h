#pragma once
// The commit mark of a set of files over several folders (FileSet): the one file whose writing
// turns the whole set from one way to the other.
//
// Such a set turns in four steps: a pending journal "set <id> <old way>" in each folder
// (SetJournal); then the mark "<id>.vqcommit" beside the first folder's journal, naming the new
// way and the set's journals; then each folder's journal becomes a one-folder journal of the new
// way, so that once they all have, no start needs the mark again; then the mark goes. A start
// that finds a pending journal goes the mark's way; without a mark, the old way while the first
// folder's journal is still pending (the mark was never written); else it cannot tell and leaves
// the set alone. A start that ends the first folder's pending journal without a mark first
// writes the mark of the way it took, for the other folders. A mark goes once none of the
// journals it names is pending any more.
#include <optional>

#include <QString>
#include <QStringList>
#include <QStringView>

#include "platform/SetJournal.h"

namespace Platform::CommitMark {

inline constexpr qsizetype kSetIdLength = 12;

// A new set's id.
QString newSetId();

bool isSetId(QStringView id);

// The mark of the set, beside the journal of its first folder.
QString path(const QString &firstJournal, const QString &setId);

// The set's id, for a name of a mark; empty for any other name.
QString setIdOfName(const QString &fileName);

struct Mark {
    SetJournal::Direction direction = SetJournal::Direction::Back;
    QStringList journals;
};

// Puts the mark in its place whole and on the disk.
bool put(const QString &path, const Mark &mark);

// The mark, or nothing when it is missing, unreadable, not a regular file or not of the format.
std::optional<Mark> read(const QString &path);

} // namespace Platform::CommitMark
