// The readers of the engine database, the engine category data and the category list, including
// broken input: nothing may crash, bad lines are skipped.
#include <gtest/gtest.h>

#include <QRandomGenerator>

#include "platform/Codec1252.h"
#include "platform/TextFile.h"
#include "sitedata/modEngineData.h"

using namespace modEngineData;

namespace {

QStringList linesOf(const char *text)
{
    return Platform::splitLines(QString::fromLatin1(text));
}

QString valueOf(const RawEngine &engine, EngineKey key)
{
    QString value;
    for (const EngineLine &line : engine.lines) {
        if (line.key == key)
            value = line.value;
    }
    return value;
}

QByteArray randomBytes(qsizetype size, quint32 seed)
{
    QByteArray bytes(size, '\0');
    QRandomGenerator random(seed);
    for (char &byte : bytes)
        byte = static_cast<char>(random.bounded(256));
    return bytes;
}

} // namespace

TEST(EngineDatabaseReader, NameStartsEnginesAndKeyLinesBeforeItFormANamelessRecord)
{
    const EngineDatabase db = parseEngineDatabase(linesOf(
        "Home=http://orphan.example/\r\nname=Alpha\r\nType=ENG\r\nNAME=Beta\r\nName =Gamma\r\n Name=Delta\r\nCountry=DE\r\n"));
    ASSERT_EQ(db.engines.size(), 3);
    EXPECT_FALSE(db.engines[0].hasName());
    EXPECT_EQ(valueOf(db.engines[1], EngineKey::Name), QStringLiteral("Alpha"));
    EXPECT_EQ(valueOf(db.engines[2], EngineKey::Name), QStringLiteral("Beta"));
    // " Name=Delta" and "Name =Gamma" name nothing: Country still belongs to Beta.
    EXPECT_EQ(valueOf(db.engines[2], EngineKey::Country), QStringLiteral("DE"));
}

TEST(EngineDatabaseReader, CommentsEmptyLinesAndLinesWithoutEqualsAreSkipped)
{
    const EngineDatabase db = parseEngineDatabase(linesOf("# c\r\n\r\n   \r\n  #Name=Not a comment\r\nName=A\r\nno equals\r\n"));
    ASSERT_EQ(db.engines.size(), 1);
    EXPECT_EQ(valueOf(db.engines[0], EngineKey::Name), QStringLiteral("A"));
}

TEST(EngineDatabaseReader, EndMarkerMatchesWholeLineInAnyCase)
{
    EngineDatabase db = parseEngineDatabase(linesOf("Name=A\r\nend:version 6.0\r\nName=B\r\n"));
    EXPECT_TRUE(db.endMarker);
    EXPECT_EQ(db.engines.size(), 1);

    // With a trailing blank it is no marker (and no key line either).
    db = parseEngineDatabase(linesOf("Name=A\r\nEND:Version 6.0 \r\nName=B\r\n"));
    EXPECT_FALSE(db.endMarker);
    EXPECT_EQ(db.engines.size(), 2);

    // The builder's reader has no marker.
    db = parseEngineDatabase(linesOf("Name=A\r\nEND:Version 6.0\r\nName=B\r\n"), false);
    EXPECT_EQ(db.engines.size(), 2);
}

TEST(EngineDatabaseReader, ValuesLoseSpacesButKeepTabs)
{
    const EngineDatabase db = parseEngineDatabase(linesOf("Name=  A b  \r\nQuery=\tx=1 \r\nAction=a=b=c\r\n"));
    ASSERT_EQ(db.engines.size(), 1);
    EXPECT_EQ(valueOf(db.engines[0], EngineKey::Name), QStringLiteral("A b"));
    EXPECT_EQ(valueOf(db.engines[0], EngineKey::Query), QStringLiteral("\tx=1"));
    EXPECT_EQ(valueOf(db.engines[0], EngineKey::Action), QStringLiteral("a=b=c"));
}

TEST(EngineDatabaseReader, AliasesMapToTheirKeysAndUnknownKeysAreDropped)
{
    EXPECT_EQ(engineKeyOf(QStringLiteral("EngineType")), EngineKey::Type);
    EXPECT_EQ(engineKeyOf(QStringLiteral("categorytype")), EngineKey::Category);
    EXPECT_EQ(engineKeyOf(QStringLiteral("AdultOnlySite")), EngineKey::AdultOnlySites);
    for (const char *alias : {"Adult", "AdultSite", "AdultSites", "ADULTS"})
        EXPECT_EQ(engineKeyOf(QString::fromLatin1(alias)), EngineKey::Adults) << alias;
    EXPECT_EQ(engineKeyOf(QStringLiteral("MaxKeyword")), EngineKey::MaxKeywords);
    EXPECT_EQ(engineKeyOf(QStringLiteral("MaxDescr")), EngineKey::MaxDescription);
    EXPECT_EQ(engineKeyOf(QStringLiteral("WebType")), EngineKey::Ignored);
    EXPECT_EQ(engineKeyOf(QStringLiteral("Name ")), EngineKey::Ignored);
}

TEST(EngineDatabaseReader, AllLineEndStylesGiveTheSameEngines)
{
    const char *crlfText = "Name=A\r\nType=ENG\r\nName=B\r\nType=DIR\r\n";
    const char *lfText = "Name=A\nType=ENG\nName=B\nType=DIR\n";
    const char *crText = "Name=A\rType=ENG\rName=B\rType=DIR\r";
    for (const char *text : {crlfText, lfText, crText}) {
        const EngineDatabase db = parseEngineDatabase(linesOf(text));
        ASSERT_EQ(db.engines.size(), 2);
        EXPECT_EQ(valueOf(db.engines[1], EngineKey::Type), QStringLiteral("DIR"));
    }
}

TEST(EngineCategoryReader, EntriesCollectTheirItemLinesEachFollowedByGreaterThan)
{
    const QList<EngineCategoryEntry> entries = parseEngineCategoryData(
        linesOf("orphan=1\r\n[Alpha]\r\nA=1\r\nB=2\r\n[Alpha\r\nC=3\r\n[Beta] trailing\r\n\t\r\n  #x\r\n   \r\n#c\r\n"
                " END\r\nD=4\r\nend\r\n[Gamma]\r\nE=5\r\n"));
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries[0].Name, QStringLiteral("Alpha"));
    // "[Alpha" has no "]": skipped, and its item joins Alpha.
    EXPECT_EQ(entries[0].CategoryData, QStringLiteral("A=1>B=2>C=3>"));
    EXPECT_EQ(entries[1].Name, QStringLiteral("Beta"));
    // A line of tabs and "  #x" are items; " END" does not stop, "end" does.
    EXPECT_EQ(entries[1].CategoryData, QStringLiteral("\t>  #x> END>D=4>"));
}

TEST(EngineCategoryReader, UntrimmedNamesAndRepeatedEntriesAreKept)
{
    const QList<EngineCategoryEntry> entries = parseEngineCategoryData(linesOf("[ Alpha]\nX=1\n[Alpha]\nY=1\n[Alpha]\nZ=1\n"));
    ASSERT_EQ(entries.size(), 3);
    EXPECT_EQ(entries[0].Name, QStringLiteral(" Alpha"));
    EXPECT_EQ(entries[1].CategoryData, QStringLiteral("Y=1>"));
}

TEST(CategoryListReader, BracketedLinesStartMainCategoriesOtherLinesAreSubCategories)
{
    const CategoryList list = parseCategoryList(
        linesOf("before\r\n#c\r\n[Arts]\r\nMusic\r\n[Arts \r\n[Arts] \r\n\r\n[]\r\nLost\r\n[Business and Finance]\r\nA|B\r\n"));
    EXPECT_EQ(list.linesBeforeFirst, QStringList{QStringLiteral("before")});
    ASSERT_EQ(list.categories.size(), 3);
    EXPECT_EQ(list.categories[0].MainCategory, QStringLiteral("Arts"));
    EXPECT_EQ(list.categories[0].SubCategories,
              (QStringList{QStringLiteral("Music"), QStringLiteral("[Arts "), QStringLiteral("[Arts] ")}));
    EXPECT_TRUE(list.categories[1].MainCategory.isEmpty());
    EXPECT_EQ(list.categories[2].SubCategories, QStringList{QStringLiteral("A|B")});
}

TEST(BrokenEngineData, EmptyCutShortBinaryAndHugeInputNeverCrash)
{
    const QByteArray binary = randomBytes(64 * 1024, 42);
    const QList<QByteArray> inputs = {
        QByteArray(), QByteArray("Name"), QByteArray("Name="), QByteArray("[Alpha"), QByteArray("["), QByteArray("]"),
        QByteArray("Name=A\r\nType=E"), binary, QByteArray(2 * 1024 * 1024, 'x'), QByteArray("=\r\n==\r\n[]]\r\n"),
    };
    for (const QByteArray &input : inputs) {
        const QStringList lines = Platform::splitLines(Platform::fromAnsi(input));
        const EngineDatabase db = parseEngineDatabase(lines);
        for (const RawEngine &engine : db.engines)
            EXPECT_FALSE(engine.lines.isEmpty());
        parseEngineCategoryData(lines);
        parseCategoryList(lines);
    }
    EXPECT_EQ(parseEngineDatabase(linesOf("Name=")).engines.size(), 1);
}

// The engine loader reads the database and the category data as bytes: every input gives the key
// lines, the end and the category entries the text readers give.
TEST(EngineByteReaders, ReadWhatTheTextReadersRead)
{
    const QByteArray binary = randomBytes(16 * 1024, 7);
    const QList<QByteArray> inputs = {
        "Home=http://orphan.example/\r\nname=Alpha\r\nType=ENG\r\nNAME=Beta\r\nName =Gamma\r\n Name=Delta\r\n",
        "# c\r\n\r\n   \r\n  #Name=Not a comment\r\nName=A\r\nno equals\r\nAdultSites=y\r\nMAXDESCR=1\r\n",
        "Name=  A b  \r\nQuery=\tx=1 \r\nAction=a=b=c\r\nEND:Version 6.0 \r\nend:version 6.0\r\nName=Late\r\n",
        "[Alpha]\r\nX=1\r\n\r\n  \r\n#c\r\n[Beta\r\nY=2\r\n[ Gamma]\r\nend\r\nZ=3\r\n",
        "N\xc1ME=\xe9\x80\r\nName=\xff\r\n[\xe9]\r\n\x81=\x8d\r\nENDE\r\n",
        binary,
    };
    for (const QByteArray &input : inputs) {
        const QStringList textLines = Platform::splitLines(Platform::fromAnsi(input));
        QList<QByteArray> byteLines;
        for (const QString &line : textLines)
            byteLines.append(Platform::toAnsi(line));

        QList<std::pair<EngineKey, QString>> fromText;
        for (const RawEngine &engine : parseEngineDatabase(textLines).engines) {
            for (const EngineLine &line : engine.lines)
                fromText.append({line.key, line.value});
        }
        QList<std::pair<EngineKey, QString>> fromBytes;
        for (const QByteArray &line : byteLines) {
            const EngineByteLine read = readEngineLine(line);
            if (read.kind == EngineByteLine::EndMarker)
                break;
            if (read.kind == EngineByteLine::KeyLine)
                fromBytes.append({read.key, Platform::fromAnsi(read.value.toByteArray())});
        }
        EXPECT_EQ(fromBytes, fromText) << input.left(40).toStdString();

        EngineCategoryParser byBytes;
        for (const QByteArray &line : byteLines) {
            if (!byBytes.feed(QByteArrayView(line)))
                break;
        }
        const QList<EngineCategoryEntry> expected = parseEngineCategoryData(textLines);
        const QList<EngineCategoryEntry> entries = byBytes.takeEntries();
        ASSERT_EQ(entries.size(), expected.size());
        for (qsizetype i = 0; i < entries.size(); ++i) {
            EXPECT_EQ(entries[i].Name, expected[i].Name);
            EXPECT_EQ(entries[i].CategoryData, expected[i].CategoryData);
        }
    }
}
