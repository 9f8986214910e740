// Engine records and the custom engine choices: names match ignoring case beyond ASCII, and the
// loaded details keep what the database says.
#include <gtest/gtest.h>

#include <QComboBox>

#include "MainObjectFixture.h"
#include "sitedata/EngineCollection.h"

TEST(EngineNames, MatchIgnoringCaseBeyondAscii)
{
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
