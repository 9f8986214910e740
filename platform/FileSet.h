#pragma once
// Several files replaced as one: all new or, after any failure or a crash, all old.
//
// Each new file is written whole and flushed to disk beside its target as "<target>.vqnew", a
// file created new (never opened through a name that stands), with the old target's permissions;
// each old target gets a second name "<target>.vqold". A target is a link's final target, so the
// link stays, and a path given again replaces its earlier file. Then a journal naming the
// targets is put in each folder (SetJournal), turned forward for a set over several folders by
// its commit mark (CommitMark). From then on the set rolls forward: the new files take their
// targets' places, the journals go, the old names go. A move that fails turns the set back the
// same way, and the old files take their places again. A start after a crash finishes the
// journals it finds (StartRecovery); without one, the new files were never complete and are
// removed.
#include <functional>
#include <memory>

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QList>
#include <QString>

namespace Platform {

// Replaces several files as one: each is written in full beside its target first, and only when
// every one is complete do they take their targets' places. False, with every old file as it
// was, when any step fails.
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

    void drop(const QString &target);

    struct Added {
        QString path;           // as given
        QString target;         // the file replaced: the final target, in its folder's real path
        bool existed = false;   // an old file stood there when it was added
    };
    QList<Added> m_added;
    std::unique_ptr<QFile> m_open;
    Added m_opened;
};

// Tests end the process where a kill would: while a hook is set, each step of a set (a copy, an
// old name, a journal, a mark, a move, a removal, by its writer or by a start's recovery) first
// calls it with the path the step acts on. An empty hook ends this.
void setKillPointHook(std::function<void(const QString &path)> hook);

} // namespace Platform
