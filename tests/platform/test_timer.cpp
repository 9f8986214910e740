#include "platform/Timer.h"

#include "platform/EventLoop.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

using Platform::Timer;
using Platform::waitUntil;

namespace {

int countFires(Timer &timer, qint64 forMs)
{
    int fires = 0;
    QObject context;
    QObject::connect(&timer, &Timer::timeout, &context, [&] { ++fires; });
    waitUntil([] { return false; }, forMs);
    return fires;
}

} // namespace

TEST(PlatformTimer, ZeroIntervalNeverFires)
{
    Timer timer(nullptr, 0, true);
    EXPECT_EQ(countFires(timer, 150), 0);
    timer.setInterval(-10);
    EXPECT_EQ(timer.interval(), 0);
    EXPECT_EQ(countFires(timer, 100), 0);
}

TEST(PlatformTimer, FiresOncePerIntervalWhileEnabled)
{
    Timer timer(nullptr, 40, true);
    const int fires = countFires(timer, 300);
    EXPECT_GE(fires, 3);
    EXPECT_LE(fires, 8);
}

TEST(PlatformTimer, NeverFiresBeforeItsInterval)
{
    QElapsedTimer clock;
    clock.start();
    Timer timer(nullptr, 600, true);
    qint64 firstFire = -1;
    QObject context;
    QObject::connect(&timer, &Timer::timeout, &context, [&] {
        if (firstFire < 0)
            firstFire = clock.elapsed();
    });
    ASSERT_TRUE(waitUntil([&] { return firstFire >= 0; }, 5000));
    EXPECT_GE(firstFire, 600);
}

TEST(PlatformTimer, DisabledTimerIsSilentUntilEnabled)
{
    Timer timer(nullptr, 30, false);
    EXPECT_EQ(countFires(timer, 120), 0);
    timer.setEnabled(true);
    EXPECT_GE(countFires(timer, 150), 1);
    timer.setEnabled(false);
    EXPECT_EQ(countFires(timer, 100), 0);
}

TEST(PlatformTimer, SettingTheIntervalStartsANewInterval)
{
    Timer timer(nullptr, 100, true);
    int fires = 0;
    QObject context;
    QObject::connect(&timer, &Timer::timeout, &context, [&] { ++fires; });
    // Resetting the interval every 60 ms keeps a 100 ms timer from ever firing.
    for (int i = 0; i < 5; ++i) {
        waitUntil([] { return false; }, 60);
        timer.setInterval(100);
    }
    EXPECT_EQ(fires, 0);
}
