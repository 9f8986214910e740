// Rows of the keyed list views: built lean, but every role reads and writes as on any item, and the
// view's key index stays right when rows go in together.
#include <gtest/gtest.h>

#include <QSignalSpy>

#include "platform/CommonControls.h"
#include "platform/KeyedListView.h"

namespace {

QStringList keysOf(const KeyedListView &list)
{
    QStringList keys;
    for (QTreeWidgetItem *row : list.rows())
        keys.append(Platform::itemKey(row));
    return keys;
}

} // namespace

TEST(KeyedRows, ANewRowCarriesItsTextsKeyImageKeyAndIcon)
{
    std::unique_ptr<QTreeWidgetItem> row(newKeyedRow(QStringLiteral("Alpha"),
                                                     {QStringLiteral("Alpha"), QStringLiteral("ENG"), QStringLiteral("DE")},
                                                     QStringLiteral("ENG")));
    EXPECT_EQ(row->columnCount(), 3);
    EXPECT_EQ(row->text(0), QStringLiteral("Alpha"));
    EXPECT_EQ(row->text(1), QStringLiteral("ENG"));
    EXPECT_EQ(row->text(2), QStringLiteral("DE"));
    EXPECT_EQ(Platform::itemKey(row.get()), QStringLiteral("Alpha"));
    EXPECT_EQ(itemImageKey(row.get()), QStringLiteral("ENG"));
    EXPECT_FALSE(row->icon(0).isNull());
    EXPECT_TRUE(row->icon(1).isNull());
    // Other roles of the first column are kept as on any item.
    Platform::setItemTag(row.get(), QStringLiteral("tag"));
    EXPECT_EQ(Platform::itemTag(row.get()), QStringLiteral("tag"));
}

TEST(KeyedRows, KeyImageKeyAndIconCanBeChangedAndCopied)
{
    std::unique_ptr<QTreeWidgetItem> row(newKeyedRow(QStringLiteral("Alpha"), {QStringLiteral("Alpha")}, QString()));
    EXPECT_TRUE(row->icon(0).isNull());
    Platform::setItemKey(row.get(), QStringLiteral("Beta"));
    setItemImageKey(row.get(), QStringLiteral("DIR"));
    EXPECT_EQ(Platform::itemKey(row.get()), QStringLiteral("Beta"));
    EXPECT_EQ(itemImageKey(row.get()), QStringLiteral("DIR"));
    EXPECT_FALSE(row->icon(0).isNull());

    // An icon set directly shows until an image key is set again.
    QPixmap red(4, 4);
    red.fill(Qt::red);
    row->setIcon(0, QIcon(red));
    EXPECT_EQ(row->icon(0).pixmap(4, 4).toImage().pixelColor(1, 1), QColor(Qt::red));
    setItemImageKey(row.get(), QStringLiteral("MIS"));
    EXPECT_NE(row->icon(0).pixmap(4, 4).toImage().pixelColor(1, 1), QColor(Qt::red));

    row->setText(0, QStringLiteral("Shown"));
    Platform::setItemTag(row.get(), QStringLiteral("t"));
    std::unique_ptr<QTreeWidgetItem> copy(row->clone());
    EXPECT_EQ(Platform::itemKey(copy.get()), QStringLiteral("Beta"));
    EXPECT_EQ(itemImageKey(copy.get()), QStringLiteral("MIS"));
    EXPECT_EQ(copy->text(0), QStringLiteral("Shown"));
    EXPECT_EQ(Platform::itemTag(copy.get()), QStringLiteral("t"));
}

TEST(KeyedRows, ChangingTheImageKeyOfAShownRowRepaintsIt)
{
    KeyedListView list;
    QTreeWidgetItem *row = list.addRow(QStringLiteral("Alpha"), {QStringLiteral("Alpha")}, QStringLiteral("ENG"));
    ASSERT_NE(row, nullptr);
    QSignalSpy changed(list.model(), &QAbstractItemModel::dataChanged);
    setItemImageKey(row, QStringLiteral("HOT"));
    EXPECT_EQ(changed.count(), 1);
}

TEST(KeyedRows, RowsSkipRepeatedKeysIgnoringCaseAndStayFindable)
{
    KeyedListView list;
    list.setColumnCount(1);
    for (const char *key : {"Alpha", "Beta", "ALPHA", "beta", "", "Gamma"})
        list.addRow(QString::fromLatin1(key), {QString::fromLatin1(key)}, QString());
    EXPECT_EQ(keysOf(list), (QStringList{QStringLiteral("Alpha"), QStringLiteral("Beta"), QStringLiteral("Gamma")}));
    EXPECT_EQ(list.rowByKey(QStringLiteral("BETA")), list.topLevelItem(1));
    EXPECT_EQ(list.rowByKey(QStringLiteral("gamma")), list.topLevelItem(2));

    // The index follows removal and re-adding.
    ASSERT_TRUE(list.removeByKey(QStringLiteral("beta")));
    EXPECT_EQ(list.rowByKey(QStringLiteral("Beta")), nullptr);
    ASSERT_NE(list.addRow(QStringLiteral("BETA"), {QStringLiteral("BETA")}, QString()), nullptr);
    EXPECT_EQ(list.rowByKey(QStringLiteral("beta")), list.topLevelItem(2));
    EXPECT_EQ(list.addRow(QStringLiteral("gAMMA"), {QStringLiteral("x")}, QString()), nullptr);
    ASSERT_NE(list.addRow(QStringLiteral("Delta"), {QStringLiteral("Delta")}, QString()), nullptr);
    EXPECT_EQ(list.rowByKey(QStringLiteral("DELTA")), list.topLevelItem(3));
    list.clear();
    EXPECT_EQ(list.rowByKey(QStringLiteral("Alpha")), nullptr);
}

TEST(KeyedRows, SortingUsesTheTextsOfLeanRows)
{
    KeyedListView list;
    list.setColumnCount(2);
    list.addRow(QStringLiteral("b"), {QStringLiteral("b"), QStringLiteral("1")}, QString());
    list.addRow(QStringLiteral("c"), {QStringLiteral("c"), QStringLiteral("0")}, QString());
    list.addRow(QStringLiteral("a"), {QStringLiteral("a"), QStringLiteral("2")}, QString());
    list.sortItems(0, Qt::AscendingOrder);
    EXPECT_EQ(keysOf(list), (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));
    list.sortItems(1, Qt::AscendingOrder);
    EXPECT_EQ(keysOf(list), (QStringList{QStringLiteral("c"), QStringLiteral("b"), QStringLiteral("a")}));
    EXPECT_EQ(list.rowByKey(QStringLiteral("A")), list.topLevelItem(2));
}

TEST(KeyedRows, SortGroupsComeBeforeTheSortedColumn)
{
    KeyedListView list;
    list.setColumnCount(1);
    const struct { const char *key; int group; } rows[] = {{"z", 2}, {"a", 2}, {"\u00a0m", 1}, {"\u00a0", 0}};
    for (const auto &r : rows)
        list.addRow(QString::fromUtf8(r.key), {QString::fromUtf8(r.key)}, QString())->setData(0, Platform::SortGroupRole, r.group);
    list.addRow(QStringLiteral("b"), {QStringLiteral("b")}, QString());   // no group: 0
    list.sortItems(0, Qt::AscendingOrder);
    EXPECT_EQ(keysOf(list), (QStringList{QStringLiteral("b"), QStringLiteral("\u00a0"), QStringLiteral("\u00a0m"),
                                         QStringLiteral("a"), QStringLiteral("z")}));
    list.sortItems(0, Qt::DescendingOrder);   // the column turns round, the groups do not
    EXPECT_EQ(keysOf(list), (QStringList{QStringLiteral("\u00a0"), QStringLiteral("b"), QStringLiteral("\u00a0m"),
                                         QStringLiteral("z"), QStringLiteral("a")}));
}

TEST(KeyedRows, KeysMatchIgnoringCaseBeyondAscii)
{
    KeyedListView list;
    list.setColumnCount(1);
    ASSERT_NE(list.addRow(QString::fromLatin1("\xc9" "cole Vo\xdf" "e"), {QStringLiteral("x")}, QString()), nullptr);
    EXPECT_NE(list.rowByKey(QString::fromLatin1("\xe9" "COLE VO\xdf" "E")), nullptr);
    EXPECT_EQ(list.rowByKey(QString::fromLatin1("\xe9" "cole vosse")), nullptr);
    EXPECT_EQ(list.rowByKey(QString::fromLatin1("\xe9" "cole vo\xdf")), nullptr);
    EXPECT_EQ(list.addRow(QString::fromLatin1("\xc9" "COLE VO\xdf" "E"), {QStringLiteral("y")}, QString()), nullptr);
}

TEST(KeyedRows, ExactKeysKeepNamesThatDifferInCaseApart)
{
    KeyedListView list;
    list.setExactKeys(true);
    list.setColumnCount(1);
    for (const char *key : {"index.htm", "Index.htm", "index.htm"})
        list.addRow(QString::fromLatin1(key), {QString::fromLatin1(key)}, QString());
    EXPECT_EQ(keysOf(list), (QStringList{QStringLiteral("index.htm"), QStringLiteral("Index.htm")}));
    EXPECT_EQ(list.rowByKey(QStringLiteral("Index.htm")), list.topLevelItem(1));
    EXPECT_EQ(list.rowByKey(QStringLiteral("INDEX.HTM")), nullptr);
    ASSERT_TRUE(list.removeByKey(QStringLiteral("index.htm")));
    EXPECT_EQ(list.rowByKey(QStringLiteral("index.htm")), nullptr);
    EXPECT_NE(list.rowByKey(QStringLiteral("Index.htm")), nullptr);
}
