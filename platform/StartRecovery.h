#pragma once
// What a start does about writes a crash interrupted, before anything reads the files.
//
// In each folder it is given, a start finishes every set journal it finds (SetJournal): a
// "forward" journal rolls forward, a "back" journal back, and a "set <id>" journal forward when
// the set's commit mark stands in one of the folders (CommitMark), else back. Then it removes the
// temporary copies that killed writes left (WriteSteps names them), except those a journal it
// left alone holds on to, and the marks no journal holds any more.
#include <QStringList>

namespace Platform {

// At a start: finishes the sets of files in the folders whose replacing a crash interrupted (all
// new files or all old ones, as far as the set had come), and removes the temporary copies that
// killed writes left there. Only names the program's own writers make are touched, and a journal
// acts only on regular files of its own folder. Gives one line for each journal it left alone
// (unreadable, naming anything else, or not finished), for the error log.
QStringList finishInterruptedWrites(const QStringList &folders);

} // namespace Platform
