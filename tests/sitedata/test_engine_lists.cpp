// Selected-engine list files, the failed-engine list and the engine list page.
#include <gtest/gtest.h>

#include <QFile>

#include "MainObjectFixture.h"
#include "sitedata/EngineCollection.h"
#include "sitedata/EngineListView.h"
#include "platform/KeyedListView.h"
#include "support/ExpectedFile.h"

class EngineLists : public MainObjectTest {
protected:
    QStringList selectedNames() const
    {
        QStringList names;
        for (const clsEngines *engine : w->lsvSelectedEngines->engines())
            names.append(engine->Name);
        return names;
    }
};

TEST_F(EngineLists, LoadAddsNamedEnginesOnceAndSkipsEverythingElse)
{
    ASSERT_TRUE(loadEngineFiles(crlf({"Name=Alpha", "Name=Beta", "Name=Gamma"})));
    main->EngineSingleSelect(QStringLiteral("Gamma"));
    const QString file = env.programFolder() + QStringLiteral("Engines/my.eng");
    env.writeFile(file, "ALPHA\r\n\r\nOmega\r\nBeta \nBeta\r<a href=\"http://x.example/\">Gamma</a>\r\n");
    main->loadSelectedEngine(file);
    main->loadSelectedEngine(file);
    EXPECT_EQ(selectedNames(), (QStringList{QStringLiteral("Gamma"), QStringLiteral("Alpha"), QStringLiteral("Beta")}));
    EXPECT_TRUE(myEngines().find(QStringLiteral("Alpha"))->Selected);
    EXPECT_EQ(w->lsvSelectedEngines->headerCaption(0), QStringLiteral("Selected Engines (3)"));
    main->loadSelectedEngine(env.programFolder() + QStringLiteral("none.eng"));
    EXPECT_EQ(selectedNames().size(), 3);
}

TEST_F(EngineLists, SaveWritesTheSelectionInDisplayedOrder)
{
    ASSERT_TRUE(loadEngineFiles(crlf({"Name=Alpha", "Name=Beta"})));
    main->EngineSelect(1);
    w->lsvSelectedEngines->sortItems(0, Qt::DescendingOrder);
    const QString file = env.programFolder() + QStringLiteral("sel.eng");
    ASSERT_TRUE(main->saveSelectedEngine(file));
    EXPECT_EQ(TestSupport::TestEnvironment::readFile(file), QByteArray("Beta\r\nAlpha\r\n"));

    env.dialogs.answerMessage(Platform::Ok);
    EXPECT_FALSE(main->saveSelectedEngine(env.programFolder() + QStringLiteral("gone/sel.eng")));
    EXPECT_EQ(env.dialogs.shown().last().title, QStringLiteral("Error"));
}

TEST_F(EngineLists, ExportPageMatchesTheExpectedFile)
{
    ASSERT_TRUE(loadEngineFiles(crlf({"Name=Alpha & <Co>", "Type=ENG", "Name=Dir \"One\"", "Type=dir", "Name=Link Farm",
                                      "Type=FFA", "Name=Daily", "Type=NEWS", "Name=Odd", "Type=XYZ", "Name=Beta", "Type=ENG"})));
    ASSERT_TRUE(main->exportEngineList());
    const QString page = env.programFolder() + QStringLiteral("englist.htm");
    EXPECT_TRUE(TestSupport::matchesExpectedFile(TestSupport::TestEnvironment::readFile(page),
                                                 QStringLiteral(VELQUIST_TEST_DATA_DIR "/englist_expected.htm")));
    EXPECT_EQ(env.shellRequests, QStringList{QStringLiteral("open:") + page});
}

TEST_F(EngineLists, ExportWithoutOptionalTypesShowsTheThreeFixedSections)
{
    ASSERT_TRUE(loadEngineFiles(crlf({"Name=Only", "Type=ENG"})));
    const QString page = clsMain::engineListPage();
    EXPECT_TRUE(page.contains(QStringLiteral("<b>Directories</b>")));
    EXPECT_TRUE(page.contains(QStringLiteral("<b>Free For All Links</b>")));
    EXPECT_FALSE(page.contains(QStringLiteral("News & Media")));
    EXPECT_FALSE(page.contains(QStringLiteral("Miscellenous")));
    EXPECT_FALSE(page.contains(QStringLiteral("Hot Sites")));
    EXPECT_FALSE(page.contains(QStringLiteral("Online Malls")));
}
