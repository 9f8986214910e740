#pragma once
// The commit mark of a set of files over several folders (FileSet): the one file whose writing
// decides that the set goes forward.
//
// A set over several folders puts a journal "set <id>" in each folder (SetJournal), which rolls
// back unless a mark "<id>.vqcommit" stands in one of the folders a start looks into. The mark
// goes into the first file's folder once every journal is in place; writing it is the one step
// after which the whole set rolls forward. A start removes a mark once no journal in the
// folders it looks into holds it.
#include <QSet>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace Platform::CommitMark {

inline constexpr qsizetype kSetIdLength = 12;

// A new set's id.
QString newSetId();

bool isSetId(QStringView id);

// The mark's path for the set in the folder (ending in "/").
QString path(const QString &folder, const QString &setId);

// The sets whose mark stands in one of the folders.
QSet<QString> committedSets(const QStringList &folders);

// Removes the marks of sets no journal is left for.
void removeUnheld(const QStringList &folders, const QSet<QString> &heldSets);

} // namespace Platform::CommitMark
