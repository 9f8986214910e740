#pragma once
// The engine data update window: shown modally, it downloads the five engine data files from
// the vendor's web host one after another, each with its own HTTP/1.0 GET on its own
// connection, straight or through the proxy. Each body is checked to read as the file it
// replaces; the five are stored as one set once all have come, or none is. It reports a finished or failed update through
// engineDataStored; the window that opened it decides what to reload.
#include <QDialog>
#include <QPointer>
#include <QTimer>

#include "enginedata/UpdateReply.h"
#include "platform/DsSocket.h"
#include "platform/FileSet.h"
#include "platform/Timer.h"

class QLabel;
class QProgressBar;
class QPushButton;

class frmUpdateEngines : public QDialog {
    Q_OBJECT
public:
    // Waits and pauses of the download; tests shorten them. `idleMs` 0 means twice the
    // preference's time-out, `replyMs` (from a request to the end of its reply) 0 ten times it.
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

    // The one update window, created on first use; closing it releases it.
    static frmUpdateEngines *instance();
    ~frmUpdateEngines() override;

    // 1 Start, 0 Close or Cancel.
    void Command1_Click(int Index);

    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Image1 = nullptr;
    QProgressBar *ProgressBar1 = nullptr;
    QPushButton *cmdStart = nullptr;   // Command1 index 1
    QPushButton *cmdClose = nullptr;   // Command1 index 0
    Platform::DsSocket dsSocket1;
    Platform::Timer Timer1;   // starts the next file
    Platform::Timer Timer2;   // ends a reply whose server keeps the connection open

signals:
    // True once every file of the update is stored, false when an update fails.
    void engineDataStored(bool stored);

protected:
    void done(int result) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit frmUpdateEngines(QWidget *parent = nullptr);
    static QPointer<frmUpdateEngines> s_instance;

    void buildControls();
    void start();
    void cancel();
    void closeWindow();
    void connectAndSend(bool atStart);
    bool SendQuery();
    // The whole request of the file under way.
    QString requestText() const;
    void dsSocket1_Receive(const QString &line);
    void dsSocket1_ReceiveBytes(const QByteArray &bytes);
    void dsSocket1_Close(int code, const QString &text);
    void dsSocket1_Exception(int code, const QString &text);
    void Timer1_Timer();
    void Timer2_Timer();
    void idleTimeout();
    void replyTimeout();
    void headerEnded();
    void afterBody();
    void responseEnded(int code, const QString &text);
    void failedResponse(int code, const QString &text);
    void askedForLogin();
    QString failedReplyReason() const;
    bool saveEngineData();
    void updateComplete();
    void failWith(const QString &logLine, const QString &reason);
    void stopRequest();
    void setErrorMsg(const QString &reason);
    void showCancelled();
    void restartIdleTimer();
    // The server this window talks to ("host:port"), as failures name it.
    QString server() const;
    QString requestedFile() const;
    void setLinkLook(bool hover);
    bool running() const;

    QString m_sHost;
    int m_lngPort = 80;
    int m_fileIndex = 0;
    int m_intAuthCount = 0;
    // Numbers each request so that the waits and events of an earlier one end quietly.
    quint64 m_request = 0;
    bool m_connecting = false;
    // The connect wait runs on this window's socket: a close during it deletes the window only
    // once the wait has returned.
    bool m_inConnectWait = false;
    bool m_deleteAfterWait = false;
    UpdateReply m_reply;
    // The body of the file coming now. Each checked body goes to the disk beside its target at
    // once; the five take their targets' places together after the fifth.
    QList<QByteArray> m_bodies;
    Platform::FileSet m_newFiles;
    QTimer m_idleTimer;
    QTimer m_replyTimer;
};
