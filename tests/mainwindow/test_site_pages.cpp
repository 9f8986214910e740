// The site details pages: "Get Site Details" against servers on 127.0.0.1 and the local-file
// choice of the URL page, and the check of the fields before a site is saved.
#include "support/LoopbackServer.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest/QTest>

#include "core/clsPreference.h"
#include "mainwindow/SitePages.h"
#include "platform/CommonControls.h"
#include "platform/EventLoop.h"
#include "platform/KeyedListView.h"
#include "platform/LongWordWrap.h"
#include "sitedata/EngineListView.h"
#include "sitedata/MainObjectFixture.h"
#include "support/UserInput.h"
#include "transport/frmHTTP.h"

using namespace Qt::StringLiterals;
using TestSupport::LoopbackServer;

namespace {

constexpr int kWaitMs = 8000;

const QByteArray kHomePage = "<html><head><title>Shoe\r\nShop</title>\r\n"
                             "<meta name=\"keywords\" content=\"shoes, boots\">\r\n"
                             "<meta name=\"description\" content=\"Hand-made shoes\">\r\n"
                             "</head><body>Hi</body></html>";

class SiteDetails : public MainObjectTest {
protected:
    void SetUp() override
    {
        MainObjectTest::SetUp();
        myPreference().setTimeOut(2);
        myPreference().setAccessType(0);
        myPreference().setProxy(QString());
        frmHTTP::setIntervals({10, 300, 1500});
        pages = w->sitePages;
        ASSERT_TRUE(showSitePages());
    }
    void press(QPushButton *button) { TestSupport::clickOnPage(w->SSTab1, button); }
    void TearDown() override
    {
        Platform::setBusyPointer(false);
        MainObjectTest::TearDown();
    }

    void getSiteDetails(const QString &answer)
    {
        env.dialogs.answerInput(answer);
        press(w->cmdGetSiteInfo);
    }
    static bool waitForFetchEnd() { return Platform::waitUntil([] { return !frmHTTP::loadedInstance(); }, kWaitMs); }
    void fillSiteInfo()
    {
        w->txtSiteTitle->setText(u"Old title"_s);
        w->txtSiteKeywords->setPlainText(u"old"_s);
        w->txtSiteDescription->setPlainText(u"old description"_s);
    }
    QString panel() const { return w->StatusBar1->panelText(1); }

    SitePages *pages = nullptr;
};

} // namespace

TEST_F(SiteDetails, BareHostIsFetchedWithTheSchemeAndOfferedNextTime)
{
    LoopbackServer server;
    server.replyWith(LoopbackServer::httpReply(200, kHomePage));
    getSiteDetails(server.hostPort() + u"/home.htm"_s);
    const QString url = u"http://"_s + server.hostPort() + u"/home.htm"_s;
    EXPECT_EQ(panel(), u"Connecting to "_s + url + u" ..."_s);
    ASSERT_TRUE(Platform::waitUntil([this] { return !w->txtSiteTitle->text().isEmpty(); }, kWaitMs));
    EXPECT_TRUE(server.requests().value(0).startsWith("GET /home.htm HTTP/1.0\r\n"));
    EXPECT_EQ(w->txtSiteTitle->text(), u"Shoe Shop"_s);
    EXPECT_EQ(w->txtSiteKeywords->toPlainText(), u"shoes, boots"_s);
    EXPECT_EQ(w->txtSiteDescription->toPlainText(), u"Hand-made shoes"_s);
    EXPECT_EQ(panel(), QString());
    EXPECT_FALSE(Platform::isBusyPointer());
    EXPECT_EQ(pages->m_sSiteInfoURL, url);

    const TestSupport::ShownDialog &prompt = env.dialogs.shown().at(0);
    EXPECT_EQ(prompt.title, u"Get Site Details"_s);
    EXPECT_EQ(prompt.prompt, u"Get site Title, Keywords and Description from your web site.\r\n\r\n"
                             "Please enter your web site URL and click on the 'OK' button:"_s);
    EXPECT_EQ(prompt.defaultText, QString());

    // Cancel: nothing is fetched, the address stays for next time.
    getSiteDetails(QString());
    EXPECT_EQ(env.dialogs.shown().at(1).defaultText, url);
    EXPECT_EQ(frmHTTP::loadedInstance(), nullptr);
    EXPECT_EQ(server.requests().size(), 1);
    EXPECT_EQ(pages->m_sSiteInfoURL, url);
}

TEST_F(SiteDetails, AddressWithSchemeInCapitalsIsFetchedUnchanged)
{
    LoopbackServer server;
    server.replyWith(LoopbackServer::httpReply(200, kHomePage));
    const QString url = u"HTTP://"_s + server.hostPort() + u"/"_s;
    getSiteDetails(url);
    ASSERT_TRUE(waitForFetchEnd());
    EXPECT_EQ(pages->m_sSiteInfoURL, url);
    EXPECT_EQ(w->txtSiteTitle->text(), u"Shoe Shop"_s);
}

TEST_F(SiteDetails, AFailedConnectionTakesTheConnectingTextAway)
{
    QString address;
    {
        LoopbackServer closed;   // its port is free again once it is gone
        address = closed.hostPort();
    }
    env.dialogs.answerInput(address);
    env.dialogs.answerMessage(Platform::Ok);
    press(w->cmdGetSiteInfo);
    EXPECT_TRUE(env.dialogs.shown().last().prompt.startsWith(u"HTTPConnect_Error: "_s));
    EXPECT_EQ(panel(), QString());
}

TEST_F(SiteDetails, PageWithoutTagsEmptiesTheBoxesAndAnEmptyPageLeavesThem)
{
    LoopbackServer server;
    server.replyWith(LoopbackServer::httpReply(200, "<html><body>No tags at all</body></html>"));
    fillSiteInfo();
    getSiteDetails(server.hostPort());
    ASSERT_TRUE(waitForFetchEnd());
    EXPECT_EQ(w->txtSiteTitle->text(), QString());
    EXPECT_EQ(w->txtSiteKeywords->toPlainText(), QString());
    EXPECT_EQ(w->txtSiteDescription->toPlainText(), QString());

    server.replyWith(LoopbackServer::httpReply(200, QByteArray()));
    fillSiteInfo();
    getSiteDetails(server.hostPort());
    ASSERT_TRUE(waitForFetchEnd());
    EXPECT_EQ(server.requests().size(), 2);
    EXPECT_EQ(w->txtSiteTitle->text(), u"Old title"_s);
    EXPECT_EQ(w->txtSiteDescription->toPlainText(), u"old description"_s);
    EXPECT_EQ(panel(), QString());
}

TEST_F(SiteDetails, PageArrivingAfterTheUserMovedToAnotherSiteIsDropped)
{
    LoopbackServer server;
    QList<QTcpSocket *> held;
    server.setHandler([&held](QTcpSocket *client, const QByteArray &) { held.append(client); });
    w->m_sSiteFile = env.programFolder() + u"Projects/Shop.vqs"_s;
    fillSiteInfo();
    getSiteDetails(server.hostPort());
    ASSERT_TRUE(server.waitForRequests(1, kWaitMs));
    w->m_sSiteFile = env.programFolder() + u"Projects/Outlet.vqs"_s;
    for (QTcpSocket *client : held) {
        client->write(LoopbackServer::httpReply(200, kHomePage));
        client->disconnectFromHost();
    }
    ASSERT_TRUE(waitForFetchEnd());
    EXPECT_EQ(w->txtSiteTitle->text(), u"Old title"_s);
    EXPECT_EQ(w->txtSiteKeywords->toPlainText(), u"old"_s);
    EXPECT_EQ(panel(), QString());
    EXPECT_FALSE(Platform::isBusyPointer());
}

TEST_F(SiteDetails, FetchedWordsOfAnyLengthAreBoundedAndWrapAnywhere)
{
    constexpr int kMax = SitePages::kMaxFetchedChars;
    // Keywords of one word, a description of short words over lines, a title of one word.
    const struct { int chars; int shown; } cases[] = {{kMax, kMax}, {kMax + 1, kMax}, {256 * 1024, kMax}};
    for (const auto &c : cases) {
        QByteArray description;
        while (description.size() < c.chars)
            description += "walk on\r\n";
        description.truncate(c.chars);
        LoopbackServer server;
        server.replyWith(LoopbackServer::httpReply(
            200, "<html><head><title>" + QByteArray(c.chars, 'T') + "</title><meta name=\"keywords\" content=\""
                     + QByteArray(c.chars, 'k') + "\"><meta name=\"description\" content=\"" + description
                     + "\"></head></html>"));
        getSiteDetails(server.hostPort());
        ASSERT_TRUE(waitForFetchEnd());
        EXPECT_EQ(w->txtSiteTitle->text().size(), c.shown) << c.chars;
        EXPECT_EQ(w->txtSiteKeywords->toPlainText().size(), c.shown) << c.chars;
        EXPECT_EQ(w->txtSiteKeywords->wordWrapMode(), QTextOption::WrapAnywhere) << c.chars;
        // Line breaks count once each in the box.
        const QString shown = w->txtSiteDescription->toPlainText();
        EXPECT_TRUE(u"walk on\n"_s.repeated(kMax / 9 + 1).startsWith(shown)) << c.chars;
        EXPECT_GE(shown.size(), kMax - kMax / 9 - 1) << c.chars;
        EXPECT_NE(w->txtSiteDescription->wordWrapMode(), QTextOption::WrapAnywhere) << c.chars;
    }
    // The user's own short words wrap at blanks again.
    w->txtSiteKeywords->setFocus();
    w->txtSiteKeywords->selectAll();
    QTest::keyClicks(w->txtSiteKeywords, u"shoes boots"_s);
    EXPECT_EQ(w->txtSiteKeywords->toPlainText(), u"shoes boots"_s);
    EXPECT_NE(w->txtSiteKeywords->wordWrapMode(), QTextOption::WrapAnywhere);
}

// The wrap of a box follows each edit of the user's: a long word pasted, shortened with
// Backspace, lengthened by typing, split with Enter, joined again, typed over, undone and
// redone, and two words joined into a long one. The box holds other lines too.
TEST_F(SiteDetails, TheWrapFollowsEveryEditOfALongWord)
{
    constexpr int kLong = LongWordWrap::kLongWordChars;
    QPlainTextEdit *box = w->txtSiteDescription;
    TestSupport::showPageOf(w->SSTab1, box);
    TestSupport::clickOn(box);
    for (const QString &line : {u"Hand-made shoes"_s, u"for every walk"_s}) {
        QTest::keyClicks(box, line);
        QTest::keyClick(box, Qt::Key_Return);
    }
    QTest::keyClicks(box, u"Walk far "_s);
    const auto key = [box](Qt::Key key, Qt::KeyboardModifiers modifiers = {}, int times = 1) {
        return [=] {
            for (int n = 0; n < times; ++n)
                QTest::keyClick(box, key, modifiers);
        };
    };
    const auto paste = [box](const QString &text) {
        return [=] {
            QApplication::clipboard()->setText(text);
            QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
        };
    };
    const auto anywhere = QTextOption::WrapAnywhere;
    const auto atBlanks = QTextOption::WrapAtWordBoundaryOrAnywhere;
    const struct {
        const char *edit;
        std::function<void()> act;
        QTextOption::WrapMode mode;
    } steps[] = {
        {"short words typed", key(Qt::Key_A), atBlanks},
        {"a long word pasted", paste(QString(kLong, u'w')), anywhere},
        {"Backspace to the longest short word", key(Qt::Key_Backspace), atBlanks},
        {"one letter typed", key(Qt::Key_W), anywhere},
        {"split with Enter", [&] { key(Qt::Key_Left, {}, 500)(); key(Qt::Key_Return)(); }, atBlanks},
        {"joined with Backspace", key(Qt::Key_Backspace), anywhere},
        {"typed over", [&] { key(Qt::Key_End, Qt::ControlModifier)();
                             key(Qt::Key_Left, Qt::ControlModifier | Qt::ShiftModifier)(); key(Qt::Key_X)(); }, atBlanks},
        {"undone", key(Qt::Key_Z, Qt::ControlModifier), anywhere},
        {"redone", key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier), atBlanks},
        {"two words joined by Delete", [&] { key(Qt::Key_End, Qt::ControlModifier)();
                                             paste(u" "_s % QString(kLong / 2 + 1, u'a') % u' ' % QString(kLong / 2 + 1, u'b'))();
                                             key(Qt::Key_Left, {}, kLong / 2 + 2)(); key(Qt::Key_Delete)(); }, anywhere},
        {"cut away with the lines above it", [&] { key(Qt::Key_End, Qt::ControlModifier)();
                                                   key(Qt::Key_Home, Qt::ControlModifier | Qt::ShiftModifier)();
                                                   key(Qt::Key_X, Qt::ControlModifier)(); }, atBlanks},
        {"pasted back", key(Qt::Key_V, Qt::ControlModifier), anywhere},
    };
    for (const auto &step : steps) {
        step.act();
        EXPECT_EQ(box->wordWrapMode(), step.mode) << step.edit;
    }
    const QString joined = QString(kLong / 2 + 1, u'a') + QString(kLong / 2 + 1, u'b');
    EXPECT_EQ(box->toPlainText(), u"Hand-made shoes\nfor every walk\nWalk far x "_s + joined);
}

TEST_F(SiteDetails, LocalFileGoesToTheBoxAndToTheSelectedRowOnly)
{
    const QString page = env.root() + u"/page.htm"_s;
    env.writeFile(page, "<html></html>");
    env.dialogs.answerFile(page);
    press(w->cmdFileLocation);
    EXPECT_EQ(w->txtURLFileLocation->text(), page);
    EXPECT_TRUE(w->isEnabled());
    EXPECT_FALSE(Platform::isBusyPointer());

    w->lsvSiteURLs->addRow(u"http://a.example/"_s, {u"http://a.example/"_s}, u"HTMLFile"_s);
    QTreeWidgetItem *b = w->lsvSiteURLs->addRow(u"http://b.example/"_s, {u"http://b.example/"_s}, u"HTMLFile"_s);
    w->lsvSiteURLs->setCurrentItem(b);
    const QString other = env.root() + u"/other.htm"_s;
    env.writeFile(other, "<html></html>");
    env.dialogs.answerFile(other);
    press(w->cmdFileLocation);
    EXPECT_EQ(Platform::itemTag(b), other);
    EXPECT_EQ(Platform::itemTag(w->lsvSiteURLs->rowByKey(u"http://a.example/"_s)), QString());

    // A cancelled dialog or a missing file changes nothing.
    env.dialogs.answerFile(QString());
    press(w->cmdFileLocation);
    env.dialogs.answerFile(env.root() + u"/missing.htm"_s);
    press(w->cmdFileLocation);
    EXPECT_EQ(w->txtURLFileLocation->text(), other);
    EXPECT_EQ(Platform::itemTag(b), other);
    EXPECT_TRUE(w->isEnabled());
}

TEST_F(SiteDetails, ClearedFieldsKeepNoCustomCategoryOfThePreviousSite)
{
    installSample();
    ASSERT_TRUE(main->loadEngineCategory());
    ASSERT_TRUE(main->loadEngines());
    ASSERT_GT(main->m_intNumOfCustEngines, 1);
    main->myCustomEngine[0].Category = u"/Arts/Painting"_s;
    main->myCustomEngine[1].SpaceID = u"12345"_s;
    w->clearWebsiteFields();
    for (const CustomEngineEntry &entry : main->myCustomEngine) {
        EXPECT_TRUE(entry.Category.isEmpty()) << entry.EngineName.toStdString();
        EXPECT_TRUE(entry.SpaceID.isEmpty()) << entry.EngineName.toStdString();
    }
    const QString file = env.root() + u"/New.vqs"_s;
    ASSERT_TRUE(main->saveWebsiteFile(file));
    EXPECT_FALSE(TestSupport::TestEnvironment::readFile(file).contains("CustomEngineCategory"));
}

namespace {

class SiteFieldCheck : public SiteDetails {
protected:
    // Every field the check looks at, filled.
    void fillEveryField()
    {
        w->txtSiteTitle->setText(u"Shoe Shop"_s);
        w->txtSiteKeywords->setPlainText(u"shoes"_s);
        w->txtSiteDescription->setPlainText(u"Hand-made shoes"_s);
        w->cboWebType->setCurrentText(u"General"_s);
        w->lsvSiteURLs->addRow(u"http://shoes.example/"_s, {u"http://shoes.example/"_s}, u"HTMLFile"_s);
        for (QLineEdit *box : {w->txtName, w->txtCompany, w->txtAddress, w->txtCity, w->txtState, w->txtPostcode,
                               w->txtPhone, w->txtFax, w->txtPassword})
            box->setText(u"x"_s);
        w->txtEmail->setText(u"jane@shoes.example"_s);
        w->cboCountry->setCurrentText(u"Norway"_s);
        w->lstCategory->addItem(u"Shoes"_s);
        w->lstCategory->item(0)->setSelected(true);
    }
    QString firstLineAsked() const { return env.dialogs.shown().value(0).prompt.section(u"\r\n"_s, 0, 0); }
};

} // namespace

TEST_F(SiteFieldCheck, EveryFieldFilledPassesWithoutAQuestionAndABlankCountsAsFilled)
{
    fillEveryField();
    EXPECT_TRUE(w->isValidFields());
    w->txtSiteTitle->setText(u" "_s);
    w->txtEmail->setText(u"@"_s);
    EXPECT_TRUE(w->isValidFields());
    EXPECT_TRUE(env.dialogs.shown().isEmpty());
}

TEST_F(SiteFieldCheck, FirstMissingFieldIsShownAndTheAnswerDecides)
{
    w->SSTab1->setCurrentIndex(4);
    env.dialogs.answerMessage(Platform::No);
    EXPECT_FALSE(w->isValidFields());
    EXPECT_EQ(firstLineAsked(), u"Please enter your web site title."_s);
    EXPECT_EQ(w->SSTab1->currentIndex(), 0);
    EXPECT_EQ(env.dialogs.shown()[0].title, u"Save WebSite Details"_s);
    EXPECT_TRUE(env.dialogs.shown()[0].prompt.endsWith(u"\r\n\r\nDo you want to save anyway ?"_s));

    fillEveryField();
    w->lsvSiteURLs->clear();
    env.dialogs.clearLog();
    env.dialogs.answerMessage(Platform::Yes);
    EXPECT_TRUE(w->isValidFields());
    EXPECT_EQ(firstLineAsked(), u"Please enter your web site URL."_s);
    EXPECT_EQ(w->SSTab1->currentIndex(), 1);
}

TEST_F(SiteFieldCheck, AddressWithoutAtStopsOnTheContactPageBeforeLaterGaps)
{
    fillEveryField();
    w->txtEmail->setText(u"a.b"_s);
    w->txtPassword->clear();
    env.dialogs.answerMessage(Platform::No);
    EXPECT_FALSE(w->isValidFields());
    EXPECT_EQ(firstLineAsked(), u"Invalid email address. Please check your email address"_s);
    EXPECT_EQ(w->SSTab1->currentIndex(), 2);
}

TEST_F(SiteFieldCheck, CustomCategoryAloneDoesNotCountAsACategory)
{
    fillEveryField();
    w->lstCategory->item(0)->setSelected(false);
    w->txtCustomCategory->setText(u"Arts/Painting"_s);
    w->tabCategory->setCurrentIndex(1);
    env.dialogs.answerMessage(Platform::No);
    EXPECT_FALSE(w->isValidFields());
    EXPECT_EQ(firstLineAsked(), u"Please select a category you want to submit."_s);
    EXPECT_EQ(w->SSTab1->currentIndex(), 3);
    EXPECT_EQ(w->tabCategory->currentIndex(), 0);
}

TEST_F(SiteDetails, ClearedFieldsLeaveTheLocalFileAndLetSelectAllTakeEveryEngineAgain)
{
    installSample();
    ASSERT_TRUE(main->loadEngineCategory());
    ASSERT_TRUE(main->loadEngines());
    const int engines = w->lsvEngines->count();
    ASSERT_GT(engines, 0);
    main->EngineSelect(1);
    w->txtURLFileLocation->setText(u"/site/index.htm"_s);
    w->clearWebsiteFields();
    EXPECT_EQ(w->lsvSelectedEngines->count(), 0);
    EXPECT_EQ(w->txtURLFileLocation->text(), u"/site/index.htm"_s);
    main->EngineSelect(1);
    EXPECT_EQ(w->lsvSelectedEngines->count(), engines);
}
