// The ranking window offscreen: its engine rows, validation, the questions before a run, the
// profile commands, "&Get Report" and "&View Report", Stop, Enter and Esc, and closing mid-run.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QTest>

#include "RankingWindowFixture.h"
#include "core/modCommon.h"
#include "platform/KeyedListView.h"
#include "platform/Shell.h"
#include "platform/TextFile.h"
#include "transport/HttpClient.h"

using namespace Qt::StringLiterals;
using TestSupport::clickOn;

namespace {

class RankingWindow : public RankingTest::WindowFixture {
protected:
    void openShop(const QList<int> &ticked = {1})
    {
        writeEngines({{"Alpha Search"}, {"Beta"}, {"Gamma"}});
        writeProfile(ticked);
        open();
    }
    QStringList profileNames() const
    {
        QStringList names;
        for (int i = 0; i < w->cboProfile->count(); ++i)
            names.append(w->cboProfile->itemText(i));
        return names;
    }
    QString profileValue(const QString &profile, const QString &key) const
    {
        return modCommon::readINIValue(profileFile(), profile, key);
    }
    // Clicks the engine's name and ticks or unticks it with the space bar.
    void toggleTick(int row)
    {
        QTreeWidget *list = w->lsvRankingEngines;
        const int y = TestSupport::rowPoint(list, w->engineRow(row)).y();
        TestSupport::clickAt(list->viewport(), QPoint(list->columnViewportPosition(0) + list->columnWidth(0) / 2, y));
        QTest::keyClick(list, Qt::Key_Space);
    }
    // Pages, Position and Status of a row.
    QString columns(int row) const { return cell(row, 1) + u'|' + cell(row, 2) + u'|' + cell(row, 3); }
    QString status() const { return w->StatusBar2->panelText(1); }
    QByteArray report() const { return TestSupport::TestEnvironment::readFile(folder() + u"Shop.html"_s); }
    // The files of a profile's folder, hidden ones too, sorted.
    QStringList folderFiles(const QString &profile = u"Shop"_s) const
    {
        return QDir(folder(profile)).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
    // Chooses the profile with the keys, then makes its report with a click.
    void reportOf(int profile)
    {
        TestSupport::chooseItem(w->cboProfile, profile);
        clickOn(w->Command1[1]);
    }
    // Answers the end of the run's box and waits for the end.
    bool runAnswering(int answer)
    {
        myPreference().setPromptConnection(0);
        env.dialogs.answerMessage(answer);
        clickOn(w->Command1[0]);
        return Platform::waitUntil([this] { return !w->ranking().isRunning(); }, 8000);
    }
    static constexpr const char *kDone = "Search Done !\r\n\r\nDo you want to view your ranking report now?";
};

TEST_F(RankingWindow, RowsCarryTheirRecordsAndEachGetsAClientAndATimer)
{
    QByteArray text = "[Engines]\r\nNumOfEngines=11\r\n1=E1\r\n2=\r\n";
    for (int i = 3; i <= 11; ++i)
        text += QByteArray::number(i) + "=E" + QByteArray::number(i) + "\r\n";
    for (int i = 1; i <= 11; ++i)
        text += "[E" + QByteArray::number(i) + "]\r\nEngineURL=http://e" + QByteArray::number(i) + ".example/\r\n";
    TestSupport::TestEnvironment::writeFile(rankingEngineFilePath(), text);
    open();
    ASSERT_EQ(w->engineRowCount(), 8);
    EXPECT_EQ(frmRanking::rowEngine(w->engineRow(2)).EngineURL, u"http://e3.example/"_s);
    EXPECT_EQ(w->engineRow(8)->text(0), u"E9"_s);
    EXPECT_FALSE(w->engineRow(1)->icon(0).isNull());
    ASSERT_EQ(w->ranking().Http1.size(), 9u);
    EXPECT_EQ(w->ranking().Http1[8]->index(), 8);
    EXPECT_FALSE(w->ranking().Http1[0] || w->ranking().TimerNextPage[0]);
    const QByteArray log = TestSupport::TestEnvironment::readFile(env.programFolder() + u"Error.log"_s);
    EXPECT_TRUE(log.contains("Ranking engine not used: E10") && log.contains("Ranking engine not used: E11"));
    w->close();
    TestSupport::TestEnvironment::dropQueuedCalls();

    TestSupport::TestEnvironment::writeFile(rankingEngineFilePath(), "[Engines]\r\nNumOfEngines=abc\r\n");
    env.dialogs.answerMessage(Platform::Ok);
    open();
    EXPECT_TRUE(env.dialogs.wasShown(u"Engine data file is corrupted"_s));
    EXPECT_EQ(w->engineRowCount(), 0);
    EXPECT_EQ(w->ranking().Http1.size(), 1u);
}

TEST_F(RankingWindow, AnEngineFileThatFailsPartWayKeepsTheRowsBeforeTheFailure)
{
    writeEngines({{"Alpha Search"}, {"Beta"}, {"Gamma"}});
    QByteArray text = TestSupport::TestEnvironment::readFile(rankingEngineFilePath());
    TestSupport::TestEnvironment::writeFile(rankingEngineFilePath(), text.replace("[Beta]\r\n", "[Beta]\r\nStart=99999\r\n"));
    env.dialogs.answerMessage(Platform::Ok);
    open();
    EXPECT_TRUE(env.dialogs.wasShown(u"Engine data file is corrupted"_s));
    ASSERT_EQ(w->engineRowCount(), 1);
    EXPECT_EQ(w->engineRow(1)->text(0), u"Alpha Search"_s);
    EXPECT_EQ(w->ranking().Http1.size(), 2u);
}

TEST_F(RankingWindow, AReportsFolderThatCannotBeMadeIsShownOnOpening)
{
    TestSupport::TestEnvironment::writeFile(env.programFolder() + u"Reports"_s, "a file");
    writeEngines({{"Alpha Search"}});
    env.dialogs.answerMessage(Platform::Ok);
    open();
    ASSERT_EQ(env.dialogs.shown().size(), 1);
    EXPECT_TRUE(env.dialogs.shown()[0].prompt.startsWith(u"loadWebRanking_Error: "_s));
    EXPECT_EQ(env.dialogs.shown()[0].title, u"Web Ranking"_s);
    EXPECT_EQ(env.dialogs.shown()[0].style, int(Platform::Critical));
    EXPECT_EQ(w->engineRowCount(), 1);   // the window opens with what it could load
}

TEST_F(RankingWindow, ValidationStopsAtTheFirstFailingCheckWithItsMessage)
{
    const struct Case {
        QString site, keywords, number;
        bool profile, ticked;
        const char *message;   // null: the run starts
    } cases[] = {
        {u""_s, u""_s, u"3"_s, true, true, "Please specify the web site URL you want to rank."},
        {u"s"_s, u""_s, u"3"_s, true, true, "Please enter the keywords you want to search for."},
        {u"s"_s, QString(101, u'k'), u"3"_s, true, true, "The keywords must be less than 100 characters."},
        {u"s"_s, u"k"_s, u""_s, true, true, "Please specify the number of pages/links you want to search for."},
        {u"s"_s, u"k"_s, u"abc"_s, true, true, "Please specify the number of pages/links you want to search for."},
        {u"s"_s, u"k"_s, u"0"_s, true, true, "Please specify the number of pages/links you want to search for."},
        {u"s"_s, u"k"_s, u"1000"_s, true, true, "Please specify the number of pages/links you want to search for."},
        {u"s"_s, u"k"_s, u"2.5"_s, true, true, "Please specify the number of pages/links you want to search for."},
        {u"s"_s, u"k"_s, u"3"_s, false, true, "Please save the profile first before starting a new ranking."},
        {u"s"_s, u"k"_s, u"3"_s, true, false,
         "There is no engine selected. Please select the engine you want to search and try again."},
        {u"s"_s, QString(100, u'k'), u"999"_s, true, true, nullptr},
    };
    openShop();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.message ? c.message : "valid");
        w->cboProfile->setCurrentIndex(c.profile ? 0 : -1);
        w->cboSiteURL->setEditText(c.site);
        w->txtKeyword->setText(c.keywords);
        w->txtPageLinks->setText(c.number);
        w->engineRow(1)->setCheckState(0, c.ticked ? Qt::Checked : Qt::Unchecked);
        env.dialogs.clearLog();
        if (c.message) {
            env.dialogs.answerMessage(Platform::Ok);
            EXPECT_FALSE(w->isValidField());
            EXPECT_EQ(env.dialogs.prompts(), QStringList{QString::fromLatin1(c.message)});
        } else {
            env.dialogs.answerMessage(Platform::No);   // the save question
            EXPECT_TRUE(w->isValidField());
        }
    }
}

TEST_F(RankingWindow, TheSaveAndConnectionQuestionsComeOnlyWhenDue)
{
    openShop();
    server.neverAnswer();
    myPreference().setPromptConnection(1);
    env.dialogs.answerMessage(Platform::No);   // not connected: nothing starts
    clickOn(w->Command1[0]);
    EXPECT_TRUE(env.dialogs.wasShown(u"Please make sure you are connected to the internet"_s));
    EXPECT_EQ(w->Command1[0]->text(), u"&Start Search"_s);

    w->txtKeyword->setText(u"new words"_s);
    myPreference().setPromptConnection(0);
    env.dialogs.clearLog();
    env.dialogs.answerMessage(Platform::Yes);   // save the changes
    clickOn(w->Command1[0]);
    EXPECT_EQ(env.dialogs.prompts(),
              QStringList{u"The current profile has been changed, do you want to save the changes before a new searching?"_s});
    EXPECT_EQ(profileValue(u"Shop"_s, u"Keyword"_s), u"new words"_s);
    EXPECT_EQ(w->Command1[0]->text(), u"&Stop"_s);
    EXPECT_TRUE(server.waitForRequests(1, 3000));
}

TEST_F(RankingWindow, ChoosingPagesOrLinksFillsOnlyAnEmptyNumber)
{
    openShop();
    const struct { int option; const char *before, *after; } cases[] = {
        {1, "", "30"}, {0, "", "3"}, {1, "7", "7"},
    };
    for (const auto &c : cases) {
        clickOn(w->Option1[std::size_t(1 - c.option)]);
        w->txtPageLinks->setText(QString::fromLatin1(c.before));
        clickOn(w->Option1[std::size_t(c.option)]);
        EXPECT_EQ(w->txtPageLinks->text(), QString::fromLatin1(c.after));
        EXPECT_EQ(w->pagesMode(), c.option == 0);
    }
    EXPECT_TRUE(w->profileChanged());
}

TEST_F(RankingWindow, AddAsksAgainForATakenNameAndRefusesUnsafeOnes)
{
    openShop();
    w->cboSiteURL->setEditText(u"http://www.x.example"_s);
    env.dialogs.answerInput(u"shop"_s);
    env.dialogs.answerInput(QString());   // cancel the second prompt
    clickOn(w->Command2[0]);
    EXPECT_EQ(env.dialogs.shown().constLast().prompt,
              u"The profile 'shop' already exists.\r\n\r\nPlease specify a new profile name: "_s);
    EXPECT_EQ(profileNames(), QStringList{u"Shop"_s});
    EXPECT_EQ(w->cboSiteURL->currentText(), u"www.x.example"_s);

    for (const QString &name : {u"../x"_s, u"a/b"_s, u"."_s, u"[x]"_s}) {
        env.dialogs.answerInput(name);
        env.dialogs.answerMessage(Platform::Ok);
        clickOn(w->Command2[0]);
        EXPECT_EQ(env.dialogs.shown().constLast().prompt, QString::fromLatin1(RankingProfiles::kInvalidName)) << name.toStdString();
    }
    EXPECT_EQ(profileNames(), QStringList{u"Shop"_s});

    w->txtKeyword->setText(u"[seo] tools"_s);
    env.dialogs.answerInput(u" Tools "_s);
    clickOn(w->Command2[0]);
    EXPECT_EQ(profileNames(), (QStringList{u"Shop"_s, u"Tools"_s}));
    EXPECT_EQ(w->cboProfile->currentText(), u"Tools"_s);
    EXPECT_TRUE(w->ListView2->rowByKey(u"tools"_s));
    EXPECT_EQ(profileValue(u"Tools"_s, u"URL"_s), u"www.x.example"_s);
    EXPECT_EQ(w->cboSiteURL->itemText(0), u"www.x.example"_s);
    EXPECT_FALSE(w->profileChanged());
}

// The profile file keeps its 8-bit code page: a name or value it cannot hold is refused with a box
// that says why, and the file stays byte for byte as it was; Update and Remove beside a refused
// name work as before, and a name at the report folder's limit runs and reports.
TEST_F(RankingWindow, AddAndUpdateRefuseWhatTheProfileFileCannotHold)
{
    writeEngines({{"Alpha Search"}});
    // "??" as an earlier version stored a name it could not hold.
    const QByteArray shop = profileText("Shop", {1});
    TestSupport::TestEnvironment::writeFile(profileFile(), shop + "[??]\r\nURL=www.old.example\r\n");
    const QByteArray before = TestSupport::TestEnvironment::readFile(profileFile());
    open();
    const QString refusedName = u"Invalid Profile name. The profile file can not hold these characters of the name: "_s;
    const QString refusedValue = u"The profile file can not hold these characters of the "_s;
    const QString tooLong = u"Invalid Profile name. The name is too long to name the folder and the file of its "
                            u"report. Please use a shorter name."_s;

    const struct {
        QLineEdit *field;
        int command;
        QString value, prompt;
    } values[] = {
        {w->cboSiteURL->lineEdit(), 0, u"www.пример.example"_s, u"URL: приме"_s},
        {w->txtKeyword, 0, u"поиск tools"_s, u"Keywords: поиск"_s},
        {w->txtKeyword, 1, u"日本 tools 日"_s, u"Keywords: 日本"_s},
        {w->txtPageLinks, 1, u"５"_s, u"number of pages or links: ５"_s},
    };
    for (const auto &c : values) {
        SCOPED_TRACE(c.prompt.toStdString());
        TestSupport::chooseItem(w->cboProfile, 0);
        c.field->setText(c.value);
        env.dialogs.answerMessage(Platform::Ok);   // no name is asked for
        clickOn(w->Command2[std::size_t(c.command)]);
        EXPECT_EQ(env.dialogs.prompts().constLast(),
                  refusedValue + c.prompt + u"\r\n\r\nPlease change them and try again."_s);
        EXPECT_EQ(TestSupport::TestEnvironment::readFile(profileFile()), before);
        EXPECT_NE(w->cboSiteURL->itemText(0), u"www.пример.example"_s);
    }
    TestSupport::chooseItem(w->cboProfile, 0);

    const struct {
        QString name, prompt;
    } names[] = {
        {u"日本"_s, refusedName + u"日本\r\n\r\nIt would be read back as '?\?', the name of another profile."_s},
        {u" 中文 "_s, refusedName + u"中文\r\n\r\nIt would be read back as '?\?', the name of another profile."_s},
        {u"Магазин"_s, refusedName + u"Магзин\r\n\r\nIt would be read back as '??????\?'."_s},
        {u"Shop ☺"_s, refusedName + u"☺\r\n\r\nIt would be read back as 'Shop ?'."_s},
        {QString(238, u'n'), tooLong},
        {QString(119, u'é'), tooLong},
    };
    for (const auto &c : names) {
        SCOPED_TRACE(c.name.toStdString());
        env.dialogs.answerInput(c.name);
        env.dialogs.answerMessage(Platform::Ok);
        clickOn(w->Command2[0]);
        EXPECT_EQ(env.dialogs.prompts().constLast(), c.prompt);
        EXPECT_EQ(profileNames(), (QStringList{u"Shop"_s, u"??"_s}));
        EXPECT_EQ(TestSupport::TestEnvironment::readFile(profileFile()), before);
    }

    // Beside the refused names: Update rewrites its own line, Remove drops the old "??" alone.
    w->txtKeyword->setText(u"web tools seo"_s);
    clickOn(w->Command2[1]);
    QByteArray expected = before;
    expected.replace("Keyword=web tools\r\n", "Keyword=web tools seo\r\n");
    EXPECT_EQ(TestSupport::TestEnvironment::readFile(profileFile()), expected);
    TestSupport::chooseItem(w->cboProfile, 1);
    env.dialogs.answerMessage(Platform::Yes);
    clickOn(w->Command2[2]);
    expected = QByteArray(shop).replace("Keyword=web tools\r\n", "Keyword=web tools seo\r\n") + "\r\n";
    EXPECT_EQ(TestSupport::TestEnvironment::readFile(profileFile()), expected);
    EXPECT_EQ(profileNames(), QStringList{u"Shop"_s});

    // A name at the limit names its folder and its report.
    for (const QString &name : QStringList{QString(237, u'n'), u'n' + QString(118, u'é')}) {
        env.dialogs.answerInput(name);
        clickOn(w->Command2[0]);
        ASSERT_EQ(w->cboProfile->currentText(), name);
        ASSERT_TRUE(runAnswering(Platform::Yes));
        EXPECT_EQ(env.shellRequests.constLast(), u"open:"_s + folder(name) + name + u".html"_s);
        EXPECT_TRUE(QFileInfo::exists(folder(name) + name + u".html"_s));
    }
}

TEST_F(RankingWindow, RemoveSelectsTheFirstLeftAndAFailedWriteChangesNothing)
{
    writeEngines({{"Alpha Search"}});
    TestSupport::TestEnvironment::writeFile(profileFile(), "[A]\r\nURL=a\r\n[B]\r\nURL=b\r\n[C]\r\nURL=c\r\n");
    open();
    TestSupport::chooseItem(w->cboProfile, 1);
    env.dialogs.answerMessage(Platform::Yes);
    clickOn(w->Command2[2]);
    EXPECT_EQ(profileNames(), (QStringList{u"A"_s, u"C"_s}));
    EXPECT_EQ(w->cboSiteURL->currentText(), u"a"_s);
    EXPECT_EQ(w->ListView2->topLevelItemCount(), 2);

    QFile::remove(profileFile());
    ASSERT_TRUE(QDir().mkpath(profileFile()));   // a folder where the file should be
    env.dialogs.answerMessage(Platform::Yes);
    env.dialogs.answerMessage(Platform::Ok);
    clickOn(w->Command2[2]);
    EXPECT_TRUE(env.dialogs.wasShown(QString::fromLatin1(RankingProfiles::kRemoveErrorPrefix)));
    EXPECT_EQ(profileNames(), (QStringList{u"A"_s, u"C"_s}));
    env.dialogs.answerInput(u"New"_s);
    env.dialogs.answerMessage(Platform::Ok);
    clickOn(w->Command2[0]);
    EXPECT_TRUE(env.dialogs.wasShown(QString::fromLatin1(RankingProfiles::kSaveErrorPrefix)));
    EXPECT_EQ(profileNames(), (QStringList{u"A"_s, u"C"_s}));
}

TEST_F(RankingWindow, GetReportReadsTheFolderOfTheProfileShownAndRecordsTheReport)
{
    openShop({1, 2});
    env.dialogs.answerMessage(Platform::Ok);
    clickOn(w->Command1[1]);   // no run yet: no folder
    EXPECT_TRUE(env.dialogs.wasShown(u"Please re-run a new search then generate the ranking report again."_s));

    for (int page = 1; page <= 3; ++page)
        TestSupport::TestEnvironment::writeFile(pageFile(u"Alpha Search"_s, page), resultPage(page, 3, "alpha-search", 2, 4));
    TestSupport::TestEnvironment::writeFile(pageFile(u"Beta"_s, 1), "<html>No results</html>");
    for (int pass = 0; pass < 2; ++pass) {
        clickOn(w->Command1[1]);
        EXPECT_EQ(cell(1, 2), u"14"_s);
        EXPECT_EQ(cell(2, 2), QString());
    }
    const QString report = folder() + u"Shop.html"_s;
    EXPECT_EQ(env.shellRequests, (QStringList{u"open:"_s + report, u"open:"_s + report}));
    EXPECT_EQ(profileValue(u"Shop"_s, u"ReportFile"_s), report);
    EXPECT_FALSE(profileValue(u"Shop"_s, u"Date"_s).isEmpty());
    EXPECT_EQ(w->ListView2->rowByKey(u"Shop"_s)->text(1), profileValue(u"Shop"_s, u"Date"_s));
    const QByteArray html = TestSupport::TestEnvironment::readFile(report);
    EXPECT_TRUE(html.contains("<b>Page: 2 Position: 14</b>"));
    EXPECT_TRUE(html.contains("<li>No documents match the query !</blink><br>"));
    EXPECT_TRUE(html.contains("<a href=Alpha%20Search%5B3%5D.html>"));

    w->cboSiteURL->setEditText(QString());
    env.dialogs.answerMessage(Platform::Ok);
    clickOn(w->Command1[1]);
    EXPECT_EQ(env.dialogs.prompts().constLast(), u"Please specify the web site URL you want to rank."_s);
}

TEST_F(RankingWindow, AFailedReportWriteIsShownAndRecordsNothing)
{
    openShop();
    TestSupport::TestEnvironment::writeFile(pageFile(u"Alpha Search"_s, 1), resultPage(1, 1, "alpha-search"));
    ASSERT_TRUE(QDir().mkpath(folder() + u"Shop.html"_s));
    env.dialogs.answerMessage(Platform::Ok);
    clickOn(w->Command1[1]);
    EXPECT_TRUE(env.dialogs.prompts().constLast().startsWith(u"Module: CreateReport - \r\n"_s));
    EXPECT_EQ(env.dialogs.shown().constLast().title, u"Web Ranking"_s);
    EXPECT_TRUE(profileValue(u"Shop"_s, u"ReportFile"_s).isEmpty());
    EXPECT_TRUE(env.shellRequests.isEmpty());
    EXPECT_TRUE(w->Command1[0]->isEnabled() && w->Command2[0]->isEnabled());
}

TEST_F(RankingWindow, AProfileNamedOutsideItsFolderNeitherRunsNorReports)
{
    writeEngines({{"Alpha Search"}});
    TestSupport::TestEnvironment::writeFile(profileFile(), "[..]\r\nURL=a\r\nKeyword=k\r\nValue=1\r\nEngine1=True\r\n");
    open();
    myPreference().setPromptConnection(0);
    for (int command : {0, 1}) {
        env.dialogs.answerMessage(Platform::Ok);
        clickOn(w->Command1[std::size_t(command)]);
        EXPECT_EQ(env.dialogs.prompts().constLast(), QString::fromLatin1(RankingProfiles::kInvalidName)) << command;
        EXPECT_TRUE(w->Command2[0]->isEnabled() && w->Command1[1]->isEnabled());
    }
    EXPECT_EQ(w->Command1[0]->text(), u"&Start Search"_s);
    EXPECT_TRUE(server.requests().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(env.programFolder() + u"Reports/.html"_s));
}

TEST_F(RankingWindow, ViewReportOpensTheRecordedReportOrSaysWhy)
{
    openShop();
    const QString missing = u"The ranking report file you want to view is missing or does not exist, please re-run a new "
                            u"ranking and try again."_s;
    TestSupport::clickTab(w->SSTab1, 1);
    env.dialogs.answerMessage(Platform::Ok);
    clickOn(w->Command3);   // no ReportFile
    EXPECT_EQ(env.dialogs.prompts().constLast(), missing);
    const QString report = folder() + u"Shop.html"_s;
    modCommon::writeINIValue(profileFile(), u"Shop"_s, u"ReportFile"_s, report);
    env.dialogs.answerMessage(Platform::Ok);
    clickOn(w->Command3);   // recorded, but gone
    EXPECT_EQ(env.dialogs.prompts().constLast(), missing);

    TestSupport::TestEnvironment::writeFile(report, "<html></html>");
    clickOn(w->Command3);
    EXPECT_EQ(env.shellRequests, QStringList{u"open:"_s + report});
    Platform::setShellHook([](Platform::ShellAction, const QString &) { return false; });
    env.dialogs.answerMessage(Platform::Ok);
    clickOn(w->Command3);
    EXPECT_TRUE(env.dialogs.prompts().constLast().startsWith(u"Invalid Web Browser"_s));
}

TEST_F(RankingWindow, StopCancelsEveryRowAndReturnsTheWindowToIdle)
{
    server.neverAnswer();
    openShop({1});
    myPreference().setPromptConnection(0);
    clickOn(w->Command1[0]);
    ASSERT_TRUE(server.waitForRequests(1, 3000));
    EXPECT_EQ(w->Command1[0]->text(), u"&Stop"_s);
    EXPECT_FALSE(w->Command2[0]->isEnabled() || w->Command1[1]->isEnabled());
    clickOn(w->Command1[0]);
    EXPECT_EQ(cell(1, 3) + u'|' + cell(2, 3), u"Cancelled|Cancelled"_s);
    EXPECT_EQ(w->StatusBar2->panelText(1), u"Done"_s);
    EXPECT_EQ(w->ProgressBar1->value(), 0);
    EXPECT_TRUE(w->Command2[2]->isEnabled() && w->Command1[1]->isEnabled());
    Platform::waitUntil([] { return false; }, 300);
    EXPECT_EQ(server.requests().size(), 1);
    EXPECT_TRUE(env.dialogs.shown().isEmpty());
}

TEST_F(RankingWindow, ClosingMidRunDropsTheConnectionsAndKeepsTheHistory)
{
    QPointer<QTcpSocket> peer;
    server.setHandler([&peer](QTcpSocket *client, const QByteArray &) { peer = client; });
    openShop({1});
    clickOn(w->Command2[1]);   // Update puts the site into the history
    myPreference().setPromptConnection(0);
    clickOn(w->Command1[0]);
    ASSERT_TRUE(server.waitForRequests(1, 3000));
    w->close();
    TestSupport::TestEnvironment::dropQueuedCalls();
    EXPECT_FALSE(frmRanking::loadedInstance());
    EXPECT_TRUE(Platform::waitUntil([&peer] { return !peer || peer->state() != QAbstractSocket::ConnectedState; }, 3000));
    Platform::waitUntil([] { return false; }, 200);
    EXPECT_TRUE(env.dialogs.shown().isEmpty());
    EXPECT_EQ(modCommon::readINIValue(modCommon::historyFile(), u"WebRanking"_s, u"1"_s), u"www.shop.example"_s);
}

// During a run Enter (in a field or on the focused Stop button) and Esc do nothing; after it Esc
// closes the window as "&Exit" does.
TEST_F(RankingWindow, EnterAndEscNeverStopARunAndEscClosesAnIdleWindow)
{
    server.neverAnswer();
    openShop({1});
    myPreference().setPromptConnection(0);
    w->show();
    QApplication::setActiveWindow(w);
    QTest::mouseClick(w->Command1[0], Qt::LeftButton);
    ASSERT_TRUE(server.waitForRequests(1, 3000));
    for (QWidget *target : std::initializer_list<QWidget *>{w->txtKeyword, w->txtPageLinks, w->Command1[0], w->Command4}) {
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
            target->setFocus();
            QTest::keyClick(target, key);
            EXPECT_TRUE(w->ranking().isRunning()) << target->metaObject()->className() << ' ' << key;
        }
    }
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->Command1[0]->text(), u"&Stop"_s);
    EXPECT_FALSE(w->Command1[0]->isDefault());
    EXPECT_EQ(cell(1, 3), u"Connecting to server ..."_s);
    EXPECT_TRUE(env.dialogs.shown().isEmpty());

    QTest::mouseClick(w->Command1[0], Qt::LeftButton);
    EXPECT_FALSE(w->ranking().isRunning());
    EXPECT_TRUE(w->Command1[0]->isDefault());
    QTest::keyClick(w->txtKeyword, Qt::Key_Escape);
    EXPECT_FALSE(w->isVisible());
    TestSupport::TestEnvironment::dropQueuedCalls();
    EXPECT_FALSE(frmRanking::loadedInstance());
    EXPECT_EQ(requestLines().size(), 1);
}

// Run 1 finds the site with all three engines. Run 2 ticks Alpha and Gamma, and Gamma's server
// redirects in a loop; Yes at its end makes the report at once. Reopened, the window gets the
// profile's ticks back: Beta, which the last run did not search, says so, and Gamma still failed.
TEST_F(RankingWindow, TheReportStatesOnlyWhatTheLastRunMeasured)
{
    openShop({1, 2, 3});
    ASSERT_TRUE(runAnswering(Platform::No));
    EXPECT_EQ(env.dialogs.prompts(), QStringList{QString::fromLatin1(kDone)});
    EXPECT_EQ(env.dialogs.shown()[0].style, int(Platform::YesNo | Platform::Information));
    EXPECT_EQ(status(), u"Search completed !"_s);
    EXPECT_TRUE(env.shellRequests.isEmpty());

    server.setHandler([this](QTcpSocket *client, const QByteArray &request) {
        const QByteArray path = requestPath(request);
        if (!path.startsWith("/gamma/"))
            return answer(client, request);
        client->write(TestSupport::LoopbackServer::httpReply(
            302, "", path.startsWith("/gamma/1") ? "Location: /gamma/b\r\n" : "Location: /gamma/1?q=web+tools\r\n"));
        client->disconnectFromHost();
    });
    toggleTick(2);
    ASSERT_EQ(w->engineRow(2)->checkState(0), Qt::Unchecked);
    ASSERT_TRUE(runAnswering(Platform::Yes));
    EXPECT_EQ(env.shellRequests.size(), 1);
    EXPECT_EQ(status(), u"Ranking report created."_s);
    EXPECT_EQ(columns(1) + u'/' + columns(3), u"3|14|Completed/0||Failed"_s);
    QByteArray html = report();
    EXPECT_TRUE(html.contains("<td><font face=arial size=2>0 - <a href=\"#Gamma\">Details</a></font></td>\r\n"
                              "<td><font face=arial size=2></font></td>\r\n<td width= 20%><font face=arial size=2>Failed"));
    EXPECT_FALSE(html.contains("Not Found"));
    EXPECT_FALSE(html.contains("#Beta"));

    w->close();
    TestSupport::TestEnvironment::dropQueuedCalls();
    open();
    ASSERT_EQ(w->engineRow(2)->checkState(0), Qt::Checked);
    w->show();
    QApplication::setActiveWindow(w);
    QTest::mouseClick(w->Command1[1], Qt::LeftButton);
    EXPECT_EQ(columns(1) + u'/' + columns(2) + u'/' + columns(3), u"3|14|Completed/0||Not searched/0||Failed"_s);
    html = report();
    EXPECT_EQ(html.count("Not searched"), 1);
    EXPECT_EQ(html.count("Failed"), 1);
    EXPECT_FALSE(html.contains("Not Found"));
    EXPECT_TRUE(html.contains("<b>Page: 2 Position: 14</b>"));
    // The focus stays on "&Get Report": Enter makes the report again, it never closes the window.
    EXPECT_EQ(QApplication::focusWidget(), w->Command1[1]);
    QTest::keyClick(w->Command1[1], Qt::Key_Return);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(env.shellRequests.size(), 3);
}

// Every engine fails: the end box names each engine's reason and offers no report, and
// "&Get Report" then keeps the recorded report, and the pages it links to, rather than write
// one with no page.
TEST_F(RankingWindow, WhenEveryEngineFailsNoReportIsOfferedOrWritten)
{
    writeEngines({{"Alpha Search", "Link", "http://127.0.0.1:1"}, {"Beta", "Link", "https://127.0.0.1:1"}});
    writeProfile({1, 2});
    const QStringList kept = {u"Alpha Search[1].html"_s, u"Shop.html"_s, u"beta1.html"_s};
    for (const QString &file : kept)
        TestSupport::TestEnvironment::writeFile(folder() + file, "recorded report");
    open();
    ASSERT_TRUE(runAnswering(Platform::Ok));
    ASSERT_EQ(env.dialogs.shown().size(), 1);
    const QString box = env.dialogs.shown()[0].prompt;
    EXPECT_TRUE(box.startsWith(u"No engine could be searched, so there is no ranking report to view.\r\n\r\n"
                               u"Alpha Search: "_s)) << box.toStdString();
    EXPECT_TRUE(box.contains(u"\r\nBeta: "_s)) << box.toStdString();
    EXPECT_EQ(env.dialogs.shown()[0].style, int(Platform::Exclamation));
    EXPECT_EQ(status(), u"No engine could be searched."_s);
    EXPECT_EQ(columns(1) + u'/' + columns(2), u"0||Failed/0||Failed"_s);

    env.dialogs.answerMessage(Platform::Ok);
    clickOn(w->Command1[1]);
    EXPECT_TRUE(env.dialogs.prompts().constLast().startsWith(u"No result page of the last search was found"_s));
    EXPECT_EQ(report(), "recorded report");
    EXPECT_EQ(folderFiles(), (QStringList{kept[0], kept[1], u"[run].ini"_s, kept[2]}));
    EXPECT_TRUE(env.shellRequests.isEmpty());
    EXPECT_EQ(status(), u"No ranking report was created."_s);
    EXPECT_TRUE(w->Command1[0]->isEnabled() && w->Command1[1]->isEnabled());
}

// A folder from before the page names changed: its pages are read under their old names and
// the report links to them; a failed start says so in the status line.
TEST_F(RankingWindow, AFolderOfAnEarlierVersionIsReadUnderItsOldPageNames)
{
    openShop({1, 2});
    for (int page = 1; page <= 3; ++page)
        TestSupport::TestEnvironment::writeFile(folder() + u"alpha search%1.html"_s.arg(page),
                                                resultPage(page, 3, "alpha-search", 2, 4));
    TestSupport::TestEnvironment::writeFile(folder() + u"beta1.html"_s, "<html>No results</html>");
    TestSupport::TestEnvironment::writeFile(folder() + u"Shop.html"_s, "recorded report");
    clickOn(w->Command1[1]);
    EXPECT_EQ(columns(1) + u'/' + columns(2), u"3|14|/1||"_s);
    const QByteArray html = report();
    EXPECT_TRUE(html.contains("<b>Page: 2 Position: 14</b>"));
    EXPECT_TRUE(html.contains("<a href=alpha%20search3.html>"));
    EXPECT_TRUE(html.contains("<li>No documents match the query !</blink><br>"));
    EXPECT_EQ(env.shellRequests.size(), 1);

    ASSERT_TRUE(QDir(folder()).removeRecursively());
    TestSupport::TestEnvironment::writeFile(folder().chopped(1), "a file where the folder goes");
    env.dialogs.answerMessage(Platform::Ok);
    myPreference().setPromptConnection(0);
    clickOn(w->Command1[0]);
    EXPECT_TRUE(env.dialogs.prompts().constLast().startsWith(u"RankingConnect_Error: "_s));
    EXPECT_EQ(status(), u"The search could not be started."_s);
}

// Mid-run the profile box and every field the run read take no click or key; Yes to the end
// question writes the run's own profile's report, and the other profile gets none.
TEST_F(RankingWindow, ARunOwnsItsProfileAndTheReportAtItsEnd)
{
    writeEngines({{"Alpha Search"}, {"Beta"}});
    TestSupport::TestEnvironment::writeFile(profileFile(), profileText("Shop", {1}) + profileText("Other", {2}));
    QList<QPair<QPointer<QTcpSocket>, QByteArray>> held;
    bool holding = true;
    server.setHandler([&](QTcpSocket *client, const QByteArray &request) {
        if (holding)
            held.append({client, request});
        else
            answer(client, request);
    });
    open();
    myPreference().setPromptConnection(0);
    clickOn(w->Command1[0]);
    ASSERT_TRUE(server.waitForRequests(1, 3000));
    clickOn(w->cboProfile);
    if (QAbstractItemView *list = w->cboProfile->view(); list->isVisible()) {
        QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Return);
    }
    QTest::keyClick(w->cboProfile, Qt::Key_Down);
    EXPECT_EQ(w->cboProfile->currentText(), u"Shop"_s);
    EXPECT_EQ(w->engineRow(1)->checkState(0), Qt::Checked);
    for (QWidget *input : std::initializer_list<QWidget *>{w->cboProfile, w->cboSiteURL, w->txtKeyword, w->Option1[1],
                                                            w->txtPageLinks, w->lsvRankingEngines})
        EXPECT_FALSE(input->isEnabled()) << input->metaObject()->className();

    holding = false;
    for (const auto &[client, request] : held) {
        if (client)
            answer(client, request);
    }
    env.dialogs.answerMessage(Platform::Yes);
    ASSERT_TRUE(Platform::waitUntil([this] { return !w->ranking().isRunning(); }, 8000));
    EXPECT_EQ(env.dialogs.prompts(), QStringList{QString::fromLatin1(kDone)});
    EXPECT_EQ(env.shellRequests, QStringList{u"open:"_s + folder() + u"Shop.html"_s});
    EXPECT_TRUE(report().contains("<b>Page: 2 Position: 14</b>"));
    EXPECT_EQ(profileValue(u"Shop"_s, u"ReportFile"_s), folder() + u"Shop.html"_s);
    EXPECT_TRUE(profileValue(u"Other"_s, u"ReportFile"_s).isEmpty() && profileValue(u"Other"_s, u"Date"_s).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(folder(u"Other"_s)));
    EXPECT_TRUE(w->cboProfile->isEnabled() && w->lsvRankingEngines->isEnabled());
}

// "Other" runs (Beta completes), then "Shop" (Alpha is stopped after its first page, Beta fails
// after its first): each profile's report tells how its own engines ended, also after the
// window is closed and opened again.
TEST_F(RankingWindow, StatusesBelongToTheirProfileAlsoAfterARestart)
{
    writeEngines({{"Alpha Search"}, {"Beta"}});
    TestSupport::TestEnvironment::writeFile(profileFile(), profileText("Shop", {1, 2}) + profileText("Other", {2}));
    bool shopRun = false;
    server.setHandler([&](QTcpSocket *client, const QByteArray &request) {
        const QByteArray path = requestPath(request);
        if (shopRun && path == "/alpha-search/2")
            return;   // silent until Stop
        if (shopRun && path == "/beta/2")
            return client->disconnectFromHost();   // closed without a reply
        answer(client, request);
    });
    open();
    TestSupport::chooseItem(w->cboProfile, 1);
    ASSERT_TRUE(runAnswering(Platform::No));
    EXPECT_EQ(columns(2), u"3||Completed"_s);

    shopRun = true;
    TestSupport::chooseItem(w->cboProfile, 0);
    EXPECT_EQ(columns(2), u"||"_s);   // Other's run is not Shop's
    myPreference().setPromptConnection(0);
    clickOn(w->Command1[0]);
    ASSERT_TRUE(Platform::waitUntil(
        [this] { return cell(2, 3) == u"Failed"_s && !requestLines().filter(u"/alpha-search/2 "_s).isEmpty(); }, 5000));
    clickOn(w->Command1[0]);   // Stop
    EXPECT_EQ(columns(1) + u'/' + columns(2), u"1||Cancelled/1||Failed"_s);

    for (int pass = 0; pass < 2; ++pass) {
        SCOPED_TRACE(pass == 0 ? "same window" : "reopened");
        reportOf(1);
        EXPECT_EQ(columns(1) + u'/' + columns(2), u"||/3|14|Completed"_s);
        const QByteArray other = TestSupport::TestEnvironment::readFile(folder(u"Other"_s) + u"Other.html"_s);
        EXPECT_TRUE(other.contains("Completed") && !other.contains("Failed"));
        reportOf(0);
        EXPECT_EQ(columns(1) + u'/' + columns(2), u"1||Cancelled/1||Failed"_s);
        EXPECT_FALSE(report().contains("Not Found"));
        w->close();
        TestSupport::TestEnvironment::dropQueuedCalls();
        open();
    }
    EXPECT_EQ(env.shellRequests.size(), 4);
}

// Beside the pages of "Top", ".Dot", "Web" (which fails) and "Gamma" (not ticked) lie files of
// every name shape. The run replaces the pages of the engines that saved a new first page, under
// both namings, and touches nothing else.
TEST_F(RankingWindow, OldPagesGoOnlyWhenReplacedAndOnlyTheProgramsOwn)
{
    writeEngines({{"Top"}, {".Dot"}, {"Web", "Link", "http://127.0.0.1:1"}, {"Gamma"}});
    writeProfile({1, 2, 3}, "1");
    const QStringList replaced = {u"Top[1].html"_s, u"Top[2].html"_s, u"top1.html"_s, u"top2.html"_s, u"top3.html"_s,
                                  u".Dot[1].html"_s, u".dot1.html"_s};
    QStringList kept = {u"Web[1].html"_s, u"web1.html"_s, u"web2024.html"_s, u"Gamma[1].html"_s, u"gamma1.html"_s,
                        u"Shop.html"_s, u"notes.html"_s, u"top10.html"_s, u"Top[4].html"_s, u"Top1.html"_s,
                        u"TOP[2].html"_s, u"top\u0664.html"_s, u"top01.html"_s, u".top1.html"_s, u"topaz1.html"_s,
                        u"Topaz[1].html"_s, u".dot[2].html"_s};
    for (const QString &file : replaced + kept)
        TestSupport::TestEnvironment::writeFile(folder() + file, "earlier");
    open();
    ASSERT_TRUE(runAnswering(Platform::No));
    EXPECT_EQ(columns(1) + u'/' + columns(2) + u'/' + columns(3), u"1||Completed/1||Completed/0||Failed"_s);
    kept += {u"Top[1].html"_s, u".Dot[1].html"_s, u"[run].ini"_s};
    kept.sort();
    EXPECT_EQ(folderFiles(), kept);
    EXPECT_TRUE(TestSupport::TestEnvironment::readFile(pageFile(u"Top"_s, 1)).contains("/top/2"));
    EXPECT_TRUE(TestSupport::TestEnvironment::readFile(pageFile(u".Dot"_s, 1)).contains("/.dot/2"));
}

// Profile "web2" names its report as an earlier version named page 2 of engine "Web": the report
// is neither read nor removed as a page.
TEST_F(RankingWindow, TheReportIsNeverAPage)
{
    writeEngines({{"Web"}});
    TestSupport::TestEnvironment::writeFile(profileFile(), profileText("web2", {1}));
    for (const QString &file : {u"web1.html"_s, u"web2.html"_s, u"web3.html"_s})
        TestSupport::TestEnvironment::writeFile(folder(u"web2"_s) + file, resultPage(1, 3, "web", 1, 4));
    open();
    clickOn(w->Command1[1]);
    EXPECT_EQ(columns(1), u"1|4|"_s);
    pagesServed = 1;
    ASSERT_TRUE(runAnswering(Platform::No));
    EXPECT_EQ(folderFiles(u"web2"_s),
              (QStringList{u"Web[1].html"_s, u"[run].ini"_s, u"web2.html"_s, u"web3.html"_s}));
}

// Pages whose every anchor names the site: the row lists the first positions and how many more,
// and the report lists a bounded share of the results.
TEST_F(RankingWindow, AReportOfHostilePagesStaysBounded)
{
    openShop();
    QByteArray page = "<!--results-->";
    for (int i = 1; i <= 600; ++i)
        page += "<a href=\"http://www.shop.example/p" + QByteArray::number(i) + "\">Shop</A>";
    for (int n = 1; n <= 3; ++n)
        TestSupport::TestEnvironment::writeFile(pageFile(u"Alpha Search"_s, n), page);
    clickOn(w->Command1[1]);
    EXPECT_EQ(columns(1), u"3|1, 2, 3, 4, 5, 6, 7, 8, 9, 10 and 1790 more|"_s);
    const QByteArray html = report();
    EXPECT_EQ(html.count("Position: "), AnchorBudget::kAnchors);
    EXPECT_TRUE(html.contains("<b>Page: 2 Position: 1000</b>"));
    EXPECT_TRUE(html.contains("<li>(200 more results of this page are not listed)<br>\r\n<br><b>Page 3: </b>"));
    EXPECT_TRUE(html.contains("<li>(600 more results of this page are not listed)<br>\r\n</ol>"));
}

} // namespace
