#include "platform/EventLoop.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QCursor>
#include <QGuiApplication>
#include <QTimer>

namespace Platform {
namespace {

const QElapsedTimer &monotonic()
{
    static QElapsedTimer clock = [] {
        QElapsedTimer c;
        c.start();
        return c;
    }();
    return clock;
}

bool busyPointer = false;

} // namespace

void doEvents()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

bool waitUntil(const std::function<bool()> &done, qint64 timeoutMs)
{
    const qint64 deadline = tickCount() + qMax<qint64>(0, timeoutMs);
    // A short wake-up timer so that the loop rechecks without spinning.
    QTimer wake;
    wake.setInterval(10);
    wake.start();
    while (!done()) {
        const qint64 left = deadline - tickCount();
        if (left <= 0)
            return done();
        // The overload with a time limit ignores WaitForMoreEvents and spins; the wake timer
        // bounds this blocking call instead.
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

qint64 tickCount()
{
    return monotonic().elapsed();
}

qint64 secondsClock()
{
    return tickCount() / 1000;
}

void setBusyPointer(bool busy)
{
    if (busy == busyPointer)
        return;
    busyPointer = busy;
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return;
    if (busy)
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    else
        QGuiApplication::restoreOverrideCursor();
}

bool isBusyPointer()
{
    return busyPointer;
}

} // namespace Platform
