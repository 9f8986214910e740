// The builder's custom engine files: read, written, merged into the engine data files (against
// expected files), read back by the main loader, and the export of the names.
#include "support/ExpectedFile.h"
#include "support/FailingWrites.h"
#include "sitedata/MainObjectFixture.h"

#include "enginedata/CustomEngineStore.h"
#include "sitedata/EngineCollection.h"
#include "sitedata/modEngineData.h"

using namespace Qt::StringLiterals;
using TestSupport::TestEnvironment;
using TestSupport::matchesExpectedFile;

namespace {

const QString kExpected = QStringLiteral(VELQUIST_TEST_DATA_DIR "/custom/");

CustomEngineRecord engine(const QString &name, const QString &mode = u"N"_s, const QString &categoryData = QString())
{
    CustomEngineRecord r;
    r.Name = name;
    r.Home = u"http://"_s + name.toLower() + u".example/"_s;
    r.AddURL = r.Home + u"add.html"_s;
    r.Country = u"UK"_s;
    r.CountryOnly = u"No"_s;
    r.Type = u"DIR"_s;
    r.Category = mode;
    r.CategoryData = categoryData;
    r.Method = u"Post"_s;
    r.Action = r.Home + u"cgi-bin/add"_s;
    r.Query = u"url=<URL>&id=a%2Fb&note=Add+URL"_s;
    r.Adults = u"Y"_s;   // as read back: the reader keeps the first letter
    r.AdultOnlySites = u"N"_s;
    r.Language = u"English"_s;
    r.MaxTitle = 70;
    r.MaxKeywords = -1;
    r.MaxDescription = 250;
    r.SiteLevel = 2;
    return r;
}

class CustomEngines : public MainObjectTest {
protected:
    CustomEngineStore store{env.engineDataFolder()};
    QString customFile() const { return store.engineFile(); }
    QString categoryFile() const { return store.categoryFile(); }
    QByteArray read(const QString &name) const { return TestEnvironment::readFile(enginePath(name)); }

    void addSample()
    {
        store.records() = {engine(u"Alpha"_s, u"Y"_s, u"Shopping=Shops>Retail=Stores>"_s), engine(u"Beta"_s),
                           engine(u"Gamma"_s, u"y"_s, u"Music=Sounds>"_s)};
    }
    CustomEngineStore reloaded() const
    {
        CustomEngineStore again(env.engineDataFolder());
        again.load();
        return again;
    }
};

} // namespace

TEST(WholeLines, MarkersCountOnlyAsWholeLinesWithEveryLineEnd)
{
    const struct { const char *bytes; qsizetype from; qsizetype found; } cases[] = {
        {"END", 0, 0},
        {"a\r\nend\r\n", 0, 3},
        {"a\rEnd\nb", 0, 2},
        {"a\nEND", 0, 2},
        {"# END\r\nENDS\r\n END\r\n", 0, -1},
        {"x=END\r\nEND\r\n", 0, 7},
        {"END\r\nEND\r\n", 5, 5},
        {"", 0, -1},
    };
    for (const auto &c : cases)
        EXPECT_EQ(modEngineData::findWholeLine(QByteArrayView(c.bytes), "END", c.from), c.found) << c.bytes;
}

TEST_F(CustomEngines, WrittenFilesMatchTheFormatAndReadBackAsTheSameRecords)
{
    addSample();
    CustomEngineRecord broken = engine(u"Delta"_s, u"Y"_s, u"A=1>>B=2>"_s);
    broken.Query = u"a=1\r\nb=2"_s;   // a line break would split the record
    store.records().append(broken);
    ASSERT_TRUE(store.save({0, 3, 1, 2}));
    EXPECT_TRUE(matchesExpectedFile(read(u"vqzengc.dat"_s), kExpected + u"vqzengc.dat"_s));
    EXPECT_TRUE(matchesExpectedFile(read(u"catcus.dat"_s), kExpected + u"catcus.dat"_s));

    const CustomEngineStore again = reloaded();
    ASSERT_EQ(again.records().size(), 4);
    EXPECT_TRUE(again.errors().isEmpty());
    const QList<CustomEngineRecord> &records = store.records();
    EXPECT_EQ(again.records()[0], records[0]);
    EXPECT_EQ(again.records()[2], records[1]);
    EXPECT_EQ(again.records()[3], records[2]);
    // The reader drops the empty item; the writer turned the line break into a space.
    EXPECT_EQ(again.records()[1].CategoryData, u"A=1>B=2>"_s);
    EXPECT_EQ(again.records()[1].Query, u"a=1  b=2"_s);
}

TEST_F(CustomEngines, CategoryBlocksOnlyForModesBeginningWithYAndTheSameForBothItemForms)
{
    const struct { const char *mode, *data, *block; } cases[] = {
        {"Y", "A=1>B=2>", "[E]\r\nA=1\r\nB=2\r\n\r\n\r\n"},
        {"y", "A=1>B=2", "[E]\r\nA=1\r\nB=2\r\n\r\n\r\n"},
        {"Y", "A=1", "[E]\r\nA=1\r\n\r\n\r\n"},
        {"F", "A=1>", ""},
        {"N", "A=1>", ""},
        {"Y", "", ""},
    };
    for (const auto &c : cases) {
        store.records() = {engine(u"E"_s, QLatin1String(c.mode), QLatin1String(c.data))};
        EXPECT_EQ(store.categoryFileBytes({0}), QByteArray(c.block)) << c.mode << " " << c.data;
    }
}

TEST_F(CustomEngines, ReaderTakesTheLastCategoryEntryKeepsNnAndLoadsRepeatedNames)
{
    env.writeFile(customFile(), crlf({"Name=One", "Country= nn ", "Category=Y", "Adults=yes", "SiteLevel=3 stars",
                                      "Name=One", "Category=F", "Type=dir", "Name=Two", "Category=C"}));
    env.writeFile(categoryFile(), crlf({"[one]", "A=1", "[Free For All Links]", "F=1", "[ONE]", "B=2", "[Two]", "C=3"}));
    store.load();
    ASSERT_EQ(store.records().size(), 3);
    EXPECT_EQ(store.records()[0].CategoryData, u"B=2>"_s);
    EXPECT_EQ(store.records()[0].Country, u"NN"_s);
    EXPECT_EQ(store.records()[0].Adults, u"Y"_s);
    EXPECT_EQ(store.records()[0].SiteLevel, 3);
    EXPECT_EQ(store.records()[1].Name, u"One"_s);
    EXPECT_EQ(store.records()[1].Type, u"DIR"_s);
    EXPECT_TRUE(store.records()[1].CategoryData.isEmpty());
    EXPECT_TRUE(store.records()[2].CategoryData.isEmpty());
    EXPECT_FALSE(store.loadIncomplete());
}

TEST_F(CustomEngines, BadLinesAreLoggedAndSkippedAndTheFirstRewriteKeepsTheOldFiles)
{
    const QByteArray original = crlf({"Home=http://orphan.example/", "Name=Kept", "SiteLevel=99999", "MaxTitle=5",
                                      "Name=Also Kept", "MaxTitle=99999999999"});
    env.writeFile(customFile(), original);
    env.writeFile(categoryFile(), "[Kept]\r\nA=1\r\n");
    store.load();
    ASSERT_EQ(store.records().size(), 2);
    EXPECT_EQ(store.records()[0].MaxTitle, 5);
    EXPECT_EQ(store.records()[0].SiteLevel, 0);
    EXPECT_EQ(store.errors(), QStringList({u"loadCustomEngineError: Home=http://orphan.example/"_s,
                                          u"loadCustomEngineError: SiteLevel=99999"_s,
                                          u"loadCustomEngineError: MaxTitle=99999999999"_s}));
    EXPECT_TRUE(errorLog().contains("loadCustomEngineError: SiteLevel=99999"));
    EXPECT_TRUE(store.loadIncomplete());

    ASSERT_TRUE(store.save());
    EXPECT_EQ(TestEnvironment::readFile(customFile() + u".bak"_s), original);
    EXPECT_EQ(TestEnvironment::readFile(categoryFile() + u".bak"_s), QByteArray("[Kept]\r\nA=1\r\n"));
    EXPECT_EQ(reloaded().records().size(), 2);
    EXPECT_FALSE(store.loadIncomplete());
}

TEST_F(CustomEngines, AnEmptyListDeletesBothFilesAndAFailedWriteKeepsBoth)
{
    addSample();
    ASSERT_TRUE(store.save());
    const QByteArray engines = read(u"vqzengc.dat"_s);
    const QByteArray categories = read(u"catcus.dat"_s);
    store.records().removeLast();
    {
        TestSupport::FailingWrites failing(1);   // the first file is written, the second fails
        EXPECT_FALSE(store.save());
    }
    EXPECT_EQ(read(u"vqzengc.dat"_s), engines);
    EXPECT_EQ(read(u"catcus.dat"_s), categories);
    EXPECT_FALSE(store.lastError().isEmpty());

    store.records().clear();
    ASSERT_TRUE(store.save());
    EXPECT_FALSE(QFile::exists(customFile()));
    EXPECT_FALSE(QFile::exists(categoryFile()));
}

TEST_F(CustomEngines, MergeCasesAgainstExpectedFiles)
{
    const QByteArray sampleEngines = sampleFile(u"vqzeng5.dat"_s);
    const QByteArray sampleCategories = sampleFile(u"catvqs.dat"_s);
    const struct { const char *name; QByteArray database, categoryData; bool missingDatabase; } cases[] = {
        // The marker line and what follows it give way to the block; the block goes before END.
        {"sample", sampleEngines, sampleCategories, false},
        // The marker's text in a comment and in a value is no marker; no END line: appended.
        {"marker-in-comment", "# END:Version 6.0 is the marker\r\nName=A\r\nQuery=END:Version 6.0\r\n",
         "[A]\r\nx=1\r\n", false},
        // An unterminated last line gets its line end before the block.
        {"unterminated", "Name=A\r\nQuery=a=1", "[A]\r\nx=1", false},
        {"missing-database", QByteArray(), QByteArray(), true},
    };
    for (const auto &c : cases) {
        QFile::remove(enginePath(u"vqzeng5.dat"_s));
        if (!c.missingDatabase)
            writeEngineFile(u"vqzeng5.dat"_s, c.database);
        writeEngineFile(u"catvqs.dat"_s, c.categoryData);
        addSample();
        ASSERT_TRUE(store.merge({0, 1, 2})) << c.name;
        const QString prefix = kExpected + u"merge-"_s + QLatin1String(c.name);
        EXPECT_TRUE(matchesExpectedFile(read(u"vqzeng5.dat"_s), prefix + u".vqzeng5.dat"_s));
        EXPECT_TRUE(matchesExpectedFile(read(u"catvqs.dat"_s), prefix + u".catvqs.dat"_s));
    }
}

TEST_F(CustomEngines, MergingTwiceReplacesTheEarlierBlockAndTheLoaderSeesTheEditedEngine)
{
    installSample();
    addSample();
    ASSERT_TRUE(store.merge({0, 1, 2}));
    const QByteArray firstDatabase = read(u"vqzeng5.dat"_s);
    const QByteArray firstCategories = read(u"catvqs.dat"_s);
    ASSERT_TRUE(store.merge({0, 1, 2}));
    EXPECT_EQ(read(u"vqzeng5.dat"_s), firstDatabase);
    EXPECT_EQ(read(u"catvqs.dat"_s), firstCategories);

    store.records()[0].Action = u"http://alpha.example/edited"_s;
    store.records()[0].CategoryData = u"Music=Tunes"_s;
    ASSERT_TRUE(store.merge({0, 1, 2}));
    ASSERT_TRUE(main->loadEngineCategory());
    ASSERT_TRUE(main->loadEngines());
    const clsEngines *alpha = myEngines().find(u"alpha"_s);
    ASSERT_NE(alpha, nullptr);
    EXPECT_EQ(alpha->Action, u"http://alpha.example/edited"_s);
    EXPECT_EQ(alpha->CategoryData, u"Music=Tunes>"_s);
    ASSERT_NE(myEngines().find(u"Gamma"_s), nullptr);
    EXPECT_EQ(myEngines().find(u"Gamma"_s)->CategoryData, u"Music=Sounds>"_s);
    EXPECT_FALSE(errorLog().contains("Duplicate Engine"));

    // Without engines the earlier blocks go, and the data files read on as before.
    store.records().clear();
    ASSERT_TRUE(store.merge({}));
    EXPECT_FALSE(read(u"vqzeng5.dat"_s).contains("# Custom Engine Data"));
    EXPECT_FALSE(read(u"catvqs.dat"_s).contains("# Custom Engine Category"));
    EXPECT_EQ(read(u"catvqs.dat"_s), sampleFile(u"catvqs.dat"_s));
    EXPECT_FALSE(QFile::exists(customFile()));
}

TEST_F(CustomEngines, MergeWithNothingToMergeChangesNoFile)
{
    installSample();
    ASSERT_TRUE(store.merge({}));
    EXPECT_EQ(read(u"vqzeng5.dat"_s), sampleFile(u"vqzeng5.dat"_s));
    EXPECT_EQ(read(u"catvqs.dat"_s), sampleFile(u"catvqs.dat"_s));
}

TEST_F(CustomEngines, AnIncompleteLoadMergesOnlyTheRecordsHeldAndTheDatabaseStillLoads)
{
    // A number too large for its field, and a key line before the first engine.
    const QByteArray files[] = {crlf({"Name=Disk Engine", "Action=http://disk.example/", "SiteLevel=99999"}),
                                crlf({"Action=http://custom.example/stolen", "Name=Disk Engine",
                                      "Action=http://disk.example/"})};
    for (const QByteArray &onDisk : files) {
        installSample();
        env.writeFile(customFile(), onDisk);
        store.load();
        ASSERT_TRUE(store.loadIncomplete());
        QList<qsizetype> order;
        for (qsizetype i = 0; i < store.records().size(); ++i)
            order.append(i);
        ASSERT_TRUE(store.merge(order)) << onDisk.constData();
        EXPECT_EQ(TestEnvironment::readFile(customFile() + u".bak"_s), onDisk);

        myEngines().clear();
        env.dialogs.clearLog();
        ASSERT_TRUE(main->loadEngineCategory());
        ASSERT_TRUE(main->loadEngines()) << onDisk.constData();
        EXPECT_TRUE(env.dialogs.shown().isEmpty());
        const clsEngines *vendor = myEngines().find(u"Secure Example Search"_s);
        ASSERT_NE(vendor, nullptr);
        EXPECT_EQ(vendor->Action, u"http://secure-search.example/submit"_s);
        ASSERT_NE(myEngines().find(u"Disk Engine"_s), nullptr);
        EXPECT_EQ(myEngines().find(u"Disk Engine"_s)->Action, u"http://disk.example/"_s);
        QFile::remove(customFile() + u".bak"_s);
    }
}

TEST_F(CustomEngines, ExportWritesOneNameALineAndOneMoreLineEnd)
{
    ASSERT_TRUE(store.exportList(programPath(u"nenglist.txt"_s), {u"Alpha"_s, u"Beta"_s}));
    EXPECT_TRUE(matchesExpectedFile(TestEnvironment::readFile(programPath(u"nenglist.txt"_s)), kExpected + u"nenglist.txt"_s));
    ASSERT_TRUE(store.exportList(programPath(u"nenglist.txt"_s), {}));
    EXPECT_EQ(TestEnvironment::readFile(programPath(u"nenglist.txt"_s)), QByteArray("\r\n"));
}

// The crafted database of the engine load through the builder's reader: no end marker, "NN"
// kept, repeated and empty names loaded, category data only for a mode beginning with "Y".
TEST_F(CustomEngines, ACraftedFileLoadsFieldByFieldAsItAlwaysHas)
{
    env.writeFile(customFile(), "# crafted\r\nName=Caf\xe9 Suche\r\nHome=http://caf\xe9.example/?a=b=c\r\nCountry= nn \n"
                                "EngineType=dir\rCategoryType=Y\r\nAdult=yes\r\nAdultOnlySite=\r\nMaxKeyword=12 words\r\n"
                                "MaxDescr=\r\nSiteLevel=  2\r\nQuery=q=<URL>&x=1=2\r\nLanguage=\xc4 \t\r\nName =Ignored\r\n"
                                "WebType=X\r\n\r\nname=CAF\xc9 SUCHE\r\nType=ENG\r\nName=Second\nType=News\nCategory=f\n"
                                "Method=POST\nAction=https://second.example/add\nCountry=de\nAdults=\xdf\nMaxTitle=-7\n"
                                "Name=Third\rCategory=G\rCountry=DE\rCountryOnly=Yes\rType= mall \rCategory=yes\r"
                                "Name=\r\nType=HOT\r\nName=Fourth\r\nCategory=Q\r\nType=odd\r\nMaxTitle=2147483647\r\n"
                                "end:version 6.0\r\nName=After\r\n");
    env.writeFile(categoryFile(), "[caf\xe9 suche]\r\nMusic=Arts > Music\r\n[Third]\r\nT=3\r\n[THIRD]\r\nT=4\r\n");
    store.load();
    QStringList lines;
    for (const CustomEngineRecord &r : store.records()) {
        lines.append(QStringList{r.Name, r.Home, r.AddURL, r.Country, r.CountryOnly, r.Type, r.Category, r.CategoryData,
                                 r.Method, r.Action, r.Query, r.WebType, r.Adults, r.AdultOnlySites, r.Language,
                                 QString::number(r.MaxTitle), QString::number(r.MaxKeywords),
                                 QString::number(r.MaxDescription), QString::number(r.SiteLevel)}
                         .join(u'|'));
    }
    // "ß" has no one-character capital: the flag keeps its one character.
    EXPECT_EQ(lines.join(u'\n'),
              QStringLiteral("Café Suche|http://café.example/?a=b=c||NN||DIR|Y|Music=Arts > Music>|||q=<URL>&x=1=2||Y||Ä \t|0|12|0|2\n"
                             "CAFÉ SUCHE|||||ENG||||||||||0|0|0|0\n"
                             "Second|||DE||NEWS|f||POST|https://second.example/add|||ß|||-7|0|0|0\n"
                             "Third|||DE|Yes|MALL|yes|T=4>||||||||0|0|0|0\n"
                             "|||||HOT||||||||||0|0|0|0\n"
                             "Fourth|||||ODD|Q|||||||||2147483647|0|0|0\n"
                             "After|||||||||||||||0|0|0|0"));
    EXPECT_TRUE(store.errors().isEmpty());
}
