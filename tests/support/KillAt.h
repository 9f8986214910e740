#pragma once
// Kills a piece of work as a crash would: it runs in a child process, which ends itself with
// _exit (no clean-up, no destructors) at the first step of a set of files the predicate accepts
// (see Platform::setKillPointHook), or at an atomic write's point of no return when asked.
#include <functional>

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QString>

#include "platform/FileSet.h"
#include "platform/TextFile.h"

namespace TestSupport {

enum class KillPoint { SetStep, SingleWrite };

// True when the child was killed, false when the work ran to its end.
inline bool killedWhen(const std::function<bool(const QString &path)> &at, const std::function<void()> &work,
                       KillPoint point = KillPoint::SetStep)
{
    constexpr int kKilled = 71;
    const pid_t child = ::fork();
    if (child == 0) {
        // A child that hangs ends by the alarm's signal, which the parent reports as a failure.
        ::alarm(60);
        const auto end = [&at](const QString &path) {
            if (at(path))
                ::_exit(kKilled);
            return false;
        };
        if (point == KillPoint::SetStep)
            Platform::setKillPointHook(end);
        else
            Platform::setWriteFailureHook(end);
        work();
        ::_exit(0);
    }
    int status = 0;
    EXPECT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && (WEXITSTATUS(status) == 0 || WEXITSTATUS(status) == kKilled)) << status;
    return WIFEXITED(status) && WEXITSTATUS(status) == kKilled;
}

// Killed at the step-th step (from 1) of a set; false when the work has fewer steps.
inline bool killedAtStep(int step, const std::function<void()> &work)
{
    int steps = 0;
    return killedWhen([&steps, step](const QString &) { return ++steps == step; }, work);
}

// Runs `work` killed at each later step in turn until it runs to its end (each run starts over
// on what the killed ones left). Gives the number of kills.
inline int killAtEachStepUntilDone(const std::function<void()> &work)
{
    int step = 1;
    while (killedAtStep(step, work))
        ++step;
    return step - 1;
}

} // namespace TestSupport
