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
