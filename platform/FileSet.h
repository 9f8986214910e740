#pragma once
// Several files replaced as one: all new or, after any failure or a crash, all old.
//
// Each new file is written whole and flushed to disk beside its target as "<target>.vqnew", and
// each old target gets a second name "<target>.vqold". Then a journal naming the targets is put
// in each folder (SetJournal); for a set over several folders a commit mark follows
// (CommitMark). From then on the set rolls forward: the new files take their targets' places,
// the journals go, the old names go. A move that fails turns the journals to rolling back, and
// the old files take their places again. A start after a crash finishes the journals it finds
// (StartRecovery); without one, the new files were never complete and are removed.
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

    struct Added {
        QString path;
        bool existed = false;   // an old file stood there when it was added
    };
    QList<Added> m_added;
    std::unique_ptr<QFile> m_open;
    QString m_openPath;
};

} // namespace Platform
