#pragma once
// Small pieces every benchmark prints its figures with.
#include <functional>

#include <QDir>
#include <QElapsedTimer>
#include <QString>

namespace BenchSupport {

// Milliseconds that `work` took.
inline double timedMs(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e6;
}

// Whether a best-of series of timings goes on. With `runs` at 0 the series chooses its length: at
// least `minRuns` runs, then more while the timed runs add up to less than `minTotalMs` (at most
// `maxRuns`), so quick work on a busy machine is judged by its best of many runs; `runs` is then
// set to the length, so that a second series (the same work at another size) runs as often and
// the two bests compare fairly.
inline bool moreRuns(int runsDone, double timedMs, int &runs, int minRuns, double minTotalMs = 1500.0,
                     int maxRuns = 60)
{
    if (runs > 0)
        return runsDone < runs;
    if (runsDone < minRuns || (runsDone < maxRuns && timedMs < minTotalMs))
        return true;
    runs = runsDone;
    return false;
}

inline const char *verdict(bool ok)
{
    return ok ? "ok" : "FAIL";
}

// Points the program folder, its engine data folder and the settings at fresh folders under
// `root`, so a run never touches the user's own; gives the program folder, ending in "/".
inline QString useProgramFoldersUnder(const QString &root)
{
    const QString program = root + QStringLiteral("/program/");
    QDir().mkpath(program + QStringLiteral("system/"));
    QDir().mkpath(root + QStringLiteral("/config"));
    qputenv("VELQUIST_HOME", program.toUtf8());
    qputenv("VELQUIST_WINDIR", (program + QStringLiteral("system/")).toUtf8());
    qputenv("VELQUIST_CONFIG", (root + QStringLiteral("/config/")).toUtf8());
    return program;
}

} // namespace BenchSupport
