#include "platform/Timer.h"

namespace Platform {

Timer::Timer(QObject *parent, int intervalMs, bool enabled)
    : QObject(parent), m_interval(qMax(0, intervalMs)), m_enabled(enabled)
{
    // A coarse timer may fire up to 5% early; the control's event never comes before its interval.
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &Timer::timeout);
    apply();
}

void Timer::setInterval(int ms)
{
    m_interval = qMax(0, ms);
    apply();
}

void Timer::setEnabled(bool on)
{
    if (on == m_enabled)
        return;
    m_enabled = on;
    apply();
}

void Timer::apply()
{
    if (m_enabled && m_interval > 0)
        m_timer.start(m_interval);
    else
        m_timer.stop();
}

} // namespace Platform
