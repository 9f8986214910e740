// Pictures of every page of the main window over the sample data, of the submission window, of
// a dialog on the screen and of the splash, for a look at the layout.
// Runs only when VELQUIST_SCREENSHOT_DIR names the folder for the PNG files (scripts/screenshot).
// Under a real window system (xcb) the dialog and the splash are taken from the screen itself,
// as the user sees them.
#include <gtest/gtest.h>

#include <cstdlib>

#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

#include "ScreenshotFixture.h"
#include "core/frmPreference.h"
#include "core/frmSplash.h"
#include "core/modStartUp.h"
#include "platform/EventLoop.h"
#include "sitedata/EngineListView.h"
#include "submission/SubmitScheduler.h"
#include "submission/frmSubmit.h"

TEST_F(Screenshots, EveryPageOfTheMainWindow)
{
    openShopWithReport();
    click(QStringLiteral("Root"));
    shoot(QStringLiteral("01-root"));
    click(QStringLiteral("Root\\Shops"));
    shoot(QStringLiteral("02-project"));
    click(QStringLiteral("Root\\Shops\\Shop"));
    const QStringList tabs = {QStringLiteral("03-site-info"), QStringLiteral("04-site-urls"),
                              QStringLiteral("05-contact"), QStringLiteral("06-category"), QStringLiteral("07-reports")};
    for (int i = 0; i < tabs.size() && i < w->SSTab1->count(); ++i) {
        w->SSTab1->setCurrentIndex(i);
        shoot(tabs[i]);
    }
    w->SSTab1->setCurrentIndex(3);
    w->tabCategory->setCurrentIndex(1);
    shoot(QStringLiteral("08-custom-category"));
    clickOnEngines(w->cmdSelectEngine[1]);
    shoot(QStringLiteral("09-engines"));
    w->resize(1400, 900);
    TestSupport::clickHeader(w->lsvEngines, 1);   // sorted by type, ascending at the first click
    shoot(QStringLiteral("10-engines-wide"));
}

TEST_F(Screenshots, TheSubmissionWindowsLists)
{
    openShopWithReport();
    click(QStringLiteral("Root\\Shops\\Shop"));
    clickOnEngines(w->cmdSelectEngine[1]);
    ProjectListPath = listFile();
    frmSubmit *submit = frmSubmit::Display(w, w->lsvSelectedEngines);
    shoot(submit, QStringLiteral("11-submit-sites"));
    TestSupport::clickOnPage(submit->SSTab1, submit->cmdNext);
    TestSupport::clickOnPage(submit->SSTab1, submit->cmdStart);
    // The connection rows as the scheduler shows them while it hands out engines.
    const QStringList engines = w->lsvSelectedEngines->names();
    for (int socket = 1; socket <= 3 && socket <= engines.size(); ++socket)
        emit submit->scheduler()->connectionRowChanged(socket, engines[socket - 1], QStringLiteral("Connecting ..."),
                                                       QStringLiteral("Connecting"));
    shoot(submit, QStringLiteral("12-submit-urls-and-connections"));
    // Submit, then Stop before the first engine was sent: the results tab counts them apart.
    TestSupport::clickOnPage(submit->SSTab1, submit->cmdSubmit);
    TestSupport::clickOnPage(submit->SSTab1, submit->cmdSubmit);
    shoot(submit, QStringLiteral("12b-submit-results-stopped"));
    delete submit;
    Platform::setBusyPointer(false);
}

TEST_F(Screenshots, ADialogCentredOnTheScreen)
{
    openShopWithReport();
    frmPreference dialog(w);
    dialog.show();
    QApplication::processEvents();
    if (!onScreen()) {
        shoot(&dialog, QStringLiteral("13-preferences"));
        return;
    }
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    save(screenNow(), QStringLiteral("13-preferences-on-screen"));
    const QRect area = dialog.screen()->availableGeometry();
    EXPECT_LE(std::abs(dialog.frameGeometry().center().x() - area.center().x()), 20);
}

TEST_F(Screenshots, TheSplashIsDrawnBeforeTheStartGoesOn)
{
    // As the start shows it: nothing runs the event loop after the show, the load goes on at once.
    frmSplash *splash = frmSplash::loadAndShow();
    const QRect where = splash->geometry();
    const QColor background = splash->palette().color(QPalette::Window);
    const QPixmap splashShown = onScreen() ? screenNow().copy(where) : splash->grab();
    frmSplash::unloadSplash();
    save(splashShown, QStringLiteral("00-splash"));
    // Mostly the window's colour, and text on it.
    const QImage image = splashShown.toImage();
    int plain = 0;
    int other = 0;
    for (int y = 0; y < image.height(); y += 2)
        for (int x = 0; x < image.width(); x += 2)
            ++(image.pixelColor(x, y) == background ? plain : other);
    EXPECT_GT(plain, other) << "splash not drawn at " << where.x() << "," << where.y();
    EXPECT_GT(other, 0) << "splash without its text";
}
