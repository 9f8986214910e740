// The engines page (filters, lists, counts) and the Engines menu, and the Submit command.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QToolBar>

#include "MainWindowFixture.h"
#include "core/modStartUp.h"
#include "platform/EventLoop.h"
#include "sitedata/EngineCollection.h"
#include "sitedata/EngineListView.h"
#include "submission/frmSubmit.h"

class EnginesPageTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        openWithProjects();
        ASSERT_TRUE(loadEngineFiles(crlf({
            "Name=Eng One", "Type=ENG", "Country=DE", "SiteLevel=1", "Adults=yes",
            "Name=Dir One", "Type=DIR", "Country=US", "Adults=no", "Category=C",
            "Name=Hot One", "Type=HOT", "Country=US", "AdultOnlySites=Y",
            "Name=Eng Two", "Type=ENG", "Country=KR", "Adults=N",
            "Name=Misc One", "Type=MIS", "Country=FR",
        })));
    }
    QStringList selectedNames() const
    {
        QStringList names;
        return w->lsvSelectedEngines->names();
    }
    QStringList engineNames() const
    {
        return w->lsvEngines->names();
    }
    void expectInStep() const
    {
        for (const clsEngines &engine : myEngines())
            EXPECT_EQ(engine.Selected, w->lsvSelectedEngines->contains(engine.Name)) << engine.Name.toStdString();
    }
    void highlight(EngineListView *list, const QStringList &names)
    {
        list->clearSelection();
        for (const QString &name : names)
            list->setHighlighted(name, true);
    }
    bool allBoxes(bool checked) const
    {
        for (QCheckBox *box : w->chkType)
            if (box->isChecked() != checked)
                return false;
        return true;
    }
};

TEST_F(EnginesPageTest, TypeBoxesSelectTheirTypeAndTheAllButtonsSetEveryBoxWithoutTheRule)
{
    clickOnEngines(w->chkType[1]);
    EXPECT_EQ(selectedNames(), (QStringList{QStringLiteral("Dir One"), QStringLiteral("Hot One")}));
    clickOnEngines(w->chkType[1]);
    EXPECT_TRUE(selectedNames().isEmpty());

    clickOnEngines(w->cmdSelectEngine[1]);
    EXPECT_EQ(selectedNames().size(), 5);
    EXPECT_TRUE(allBoxes(true));
    EXPECT_EQ(w->lsvSelectedEngines->headerCaption(0), QStringLiteral("Selected Engines (5)"));
    EXPECT_TRUE(w->m_bTypeClick);
    clickOnEngines(w->cmdRemoveEngine[1]);
    EXPECT_TRUE(selectedNames().isEmpty());
    EXPECT_TRUE(allBoxes(false));
    EXPECT_EQ(w->lsvSelectedEngines->headerCaption(0), QStringLiteral("Selected Engines (0)"));
    expectInStep();
}

TEST_F(EnginesPageTest, HighlightedEnginesMoveWithTheArrowButtons)
{
    highlight(w->lsvEngines, {QStringLiteral("Eng Two"), QStringLiteral("Misc One")});
    clickOnEngines(w->cmdSelectEngine[0]);
    EXPECT_EQ(selectedNames(), (QStringList{QStringLiteral("Eng Two"), QStringLiteral("Misc One")}));
    highlight(w->lsvSelectedEngines, {QStringLiteral("Eng Two")});
    clickOnEngines(w->cmdRemoveEngine[0]);
    EXPECT_EQ(selectedNames(), QStringList{QStringLiteral("Misc One")});
    expectInStep();
}

TEST_F(EnginesPageTest, CountryAdultAndNameSelectTheirEngines)
{
    QListWidgetItem *us = nullptr;
    for (int i = 0; i < w->lstCountry->count(); ++i)
        if (w->lstCountry->item(i)->text().endsWith(QStringLiteral("(US)")))
            us = w->lstCountry->item(i);
    ASSERT_TRUE(us);
    showOnEnginesPage(w->lstCountry);
    TestSupport::clickRow(w->lstCountry, us);
    EXPECT_EQ(selectedNames(), (QStringList{QStringLiteral("Dir One"), QStringLiteral("Hot One")}));

    w->optAdultSite[0]->setChecked(true);
    EXPECT_EQ(selectedNames(), QStringList{QStringLiteral("Hot One")});
    clickOnEngines(w->cmdSelectEngine[1]);
    w->optAdultSite[1]->setChecked(true);
    EXPECT_FALSE(selectedNames().contains(QStringLiteral("Hot One")));
    EXPECT_FALSE(selectedNames().contains(QStringLiteral("Eng Two")));
    EXPECT_TRUE(selectedNames().contains(QStringLiteral("Eng One")));
    EXPECT_TRUE(selectedNames().contains(QStringLiteral("Misc One")));

    clickOnEngines(w->cmdRemoveEngine[1]);
    QTest::keyClicks(w->txtFindEngines, QStringLiteral("misc"));
    QTest::keyClick(w->txtFindEngines, Qt::Key_Return);
    EXPECT_EQ(selectedNames(), QStringList{QStringLiteral("Misc One")});
    // An empty find box takes the first engine.
    QTest::keyClick(w->txtFindEngines, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(w->txtFindEngines, Qt::Key_Backspace);
    QTest::keyClick(w->txtFindEngines, Qt::Key_Return);
    EXPECT_TRUE(selectedNames().contains(engineNames().first()));

    const QModelIndex engTwo = w->lsvEngines->model()->index(engineNames().indexOf(QStringLiteral("Eng Two")), 0);
    w->lsvEngines->scrollTo(engTwo);
    TestSupport::doubleClickAt(w->lsvEngines->viewport(), w->lsvEngines->visualRect(engTwo).center());
    EXPECT_TRUE(selectedNames().contains(QStringLiteral("Eng Two")));
    expectInStep();
}

TEST_F(EnginesPageTest, DeleteKeysRemoveOnlyHighlightedRowsAndKeepSelectedTrue)
{
    clickOnEngines(w->cmdSelectEngine[1]);
    highlight(w->lsvEngines, {QStringLiteral("Eng One")});
    QTest::keyClick(w->lsvEngines, Qt::Key_Delete);
    EXPECT_EQ(engineNames().size(), 4);
    EXPECT_EQ(w->lsvEngines->headerCaption(0), QStringLiteral("Engines (4)"));
    EXPECT_TRUE(myEngines().find(QStringLiteral("Eng One"))->Selected);
    expectInStep();
    // Unchecking its type still takes it out of the selection.
    clickOnEngines(w->chkType[0]);
    EXPECT_FALSE(selectedNames().contains(QStringLiteral("Eng One")));

    highlight(w->lsvSelectedEngines, {QStringLiteral("Misc One")});
    QTest::keyClick(w->lsvSelectedEngines, Qt::Key_Delete);
    EXPECT_FALSE(selectedNames().contains(QStringLiteral("Misc One")));
    EXPECT_TRUE(selectedNames().contains(QStringLiteral("Dir One")));
    expectInStep();
}

TEST_F(EnginesPageTest, EngineTypeListsTheCheckedBoxesInOrder)
{
    const struct { QList<int> boxes; const char *types; } cases[] = {
        {{}, ""}, {{1}, ",DIR"}, {{0, 5}, "ENG,HOT"}, {{0, 1, 2, 3, 4, 5, 6}, "ENG,DIR,FFA,NEWS,MALL,HOT,MIS"},
    };
    for (const auto &c : cases) {
        w->m_bTypeClick = false;
        for (int i = 0; i < 7; ++i)
            w->chkType[i]->setChecked(c.boxes.contains(i));
        EXPECT_EQ(w->getEngineType(), QString::fromLatin1(c.types));
    }
}

TEST_F(EnginesPageTest, SavingTheSelectionAddsTheExtensionAndAsksBeforeReplacing)
{
    click(QStringLiteral("Root\\Shops"));
    env.dialogs.answerMessage(Platform::Ok);
    choose(w->mnuEngineItems[0]);
    EXPECT_TRUE(env.dialogs.wasShown(QStringLiteral("No engines have been selected. Please select the engines you would like to save.")));

    clickOnEngines(w->cmdSelectEngine[1]);
    const QString folder = programPath(QStringLiteral("Engines/"));
    env.dialogs.answerFile(folder + QStringLiteral("list.eng"), 2);
    choose(w->mnuEngineItems[0]);
    EXPECT_TRUE(QFile::exists(folder + QStringLiteral("list.eng.txt")));
    env.dialogs.answerFile(folder + QStringLiteral("list"), 1);
    choose(w->mnuEngineItems[0]);
    EXPECT_TRUE(bytes(folder + QStringLiteral("list.eng")).startsWith("Eng One\r\n"));
    EXPECT_EQ(env.dialogs.shown().last().defaultText, folder);

    clickOnEngines(w->cmdRemoveEngine[1]);
    highlight(w->lsvEngines, {QStringLiteral("Dir One")});
    clickOnEngines(w->cmdSelectEngine[0]);
    env.dialogs.answerFile(folder + QStringLiteral("list.eng"), 1);
    env.dialogs.answerMessage(Platform::No);
    choose(w->mnuEngineItems[0]);
    EXPECT_TRUE(env.dialogs.wasShown(QStringLiteral("The file '") + folder
                                     + QStringLiteral("list.eng' already exists.\r\n\r\nDo you want to replace it?")));
    EXPECT_TRUE(bytes(folder + QStringLiteral("list.eng")).startsWith("Eng One\r\n"));
    EXPECT_TRUE(w->isEnabled());
}

TEST_F(EnginesPageTest, LoadingAListSavesTheSiteAndShowsTheEnginesPage)
{
    click(QStringLiteral("Root\\Shops\\Shop"));
    w->txtCity->setText(QStringLiteral("Edited City"));
    const QString list = programPath(QStringLiteral("Engines/mine.eng"));
    env.writeFile(list, "Misc One\r\nnobody\r\nDir One\r\n");
    env.dialogs.answerFile(list);
    choose(w->mnuEngineItems[1]);
    EXPECT_EQ(selectedNames(), (QStringList{QStringLiteral("Misc One"), QStringLiteral("Dir One")}));
    EXPECT_FALSE(w->SSTab3->isHidden());
    EXPECT_TRUE(w->SSTab1->isHidden());
    EXPECT_FALSE(w->toolbarButton(QStringLiteral("Save"))->isEnabled());
    EXPECT_EQ(siteValue(siteFile(QStringLiteral("Shop.vqs")), QStringLiteral("City")), QStringLiteral("Edited City"));
    expectInStep();
}

TEST_F(EnginesPageTest, FailedEnginesLoadOnlyWhenTheListExists)
{
    click(QStringLiteral("Root\\Shops"));
    env.dialogs.answerMessage(Platform::Ok);
    choose(w->mnuEngineItems[6]);
    ASSERT_EQ(env.dialogs.shown().size(), 1);
    EXPECT_EQ(env.dialogs.shown()[0].prompt, QStringLiteral("Failed engine list is empty."));
    EXPECT_EQ(env.dialogs.shown()[0].title, QStringLiteral("Load Engines"));
    EXPECT_TRUE(selectedNames().isEmpty());
    EXPECT_TRUE(w->SSTab3->isHidden());

    writeProgramFile(QStringLiteral("fail.eng"), "Hot One\r\n");
    choose(w->mnuEngineItems[6]);
    EXPECT_EQ(selectedNames(), QStringList{QStringLiteral("Hot One")});
    EXPECT_FALSE(w->SSTab3->isHidden());
}

TEST_F(EnginesPageTest, RulesAndExportFromTheMenu)
{
    click(QStringLiteral("Root\\Shops"));
    choose(w->mnuEngineItems[3]);
    EXPECT_EQ(selectedNames(), QStringList{QStringLiteral("Eng One")});
    choose(w->mnuEngineItems[4]);
    EXPECT_EQ(selectedNames(), QStringList{QStringLiteral("Dir One")});

    env.dialogs.answerMessage(Platform::No);
    choose(w->mnuEngineItems[8]);
    EXPECT_FALSE(QFile::exists(programPath(QStringLiteral("englist.htm"))));
    env.dialogs.answerMessage(Platform::Yes);
    choose(w->mnuEngineItems[8]);
    EXPECT_TRUE(QFile::exists(programPath(QStringLiteral("englist.htm"))));
    EXPECT_EQ(env.shellRequests, QStringList{QStringLiteral("open:") + programPath(QStringLiteral("englist.htm"))});

    // With the root current the menu does nothing.
    click(QStringLiteral("Root"));
    EXPECT_FALSE(offered(w->mnuEngines, w->mnuEngineItems[3]));
    EXPECT_EQ(selectedNames(), QStringList{QStringLiteral("Dir One")});
}

TEST_F(EnginesPageTest, ReloadEmptiesTheSelectionKeepsTheBoxesAndDoesNotRepeatCustomEngines)
{
    clickOnEngines(w->chkType[1]);
    const int customEngines = w->cboCustomEngines->count();
    w->RefreshEngineData();
    EXPECT_TRUE(selectedNames().isEmpty());
    EXPECT_TRUE(w->chkType[1]->isChecked());
    EXPECT_EQ(w->cboCustomEngines->count(), customEngines);
    EXPECT_EQ(engineNames().size(), 5);
    EXPECT_TRUE(w->StatusBar1->panelText(1).isEmpty());
    expectInStep();
    // Without both files nothing happens.
    QFile::remove(enginePath(QStringLiteral("catvqs.dat")));
    clickOnEngines(w->chkType[1]);
    clickOnEngines(w->chkType[1]);
    w->RefreshEngineData();
    EXPECT_FALSE(selectedNames().isEmpty());
}

TEST_F(EnginesPageTest, SubmitWithoutEnginesShowsTheEnginesPageAndWithEnginesOpensTheRun)
{
    click(QStringLiteral("Root\\Shops\\Shop"));
    env.dialogs.answerMessage(Platform::Ok);
    clickToolbar(QStringLiteral("Submit"));
    EXPECT_TRUE(env.dialogs.wasShown(QStringLiteral("There is no engine selected.\r\n\r\nPlease select the engines before start submitting.")));
    EXPECT_FALSE(w->SSTab3->isHidden());
    EXPECT_FALSE(w->toolbarButton(QStringLiteral("Save"))->isEnabled());

    clickOnEngines(w->cmdSelectEngine[1]);
    ProjectListPath = listFile();
    clickToolbar(QStringLiteral("SUBMIT"));
    frmSubmit *run = nullptr;
    for (QWidget *window : QApplication::topLevelWidgets())
        if (auto *candidate = qobject_cast<frmSubmit *>(window))
            run = candidate;
    ASSERT_TRUE(run);
    EXPECT_TRUE(run->isVisible());
    delete run;
    Platform::setBusyPointer(false);
}

TEST_F(EnginesPageTest, ANewWebSiteStartsWithNoEngineSelectedAndTheRulesSelectAgain)
{
    clickOnEngines(w->cmdSelectEngine[1]);
    ASSERT_EQ(selectedNames().size(), 5);
    click(QStringLiteral("Root\\Empty"));
    env.dialogs.answerInput(QStringLiteral("Fresh"));
    choose(w->mnuFileItems[3]);
    ASSERT_EQ(currentKey(), QStringLiteral("Root\\Empty\\Fresh"));
    EXPECT_TRUE(selectedNames().isEmpty());
    expectInStep();
    // No engine is still taken for selected: the rules list them again.
    ASSERT_TRUE(w->chkType[0]->isChecked());
    clickOnEngines(w->chkType[0]);
    EXPECT_TRUE(selectedNames().isEmpty());
    clickOnEngines(w->chkType[0]);
    EXPECT_EQ(selectedNames(), (QStringList{QStringLiteral("Eng One"), QStringLiteral("Hot One"), QStringLiteral("Eng Two")}));
    clickOnEngines(w->cmdSelectEngine[1]);
    EXPECT_EQ(selectedNames().size(), 5);
    expectInStep();
}
