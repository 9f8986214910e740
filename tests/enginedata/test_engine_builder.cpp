// The engine builder window offscreen: saving the controls into records, loading them back, the
// row editing, the toolbar commands, the page fetch from a server on 127.0.0.1 and closing.
#include "support/FailingWrites.h"
#include "support/LoopbackServer.h"
#include "support/UserInput.h"
#include "sitedata/MainObjectFixture.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QToolBar>

#include "core/clsPreference.h"
#include "core/modCommon.h"
#include "enginedata/EngineDefinition.h"
#include "enginedata/frmEngineBuilder.h"
#include "platform/CommonControls.h"
#include "platform/EventLoop.h"
#include "platform/KeyedListView.h"
#include "sitedata/EngineCollection.h"
#include "transport/frmHTTP.h"

using namespace Qt::StringLiterals;
using TestSupport::LoopbackServer;
using TestSupport::TestEnvironment;
using TestSupport::clickOn;

namespace {

constexpr int kWaitMs = 8000;

class Builder : public MainObjectTest {
protected:
    void SetUp() override
    {
        MainObjectTest::SetUp();
        writeProgramFile(u"cat.vqs"_s, crlf({"Lines before any main category give no row", "[Arts]", "Music", "Theatre",
                                             "[Shopping]", "Music", "Shopping", "Retail", "[]"}));
        myPreference().setTimeOut(2);
        openBuilder();
    }
    void TearDown() override
    {
        env.dialogs.acceptAllMessages();
        if (frmEngineBuilder *open = frmEngineBuilder::loadedInstance())
            open->close();
        TestEnvironment::dropQueuedCalls();
        myEngines().clear();
        MainObjectTest::TearDown();
    }

    // The shown window, as the user meets it.
    void openBuilder()
    {
        b = frmEngineBuilder::instance();
        EXPECT_TRUE(TestSupport::showWindow(b));
    }
    // The toolbar button of a command: "New", "Save", "Delete", "Merge" or "Exit".
    void press(const QString &key)
    {
        for (QAction *action : b->Toolbar1Buttons) {
            if (action->data().toString() == key)
                return TestSupport::clickOn(b->Toolbar1->widgetForAction(action));
        }
        ADD_FAILURE() << "no toolbar button " << key.toStdString();
    }
    void chooseMenu(QAction *item) { TestSupport::chooseFromMenuBar(b->findChild<QMenuBar *>(), item); }
    void clickDataField(const QString &key)
    {
        TestSupport::clickTab(b->SSTab1, frmEngineBuilder::FieldsTab);
        TestSupport::clickRow(b->lsvDataFields, b->lsvDataFields->rowByKey(key));
    }
    void fill(const QString &name, const QString &action = u"http://www.shop.example/cgi-bin/add"_s)
    {
        b->txtEngineName->setText(name);
        b->txtAction->setText(action);
    }
    bool saveNew(const QString &name)
    {
        press(u"New"_s);   // answered by the queued input
        fill(name);
        return b->saveEngineData();
    }
    QStringList engineNames() const
    {
        QStringList names;
        for (int i = 0; i < b->lstEngines->count(); ++i)
            names << b->lstEngines->item(i)->text();
        return names;
    }
    const CustomEngineRecord &record(int entry) const
    {
        return b->store().records().at(b->lstEngines->item(entry)->data(Qt::UserRole).toLongLong());
    }
    QTreeWidgetItem *mapping(const QString &key) const { return b->lsvCategory->rowByKey(key); }
    void closeBuilder()
    {
        b->close();
        TestEnvironment::dropQueuedCalls();
    }
    QByteArray customFile() const { return TestEnvironment::readFile(enginePath(u"vqzengc.dat"_s)); }

    frmEngineBuilder *b = nullptr;
};

} // namespace

TEST_F(Builder, LoadFillsTheListsAndDefaults)
{
    QStringList rows;
    for (QTreeWidgetItem *row : b->lsvCategory->rows())
        rows << Platform::itemKey(row) + u"|"_s + row->text(0) + u"|"_s + itemImageKey(row);
    EXPECT_EQ(rows, QStringList({u"Arts|Arts|TickOff"_s, u"Music|Arts >> Music|TickOff"_s, u"Theatre|Arts >> Theatre|TickOff"_s,
                                 u"Shopping|Shopping|TickOff"_s, u"Retail|Shopping >> Retail|TickOff"_s}));
    EXPECT_EQ(b->cboCategory->currentText(), u"Yes"_s);
    EXPECT_EQ(b->cboEngineType->currentText(), u"General Engine"_s);
    EXPECT_EQ(b->cboSiteLevel->currentText(), u"1"_s);
    EXPECT_EQ(b->lblEngines->text(), u"Engines: 0"_s);
    EXPECT_EQ(b->SSTab1->count(), 4);
}

TEST_F(Builder, RefusedSavesShowTheirMessageAndChangeNothing)
{
    const struct { const char *name, *action, *siteLevel, *prompt; int tab; } cases[] = {
        {"  ", "http://x.example/", "1", "Please enter engine name.", frmEngineBuilder::SourceTab},
        {"Shop]s", "http://x.example/", "1", "An engine name cannot contain ']'.", -1},
        {"Shop", "/cgi-bin/add", "1", "Invalid Action Field ! Please make sure to use FULL URL path.", frmEngineBuilder::FieldsTab},
        {"Shop", "http://x.example/", "abc", "saveEngineData_Error:", -1},
        {"Shop", "http://x.example/", "40000", "saveEngineData_Error:", -1},
    };
    env.dialogs.acceptAllMessages();
    for (const auto &c : cases) {
        env.dialogs.clearLog();
        b->SSTab1->setCurrentIndex(frmEngineBuilder::SettingsTab);
        fill(QLatin1String(c.name), QLatin1String(c.action));
        b->cboSiteLevel->setEditText(QLatin1String(c.siteLevel));
        EXPECT_FALSE(b->saveEngineData());
        ASSERT_EQ(env.dialogs.shown().size(), 1);
        EXPECT_TRUE(env.dialogs.shown()[0].prompt.startsWith(QLatin1String(c.prompt))) << c.prompt;
        EXPECT_EQ(b->SSTab1->currentIndex(), c.tab < 0 ? int(frmEngineBuilder::SettingsTab) : c.tab);
        EXPECT_EQ(b->lstEngines->count(), 0);
        EXPECT_TRUE(b->store().records().isEmpty());
    }
}

TEST_F(Builder, ModeFollowsRequestCategoryTypeAndMappedRows)
{
    const struct { int requestCategory, type; const char *mapped, *mode; } cases[] = {
        {1, 2, "", "F"}, {1, 1, "", "Y"}, {0, 1, "", "N"}, {0, 2, "Tunes", "Y"}, {1, 2, "Tunes", "Y"},
    };
    int n = 0;
    for (const auto &c : cases) {
        b->ClearFields();
        fill(u"Engine "_s + QString::number(++n));
        TestSupport::clickTab(b->SSTab1, frmEngineBuilder::FieldsTab);
        TestSupport::chooseItem(b->cboCategory, c.requestCategory);
        TestSupport::clickTab(b->SSTab1, frmEngineBuilder::SettingsTab);
        TestSupport::chooseItem(b->cboEngineType, c.type);
        b->setCategoryData(c.mapped[0] ? u"Music="_s + QLatin1String(c.mapped) : QString());
        ASSERT_TRUE(b->saveEngineData());
        EXPECT_EQ(b->store().records().last().Category, QLatin1String(c.mode)) << n;
        EXPECT_EQ(b->store().records().last().CategoryData, c.mapped[0] ? u"Music=Tunes"_s : QString());
    }
}

TEST_F(Builder, LoadedRecordsShowAndSaveBackTheirModes)
{
    // The builder cannot express "C" or "G": they show as No and save as "N".
    const struct { const char *mode, *type, *shown, *saved; } cases[] = {
        {"F", "FFA", "Yes", "F"}, {"Y", "DIR", "Yes", "Y"}, {"C", "DIR", "No", "N"}, {"G", "ENG", "No", "N"},
    };
    for (const auto &c : cases) {
        CustomEngineRecord r;
        r.Name = QLatin1String(c.mode) + u" engine"_s;
        r.Category = QLatin1String(c.mode);
        r.Type = QLatin1String(c.type);
        r.Action = u"http://x.example/"_s;
        r.SiteLevel = 4;
        b->store().records() = {r};
        b->getEngineData(0);
        EXPECT_EQ(b->cboCategory->currentText(), QLatin1String(c.shown)) << c.mode;
        EXPECT_EQ(b->cboSiteLevel->currentText(), u"4"_s);
        b->lstEngines->clear();
        b->store().records().clear();
        ASSERT_TRUE(b->saveEngineData());
        EXPECT_EQ(b->store().records().last().Category, QLatin1String(c.saved)) << c.mode;
    }
}

TEST_F(Builder, UrlsGetASchemeAndAnEngineSavedUnderAnotherCaseIsUpdated)
{
    fill(u"Shop"_s);
    b->txtEngineURL->setText(u"example.com"_s);
    b->txtSubmitURL->setText(u"ftp://x"_s);
    ASSERT_TRUE(b->saveEngineData());
    EXPECT_EQ(b->txtEngineURL->text(), u"http://example.com"_s);
    EXPECT_EQ(b->txtSubmitURL->text(), u"ftp://x"_s);
    EXPECT_EQ(b->lstEngines->currentRow(), 0);

    fill(u"SHOP"_s, u"http://shop.example/v2"_s);
    ASSERT_TRUE(b->saveEngineData());
    EXPECT_EQ(engineNames(), QStringList({u"Shop"_s}));
    EXPECT_EQ(record(0).Name, u"SHOP"_s);
    EXPECT_EQ(record(0).Action, u"http://shop.example/v2"_s);
    EXPECT_EQ(b->lblEngines->text(), u"Engines: 1"_s);
    closeBuilder();
    EXPECT_TRUE(customFile().startsWith("Name=SHOP\r\n"));
}

TEST_F(Builder, QueryRowsKeepTheirStoredValuesUntilTheUserChangesOne)
{
    b->setQueryData(u"a=1&bare&c=x=y"_s);
    ASSERT_EQ(b->lsvDataFields->rows().size(), 2);
    EXPECT_EQ(b->lsvDataFields->rowByKey(u"c"_s)->text(1), u"x=y"_s);

    const QString stored = u"p=%2F&q=a+b&r=%25&e=<EMAIL>"_s;
    b->setQueryData(stored);
    fill(u"Round Trip"_s);
    ASSERT_TRUE(b->saveEngineData());
    EXPECT_EQ(record(0).Query, stored);

    clickDataField(u"q"_s);
    EXPECT_EQ(b->txtValue->text(), u"a b"_s);
    clickOn(b->cmdUpdate[0]);   // shown text unchanged: the stored form stays
    clickDataField(u"r"_s);
    EXPECT_EQ(b->txtValue->text(), u"%"_s);
    b->txtValue->setText(u"x/y z"_s);
    QTest::keyClick(b->txtValue, Qt::Key_Return);
    clickDataField(u"e"_s);
    b->txtFieldName->setText(u"mail"_s);
    clickOn(b->cmdUpdate[0]);
    ASSERT_TRUE(b->saveEngineData());
    EXPECT_EQ(record(0).Query, u"p=%2F&q=a+b&r=x%2Fy+z&mail=<EMAIL>"_s);
}

TEST_F(Builder, MappingRowsFollowTheCategoryStringAndTheEditors)
{
    b->setCategoryData(u"Gone=1>Music=Tunes>Retail=Shops>"_s);
    EXPECT_EQ(mapping(u"Music"_s)->text(1), u"Tunes"_s);
    EXPECT_EQ(itemImageKey(mapping(u"Retail"_s)), u"Tick"_s);
    EXPECT_TRUE(errorLog().contains("Gone"));

    TestSupport::clickTab(b->SSTab1, frmEngineBuilder::CategoryTab);
    TestSupport::clickRow(b->lsvCategory, mapping(u"Theatre"_s));
    EXPECT_EQ(b->txtDefaultCategory->text(), u"Arts >> Theatre"_s);
    EXPECT_EQ(b->txtEngineCategory->text(), u"Theatre"_s);
    clickOn(b->cmdUpdateCategory);
    EXPECT_EQ(itemImageKey(mapping(u"Theatre"_s)), u"Tick"_s);

    b->lsvCategory->clearSelection();
    mapping(u"Music"_s)->setSelected(true);
    mapping(u"Retail"_s)->setSelected(true);
    b->lsvCategory->setFocus();
    QTest::keyClick(b->lsvCategory, Qt::Key_Delete);
    for (const QString &key : {u"Music"_s, u"Retail"_s}) {
        EXPECT_TRUE(mapping(key)->text(1).isEmpty());
        EXPECT_EQ(itemImageKey(mapping(key)), u"TickOff"_s);
    }
    fill(u"Mapped"_s);
    ASSERT_TRUE(b->saveEngineData());
    EXPECT_EQ(record(0).CategoryData, u"Theatre=Theatre"_s);
}

TEST_F(Builder, RowActionsWithoutAValidSelectionDoNothing)
{
    b->setQueryData(u"a=1&b=2"_s);
    b->setCategoryData(u"Music=Tunes"_s);
    b->lsvDataFields->clearSelection();
    b->lsvCategory->clearSelection();
    b->txtEngineCategory->setText(u"Changed"_s);
    TestSupport::clickTab(b->SSTab1, frmEngineBuilder::FieldsTab);
    clickOn(b->cmdUpdate[1]);
    TestSupport::clickTab(b->SSTab1, frmEngineBuilder::CategoryTab);
    clickOn(b->cmdUpdateCategory);
    EXPECT_EQ(b->lsvDataFields->rows().size(), 2);
    EXPECT_EQ(mapping(u"Music"_s)->text(1), u"Tunes"_s);

    clickDataField(u"a"_s);
    clickOn(b->cmdUpdate[1]);
    b->txtFieldName->setText(u"a"_s);
    b->txtValue->setText(u"9"_s);
    clickOn(b->cmdUpdate[0]);   // the remembered row has gone
    ASSERT_EQ(b->lsvDataFields->rows().size(), 1);
    EXPECT_EQ(b->lsvDataFields->rows()[0]->text(1), u"2"_s);

    b->txtFieldName->clear();
    env.dialogs.answerMessage(Platform::Ok);
    clickOn(b->cmdUpdate[0]);
    EXPECT_EQ(env.dialogs.shown().last().title, u"Update"_s);
}

TEST_F(Builder, ATagThatNeverClosesStopsGetFieldsAndKeepsTheRowsSoFar)
{
    modCommon::setMultiLineText(b->txtSource, u"<form action=http://x.example/>\r\n<input name=url>\r\n<input name=open"_s);
    env.dialogs.answerMessage(Platform::Ok);
    clickOn(b->cmdGetFields);
    EXPECT_EQ(env.dialogs.shown().last().title, QLatin1String(Platform::kApplicationTitle));
    EXPECT_EQ(b->lsvDataFields->rows().size(), 1);
    EXPECT_EQ(b->txtAction->text(), u"http://x.example/"_s);
    EXPECT_EQ(b->SSTab1->currentIndex(), int(frmEngineBuilder::SourceTab));
    EXPECT_EQ(b->cboCategory->currentText(), u"Yes"_s);
    EXPECT_TRUE(b->cmdGetFields->isEnabled());
}

TEST_F(Builder, NewRefusesMainDatabaseNamesAndAcceptsCustomOnes)
{
    auto engine = std::make_unique<clsEngines>();
    engine->Name = u"Falcon Search"_s;
    myEngines().add(std::move(engine));
    env.dialogs.answerInput(u"FALCON search"_s);
    env.dialogs.answerMessage(Platform::Ok);
    press(u"New"_s);
    EXPECT_EQ(env.dialogs.shown().last().title, u"New Engine"_s);
    EXPECT_TRUE(b->txtEngineName->text().isEmpty());

    env.dialogs.answerInput(u" Shop "_s);
    ASSERT_TRUE(saveNew(u"Shop"_s));
    env.dialogs.answerInput(u"shop"_s);
    chooseMenu(b->mnuFileItems[0]);
    EXPECT_EQ(b->txtEngineName->text(), u"shop"_s);
    EXPECT_EQ(b->SSTab1->currentIndex(), int(frmEngineBuilder::SourceTab));
    fill(u"shop"_s, u"http://shop.example/new"_s);
    chooseMenu(b->mnuFileItems[2]);
    EXPECT_EQ(engineNames(), QStringList({u"Shop"_s}));
    EXPECT_EQ(record(0).Action, u"http://shop.example/new"_s);
}

TEST_F(Builder, DeletingRenumbersTheEntriesAndClosingWritesTheRest)
{
    for (const QString &name : {u"One"_s, u"Two"_s, u"Three"_s}) {
        env.dialogs.answerInput(name);
        ASSERT_TRUE(saveNew(name));
        b->txtLanguage->setText(name + u" language"_s);
        ASSERT_TRUE(b->saveEngineData());
    }
    TestSupport::clickRow(b->lstEngines, b->lstEngines->item(0));
    env.dialogs.answerMessage(Platform::Yes);
    press(u"Delete"_s);
    EXPECT_TRUE(env.dialogs.shown().last().prompt.endsWith(u"Are you sure you want delete this engine : One ?"_s));
    EXPECT_EQ(b->txtEngineName->text(), u"Two"_s);
    env.dialogs.answerInput(u"Four"_s);
    ASSERT_TRUE(saveNew(u"Four"_s));
    ASSERT_EQ(engineNames(), QStringList({u"Two"_s, u"Three"_s, u"Four"_s}));
    for (int i = 0; i < 3; ++i) {
        TestSupport::clickRow(b->lstEngines, b->lstEngines->item(i));
        EXPECT_EQ(b->txtEngineName->text(), engineNames()[i]);
    }
    EXPECT_EQ(b->txtLanguage->text(), QString());
    TestSupport::clickRow(b->lstEngines, b->lstEngines->item(1));
    EXPECT_EQ(b->txtLanguage->text(), u"Three language"_s);

    // With no entry selected the question names none and Yes does nothing.
    b->lstEngines->clearSelection();
    env.dialogs.answerMessage(Platform::Yes);
    press(u"Delete"_s);
    EXPECT_TRUE(env.dialogs.shown().last().prompt.endsWith(u"engine :  ?"_s));
    EXPECT_EQ(b->lstEngines->count(), 3);
    closeBuilder();
    CustomEngineStore written(env.engineDataFolder());
    written.load();
    ASSERT_EQ(written.records().size(), 3);
    EXPECT_EQ(written.records()[2].Name, u"Four"_s);
}

TEST_F(Builder, DeletingTheLastEntryEmptiesTheControlsAndLeavesNoFiles)
{
    closeBuilder();
    env.writeFile(enginePath(u"vqzengc.dat"_s), crlf({"Name=Only", "Action=http://only.example/"}));
    openBuilder();
    ASSERT_EQ(engineNames(), QStringList({u"Only"_s}));
    TestSupport::clickRow(b->lstEngines, b->lstEngines->item(0));
    EXPECT_EQ(b->txtAction->text(), u"http://only.example/"_s);
    env.dialogs.answerMessage(Platform::Yes);
    chooseMenu(b->mnuFileItems[3]);
    EXPECT_TRUE(b->txtEngineName->text().isEmpty());
    EXPECT_TRUE(b->txtAction->text().isEmpty());
    EXPECT_EQ(b->lblEngines->text(), u"Engines: 0"_s);
    closeBuilder();
    EXPECT_FALSE(QFile::exists(enginePath(u"vqzengc.dat"_s)));
    EXPECT_FALSE(QFile::exists(enginePath(u"catcus.dat"_s)));
}

TEST_F(Builder, MergeAskedFirstAndExportAndHelpGoThroughTheShell)
{
    installSample();
    env.dialogs.answerInput(u"Shop"_s);
    ASSERT_TRUE(saveNew(u"Shop"_s));
    env.dialogs.answerMessage(Platform::No);
    press(u"Merge"_s);
    EXPECT_EQ(TestEnvironment::readFile(enginePath(u"vqzeng5.dat"_s)), sampleFile(u"vqzeng5.dat"_s));
    EXPECT_FALSE(QFile::exists(enginePath(u"vqzengc.dat"_s)));

    env.dialogs.answerMessage(Platform::Yes);
    env.dialogs.answerMessage(Platform::Ok);
    chooseMenu(b->mnuFileItems[5]);
    EXPECT_TRUE(env.dialogs.shown().last().prompt.startsWith(u"Merge engine data is completed."_s));
    EXPECT_TRUE(TestEnvironment::readFile(enginePath(u"vqzeng5.dat"_s)).contains("\r\nName=Shop\r\n"));

    chooseMenu(b->mnuFileItems[6]);
    EXPECT_EQ(TestEnvironment::readFile(programPath(u"nenglist.txt"_s)), QByteArray("Shop\r\n\r\n"));
    env.dialogs.answerMessage(Platform::Ok);
    chooseMenu(b->mnuHelpItems[0]);
    EXPECT_EQ(env.dialogs.shown().last().prompt, u"Help file is missing or could not be found."_s);
    writeProgramFile(u"vqzengb.hlp"_s, "help");
    chooseMenu(b->mnuHelpItems[0]);
    EXPECT_EQ(env.shellRequests, QStringList({u"open:"_s + programPath(u"nenglist.txt"_s), u"open:"_s + programPath(u"vqzengb.hlp"_s)}));
}

TEST_F(Builder, FetchedPageBecomesAnEngineThatTheEngineLoaderReads)
{
    installSample();
    const QByteArray page = TestEnvironment::readFile(QStringLiteral(VELQUIST_TEST_DATA_DIR "/forms/quoted.html"));
    LoopbackServer server;
    server.replyWith(LoopbackServer::httpReply(200, page));
    env.dialogs.answerMessage(Platform::Ok);
    clickOn(b->cmdGetSource);
    EXPECT_TRUE(env.dialogs.shown().last().prompt.startsWith(u"Please enter engine submit URL."_s));
    EXPECT_EQ(server.connectionCount(), 0);

    fill(u"Falcon Custom"_s, QString());
    b->txtSubmitURL->setText(u"http://"_s + server.hostPort() + u"/add.html"_s);
    clickOn(b->cmdGetSource);
    ASSERT_TRUE(Platform::waitUntil([this] { return !b->txtSource->toPlainText().isEmpty(); }, kWaitMs));
    EXPECT_TRUE(b->txtSource->toPlainText().startsWith(u"<form method=\"post\""_s));
    EXPECT_TRUE(b->StatusBar1->panelText(1).isEmpty());
    EXPECT_TRUE(b->cmdGetFields->isEnabled());
    clickOn(b->cmdGetFields);
    EXPECT_FALSE(b->cmdGetFields->isEnabled());
    EXPECT_EQ(b->SSTab1->currentIndex(), int(frmEngineBuilder::FieldsTab));
    EXPECT_EQ(b->cboMethod->currentText(), u"POST"_s);
    EXPECT_EQ(b->cboCategory->currentText(), u"No"_s);
    b->setCategoryData(u"Retail=Shops"_s);
    ASSERT_TRUE(b->saveEngineData());

    env.dialogs.answerMessage(Platform::Yes);
    env.dialogs.answerMessage(Platform::Ok);
    press(u"Merge"_s);
    ASSERT_TRUE(main->loadEngineCategory());
    ASSERT_TRUE(main->loadEngines());
    const clsEngines *merged = myEngines().find(u"falcon custom"_s);
    ASSERT_NE(merged, nullptr);
    EXPECT_EQ(merged->Action, u"http://www.falcon.example/cgi-bin/add.cgi"_s);
    // The rows come in the skeleton's order: one element of each kind per pass.
    EXPECT_EQ(merged->Query, u"title=<TITLE>&description=<DESCRIPTION>&category=<CATEGORY>&url=<URL>&email=<EMAIL>"
                             "&ref=home+page+%2F+top"_s);
    EXPECT_EQ(merged->CategoryData, u"Retail=Shops>"_s);
}

TEST_F(Builder, AFailedFetchClearsTheStatusAndALateReplyAfterClosingIsDropped)
{
    LoopbackServer server;
    server.replyWith(LoopbackServer::httpReply(404, "gone"));
    b->txtSubmitURL->setText(server.hostPort() + u"/missing.html"_s);
    env.dialogs.answerMessage(Platform::Ok);
    clickOn(b->cmdGetSource);
    ASSERT_TRUE(Platform::waitUntil([this] { return !env.dialogs.shown().isEmpty(); }, kWaitMs));
    EXPECT_EQ(b->StatusBar1->panelText(1), QString());
    EXPECT_TRUE(b->txtSource->toPlainText().isEmpty());

    QList<QTcpSocket *> clients;
    server.setHandler([&clients](QTcpSocket *client, const QByteArray &) { clients.append(client); });
    clickOn(b->cmdGetSource);
    ASSERT_TRUE(server.waitForRequests(2, kWaitMs));
    TestSupport::FailingWrites counting(1000, enginePath(u"vqzengc.dat"_s));
    env.dialogs.answerInput(u"Late"_s);
    ASSERT_TRUE(saveNew(u"Late"_s));
    const qsizetype shown = env.dialogs.shown().size();
    closeBuilder();
    EXPECT_EQ(frmEngineBuilder::loadedInstance(), nullptr);
    for (QTcpSocket *client : clients) {
        client->write(LoopbackServer::httpReply(200, "<form action=x><input name=a></form>"));
        client->disconnectFromHost();
    }
    Platform::waitUntil([] { return false; }, 500);
    EXPECT_EQ(frmEngineBuilder::loadedInstance(), nullptr);
    EXPECT_EQ(env.dialogs.shown().size(), shown);
    EXPECT_EQ(counting.attempts(), 1);
}

TEST_F(Builder, ClosingTheMainWindowClosesTheBuilderWhichWritesItsFiles)
{
    env.dialogs.answerInput(u"Kept"_s);
    ASSERT_TRUE(saveNew(u"Kept"_s));
    env.dialogs.acceptAllMessages();
    w->close();
    TestEnvironment::dropQueuedCalls();
    EXPECT_EQ(frmEngineBuilder::loadedInstance(), nullptr);
    EXPECT_TRUE(customFile().startsWith("Name=Kept\r\n"));
}

TEST_F(Builder, AMappingThatWouldNotReadBackIsRefusedWhenApplied)
{
    writeProgramFile(u"cat.vqs"_s, crlf({"[Arts]", "Music", "Key=Value"}));
    closeBuilder();
    openBuilder();
    TestSupport::clickTab(b->SSTab1, frmEngineBuilder::CategoryTab);
    const struct { const char *key, *typed, *kept; } cases[] = {
        {"Music", "Arts > Music", ""}, {"Key=Value", "Anything", ""}, {"Music", "Arts & Music", "Arts & Music"},
    };
    for (const auto &c : cases) {
        QTreeWidgetItem *row = mapping(QLatin1String(c.key));
        TestSupport::clickRow(b->lsvCategory, row);
        b->txtEngineCategory->clear();
        QTest::keyClicks(b->txtEngineCategory, QLatin1String(c.typed));
        env.dialogs.clearLog();
        if (!*c.kept)
            env.dialogs.answerMessage(Platform::Ok);
        clickOn(b->cmdUpdateCategory);
        EXPECT_EQ(env.dialogs.shown().size(), *c.kept ? 0 : 1) << c.typed;
        EXPECT_EQ(row->text(1), QLatin1String(c.kept)) << c.typed;
    }
}

TEST_F(Builder, SaveRefusesANameOfTheMainEngineDatabase)
{
    auto engine = std::make_unique<clsEngines>();
    engine->Name = u"Falcon Search"_s;
    myEngines().add(std::move(engine));
    TestSupport::clickTab(b->SSTab1, frmEngineBuilder::SettingsTab);
    fill(u"falcon SEARCH"_s);
    env.dialogs.answerMessage(Platform::Ok);
    press(u"Save"_s);
    ASSERT_EQ(env.dialogs.shown().size(), 1);
    EXPECT_TRUE(env.dialogs.shown()[0].prompt.startsWith(u"This engine name is already exsit"_s));
    EXPECT_EQ(b->SSTab1->currentIndex(), int(frmEngineBuilder::SourceTab));
    EXPECT_EQ(b->lstEngines->count(), 0);
    EXPECT_TRUE(b->store().records().isEmpty());
}

TEST_F(Builder, AHeaderClickOnTheDataFieldsKeepsTheStoredQueryOrder)
{
    TestSupport::clickTab(b->SSTab1, frmEngineBuilder::FieldsTab);
    b->setQueryData(u"b=2&url=<URL>&a=1"_s);
    for (int click = 0; click < 2; ++click)
        TestSupport::clickHeader(b->lsvDataFields, 0);
    fill(u"Ordered"_s);
    ASSERT_TRUE(b->saveEngineData());
    EXPECT_EQ(record(0).Query, u"b=2&url=<URL>&a=1"_s);
}

TEST_F(Builder, CustomFilesThatGiveNoEngineAreKeptAndOnlyAChangeRewritesThem)
{
    closeBuilder();
    const QByteArray utf16("\xFF\xFEN\0a\0m\0e\0=\0O\0n\0e\0\r\0\n\0", 22);
    const QByteArray categories = crlf({"[One]", "Music=Tunes"});
    env.writeFile(enginePath(u"vqzengc.dat"_s), utf16);
    env.writeFile(enginePath(u"catcus.dat"_s), categories);
    env.dialogs.answerMessage(Platform::Ok);
    openBuilder();
    ASSERT_EQ(env.dialogs.shown().size(), 1);
    EXPECT_TRUE(env.dialogs.shown()[0].prompt.startsWith(u"loadCustomEngineError: "_s));
    {
        TestSupport::FailingWrites counting(1000);
        closeBuilder();
        EXPECT_EQ(counting.attempts(), 0);
    }
    EXPECT_EQ(customFile(), utf16);
    EXPECT_EQ(TestEnvironment::readFile(enginePath(u"catcus.dat"_s)), categories);

    // A change is written, and the unreadable files are kept beside it.
    env.dialogs.answerMessage(Platform::Ok);
    openBuilder();
    env.dialogs.answerInput(u"Two"_s);
    ASSERT_TRUE(saveNew(u"Two"_s));
    closeBuilder();
    EXPECT_TRUE(customFile().startsWith("Name=Two\r\n"));
    EXPECT_EQ(TestEnvironment::readFile(enginePath(u"vqzengc.dat.bak"_s)), utf16);
    EXPECT_EQ(TestEnvironment::readFile(enginePath(u"catcus.dat.bak"_s)), categories);

    // Opened, browsed and closed: nothing is written.
    openBuilder();
    TestSupport::clickRow(b->lstEngines, b->lstEngines->item(0));
    TestSupport::FailingWrites counting(1000);
    closeBuilder();
    EXPECT_EQ(counting.attempts(), 0);
}

TEST_F(Builder, EscapeKeepsTheWindowAndTabLeavesTheSourceBox)
{
    b->txtEngineName->setFocus();
    QTest::keyClicks(b->txtEngineName, u"Unsaved"_s);
    QTest::keyClick(b->txtEngineName, Qt::Key_Escape);
    EXPECT_EQ(frmEngineBuilder::loadedInstance(), b);
    EXPECT_TRUE(b->isVisible());
    EXPECT_EQ(b->txtEngineName->text(), u"Unsaved"_s);

    modCommon::setMultiLineText(b->txtSource, u"<form>"_s);
    b->txtSource->setFocus();
    QTest::keyClick(b->txtSource, Qt::Key_Tab);
    EXPECT_EQ(b->txtSource->toPlainText(), u"<form>"_s);
    EXPECT_FALSE(b->txtSource->hasFocus());

    // Exit closes the window, which writes what was saved.
    fill(u"Kept"_s);
    press(u"Save"_s);
    press(u"Exit"_s);
    TestEnvironment::dropQueuedCalls();
    EXPECT_EQ(frmEngineBuilder::loadedInstance(), nullptr);
    EXPECT_TRUE(customFile().startsWith("Name=Kept\r\n"));
}

TEST(EngineDefinition, RefusalsComeInTheOrderTheUserMeetsThem)
{
    EngineDefinition::Controls c;
    c.action = u"http://x.example/"_s;
    c.siteLevel = u"3"_s;
    const auto inDatabase = [](const QString &name) { return name.compare(u"Taken"_s, Qt::CaseInsensitive) == 0; };
    const struct { const char *name, *action, *siteLevel, *maxTitle, *refusal; } cases[] = {
        {"", "", "x", "", "Please enter engine name."},
        {"a]b", "", "", "", "An engine name cannot contain ']'."},
        {"TAKEN", "", "", "", "This engine name is already exsit"},
        {"Free", "/relative", "", "", "Invalid Action Field !"},
        {"Free", "http://x/", "70000", "", "saveEngineData_Error:The site level"},
        {"Free", "http://x/", "2", "99999999999", "saveEngineData_Error:A maximum length"},
        {"Free", "http://x/", "2", "70 chars", ""},
    };
    for (const auto &k : cases) {
        c.name = QLatin1String(k.name);
        c.action = QLatin1String(k.action);
        c.siteLevel = QLatin1String(k.siteLevel);
        c.maxTitle = QLatin1String(k.maxTitle);
        const auto refused = EngineDefinition::refusal(c, inDatabase);
        EXPECT_EQ(refused ? refused->message.left(qsizetype(strlen(k.refusal))) : QString(), QLatin1String(k.refusal)) << k.name;
    }
    c.home = u"home.example"_s;
    c.fields = {{u"b"_s, u"2"_s}, {u"url"_s, u"<URL>"_s}};
    c.mappings = {{u"Arts"_s, QString()}, {u"Music"_s, u"Tunes"_s}};
    const CustomEngineRecord r = EngineDefinition::toRecord(c, CustomEngineRecord());
    EXPECT_EQ(r.Home, u"http://home.example"_s);
    EXPECT_EQ(r.Query, u"b=2&url=<URL>"_s);
    EXPECT_EQ(r.CategoryData, u"Music=Tunes"_s);
    EXPECT_EQ(r.Category, u"Y"_s);
    EXPECT_EQ(r.MaxTitle, 70);
    EXPECT_TRUE(EngineDefinition::mappingRefusal(u"A=B"_s, QString()).isEmpty());   // clearing is always fine
}

// After a merge and a restart the database holds the user's own engines: they stay editable,
// also deleted and made anew, while the vendor's names stay refused.
TEST_F(Builder, MergedEnginesStayEditableAfterARestart)
{
    installSample();
    env.dialogs.answerInput(u"Mine"_s);
    ASSERT_TRUE(saveNew(u"Mine"_s));
    env.dialogs.answerMessage(Platform::Yes);
    env.dialogs.answerMessage(Platform::Ok);
    press(u"Merge"_s);
    closeBuilder();
    ASSERT_TRUE(main->loadEngineCategory());
    ASSERT_TRUE(main->loadEngines());
    ASSERT_TRUE(myEngines().contains(u"mine"_s));
    openBuilder();
    const qsizetype shown = env.dialogs.shown().size();

    TestSupport::clickRow(b->lstEngines, b->lstEngines->item(0));
    TestSupport::clickTab(b->SSTab1, frmEngineBuilder::SettingsTab);
    b->txtLanguage->selectAll();
    QTest::keyClicks(b->txtLanguage, u"German"_s);
    press(u"Save"_s);
    EXPECT_EQ(env.dialogs.shown().size(), shown);
    EXPECT_EQ(record(0).Language, u"German"_s);

    env.dialogs.answerMessage(Platform::Yes);
    press(u"Delete"_s);
    ASSERT_EQ(b->lstEngines->count(), 0);
    env.dialogs.answerInput(u"MINE"_s);
    ASSERT_TRUE(saveNew(u"MINE"_s));
    EXPECT_EQ(engineNames(), QStringList{u"MINE"_s});
    closeBuilder();
    EXPECT_TRUE(customFile().startsWith("Name=MINE\r\n"));

    openBuilder();
    for (const QString &vendorName : {u"alpha search"_s, u"Beacon Search"_s}) {
        env.dialogs.answerInput(vendorName);
        env.dialogs.answerMessage(Platform::Ok);
        press(u"New"_s);
        EXPECT_EQ(env.dialogs.shown().last().title, u"New Engine"_s);
    }
}

// A merge after a load that could not read the custom file leaves both engine data files (and
// the engines merged into them before) as they were, and says why.
TEST_F(Builder, AMergeAfterAnUnreadableCustomFileChangesNoDatabaseFile)
{
    installSample();
    env.dialogs.answerInput(u"Mine"_s);
    ASSERT_TRUE(saveNew(u"Mine"_s));
    b->setCategoryData(u"Music=Tunes"_s);
    ASSERT_TRUE(b->saveEngineData());
    env.dialogs.answerMessage(Platform::Yes);
    env.dialogs.answerMessage(Platform::Ok);
    press(u"Merge"_s);
    closeBuilder();
    const QByteArray database = TestEnvironment::readFile(enginePath(u"vqzeng5.dat"_s));
    const QByteArray categoryData = TestEnvironment::readFile(enginePath(u"catvqs.dat"_s));
    ASSERT_TRUE(database.contains("Name=Mine\r\n"));

    const QByteArray utf16("\xFF\xFEN\0a\0m\0e\0=\0M\0i\0n\0e\0\r\0\n\0", 24);
    env.writeFile(enginePath(u"vqzengc.dat"_s), utf16);
    env.dialogs.answerMessage(Platform::Ok);
    openBuilder();
    ASSERT_EQ(b->lstEngines->count(), 0);
    env.dialogs.answerMessage(Platform::Yes);
    env.dialogs.answerMessage(Platform::Ok);
    press(u"Merge"_s);
    EXPECT_TRUE(env.dialogs.shown().last().prompt.startsWith(u"mergeEngineFile_Error: the custom engine file could not be read"_s));
    EXPECT_EQ(TestEnvironment::readFile(enginePath(u"vqzeng5.dat"_s)), database);
    EXPECT_EQ(TestEnvironment::readFile(enginePath(u"catvqs.dat"_s)), categoryData);
    EXPECT_EQ(customFile(), utf16);
}

// Category items of the user's own file come back as they were read, also items holding ">",
// whether another engine or their own is saved; only an item the user changed is written anew.
TEST_F(Builder, UneditedCategoryItemsAreWrittenBackAsRead)
{
    const QByteArray categories = crlf({"[Hand]", "Music=Arts > Music", "  Theatre=Stage  ", "", ""});
    struct Case {
        const char *name;
        int entry;           // the engine saved
        const char *row;     // the mapping row given a value, or none
        const char *value;
        QByteArray written;
    };
    const Case cases[] = {
        {"another engine saved", 1, nullptr, nullptr, categories},
        {"its own engine saved unchanged", 0, nullptr, nullptr, categories},
        {"its own engine given a new mapping", 0, "Retail", "Shops",
         crlf({"[Hand]", "Music=Arts > Music", "  Theatre=Stage  ", "Retail=Shops", "", ""})},
        {"its own item changed", 0, "Music", "Tunes", crlf({"[Hand]", "Music=Tunes", "  Theatre=Stage  ", "", ""})},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        closeBuilder();
        env.writeFile(enginePath(u"vqzengc.dat"_s), crlf({"Name=Hand", "Category=Y", "Action=http://h.example/", "",
                                                          "Name=Other", "Category=N", "Action=http://o.example/"}));
        env.writeFile(enginePath(u"catcus.dat"_s), categories);
        openBuilder();
        TestSupport::clickRow(b->lstEngines, b->lstEngines->item(c.entry));
        if (c.entry == 0) {
            EXPECT_EQ(mapping(u"Music"_s)->text(1), u"Arts > Music"_s);
        }
        if (c.row) {
            TestSupport::clickTab(b->SSTab1, frmEngineBuilder::CategoryTab);
            TestSupport::clickRow(b->lsvCategory, mapping(QString::fromLatin1(c.row)));
            b->txtEngineCategory->selectAll();
            QTest::keyClicks(b->txtEngineCategory, QString::fromLatin1(c.value));
            clickOn(b->cmdUpdateCategory);
        }
        TestSupport::clickTab(b->SSTab1, frmEngineBuilder::SettingsTab);
        QTest::keyClicks(b->txtLanguage, u"French"_s);
        press(u"Save"_s);
        closeBuilder();
        EXPECT_EQ(TestEnvironment::readFile(enginePath(u"catcus.dat"_s)), c.written);
        EXPECT_TRUE(customFile().contains("Language=French\r\n"));
        openBuilder();
    }
}

// A merged engine the user deleted and merged away is the user's name again at once, in the
// next window and after a restart; an update whose engine database holds that name takes it.
TEST_F(Builder, ADeletedMergedEngineCanBeMadeAgainUntilTheDatabaseHoldsItsName)
{
    installSample();
    env.dialogs.answerInput(u"Mine"_s);
    ASSERT_TRUE(saveNew(u"Mine"_s));
    const auto merge = [this] {
        env.dialogs.answerMessage(Platform::Yes);
        env.dialogs.answerMessage(Platform::Ok);
        press(u"Merge"_s);
    };
    merge();
    closeBuilder();
    const auto restart = [this] { ASSERT_TRUE(main->loadEngineCategory() && main->loadEngines()); };
    restart();
    ASSERT_TRUE(myEngines().contains(u"mine"_s));
    openBuilder();
    TestSupport::clickRow(b->lstEngines, b->lstEngines->item(0));
    env.dialogs.answerMessage(Platform::Yes);
    press(u"Delete"_s);
    merge();
    ASSERT_FALSE(TestEnvironment::readFile(enginePath(u"vqzeng5.dat"_s)).contains("Name=Mine"));
    // New under the name: true when it is taken, false after the refusal's box.
    const auto newIsAccepted = [this](const QString &name, bool refusalExpected = false) {
        env.dialogs.clearLog();
        env.dialogs.answerInput(name);
        if (refusalExpected)
            env.dialogs.answerMessage(Platform::Ok);
        press(u"New"_s);
        const bool refused = env.dialogs.shown().size() == 2 && env.dialogs.shown()[1].title == u"New Engine"_s;
        return !refused && b->txtEngineName->text() == name;
    };
    EXPECT_TRUE(newIsAccepted(u"MINE"_s)) << "in the window that merged";
    closeBuilder();
    openBuilder();
    EXPECT_TRUE(newIsAccepted(u"mine"_s)) << "in the next window";
    closeBuilder();
    restart();
    openBuilder();
    EXPECT_TRUE(newIsAccepted(u"Mine"_s)) << "after a restart";
    closeBuilder();

    // An update brings an engine database that holds the name.
    writeEngineFile(u"vqzeng5.dat"_s, "Name=Mine\r\nAction=http://vendor.example/\r\nEND:Version 6.0\r\n");
    restart();
    openBuilder();
    EXPECT_FALSE(newIsAccepted(u"Mine"_s, true)) << "after an update";
}

// An own engine named like an engine of the engine database is saved and merged, and the user is
// told there that the program loads the database's engine of that name.
TEST_F(Builder, AnOwnEngineNamedLikeADatabaseEngineIsSaidAtSaveAndMerge)
{
    installSample();
    closeBuilder();
    env.writeFile(enginePath(u"vqzengc.dat"_s), crlf({"Name=Alpha Search", "Action=http://mine.example/", "",
                                                      "Name=Mine", "Action=http://m.example/"}));
    ASSERT_TRUE(main->loadEngineCategory() && main->loadEngines());
    openBuilder();
    const QString held = u"The engine database already holds an engine named \"Alpha Search\""_s;
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round == 0 ? "before the merge" : "after the merge and a restart");
        env.dialogs.clearLog();
        TestSupport::clickRow(b->lstEngines, b->lstEngines->item(1));
        env.dialogs.answerMessage(Platform::Ok);
        press(u"Save"_s);
        EXPECT_TRUE(env.dialogs.shown().isEmpty());
        TestSupport::clickRow(b->lstEngines, b->lstEngines->item(0));
        TestSupport::clickTab(b->SSTab1, frmEngineBuilder::SettingsTab);
        b->txtLanguage->setText(u"Mine"_s + QString::number(round));
        press(u"Save"_s);
        ASSERT_EQ(env.dialogs.shown().size(), 1);
        EXPECT_TRUE(env.dialogs.shown()[0].prompt.startsWith(held)) << env.dialogs.shown()[0].prompt.toStdString();
        EXPECT_EQ(record(0).Language, u"Mine"_s + QString::number(round));
        env.dialogs.answerMessage(Platform::Yes);
        env.dialogs.answerMessage(Platform::Ok);
        press(u"Merge"_s);
        EXPECT_TRUE(env.dialogs.shown().last().prompt.startsWith(u"Merge engine data is completed."_s));
        EXPECT_TRUE(env.dialogs.shown().last().prompt.contains(held));
        closeBuilder();
        ASSERT_TRUE(main->loadEngineCategory() && main->loadEngines());
        EXPECT_EQ(myEngines().find(u"Alpha Search"_s)->Action, u"http://www.alpha-search.example/cgi-bin/add"_s);
        openBuilder();
    }
}
