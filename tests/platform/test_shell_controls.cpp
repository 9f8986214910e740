#include "platform/CommonControls.h"
#include "platform/Shell.h"

#include "support/TestEnvironment.h"

#include <QFile>
#include <QHeaderView>
#include <QTest>

using namespace Platform;

using ShellTest = TestSupport::VelquistTest;

TEST_F(ShellTest, RequestsGoToTheHookInsteadOfStartingPrograms)
{
    EXPECT_TRUE(shellOpen(QStringLiteral("http://127.0.0.1/x")));
    EXPECT_TRUE(openInTextEditor(QStringLiteral("/tmp/a.txt")));
    EXPECT_EQ(env.shellRequests,
              (QStringList{QStringLiteral("open:http://127.0.0.1/x"), QStringLiteral("editor:/tmp/a.txt")}));
}

TEST(CommonControls, ItemsAreFoundByKeyIgnoringCaseAtAnyDepth)
{
    QTreeWidget tree;
    auto *root = new QTreeWidgetItem(&tree, {QStringLiteral("root")});
    auto *child = new QTreeWidgetItem(root, {QStringLiteral("child")});
    setItemKey(root, QStringLiteral("P1"));
    setItemKey(child, QStringLiteral("Site|/x.vqs"));
    setItemTag(child, QStringLiteral("tag"));
    EXPECT_EQ(findItemByKey(&tree, QStringLiteral("site|/X.VQS")), child);
    EXPECT_EQ(findItemByKey(&tree, QStringLiteral("p1")), root);
    EXPECT_EQ(findItemByKey(&tree, QStringLiteral("none")), nullptr);
    EXPECT_EQ(itemTag(child), QStringLiteral("tag"));
    EXPECT_EQ(itemKey(nullptr), QString());
    EXPECT_EQ(allItems(&tree), (QList<QTreeWidgetItem *>{root, child}));
}

TEST(CommonControls, NodeKeysAreEqualWhenTheirCaseFoldedFormsAre)
{
    struct Case {
        QString first;
        QString second;
        bool equal;
    };
    const Case cases[] = {
        {QStringLiteral("Root\\Shop"), QStringLiteral("root\\SHOP"), true},
        {QStringLiteral("Root\\Shop"), QStringLiteral("Root\\Shops"), false},
        {QStringLiteral("Caf\u00C9"), QStringLiteral("caf\u00E9"), true},
        {QStringLiteral("\u212A"), QStringLiteral("k"), true},   // the Kelvin sign folds to a plain k
        {QStringLiteral("x\U00010400"), QStringLiteral("X\U00010428"), true},   // a pair of surrogates
        {QStringLiteral("@"), QStringLiteral("`"), false},
    };
    for (const Case &c : cases) {
        NodeKeySet keys;
        EXPECT_TRUE(keys.insert(c.first));
        EXPECT_EQ(keys.insert(c.second), !c.equal) << qPrintable(c.first + u' ' + c.second);
        EXPECT_FALSE(keys.insert(c.first));
    }
}

TEST(CommonControls, ExpandChildrenOpensOnlyTheRowsAsked)
{
    QTreeWidget tree;
    new QTreeWidgetItem(&tree, {QStringLiteral("other")});
    auto *top = new QTreeWidgetItem(&tree, {QStringLiteral("top")});
    auto *parent = new QTreeWidgetItem(top, {QStringLiteral("parent")});
    QList<QTreeWidgetItem *> children;
    for (int i = 0; i < 4; ++i) {
        children.append(new QTreeWidgetItem(parent, {QString::number(i)}));
        new QTreeWidgetItem(children.last(), {QStringLiteral("leaf")});
    }
    expandChildren(&tree, parent, 1, 2);
    const QList<bool> expanded = {children[0]->isExpanded(), children[1]->isExpanded(), children[2]->isExpanded(),
                                  children[3]->isExpanded(), parent->isExpanded()};
    EXPECT_EQ(expanded, (QList<bool>{false, true, true, false, false}));
}

TEST(CommonControls, StatusBarPanelsAreNumberedFromOne)
{
    StatusBar bar(3);
    bar.setPanelText(1, QStringLiteral("first"));
    bar.setPanelText(3, QStringLiteral("third"));
    bar.setPanelText(0, QStringLiteral("ignored"));
    bar.setPanelText(4, QStringLiteral("ignored"));
    EXPECT_EQ(bar.panelCount(), 3);
    EXPECT_EQ(bar.panelText(1), QStringLiteral("first"));
    EXPECT_EQ(bar.panelText(2), QString());
    EXPECT_EQ(bar.panelText(3), QStringLiteral("third"));
    EXPECT_EQ(bar.panelText(4), QString());
}

TEST(CommonControls, RedrawSuspenderRestoresTheFormerState)
{
    QWidget widget;
    {
        RedrawSuspender suspend(&widget);
        EXPECT_FALSE(widget.updatesEnabled());
        {
            RedrawSuspender nested(&widget);
        }
        EXPECT_FALSE(widget.updatesEnabled());
    }
    EXPECT_TRUE(widget.updatesEnabled());
}

// Real clicks on a shown list that starts sorted by its first column, with the indicator shown
// and hidden: a click on the sorted column reverses what the list shows, one on another column
// sorts it ascending.
TEST(CommonControls, AHeaderClickReversesTheSortedColumnAndSortsAnotherAscending)
{
    const struct { int column; const char *shown; } clicks[] = {
        {0, "cba"}, {0, "abc"}, {1, "acb"}, {1, "bca"}, {0, "abc"}, {1, "acb"},
    };
    for (const bool indicatorShown : {true, false}) {
        QTreeWidget list;
        list.setColumnCount(2);
        for (const char *row : {"b3", "c2", "a1"})   // the second column sorts them a, c, b
            new QTreeWidgetItem(&list, {QString(QLatin1Char(row[0])), QString(QLatin1Char(row[1]))});
        list.header()->setSectionsClickable(true);
        list.header()->setSortIndicatorShown(indicatorShown);
        list.sortItems(0, Qt::AscendingOrder);
        QObject::connect(list.header(), &QHeaderView::sectionClicked, &list,
                         [&list](int column) { list.sortItems(column, Platform::nextClickSortOrder(&list)); });
        list.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
        for (const auto &click : clicks) {
            const QPoint at(list.header()->sectionViewportPosition(click.column) + 5, list.header()->height() / 2);
            QTest::mouseClick(list.header()->viewport(), Qt::LeftButton, {}, at);
            QString shown;
            for (int row = 0; row < list.topLevelItemCount(); ++row)
                shown += list.topLevelItem(row)->text(0);
            EXPECT_EQ(shown, QLatin1String(click.shown)) << "indicator shown " << indicatorShown;
        }
    }
}

// $EDITOR is judged by the program it runs, links followed: a wrapper script or an editor not
// known to open a window of its own runs in a terminal window, or is passed over without one. A
// link's own name counts only when the program it leads to is unknown.
TEST_F(ShellTest, TheUsersEditorIsJudgedByTheProgramItRuns)
{
    const QString bin = env.root() + QStringLiteral("/bin/");
    for (const char *program : {"gedit", "vim.nox", "vim.gtk3", "sensible-editor", "xterm", "emacs-nox", "emacs-gtk"})
        env.writeFile(bin + QString::fromLatin1(program), "#!/bin/sh\n");
    const struct { const char *link, *target; } links[] = {
        {"editor", "vim.nox"}, {"gui-editor", "gedit"}, {"gvim", "vim.gtk3"}, {"vi", "vim.gtk3"},
        {"emacs", "emacs-nox"}, {"xemacs", "emacs-gtk"}, {"nano", "gedit"},
    };
    for (const auto &link : links)
        ASSERT_TRUE(QFile::link(bin + QString::fromLatin1(link.target), bin + QString::fromLatin1(link.link)));
    const QString page = QStringLiteral("/site/a.htm");
    enum Expected { Direct, InTerminal, InstalledEditor };
    const struct { const char *editor; bool terminalInstalled; Expected expected; } cases[] = {
        {"sensible-editor", true, InTerminal}, {"editor", true, InTerminal}, {"vim.nox", true, InTerminal},
        {"vi", true, InTerminal},              {"gui-editor", true, Direct}, {"gvim", true, Direct},
        {"editor", false, InstalledEditor},    {"sensible-editor", false, InstalledEditor},
        {"emacs", true, InTerminal},           {"xemacs", true, Direct},     {"nano", true, Direct},
    };
    const auto restore = [](const char *name, bool wasSet, const QByteArray &value) { wasSet ? qputenv(name, value) : qunsetenv(name); };
    const bool visualSet = qEnvironmentVariableIsSet("VISUAL"), editorSet = qEnvironmentVariableIsSet("EDITOR");
    const QByteArray oldVisual = qgetenv("VISUAL"), oldEditor = qgetenv("EDITOR");
    for (const auto &c : cases) {
        const QString editor = bin + QString::fromLatin1(c.editor);
        const auto find = [&](const QString &name) {
            const bool installed = QFile::exists(bin + name) && (name != QStringLiteral("xterm") || c.terminalInstalled);
            return installed ? bin + name : QString();
        };
        qputenv("VISUAL", QByteArray());
        qputenv("EDITOR", c.editor);
        const QList<Launch> launches = textEditorLaunches(page, find);
        const Launch expected[] = {{editor, {page}},
                                   {bin + QStringLiteral("xterm"), {QStringLiteral("-e"), editor, page}},
                                   {bin + QStringLiteral("gedit"), {page}}};
        EXPECT_EQ(launches.value(0), expected[c.expected])
            << c.editor << (c.terminalInstalled ? " with a terminal: " : ": ") << launches.value(0).program.toStdString();
    }
    restore("VISUAL", visualSet, oldVisual);
    restore("EDITOR", editorSet, oldEditor);
}
