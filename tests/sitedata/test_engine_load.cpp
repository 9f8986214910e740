// Loading the engine database into myEngines and the main window's engine lists.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>

#include "MainObjectFixture.h"
#include "platform/CommonControls.h"
#include "sitedata/EngineCollection.h"
#include "sitedata/EngineListView.h"
#include "platform/ImageList.h"
#include "platform/KeyedListView.h"
#include "platform/TextFile.h"

namespace {

QStringList countryRows(const frmMain *w)
{
    QStringList rows;
    for (int i = 0; i < w->lstCountry->count(); ++i)
        rows.append(w->lstCountry->item(i)->text());
    return rows;
}

} // namespace

class EngineLoad : public MainObjectTest {};

TEST_F(EngineLoad, EndMarkerFirstLoadsNothingAndShowsZeroCounts)
{
    ASSERT_TRUE(loadEngineFiles(crlf({"# header", "end:VERSION 6.0", "Name=Late", "Type=ENG"})));
    EXPECT_EQ(myEngines().count(), 0);
    EXPECT_EQ(w->lsvEngines->headerCaption(0), QStringLiteral("Engines(0)"));
    EXPECT_EQ(w->chkType[0]->text(), QStringLiteral("&General Engines(0)"));
    EXPECT_EQ(w->chkType[6]->text(), QStringLiteral("&Miscellaneous(0)"));
    EXPECT_EQ(w->lsvSelectedEngines->headerCaption(0), QStringLiteral("Selected Engines"));
}

TEST_F(EngineLoad, FieldsAreConvertedAsTheDatabaseRulesSay)
{
    writeProgramFile(QStringLiteral("country.vqs"), crlf({"[Country Code]", "DE=Germany", "US=United States"}));
    ASSERT_TRUE(loadEngineFiles(crlf({"Name=Alpha", "Country= de ", "Type= eng ", "Adults=no", "AdultOnlySite=yes",
                                      "MaxTitle=70 chars", "MaxKeyword=abc", "MaxDescr=69.5", "SiteLevel=1",
                                      "Method=POST", "Language=German", "WebType=General", "CountryOnly= Y",
                                      "Name=Beta", "Country=nn", "Adult=", "Type=mall", "MaxTitle=70.5"})));
    ASSERT_EQ(myEngines().count(), 2);
    const clsEngines &alpha = *myEngines().find(QStringLiteral("ALPHA"));
    EXPECT_EQ(alpha.Country, QStringLiteral("DE"));
    EXPECT_EQ(alpha.EngineType, QStringLiteral("ENG"));
    EXPECT_EQ(alpha.Adults, QStringLiteral("N"));
    EXPECT_EQ(alpha.AdultOnlySites, QStringLiteral("Y"));
    EXPECT_EQ(alpha.MaxTitle, 70);
    EXPECT_EQ(alpha.MaxKeywords, 0);
    EXPECT_EQ(alpha.MaxDescriptions, 70);   // halves round to even
    EXPECT_EQ(alpha.SiteLevel, 1);
    EXPECT_EQ(alpha.Method, QStringLiteral("POST"));
    EXPECT_TRUE(alpha.WebType.isEmpty());
    EXPECT_EQ(alpha.CountryOnly, QStringLiteral("Y"));
    const clsEngines &beta = *myEngines().find(QStringLiteral("beta"));
    EXPECT_EQ(beta.Country, QStringLiteral("US"));
    EXPECT_TRUE(beta.Adults.isEmpty());
    EXPECT_EQ(beta.MaxTitle, 70);
    // The row: key and text the name, type and country columns, MALL with the MIS image.
    ASSERT_TRUE(w->lsvEngines->contains(QStringLiteral("BETA")));
    const QAbstractItemModel &rows = *w->lsvEngines->model();
    const int row = int(w->lsvEngines->engines().indexOf(&beta));
    EXPECT_EQ(rows.index(row, 0).data().toString(), beta.Name);
    EXPECT_EQ(rows.index(row, 1).data().toString(), QStringLiteral("MALL"));
    EXPECT_EQ(rows.index(row, 2).data().toString(), QStringLiteral("US"));
    EXPECT_EQ(rows.index(row, 0).data(Qt::DecorationRole).value<QIcon>().cacheKey(),
              ImageList::icon(QStringLiteral("MIS")).cacheKey());
    EXPECT_EQ(countryRows(w), (QStringList{QStringLiteral("Germany(DE)"), QStringLiteral("United States(US)")}));
}

TEST_F(EngineLoad, DuplicatesAndNamelessEnginesAreDroppedButCounted)
{
    ASSERT_TRUE(loadEngineFiles(crlf({"Type=ENG", "Name=Alpha", "Type=ENG", "Name=alpha", "Type=DIR", "Name=",
                                      "Type=FFA", "Name=Omega", "Type=HOT", "Type=xyz"})));
    EXPECT_EQ(myEngines().count(), 2);
    EXPECT_EQ(w->lsvEngines->count(), 2);
    EXPECT_EQ(w->lsvEngines->headerCaption(0), QStringLiteral("Engines(4)"));
    EXPECT_EQ(w->chkType[0]->text(), QStringLiteral("&General Engines(2)"));
    EXPECT_EQ(w->chkType[1]->text(), QStringLiteral("&Directories(1)"));
    EXPECT_EQ(w->chkType[2]->text(), QStringLiteral("&FFA Links(1)"));
    EXPECT_EQ(w->chkType[5]->text(), QStringLiteral("&Hot Sites(1)"));
    EXPECT_EQ(w->chkType[6]->text(), QStringLiteral("&Miscellaneous(1)"));
    EXPECT_EQ(myEngines().find(QStringLiteral("ALPHA"))->EngineType, QStringLiteral("ENG"));
    EXPECT_TRUE(errorLog().contains("Duplicate Engine: alpha"));
}

TEST_F(EngineLoad, CategoryModesTakeTheirDataAndLogMissingData)
{
    const QByteArray categories = crlf({"[Free For All Links]", "Other=ffa", "[General For All Links]", "Other=gen",
                                        "[Yes Engine]", "Arts=1", "[Custom Engine]", "URL=http://dir.example/",
                                        "[custom engine]", "URL=http://second.example/"});
    ASSERT_TRUE(loadEngineFiles(crlf({"Name=Free Engine", "Category=f", "Name=General Engine", "Category=G",
                                      "Name=Yes Engine", "Category=y", "Name=Custom Engine", "Category=c",
                                      "Name=None Engine", "Category=n", "Name=Odd Engine", "Category=x",
                                      "Name=Word Engine", "Category=Yes"}),
                                categories));
    EXPECT_EQ(myEngines().find(QStringLiteral("Free Engine"))->CategoryData, QStringLiteral("Other=ffa>"));
    EXPECT_EQ(myEngines().find(QStringLiteral("General Engine"))->CategoryData, QStringLiteral("Other=gen>"));
    EXPECT_EQ(myEngines().find(QStringLiteral("Yes Engine"))->CategoryData, QStringLiteral("Arts=1>"));
    EXPECT_EQ(myEngines().find(QStringLiteral("Custom Engine"))->CategoryData, QStringLiteral("URL=http://dir.example/>"));
    EXPECT_EQ(myEngines().find(QStringLiteral("Custom Engine"))->Category, QStringLiteral("c"));
    const QByteArray log = errorLog();
    EXPECT_FALSE(log.contains("CategoryData missing. Engine: None Engine"));
    EXPECT_TRUE(log.contains("CategoryData missing. Engine: Odd Engine"));
    EXPECT_TRUE(log.contains("CategoryData missing. Engine: Word Engine"));
    EXPECT_FALSE(log.contains("Engine: Yes Engine"));
    ASSERT_EQ(main->m_intNumOfCustEngines, 1);
    EXPECT_EQ(main->myCustomEngine.size(), 2);
    EXPECT_EQ(main->myCustomEngine[0].EngineName, QStringLiteral("Custom Engine"));
    EXPECT_EQ(w->cboCustomEngines->count(), 1);
    // The engine category data is released after the load.
    EXPECT_TRUE(main->myEngineCategory().isEmpty());
}

TEST_F(EngineLoad, OnlyAcceptedEnginesBecomeCustomEnginesAndAReloadKeepsTheirChoices)
{
    const QByteArray engines = crlf({"Name=Dir One", "Category=C", "Name=dir one", "Category=C", "Category=C", "Name=Dir Two",
                                     "Category=C"});
    ASSERT_TRUE(loadEngineFiles(engines, crlf({"[Dir One]", "URL=http://one.example/"})));
    ASSERT_EQ(main->m_intNumOfCustEngines, 2);
    main->myCustomEngine[1].Category = QStringLiteral("/Arts/Music");
    main->myCustomEngine[1].SpaceID = QStringLiteral("77");
    ASSERT_TRUE(loadEngineFiles(engines, crlf({"[Dir One]", "URL=http://one.example/"})));
    ASSERT_EQ(main->m_intNumOfCustEngines, 2);
    EXPECT_EQ(w->cboCustomEngines->count(), 2);
    EXPECT_EQ(w->cboCustomEngines->itemText(1), QStringLiteral("Dir Two"));
    EXPECT_EQ(main->myCustomEngine[1].Category, QStringLiteral("/Arts/Music"));
    EXPECT_EQ(main->myCustomEngine[1].SpaceID, QStringLiteral("77"));
}

TEST_F(EngineLoad, ActionsWithoutPlainHttpAreLoggedAndStored)
{
    ASSERT_TRUE(loadEngineFiles(crlf({"Name=Secure", "Action=https://s.example/add", "Name=Plain",
                                      "Action=HTTP://p.example/add"})));
    EXPECT_EQ(myEngines().find(QStringLiteral("Secure"))->Action, QStringLiteral("https://s.example/add"));
    const QByteArray log = errorLog();
    EXPECT_TRUE(log.contains("Error_Engine_URL:Secure - https://s.example/add"));
    EXPECT_FALSE(log.contains("Error_Engine_URL:Plain"));
}

TEST_F(EngineLoad, CountryFilterRowsAreAddedOncePerWholeCode)
{
    writeProgramFile(QStringLiteral("country.vqs"), crlf({"[Country Code]", "DE=Germany", "USA=Somewhere", "SA=Saudi Arabia"}));
    ASSERT_TRUE(loadEngineFiles(crlf({"Name=A", "Country=DE", "Name=B", "Country=E", "Name=C", "Country=USA",
                                      "Name=D", "Country=SA", "Name=E", "Country=de", "Name=F", "Country=XX",
                                      "Name=G", "Country=SA,XX", "Name=H", "Country=XX,DE"})));
    // A code holding a comma is offered when no run of offered codes matches it.
    EXPECT_EQ(countryRows(w), (QStringList{QStringLiteral("Germany(DE)"), QStringLiteral("(E)"), QStringLiteral("Somewhere(USA)"),
                                           QStringLiteral("Saudi Arabia(SA)"), QStringLiteral("(XX)"), QStringLiteral("(XX,DE)")}));
    // A reload adds no repeated rows.
    ASSERT_TRUE(main->loadEngineCategory());
    ASSERT_TRUE(main->loadEngines());
    EXPECT_EQ(w->lstCountry->count(), 6);
    EXPECT_TRUE(w->lstCountry->updatesEnabled());
}

TEST_F(EngineLoad, LfOnlyAndCrLfFilesLoadTheSameEngines)
{
    ASSERT_TRUE(loadEngineFiles("Name=A\nType=ENG\nName=B\nType=DIR\n"));
    EXPECT_EQ(myEngines().count(), 2);
    ASSERT_TRUE(loadEngineFiles("Name=A\r\nType=ENG\r\nName=B\r\nType=DIR\r\n"));
    EXPECT_EQ(myEngines().count(), 2);
}

TEST_F(EngineLoad, ReloadEmptiesTheListsAndLosesTheSelection)
{
    ASSERT_TRUE(loadEngineFiles(crlf({"Name=A", "Name=B"})));
    main->EngineSingleSelect(QStringLiteral("A"));
    ASSERT_EQ(w->lsvSelectedEngines->count(), 1);
    ASSERT_TRUE(loadEngineFiles(crlf({"Name=A", "Name=B"})));
    EXPECT_EQ(w->lsvSelectedEngines->count(), 0);
    EXPECT_EQ(w->lsvEngines->count(), 2);
    EXPECT_FALSE(myEngines().find(QStringLiteral("A"))->Selected);
}

TEST_F(EngineLoad, MissingEmptyOrOutOfRangeDataFailsWithTheCorruptedMessage)
{
    env.dialogs.answerMessage(Platform::Ok);
    writeEngineFile(QStringLiteral("vqzeng5.dat"), QByteArray());
    EXPECT_FALSE(main->loadEngines());
    EXPECT_TRUE(env.dialogs.wasShown(QStringLiteral("Engine data file is corrupted, you need to download the engine")));

    env.dialogs.answerMessage(Platform::Ok);
    EXPECT_FALSE(loadEngineFiles(crlf({"Name=Kept", "Name=Bad", "SiteLevel=40000", "Name=After"})));
    EXPECT_EQ(env.dialogs.shown().last().title, QStringLiteral("Load Engines"));
    // Engines before the failure stay.
    EXPECT_TRUE(myEngines().contains(QStringLiteral("Kept")));
    EXPECT_TRUE(w->lsvEngines->contains(QStringLiteral("Kept")));
    EXPECT_FALSE(myEngines().contains(QStringLiteral("After")));
    EXPECT_TRUE(w->lsvEngines->updatesEnabled());
}

TEST_F(EngineLoad, AnEmptyDatabaseAfterALoadEmptiesTheCollectionWithTheList)
{
    ASSERT_TRUE(loadEngineFiles(crlf({"Name=Alpha", "Type=ENG", "END:Version 6.0"})));
    env.dialogs.answerMessage(Platform::Ok);
    EXPECT_FALSE(loadEngineFiles(QByteArray()));
    EXPECT_EQ(w->lsvEngines->count(), 0);
    EXPECT_EQ(myEngines().count(), 0);
    main->EngineSelectByType(QStringLiteral("ENG"), true);
    EXPECT_EQ(w->lsvSelectedEngines->count(), 0);
}

TEST_F(EngineLoad, ACutOrEngineLessDatabaseIsLoggedWithItsSkippedLines)
{
    const QByteArray overlong = "Home=" + QByteArray(Platform::kMaxLineBytes, 'x');
    ASSERT_TRUE(loadEngineFiles("Name=Alpha\r\n" + overlong + "\r\nno equals sign\r\nWebType=x\r\n\r\n# note\r\n"));
    const QString file = main->engineDataFolder() + QStringLiteral("vqzeng5.dat");
    EXPECT_TRUE(myEngines().contains(QStringLiteral("Alpha")));
    EXPECT_TRUE(errorLog().contains(QByteArray("Line too long, skipped: " + file.toUtf8() + " line 2")));
    EXPECT_TRUE(errorLog().contains(QByteArray("Engine data ends before its end marker: " + file.toUtf8() + ", 3 lines skipped")));
    EXPECT_FALSE(errorLog().contains("No engine in the engine data"));

    // The nameless record's lines count as skipped.
    ASSERT_TRUE(loadEngineFiles(crlf({"Home=h", "Type=ENG", "junk", "END:Version 6.0"})));
    EXPECT_TRUE(errorLog().contains(QByteArray("No engine in the engine data: " + file.toUtf8() + ", 3 lines skipped")));
}

TEST_F(EngineLoad, EmptyEngineCategoryDataStillLetsTheEnginesLoad)
{
    ASSERT_TRUE(loadEngineFiles(crlf({"Name=Alpha", "Category=Y"}), crlf({"# only comments"})));
    EXPECT_TRUE(myEngines().contains(QStringLiteral("Alpha")));
    EXPECT_TRUE(errorLog().contains("CategoryData missing. Engine: Alpha"));
}

TEST_F(EngineLoad, TheSampleDataLoadsEveryEngineWithEveryType)
{
    installSample();
    ASSERT_TRUE(main->loadEngineCategory());
    ASSERT_TRUE(main->loadEngines());
    EXPECT_GE(myEngines().count(), 55);
    QStringList types;
    for (const clsEngines &engine : myEngines())
        types.append(engine.EngineType);
    for (const char *type : {"ENG", "DIR", "FFA", "NEWS", "MALL", "HOT", "MIS"})
        EXPECT_TRUE(types.contains(QString::fromLatin1(type))) << type;
    EXPECT_FALSE(myEngines().contains(QStringLiteral("After The End")));
    EXPECT_GT(main->m_intNumOfCustEngines, 0);
    EXPECT_FALSE(errorLog().contains("Duplicate Engine"));
}

namespace {

// Every field of every loaded engine, one engine a line, then the country rows and type captions.
QString loadedFields(const frmMain *w)
{
    QStringList lines;
    for (const clsEngines &e : myEngines()) {
        lines.append(QStringList{e.Name, e.Home, e.AddURL, e.Country, e.CountryOnly, e.EngineType, e.Category,
                                 e.CategoryData, e.Method, e.Action, e.Query, e.AdultOnlySites, e.Adults, e.WebType,
                                 e.Language, QString::number(e.MaxTitle), QString::number(e.MaxKeywords),
                                 QString::number(e.MaxDescriptions), QString::number(e.SiteLevel)}
                         .join(u'|'));
    }
    lines.append(countryRows(w).join(u','));
    for (const QCheckBox *type : w->chkType)
        lines.append(type->text());
    return lines.join(u'\n');
}

} // namespace

// A database made of the cases where readers differ: non-ASCII and case-duplicate names, every
// line end, "=" inside values, empty values, a blank before "=", key synonyms, a number with
// words, lines after the end marker. The fields are those the loader has always given.
TEST_F(EngineLoad, ACraftedDatabaseLoadsFieldByFieldAsItAlwaysHas)
{
    const QByteArray database = "# crafted\r\nName=Caf\xe9 Suche\r\nHome=http://caf\xe9.example/?a=b=c\r\nCountry= nn \n"
                                "EngineType=dir\rCategoryType=Y\r\nAdult=yes\r\nAdultOnlySite=\r\nMaxKeyword=12 words\r\n"
                                "MaxDescr=\r\nSiteLevel=  2\r\nQuery=q=<URL>&x=1=2\r\nLanguage=\xc4 \t\r\nName =Ignored\r\n"
                                "WebType=X\r\n\r\nname=CAF\xc9 SUCHE\r\nType=ENG\r\nName=Second\nType=News\nCategory=f\n"
                                "Method=POST\nAction=https://second.example/add\nCountry=de\nAdults=\xdf\nMaxTitle=-7\n"
                                "Name=Third\rCategory=G\rCountry=DE\rCountryOnly=Yes\rType= mall \rCategory=c\r"
                                "Name=\r\nType=HOT\r\nName=Fourth\r\nCategory=Q\r\nType=odd\r\nMaxTitle=2147483647\r\n"
                                "end:version 6.0\r\nName=After\r\n";
    const QByteArray categories = "[Free For All Links]\r\nArts=1\r\n[General For All Links]\r\nG=2\r\n"
                                  "[caf\xe9 suche]\r\nMusic=Arts > Music\r\n[Third]\r\nT=3\r\n";
    ASSERT_TRUE(loadEngineFiles(database, categories));
    const QString expected = QStringLiteral(
        "Café Suche|http://café.example/?a=b=c||US||DIR|Y|Music=Arts > Music>|||q=<URL>&x=1=2||Y||Ä \t|0|12|0|2\n"
        "Second|||DE||NEWS|f|Arts=1>|POST|https://second.example/add|||ß|||-7|0|0|0\n"
        "Third|||DE|Yes|MALL|c|T=3>||||||||0|0|0|0\n"
        "Fourth|||||ODD|Q|||||||||2147483647|0|0|0\n"
        "(US),(DE)\n&General Engines(1)\n&Directories(1)\n&FFA Links(0)\n&News/Classifieds(1)\n&Online Mall(1)\n"
        "&Hot Sites(1)\n&Miscellaneous(1)");
    EXPECT_EQ(loadedFields(w), expected);
}
