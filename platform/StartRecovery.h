#pragma once
// What a start does about writes a crash interrupted, before anything reads the files.
//
// In each folder it is given, and in each folder a link among their files leads to, a start
// finishes every set journal it finds (SetJournal): a one-folder journal its own way, a pending
// one the way its set's commit mark says (CommitMark); a journal it cannot read, over the bound,
// acting on anything but regular files of its folder, or whose set it cannot decide, is left
// alone and reported (once for each set). Then it removes the temporary copies killed writes left
// there (names only the program's writers make, WriteSteps), and any link of such a name, except
// the copies a journal left alone holds on to; last the marks no journal needs any more.
#include <QStringList>

namespace Platform {

// At a start: finishes the sets of files in the folders whose replacing a crash interrupted (all
// new files or all old ones, as far as the set had come), and removes the temporary copies that
// killed writes left there. Only names the program's own writers make are touched, and a journal
// acts only on regular files of its own folder. Gives one line for each journal or set it left
// alone, for the error log.
QStringList finishInterruptedWrites(const QStringList &folders);

} // namespace Platform
