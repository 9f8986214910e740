// The engine selection rules and the selected-engine header.
#include <gtest/gtest.h>

#include "MainObjectFixture.h"
#include "platform/EventLoop.h"
#include "sitedata/EngineCollection.h"
#include "sitedata/EngineListView.h"
#include "platform/KeyedListView.h"

class Selection : public MainObjectTest {
protected:
    void SetUp() override
    {
        MainObjectTest::SetUp();
        ASSERT_TRUE(loadEngineFiles(crlf({
            "Name=Eng One", "Type=ENG", "Country=DE", "SiteLevel=1", "Adults=yes",
            "Name=Dir One", "Type=DIR", "Country=US", "Category=c", "Adults=no",
            "Name=Hot One", "Type=HOT", "Country=US", "AdultOnlySites=Y",
            "Name=Eng Two", "Type=ENG", "Country=KR", "SiteLevel=1", "Adults=N",
            "Name=Hot Dir", "Type=HOTDIR", "Country=FR",
            "Name=Misc One", "Type=MIS", "Country=FR",
            "Name=Odd One", "Type=XYZ", "Country=AL",
        })));
    }
    QStringList selectedNames() const
    {
        QStringList names;
        for (const clsEngines *engine : w->lsvSelectedEngines->engines())
            names.append(engine->Name);
        return names;
    }
    // The Selected field agrees with the selected list for every engine.
    void expectInStep() const
    {
        for (const clsEngines &engine : myEngines())
            EXPECT_EQ(engine.Selected, w->lsvSelectedEngines->contains(engine.Name)) << engine.Name.toStdString();
    }
    QString header() const { return w->lsvSelectedEngines->headerCaption(0); }
};

TEST_F(Selection, ByTypeAddsAndRemovesTheTypeAndEveryHotEngine)
{
    main->EngineSingleSelect(QStringLiteral("Misc One"));
    main->EngineSelectByType(QStringLiteral("ENG"), true);
    EXPECT_EQ(selectedNames(), (QStringList{QStringLiteral("Misc One"), QStringLiteral("Eng One"), QStringLiteral("Hot One"),
                                            QStringLiteral("Eng Two"), QStringLiteral("Hot Dir")}));
    EXPECT_EQ(header(), QStringLiteral("Selected Engines (5)"));
    main->EngineSelectByType(QStringLiteral("ENG"), false);
    EXPECT_EQ(selectedNames(), QStringList{QStringLiteral("Misc One")});
    expectInStep();
    // The MIS box takes only engines typed exactly MIS.
    main->EngineSelectByType(QStringLiteral("MIS"), true);
    EXPECT_FALSE(selectedNames().contains(QStringLiteral("Odd One")));
    EXPECT_FALSE(Platform::isBusyPointer());
}

TEST_F(Selection, ByCountryOnlyAddsAndReadsTheCodeInTheLastBrackets)
{
    main->EngineSelectByCountry(QString(), QStringLiteral("United States(US)"), true);
    EXPECT_EQ(selectedNames(), (QStringList{QStringLiteral("Dir One"), QStringLiteral("Hot One")}));
    main->EngineSelectByCountry(QString(), QStringLiteral("United States(US)"), false);
    EXPECT_EQ(selectedNames().size(), 2);
    main->EngineSelectByCountry(QString(), QStringLiteral("Korea (South)(KR)"), true);
    EXPECT_TRUE(selectedNames().contains(QStringLiteral("Eng Two")));
    main->EngineSelectByCountry(QString(), QStringLiteral("(FR)"), true);
    EXPECT_TRUE(selectedNames().contains(QStringLiteral("Misc One")));
    main->EngineSelectByCountry(QString(), QStringLiteral("All Countries(ALL)"), true);
    EXPECT_EQ(selectedNames().size(), 7);
    expectInStep();
    EXPECT_EQ(clsMain::countryCodeOfFilterRow(QStringLiteral("Albania(AL)")), QStringLiteral("AL"));
    EXPECT_EQ(clsMain::countryCodeOfFilterRow(QStringLiteral("DE")), QStringLiteral("DE"));
}

TEST_F(Selection, NamedRulesReplaceTheSelection)
{
    main->EngineSingleSelect(QStringLiteral("Misc One"));
    main->EngineSelection(QStringLiteral("MajorSite"));
    EXPECT_EQ(selectedNames(), (QStringList{QStringLiteral("Eng One"), QStringLiteral("Eng Two")}));
    main->EngineSelection(QStringLiteral("CustomEngine"));
    EXPECT_EQ(selectedNames(), QStringList{QStringLiteral("Dir One")});
    main->EngineSelection(QStringLiteral("AdultOnlySite"));
    EXPECT_EQ(selectedNames(), QStringList{QStringLiteral("Hot One")});
    main->EngineSelection(QStringLiteral("Nonsense"));
    EXPECT_TRUE(selectedNames().isEmpty());
    EXPECT_EQ(header(), QStringLiteral("Selected Engines (0)"));
    expectInStep();
}

TEST_F(Selection, NoAdultSitesRemovesAdjacentMatchesToo)
{
    main->EngineSelect(1);
    main->EngineSelectNoAdultSites();
    // Dir One (N), Hot One (adult only) and Eng Two (N) stand next to each other in the list.
    EXPECT_EQ(selectedNames(), (QStringList{QStringLiteral("Eng One"), QStringLiteral("Hot Dir"), QStringLiteral("Misc One"),
                                            QStringLiteral("Odd One")}));
    expectInStep();
}

TEST_F(Selection, SelectAndRemoveTakeHighlightedRowsInDisplayedOrder)
{
    main->EngineSelect(0);
    EXPECT_TRUE(selectedNames().isEmpty());
    EXPECT_EQ(header(), QStringLiteral("Selected Engines (0)"));

    w->lsvEngines->sortItems(0, Qt::DescendingOrder);
    w->lsvEngines->setHighlighted(QStringLiteral("Eng One"), true);
    w->lsvEngines->setHighlighted(QStringLiteral("Odd One"), true);
    main->EngineSelect(0);
    EXPECT_EQ(selectedNames(), (QStringList{QStringLiteral("Odd One"), QStringLiteral("Eng One")}));

    main->EngineSelect(1);
    EXPECT_EQ(selectedNames().size(), 7);
    w->lsvSelectedEngines->setHighlighted(QStringLiteral("Hot One"), true);
    w->lsvSelectedEngines->setHighlighted(QStringLiteral("Eng Two"), true);
    main->EngineRemove(0);
    EXPECT_EQ(selectedNames().size(), 5);
    EXPECT_FALSE(selectedNames().contains(QStringLiteral("Hot One")));
    expectInStep();
    main->EngineRemove(1);
    EXPECT_EQ(header(), QStringLiteral("Selected Engines (0)"));
    main->EngineRemove(1);
    EXPECT_EQ(header(), QStringLiteral("Selected Engines (0)"));
    expectInStep();
    EXPECT_TRUE(w->lsvSelectedEngines->updatesEnabled());
}

TEST_F(Selection, SingleSelectAndFindKeepOneRowPerEngine)
{
    main->EngineSingleSelect(QStringLiteral("eng one"));
    main->EngineSingleSelect(QStringLiteral("Eng One"));
    main->EngineSingleSelect(QStringLiteral("Not There"));
    EXPECT_EQ(selectedNames(), QStringList{QStringLiteral("Eng One")});

    main->findEnginesByKeyword(QString());
    EXPECT_TRUE(w->lsvEngines->isHighlighted(w->lsvEngines->engineAt(0)->Name));

    w->lsvEngines->sortItems(0, Qt::AscendingOrder);
    main->findEnginesByKeyword(QStringLiteral("ONE"));
    EXPECT_TRUE(w->lsvEngines->isHighlighted(QStringLiteral("Dir One")));
    EXPECT_TRUE(selectedNames().contains(QStringLiteral("Dir One")));

    env.dialogs.answerMessage(Platform::Ok);
    main->findEnginesByKeyword(QStringLiteral("zzz"));
    EXPECT_EQ(env.dialogs.shown().last().prompt, QStringLiteral("No matches found."));
    EXPECT_EQ(env.dialogs.shown().last().title, QStringLiteral("Find Engine"));
    expectInStep();
}
