#include "RankingFixture.h"

#include <limits>

#include "platform/Dialogs.h"
#include "platform/TextFile.h"

namespace {

class EngineFileTest : public RankingTest::Fixture {
protected:
    RankingEngineFile read(const QByteArray &bytes)
    {
        TestSupport::TestEnvironment::writeFile(rankingEngineFilePath(), bytes);
        return readRankingEngineFile(rankingEngineFilePath());
    }
    static QStringList names(const RankingEngineFile &file)
    {
        QStringList list;
        for (const RankingEngine &engine : file.engines)
            list.append(engine.name);
        return list;
    }
    // "NumOfEngines" and then one "n=Engine n" key per number, each with a section.
    static QByteArray engines(int count)
    {
        QByteArray text = "[Engines]\r\nNumOfEngines=" + QByteArray::number(count) + "\r\n";
        for (int i = 1; i <= count; ++i)
            text += QByteArray::number(i) + "=Engine " + QByteArray::number(i) + "\r\n";
        for (int i = 1; i <= count; ++i)
            text += "[Engine " + QByteArray::number(i) + "]\r\nEngineURL=http://e" + QByteArray::number(i)
                    + ".example/\r\n";
        return text;
    }
};

TEST_F(EngineFileTest, ReadsEveryKeyWithNamesInAnyLetterCase)
{
    const RankingEngineFile file = read(
        "[ENGINES]\r\nnumofengines= 1 \r\n1=Alpha Search\r\n"
        "[alpha SEARCH]\r\nenginekey=Alpha.Example\r\nENGINEURL=http://Alpha.example/\r\n"
        "QueryKeyword1=s?q=\r\nQueryKeyword2=&n=10\r\nNextPage1=>Next<\r\nNextPage2=>More<\r\n"
        "NextPage3=>On<\r\nNextPage4=\r\nResultStartString=<ol>\r\nResultEndString=</ol>\r\n"
        "NoFoundString=No results\r\nFilterKeyword1=f1\r\nFilterKeyword2=f2\r\n"
        "HREF_KEYWORD1=<a href=\"http://\r\nHREF_KEYWORD2=<A HREF=\r\nLinkType=Link\r\n"
        "Start=10abc\r\nPerPage=\r\nURLVisibility=url:\r\nStart=20\r\n");
    EXPECT_FALSE(file.corrupted);
    ASSERT_EQ(file.engines.size(), 1u);
    const RankingEngine &e = file.engines[0];
    const QStringList texts{e.name, e.EngineKey, e.EngineURL, e.QueryKeyword1, e.QueryKeyword2,
                            e.NextPage1, e.NextPage2, e.NextPage3, e.NextPage4, e.ResultStartString,
                            e.ResultEndString, e.NoFoundString, e.FilterKeyword1, e.FilterKeyword2,
                            e.HREF_KEYWORD1, e.HREF_KEYWORD2, e.LinkType, e.nextPageURL, e.URLVisibility};
    const QStringList expected{QStringLiteral("Alpha Search"), QStringLiteral("Alpha.Example"),
                               QStringLiteral("http://Alpha.example/"), QStringLiteral("s?q="),
                               QStringLiteral("&n=10"), QStringLiteral(">Next<"), QStringLiteral(">More<"),
                               QStringLiteral(">On<"), QString(), QStringLiteral("<ol>"),
                               QStringLiteral("</ol>"), QStringLiteral("No results"), QStringLiteral("f1"),
                               QStringLiteral("f2"), QStringLiteral("<a href=\"http://"),
                               QStringLiteral("<A HREF="), QStringLiteral("Link"), QString(),
                               QStringLiteral("url:")};
    EXPECT_EQ(texts, expected);
    EXPECT_EQ(e.Start, 10);   // the leading number; the later "Start" line does not count
    EXPECT_EQ(e.PerPage, 0);
}

TEST_F(EngineFileTest, EmptyKeysAreSkippedAndEnginesPastEightAreLogged)
{
    QByteArray gap = engines(4);
    gap.replace("2=Engine 2", "2=").replace("4=Engine 4\r\n", "");
    EXPECT_EQ(names(read(gap)), QStringList({QStringLiteral("Engine 1"), QStringLiteral("Engine 3")}));

    // The engines past the eighth are not read, so a bad number there is no failure.
    const RankingEngineFile ten = read(engines(10).replace("[Engine 9]\r\n", "[Engine 9]\r\nStart=99999\r\n"));
    EXPECT_FALSE(ten.corrupted);
    EXPECT_EQ(ten.engines.size(), 8u);
    EXPECT_EQ(ten.engines.back().EngineURL, QStringLiteral("http://e8.example/"));
    EXPECT_EQ(ten.logLines, QStringList({QStringLiteral("Ranking engine not used: Engine 9"),
                                         QStringLiteral("Ranking engine not used: Engine 10")}));
    // With room for nine the ninth is read, and its number fails.
    EXPECT_TRUE(readRankingEngineFile(rankingEngineFilePath(), 9).corrupted);
}

TEST_F(EngineFileTest, BadNumbersMakeTheFileCorrupted)
{
    const struct {
        const char *numOfEngines;
        bool corrupted;
    } cases[] = {{"", true}, {"abc", true}, {"-1", true}, {"40000", true}, {"2x", true}, {"0", false}};
    for (const auto &c : cases) {
        const RankingEngineFile file =
            read(QByteArray("[Engines]\r\nNumOfEngines=") + c.numOfEngines + "\r\n1=A\r\n2=B\r\n");
        EXPECT_EQ(file.corrupted, c.corrupted) << c.numOfEngines;
        EXPECT_TRUE(file.engines.empty()) << c.numOfEngines;
    }

    // A number out of range ends the read before its engine; those before stay.
    const RankingEngineFile file = read(engines(3).replace("[Engine 2]\r\n", "[Engine 2]\r\nPerPage=99999\r\n"));
    EXPECT_TRUE(file.corrupted);
    EXPECT_EQ(names(file), QStringList({QStringLiteral("Engine 1")}));
}

// The launcher and the keyword builder read no "Start" or "PerPage", so those cannot fail them.
TEST_F(EngineFileTest, EachReaderFailsOnlyOnTheKeysItReads)
{
    QByteArray text = engines(3).replace("[Engine 2]\r\n", "[Engine 2]\r\nPerPage=99999\r\nStart=-40000\r\n");
    text += "[KeywordBuilder]\r\nEngine=Engine 2\r\nNumOfURLs=3\r\n";
    TestSupport::TestEnvironment::writeFile(rankingEngineFilePath(), text);
    const RankingEngineFile rankCheck = readRankingEngineFile(rankingEngineFilePath());
    EXPECT_TRUE(rankCheck.corrupted);
    EXPECT_EQ(names(rankCheck), QStringList{QStringLiteral("Engine 1")});
    const RankingEngineFile launcher =
        readRankingEngineFile(rankingEngineFilePath(), std::numeric_limits<qsizetype>::max(), EngineKeys::Query);
    EXPECT_FALSE(launcher.corrupted);
    EXPECT_EQ(names(launcher).size(), 3);
    const KeywordBuilderEngine builder = readKeywordBuilderEngine(rankingEngineFilePath());
    EXPECT_FALSE(builder.corrupted);
    EXPECT_EQ(builder.engine.EngineURL, QStringLiteral("http://e2.example/"));
}

// A line past the data files' cap is left out and named in the error log; the rest reads.
TEST_F(EngineFileTest, LinesPastTheLineCapAreSkippedAndLogged)
{
    const QByteArray huge = QByteArray(Platform::kMaxLineBytes + 1, 'n');
    const RankingEngineFile file =
        read("[Engines]\r\nNumOfEngines=3\r\n1=A\r\n2=" + huge + "\r\n3=C\r\n[C]\r\nEngineKey=" + huge + "\r\nEngineURL=http://c/\r\n");
    EXPECT_FALSE(file.corrupted);
    EXPECT_EQ(names(file), (QStringList{QStringLiteral("A"), QStringLiteral("C")}));
    EXPECT_EQ(file.engines[1].EngineURL, QStringLiteral("http://c/"));
    EXPECT_TRUE(file.engines[1].EngineKey.isEmpty());
    const QByteArray log = TestSupport::TestEnvironment::readFile(env.programFolder() + QStringLiteral("Error.log"));
    EXPECT_TRUE(log.contains("Line too long, skipped: ") && log.contains(" line 4") && log.contains(" line 7")) << log.constData();
}

TEST_F(EngineFileTest, MissingFileShowsTheCorruptedBox)
{
    const RankingEngineFile file = readRankingEngineFile(rankingEngineFilePath());
    EXPECT_TRUE(file.corrupted);
    EXPECT_TRUE(file.engines.empty());
    env.dialogs.answerMessage(Platform::Ok);
    showCorruptedEngineFile();
    ASSERT_EQ(env.dialogs.shown().size(), 1);
    EXPECT_EQ(env.dialogs.shown()[0].title, QStringLiteral("Error"));
    EXPECT_EQ(env.dialogs.shown()[0].style, Platform::Information);
    EXPECT_TRUE(env.dialogs.wasShown(QStringLiteral("'File/Update Engine Data' menu item from the main menu bar and "
                                                    "following the instruction on the screen.")));
}

TEST_F(EngineFileTest, BrokenFilesGiveTheBoxOrSkippedEntries)
{
    QByteArray binary;
    for (int i = 0; i < 4096; ++i)
        binary += static_cast<char>((i * 131 + 7) % 256);
    const QByteArray whole = engines(2);
    const struct {
        const char *name;
        QByteArray bytes;
        bool corrupted;
        qsizetype engines;
    } cases[] = {
        {"empty", QByteArray(), true, 0},
        {"cut in the engine list", whole.left(whole.indexOf("2=")), false, 1},
        {"cut in a section name", whole.left(whole.lastIndexOf("gine 2]")), false, 2},
        {"binary", binary, true, 0},
        {"binary after the list", "[Engines]\nNumOfEngines=1\n1=A\n[A]\n" + binary, false, 1},
        {"bare CR", QByteArray(whole).replace("\r\n", "\r"), false, 2},
        {"bare LF", QByteArray(whole).replace("\r\n", "\n"), false, 2},
        {"NUL in a value", QByteArrayLiteral("[Engines]\r\nNumOfEngines=1\r\n1=A\0B\r\n"), false, 1},
        {"100 KB value", "[Engines]\r\nNumOfEngines=1\r\n1=" + QByteArray(100 * 1024, 'n') + "\r\n", false, 1},
        {"100 KB count", "[Engines]\r\nNumOfEngines=" + QByteArray(100 * 1024, '9') + "\r\n", true, 0},
    };
    for (const auto &c : cases) {
        const RankingEngineFile file = read(c.bytes);
        EXPECT_EQ(file.corrupted, c.corrupted) << c.name;
        EXPECT_EQ(static_cast<qsizetype>(file.engines.size()), c.engines) << c.name;
    }
    EXPECT_EQ(read("[Engines]\nNumOfEngines=1\n1=" + QByteArray(100 * 1024, 'n')).engines[0].name.size(), 100 * 1024);
    EXPECT_EQ(read(QByteArrayLiteral("[Engines]\nNumOfEngines=1\n1=A\0B")).engines[0].name.size(), 3);
}

TEST_F(EngineFileTest, TheShippedSampleReadsEightEnginesWithTheirMarkers)
{
    const RankingEngineFile file = readRankingEngineFile(QStringLiteral(VELQUIST_SOURCE_DIR "/data/vqreng.dat"));
    EXPECT_FALSE(file.corrupted);
    EXPECT_TRUE(file.logLines.isEmpty());
    const struct {
        const char *name;
        const char *urlVisibility;
    } expected[] = {{"Alpha Search", "url:"}, {"Beacon Search", "site:"}, {"Cobalt Search", "host:"},
                    {"Delta Find", "url:"},   {"Ember Web", "domain:"},   {"Fjord Seek", "url:"},
                    {"Garnet Index", "host:"}, {"Harbor Lookup", "site:"}};
    ASSERT_EQ(file.engines.size(), std::size(expected));
    for (size_t i = 0; i < file.engines.size(); ++i) {
        const RankingEngine &e = file.engines[i];
        const QString name = QLatin1String(expected[i].name);
        SCOPED_TRACE(expected[i].name);
        EXPECT_EQ(e.name, name);
        // Every engine lives on a reserved host that its key marks.
        EXPECT_TRUE(e.EngineURL.startsWith(QStringLiteral("http://www.") + e.EngineKey + u'/'));
        EXPECT_TRUE(e.EngineKey.endsWith(QStringLiteral(".example")));
        EXPECT_EQ(e.URLVisibility, QLatin1String(expected[i].urlVisibility));
        for (const QString &marker : {e.QueryKeyword1, e.NextPage1, e.ResultStartString, e.ResultEndString,
                                      e.NoFoundString, e.HREF_KEYWORD1})
            EXPECT_FALSE(marker.isEmpty());
        // A "Button" engine builds its next pages, so it needs a step.
        if (e.LinkType.compare(QStringLiteral("Button"), Qt::CaseInsensitive) == 0) {
            EXPECT_GT(e.Start, 0);
        }
        EXPECT_GT(e.PerPage, 0);
    }
}

} // namespace
