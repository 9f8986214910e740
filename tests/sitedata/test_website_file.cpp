// The web site file: save and load round trips of every field, and the URL list files.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>

#include "support/FailingWrites.h"
#include "MainObjectFixture.h"
#include "platform/CommonControls.h"
#include "platform/KeyedListView.h"

namespace {

QStringList urlRows(const frmMain *w)
{
    QStringList rows;
    for (QTreeWidgetItem *row : w->lsvSiteURLs->rows())
        rows.append(row->text(0) + QStringLiteral(" -> ") + Platform::itemTag(row));
    return rows;
}

} // namespace

class WebsiteFile : public MainObjectTest {
protected:
    void SetUp() override
    {
        MainObjectTest::SetUp();
        writeProgramFile(QStringLiteral("cat.vqs"),
                         crlf({"[Arts]", "Music", "[Business and Finance]", "Retail", "Marketing", "[Shopping]", "Gifts"}));
        ASSERT_TRUE(main->loadCategory());
        main->rebuildCustomEngines({QStringLiteral("Beta Directory"), QStringLiteral("Gamma Directory")});
    }
    QString site(const QString &name = QStringLiteral("site.vqs")) const { return env.programFolder() + name; }
    QByteArray bytes(const QString &path) const { return TestSupport::TestEnvironment::readFile(path); }

    void fillShoeShop()
    {
        w->txtSiteTitle->setText(QStringLiteral("Shoe Shop - handmade shoes"));
        w->txtSiteKeywords->setPlainText(QStringLiteral("shoes, boots,\nhandmade"));
        w->txtSiteDescription->setPlainText(QStringLiteral("Handmade shoes since 1950."));
        w->cboWebType->setCurrentText(QStringLiteral("Commercial Site"));
        w->cboLanguage->setCurrentText(QStringLiteral("English"));
        main->addNewItem(w->lsvSiteURLs, QStringLiteral("http://www.shoes.example/"));
        Platform::setItemTag(w->lsvSiteURLs->topLevelItem(0), QStringLiteral("/home/u/site/index.html"));
        main->addNewItem(w->lsvSiteURLs, QStringLiteral("http://www.shoes.example/boots.htm"));
        main->setSelectedCategory(QStringLiteral("Business and Finance"), QStringLiteral("Retail"));
        w->txtName->setText(QStringLiteral("Jane Doe"));
        w->txtEmail->setText(QStringLiteral("jane@shoes.example"));
        w->txtCompany->setText(QStringLiteral("Doe Shoes"));
        w->txtAddress->setText(QStringLiteral("1 Main Street"));
        w->txtCity->setText(QStringLiteral("Springfield"));
        w->txtPostcode->setText(QStringLiteral("12345"));
        w->txtState->setText(QStringLiteral("IL"));
        w->cboCountry->setCurrentText(QStringLiteral("United States"));
        w->txtPhone->setText(QStringLiteral("555-0100"));
        w->txtFax->setText(QStringLiteral("555-0101"));
        w->txtPassword->setText(QStringLiteral("secret"));
        main->myCustomEngine[0].Category = QStringLiteral("/Business/Retail/Shoes");
        main->myCustomEngine[0].SpaceID = QStringLiteral("12345");
    }
};

TEST_F(WebsiteFile, AFreshSaveWritesEveryKeyInItsOrder)
{
    fillShoeShop();
    ASSERT_TRUE(main->saveWebsiteFile(site()));
    EXPECT_EQ(bytes(site()),
              crlf({"[Web Site Info]", "Version=6.0", "Title=Shoe Shop - handmade shoes", "Keyword=shoes, boots, handmade",
                    "Description=Handmade shoes since 1950.", "WebType=Commercial Site", "Language=English", "LastURL=2",
                    "MainCategory=Business and Finance", "Category=Retail", "YourName=Jane Doe",
                    "Email=jane@shoes.example", "Company=Doe Shoes", "Address=1 Main Street", "City=Springfield",
                    "postcode=12345", "State=IL", "Country=United States", "Phone=555-0100", "Fax=555-0101",
                    "Password=secret", "[URL]", "URL1=http://www.shoes.example/", "LocalFile1=/home/u/site/index.html",
                    "URL2=http://www.shoes.example/boots.htm", "LocalFile2=", "[CustomEngineCategory]",
                    "Beta Directory=/Business/Retail/Shoes", "Beta DirectorySpaceID=12345"}));
}

TEST_F(WebsiteFile, LoadThenSaveLeavesTheFileByteForByte)
{
    const QByteArray keywordLine = "Keyword=" + QByteArray(600, 'k');
    const QByteArray original =
        crlf({"[Web Site Info]", "Version=6.0", "Title=\"Best\" shoes \xe9\xfc\x81", keywordLine.constData(),
              "Description=Say \"hi\" = more", "WebType=Business Site", "Language=Klingon", "LastURL=1",
              "MainCategory=Retired Category", "Category=Old Sub", "YourName=J\xf6rg", "Email=j@x.example", "Company=C",
              "Address=A", "City=Ci", "postcode=P", "State=S", "Country=Atlantis", "Phone=1", "Fax=2", "Password=p w",
              "LastReport=1", "[URL]", "URL1=http://a.example/?a=1,2", "LocalFile1=/x/a.html",
              "[CustomEngineCategory]", "Gamma Directory=/Arts", "Gamma DirectorySpaceID=9", "[Report]",
              "URL1=http://a.example/", "Date1=Dec 08, 2026 18:54", "ReportFile1=/r/a.html"});
    env.writeFile(site(), original);
    ASSERT_TRUE(main->loadWebsiteFile(site()));
    EXPECT_EQ(w->cboWebType->currentText(), QStringLiteral("Business Site"));
    EXPECT_EQ(w->cboCountry->currentText(), QStringLiteral("Atlantis"));
    EXPECT_EQ(w->txtSiteKeywords->toPlainText().size(), 600);
    ASSERT_TRUE(main->saveWebsiteFile(site()));
    EXPECT_EQ(bytes(site()), original);
}

TEST_F(WebsiteFile, ReopeningAndSavingWithoutAnEditWritesNothing)
{
    // Each file holds one field in a form the site pages show differently from how they save it.
    const QByteArray head = "[Web Site Info]\r\nVersion=6.0\r\n";
    const std::pair<const char *, QByteArray> files[] = {
        {"key spelling and blanks", head + "title =  Shoes  \r\nKEYWORD=a, b\t\r\nDescription= d\r\nwebtype=Business Site\r\n"
                                          "Language=English\r\nLastURL=0\r\nyourname=J\r\nEmail =j@x\r\n"},
        {"missing keys", head + "Title=Only\r\n"},
        {"every field", head + "Title=T\r\nKeyword=k\r\nDescription=d\r\nWebType=w\r\nLanguage=l\r\nLastURL=0\r\n"
                               "MainCategory=Shopping\r\nCategory=Gifts\r\nYourName=n\r\nEmail=e\r\nCompany=c\r\n"
                               "Address=a\r\nCity=ci\r\npostcode=p\r\nState=s\r\nCountry=Atlantis\r\nPhone=1\r\n"
                               "Fax=2\r\nPassword=p w \r\n[CustomEngineCategory]\r\nBeta Directory=/Arts\r\n"},
        {"category in other letter case", head + "MainCategory=business and finance\r\nCategory=retail\r\n"},
        {"sub-category without main", head + "MainCategory=\r\nCategory=Retail\r\n"},
        {"unlisted category", head + "MainCategory=Retired\r\nCategory=\r\n"},
        {"sparse and repeated URLs", head + "LastURL=4\r\n[URL]\r\nURL1=http://a.example/\r\nURL2=\r\n"
                                            "URL3=http://A.example/\r\nLocalFile3=/x\r\nURL4=http://b.example/\r\n"
                                            "URL9=http://stale.example/\r\n"},
        {"line ends of other systems", "[Web Site Info]\nVersion=6.0\nTitle=T\rLastURL=1\n[URL]\nURL1=http://a.example/"},
    };
    for (const auto &[name, original] : files) {
        SCOPED_TRACE(name);
        env.writeFile(site(), original);
        ASSERT_TRUE(main->loadWebsiteFile(site()));
        TestSupport::FailingWrites noWrite;
        EXPECT_TRUE(main->saveWebsiteFile(site()));
        EXPECT_EQ(noWrite.attempts(), 0);
        EXPECT_EQ(bytes(site()), original);
    }
}

TEST_F(WebsiteFile, AnEditedSaveIsOneWriteWholeOrNotAtAll)
{
    fillShoeShop();
    for (int n = 0; n < 50; ++n)
        main->addNewItem(w->lsvSiteURLs, QStringLiteral("http://www.shoes.example/%1.htm").arg(n));
    ASSERT_TRUE(main->saveWebsiteFile(site()));
    const QByteArray before = bytes(site());
    ASSERT_TRUE(main->loadWebsiteFile(site()));
    w->txtSiteTitle->setText(QStringLiteral("New title"));
    w->txtEmail->setText(QStringLiteral("new@shoes.example"));
    w->lsvSiteURLs->clear();
    main->addNewItem(w->lsvSiteURLs, QStringLiteral("http://new.example/"));
    {
        TestSupport::FailingWrites diskFull;
        EXPECT_FALSE(main->saveWebsiteFile(site()));
    }
    EXPECT_EQ(bytes(site()), before);
    EXPECT_TRUE(errorLog().contains("Module: saveWebsiteFile: "));

    TestSupport::FailingWrites onlyOne(1);
    ASSERT_TRUE(main->saveWebsiteFile(site()));
    EXPECT_EQ(onlyOne.attempts(), 1);
    ASSERT_TRUE(main->loadWebsiteFile(site()));
    EXPECT_EQ(w->txtSiteTitle->text(), QStringLiteral("New title"));
    EXPECT_EQ(w->txtEmail->text(), QStringLiteral("new@shoes.example"));
    EXPECT_EQ(urlRows(w), QStringList{QStringLiteral("http://new.example/ -> ")});
}

TEST_F(WebsiteFile, TheFileIsTheOwnersOnlyFromItsFirstSave)
{
    fillShoeShop();
    ASSERT_TRUE(main->saveWebsiteFile(site()));
    const QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther;
    EXPECT_FALSE(QFile::permissions(site()) & others);
    QFile::setPermissions(site(), QFile::permissions(site()) | QFile::ReadGroup | QFile::ReadOther);
    w->txtPassword->setText(QStringLiteral("changed"));
    ASSERT_TRUE(main->saveWebsiteFile(site()));
    EXPECT_FALSE(QFile::permissions(site()) & others);
}

TEST_F(WebsiteFile, LoadingASiteClearsWhatThePreviousSiteLeft)
{
    fillShoeShop();
    main->addNewItem(w->lsvSiteURLs, QStringLiteral("http://left.example/"));
    env.writeFile(site(), crlf({"[Web Site Info]", "Version=6.0", "Title=Other", "LastURL=0"}));
    ASSERT_TRUE(main->loadWebsiteFile(site()));
    EXPECT_EQ(w->lsvSiteURLs->topLevelItemCount(), 0);
    EXPECT_TRUE(w->txtName->text().isEmpty());
    EXPECT_TRUE(main->myCustomEngine[0].Category.isEmpty());
    EXPECT_TRUE(main->myCustomEngine[0].SpaceID.isEmpty());
    ASSERT_TRUE(main->saveWebsiteFile(site()));
    EXPECT_FALSE(bytes(site()).contains("Shoes"));
    EXPECT_FALSE(bytes(site()).contains("12345"));
}

TEST_F(WebsiteFile, UrlAndReportEntriesLoadByTheirNumbers)
{
    env.writeFile(site(), crlf({"[Web Site Info]", "Version=6.0", "LastURL=3", "LastReport=5", "[URL]",
                                "URL1=http://one.example/", "LocalFile1=/one", "URL2=", "URL3=http://ONE.example/",
                                "LocalFile3=/three", "URL4=http://stale.example/", "[Report]", "URL1=http://one.example/",
                                "Date1=Jan 01, 2026 10:00", "ReportFile1=/r1.html", "URL2=http://one.example/",
                                "ReportFile2=", "URL3=", "ReportFile3=/r3.html"}));
    ASSERT_TRUE(main->loadWebsiteFile(site()));
    // The same URL in other letter case is one row, with the first local file.
    EXPECT_EQ(urlRows(w), QStringList{QStringLiteral("http://one.example/ -> /one")});
    ASSERT_EQ(w->lsvReports->topLevelItemCount(), 1);
    EXPECT_EQ(w->lsvReports->topLevelItem(0)->text(1), QStringLiteral("Jan 01, 2026 10:00"));
    EXPECT_EQ(Platform::itemTag(w->lsvReports->topLevelItem(0)), QStringLiteral("/r1.html"));
}

TEST_F(WebsiteFile, OldFormatAndOddCountsLoad)
{
    env.writeFile(site(), crlf({"[Web Site Info]", "URL=http://old.example/", "FileLocation0=C:\\site\\index.html"}));
    ASSERT_TRUE(main->loadWebsiteFile(site()));
    EXPECT_EQ(urlRows(w), QStringList{QStringLiteral("http://old.example/ -> C:\\site\\index.html")});

    env.writeFile(site(), crlf({"[Web Site Info]", "Version=6.0", "LastURL=abc", "[URL]", "URL1=http://x.example/"}));
    ASSERT_TRUE(main->loadWebsiteFile(site()));
    EXPECT_EQ(w->lsvSiteURLs->topLevelItemCount(), 0);

    // A huge count in the file does not keep the load busy.
    env.writeFile(site(), crlf({"[Web Site Info]", "Version=6.0", "LastURL=2000000000", "LastReport=2000000000", "[URL]",
                                "URL1=http://x.example/"}));
    ASSERT_TRUE(main->loadWebsiteFile(site()));
    EXPECT_EQ(w->lsvSiteURLs->topLevelItemCount(), 1);
}

TEST_F(WebsiteFile, ShorterUrlListLeavesStaleEntriesUnread)
{
    for (const char *url : {"http://1.example/", "http://2.example/", "http://3.example/", "http://4.example/", "http://5.example/"})
        main->addNewItem(w->lsvSiteURLs, QString::fromLatin1(url));
    ASSERT_TRUE(main->saveWebsiteFile(site()));
    w->lsvSiteURLs->clear();
    main->addNewItem(w->lsvSiteURLs, QStringLiteral("http://a.example/"));
    main->addNewItem(w->lsvSiteURLs, QStringLiteral("http://b.example/"));
    ASSERT_TRUE(main->saveWebsiteFile(site()));
    EXPECT_TRUE(bytes(site()).contains("URL5=http://5.example/"));
    ASSERT_TRUE(main->loadWebsiteFile(site()));
    EXPECT_EQ(w->lsvSiteURLs->topLevelItemCount(), 2);
}

TEST_F(WebsiteFile, CategoryChosenByTheUserReplacesAStoredOneThatIsNotListed)
{
    env.writeFile(site(), crlf({"[Web Site Info]", "Version=6.0", "MainCategory=Retired", "Category=Gone"}));
    ASSERT_TRUE(main->loadWebsiteFile(site()));
    // The stored category is not listed: the "Business" row is shown, the file keeps its own.
    EXPECT_EQ(w->lstMainCategory->currentItem()->text(), QStringLiteral("Business and Finance"));
    ASSERT_TRUE(main->saveWebsiteFile(site()));
    EXPECT_TRUE(bytes(site()).contains("MainCategory=Retired\r\nCategory=Gone\r\n"));

    w->lstMainCategory->setCurrentRow(0);   // the user picks Arts
    w->lstCategory->item(0)->setSelected(true);
    ASSERT_TRUE(main->saveWebsiteFile(site()));
    EXPECT_TRUE(bytes(site()).contains("MainCategory=Arts\r\nCategory=Music\r\n"));
}

TEST_F(WebsiteFile, AnUnlistedStoredCategoryIsNeverSavedIntoAnotherSite)
{
    // Without a category list nothing is ever shown as chosen, so clearing the fields changes no selection.
    writeProgramFile(QStringLiteral("cat.vqs"), QByteArray());
    ASSERT_TRUE(main->loadCategory());
    env.writeFile(site(), crlf({"[Web Site Info]", "Version=6.0", "MainCategory=Retired", "Category=Gone"}));
    ASSERT_TRUE(main->loadWebsiteFile(site()));
    // A new site starts from cleared fields; its first save must not take the site shown before.
    w->clearWebsiteFields();
    ASSERT_TRUE(main->saveWebsiteFile(site(QStringLiteral("new.vqs"))));
    EXPECT_FALSE(bytes(site(QStringLiteral("new.vqs"))).contains("Retired"));
    EXPECT_FALSE(bytes(site(QStringLiteral("new.vqs"))).contains("Gone"));
}

TEST_F(WebsiteFile, SaveIntoAMissingFolderFailsAndIsLogged)
{
    fillShoeShop();
    const QString path = env.programFolder() + QStringLiteral("gone/site.vqs");
    EXPECT_FALSE(main->saveWebsiteFile(path));
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_TRUE(errorLog().contains("Module: saveWebsiteFile: "));
    EXPECT_TRUE(main->saveWebsiteFile(QString()));
}

TEST_F(WebsiteFile, UnreadableFileIsReportedAndNotSavedOverLater)
{
    ASSERT_TRUE(QDir().mkpath(site()));
    env.dialogs.answerMessage(Platform::Ok);
    EXPECT_FALSE(main->loadWebsiteFile(site()));
    EXPECT_TRUE(env.dialogs.shown().last().prompt.startsWith(QStringLiteral("Module: loadWebsiteFile\r\n")));
    EXPECT_TRUE(w->m_bSkipAutoSaveOnce);
}

TEST_F(WebsiteFile, UrlListFilesReadCommaItemsAndWriteOneUrlPerLine)
{
    env.writeFile(site(QStringLiteral("list.txt")),
                  "http://a.example/x.htm, http://b.example/\r\n\"http://c.example/?a=1,2\"\nwww.d.example\r"
                  "http://localhost\r\nHTTP://E.EXAMPLE\r\n,,\r\n");
    main->addNewItem(w->lsvSiteURLs, QStringLiteral("http://b.example/"));
    main->loadURLFromFile(site(QStringLiteral("list.txt")));
    QStringList texts;
    for (QTreeWidgetItem *row : w->lsvSiteURLs->rows())
        texts.append(row->text(0));
    EXPECT_EQ(texts, (QStringList{QStringLiteral("http://b.example/"), QStringLiteral("http://a.example/x.htm"),
                                  QStringLiteral("http://c.example/?a=1,2"), QStringLiteral("HTTP://E.EXAMPLE")}));

    ASSERT_TRUE(main->saveURLToFile(site(QStringLiteral("out.txt"))));
    EXPECT_EQ(bytes(site(QStringLiteral("out.txt"))),
              crlf({"http://b.example/", "http://a.example/x.htm", "\"http://c.example/?a=1,2\"", "HTTP://E.EXAMPLE"}));
    w->lsvSiteURLs->clear();
    main->loadURLFromFile(site(QStringLiteral("out.txt")));
    EXPECT_EQ(w->lsvSiteURLs->topLevelItemCount(), 4);
    EXPECT_TRUE(w->lsvSiteURLs->rowByKey(QStringLiteral("http://c.example/?a=1,2")));
}

TEST_F(WebsiteFile, UrlListErrorsAreReported)
{
    env.dialogs.answerMessage(Platform::Ok);
    main->loadURLFromFile(site(QStringLiteral("none.txt")));
    EXPECT_EQ(env.dialogs.shown().last().prompt, QStringLiteral("Invalid file name or path, please try again"));
    EXPECT_EQ(env.dialogs.shown().last().title, QStringLiteral("Load URL List"));
    env.dialogs.answerMessage(Platform::Ok);
    EXPECT_FALSE(main->saveURLToFile(env.programFolder() + QStringLiteral("gone/out.txt")));
    EXPECT_EQ(env.dialogs.shown().last().title, QStringLiteral("Save URL List"));
}

TEST(WebsiteFileNames, FileNameIsThePartAfterTheLastSeparator)
{
    EXPECT_EQ(clsMain::getFileNameFromFile(QStringLiteral("/home/u/P/Shop.vqs")), QStringLiteral("Shop.vqs"));
    EXPECT_EQ(clsMain::getFileNameFromFile(QStringLiteral("C:\\P\\Shop.vqs")), QStringLiteral("Shop.vqs"));
    EXPECT_EQ(clsMain::getFileNameFromFile(QStringLiteral("Shop.vqs")), QStringLiteral("Shop.vqs"));
    EXPECT_EQ(clsMain::getFileNameFromFile(QStringLiteral("dir/")), QString());
}
