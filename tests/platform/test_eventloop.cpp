#include "platform/EventLoop.h"

#include <gtest/gtest.h>

#include <QCursor>
#include <QGuiApplication>
#include <QTimer>
#include <ctime>

using namespace Platform;

TEST(EventLoop, WaitUntilReturnsWhenTheConditionIsMetByAnEvent)
{
    bool done = false;
    QObject context;
    QTimer::singleShot(50, &context, [&] { done = true; });
    const qint64 start = tickCount();
    EXPECT_TRUE(waitUntil([&] { return done; }, 5000));
    EXPECT_LT(tickCount() - start, 2000);
}

TEST(EventLoop, WaitUntilIsBoundedByItsDeadline)
{
    const qint64 start = tickCount();
    EXPECT_FALSE(waitUntil([] { return false; }, 200));
    const qint64 waited = tickCount() - start;
    EXPECT_GE(waited, 200);
    EXPECT_LT(waited, 1500);
    // A zero or negative time-out still looks once.
    EXPECT_TRUE(waitUntil([] { return true; }, -5));
    EXPECT_FALSE(waitUntil([] { return false; }, 0));
}

TEST(EventLoop, WaitUntilSleepsInsteadOfSpinning)
{
    const std::clock_t cpuBefore = std::clock();
    waitUntil([] { return false; }, 400);
    const double cpuMs = 1000.0 * static_cast<double>(std::clock() - cpuBefore) / CLOCKS_PER_SEC;
    EXPECT_LT(cpuMs, 200.0);
}

TEST(EventLoop, DoEventsRunsPendingEvents)
{
    bool ran = false;
    QObject context;
    QTimer::singleShot(0, &context, [&] { ran = true; });
    doEvents();
    EXPECT_TRUE(ran);
}

TEST(EventLoop, ClocksAreMonotonicAndAgree)
{
    const qint64 a = tickCount();
    const qint64 b = tickCount();
    EXPECT_LE(a, b);
    EXPECT_EQ(secondsClock(), tickCount() / 1000);
}

TEST(EventLoop, BusyPointerIsOneStateNotAStack)
{
    setBusyPointer(true);
    setBusyPointer(true);
    EXPECT_TRUE(isBusyPointer());
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    setBusyPointer(false);
    EXPECT_FALSE(isBusyPointer());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    setBusyPointer(false);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}
