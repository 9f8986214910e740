#pragma once
// Event-loop helpers: one pass of pending events, bounded waits, the clocks used for deadlines,
// and the screen-wide mouse pointer (one state, not a stack).
#include <functional>
#include <QtGlobal>

namespace Platform {

// Handles the events pending now.
void doEvents();

// Runs the event loop until `done` holds or `timeoutMs` has passed (monotonic). True when done.
bool waitUntil(const std::function<bool()> &done, qint64 timeoutMs);

// Milliseconds on a monotonic clock.
qint64 tickCount();

// Whole seconds on the same monotonic clock.
qint64 secondsClock();

// The hourglass (true) or the default pointer (false).
void setBusyPointer(bool busy);
bool isBusyPointer();

} // namespace Platform
