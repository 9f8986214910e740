// The meta-tag editor's page boxes and bulk update: the address box, counters, validation, the
// update of the selected pages against expected bytes, and runs disturbed during their yield.
#include "CappedBoxes.h"
#include "MetaTagFixture.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include "core/modCommon.h"
#include "core/modCommonHtml.h"
#include "support/ExpectedFile.h"
#include "platform/TextFile.h"
#include "support/LoopbackServer.h"
#include "platform/modDSSockLog.h"

using namespace Qt::StringLiterals;
using TestSupport::LoopbackServer;

namespace {

constexpr int kWaitMs = 8000;

const QByteArray kHead = "<html><head>\r\n<title>Boots\r\nand Shoes</title>\r\n"
                         "<meta name=\"keywords\" content=\"boots, shoes\">\r\n"
                         "<meta name=\"description\" content=\"Boots for all\">\r\n</head><body>x</body></html>";

QString dataFile(const char *name)
{
    return QStringLiteral(VELQUIST_TEST_DATA_DIR "/metatag/") + QLatin1String(name);
}

class MetaTagEdit : public MetaTagTest {
protected:
    void enter(const QString &address)
    {
        w->cboAddress->setEditText(address);
        QTest::keyClick(w->cboAddress, Qt::Key_Return);
    }
    void setBoxes(const QString &title, const QString &keywords, const QString &description)
    {
        w->txtTitle->setText(title);
        modCommon::setMultiLineText(w->txtKeyword, keywords);
        modCommon::setMultiLineText(w->txtDescription, description);
    }
    // Update in insert or replace mode, answering the question with Yes.
    void update(bool replace)
    {
        TestSupport::clickOn(w->optUpdate[replace ? 1 : 0]);
        env.dialogs.answerMessage(Platform::Yes);
        TestSupport::clickOn(w->Command1[0]);
    }
    void copySample(const QStringList &names, const char *sample = "sample.htm")
    {
        for (const QString &name : names)
            env.writeFile(site + name, env.readFile(dataFile(sample)));
    }
    QByteArray fileBytes(const QString &name) const { return TestSupport::TestEnvironment::readFile(site + name); }
};

} // namespace

// What the user typed stays until a page is read: a folder, a missing page or a text that names
// no page leaves the boxes as they are. A local read leaves no busy pointer.
TEST_F(MetaTagEdit, EnterReadsAnExistingLocalPageAndIgnoresOtherTexts)
{
    env.writeFile(site + u"a.htm"_s, kHead);
    env.writeFile(site + u"nohead.htm"_s, "<html><body>x</body></html>");
    open();
    const struct { QString text; const char *title; const char *keywords; int history; } cases[] = {
        {site + u"a.htm"_s, "Boots and Shoes", "boots, shoes", 1},
        {u""_s, "typed", "mine", 1},
        {site + u"missing.htm"_s, "typed", "mine", 2},
        {site, "typed", "mine", 3},
        {site + u"nohead.htm"_s, "typed", "mine", 4},
        {u"localhost"_s, "typed", "mine", 5},
    };
    for (const auto &c : cases) {
        w->txtTitle->clear();
        QTest::keyClicks(w->txtTitle, u"typed"_s);
        modCommon::setMultiLineText(w->txtKeyword, u"mine"_s);
        enter(c.text);
        EXPECT_EQ(w->txtTitle->text(), QString::fromUtf8(c.title)) << c.text.toStdString();
        EXPECT_EQ(modCommon::multiLineText(w->txtKeyword), QString::fromUtf8(c.keywords)) << c.text.toStdString();
        EXPECT_EQ(w->cboAddress->count(), c.history) << c.text.toStdString();
        EXPECT_FALSE(Platform::isBusyPointer()) << c.text.toStdString();   // a local read is over at once
    }
    EXPECT_EQ(w->Label1[0]->text(), u"Title (5 characters)"_s);
    EXPECT_FALSE(frmHTTP::loadedInstance());   // nothing was fetched
    EXPECT_TRUE(env.dialogs.shown().isEmpty());
}

TEST_F(MetaTagEdit, EnterFetchesAWebAddressAndShowsItsTags)
{
    LoopbackServer server;
    server.replyWith(LoopbackServer::httpReply(200, kHead));
    open();
    const QString address = server.hostPort() + u"/x.htm"_s;
    QTest::keyClicks(w->txtTitle, u"typed"_s);
    enter(address);
    EXPECT_EQ(w->lblStatusBar->text(), u"Connecting to "_s + address);
    EXPECT_EQ(w->txtTitle->text(), u"typed"_s);   // until the page is there
    ASSERT_TRUE(Platform::waitUntil([&] { return w->txtTitle->text() != u"typed"_s; }, kWaitMs));
    EXPECT_EQ(w->txtTitle->text(), u"Boots and Shoes"_s);
    EXPECT_EQ(w->lblStatusBar->text(), u"Done"_s);
    EXPECT_EQ(modCommon::multiLineText(w->txtKeyword), u"boots, shoes"_s);
    EXPECT_EQ(w->Label1[4]->text(), u"Description (13 characters)"_s);
    EXPECT_TRUE(server.requests().value(0).startsWith("GET /x.htm "));
}

// A page's title, keywords and description reach the boxes bounded as the main window bounds its
// own: 32,767 characters each, a CR LF never cut in two; fetched or read from the disk alike.
TEST_F(MetaTagEdit, FetchedAndReadTextIsBoundedAsTheMainWindowBoundsIt)
{
    constexpr qsizetype kMax = modCommon::kMaxShownTagChars;
    const QByteArray page = "<html><head><title>" + QByteArray(kMax, 't') + "</title>\r\n<meta name=\"keywords\" content=\""
                            + QByteArray(kMax - 1, 'k') + "\r\n" + QByteArray(100000, 'k') + "\">\r\n<meta name=\"description\" content=\""
                            + QByteArray(40000, 'd') + "\">\r\n</head><body>x</body></html>";
    env.writeFile(site + u"long.htm"_s, page);
    LoopbackServer server;
    server.replyWith(LoopbackServer::httpReply(200, page));
    open();
    for (const QString &address : QStringList{site + u"long.htm"_s, server.hostPort() + u"/long.htm"_s}) {
        w->txtTitle->clear();
        enter(address);
        ASSERT_TRUE(Platform::waitUntil([this] { return !w->txtTitle->text().isEmpty(); }, kWaitMs)) << address.toStdString();
        EXPECT_EQ(w->txtTitle->text(), QString(kMax, u't'));
        EXPECT_EQ(w->txtKeyword->toPlainText(), QString(kMax - 1, u'k'));
        EXPECT_EQ(w->txtDescription->toPlainText(), QString(kMax, u'd'));
        EXPECT_EQ(w->Label1[2]->text(), u"Keywords (32766 characters)"_s);
    }
    EXPECT_TRUE(env.dialogs.shown().isEmpty());
}

TEST_F(MetaTagEdit, HistoryKeepsTwentyNewestFirstWithDuplicates)
{
    open();
    for (int i = 1; i <= 21; ++i)
        enter(u"host"_s + QString::number(i));
    enter(u"host21"_s);
    ASSERT_EQ(w->cboAddress->count(), frmMetaTag::kHistoryEntries);
    EXPECT_EQ(w->cboAddress->itemText(0), u"host21"_s);
    EXPECT_EQ(w->cboAddress->itemText(1), u"host21"_s);
    EXPECT_EQ(w->cboAddress->itemText(19), u"host3"_s);
    // Closing releases the window; the next open starts with an empty history.
    TestSupport::clickOn(w->Command1[1]);
    EXPECT_FALSE(frmMetaTag::loadedInstance());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(open()->cboAddress->count(), 0);
}

TEST_F(MetaTagEdit, EachCounterFollowsItsOwnBoxAndTypingStopsAtTheCap)
{
    open();
    w->getMetaTag(u"<head><title>a\nb</title><meta name=\"keywords\" content=\"k\"></head>"_s);
    EXPECT_EQ(w->txtTitle->text(), u"a\nb"_s);   // a lone LF stays
    EXPECT_EQ(w->Label1[0]->text(), u"Title (3 characters)"_s);
    EXPECT_EQ(w->Label1[4]->text(), u"Description (0 characters)"_s);
    QTest::keyClicks(w->txtKeyword, u"xy"_s);
    QTest::keyClick(w->txtKeyword, Qt::Key_Return);
    EXPECT_EQ(w->Label1[2]->text(), u"Keywords (5 characters)"_s);   // a line break counts 2
    EXPECT_EQ(w->Label1[0]->text(), u"Title (3 characters)"_s);

    const QString full(frmMetaTag::kMaxTyped, u'd');
    w->getMetaTag(u"<head><title>"_s + full + u"e</title><meta name=\"description\" content=\""_s + full
                  + u"e\"></head>"_s);   // the program may set more
    EXPECT_EQ(w->Label1[4]->text(), u"Description (1001 characters)"_s);
    EXPECT_EQ(w->txtTitle->text().size(), 1001);
    modCommon::setMultiLineText(w->txtDescription, full);
    w->txtDescription->moveCursor(QTextCursor::End);
    QTest::keyClicks(w->txtDescription, u"zz"_s);
    EXPECT_EQ(modCommon::multiLineText(w->txtDescription), full);
    w->getMetaTag(u"<head><title>"_s + full + u"</title></head>"_s);
    QTest::keyClicks(w->txtTitle, u"zz"_s);
    EXPECT_EQ(w->txtTitle->text(), full);
}

// Ctrl+V stops at the cap as typing does; Esc leaves the window and its boxes as they are.
TEST_F(MetaTagEdit, PastingStopsAtTheCapAndEscapeKeepsTheWindow)
{
    open();
    QApplication::clipboard()->setText(QString(1500, u'p'));
    for (QWidget *box : {static_cast<QWidget *>(w->txtTitle), static_cast<QWidget *>(w->txtKeyword),
                         static_cast<QWidget *>(w->txtDescription)}) {
        QTest::keyClicks(box, u"ab"_s);
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
        QTest::keyClick(box, Qt::Key_Escape);
    }
    const QString capped = u"ab"_s + QString(frmMetaTag::kMaxTyped - 2, u'p');
    EXPECT_EQ(w->txtTitle->text(), capped);
    EXPECT_EQ(modCommon::multiLineText(w->txtKeyword), capped);
    EXPECT_EQ(modCommon::multiLineText(w->txtDescription), capped);
    EXPECT_EQ(w->Label1[4]->text(), u"Description (1000 characters)"_s);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(frmMetaTag::loadedInstance(), w);
}

// A paste into a full or nearly full box keeps every character the box held and takes the
// beginning of the pasted text, as much as fits, wherever the cursor stands.
TEST_F(MetaTagEdit, APasteKeepsTheBoxsTextAndTakesWhatFits)
{
    open();
    const QString nearlyFull = QString(990, u'a') + u"END"_s;
    const QString full = QString(997, u'a') + u"END"_s;
    const QString threeLines = u"first line\nsecond\n"_s + QString(977, u'c');   // 997 with CR LF
    const QString repeating = u"abab"_s + QString(993, u'c');
    enum Where { Start, Middle, End };
    const struct { QPlainTextEdit *box; QString text; Where where; QString paste; QString kept; } cases[] = {
        {w->txtKeyword, nearlyFull, Start, u"0123456789XYZ"_s, u"0123456"_s},
        {w->txtKeyword, nearlyFull, Middle, u"0123456789XYZ"_s, u"0123456"_s},
        {w->txtKeyword, nearlyFull, End, u"0123456789XYZ"_s, u"0123456"_s},
        {w->txtKeyword, full, Start, u"x"_s, u""_s},
        {w->txtKeyword, full, Middle, u"xyz"_s, u""_s},
        {w->txtKeyword, full, End, u"x"_s, u""_s},
        {w->txtDescription, threeLines, Start, u"xy\nz"_s, u"xy"_s},   // the line break would take two
        {w->txtDescription, threeLines, Middle, u"xyz"_s, u"xyz"_s},
        {w->txtDescription, repeating, Start, u"ababab"_s, u"aba"_s},   // its end repeats the text after it
    };
    for (const auto &c : cases) {
        const int cursor = c.where == Start ? 0 : c.where == Middle ? 5 : int(c.text.size());
        modCommon::setMultiLineText(c.box, c.text);
        c.box->setFocus();
        QTest::keyClick(c.box, Qt::Key_Home, Qt::ControlModifier);
        if (c.where == End)
            QTest::keyClick(c.box, Qt::Key_End, Qt::ControlModifier);
        for (int i = 0; c.where == Middle && i < cursor; ++i)
            QTest::keyClick(c.box, Qt::Key_Right);
        QApplication::clipboard()->setText(c.paste);
        QTest::keyClick(c.box, Qt::Key_V, Qt::ControlModifier);
        const QString expected = c.text.left(cursor) + c.kept + c.text.mid(cursor);
        EXPECT_EQ(c.box->toPlainText(), expected) << c.text.size() << " " << int(c.where) << " " << c.paste.toStdString();
        QTest::keyClick(c.box, Qt::Key_Z, Qt::ControlModifier);   // undo takes the paste back whole
        EXPECT_EQ(c.box->toPlainText(), c.text) << c.text.size() << " " << int(c.where) << " " << c.paste.toStdString();
        QTest::keyClick(c.box, Qt::Key_Y, Qt::ControlModifier);
        EXPECT_EQ(c.box->toPlainText(), expected);
    }
    // Typing after a capped paste goes on as before: nothing more fits, a deletion makes room.
    QTest::keyClicks(w->txtDescription, u"q"_s);
    QTest::keyClick(w->txtDescription, Qt::Key_Backspace);
    QTest::keyClicks(w->txtDescription, u"rs"_s);
    EXPECT_EQ(w->txtDescription->toPlainText(), u"abrabab"_s + QString(993, u'c'));
}

// In every box only what comes in is cut (typing, pastes of one or several lines by every route,
// over a selection, drops); undo and redo put back exactly what was there, also a loaded value
// over the cap, which "&Update" then writes whole; a drag inside a box never loses its words.
TEST_F(MetaTagEdit, TheCapCutsWhatComesInAndUndoPutsBackExactly)
{
    if (!TestSupport::dragsRun()) {
        TestSupport::runTestWhereDragsRun();
        return;
    }
    copySample({u"target.htm"_s});
    open();
    const auto loadInto = [this](QWidget *box) {
        return [this, box](const QString &value) {
            const auto tag = [&](QWidget *own) { return (own == box ? value : u"t"_s).toUtf8().replace("\n", "\r\n"); };
            env.writeFile(site + u"loaded.htm"_s, "<html><head><title>" + tag(w->txtTitle) + "</title>\r\n<meta name=\"keywords\" content=\""
                                                      + tag(w->txtKeyword) + "\">\r\n<meta name=\"description\" content=\""
                                                      + tag(w->txtDescription) + "\">\r\n</head></html>");
            enter(site + u"loaded.htm"_s);
        };
    };
    const QList<QWidget *> boxes{w->txtTitle, w->txtKeyword, w->txtDescription};
    EXPECT_EQ(CappedBoxes::cappedBoxesOf(w), boxes);
    for (QWidget *box : boxes)
        CappedBoxes::expectCapOnInputOnly(box, frmMetaTag::kMaxTyped, loadInto(box),
                                          box == w->txtKeyword ? w->txtDescription : w->txtKeyword);

    const QString keywords = QString(1404, u'k');
    loadInto(w->txtKeyword)(keywords);
    QTest::keyClick(w->txtKeyword, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(w->txtKeyword, Qt::Key_Delete);
    QTest::keyClick(w->txtKeyword, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(w->Label1[2]->text(), u"Keywords (1404 characters)"_s);
    w->addDirs(site);
    select({u"target.htm"_s});
    update(true);
    EXPECT_TRUE(fileBytes(u"target.htm"_s).contains(QByteArray("content=\"" + keywords.toLatin1() + "\">")));
}

TEST_F(MetaTagEdit, UpdateChecksTheBoxesInOrderThenAsks)
{
    open();
    const struct { const char *title, *keywords, *description, *message; } cases[] = {
        {"", "", "", "Please enter a title for your web site."},
        {" ", "", "d", "Please enter keywords for your web site."},
        {"t", "k", "", "Please enter description for your web site."},
    };
    for (const auto &c : cases) {
        setBoxes(QString::fromUtf8(c.title), QString::fromUtf8(c.keywords), QString::fromUtf8(c.description));
        env.dialogs.clearLog();
        env.dialogs.answerMessage(Platform::Ok);
        TestSupport::clickOn(w->Command1[0]);
        ASSERT_EQ(env.dialogs.shown().size(), 1);
        EXPECT_EQ(env.dialogs.shown()[0].prompt, QString::fromUtf8(c.message));
        EXPECT_EQ(env.dialogs.shown()[0].title, u"Meta Tag Editor"_s);
    }
    setBoxes(u" "_s, u" "_s, u" "_s);
    env.dialogs.clearLog();
    env.dialogs.answerMessage(Platform::No);
    TestSupport::clickOn(w->Command1[0]);
    EXPECT_TRUE(env.dialogs.shown()[0].prompt.contains(u"replace the existing Meta tag"_s));
    EXPECT_EQ(env.dialogs.shown()[0].title, u"Meta Tag"_s);
    EXPECT_NE(w->lblStatusBar->text(), u"Done"_s);
    update(false);   // nothing selected: the question, then Done
    EXPECT_TRUE(env.dialogs.shown()[1].prompt.contains(u"insert the new Meta tags"_s));
    EXPECT_EQ(w->lblStatusBar->text(), u"Done"_s);
}

TEST_F(MetaTagEdit, UpdateRewritesEverySelectedPageAsTheRoutinesEditThem)
{
    const struct { bool replace; const char *sample; const char *expected; } cases[] = {
        {false, "sample.htm", "sample.insert.htm"}, {true, "sample.htm", "sample.replace.htm"},
        {false, "bare.htm", "bare.insert.htm"},     {true, "bare.htm", "bare.replace.htm"},
    };
    for (const auto &c : cases) {
        const QStringList pages = {u"a.htm"_s, u"B.HTML"_s};
        // A copy a killed update left beside its page is no page.
        const QStringList others = {u"notes.txt"_s, u"c.htm.HpfxpY"_s};
        copySample(pages + others + QStringList{u"sub.htm/x.txt"_s}, c.sample);
        open();
        select(pages + others + QStringList{u"sub.htm"_s, u" .."_s});
        setBoxes(u"New"_s, u"x"_s, u"\u03A9d"_s);
        update(c.replace);
        EXPECT_EQ(w->lblStatusBar->text(), u"Done"_s);
        for (const QString &page : pages)
            EXPECT_TRUE(TestSupport::matchesExpectedFile(fileBytes(page), dataFile(c.expected))) << page.toStdString();
        for (const QString &other : others)
            EXPECT_EQ(fileBytes(other), env.readFile(dataFile(c.sample))) << other.toStdString();
        EXPECT_FALSE(Platform::isBusyPointer());
    }
    EXPECT_TRUE(env.dialogs.pendingAnswers() == 0);
}

TEST_F(MetaTagEdit, FailedWritesAreReportedInFileOrderAndAGoneFileSkippedWhileTheRunGoesOn)
{
    const QStringList pages = {u"a.htm"_s, u"bad1.htm"_s, u"c.htm"_s, u"bad2.htm"_s, u"e.htm"_s};
    copySample(pages);
    open();
    select(pages);
    QFile::remove(site + u"a.htm"_s);
    setBoxes(u"New"_s, u"x"_s, u"\u03A9d"_s);
    // A full disk for the "bad" pages; the writes run on several threads.
    Platform::setWriteFailureHook([](const QString &path) { return path.contains(u"/bad"_s); });
    env.dialogs.answerMessage(Platform::Yes);
    env.dialogs.answerMessage(Platform::Ok);
    env.dialogs.answerMessage(Platform::Ok);
    TestSupport::clickOn(w->Command1[0]);
    Platform::setWriteFailureHook({});
    const QStringList prompts = env.dialogs.prompts();
    ASSERT_EQ(prompts.size(), 3);
    for (int i = 1; i <= 2; ++i) {
        EXPECT_TRUE(prompts[i].startsWith(u"Module: replaceMetaTag\r\n"_s)) << prompts[i].toStdString();
        EXPECT_TRUE(prompts[i].endsWith(u"bad"_s + QString::number(i) + u".htm"_s)) << prompts[i].toStdString();
        EXPECT_EQ(fileBytes(u"bad%1.htm"_s.arg(i)), env.readFile(dataFile("sample.htm")));
    }
    for (const char *page : {"c.htm", "e.htm"})
        EXPECT_TRUE(TestSupport::matchesExpectedFile(fileBytes(QString::fromUtf8(page)), dataFile("sample.replace.htm")));
    EXPECT_FALSE(QFile::exists(site + u"a.htm"_s));
    EXPECT_EQ(w->lblStatusBar->text(), u"Done"_s);
}

// The pages selected when the run starts are updated, each once, whatever is clicked during a
// yield: the Update button, Close, a header click that sorts the list anew, another listing.
TEST_F(MetaTagEdit, ButtonsAndListingsDuringTheRunsYield)
{
    enum class During { Update, Close, SortClick, Relist };
    const struct { During during; int edited; bool stillLoaded; } cases[] = {
        {During::Update, 8, true}, {During::Close, 1, false}, {During::SortClick, 8, true}, {During::Relist, 8, true},
    };
    const QStringList pages = {u"a.htm"_s, u"b.htm"_s, u"c.htm"_s, u"d.htm"_s, u"e.htm"_s, u"f.htm"_s, u"g.htm"_s, u"h.htm"_s};
    for (const auto &c : cases) {
        copySample(pages + QStringList{u"x.htm"_s});
        QDir().mkpath(env.root() + u"/empty"_s);
        open();
        select(pages);
        setBoxes(u"New"_s, u"x"_s, u"d"_s);
        QPointer<frmMetaTag> window = w;
        // At the yield before the second page, whatever else the click and the question let run
        // before the run.
        QTimer during;
        QObject::connect(&during, &QTimer::timeout, w, [&] {
            if (!w->isUpdating() || !w->lblStatusBar->text().endsWith(u"/b.htm"_s))
                return;
            during.stop();
            if (c.during == During::Update)
                TestSupport::clickOn(w->Command1[0]);   // ignored: no question, no second run
            else if (c.during == During::Close)
                TestSupport::clickOn(w->Command1[1]);
            else if (c.during == During::SortClick)
                TestSupport::clickHeader(w->lsvDirs, 0);
            else
                w->addDirs(env.root() + u"/empty"_s);
        });
        during.start(0);
        update(false);
        EXPECT_FALSE(during.isActive()) << int(c.during);
        int edited = 0;
        for (const QString &page : pages) {
            const QByteArray bytes = fileBytes(page);
            EXPECT_FALSE(bytes.contains("NewNew")) << page.toStdString();
            edited += bytes.contains("NewShop") ? 1 : 0;
        }
        EXPECT_EQ(edited, c.edited) << int(c.during);
        EXPECT_EQ(fileBytes(u"x.htm"_s), env.readFile(dataFile("sample.htm")));   // not selected
        EXPECT_EQ(bool(frmMetaTag::loadedInstance()), c.stillLoaded) << int(c.during);
        if (c.stillLoaded) {
            EXPECT_EQ(w->lblStatusBar->text(), u"Done"_s);
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(window.isNull(), !c.stillLoaded);
        delete frmMetaTag::loadedInstance();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}
