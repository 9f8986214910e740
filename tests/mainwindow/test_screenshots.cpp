// Pictures of every page of the main window over the sample data, for a look at the layout.
// Runs only when VELQUIST_SCREENSHOT_DIR names the folder for the PNG files (scripts/screenshot).
#include <gtest/gtest.h>

#include <QDir>
#include <QPixmap>
#include <QTabWidget>

#include "MainWindowFixture.h"

class Screenshots : public MainWindowTest {
protected:
    void shoot(const QString &folder, const QString &name)
    {
        QApplication::processEvents();
        const QPixmap picture = w->grab();
        ASSERT_FALSE(picture.isNull());
        EXPECT_TRUE(picture.save(QDir(folder).filePath(name + QStringLiteral(".png"))));
    }
};

TEST_F(Screenshots, EveryPageOfTheMainWindow)
{
    const QString folder = qEnvironmentVariable("VELQUIST_SCREENSHOT_DIR");
    if (folder.isEmpty())
        GTEST_SKIP() << "VELQUIST_SCREENSHOT_DIR is not set";
    ASSERT_TRUE(QDir().mkpath(folder));
    env.writeFile(siteFile(QStringLiteral("Shop.vqs")),
                  siteBytes("Example Shop")
                      + "[Report]\r\nURL1=http://www.example.com/\r\nDate1=Jan 05, 2026 14:30\r\nReportFile1=/r.htm\r\n");
    openWithProjects();
    modCommon::writeINIValue(siteFile(QStringLiteral("Shop.vqs")), QStringLiteral("Web Site Info"),
                             QStringLiteral("LastReport"), QStringLiteral("1"));
    w->resize(1100, 760);

    click(QStringLiteral("Root"));
    shoot(folder, QStringLiteral("01-root"));
    click(QStringLiteral("Root\\Shops"));
    shoot(folder, QStringLiteral("02-project"));
    click(QStringLiteral("Root\\Shops\\Shop"));
    const QStringList tabs = {QStringLiteral("03-site-info"), QStringLiteral("04-site-urls"),
                              QStringLiteral("05-contact"), QStringLiteral("06-category"), QStringLiteral("07-reports")};
    for (int i = 0; i < tabs.size() && i < w->SSTab1->count(); ++i) {
        w->SSTab1->setCurrentIndex(i);
        shoot(folder, tabs[i]);
    }
    w->SSTab1->setCurrentIndex(3);
    w->tabCategory->setCurrentIndex(1);
    shoot(folder, QStringLiteral("08-custom-category"));
    w->cmdSelectEngine_Click(1);
    w->ToolbarMain_ButtonClick(QStringLiteral("Engines"));
    shoot(folder, QStringLiteral("09-engines"));
}
