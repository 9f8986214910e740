#pragma once
// Small pieces every benchmark prints its figures with.
#include <functional>

#include <QElapsedTimer>

namespace BenchSupport {

// Milliseconds that `work` took.
inline double timedMs(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e6;
}

inline const char *verdict(bool ok)
{
    return ok ? "ok" : "FAIL";
}

} // namespace BenchSupport
