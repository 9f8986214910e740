// Rows of the keyed list views: built lean, but every role reads and writes as on any item, and the
// view's key index stays right when rows go in together.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QSignalSpy>

#include "MainObjectFixture.h"
#include "platform/CommonControls.h"
#include "sitedata/EngineCollection.h"
#include "sitedata/KeyedListView.h"

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

TEST(KeyedRows, KeysMatchIgnoringCaseBeyondAscii)
{
    KeyedListView list;
    list.setColumnCount(1);
    ASSERT_NE(list.addRow(QString::fromLatin1("\xc9" "cole Vo\xdf" "e"), {QStringLiteral("x")}, QString()), nullptr);
    EXPECT_NE(list.rowByKey(QString::fromLatin1("\xe9" "COLE VO\xdf" "E")), nullptr);
    EXPECT_EQ(list.rowByKey(QString::fromLatin1("\xe9" "cole vosse")), nullptr);
    EXPECT_EQ(list.rowByKey(QString::fromLatin1("\xe9" "cole vo\xdf")), nullptr);
    EXPECT_EQ(list.addRow(QString::fromLatin1("\xc9" "COLE VO\xdf" "E"), {QStringLiteral("y")}, QString()), nullptr);

    EngineCollection engines;
    auto engine = std::make_unique<clsEngines>();
    engine->Name = QString::fromLatin1("M\xfcller Suche");
    ASSERT_TRUE(engines.add(std::move(engine)));
    EXPECT_NE(engines.find(QString::fromLatin1("M\xdcLLER SUCHE")), nullptr);
    EXPECT_EQ(engines.find(QStringLiteral("Muller Suche")), nullptr);
    auto repeated = std::make_unique<clsEngines>();
    repeated->Name = QString::fromLatin1("m\xfcller suche");
    EXPECT_FALSE(engines.add(std::move(repeated)));
}

using EngineLoadDetails = MainObjectTest;

TEST_F(EngineLoadDetails, CustomEngineChoicesFollowTheirEngineByNameIgnoringCase)
{
    ASSERT_TRUE(loadEngineFiles(crlf({"Name=Dir One", "Category=C", "Name=Dir Two", "Category=C", "Name=Dir Three",
                                      "Category=C"}),
                                crlf({"[Dir One]", "URL=http://one.example/"})));
    ASSERT_EQ(main->m_intNumOfCustEngines, 3);
    main->myCustomEngine[0].Category = QStringLiteral("/One");
    main->myCustomEngine[2].SpaceID = QStringLiteral("3");
    // The updated database spells the names differently, changes their order and drops one.
    ASSERT_TRUE(loadEngineFiles(crlf({"Name=DIR THREE", "Category=C", "Name=New Dir", "Category=C", "Name=dir one",
                                      "Category=C"}),
                                crlf({"[Dir One]", "URL=http://one.example/"})));
    ASSERT_EQ(main->m_intNumOfCustEngines, 3);
    EXPECT_EQ(w->cboCustomEngines->itemText(0), QStringLiteral("DIR THREE"));
    EXPECT_EQ(main->myCustomEngine[0].SpaceID, QStringLiteral("3"));
    EXPECT_TRUE(main->myCustomEngine[0].Category.isEmpty());
    EXPECT_TRUE(main->myCustomEngine[1].Category.isEmpty());
    EXPECT_TRUE(main->myCustomEngine[1].SpaceID.isEmpty());
    EXPECT_EQ(main->myCustomEngine[2].Category, QStringLiteral("/One"));
    EXPECT_EQ(main->myCustomEngine.size(), 4);   // one empty entry at the end
}

TEST_F(EngineLoadDetails, AdultFlagsKeepExactlyOneCharacter)
{
    ASSERT_TRUE(loadEngineFiles("Name=Alpha\r\nAdults=\xdf yes\r\nAdultOnlySites=\xe9t\r\n"
                                "Name=Beta\r\nAdults=yes\r\nAdultOnlySites=\r\n"));
    const clsEngines *alpha = myEngines().find(QStringLiteral("Alpha"));
    const clsEngines *beta = myEngines().find(QStringLiteral("Beta"));
    ASSERT_TRUE(alpha && beta);
    EXPECT_EQ(alpha->Adults, QString(QChar(0xdf)));
    EXPECT_EQ(alpha->AdultOnlySites, QString(QChar(0xc9)));
    EXPECT_EQ(beta->Adults, QStringLiteral("Y"));
    EXPECT_TRUE(beta->AdultOnlySites.isEmpty());
}
