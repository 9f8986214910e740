// Adding URL rows from a local copy of a web site: extension filter, domain checks, sub-folders,
// hidden files and repeated runs.
#include "support/TestEnvironment.h"

#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "platform/CommonControls.h"
#include "platform/KeyedListView.h"
#include "sitedata/frmAddURL.h"
#include "support/UserInput.h"

using namespace Qt::StringLiterals;
using TestSupport::TestEnvironment;
using TestSupport::VelquistTest;

namespace {

class AddFromFolder : public VelquistTest {
protected:
    void SetUp() override
    {
        site = env.root() + u"/site"_s;
        for (const char *file : {"page.html", "logo.gif", "Index.HTM", "form.cgi", "a", "x.jhtml", ".hidden.html",
                                 "docs/a.htm", "docs/old/b.htm", "img/pic.shtml"})
            TestEnvironment::writeFile(site + u'/' + QString::fromLatin1(file), "<html></html>");
        TestEnvironment::writeFile(env.root() + u"/site2/stray.htm"_s, "x");
        dialog = new frmAddURL(&urls);
        ASSERT_TRUE(TestSupport::showWindow(dialog));
    }
    void TearDown() override { delete dialog; }

    void get(const QString &domain, bool html, bool asp, bool cgi, bool subFolders, const QString &folder = {})
    {
        dialog->txtFolder->setText(folder.isEmpty() ? site : folder);
        dialog->txtDomain->setText(domain);
        dialog->chkExtention[0]->setChecked(html);
        dialog->chkExtention[1]->setChecked(asp);
        dialog->chkExtention[2]->setChecked(cgi);
        dialog->chkSubDirectory->setChecked(subFolders);
        // The dialog closes after a run: each run opens it again.
        ASSERT_TRUE(TestSupport::showWindow(dialog));
        TestSupport::clickOn(dialog->Command1[frmAddURL::GetButton]);
    }
    QStringList urlTexts() const
    {
        QStringList texts;
        for (QTreeWidgetItem *row : urls.rows())
            texts << row->text(0);
        return texts;
    }
    QString tagOf(const QString &url) const { return Platform::itemTag(urls.rowByKey(url)); }

    QString site;
    KeyedListView urls;
    frmAddURL *dialog = nullptr;
};

} // namespace

TEST(AddFromFolderRules, ExtensionFilterFromTheTickedBoxes)
{
    EXPECT_EQ(frmAddURL::extensionFilter(true, false, false), u".htm,.html,.shtml"_s);
    EXPECT_EQ(frmAddURL::extensionFilter(true, true, true), u".htm,.html,.shtml,.asp,.cgi"_s);
    EXPECT_EQ(frmAddURL::extensionFilter(false, true, true), u".asp,.cgi"_s);
    EXPECT_EQ(frmAddURL::extensionFilter(false, false, false), QString());
}

TEST(AddFromFolderRules, FilesMatchByTheirExtensionOnly)
{
    const QString html = frmAddURL::extensionFilter(true, false, false);
    EXPECT_TRUE(frmAddURL::matchesFilter(u"page.html"_s, html));
    EXPECT_TRUE(frmAddURL::matchesFilter(u"INDEX.HTM"_s, html));
    EXPECT_TRUE(frmAddURL::matchesFilter(u"x.shtml"_s, html));
    // Short names and endings that merely contain an entry are not pages.
    EXPECT_FALSE(frmAddURL::matchesFilter(u"x.jhtml"_s, html));
    EXPECT_FALSE(frmAddURL::matchesFilter(u"a"_s, u".asp"_s));
    EXPECT_FALSE(frmAddURL::matchesFilter(u"sp"_s, u".asp"_s));
    EXPECT_FALSE(frmAddURL::matchesFilter(u"page.html.bak"_s, html));
    EXPECT_TRUE(frmAddURL::matchesFilter(u"anything"_s, QString()));
}

TEST(AddFromFolderRules, BaseUrlGetsSchemeAndSlashOnlyWhenMissing)
{
    EXPECT_EQ(frmAddURL::baseURL(u"example.com"_s), u"http://example.com/"_s);
    EXPECT_EQ(frmAddURL::baseURL(u"http://example.com/"_s), u"http://example.com/"_s);
    EXPECT_EQ(frmAddURL::baseURL(u"HTTPS://x.com"_s), u"HTTPS://x.com/"_s);
}

TEST_F(AddFromFolder, LoadStartsInTheProgramFolderWithTheDomainPreset)
{
    EXPECT_EQ(dialog->txtFolder->text(), env.programFolder());
    EXPECT_EQ(dialog->txtDomain->text(), u"www."_s);
    EXPECT_EQ(dialog->windowTitle(), u"Create URL from Local Folder"_s);
}

TEST_F(AddFromFolder, HtmlPagesOfTheFolderBecomeRowsTiedToTheirFiles)
{
    get(u"example.com"_s, true, false, false, false);
    EXPECT_EQ(urlTexts(), QStringList({u"http://example.com/Index.HTM"_s, u"http://example.com/page.html"_s}));
    EXPECT_EQ(tagOf(u"http://example.com/page.html"_s), site + u"/page.html"_s);
    EXPECT_EQ(itemImageKey(urls.rowByKey(u"http://example.com/page.html"_s)), u"HTMLFile"_s);
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_TRUE(env.dialogs.shown().isEmpty());
}

TEST_F(AddFromFolder, NoTickedBoxTakesEveryVisibleFile)
{
    get(u"http://example.com/"_s, false, false, false, false);
    const QStringList texts = urlTexts();
    EXPECT_EQ(texts.size(), 6);
    EXPECT_TRUE(texts.contains(u"http://example.com/logo.gif"_s));
    EXPECT_TRUE(texts.contains(u"http://example.com/a"_s));
    for (const QString &text : texts)
        EXPECT_FALSE(text.contains(u".hidden"_s)) << text.toStdString();
}

TEST_F(AddFromFolder, SubFoldersAddOneLevelBelowTheChosenFolder)
{
    get(u"example.com"_s, true, false, true, true);
    const QStringList texts = urlTexts();
    EXPECT_TRUE(texts.contains(u"http://example.com/docs/a.htm"_s));
    EXPECT_TRUE(texts.contains(u"http://example.com/img/pic.shtml"_s));
    EXPECT_TRUE(texts.contains(u"http://example.com/form.cgi"_s));
    EXPECT_FALSE(texts.contains(u"http://example.com/docs/old/b.htm"_s));
    EXPECT_EQ(tagOf(u"http://example.com/docs/a.htm"_s), site + u"/docs/a.htm"_s);
    // A folder beside the chosen one that shares its name's start is not below it.
    for (const QString &text : texts)
        EXPECT_FALSE(text.contains(u"stray"_s)) << text.toStdString();
}

TEST_F(AddFromFolder, ChosenFolderWithTrailingSlashGivesCleanPaths)
{
    get(u"example.com"_s, true, false, false, true, site + u'/');
    EXPECT_EQ(tagOf(u"http://example.com/page.html"_s), site + u"/page.html"_s);
    EXPECT_EQ(tagOf(u"http://example.com/docs/a.htm"_s), site + u"/docs/a.htm"_s);
}

TEST_F(AddFromFolder, GettingTwiceAddsNoDuplicateAndKeepsTheFirstFile)
{
    urls.addRow(u"http://example.com/page.html"_s, {u"http://example.com/page.html"_s}, u"HTMLFile"_s);
    Platform::setItemTag(urls.rowByKey(u"http://example.com/page.html"_s), u"/elsewhere/page.html"_s);
    get(u"example.com"_s, true, false, false, false);
    get(u"example.com"_s, true, false, false, false);
    EXPECT_EQ(urls.topLevelItemCount(), 2);
    EXPECT_EQ(tagOf(u"http://example.com/page.html"_s), u"/elsewhere/page.html"_s);
}

TEST_F(AddFromFolder, EmptyOrDotlessDomainIsRefusedAndTheDialogStays)
{
    env.dialogs.answerMessage(Platform::Ok);
    env.dialogs.answerMessage(Platform::Ok);
    get(QString(), true, false, false, false);
    get(u"localhost"_s, true, false, false, false);
    ASSERT_EQ(env.dialogs.shown().size(), 2);
    EXPECT_EQ(env.dialogs.shown()[0].prompt,
              u"Please enter a default domain name you want to combine with your local HTML file."_s);
    EXPECT_EQ(env.dialogs.shown()[1].prompt, u"In valid domain name. Please enter a correct domain name."_s);
    EXPECT_EQ(env.dialogs.shown()[1].title, u"Add URL From Local Folder"_s);
    EXPECT_EQ(urls.topLevelItemCount(), 0);
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
}

TEST_F(AddFromFolder, MissingFolderIsReportedAndNothingIsAdded)
{
    env.dialogs.answerMessage(Platform::Ok);
    get(u"example.com"_s, true, false, false, false, env.root() + u"/nowhere"_s);
    ASSERT_EQ(env.dialogs.shown().size(), 1);
    EXPECT_TRUE(env.dialogs.shown()[0].prompt.startsWith(u"AddURL_Error: "_s));
    EXPECT_EQ(env.dialogs.shown()[0].title, u"AddURL"_s);
    EXPECT_EQ(urls.topLevelItemCount(), 0);
}

TEST_F(AddFromFolder, EnterInEitherBoxGetsOnceAndCancelAddsNothing)
{
    dialog->show();
    dialog->txtFolder->setText(site);
    dialog->txtDomain->setText(QString());
    env.dialogs.answerMessage(Platform::Ok);
    QTest::keyClick(dialog->txtDomain, Qt::Key_Return);
    EXPECT_EQ(env.dialogs.shown().size(), 1);   // one refusal, not one per handler
    EXPECT_TRUE(dialog->isVisible());
    dialog->txtDomain->setText(u"example.com"_s);
    QTest::keyClick(dialog->txtFolder, Qt::Key_Return);
    EXPECT_EQ(urls.topLevelItemCount(), 6);
    EXPECT_EQ(dialog->result(), QDialog::Accepted);

    frmAddURL second(&urls);
    second.txtFolder->setText(env.root() + u"/site2"_s);
    ASSERT_TRUE(TestSupport::showWindow(&second));
    TestSupport::clickOn(second.Command1[frmAddURL::CancelButton]);
    EXPECT_EQ(urls.topLevelItemCount(), 6);
    EXPECT_EQ(second.result(), QDialog::Rejected);
}

TEST_F(AddFromFolder, BrowseTakesTheChosenFolderAndCancelKeepsTheOld)
{
    env.dialogs.answerFolder(site);
    TestSupport::clickOn(dialog->cmdBrowse);
    EXPECT_EQ(dialog->txtFolder->text(), site);
    env.dialogs.answerFolder(QString());
    TestSupport::clickOn(dialog->cmdBrowse);
    EXPECT_EQ(dialog->txtFolder->text(), site);
}
