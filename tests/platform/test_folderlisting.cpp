// The folder listing: folders and files only, in the file system's order, with their attribute
// words; special files are left out without being opened (a FIFO would hang the test).
#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimeZone>

#include "platform/FolderListing.h"

using Platform::FolderListing;

namespace {

class FolderListingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        write("page.htm", "12345");
        write("Page.htm", "1234567");   // a case twin of page.htm
        write("readonly.txt", "abc");
        chmod(path("readonly.txt").constData(), 0444);
        QDir(dir.path()).mkdir(QStringLiteral("sub"));
        QDir(dir.path()).mkdir(QStringLiteral("locked"));
        chmod(path("locked").constData(), 0555);
        mkfifo(path("pipe").constData(), 0644);
        symlink("missing", path("dangling").constData());
        symlink("sub", path("linkToSub").constData());
        symlink("pipe", path("linkToPipe").constData());
        makeSocket(path("sock"));
        QFile page(QString::fromUtf8(path("page.htm")));
        ASSERT_TRUE(page.open(QIODevice::ReadWrite));
        ASSERT_TRUE(page.setFileTime(kStamp, QFileDevice::FileModificationTime));
    }

    QByteArray path(const char *name) const { return QFile::encodeName(dir.path()) + '/' + name; }

    void write(const char *name, const QByteArray &bytes) const
    {
        QFile file(QString::fromUtf8(path(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    static void makeSocket(const QByteArray &where)
    {
        const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        if (fd >= 0 && size_t(where.size()) < sizeof(address.sun_path)) {
            memcpy(address.sun_path, where.constData(), size_t(where.size()));
            bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof(address));
        }
        if (fd >= 0)
            close(fd);
    }

    const QDateTime kStamp{QDate(2001, 2, 3), QTime(4, 5, 6), QTimeZone::utc()};
    QTemporaryDir dir;
};

QStringList namesOf(const FolderListing &listing)
{
    QStringList names;
    for (const auto &entry : listing.entries)
        names.append(entry.name);
    return names;
}

} // namespace

TEST_F(FolderListingTest, ListsFoldersAndFilesWithTheirWordsAndLeavesSpecialFilesOut)
{
    const FolderListing listing = Platform::listFolder(dir.path());
    ASSERT_TRUE(listing.ok()) << listing.description.toStdString();

    const struct { const char *name; int attributes; qint64 size; } expected[] = {
        {"page.htm", 0, 5}, {"Page.htm", 0, 7}, {"readonly.txt", 1, 3},
        {"sub", 16, 0},     {"locked", 17, 0},  {"linkToSub", 16, 0},
    };
    QStringList expectedNames{QStringLiteral("..")};
    for (const auto &row : expected) {
        SCOPED_TRACE(row.name);
        expectedNames.append(QString::fromLatin1(row.name));
        const auto it = std::find_if(listing.entries.begin(), listing.entries.end(),
                                     [&](const auto &entry) { return entry.name == QLatin1String(row.name); });
        ASSERT_NE(it, listing.entries.end());
        EXPECT_EQ(it->attributes, row.attributes);
        EXPECT_EQ(it->size, row.size);
    }
    QStringList names = namesOf(listing);
    names.sort();
    expectedNames.sort();
    EXPECT_EQ(names, expectedNames);   // no ".", FIFO, socket, broken link or link to a FIFO

    const auto page = std::find_if(listing.entries.begin(), listing.entries.end(),
                                   [](const auto &entry) { return entry.name == QLatin1String("page.htm"); });
    EXPECT_EQ(page->modified.toUTC(), kStamp);
}

TEST_F(FolderListingTest, KeepsTheOrderOfTheFileSystem)
{
    const QStringList unlisted{QStringLiteral("."), QStringLiteral("pipe"), QStringLiteral("linkToPipe"),
                               QStringLiteral("sock"), QStringLiteral("dangling")};
    QStringList raw;
    DIR *folder = opendir(QFile::encodeName(dir.path()).constData());
    ASSERT_NE(folder, nullptr);
    while (const dirent *item = readdir(folder)) {
        if (!unlisted.contains(QFile::decodeName(item->d_name)))
            raw.append(QFile::decodeName(item->d_name));
    }
    closedir(folder);
    EXPECT_EQ(namesOf(Platform::listFolder(dir.path() + QLatin1Char('/'))), raw);
}

TEST_F(FolderListingTest, TheUpEntryIsMissingOnlyAtTheRoot)
{
    EXPECT_TRUE(namesOf(Platform::listFolder(dir.path() + QStringLiteral("/sub"))).contains(QStringLiteral("..")));
    const FolderListing root = Platform::listFolder(QStringLiteral("/"));
    ASSERT_TRUE(root.ok());
    EXPECT_FALSE(namesOf(root).contains(QStringLiteral("..")));
    EXPECT_FALSE(namesOf(root).contains(QStringLiteral(".")));
}

TEST_F(FolderListingTest, WhatCannotBeListedIsAFailureWithItsDescription)
{
    for (const char *name : {"missing", "pipe", "page.htm"}) {
        SCOPED_TRACE(name);
        const FolderListing listing = Platform::listFolder(QString::fromUtf8(path(name)));
        EXPECT_EQ(listing.failure, FolderListing::Failure::Other);
        EXPECT_FALSE(listing.description.isEmpty());
        EXPECT_TRUE(listing.entries.isEmpty());
    }
}

TEST_F(FolderListingTest, AttributesOfOnePath)
{
    const struct { const char *name; std::optional<int> word; } cases[] = {
        {"page.htm", 0}, {"readonly.txt", 1}, {"sub", 16}, {"sub/", 16}, {"locked", 17},
        {"linkToSub", 16}, {"pipe", std::nullopt}, {"sock", std::nullopt}, {"dangling", std::nullopt},
        {"linkToPipe", std::nullopt}, {"missing", std::nullopt},
    };
    for (const auto &row : cases) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(Platform::fileAttributes(QString::fromUtf8(path(row.name))), row.word);
    }
    EXPECT_EQ(Platform::fileAttributes(QString()), std::nullopt);
}

TEST(DriveList, TheRootComesFirstAndEveryDriveCarriesItsLabel)
{
    const QStringList drives = Platform::driveList();
    ASSERT_FALSE(drives.isEmpty());
    EXPECT_TRUE(drives.first().startsWith(QLatin1String("/ ["))) << drives.first().toStdString();
    const QRegularExpression form(QStringLiteral("^/.* \\[.*\\]$"));
    QStringList roots;
    for (const QString &drive : drives) {
        EXPECT_TRUE(form.match(drive).hasMatch()) << drive.toStdString();
        roots.append(drive.section(QStringLiteral(" ["), 0, 0));
    }
    EXPECT_EQ(roots.removeDuplicates(), 0);
}
