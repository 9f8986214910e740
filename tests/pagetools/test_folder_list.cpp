// The meta-tag editor's folder list: rows and their kinds, order, View Source and double clicks.
#include "MetaTagFixture.h"

#include <sys/stat.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QSplitter>
#include <QGroupBox>
#include <QHeaderView>
#include <QTest>
#include <QPlainTextEdit>

#include "core/modCommonHtml.h"
#include "pagetools/FolderRows.h"
#include "pagetools/PageAddress.h"
#include "platform/KeyedListView.h"
#include "platform/Shell.h"
#include "platform/modDSSockLog.h"

using namespace Qt::StringLiterals;
using FolderRows::Kind;

namespace {

const QByteArray kPage = "<html><head><title>Shop</title>\r\n<meta name=\"keywords\" content=\"a,b\">\r\n</head></html>";

} // namespace

TEST(FolderRowsTest, EntriesAreKindsByTheFolderBitAndTheExtension)
{
    const struct { int word; const char *name; Kind kind; bool logged; } cases[] = {
        {0, "page.html", Kind::HtmlFile, false},   {1, "INDEX.HTM", Kind::HtmlFile, false},
        {2, "notes.htm.bak", Kind::OtherFile, false}, {4, "readme.txt", Kind::OtherFile, false},
        {0, "p0549.htm.HpfxpY", Kind::OtherFile, false}, {0, "a.htmx", Kind::OtherFile, false},
        {0, ".htm", Kind::HtmlFile, false},
        {33, "a.htm", Kind::HtmlFile, true},        {32, "a.HtMl", Kind::HtmlFile, false},
        {16, "site.html", Kind::Folder, false},     {17, ".git", Kind::Folder, false},
        {48, "x", Kind::Folder, true},
    };
    for (const auto &c : cases) {
        TestSupport::TestEnvironment env;
        const QString name = QString::fromUtf8(c.name);
        EXPECT_EQ(FolderRows::classify(c.word, name, u"/site.html/"_s + name), c.kind) << c.word << c.name;
        const QByteArray log = env.readFile(modDSSock::errorLogFile());
        EXPECT_EQ(log.contains(QByteArray(QByteArray::number(c.word) + ": /site.html/" + c.name)), c.logged) << c.name;
    }
}

TEST(FolderRowsTest, FolderTextsParentsAndLocalPaths)
{
    for (const char *local : {"/", "/home/u/site/index.htm", "C:\\site\\a.htm"})
        EXPECT_TRUE(PageAddress::isLocalPath(QString::fromUtf8(local))) << local;
    for (const char *web : {"", "example.com/a", "http://x/", "c:/site", "1:\\x", "127.0.0.1:8080/a"})
        EXPECT_FALSE(PageAddress::isLocalPath(QString::fromUtf8(web))) << web;
    EXPECT_EQ(FolderRows::driveFolder(u"/ [root]"_s), u"/"_s);
    EXPECT_EQ(FolderRows::driveFolder(u"/media/usb [My Disk]"_s), u"/media/usb"_s);
    EXPECT_EQ(FolderRows::listingFolder(u"/web/site"_s), u"/web/site/"_s);
    EXPECT_EQ(FolderRows::listingFolder(u"/web/photos [2020]"_s), u"/web/photos [2020]/"_s);
    EXPECT_EQ(FolderRows::parentFolder(u"/web/site/"_s), u"/web/"_s);
    EXPECT_EQ(FolderRows::parentFolder(u"/web/"_s), u"/"_s);
}

TEST_F(MetaTagTest, ListsFoldersFilesAndTheUpEntryWithTheirPaths)
{
    env.writeFile(site + u"Index.htm"_s, kPage);
    env.writeFile(site + u"index.htm"_s, kPage);
    env.writeFile(site + u"locked.htm"_s, kPage);
    QFile::setPermissions(site + u"locked.htm"_s, QFile::ReadOwner);
    env.writeFile(site + u"site.html/readme.txt"_s, "x");
    ASSERT_EQ(mkfifo(QFile::encodeName(site + u"x.htm"_s).constData(), 0600), 0);
    open();

    const struct { const char *name; const char *imageKey; const char *type; QString path; } rows[] = {
        {" ..", "Up", "Folder", env.root() + u"/"_s},
        {"site.html", "Folder", "Folder", site + u"site.html"_s},
        {"Index.htm", "WebFile", "HTML File", site + u"Index.htm"_s},
        {"index.htm", "WebFile", "HTML File", site + u"index.htm"_s},
        {"locked.htm", "WebFile", "HTML File", site + u"locked.htm"_s},
    };
    ASSERT_EQ(w->lsvDirs->topLevelItemCount(), int(std::size(rows))) << names().join(u'|').toStdString();
    for (const auto &r : rows) {
        QTreeWidgetItem *item = row(QString::fromUtf8(r.name));
        ASSERT_TRUE(item) << r.name;
        EXPECT_EQ(itemImageKey(item), QString::fromUtf8(r.imageKey)) << r.name;
        EXPECT_EQ(item->text(1), QString::fromUtf8(r.type)) << r.name;
        EXPECT_EQ(Platform::itemTag(item), r.path) << r.name;
        EXPECT_EQ(Platform::itemKey(item), r.path) << r.name;
    }

    w->addDirs(site + u"site.html"_s);
    EXPECT_EQ(itemImageKey(row(u"readme.txt"_s)), u"WinFile"_s);
    w->addDirs(FolderRows::driveFolder(u"/ [root]"_s));
    EXPECT_FALSE(row(u" .."_s));
    EXPECT_TRUE(row(u"tmp"_s) || row(u"usr"_s));
    w->addDirs(site + u"missing"_s);
    EXPECT_EQ(w->lsvDirs->topLevelItemCount(), 0);
    EXPECT_TRUE(env.dialogs.shown().isEmpty());
}

// The up entry, then the folders, then the files, in either order of a column, as the FTP panes.
TEST_F(MetaTagTest, SortsUpEntryFoldersFilesIgnoringCaseAndEachClickReverses)
{
    for (const char *file : {"b.htm", "A.txt", "c.HTM"})
        env.writeFile(site + QString::fromUtf8(file), kPage);
    for (const char *folder : {"Zeta", "alpha"})
        QDir().mkpath(site + QString::fromUtf8(folder));
    open();
    const QStringList ascending = {u" .."_s, u"alpha"_s, u"Zeta"_s, u"A.txt"_s, u"b.htm"_s, u"c.HTM"_s};
    const QStringList descending = {u" .."_s, u"Zeta"_s, u"alpha"_s, u"c.HTM"_s, u"b.htm"_s, u"A.txt"_s};
    const auto clickHeader = [this](int column) { TestSupport::clickHeader(w->lsvDirs, column); };
    EXPECT_EQ(names(), ascending);
    clickHeader(0);
    EXPECT_EQ(names(), descending);
    clickHeader(0);
    EXPECT_EQ(names(), ascending);
    clickHeader(1);   // another column sorts ascending
    EXPECT_EQ(names(), ascending);
    clickHeader(1);   // by type, descending: "HTML File" before "File", the up entry and folders still first
    EXPECT_EQ(names(), descending);
    const QStringList byType = names();
    w->addDirs(site);   // a new listing keeps the order
    EXPECT_EQ(names(), byType);
}

// Enter and a double click do the same on every kind of row: a folder or the up entry is listed,
// a page that is read shows its tags, and a row that gives no page (a page without a head, one
// over the size cap, another file, an entry gone since the listing) keeps what the user typed.
TEST_F(MetaTagTest, RowsOfEveryKindWithEnterAndDoubleClick)
{
    env.writeFile(site + u"a.htm"_s, kPage);
    QFile::setPermissions(site + u"a.htm"_s, QFile::ReadOwner);   // a read-only page is shown too
    env.writeFile(site + u"nohead.htm"_s, "<html><body>x</body></html>");
    env.writeFile(site + u"notes.txt"_s, "<head><title>No</title></head>");
    env.writeFile(site + u"sub [1]/b.htm"_s, kPage);
    {
        QFile big(site + u"big.htm"_s);
        ASSERT_TRUE(big.open(QIODevice::WriteOnly) && big.resize(modCommon::kMaxHtmlFileBytes + 1));
    }
    enum Outcome { Shown, Kept, Listed };
    const struct { const char *name; Outcome outcome; const char *box; } rows[] = {
        {"a.htm", Shown, nullptr},
        {"nohead.htm", Kept, nullptr},
        {"big.htm", Kept, "The file is larger than 8388608 bytes."},
        {"notes.txt", Kept, nullptr},
        {"gone.htm", Kept, "The file or folder no longer exists: "},
        {"sub [1]", Listed, nullptr},
        {" ..", Listed, nullptr},
    };
    for (const bool byEnter : {true, false}) {
        for (const auto &r : rows) {
            const QString name = QString::fromUtf8(r.name);
            SCOPED_TRACE(name.toStdString() + (byEnter ? " by Enter" : " by double click"));
            env.writeFile(site + u"gone.htm"_s, kPage);
            open();
            QFile::remove(site + u"gone.htm"_s);
            w->txtTitle->clear();
            QTest::keyClicks(w->txtTitle, u"typed"_s);
            w->txtKeyword->clear();
            QTest::keyClicks(w->txtKeyword, u"mine"_s);
            env.dialogs.clearLog();
            if (r.box)
                env.dialogs.answerMessage(Platform::Ok);
            QTreeWidgetItem *item = row(name);
            ASSERT_TRUE(item);
            const QString tag = Platform::itemTag(item);
            if (byEnter) {
                w->lsvDirs->setFocus();
                w->lsvDirs->setCurrentItem(item);
                QTest::keyClick(w->lsvDirs, Qt::Key_Return);
            } else {
                TestSupport::doubleClickRow(w->lsvDirs, item);
            }
            EXPECT_EQ(w->cboAddress->currentText(), tag);
            const bool shown = r.outcome == Shown;
            EXPECT_EQ(w->txtTitle->text(), shown ? u"Shop"_s : u"typed"_s);
            EXPECT_EQ(w->txtKeyword->toPlainText(), shown ? u"a,b"_s : u"mine"_s);
            EXPECT_EQ(w->Label1[2]->text(), shown ? u"Keywords (3 characters)"_s : u"Keywords (4 characters)"_s);
            if (r.outcome == Listed) {
                EXPECT_TRUE(row(name == u" .."_s ? u"site"_s : u"b.htm"_s));
            }
            ASSERT_EQ(env.dialogs.prompts().size(), r.box ? 1 : 0);
            if (r.box) {
                EXPECT_TRUE(env.dialogs.prompts()[0].contains(QString::fromUtf8(r.box))) << env.dialogs.prompts()[0].toStdString();
            }
            EXPECT_FALSE(Platform::isBusyPointer());
        }
    }
}

// Typing a name's first letters selects the row, a folder's as well as a file's.
TEST_F(MetaTagTest, TypeAheadReachesFoldersAndFiles)
{
    for (const char *folder : {"docs", "Images"})
        QDir().mkpath(site + QString::fromUtf8(folder));
    for (const char *file : {"index.htm", "notes.txt"})
        env.writeFile(site + QString::fromUtf8(file), kPage);
    open();
    EXPECT_EQ(names(), (QStringList{u" .."_s, u"docs"_s, u"Images"_s, u"index.htm"_s, u"notes.txt"_s}));
    w->lsvDirs->setFocus();
    const int interval = QApplication::keyboardInputInterval();
    QApplication::setKeyboardInputInterval(100);
    for (const char *typed : {"im", "in", "do", "no", "IMA"}) {
        QTest::qWait(150);   // a pause: the next letters start a new search
        QTest::keyClicks(w->lsvDirs, QString::fromUtf8(typed));
        ASSERT_TRUE(w->lsvDirs->currentItem()) << typed;
        EXPECT_TRUE(w->lsvDirs->currentItem()->text(0).startsWith(QString::fromUtf8(typed), Qt::CaseInsensitive)) << typed;
    }
    QApplication::setKeyboardInputInterval(interval);
    QTest::keyClick(w->lsvDirs, Qt::Key_Return);   // the folder found opens
    EXPECT_EQ(names(), QStringList{u" .."_s});
    EXPECT_EQ(w->cboAddress->currentText(), site + u"Images"_s);
}

TEST_F(MetaTagTest, ViewSourceOnlyForPagesAndWithTheWholePath)
{
    env.writeFile(site + u"my page.HTM"_s, kPage);
    env.writeFile(site + u"notes.txt"_s, "x");
    QDir().mkpath(site + u"pages.html"_s);
    open();
    const struct { const char *name; bool enabled; } cases[] = {
        {" ..", false}, {"pages.html", false}, {"notes.txt", false}, {"my page.HTM", true},
    };
    for (const auto &c : cases) {
        w->mnuViewSource->setEnabled(!c.enabled);
        TestSupport::rightClickRow(w->lsvDirs, row(QString::fromUtf8(c.name)));
        ASSERT_TRUE(w->mnuPopup->isVisible()) << c.name;
        EXPECT_EQ(w->mnuViewSource->isEnabled(), c.enabled) << c.name;
        QTest::keyClick(w->mnuPopup, Qt::Key_Escape);
    }
    viewSource(u"my page.HTM"_s);
    EXPECT_EQ(env.shellRequests, QStringList{u"editor:"_s + site + u"my page.HTM"_s});

    w->addDirs(site + u"pages.html"_s);
    w->lsvDirs->clear();   // nothing selected: nothing happens
    TestSupport::rightClickAt(w->lsvDirs->viewport(), QPoint(10, 10));
    EXPECT_FALSE(w->mnuPopup->isVisible());
    EXPECT_EQ(env.shellRequests.size(), 1);
}

namespace {

// Sets environment variables for one scope and puts the old values back.
class EnvironmentScope {
public:
    void set(const char *name, const QByteArray &value)
    {
        m_old.append({name, qgetenv(name), qEnvironmentVariableIsSet(name)});
        qputenv(name, value);
    }
    ~EnvironmentScope()
    {
        for (auto it = m_old.crbegin(); it != m_old.crend(); ++it)
            it->wasSet ? qputenv(it->name, it->value) : qunsetenv(it->name);
    }

private:
    struct Old {
        const char *name;
        QByteArray value;
        bool wasSet;
    };
    QList<Old> m_old;
};

} // namespace

// The user's editor first; one that needs a terminal only inside a terminal window; then the
// installed text editors; never the browser, and nothing when no editor can show the file.
TEST(ViewSourceEditor, TheUsersEditorATerminalOneInATerminalWindowElseAnInstalledOne)
{
    using Platform::Launch;
    const QString page = u"/site/my page.htm"_s;
    const struct { const char *visual, *editor; QStringList installed; QList<Launch> first; } cases[] = {
        {"kate -n", "vi", {u"kate"_s, u"vi"_s, u"xterm"_s}, {{u"/bin/kate"_s, {u"-n"_s, page}}}},
        {"", "vi", {u"vi"_s, u"xterm"_s, u"gedit"_s}, {{u"/bin/xterm"_s, {u"-e"_s, u"/bin/vi"_s, page}}}},
        {"", "nano -w", {u"nano"_s, u"x-terminal-emulator"_s}, {{u"/bin/x-terminal-emulator"_s, {u"-e"_s, u"/bin/nano"_s, u"-w"_s, page}}}},
        {"", "vi", {u"vi"_s, u"gedit"_s}, {{u"/bin/gedit"_s, {page}}}},
        {"missing", "emacs -nw", {u"emacs"_s, u"vi"_s, u"firefox"_s}, {}},
        {"", "", {u"firefox"_s}, {}},
    };
    for (const auto &c : cases) {
        EnvironmentScope scope;
        scope.set("VISUAL", c.visual);
        scope.set("EDITOR", c.editor);
        const auto find = [&c](const QString &name) { return c.installed.contains(name) ? u"/bin/"_s + name : QString(); };
        const QList<Launch> launches = Platform::textEditorLaunches(page, find);
        EXPECT_EQ(launches.mid(0, 1), c.first) << c.visual << " / " << c.editor;
    }
}

// View Source starts an installed editor with the page, or shows its box: vi without a terminal
// window would show nothing.
TEST_F(MetaTagTest, ViewSourceStartsAnEditorOrShowsItsBox)
{
    env.writeFile(site + u"a.htm"_s, kPage);
    const QString bin = env.root() + u"/bin/"_s;
    const QString marker = env.root() + u"/editor-args"_s;
    const auto fakeProgram = [&](const char *name) {
        env.writeFile(bin + QString::fromUtf8(name), "#!/bin/sh\necho \"$@\" > '" + marker.toUtf8() + "'\n");
        QFile::setPermissions(bin + QString::fromUtf8(name), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    };
    fakeProgram("vi");
    EnvironmentScope scope;
    scope.set("PATH", bin.toUtf8());
    scope.set("VISUAL", "vi");
    scope.set("EDITOR", "");
    Platform::setShellHook(nullptr);
    open();
    env.dialogs.answerMessage(Platform::Ok);
    viewSource(u"a.htm"_s);
    ASSERT_EQ(env.dialogs.prompts().size(), 1);
    EXPECT_TRUE(env.dialogs.prompts()[0].startsWith(u"ViewSource_Error: "_s));
    EXPECT_EQ(env.dialogs.shown()[0].title, u"Error"_s);
    EXPECT_FALSE(QFile::exists(marker));

    fakeProgram("gedit");
    viewSource(u"a.htm"_s);
    EXPECT_EQ(env.dialogs.shown().size(), 1);
    ASSERT_TRUE(Platform::waitUntil([&] { return QFile::exists(marker) && QFileInfo(marker).size() > 0; }, 8000));
    EXPECT_EQ(TestSupport::TestEnvironment::readFile(marker), (site + u"a.htm\n"_s).toUtf8());
}

// A folder is opened by its whole name: a "[" in it is no drive box label.
TEST_F(MetaTagTest, DoubleClickOpensAFolderWhoseNameHoldsABracket)
{
    env.writeFile(site + u"photos [2020]/a.htm"_s, kPage);
    open();
    QTreeWidgetItem *folder = row(u"photos [2020]"_s);
    ASSERT_TRUE(folder);
    TestSupport::doubleClickRow(w->lsvDirs, folder);
    EXPECT_EQ(names(), (QStringList{u" .."_s, u"a.htm"_s}));
    EXPECT_EQ(Platform::itemTag(row(u"a.htm"_s)), site + u"photos [2020]/a.htm"_s);
}

TEST_F(MetaTagTest, LoadsAtTheRootWithTheSplitterAtTwoFifthsAndMouseMovesEndTheHourglass)
{
    w = frmMetaTag::instance();
    EXPECT_TRUE(w->Drive1->currentText().startsWith(u"/ ["_s));
    EXPECT_GT(w->lsvDirs->topLevelItemCount(), 0);
    EXPECT_FALSE(row(u" .."_s));
    const QList<int> sizes = w->picSpliter->sizes();
    EXPECT_NEAR(double(sizes[0]) / (sizes[0] + sizes[1]), 0.4, 0.05);
    EXPECT_EQ(w->lsvDirs->headerItem()->text(0), u"Name"_s);
    EXPECT_EQ(w->lsvDirs->headerItem()->text(1), u"Type"_s);
    for (QWidget *area : {w->lsvDirs->viewport(), static_cast<QWidget *>(w->fraMeTaTag[0]), w->txtDescription->viewport()}) {
        Platform::setBusyPointer(true);
        QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), QPointF(5, 5), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(area, &move);
        EXPECT_FALSE(Platform::isBusyPointer()) << area->objectName().toStdString();
    }
}
