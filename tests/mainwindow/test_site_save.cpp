// Auto-save, Save and Save As, the window close, adding a web site file and importing web form data.
#include <gtest/gtest.h>

#include <functional>

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTabWidget>

#include "MainWindowFixture.h"
#include "support/FailingWrites.h"
#include "platform/Dialogs.h"

namespace {

// A web site file with every field, a report and a custom category, in the program's own layout.
QByteArray fullSiteBytes(const QByteArray &keywords)
{
    return crlf({"[Web Site Info]", "Version=6.0", "Title=Example Shop"}) + "Keyword=" + keywords + "\r\n"
        + crlf({"Description=Hand-made gifts shipped worldwide", "WebType=Personal Site", "Language=Franch",
                "LastURL=2", "MainCategory=Business and Finance", "Category=Marketing", "YourName=Ann Example",
                "Email=ann@example.com", "Company=Example Ltd", "Address=1 Sample Road", "City=Sampleton",
                "postcode=12345", "State=SA", "Country=United Kingdom", "Phone=+44 1234 567890", "Fax=+44 1234 567891",
                "Password=secret", "LastReport=1", "[URL]", "URL1=http://www.example.com/",
                "LocalFile1=/home/u/site/index.html", "URL2=http://www.example.com/about.html", "LocalFile2=",
                "[Report]", "URL1=http://www.example.com/", "Date1=Jan 05, 2026 14:30", "ReportFile1=/nowhere/r.htm",
                "[CustomEngineCategory]", "Pioneer Directory=Arts/Music", "Pioneer DirectorySpaceID=12345"});
}

} // namespace

class SiteSave : public MainWindowTest {
protected:
    void openWithFullSite(const QByteArray &keywords = "shop, gifts, example")
    {
        openWithProjects();
        env.writeFile(siteFile(QStringLiteral("Shop.vqs")), fullSiteBytes(keywords));
    }
    // Loads Shop, runs `edit` on the controls, leaves the site and reads a value back.
    QString editAndLeave(const std::function<void()> &edit, const QString &key,
                         const QString &section = QStringLiteral("Web Site Info"))
    {
        click(QStringLiteral("Root\\Shops\\Shop"));
        edit();
        click(QStringLiteral("Root\\Shops"));
        return siteValue(siteFile(QStringLiteral("Shop.vqs")), key, section);
    }
};

TEST_F(SiteSave, LoadingASiteAndLeavingItKeepsItsFileByteForByte)
{
    const QByteArray longKeywords = QByteArray("keyword, ").repeated(34) + "end";   // 309 characters
    openWithFullSite(longKeywords);
    const QByteArray before = bytes(siteFile(QStringLiteral("Shop.vqs")));
    click(QStringLiteral("Root\\Shops\\Shop"));
    EXPECT_EQ(w->lsvSiteURLs->topLevelItemCount(), 2);
    EXPECT_EQ(w->cboLanguage->currentText(), QStringLiteral("Franch"));
    click(QStringLiteral("Root\\Shops\\Outlet"));
    click(QStringLiteral("Root\\Shops\\Shop"));
    click(QStringLiteral("Root\\Empty"));
    EXPECT_EQ(bytes(siteFile(QStringLiteral("Shop.vqs"))), before);
}

TEST_F(SiteSave, AnAutoSaveThatCannotWriteIsShownAndLeavesTheOldFile)
{
    openWithFullSite();
    const QByteArray before = bytes(siteFile(QStringLiteral("Shop.vqs")));
    click(QStringLiteral("Root\\Shops\\Shop"));
    w->txtSiteTitle->setText(QStringLiteral("New title"));
    w->txtEmail->setText(QStringLiteral("new@example.com"));
    TestSupport::FailingWrites diskFull;
    env.dialogs.answerMessage(Platform::Ok);
    click(QStringLiteral("Root\\Shops"));
    EXPECT_TRUE(env.dialogs.wasShown(QStringLiteral("autoSave_Error: ")));
    EXPECT_EQ(bytes(siteFile(QStringLiteral("Shop.vqs"))), before);
}

TEST_F(SiteSave, EveryEditedFieldReachesTheFileWhenTheUserMovesOn)
{
    openWithFullSite();
    const struct {
        std::function<void()> edit;
        const char *key;
        const char *section;
        const char *expected;
    } fields[] = {
        {[&] { w->txtSiteTitle->setText(QStringLiteral("New title")); }, "Title", "Web Site Info", "New title"},
        {[&] { w->txtSiteKeywords->setPlainText(QStringLiteral("a\nb")); }, "Keyword", "Web Site Info", "a b"},
        {[&] { w->txtSiteDescription->setPlainText(QStringLiteral("New description")); }, "Description", "Web Site Info",
         "New description"},
        {[&] { w->cboWebType->setCurrentText(QStringLiteral("General")); }, "WebType", "Web Site Info", "General"},
        {[&] { w->cboLanguage->setCurrentText(QStringLiteral("German")); }, "Language", "Web Site Info", "German"},
        {[&] { w->txtName->setText(QStringLiteral("Bob")); }, "YourName", "Web Site Info", "Bob"},
        {[&] { w->txtEmail->setText(QStringLiteral("bob@example.com")); }, "Email", "Web Site Info", "bob@example.com"},
        {[&] { w->txtCompany->setText(QStringLiteral("Bob Ltd")); }, "Company", "Web Site Info", "Bob Ltd"},
        {[&] { w->txtAddress->setText(QStringLiteral("2 Road")); }, "Address", "Web Site Info", "2 Road"},
        {[&] { w->txtCity->setText(QStringLiteral("Town")); }, "City", "Web Site Info", "Town"},
        {[&] { w->txtPostcode->setText(QStringLiteral("999")); }, "postcode", "Web Site Info", "999"},
        {[&] { w->txtState->setText(QStringLiteral("ST")); }, "State", "Web Site Info", "ST"},
        {[&] { w->cboCountry->setCurrentText(QStringLiteral("Germany")); }, "Country", "Web Site Info", "Germany"},
        {[&] { w->txtPhone->setText(QStringLiteral("1")); }, "Phone", "Web Site Info", "1"},
        {[&] { w->txtFax->setText(QStringLiteral("2")); }, "Fax", "Web Site Info", "2"},
        {[&] { w->txtPassword->setText(QStringLiteral("pw")); }, "Password", "Web Site Info", "pw"},
        {[&] { w->lsvSiteURLs->addRow(QStringLiteral("http://new.example/"), {QStringLiteral("http://new.example/")},
                                      QStringLiteral("HTMLFile")); },
         "URL3", "URL", "http://new.example/"},
    };
    for (const auto &field : fields) {
        EXPECT_EQ(editAndLeave(field.edit, QString::fromLatin1(field.key), QString::fromLatin1(field.section)),
                  QString::fromLatin1(field.expected))
            << field.key;
    }
    EXPECT_EQ(siteValue(siteFile(QStringLiteral("Shop.vqs")), QStringLiteral("LastURL")), QStringLiteral("3"));
    // The category lists: another sub-category chosen.
    EXPECT_EQ(editAndLeave([&] {
                  w->lstCategory->clearSelection();
                  w->lstCategory->item(0)->setSelected(true);
              }, QStringLiteral("Category")),
              w->lstCategory->item(0)->text());
}

TEST_F(SiteSave, ProjectDescriptionIsSavedOnLeavingAndByTheToolbar)
{
    openWithProjects();
    click(QStringLiteral("Root\\Empty"));
    w->txtProjectDescr->setPlainText(QStringLiteral("first line\nsecond"));
    click(QStringLiteral("Root\\Shops"));
    EXPECT_EQ(listValue(QStringLiteral("Empty"), QStringLiteral("Description")), QStringLiteral("first line second"));
    w->txtProjectDescr->setPlainText(QStringLiteral("by toolbar"));
    clickToolbar(QStringLiteral("save"));
    EXPECT_EQ(listValue(QStringLiteral("Shops"), QStringLiteral("Description")), QStringLiteral("by toolbar"));
    EXPECT_TRUE(env.dialogs.shown().isEmpty());
}

TEST_F(SiteSave, ClosingTheFrameSavesTheEdits)
{
    openWithProjects();
    click(QStringLiteral("Root\\Shops\\Outlet"));
    w->txtSiteTitle->setText(QStringLiteral("typed before closing"));
    env.dialogs.answerMessage(Platform::Yes);
    EXPECT_TRUE(w->close());
    EXPECT_EQ(siteValue(siteFile(QStringLiteral("Outlet.vqs")), QStringLiteral("Title")),
              QStringLiteral("typed before closing"));
}

TEST_F(SiteSave, SaveAsAddsTheExtensionOfTheChosenTypeAndKeepsTheEntryNumber)
{
    openWithFullSite();
    const struct { const char *typed; int filter; const char *written; } cases[] = {
        {"shop", 1, "shop.vqs"}, {"shop", 2, "shop.txt"}, {"plain", 3, "plain"}, {"UPPER.VQS", 1, "UPPER.VQS"},
    };
    for (const auto &c : cases) {
        click(QStringLiteral("Root\\Shops\\Shop"));
        const QString typed = env.programFolder() + QString::fromLatin1(c.typed);
        const QString written = env.programFolder() + QString::fromLatin1(c.written);
        env.dialogs.answerFile(typed, c.filter);
        choose(w->mnuFileItems[8]);
        EXPECT_TRUE(QFile::exists(written)) << c.written;
        EXPECT_EQ(Platform::itemTag(w->m_currentNode), QStringLiteral("1|") + written);
        EXPECT_EQ(listValue(QStringLiteral("Shops"), QStringLiteral("1")), QStringLiteral("Shop|") + written);
        EXPECT_EQ(siteValue(written, QStringLiteral("Title")), QStringLiteral("Example Shop"));
        EXPECT_TRUE(w->isEnabled());
    }
    // Proposes the site's file name in the Projects folder.
    EXPECT_EQ(env.dialogs.shown()[0].defaultText, siteFile(QStringLiteral("Shop.vqs")));
    EXPECT_TRUE(QFile::exists(siteFile(QStringLiteral("Shop.vqs"))));     // the old file stays
}

TEST_F(SiteSave, SaveAsOntoAnExistingFileAnsweredNoChangesNothing)
{
    openWithFullSite();
    click(QStringLiteral("Root\\Shops\\Shop"));
    const QString target = siteFile(QStringLiteral("Outlet.vqs"));
    const QByteArray list = bytes(listFile());
    const QByteArray outlet = bytes(target);
    const QString tag = Platform::itemTag(w->m_currentNode);
    env.dialogs.answerFile(target, 1);
    env.dialogs.answerMessage(Platform::No);
    choose(w->mnuFileItems[8]);
    EXPECT_TRUE(env.dialogs.wasShown(QStringLiteral("The file ") + target + QStringLiteral(" already exists.\r\nDo you want to replace it?")));
    EXPECT_EQ(bytes(listFile()), list);
    EXPECT_EQ(bytes(target), outlet);
    EXPECT_EQ(Platform::itemTag(w->m_currentNode), tag);
    EXPECT_TRUE(w->isEnabled());

    // A cancelled dialog writes nothing either.
    env.dialogs.answerFile(QString());
    choose(w->mnuFileItems[8]);
    EXPECT_EQ(bytes(listFile()), list);
    EXPECT_TRUE(w->isEnabled());
}

TEST_F(SiteSave, SaveWritesTheCurrentFileAndAFailedWriteIsReported)
{
    openWithFullSite();
    click(QStringLiteral("Root\\Shops\\Shop"));
    w->txtCity->setText(QStringLiteral("Saved City"));
    choose(w->mnuFileItems[7]);
    EXPECT_EQ(siteValue(siteFile(QStringLiteral("Shop.vqs")), QStringLiteral("City")), QStringLiteral("Saved City"));
    EXPECT_TRUE(env.dialogs.shown().isEmpty());

    // A file that cannot be written (a folder stands in its place).
    QDir().mkpath(siteFile(QStringLiteral("blocked.vqs")));
    env.dialogs.answerFile(siteFile(QStringLiteral("blocked.vqs")), 1);
    env.dialogs.answerMessage(Platform::Yes);   // replace it?
    env.dialogs.answerMessage(Platform::Ok);
    choose(w->mnuFileItems[8]);
    EXPECT_TRUE(env.dialogs.wasShown(QStringLiteral("saveWebSite_Error: cannot write ")));
    EXPECT_TRUE(errorLog().contains("saveWebSite_Error: cannot write "));
    EXPECT_TRUE(w->isEnabled());
}

TEST_F(SiteSave, IncompleteDetailsAskBeforeSaving)
{
    openWithProjects();
    click(QStringLiteral("Root\\Shops\\Shop"));
    w->txtSiteTitle->clear();
    env.dialogs.answerMessage(Platform::No);
    choose(w->mnuFileItems[7]);
    EXPECT_TRUE(env.dialogs.wasShown(QStringLiteral("Please enter your web site title.")));
    EXPECT_EQ(siteValue(siteFile(QStringLiteral("Shop.vqs")), QStringLiteral("Title")), QStringLiteral("Shop title"));
    env.dialogs.answerMessage(Platform::Yes);
    choose(w->mnuFileItems[7]);
    EXPECT_EQ(siteValue(siteFile(QStringLiteral("Shop.vqs")), QStringLiteral("Title")), QString());
}

TEST_F(SiteSave, SaveOnTheRootOrAProjectNeverOpensADialog)
{
    openWithProjects();
    click(QStringLiteral("Root"));
    clickToolbar(QStringLiteral("Save"));
    chooseIfOffered(w->mnuFile, w->mnuFileItems[7]);
    chooseIfOffered(w->mnuFile, w->mnuFileItems[8]);
    click(QStringLiteral("Root\\Shops"));
    chooseIfOffered(w->mnuFile, w->mnuFileItems[8]);
    EXPECT_TRUE(env.dialogs.shown().isEmpty());
}

TEST_F(SiteSave, AddWebsiteLoadsTheFileIntoTheCurrentProject)
{
    openWithProjects();
    const QString elsewhere = env.root() + QStringLiteral("/elsewhere/Extra.vqs");
    env.writeFile(elsewhere, siteBytes("Extra title"));
    click(QStringLiteral("Root\\Shops\\Outlet"));
    env.dialogs.answerFile(elsewhere);
    choose(w->mnuFileItems[6]);
    ASSERT_TRUE(node(QStringLiteral("Root\\Shops\\Extra.vqs")));
    EXPECT_EQ(currentKey(), QStringLiteral("Root\\Shops\\Extra.vqs"));
    EXPECT_EQ(Platform::itemTag(w->m_currentNode), QStringLiteral("2|") + elsewhere);
    EXPECT_EQ(w->txtSiteTitle->text(), QStringLiteral("Extra title"));
    EXPECT_FALSE(w->SSTab1->isHidden());
    EXPECT_TRUE(w->isEnabled());

    env.dialogs.answerFile(elsewhere);
    env.dialogs.answerMessage(Platform::Ok);
    choose(w->mnuFileItems[6]);
    EXPECT_TRUE(env.dialogs.wasShown(QStringLiteral("The file you try to add already exists, please choose a different file.")));

    click(QStringLiteral("Root\\Empty"));
    env.dialogs.answerFile(elsewhere);
    chooseImport(w->mnuImportItems[0]);
    EXPECT_TRUE(node(QStringLiteral("Root\\Empty\\Extra.vqs")));
}

TEST_F(SiteSave, ImportedWebFormDataFillsANewSiteAndStaysUntouched)
{
    openWithProjects();
    const QByteArray form = "Title: Shoe Shop\r\nKeywords: shoes, boots\r\nDescription = Handmade shoes\r\n"
                            "URL: http://www.shoes.example/\r\nURL1=http://www.shoes.example/boots.htm\r\n"
                            "SubCategory: Marketing\rMainCategory: Business and Finance\n"
                            "FullName: Jane Doe\r\nZipcode =  12345 \r\nTelephone: 555-0100\r\nURL6: http://x.example/\r\n"
                            "no separator here\r\nDescription=Sale: 50%\r\n";
    const QString data = programPath(QStringLiteral("WebFormData/form.txt"));
    env.writeFile(data, form);
    click(QStringLiteral("Root\\Shops\\Shop"));   // its details must not leak into the imported site
    env.dialogs.answerFile(data);
    chooseImport(w->mnuImportItems[2]);
    EXPECT_EQ(env.dialogs.shown()[0].defaultText, programPath(QStringLiteral("WebFormData/")));
    QTreeWidgetItem *site = node(QStringLiteral("Root\\Shops\\form.txt"));
    ASSERT_TRUE(site);
    const QString own = siteFile(QStringLiteral("form.txt.vqs"));
    EXPECT_EQ(Platform::itemTag(site), QStringLiteral("2|") + own);
    EXPECT_EQ(w->txtSiteTitle->text(), QStringLiteral("Shoe Shop"));
    EXPECT_EQ(w->txtSiteDescription->toPlainText(), QStringLiteral("Sale: 50%"));
    EXPECT_EQ(w->txtPostcode->text(), QStringLiteral("12345"));
    EXPECT_EQ(w->txtPhone->text(), QStringLiteral("555-0100"));
    EXPECT_EQ(w->txtEmail->text(), QString());
    EXPECT_EQ(w->lsvSiteURLs->topLevelItemCount(), 2);
    EXPECT_TRUE(w->lsvSiteURLs->rowByKey(QStringLiteral("http://www.shoes.example/boots.htm")));
    EXPECT_EQ(w->lstMainCategory->currentItem()->text(), QStringLiteral("Business and Finance"));
    ASSERT_EQ(w->lstCategory->selectedItems().size(), 1);
    EXPECT_EQ(w->lstCategory->selectedItems()[0]->text(), QStringLiteral("Marketing"));
    // The data file is never written; the site has its own file.
    click(QStringLiteral("Root\\Empty"));
    EXPECT_EQ(bytes(data), form);
    EXPECT_EQ(siteValue(own, QStringLiteral("Title")), QStringLiteral("Shoe Shop"));
    EXPECT_EQ(siteValue(own, QStringLiteral("URL2"), QStringLiteral("URL")), QStringLiteral("http://www.shoes.example/boots.htm"));
}

TEST_F(SiteSave, ImportStopsAtARepeatedURL)
{
    openWithProjects();
    const QString data = programPath(QStringLiteral("WebFormData/twice.txt"));
    env.writeFile(data, "Title: First\r\nURL: http://a.example/\r\nURL2: http://A.example/\r\nCity: Never\r\n");
    click(QStringLiteral("Root\\Empty"));
    env.dialogs.answerFile(data);
    env.dialogs.answerMessage(Platform::Ok);
    chooseImport(w->mnuImportItems[2]);
    ASSERT_TRUE(env.dialogs.wasShown(QStringLiteral("getWebFormData_Error: ")));
    EXPECT_EQ(env.dialogs.shown().last().title, QStringLiteral("Import Web Form Data"));
    EXPECT_EQ(w->txtSiteTitle->text(), QStringLiteral("First"));
    EXPECT_EQ(w->txtCity->text(), QString());
}

TEST(WebFormLine, SplitsAtTheFirstSeparatorOfEitherKind)
{
    const struct { const char *line, *label, *value; } cases[] = {
        {"Title: My Shop", "Title", "My Shop"},
        {"title=My Shop", "title", "My Shop"},
        {"  Zipcode =  12345 ", "Zipcode", "12345"},
        {"URL=http://x.com/", "URL", "http://x.com/"},
        {"URL: http://x.com/", "URL", "http://x.com/"},
        {"Title: A: B", "Title", "A: B"},
        {"Email:", "Email", ""},
    };
    for (const auto &c : cases) {
        QString label;
        QString value;
        ASSERT_TRUE(clsMain::splitWebFormLine(QString::fromLatin1(c.line), label, value)) << c.line;
        EXPECT_EQ(label, QString::fromLatin1(c.label));
        EXPECT_EQ(value, QString::fromLatin1(c.value));
    }
    QString label;
    QString value;
    EXPECT_FALSE(clsMain::splitWebFormLine(QStringLiteral("no separator"), label, value));
}

TEST_F(SiteSave, AFileNameWithABarIsRefusedBecauseTheListSeparatesByIt)
{
    openWithProjects();
    const QString odd = env.root() + QStringLiteral("/odd/a|b.vqs");
    env.writeFile(odd, siteBytes("odd"));
    click(QStringLiteral("Root\\Empty"));
    env.dialogs.answerFile(odd);
    env.dialogs.answerMessage(Platform::Ok);
    choose(w->mnuFileItems[6]);
    EXPECT_TRUE(env.dialogs.wasShown(QStringLiteral("The file name cannot contain '|'.")));
    EXPECT_EQ(node(QStringLiteral("Root\\Empty"))->childCount(), 0);
    EXPECT_EQ(listValue(QStringLiteral("Empty"), QStringLiteral("Last")), QStringLiteral("0"));
}

TEST_F(SiteSave, ANewNodeWhoseEntryCannotBeStoredIsTakenBack)
{
    openWithProjects();
    click(QStringLiteral("Root\\Shops"));
    // A folder in the project list's place: every write of the list fails.
    QFile::remove(listFile());
    QDir().mkpath(listFile());
    env.dialogs.acceptAllMessages();
    env.dialogs.answerInput(QStringLiteral("Lost"));
    choose(w->mnuFileItems[0]);
    EXPECT_TRUE(env.dialogs.wasShown(QStringLiteral("addNewProject_Error:")));
    EXPECT_FALSE(node(QStringLiteral("Root\\Lost")));
    EXPECT_EQ(currentKey(), QStringLiteral("Root\\Shops"));
    env.dialogs.answerInput(QStringLiteral("Lost site"));
    choose(w->mnuFileItems[3]);
    EXPECT_FALSE(node(QStringLiteral("Root\\Shops\\Lost site")));
}

TEST_F(SiteSave, ANewSiteThatCannotBeStoredLeavesTheShownSiteAsItWas)
{
    openWithProjects();
    click(QStringLiteral("Root\\Shops\\Shop"));
    const QByteArray before = bytes(siteFile(QStringLiteral("Shop.vqs")));
    QFile::remove(listFile());
    QDir().mkpath(listFile());
    env.dialogs.acceptAllMessages();
    env.dialogs.answerInput(QStringLiteral("Lost site"));
    choose(w->mnuFileItems[3]);
    ASSERT_EQ(currentKey(), QStringLiteral("Root\\Shops\\Shop"));
    // The fields emptied for the new site must not be taken as the Shop's when the user moves on.
    EXPECT_EQ(w->txtSiteTitle->text(), QStringLiteral("Shop title"));
    click(QStringLiteral("Root\\Shops\\Outlet"));
    EXPECT_EQ(bytes(siteFile(QStringLiteral("Shop.vqs"))), before);

    // The same for a new project given up on while a site is shown.
    click(QStringLiteral("Root\\Shops\\Shop"));
    env.dialogs.answerInput(QStringLiteral("Lost project"));
    choose(w->mnuFileItems[0]);
    ASSERT_EQ(currentKey(), QStringLiteral("Root\\Shops\\Shop"));
    EXPECT_FALSE(w->SSTab1->isHidden());
    click(QStringLiteral("Root\\Shops\\Outlet"));
    EXPECT_EQ(bytes(siteFile(QStringLiteral("Shop.vqs"))), before);
}
