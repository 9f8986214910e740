#pragma once
// The entries of a local folder and the list of local drives, for the folder panes of the tool
// windows. Only folders and regular files are listed (a symbolic link counts as what it points
// at); FIFOs, sockets, devices and broken links are left out and never opened, since opening a
// FIFO blocks. Names are kept exactly: two names that differ only in letter case are two entries.
#include <optional>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

namespace Platform {

// The attribute word of an entry: 0, or a sum of these.
enum FileAttribute : int {
    NotWritableAttribute = 1,
    FolderAttribute = 16,
};

struct FolderEntry {
    QString name;
    int attributes = 0;
    qint64 size = 0;    // 0 for folders
    QDateTime modified;
};

struct FolderListing {
    enum class Failure { None, NotReady, Other };

    QList<FolderEntry> entries;       // in the order the file system gives them
    Failure failure = Failure::None;  // when set, the entries read before the failure stay
    QString description;              // the system's text of the failure

    bool ok() const { return failure == Failure::None; }
};

// The entries of `folder` (with or without a trailing "/"). "." is never listed; ".." is listed
// in every folder but the root "/".
FolderListing listFolder(const QString &folder);

// The attribute word of a folder or regular file; nothing for anything else or a missing path.
std::optional<int> fileAttributes(const QString &path);

// The ready mount roots with real storage, "/" first, each as "<root> [<label>]". A volume
// without a label shows its device instead.
QStringList driveList();

} // namespace Platform
