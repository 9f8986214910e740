// The doorway window's Create: pages against the expected files in data/doorway/ (rewrite them
// with VELQUIST_REWRITE_EXPECTED=1 after an intended change and review the diff), file names,
// keywords that cannot be file names, the output folder, the result box and preview, the field
// checks, New Page, Enter and the address history.
#include "DoorwayFixture.h"

#include <functional>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QClipboard>
#include <QTest>

#include "platform/SettingsStore.h"
#include "support/ExpectedFile.h"

using namespace Qt::StringLiterals;
using TestSupport::TestEnvironment;

namespace {

QString expectedPath(const char *name)
{
    return QStringLiteral(VELQUIST_TEST_DATA_DIR "/doorway/") + QString::fromLatin1(name);
}

} // namespace

// Three keywords with one sub title; eight with none, attribute values holding quotes and
// markup, and characters in and outside Windows-1252.
TEST_F(DoorwayTest, PagesAgainstExpectedFiles)
{
    fillSample();
    env.dialogs.answerMessage(Platform::Yes);
    click(frmDoorway::CreateButton);
    const QStringList three = {u"blue_widgets.html"_s, u"cheap_widgets.html"_s, u"widgets.html"_s};
    for (const QString &name : three)
        EXPECT_TRUE(TestSupport::matchesExpectedFile(TestEnvironment::readFile(outputFolder() + name),
                                                     expectedPath("doorway_3_keywords.html")));
    QString list;
    for (const QString &name : three)
        list += outputFolder() + name + u"\r\n"_s;
    ASSERT_EQ(env.dialogs.shown().size(), 1);
    EXPECT_EQ(env.dialogs.shown()[0].prompt, u"3 Dooryway pages have been created and saved into the following files: "
                                             "\r\n\r\n"_s + list + u"\r\nDo you want to preview your doorway page?"_s);
    EXPECT_EQ(env.shellRequests, QStringList({u"open:"_s + outputFolder() + u"widgets.html"_s}));

    window->txtTitle->setText(u"Caf\u00e9 \"Best\" <Widgets> \u20ac \u03a9"_s);
    setKeywords({u"k1"_s, u"k2"_s, u"k\"3"_s, u"k4"_s, u"k5"_s, u"k6"_s, u"k7"_s, u"k8"_s});
    window->txtSubTitle2->clear();
    window->cboSiteURL->setEditText(u"HTTP://www.example.com/?a=1&b=2 x"_s);
    window->txtImageURL->setText(u"logo\".gif"_s);
    env.dialogs.answerMessage(Platform::No);
    click(frmDoorway::CreateButton);
    EXPECT_TRUE(TestSupport::matchesExpectedFile(TestEnvironment::readFile(outputFolder() + u"k8.html"_s),
                                                 expectedPath("doorway_8_keywords.html")));
    EXPECT_EQ(env.shellRequests.size(), 1);
}

TEST_F(DoorwayTest, KeywordFileNames)
{
    fillSample();
    const struct { QStringList keywords; QStringList files; QString refused; } cases[] = {
        {{u"a b"_s, u"a_b"_s, u"c"_s}, {u"a_b.html"_s, u"a_b.html"_s, u"c.html"_s}, {}},
        {{u"x"_s, u"   "_s, u"y"_s}, {u"x.html"_s, u"___.html"_s, u"y.html"_s}, {}},
        {{u"ok"_s, u"../index"_s, u"z"_s}, {u"ok.html"_s}, u"../index"_s},
        {{u"ok"_s, u"24/7 help"_s, u"z"_s}, {u"ok.html"_s}, u"24/7 help"_s},
    };
    for (const auto &c : cases) {
        QDir(outputFolder()).removeRecursively();
        QDir().mkpath(outputFolder());
        env.dialogs.clearLog();
        setKeywords(c.keywords);
        env.dialogs.answerMessage(c.refused.isEmpty() ? Platform::No : Platform::Ok);
        click(frmDoorway::CreateButton);
        QStringList written = QDir(outputFolder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        QStringList expected = c.files;
        expected.removeDuplicates();
        expected.sort();
        EXPECT_EQ(written, expected) << c.keywords.join(u'|').toStdString();
        if (c.refused.isEmpty()) {
            EXPECT_TRUE(env.dialogs.prompts().value(0).startsWith(QString::number(c.files.size()) + u" Dooryway"_s));
            EXPECT_EQ(env.dialogs.prompts().value(0).count(u"a_b.html"_s), c.files.count(u"a_b.html"_s));
        } else {
            EXPECT_EQ(env.dialogs.prompts(), QStringList({u"CreateDoorway_Error: The keyword '"_s + c.refused
                                                          + u"' cannot be used as a file name."_s}));
            EXPECT_EQ(env.dialogs.shown()[0].title, u"Create Doorway Page"_s);
        }
    }
    EXPECT_FALSE(QFile::exists(env.programFolder() + u"index.html"_s));
    EXPECT_TRUE(env.shellRequests.isEmpty());
}

TEST_F(DoorwayTest, OutputFolderChoice)
{
    fillSample();
    const QString mine = env.root() + u"/mine"_s;
    QDir().mkpath(mine);
    TestEnvironment::writeFile(env.root() + u"/a file"_s, "x");
    const QString fallback = env.programFolder() + u"Doorway Pages/"_s;
    const struct { QString text; QString folder; } cases[] = {
        {mine, mine + u"/"_s},
        {env.root() + u"/missing"_s, fallback},
        {QString(), fallback},
        {env.root() + u"/a file"_s, QString()},
    };
    for (const auto &c : cases) {
        env.dialogs.clearLog();
        window->txtFileLocation->setText(c.text);
        env.dialogs.answerMessage(c.folder.isEmpty() ? Platform::Ok : Platform::No);
        click(frmDoorway::CreateButton);
        if (c.folder.isEmpty()) {
            EXPECT_EQ(env.dialogs.prompts().value(0), u"CreateDoorway_Error: The output location '"_s + c.text
                                                          + u"' is a file, not a folder."_s);
        } else {
            EXPECT_TRUE(QFile::exists(c.folder + u"widgets.html"_s)) << c.text.toStdString();
        }
    }
    EXPECT_FALSE(QFile::exists(env.root() + u"/missing"_s));
}

TEST_F(DoorwayTest, FieldChecksInOrderWithFocus)
{
    const struct { QWidget *focus; const char *message; } order[] = {
        {window->txtTitle, "Please enter a title of your web site."},
        {window->txtKeywords[0], "Please enter at least 3 specific keywords for your web site."},
        {window->txtKeywords[1], "Please enter at least 3 specific keywords for your web site."},
        {window->txtKeywords[2], "Please enter at least 3 specific keywords for your web site."},
        {window->txtDescription, "Please enter a description of your web site."},
        {window->cboSiteURL, "Please enter a Website URL."},
        {window->txtSummary, "Please enter a summary of your web site."},
        {window->txtCompany, "Please enter your company name or the name of your web site."},
    };
    // Each step fills the field the previous check stopped at; a blank counts as filled.
    const std::function<void()> fill[] = {
        [this] { window->txtTitle->setText(u" "_s); },
        [this] { window->txtKeywords[0]->setText(u"a"_s); },
        [this] { window->txtKeywords[1]->setText(u"b"_s); },
        [this] { window->txtKeywords[2]->setText(u"c"_s); },
        [this] { window->txtDescription->setPlainText(u"d"_s); },
        [this] { window->cboSiteURL->setEditText(u"www.example.com"_s); },
        [this] { window->txtSummary->setPlainText(u"s"_s); },
        [this] { window->txtCompany->setText(u"c"_s); },
    };
    for (int i = 4; i < 8; ++i)
        window->txtKeywords[i]->setText(u"later"_s);
    for (size_t i = 0; i < std::size(order); ++i) {
        env.dialogs.clearLog();
        env.dialogs.answerMessage(Platform::Ok);
        click(frmDoorway::CreateButton);
        ASSERT_EQ(env.dialogs.shown().size(), 1);
        EXPECT_EQ(env.dialogs.shown()[0].prompt, QString::fromLatin1(order[i].message));
        EXPECT_EQ(env.dialogs.shown()[0].title, u"Doorway Page"_s);
        EXPECT_EQ(window->focusWidget(), order[i].focus) << i;
        // Nothing typed yet: the address history is not changed.
        EXPECT_EQ(window->cboSiteURL->count(), i <= 5 ? 0 : 1);
        fill[i]();
    }
    env.dialogs.answerMessage(Platform::No);
    click(frmDoorway::CreateButton);
    EXPECT_TRUE(env.dialogs.prompts().last().startsWith(u"7 Dooryway pages"_s));
}

// New Page empties every field and keeps both lists; Enter in a field clicks no button.
TEST_F(DoorwayTest, NewPageAndEnter)
{
    fillSample();
    window->cboProfile->addItem(u"Kept"_s);
    window->cboProfile->setEditText(u"Shop"_s);
    modCommon::addHistory(window->cboSiteURL, u"www.example.com"_s);
    for (QWidget *field : {static_cast<QWidget *>(window->txtTitle), static_cast<QWidget *>(window->txtKeywords[3]),
                           static_cast<QWidget *>(window->cboSiteURL->lineEdit())})
        QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(window->txtTitle->text(), u"Blue Widgets Direct"_s);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(env.dialogs.shown().isEmpty());

    click(frmDoorway::NewPageButton);
    for (QLineEdit *box : {window->txtTitle, window->txtKeywords[0], window->txtSubTitle2, window->txtImageURL,
                           window->txtCompany, window->txtFileLocation})
        EXPECT_TRUE(box->text().isEmpty()) << box->objectName().toStdString();
    EXPECT_TRUE(window->txtDescription->toPlainText().isEmpty());
    EXPECT_TRUE(window->txtSummary->toPlainText().isEmpty());
    EXPECT_TRUE(window->cboProfile->currentText().isEmpty());
    EXPECT_TRUE(window->cboSiteURL->currentText().isEmpty());
    EXPECT_EQ(window->cboProfile->count(), 1);
    EXPECT_EQ(window->cboSiteURL->count(), 1);
}

TEST_F(DoorwayTest, HelpAreaFollowsTheFocus)
{
    const auto focus = [](QWidget *widget) {
        QFocusEvent in(QEvent::FocusIn);
        QApplication::sendEvent(widget, &in);
    };
    EXPECT_EQ(window->lblTitle->text(), u"Dooryway Page"_s);
    focus(window->txtKeywords[6]);
    EXPECT_EQ(window->lblTitle->text(), u"Keywords"_s);
    EXPECT_EQ(window->lblCaption->text(), window->txtKeywords[0]->toolTip());
    focus(window->Command1[frmDoorway::SaveButton]);
    EXPECT_EQ(window->lblTitle->text(), u"Keywords"_s);
    focus(window->cboSiteURL->lineEdit());
    EXPECT_EQ(window->lblTitle->text(), u"WebSite URL"_s);
    focus(window->Command1[frmDoorway::NewPageButton]);
    EXPECT_TRUE(window->lblCaption->text().startsWith(u"A doorway page is a webpage"_s));
}

// Esc does not close the window: the page typed so far stays.
TEST_F(DoorwayTest, EscapeKeepsTheWindowAndItsFields)
{
    fillSample();
    for (QWidget *field : {static_cast<QWidget *>(window->txtSummary), static_cast<QWidget *>(window->txtTitle),
                           static_cast<QWidget *>(window->cboSiteURL)})
        QTest::keyClick(field, Qt::Key_Escape);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(frmDoorway::loadedInstance(), window.data());
    EXPECT_EQ(modCommon::multiLineText(window->txtSummary), u"Our widgets ...\r\nSecond paragraph."_s);
}

TEST_F(DoorwayTest, AddressHistoryKeepsThirtyAndIsStoredAtClose)
{
    for (int i = 0; i <= 30; ++i) {
        window->cboSiteURL->setEditText(u"www.site"_s + QString::number(i) + u".example"_s);
        env.dialogs.answerMessage(Platform::Ok);
        click(frmDoorway::CreateButton);   // stops at the empty title, after the address is added
    }
    window->cboSiteURL->setEditText(u"WWW.SITE30.EXAMPLE"_s);
    env.dialogs.answerMessage(Platform::Ok);
    click(frmDoorway::CreateButton);
    ASSERT_EQ(window->cboSiteURL->count(), 30);
    EXPECT_EQ(window->cboSiteURL->itemText(0), u"www.site30.example"_s);
    EXPECT_EQ(window->cboSiteURL->itemText(29), u"www.site1.example"_s);
    window->txtFileLocation->setText(u"/somewhere/"_s);
    click(frmDoorway::CloseButton);
    EXPECT_EQ(frmDoorway::loadedInstance(), nullptr);
    const QString history = modCommon::historyFile();
    EXPECT_EQ(modCommon::readINIValue(history, u"Doorway"_s, u"30"_s), u"www.site1.example"_s);
    EXPECT_EQ(Platform::getSetting(u"Velquist"_s, u"Doorway"_s, u"DefaultDir"_s), u"/somewhere/"_s);
    // The next open loads the list afresh and starts the output box at the program's folder.
    frmDoorway *next = frmDoorway::instance();
    EXPECT_EQ(next->cboSiteURL->count(), 30);
    EXPECT_EQ(next->txtFileLocation->text(), outputFolder());
}
