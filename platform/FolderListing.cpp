#include "platform/FolderListing.h"

#include <array>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QSet>
#include <QStorageInfo>

namespace Platform {

namespace {

bool inOwnGroups(gid_t group)
{
    if (group == getegid())
        return true;
    std::array<gid_t, 256> groups{};
    const int count = getgroups(int(groups.size()), groups.data());
    for (int i = 0; i < count; ++i) {
        if (groups[size_t(i)] == group)
            return true;
    }
    return false;
}

// The permission bits that apply to this user, without the superuser's override: a file the
// user made read-only reads as not writable also when the program runs as root.
bool permissionsAllowWriting(const struct stat &info)
{
    if (info.st_uid == geteuid())
        return info.st_mode & S_IWUSR;
    if (inOwnGroups(info.st_gid))
        return info.st_mode & S_IWGRP;
    return info.st_mode & S_IWOTH;
}

// `name` relative to the open folder `folderFd` (or AT_FDCWD). The status call follows a link
// to its target but opens nothing.
std::optional<FolderEntry> entryAt(int folderFd, const QByteArray &name)
{
    struct stat info {};
    if (fstatat(folderFd, name.constData(), &info, 0) != 0)
        return std::nullopt;   // a broken link, or gone meanwhile
    const bool folder = S_ISDIR(info.st_mode);
    if (!folder && !S_ISREG(info.st_mode))
        return std::nullopt;
    FolderEntry entry;
    entry.name = QFile::decodeName(name);
    entry.attributes = folder ? FolderAttribute : 0;
    // Read-only mounts deny writing whatever the bits say.
    if (!permissionsAllowWriting(info) || faccessat(folderFd, name.constData(), W_OK, AT_EACCESS) != 0)
        entry.attributes |= NotWritableAttribute;
    entry.size = folder ? 0 : qint64(info.st_size);
    entry.modified = QDateTime::fromMSecsSinceEpoch(qint64(info.st_mtim.tv_sec) * 1000 + info.st_mtim.tv_nsec / 1000000);
    return entry;
}

// The root is the one folder whose ".." is itself.
bool isFileSystemRoot(int folderFd)
{
    struct stat self {}, parent {};
    return fstat(folderFd, &self) == 0 && fstatat(folderFd, "..", &parent, 0) == 0
           && self.st_dev == parent.st_dev && self.st_ino == parent.st_ino;
}

void fail(FolderListing &listing, int error)
{
    const bool notReady = error == ENOMEDIUM || error == ENXIO || error == ENODEV;
    listing.failure = notReady ? FolderListing::Failure::NotReady : FolderListing::Failure::Other;
    listing.description = qt_error_string(error);
}

bool isPseudoFileSystem(const QByteArray &type)
{
    static const QSet<QByteArray> pseudo = {
        "autofs", "binfmt_misc", "bpf", "cgroup", "cgroup2", "configfs", "debugfs", "devpts",
        "devtmpfs", "efivarfs", "fuse.portal", "fusectl", "hugetlbfs", "mqueue", "nsfs", "proc",
        "pstore", "ramfs", "rpc_pipefs", "securityfs", "sysfs", "tmpfs", "tracefs",
    };
    return pseudo.contains(type);
}

QString driveText(const QStorageInfo &volume)
{
    const QString label = volume.name().isEmpty() ? QFile::decodeName(volume.device()) : volume.name();
    return volume.rootPath() + QStringLiteral(" [") + label + QLatin1Char(']');
}

} // namespace

FolderListing listFolder(const QString &folder)
{
    FolderListing listing;
    DIR *dir = opendir(QFile::encodeName(folder).constData());
    if (!dir) {
        fail(listing, errno);
        return listing;
    }
    const int folderFd = dirfd(dir);
    const bool root = isFileSystemRoot(folderFd);
    for (;;) {
        errno = 0;
        const dirent *item = readdir(dir);
        if (!item) {
            if (errno != 0)
                fail(listing, errno);
            break;
        }
        const QByteArray name(item->d_name);
        if (name == "." || (name == ".." && root))
            continue;
        if (auto entry = entryAt(folderFd, name))
            listing.entries.append(*entry);
    }
    closedir(dir);
    return listing;
}

std::optional<int> fileAttributes(const QString &path)
{
    if (path.isEmpty())
        return std::nullopt;
    const auto entry = entryAt(AT_FDCWD, QFile::encodeName(path));
    return entry ? std::optional<int>(entry->attributes) : std::nullopt;
}

QStringList driveList()
{
    const QStorageInfo root = QStorageInfo::root();
    QStringList drives{driveText(root)};
    QSet<QString> seen{root.rootPath()};
    for (const QStorageInfo &volume : QStorageInfo::mountedVolumes()) {
        if (!volume.isValid() || !volume.isReady() || isPseudoFileSystem(volume.fileSystemType()))
            continue;
        if (seen.contains(volume.rootPath()))
            continue;
        seen.insert(volume.rootPath());
        drives.append(driveText(volume));
    }
    return drives;
}

} // namespace Platform
