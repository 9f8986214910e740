// The local file pane, the layout of the FTP window and the header clicks of both panes.
#include "FtpFixture.h"

#include <QDir>
#include <QHeaderView>
#include <QFile>
#include <QMouseEvent>
#include <QSplitter>

using namespace Qt::StringLiterals;

TEST_F(FtpTest, LocalPaneKindsSizesAndDoubleClicks)
{
    const QList<std::pair<const char *, qint64>> files{{"zero.txt", 0}, {"a.bin", 2047}, {"b.bin", 2048},
                                                       {"c.bin", 5000}, {"INDEX.HTM", 1}, {"index.htm", 1},
                                                       {"ro.txt", 1}};
    for (const auto &[name, size] : files)
        TestSupport::TestEnvironment::writeFile(local + QString::fromLatin1(name), QByteArray(size, 'x'));
    QFile::setPermissions(local + u"ro.txt"_s, QFile::ReadOwner);
    ASSERT_TRUE(QDir().mkpath(local + u".well-known/inner"_s));
    w->addDirs(local);
    struct Row {
        const char *name;
        const char *kind;
        const char *image;
        const char *size;
    } rows[] = {{"zero.txt", "File", "WinFile", "1KB"}, {"a.bin", "File", "WinFile", "1KB"},
                {"b.bin", "File", "WinFile", "2KB"}, {"c.bin", "File", "WinFile", "4KB"},
                {"INDEX.HTM", "File", "WinFile", "1KB"}, {"index.htm", "HTML File", "WebFile", "1KB"},
                {"ro.txt", "File", "WinFile", "1KB"}, {".well-known", "Folder", "Folder", ""}};
    for (const Row &r : rows) {
        QTreeWidgetItem *row = w->lsvDirs->rowByKey(local + QString::fromLatin1(r.name));
        ASSERT_NE(row, nullptr) << r.name;
        EXPECT_EQ(row->text(1), QString::fromLatin1(r.kind)) << r.name;
        EXPECT_EQ(itemImageKey(row), QString::fromLatin1(r.image)) << r.name;
        EXPECT_EQ(row->text(2), QString::fromLatin1(r.size)) << r.name;
        EXPECT_FALSE(row->text(3).isEmpty()) << r.name;
    }
    QTreeWidgetItem *up = w->lsvDirs->rowByKey(env.root() + u"/"_s);
    ASSERT_NE(up, nullptr);
    EXPECT_EQ(up->text(0), u" .."_s);
    EXPECT_TRUE(up->text(2).isEmpty() && up->text(3).isEmpty());
    // The up entry first, then folders, then files, as sorted by name.
    EXPECT_EQ(w->lsvDirs->topLevelItem(0), up);
    EXPECT_EQ(Platform::itemKey(w->lsvDirs->topLevelItem(1)), local + u".well-known"_s);

    // A dot-folder opens; a file while not connected asks to reconnect.
    doubleClickRow(w->lsvDirs, local + u".well-known"_s);
    EXPECT_NE(w->lsvDirs->rowByKey(local + u".well-known/inner"_s), nullptr);
    w->addDirs(local);
    env.dialogs.answerMessage(Platform::Ok);
    doubleClickRow(w->lsvDirs, local + u"b.bin"_s);
    EXPECT_TRUE(env.dialogs.wasShown(u"FTP Connection seems closed, Please re-connect and try again !"_s));
}

TEST_F(FtpTest, MissingFolderShowsTheNotAccessibleBox)
{
    env.dialogs.answerMessage(Platform::Ok);
    w->addDirs(local + u"gone [label]"_s);
    ASSERT_EQ(env.dialogs.shown().size(), 1);
    EXPECT_EQ(env.dialogs.shown().first().prompt, local + u"gone/ is not accessible.\r\n\r\nThe device is not ready."_s);
    EXPECT_EQ(env.dialogs.shown().first().title, u"Error"_s);
}

TEST_F(FtpTest, DatesStayReadableAtTheDefaultSizeAndAfterADrag)
{
    TestSupport::TestEnvironment::writeFile(local + u"a-rather-long-page-name.htm"_s, "x");
    w->addDirs(local);
    QApplication::processEvents();
    QTreeWidgetItem *row = w->lsvDirs->rowByKey(local + u"a-rather-long-page-name.htm"_s);
    ASSERT_NE(row, nullptr);
    const auto dateShown = [&] {
        KeyedListView *list = w->lsvDirs;
        const int need = list->fontMetrics().horizontalAdvance(row->text(3));
        return list->columnWidth(3) >= need && list->header()->sectionViewportPosition(3) + need <= list->viewport()->width();
    };
    EXPECT_TRUE(dateShown());
    // A drag and a resize refit the columns; Name keeps at least a quarter of its list.
    w->picSpliter->setSizes({330, 630});
    w->Resize();
    w->resize(1200, 700);
    QApplication::processEvents();
    EXPECT_TRUE(dateShown());
    for (KeyedListView *list : {w->lsvDirs, w->lsvRemote})
        EXPECT_GE(list->columnWidth(0), list->viewport()->width() / 4);
    // Far too short a window: nothing breaks.
    w->resize(300, 60);
    QApplication::processEvents();
    w->Resize();
    EXPECT_GT(w->lsvDirs->height(), 0);
    // A mouse move over a list ends the hourglass.
    Platform::setBusyPointer(true);
    QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), QPointF(5, 5), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w->lsvRemote->viewport(), &move);
    EXPECT_FALSE(Platform::isBusyPointer());
}

TEST_F(FtpTest, HeaderClicksReverseTheListsSortedOrderEveryTime)
{
    for (const char *name : {"b.txt", "c.txt", "a.txt"})
        TestSupport::TestEnvironment::writeFile(local + QString::fromLatin1(name), "x");
    server.listings.insert(u"/"_s, "-rw-r--r-- 1 o g 1 Dec 8 18:57 b.txt\r\n"
                                   "-rw-r--r-- 1 o g 1 Dec 8 18:57 c.txt\r\n"
                                   "-rw-r--r-- 1 o g 1 Dec 8 18:57 a.txt\r\n");
    loginAndList();
    w->addDirs(local);
    const auto files = [](KeyedListView *list) {
        QString order;
        for (QTreeWidgetItem *row : list->rows())
            order += itemImageKey(row) == u"WinFile"_s ? row->text(0).left(1) : QString();
        return order;
    };
    for (KeyedListView *list : {w->lsvDirs, w->lsvRemote}) {
        QStringList orders;
        for (int click = 0; click < 3; ++click) {
            const QPoint name(list->header()->sectionViewportPosition(0) + 5, list->header()->height() / 2);
            QTest::mouseClick(list->header()->viewport(), Qt::LeftButton, {}, name);
            orders << files(list);
        }
        EXPECT_EQ(orders, (QStringList{u"cba"_s, u"abc"_s, u"cba"_s})) << list->objectName().toStdString();
    }
}
