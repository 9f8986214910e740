#pragma once
// The steps the program's file writers share (the single-file writer in TextFile, the sets in
// FileSet, their journals and commit marks, the start's recovery): the temporary names only the
// program makes, flushing a file to the disk, and giving a file another's name in one step.
//
// Every file the program writes is first complete under a name only its own writers make:
// "<target>.<6 letters or digits>.vqtmp" for a single file, "<target>.vqnew" and "<target>.vqold"
// for a set, "<first target>.vqjournal" for a set's journal and "<id>.vqcommit" for the mark of a
// set over several folders. A start removes only files of those names, so a user's own copies
// beside the data files ("cat.vqs.Before") stay.
#include <functional>
#include <optional>

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringView>

#include "platform/TextFile.h"

namespace Platform {

inline const QString kTempSuffix = QStringLiteral(".vqtmp");
inline const QString kNewSuffix = QStringLiteral(".vqnew");
inline const QString kOldSuffix = QStringLiteral(".vqold");
inline const QString kJournalSuffix = QStringLiteral(".vqjournal");
inline const QString kCommitSuffix = QStringLiteral(".vqcommit");

// The most any writer adds to a target's name for its temporary names (".<6>.vqtmp").
qsizetype longestTempSuffix();

QString randomLettersAndDigits(qsizetype length);
bool isLetterOrDigit(QChar ch);

// "<name>.<6 letters or digits>.vqtmp": the temporary copy of a single write a kill left.
bool isTempName(const QString &name);

// Opens a new file of a temporary name beside the target; its permissions are those of a new
// file (the umask applies), as for any other file the program creates.
bool openTemp(const QString &target, QFile &file);

// The file a write to `path` replaces: a symbolic link's final target, so the link stays.
QString finalTarget(const QString &path);

bool syncToDisk(QFile &file);

// Gives `from` the name `to`, replacing any file of that name in one step.
bool moveOver(const QString &from, const QString &to);

void syncFolderOf(const QString &path);

// Opens the file as a new one for writing: never through a name that stands (a link to
// elsewhere, a copy a journal holds), which makes the open fail.
bool createNew(QFile &file);

// Puts the file in its place complete or not at all, and on the disk.
bool putSynced(const QString &path, const QByteArray &bytes);

// The bytes of a regular file of at most `maxBytes`, never read through a link; nothing when it
// is missing, not a regular file, unreadable or larger (then `tooLarge` is set).
std::optional<QByteArray> readSmallRegularFile(const QString &path, qint64 maxBytes, bool *tooLarge = nullptr);

// Missing, or a regular file.
bool isAbsentOrRegular(const QString &path);

// One name inside a folder: no separator, not "." or "..".
bool isPlainFileName(const QString &name);

// The hook setWriteFailureHook sets (empty when none).
WriteFailureHook &writeFailureHook();

// Each step of a set (a copy, an old name, a journal, a mark, a move, a removal) first calls
// killPoint with the path it acts on: a test's hook (setKillPointHook) may end the process there.
void killPoint(const QString &path);
using KillPointHook = std::function<void(const QString &path)>;
KillPointHook &killPointHook();

} // namespace Platform
