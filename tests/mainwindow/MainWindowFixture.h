#pragma once
// A loaded main window over the sample engine data, with a project list of two projects:
// "Shops" (sites Shop = entry 1 and Outlet = entry 3; entry 2 empty) and "Empty".
#include <QApplication>
#include <QTimer>

#include "core/modCommon.h"
#include "platform/CommonControls.h"
#include "platform/KeyedListView.h"
#include "sitedata/MainObjectFixture.h"

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
        w->TreeView1_NodeClick(n);
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
