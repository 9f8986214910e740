// Clicks on the column headers of every list of the main window, on the shown window: one rule
// for the lists that sort (a click on the sorted column reverses it, a first click on another
// column sorts it ascending), the reports list's one flipping order, and lists that keep the
// order they were given.
#include <gtest/gtest.h>

#include <QPointer>
#include <QPushButton>
#include <QTabWidget>

#include "MainWindowFixture.h"
#include "core/modStartUp.h"
#include "platform/EventLoop.h"
#include "sitedata/EngineListView.h"
#include "submission/frmSubmit.h"

namespace {

class HeaderClicks : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        installSample();
        const QByteArray reports = programPath(QStringLiteral("Reports/Submition/")).toUtf8();
        env.writeFile(siteFile(QStringLiteral("Shop.vqs")),
                      crlf({"[Web Site Info]", "Title=Shop", "LastURL=3", "LastReport=3", "[URL]",
                            "URL1=http://b.example/", "URL2=http://c.example/", "URL3=http://a.example/", "[Report]",
                            "URL1=http://b.example/", "Date1=Mar 01, 2026 10:00"})
                          + "ReportFile1=" + reports + "b.html\r\n"
                          + crlf({"URL2=http://c.example/", "Date2=Jan 05, 2026 14:30"}) + "ReportFile2=" + reports
                          + "c.html\r\n" + crlf({"URL3=http://a.example/", "Date3=Feb 10, 2026 09:15"})
                          + "ReportFile3=" + reports + "a.html\r\n");
        writeProgramFile(QStringLiteral("project.vqj"),
                         "[Shops]\r\nLast=1\r\n1=Shop|" + siteFile(QStringLiteral("Shop.vqs")).toUtf8() + "\r\n");
        ASSERT_TRUE(main->Display());
        ASSERT_TRUE(loadEngineFiles(crlf({
            "Name=Delta", "Type=ENG", "Country=DE", "Name=Bravo", "Type=DIR", "Country=AT",
            "Name=Alpha", "Type=HOT", "Country=US", "Name=Charlie", "Type=MIS", "Country=FR",
        })));
        click(QStringLiteral("Root\\Shops\\Shop"));
    }
    // The first column's texts, top to bottom.
    static QStringList shown(const QTreeView *list)
    {
        QStringList texts;
        for (int row = 0; row < list->model()->rowCount(); ++row)
            texts << list->model()->index(row, 0).data().toString();
        return texts;
    }
};

QStringList names(std::initializer_list<const char *> texts)
{
    QStringList list;
    for (const char *text : texts)
        list << QString::fromUtf8(text);
    return list;
}

} // namespace

TEST_F(HeaderClicks, EveryListOfTheMainWindow)
{
    const QStringList engines = names({"Delta", "Bravo", "Alpha", "Charlie"});
    const QStringList byName = names({"Alpha", "Bravo", "Charlie", "Delta"});
    const QStringList byType = names({"Bravo", "Delta", "Alpha", "Charlie"});
    const QStringList byCountry = names({"Bravo", "Delta", "Charlie", "Alpha"});
    const auto reversed = [](QStringList list) {
        std::reverse(list.begin(), list.end());
        return list;
    };
    const QStringList urls = names({"http://a.example/", "http://b.example/", "http://c.example/"});
    const QStringList upFirst = names({"<< ...", "Zoo", "Arts"});
    struct Click {
        int column;
        QStringList shown;
    };
    const auto onEnginesPage = [this](QTreeView *list) { showOnEnginesPage(list); };
    const auto onSitePages = [this](QTreeView *list) {
        if (w->SSTab1->isHidden())
            click(QStringLiteral("Root\\Shops\\Shop"));
        TestSupport::showPageOf(w->SSTab1, list);
    };
    // A category list as a directory page fills it.
    const auto withCategories = [this](QTreeView *list) {
        TestSupport::showPageOf(w->SSTab1, w->tabCategory);
        TestSupport::showPageOf(w->tabCategory, list);
        auto *categories = static_cast<KeyedListView *>(list);
        categories->clear();
        for (const char *text : {"<< ...", "Zoo", "Arts"})
            categories->addRow(QString::fromUtf8(text), {QString::fromUtf8(text)}, QString());
    };
    const struct {
        const char *name;
        QTreeView *list;
        std::function<void(QTreeView *)> show;
        QList<Click> clicks;
    } lists[] = {
        // Type first: the first click on a column sorts it ascending, the next reverses it.
        {"engines", w->lsvEngines, onEnginesPage,
         {{1, byType}, {1, reversed(byType)}, {0, byName}, {0, reversed(byName)}, {2, byCountry}, {0, byName}}},
        {"selected engines", w->lsvSelectedEngines, onEnginesPage,
         {{2, byCountry}, {2, reversed(byCountry)}, {1, byType}, {0, byName}}},
        {"site URLs", w->lsvSiteURLs, onSitePages, {{0, urls}, {0, reversed(urls)}, {0, urls}}},
        // The reports list keeps its one order for the whole list: every click flips it.
        {"reports", w->lsvReports, onSitePages,
         {{0, reversed(urls)}, {0, urls}, {1, names({"http://b.example/", "http://c.example/", "http://a.example/"})}}},
        // The category lists keep the order of the page they show, the way up first.
        {"custom main categories", w->lsvCustomMainCategory, withCategories, {{0, upFirst}, {0, upFirst}}},
        {"custom sub-categories", w->lsvCustomSubCategory, withCategories, {{0, upFirst}, {0, upFirst}}},
    };
    clickOnEngines(w->cmdSelectEngine[1]);
    ASSERT_EQ(shown(w->lsvEngines), engines);
    ASSERT_EQ(shown(w->lsvSelectedEngines), engines);
    for (const auto &l : lists) {
        SCOPED_TRACE(l.name);
        l.show(l.list);
        ASSERT_TRUE(l.list->isVisible());
        for (const Click &c : l.clicks) {
            TestSupport::clickHeader(l.list, c.column);
            EXPECT_EQ(shown(l.list), c.shown) << "after a click on column " << c.column;
        }
    }
}

// A run takes the selected engines sorted by name; the list's header shows that order, so the
// next click on the name column reverses it.
TEST_F(HeaderClicks, TheSelectedEnginesAfterASubmissionTookThemByName)
{
    clickOnEngines(w->cmdSelectEngine[1]);
    TestSupport::clickHeader(w->lsvSelectedEngines, 2);
    ProjectListPath = listFile();
    clickToolbar(QStringLiteral("Submit"));
    QPointer<frmSubmit> run;
    for (QWidget *window : QApplication::topLevelWidgets())
        if (auto *candidate = qobject_cast<frmSubmit *>(window))
            run = candidate;
    ASSERT_TRUE(run);
    TestSupport::clickOnPage(run->SSTab1, run->cmdNext);
    EXPECT_EQ(shown(w->lsvSelectedEngines), names({"Alpha", "Bravo", "Charlie", "Delta"}));
    TestSupport::clickOnPage(run->SSTab1, run->cmdCancel[1]);
    TestSupport::clickOnPage(run->SSTab1, run->cmdCancel[0]);
    ASSERT_TRUE(Platform::waitUntil([&] { return !run && w->isEnabled(); }, 2000));
    TestSupport::clickHeader(w->lsvSelectedEngines, 0);
    EXPECT_EQ(shown(w->lsvSelectedEngines), names({"Delta", "Charlie", "Bravo", "Alpha"}));
    Platform::setBusyPointer(false);
}
