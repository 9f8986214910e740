// The shared icons: every key the windows use has a picture, keys ignore letter case, keys that
// once shared a badge look different, and a theme's picture wins where the theme has one.
#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QTemporaryDir>

#include "platform/ImageList.h"

namespace {

QImage pictureOf(const QString &key)
{
    return ImageList::icon(key).pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
}

// A theme of one picture, "folder", painted plain red; the caller's theme comes back at the end.
class OneIconTheme {
public:
    OneIconTheme() : m_paths(QIcon::themeSearchPaths()), m_name(QIcon::themeName())
    {
        QDir root(m_dir.path());
        root.mkpath(QStringLiteral("vqtest/16x16/places"));
        QFile index(root.filePath(QStringLiteral("vqtest/index.theme")));
        index.open(QIODevice::WriteOnly);
        index.write("[Icon Theme]\nName=vqtest\nDirectories=16x16/places\n\n"
                    "[16x16/places]\nSize=16\nType=Fixed\n");
        index.close();
        QImage red(16, 16, QImage::Format_ARGB32);
        red.fill(Qt::red);
        red.save(root.filePath(QStringLiteral("vqtest/16x16/places/folder.png")));
        QIcon::setThemeSearchPaths({m_dir.path()});
        QIcon::setThemeName(QStringLiteral("vqtest"));
    }
    ~OneIconTheme()
    {
        QIcon::setThemeSearchPaths(m_paths);
        QIcon::setThemeName(m_name);
    }

private:
    QTemporaryDir m_dir;
    QStringList m_paths;
    QString m_name;
};

} // namespace

TEST(ImageList, EveryKeyOfTheWindowsHasAPictureWhateverItsLetterCase)
{
    const char *keys[] = {"RootProject", "ProjectFolder", "ProjectFolderOpen", "WebFile", "HTMLFile",
                          "ENG", "DIR", "FFA", "NEWS", "HOT", "MIS", "NewProject", "NewWeb", "Engine",
                          "Submit", "GetMetaTag", "Optimizer", "Ranking", "WebSearch", "Channel",
                          "Folder", "Up", "WinFile", "Tick", "TickOff", "Save", "Clear", "Delete",
                          "Merge", "Exit", "RankingEngine"};
    for (const char *key : keys) {
        const QString name = QString::fromLatin1(key);
        SCOPED_TRACE(key);
        EXPECT_FALSE(ImageList::icon(name).isNull());
        EXPECT_EQ(ImageList::icon(name.toUpper()).cacheKey(), ImageList::icon(name.toLower()).cacheKey());
    }
}

TEST(ImageList, KeysThatMustBeToldApartLookDifferent)
{
    const char *pairs[][2] = {
        {"NewProject", "NewWeb"}, {"HTMLFile", "HOT"}, {"Save", "Submit"}, {"Tick", "TickOff"},
        {"Folder", "Up"}, {"WinFile", "WebFile"}, {"Merge", "MIS"}, {"Delete", "Exit"},
    };
    for (const auto &pair : pairs) {
        SCOPED_TRACE(std::string(pair[0]) + " / " + pair[1]);
        EXPECT_NE(pictureOf(QString::fromLatin1(pair[0])), pictureOf(QString::fromLatin1(pair[1])));
    }
}

TEST(ImageList, TheThemesPictureIsUsedWhereItHasOneAndTheTileElsewhere)
{
    const QImage tileOfMerge = pictureOf(QStringLiteral("Merge"));
    OneIconTheme theme;
    EXPECT_EQ(pictureOf(QStringLiteral("Folder")).pixel(8, 8), QColor(Qt::red).rgb());
    EXPECT_EQ(pictureOf(QStringLiteral("projectfolder")).pixel(8, 8), QColor(Qt::red).rgb());
    EXPECT_NE(pictureOf(QStringLiteral("Up")).pixel(8, 8), QColor(Qt::red).rgb());   // not in the theme
    EXPECT_EQ(pictureOf(QStringLiteral("Merge")), tileOfMerge);                       // no theme name
    // A tile fills a toolbar button as fully as the theme's pictures beside it.
    EXPECT_EQ(ImageList::icon(QStringLiteral("Merge")).pixmap(24, 24).size(), QSize(24, 24));
}
