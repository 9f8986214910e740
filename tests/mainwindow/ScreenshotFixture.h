// Fixture for pictures of windows (scripts/screenshot). Each tool window adds its own
// Screenshots.* test in a file of its own beside this header.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>

#include <QDir>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

#include "MainWindowFixture.h"
#include "core/modCommon.h"

class Screenshots : public MainWindowTest {
protected:
    void SetUp() override
    {
        folder = qEnvironmentVariable("VELQUIST_SCREENSHOT_DIR");
        if (folder.isEmpty())
            GTEST_SKIP() << "VELQUIST_SCREENSHOT_DIR is not set";
        ASSERT_TRUE(QDir().mkpath(folder));
        MainWindowTest::SetUp();
    }
    void save(const QPixmap &picture, const QString &name)
    {
        ASSERT_FALSE(picture.isNull()) << name.toStdString();
        EXPECT_TRUE(picture.save(QDir(folder).filePath(name + QStringLiteral(".png"))));
    }
    void shoot(QWidget *window, const QString &name)
    {
        QApplication::processEvents();
        save(window->grab(), name);
    }
    void shoot(const QString &name) { shoot(w, name); }
    static bool onScreen() { return QGuiApplication::platformName() == QLatin1String("xcb"); }
    // The screen as it is now, without drawing anything first.
    static QPixmap screenNow() { return QGuiApplication::primaryScreen()->grabWindow(0); }
    void openShopWithReport()
    {
        env.writeFile(siteFile(QStringLiteral("Shop.vqs")),
                      siteBytes("Example Shop")
                          + "[Report]\r\nURL1=http://www.example.com/\r\nDate1=Jan 05, 2026 14:30\r\nReportFile1=/r.htm\r\n");
        openWithProjects();
        modCommon::writeINIValue(siteFile(QStringLiteral("Shop.vqs")), QStringLiteral("Web Site Info"),
                                 QStringLiteral("LastReport"), QStringLiteral("1"));
        w->resize(1100, 760);
    }

    QString folder;
};
