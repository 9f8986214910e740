#pragma once
// A timer with the control's rules: interval in milliseconds (0 never fires), one event per
// interval while enabled. Setting the interval or enabling a stopped timer starts a new interval.
#include <QObject>
#include <QTimer>

namespace Platform {

class Timer : public QObject {
    Q_OBJECT
public:
    explicit Timer(QObject *parent = nullptr, int intervalMs = 0, bool enabled = false);

    int interval() const { return m_interval; }
    void setInterval(int ms);
    bool enabled() const { return m_enabled; }
    void setEnabled(bool on);

signals:
    void timeout();

private:
    void apply();

    QTimer m_timer;
    int m_interval = 0;
    bool m_enabled = false;
};

} // namespace Platform
