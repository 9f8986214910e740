#pragma once
// The engine data update, apart from any window: it downloads the five engine data files from
// the vendor's web host one after another, each with its own HTTP/1.0 GET on its own connection,
// straight or through the proxy. Each body is checked to read as the file it replaces and goes
// to the disk beside its target; the five take their places as one set after the fifth, or none
// does. A window starts and cancels it and shows what it reports.
#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

#include "enginedata/UpdateFiles.h"
#include "enginedata/UpdateReply.h"
#include "platform/DsSocket.h"
#include "platform/FileSet.h"

class clsUpdateEngines : public QObject {
    Q_OBJECT
public:
    // Waits and pauses of the download; tests shorten them. `idleMs` 0 means the preference's
    // time-out, `replyMs` (from a request to the end of its reply) 0 ten times it.
    struct Intervals {
        int nextFileMs = 100;
        int closeMs = 10000;
        int connectSeconds = 40;
        int idleMs = 0;
        int replyMs = 0;
    };
    static void setIntervals(const Intervals &intervals);
    static Intervals intervals();

    // The files of the update in download order: the path asked for and the stored file's path.
    static constexpr int kFileCount = 5;
    static QString requestPath(int fileIndex);
    static QString targetPath(int fileIndex);

    // Where a file stands while the run is under way.
    enum class Step { Connecting, Connected, Requesting };
    // How a run ended.
    enum class Outcome { Stored, Failed, Cancelled };

    explicit clsUpdateEngines(QObject *parent = nullptr);
    ~clsUpdateEngines() override;

    // Starts at the first file; nothing while a run is under way.
    void start();
    // Ends the run under way; every old file stays.
    void cancel();
    bool isRunning() const { return m_state != State::Idle; }
    // The file being fetched, 0 to 4.
    int currentFile() const { return m_fileIndex; }
    // Between two files: the last one is stored beside its target, the next not yet asked for.
    bool betweenFiles() const { return m_state == State::Pausing; }

signals:
    void stepChanged(int fileIndex, clsUpdateEngines::Step step);
    // The progress of the current file's body: the byte count against Content-Length.
    void progressChanged(int value, int maximum);
    // The one end of a started run; `reason` names the file and what went wrong when it failed.
    void ended(clsUpdateEngines::Outcome outcome, const QString &reason);

private:
    enum class State { Idle, Connecting, Receiving, Pausing };

    void connectForFile();
    void connected();
    void connectTimedOut();
    void sendRequest();
    void headerLine(const QString &line);
    void headerEnded();
    void bodyBytes(const QByteArray &bytes);
    void afterBody();
    void peerClosed(int code, const QString &text);
    void socketException(int code, const QString &text);
    void closeTimerFired();
    void idleTimeout();
    void replyTimeout();
    void responseEnded(int code, const QString &text);
    void storeFile();
    void nextFile();
    void failedResponse(int code, const QString &text);
    void loginDemanded(int status);
    QString failedReplyReason() const;
    void failWith(const QString &logLine, const QString &reason);
    void finish(Outcome outcome, const QString &reason);
    void stopRequest();
    void restartIdleTimer();
    // The server this run talks to ("host:port"), as failures name it.
    QString server() const;
    QString requestedFile() const;
    QString fileName() const;

    Platform::DsSocket m_socket;
    QString m_host;
    int m_port = 80;
    State m_state = State::Idle;
    int m_fileIndex = 0;
    bool m_firstConnect = false;
    // Which logins the request under way carried: a demand for one it carried is a refusal.
    bool m_sentServerLogin = false;
    bool m_sentProxyLogin = false;
    UpdateReply m_reply;
    int m_shownProgress = 0;   // the body's progress last reported
    // The file coming now is read by the checks and written beside its target as its bytes come.
    UpdateFiles::Checker m_checker;
    Platform::FileSet m_newFiles;
    QTimer m_connectTimer;
    QTimer m_pauseTimer;   // the pause before the next file
    QTimer m_closeTimer;   // ends a reply whose server keeps the connection open after its length
    QTimer m_idleTimer;
    QTimer m_replyTimer;
};
