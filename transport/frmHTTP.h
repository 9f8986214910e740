#pragma once
// The shared page fetch: a window that is never shown and fetches one web page at a time for
// whichever feature asks. The feature puts its request kind into `Tag` and calls Connect(url);
// the page arrives later at the receiver registered for that kind. After handing a page over the
// window unloads itself; the next instance() loads a fresh one.
#include <functional>

#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>

#include "platform/Dialogs.h"
#include "platform/DsSocket.h"
#include "platform/Timer.h"
#include "transport/HttpReplyReader.h"

class frmHTTP : public QWidget {
    Q_OBJECT
public:
    // What a feature registers for its request kind. `pageArrived` gets the page text and the
    // HTTP status of a complete reply; `connectFailed` (optional) runs after every fetch that
    // failed, after its one box: no connection, a time-out, a reply that is not whole (no status
    // line, closed inside the header or the body), an error status, a redirect loop, a login
    // demand not answered. `silentConnectFailure` leaves out the box of a
    // failed connection, `silentHttpFailure` that of every other failure (statusCode() tells
    // which); a receiver with `silentHttpFailure` is a run of its own: it is never asked whether
    // the stored login may go to a server.
    struct PageReceiver {
        std::function<void(const QString &page, int statusCode)> pageArrived;
        std::function<void()> connectFailed;
        bool silentConnectFailure = false;
        bool silentHttpFailure = false;
    };

    // Timer intervals in milliseconds; tests shorten them. `idleMs` 0 means the preference's
    // time-out, `replyMs` (from the connection to the end of the reply) 0 ten times it.
    struct Intervals {
        int reconnectMs = 100;
        int closeMs = 10000;
        int idleMs = 0;
        int replyMs = 0;
    };

    // Caps on what a server can make us hold (the header's: HttpReplyReader::kMaxHeaderBytes).
    static constexpr qsizetype kMaxPageChars = 8 * 1024 * 1024;
    static constexpr int kMaxRedirects = 10;

    // The loaded window, loaded on first use.
    static frmHTTP *instance();
    // The loaded window or null.
    static frmHTTP *loadedInstance();

    // Registers the receiver of a request kind (compared ignoring case). The receiver is called
    // only while `owner` lives.
    static void setReceiver(const QString &kind, QObject *owner, PageReceiver receiver);
    static void removeReceiver(const QString &kind);

    static void setIntervals(const Intervals &intervals);
    static Intervals intervals();

    // The request kind of the next Connect.
    QString Tag;

    // Starts a fetch of the kind in `Tag`; returns when the request has been sent or the
    // connection has failed. One fetch runs at a time: a fetch under way of the same kind is
    // replaced; one of another kind (another window's) is ended first as a failed fetch, with a
    // box saying it was stopped for this one, and its receiver is told at once (connectFailed).
    void Connect(const QString &sURL);
    // Clears the reply state for a new fetch.
    void resetSocket2();
    // Answers a 401 and a 407 once each per fetch with the stored login.
    void goServerAuthenticate();

    Platform::DsSocket dsSocket2;
    Platform::Timer Timer1;   // deferred reconnect (redirect, login retry)
    Platform::Timer Timer2;   // closes a reply whose server keeps the connection open

    // Read-only view of the reply state, for the window's own checks and tests: the status
    // line's code, 0 before it or when it cannot be read.
    int statusCode() const { return m_reply.status().value_or(0); }
    QString currentURL() const { return m_currentURL; }

private:
    explicit frmHTTP(QWidget *parent = nullptr);

    void startFetch(const QString &url);
    // Whether a fetch is under way: started and neither ended nor given up by its caller.
    bool fetchUnderWay() const;
    void stopForAnotherWindow(const QString &nextURL);
    void connectFailed(int result, const QString &host, int port, const QString &url);
    // Ends the fetch as failed: the box unless `quiet`, then the receiver is told.
    void endFailed(bool quiet, const QString &prompt, int style = Platform::OkOnly, const QString &title = QString());
    bool quietHttpFailure() const;
    const PageReceiver *receiver() const;
    void endUnfinished(const QString &what);
    void endNotWhole(HttpReplyReader::State end);
    bool loginAllowedHere();
    void loginRefused();
    // "host:port" of the server of the current URL.
    QString serverName() const;
    static QString secondsText(int ms);
    static void tellConnectFailed(const QString &kind);
    void dsSocket2_Connect();
    void dsSocket2_SendReady();
    void dsSocket2_Receive(const QString &line);
    void dsSocket2_Close();
    void dsSocket2_Exception(int number, const QString &description);
    void Timer1_Timer();
    // Starts the deferred reconnect (redirect, login retry) of this fetch.
    void reconnectLater();
    void Timer2_Timer();
    void idleTimeout();
    void replyTimeout();
    bool cancelled() const;
    void readHeaderLine(const QString &line);
    void readBodyLine(const QString &line);
    void waitForCloseOnceWhole();
    void endReply(const QString &reason);
    void closeHandling();
    void followRedirect();
    void reportErrorStatus();
    void handOver();
    void stopTimers();
    void restartIdleTimer();
    void startReplyTimer();
    void unloadWindow();

    QString m_currentURL;
    // The request kind of the fetch under way (or of the last one), and whether it is under way;
    // a caller that disconnects the socket gives the fetch up.
    QString m_kind;
    bool m_underWay = false;
    quint64 m_disconnectsAtStart = 0;
    HttpReplyReader m_reply;
    QString m_pageText;
    QString m_headerText;
    QString m_location;
    // The page reached kMaxPageChars and was cut there on purpose.
    bool m_cutAtCap = false;
    int m_redirects = 0;
    QString m_lastError;
    bool m_socketFailed = false;
    // The reply's size so far in bytes (one character per byte), header included.
    qint64 m_receivedChars = 0;
    // Each kind of login is tried once per fetch; a demand to a request that carried it is a refusal.
    bool m_proxyLoginTried = false;
    bool m_serverLoginTried = false;
    bool m_sentProxyLogin = false;
    bool m_sentServerLogin = false;
    // Numbers each fetch so that a replaced fetch does not go on after its wait.
    quint64 m_generation = 0;
    quint64 m_disconnectsBeforeWait = 0;
    QTimer m_idleTimer;
    QTimer m_replyTimer;
};
