#pragma once
// A loaded main window over the sample engine data, with a project list of two projects:
// "Shops" (sites Shop = entry 1 and Outlet = entry 3; entry 2 empty) and "Empty".
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>

#include "core/modCommon.h"
#include "platform/CommonControls.h"
#include "platform/KeyedListView.h"
#include "sitedata/MainObjectFixture.h"
#include "support/UserInput.h"

class MainWindowTest : public MainObjectTest {
protected:
    QString listFile() const { return programPath(QStringLiteral("project.vqj")); }
    QString siteFile(const QString &name) const { return programPath(QStringLiteral("Projects/") + name); }

    // A web site file in the layout the program writes.
    static QByteArray siteBytes(const QByteArray &title)
    {
        return crlf({"[Web Site Info]", "Version=6.0"}) + "Title=" + title + "\r\n"
            + crlf({"Keyword=shop, gifts", "Description=Hand-made gifts", "WebType=Commercial Site",
                    "Language=English", "LastURL=1", "MainCategory=Business and Finance", "Category=Retail",
                    "YourName=Ann Example", "Email=ann@example.com", "Company=Example Ltd", "Address=1 Sample Road",
                    "City=Sampleton", "postcode=12345", "State=SA", "Country=United Kingdom", "Phone=+44 1",
                    "Fax=+44 2", "Password=secret", "[URL]", "URL1=http://www.example.com/", "LocalFile1="});
    }

    // Writes the two-project list with its site files and opens the window.
    void openWithProjects()
    {
        installSample();
        env.writeFile(siteFile(QStringLiteral("Shop.vqs")), siteBytes("Shop title"));
        env.writeFile(siteFile(QStringLiteral("Outlet.vqs")), siteBytes("Outlet title"));
        const QByteArray projects = programPath(QStringLiteral("Projects/")).toUtf8();
        writeProgramFile(QStringLiteral("project.vqj"),
                         "[Shops]\r\nDescription=Two shop sites\r\nLast=3\r\n1=Shop|" + projects
                             + "Shop.vqs\r\n2=\r\n3=Outlet|" + projects + "Outlet.vqs\r\n[Empty]\r\nDescription=\r\nLast=0\r\n");
        ASSERT_TRUE(main->Display());
    }
    void openEmpty()
    {
        installSample();
        ASSERT_TRUE(main->Display());
    }

    QTreeWidgetItem *node(const QString &key) const { return Platform::findItemByKey(w->TreeView1, key); }
    // The user's click on the node of that key.
    void click(const QString &key)
    {
        QTreeWidgetItem *n = node(key);
        ASSERT_TRUE(n) << key.toStdString();
        TestSupport::clickRow(w->TreeView1, n);
    }
    // A command chosen from its menu on the menu bar.
    void choose(QAction *item) { TestSupport::chooseFromMenuBar(w->menuBar(), item); }
    // An item of the File menu's Import menu.
    void chooseImport(QAction *item)
    {
        choose(w->mnuFileItems[10]);
        TestSupport::chooseFromMenu(w->mnuImport, item);
    }
    // The command when its menu offers it; else the menu is closed again.
    void chooseIfOffered(QMenu *menu, QAction *item)
    {
        if (offered(menu, item))
            choose(item);
    }
    // Opens the menu bar's menu and closes it again with Esc, as a user looking at it.
    void lookAt(QMenu *menu)
    {
        TestSupport::clickAt(w->menuBar(), w->menuBar()->actionGeometry(menu->menuAction()).center());
        EXPECT_TRUE(menu->isVisible()) << menu->title().toStdString();
        QTest::keyClick(menu, Qt::Key_Escape);
    }
    // Whether the menu offers the item when the user opens it.
    bool offered(QMenu *menu, QAction *item)
    {
        lookAt(menu);
        return item->isEnabled();
    }
    // A right click on the current node opens the tree's pop-up menu.
    void openPopup()
    {
        ASSERT_TRUE(w->m_currentNode);
        TestSupport::rightClickRow(w->TreeView1, w->m_currentNode);
        ASSERT_TRUE(w->mnuPopup->isVisible());
    }
    void chooseFromPopup(QAction *item)
    {
        openPopup();
        TestSupport::chooseFromMenu(w->mnuPopup, item);
    }
    // A click on the main toolbar's button of that key.
    void clickToolbar(const QString &key)
    {
        QAction *button = w->toolbarButton(key);
        ASSERT_TRUE(button) << key.toStdString();
        TestSupport::clickOn(w->ToolbarMain->widgetForAction(button));
    }
    // Brings the engines page's tab holding the control on screen: the toolbar button, then its tab.
    void showOnEnginesPage(QWidget *control)
    {
        if (w->SSTab3->isHidden())
            clickToolbar(QStringLiteral("Engines"));
        TestSupport::showPageOf(w->SSTab3, control);
    }
    void clickOnEngines(QWidget *control)
    {
        showOnEnginesPage(control);
        TestSupport::clickOn(control);
    }
    // The label editor that is open now (closed ones linger until the event loop deletes them).
    QLineEdit *openEditor() const
    {
        for (QLineEdit *editor : w->TreeView1->findChildren<QLineEdit *>())
            if (editor->isVisible())
                return editor;
        return nullptr;
    }
    QString currentKey() const { return w->m_currentNode ? Platform::itemKey(w->m_currentNode) : QString(); }
    QString listValue(const QString &section, const QString &key) const
    {
        return modCommon::readINIValue(listFile(), section, key);
    }
    QString siteValue(const QString &file, const QString &key, const QString &section = QStringLiteral("Web Site Info")) const
    {
        return modCommon::readINIValue(file, section, key);
    }
    QByteArray bytes(const QString &path) const { return TestSupport::TestEnvironment::readFile(path); }
    QStringList childTexts(const QString &key) const
    {
        QStringList texts;
        if (QTreeWidgetItem *n = node(key))
            for (int i = 0; i < n->childCount(); ++i)
                texts << n->child(i)->text(0);
        return texts;
    }
};
