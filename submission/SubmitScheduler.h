#pragma once
// Runs a submission: every URL goes to every engine of the run over up to `Connections`
// sockets at once. Each socket is a small state machine driven only by its own events and
// timers (no nested waits):
//   idle --1 s dispatch timer--> connecting --Connect--> sent/reading --whole or Close--> idle
// with the connect deadline (T s) and the periodic deadline check once connected (2T after the
// last line, 10T after the connection). A reply is judged as soon as it is whole, whether or not
// the server closes. A URL finishes when every engine has been handed out and no socket is busy;
// then its report is written. The run's clock ticks every second from the start to the end.
#include <chrono>
#include <memory>
#include <vector>

#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

namespace Platform { class DsSocket; }
class clsSubmit;

class SubmitScheduler : public QObject {
    Q_OBJECT
public:
    struct UrlRow {
        QString url;
        QString siteFile;
    };
    static constexpr int kDispatchPauseMs = 1000;
    static constexpr int kClockTickMs = 1000;

    explicit SubmitScheduler(clsSubmit &run, QObject *parent = nullptr);
    ~SubmitScheduler() override;

    // Creates sockets and timers 1..connections (at least 1).
    void loadSockets(int connections);
    int socketCount() const { return int(m_slots.size()); }
    int numOfSockets() const { return m_numOfSockets; }
    int timeOutInterval(int i) const;
    bool isRunning() const { return m_running; }
    int currentURL() const { return m_currentURL; }

    // Starts a run over the URL rows; false (nothing started) when there is none.
    bool StartSubmit(const QList<UrlRow> &urls);
    // Cancels the run: nothing more is sent, busy sockets are cut and marked cancelled, engines not
    // handed out are marked not sent, and the current URL gets its report.
    void stopSubmission();

signals:
    void connectionRowChanged(int socket, const QString &engineName, const QString &status,
                              const QString &icon);
    void urlRowChanged(int urlRow, const QString &status, const QString &icon);
    // A finished or cancelled URL with its report file ("" when it could not be written).
    void urlReported(int urlRow, const QString &reportPath);
    // "N engines remaining ...": the engines of the current URL not answered yet.
    void remainingChanged(const QString &text);
    // The time since the start, every second and once more at the end.
    void elapsedChanged(const QString &text);
    // Every URL is done ("Submission done !" belongs to the window).
    void submissionDone();
    void runEnded();
    // Traces of each request.
    void dispatched(int socket, int engineIndex);
    void requestEnded(int socket, int engineIndex, int status);

private:
    struct Slot {
        std::unique_ptr<Platform::DsSocket> socket;
        std::unique_ptr<QTimer> dispatch;   // the 1 s pause before the next engine
        std::unique_ptr<QTimer> connect;    // the connect deadline
        std::unique_ptr<QTimer> timeOut;    // periodic deadline check once connected
        std::chrono::steady_clock::time_point replyDeadline{};   // the whole reply's end
        quint64 armedGeneration = 0;
    };

    Slot &slot(int i) { return m_slots[std::size_t(i - 1)]; }
    void TimerSubmit_Timer(int i);
    void TimerConnect_Timer(int i, quint64 generation);
    void TimerTimeOut_Timer(int i, quint64 generation);
    void dsSocket1_Connect(int i);
    void dsSocket1_Receive(int i, const QString &line);
    void dsSocket1_Close(int i);
    void dsSocket1_Exception(int i, int code);

    void SubmitIt(int i);
    void Submitting(int i, int k);
    void Execute(int i);
    void judgeReply(int i);
    void endReply(int i);
    void setSubmitResults(int i);
    void failDispatch(int i, int status);
    void finishURL(int i);
    bool isFinish() const;
    void setSiteSubmittingStatus(int n);
    void setSubmitComplete();
    void stopSocket(int i);
    void armDispatch(int i);
    void pushDeadline(int i, int seconds);
    void showRemaining();
    void showElapsed();

    clsSubmit &m_run;
    std::vector<Slot> m_slots;
    QList<UrlRow> m_urls;
    int m_currentURL = 0;
    int m_engineCount = 0;
    int m_answeredCount = 0;   // engines of the current URL with a result
    int m_numOfSockets = 0;
    bool m_stopSubmit = true;
    bool m_running = false;
    std::chrono::steady_clock::time_point m_startTime;
    QTimer m_clock;
};
