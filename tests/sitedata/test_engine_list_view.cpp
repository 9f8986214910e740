// The engine list views: rows that only point at engine records, found by name ignoring case,
// with highlight and current row that follow their engines through sorting and removal.
#include <gtest/gtest.h>

#include <QSignalSpy>

#include "sitedata/EngineCollection.h"
#include "sitedata/EngineListView.h"
#include "platform/ImageList.h"

namespace {

class EngineListViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        myEngines().clear();
        for (const auto &[name, type, country] : {std::tuple{"Gamma", "DIR", "US"}, std::tuple{"alpha", "ENG", "DE"},
                                                  std::tuple{"Beta", "XYZ", "US"}, std::tuple{"Delta", "ENG", "FR"}}) {
            auto engine = std::make_unique<clsEngines>();
            engine->Name = QString::fromLatin1(name);
            engine->EngineType = QString::fromLatin1(type);
            engine->Country = QString::fromLatin1(country);
            myEngines().add(std::move(engine));
        }
        list.resize(400, 300);
    }
    void TearDown() override { myEngines().clear(); }

    clsEngines *engine(const char *name) const { return myEngines().find(QString::fromLatin1(name)); }
    QList<clsEngines *> allEngines() const
    {
        QList<clsEngines *> engines;
        for (clsEngines &engine : myEngines())
            engines.append(&engine);
        return engines;
    }
    QString text(int row, int column) const { return list.model()->index(row, column).data().toString(); }

    EngineListView list;
};

QStringList names(std::initializer_list<const char *> texts)
{
    QStringList result;
    for (const char *text : texts)
        result.append(QString::fromLatin1(text));
    return result;
}

} // namespace

TEST_F(EngineListViewTest, RowsShowNameTypeCountryAndTheTypeIconAndEachEngineGoesInOnce)
{
    list.addEngines(allEngines());
    list.addEngines({engine("Beta"), engine("Beta")});
    EXPECT_FALSE(list.addEngine(*engine("alpha")));
    EXPECT_EQ(list.count(), 4);
    EXPECT_EQ(list.names(), names({"Gamma", "alpha", "Beta", "Delta"}));
    EXPECT_EQ(text(1, 0), QStringLiteral("alpha"));
    EXPECT_EQ(text(1, 1), QStringLiteral("ENG"));
    EXPECT_EQ(text(1, 2), QStringLiteral("DE"));
    EXPECT_TRUE(text(1, 3).isEmpty());
    const auto iconKey = [this](int row) {
        return list.model()->index(row, 0).data(Qt::DecorationRole).value<QIcon>().cacheKey();
    };
    EXPECT_EQ(iconKey(0), ImageList::icon(QStringLiteral("DIR")).cacheKey());
    EXPECT_EQ(iconKey(2), ImageList::icon(QStringLiteral("MIS")).cacheKey());   // an unknown type
    EXPECT_FALSE(list.model()->index(0, 1).data(Qt::DecorationRole).isValid());

    EXPECT_TRUE(list.contains(QStringLiteral("ALPHA")));
    EXPECT_FALSE(list.contains(QStringLiteral("Epsilon")));
    const auto isGamma = [](const clsEngines &engine) { return engine.Name == QLatin1String("Gamma"); };
    EXPECT_EQ(list.removeEngines(isGamma).size(), 1);
    EXPECT_TRUE(list.removeEngines(isGamma).isEmpty());
    EXPECT_FALSE(list.contains(QStringLiteral("Gamma")));
    EXPECT_TRUE(list.addEngine(*engine("Gamma")));
    EXPECT_EQ(list.names(), names({"alpha", "Beta", "Delta", "Gamma"}));

    list.setHeaderLabels({QStringLiteral("Engines"), QStringLiteral("Type"), QStringLiteral("Country")});
    list.setHeaderCaption(0, QStringLiteral("Engines (4)"));
    EXPECT_EQ(list.headerCaption(0), QStringLiteral("Engines (4)"));
    EXPECT_EQ(list.headerCaption(2), QStringLiteral("Country"));
    EXPECT_TRUE(list.headerCaption(3).isEmpty());
}

TEST_F(EngineListViewTest, ClearingTheEngineCollectionEmptiesTheListsBeforeTheRecordsGo)
{
    EngineListView other;
    list.addEngines(allEngines());
    other.addEngine(*engine("Beta"));
    list.show();
    QSignalSpy reset(list.model(), &QAbstractItemModel::modelReset);
    myEngines().clear();
    EXPECT_EQ(reset.count(), 1);
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(other.count(), 0);
    EXPECT_TRUE(list.currentName().isEmpty());
    list.repaint();
    // A list that is gone no longer hears of the collection (ASan would see a call into it); the
    // lists still alive do.
    {
        EngineListView shortLived;
        shortLived.addEngines(allEngines());
    }
    SetUp();
    list.addEngines(allEngines());
    ASSERT_EQ(list.count(), 4);
    myEngines().clear();
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(reset.count(), 2);
}

TEST_F(EngineListViewTest, SortingIsStableAndHighlightAndCurrentRowFollowTheirEngines)
{
    list.addEngines(allEngines());
    list.selectionModel()->setCurrentIndex(list.model()->index(2, 0), QItemSelectionModel::NoUpdate);   // Beta
    list.setHighlighted(QStringLiteral("delta"), true);

    list.sortItems(0, Qt::AscendingOrder);   // plain string order: capitals first
    EXPECT_EQ(list.names(), names({"Beta", "Delta", "Gamma", "alpha"}));
    EXPECT_TRUE(list.isHighlighted(QStringLiteral("Delta")));
    EXPECT_FALSE(list.isHighlighted(QStringLiteral("Beta")));
    EXPECT_EQ(list.currentName(), QStringLiteral("Beta"));

    list.sortItems(2, Qt::AscendingOrder);   // the two US engines keep their order
    EXPECT_EQ(list.names(), names({"alpha", "Delta", "Beta", "Gamma"}));
    list.sortItems(1, Qt::DescendingOrder);
    EXPECT_EQ(list.names(), names({"Beta", "alpha", "Delta", "Gamma"}));
    EXPECT_EQ(list.highlightedEngines(), QList<clsEngines *>{engine("Delta")});
    list.sortItems(5, Qt::AscendingOrder);   // no such column: nothing moves
    EXPECT_EQ(list.names(), names({"Beta", "alpha", "Delta", "Gamma"}));
}

TEST_F(EngineListViewTest, RemovingScatteredRowsKeepsTheOthersHighlightedAndCurrent)
{
    list.addEngines(allEngines());
    for (const char *name : {"Gamma", "Beta", "Delta"})
        list.setHighlighted(QString::fromLatin1(name), true);
    list.setHighlighted(QStringLiteral("Beta"), false);
    list.selectionModel()->setCurrentIndex(list.model()->index(3, 0), QItemSelectionModel::NoUpdate);   // Delta

    const QList<clsEngines *> removed =
        list.removeEngines([](const clsEngines &engine) { return engine.EngineType == QLatin1String("ENG") && engine.Country == QLatin1String("DE"); });
    EXPECT_EQ(removed, QList<clsEngines *>{engine("alpha")});
    EXPECT_EQ(list.names(), names({"Gamma", "Beta", "Delta"}));
    EXPECT_EQ(list.highlightedEngines(), (QList<clsEngines *>{engine("Gamma"), engine("Delta")}));
    EXPECT_EQ(list.currentName(), QStringLiteral("Delta"));

    // Nothing picked: the list is left as it was.
    QSignalSpy reset(list.model(), &QAbstractItemModel::modelReset);
    EXPECT_TRUE(list.removeEngines([](const clsEngines &) { return false; }).isEmpty());
    EXPECT_EQ(reset.count(), 0);

    EXPECT_EQ(list.removeHighlighted(), (QList<clsEngines *>{engine("Gamma"), engine("Delta")}));
    EXPECT_EQ(list.names(), names({"Beta"}));
    EXPECT_TRUE(list.highlightedEngines().isEmpty());
    EXPECT_TRUE(list.removeHighlighted().isEmpty());
}

TEST_F(EngineListViewTest, ShowOnlyHighlightsOneEngineAndMakesItCurrent)
{
    list.addEngines(allEngines());
    list.setHighlighted(QStringLiteral("Gamma"), true);
    list.showOnly(QStringLiteral("BETA"));
    EXPECT_EQ(list.highlightedEngines(), QList<clsEngines *>{engine("Beta")});
    EXPECT_EQ(list.currentName(), QStringLiteral("Beta"));
    list.showOnly(QStringLiteral("Epsilon"));   // not listed: nothing changes
    EXPECT_EQ(list.currentName(), QStringLiteral("Beta"));
    list.setHighlighted(QStringLiteral("Epsilon"), true);
    EXPECT_EQ(list.highlightedEngines().size(), 1);
}
