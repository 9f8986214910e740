#pragma once
// The "FTP Upload Client" window: a local file pane, the remote folder of the server and the log
// of the conversation. It logs in, lists and changes remote folders and uploads the selected local
// files over passive data connections. One instance, created on first use; the main window opens
// it and hands it nothing. Split by area: frmFTPClient.cpp (window, layout, keys, log),
// frmFTPClientConnection.cpp (login, replies, data connection, upload), frmFTPClientPanes.cpp.
#include <memory>
#include <optional>

#include <QDialog>
#include <QFile>
#include <QPointer>
#include <QStringList>

#include "ftp/modFTP.h"
#include "platform/DsSocket.h"
#include "platform/Timer.h"

class KeyedListView;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSplitter;
class QTreeWidgetItem;

class frmFTPClient : public QDialog {
    Q_OBJECT
public:
    static frmFTPClient *instance();
    // The window when it is loaded, else null.
    static frmFTPClient *loadedInstance();
    ~frmFTPClient() override;

    // The answer of the login dialog and what it gave.
    QString m_sFTPUserName;
    QString m_sFTPPassword;
    QString m_sFTPHost;
    QString m_sLogin;

    // Controls.
    Platform::DsSocket dsSocket1;
    Platform::DsSocket dsSocket2;   // the data connection, index 1
    Platform::Timer Timer1;
    Platform::Timer Timer2;
    QComboBox *Drive1 = nullptr;
    KeyedListView *lsvDirs = nullptr;
    QGroupBox *Frame1 = nullptr;
    QLineEdit *txtRemotePath = nullptr;
    KeyedListView *lsvRemote = nullptr;
    QPushButton *btnConnect = nullptr;
    QPushButton *btnSendFile = nullptr;
    QPushButton *btnChangeDir = nullptr;
    QPushButton *btnList = nullptr;
    QPushButton *btnClose = nullptr;
    QListWidget *List1 = nullptr;
    QSplitter *picSpliter = nullptr;

    // Window, layout and the log (frmFTPClient.cpp).
    void btnClose_Click();
    void Resize();
    void DisplayMessage(const QString &szMsg);

    // Login, the control and data connections and the upload (frmFTPClientConnection.cpp).
    void btnConnect_Click();
    void dsSocket1_Receive(const QString &receiveData);
    void dsSocket1_SendReady();
    void dsSocket1_Connect();
    void dsSocket1_Close();
    void dsSocket1_Exception(int errorCode, const QString &errorDesc);
    void dsSocket2_Connect();
    void dsSocket2_Receive(const QString &receiveData);
    void dsSocket2_Close();
    void dsSocket2_Exception(int errorCode, const QString &errorDesc);
    void dsSocket2_SendReady();
    void btnSendFile_Click();
    bool setFileList();
    void Timer1_Timer();
    void SendFile(int index);

    // The remote pane (frmFTPClientPanes.cpp).
    void ListFile(const QString &szParams);
    // One line of the listing under way: its entry joins the listing, shown once it is whole.
    void addRemoteDir(const QString &sListData);
    // True when the server went into the folder.
    bool ChangeRemotePath(const QString &sPath);
    void Timer2_Timer();
    void btnChangeDir_Click();
    void btnList_Click();
    void txtRemotePath_Enter();
    void lsvRemote_DblClick();
    void lsvRemote_ColumnClick(int column);
    // The local pane (frmFTPClientPanes.cpp).
    void addDirs(const QString &startingDir);
    void Drive1_Change();
    void lsvDirs_DblClick();
    void lsvDirs_ColumnClick(int column);

    // Whether a command sequence or an upload batch is under way.
    bool isBusy() const;

signals:
    // One file of an upload confirmed by the server, with the time from its start to its 226.
    void fileStored(const QString &localPath, qint64 elapsedMs);

protected:
    void closeEvent(QCloseEvent *event) override;
    void reject() override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit frmFTPClient(QWidget *parent = nullptr);
    static QPointer<frmFTPClient> s_instance;

    // Captions of the Connect button, which tell whether the window is connected.
    static inline const QString kConnectCaption = QStringLiteral("&Connect");
    static inline const QString kDisconnectCaption = QStringLiteral("D&isconnect");

    // Counts the waits of this window on the stack, so a Close inside one deletes the window only
    // once they have all returned.
    class WaitScope {
    public:
        explicit WaitScope(frmFTPClient *window) : m_window(window) { ++m_window->m_waitDepth; }
        ~WaitScope()
        {
            if (--m_window->m_waitDepth == 0 && m_window->m_closing)
                m_window->deleteLater();
        }
        WaitScope(const WaitScope &) = delete;
        WaitScope &operator=(const WaitScope &) = delete;

    private:
        frmFTPClient *m_window;
    };
    // One command sequence at a time: the scope marks it under way.
    class CommandScope : public WaitScope {
    public:
        explicit CommandScope(frmFTPClient *window);
        ~CommandScope();
    };

    // What a server says of a stored file's size: the bytes it holds, or that it offers no way
    // to tell (it refuses SIZE and the listing of one name).
    struct HeldSize {
        std::optional<qint64> bytes;
        bool notOffered = false;
    };
    // One listing: its final reply, whether it came whole, and its entries.
    struct Listing {
        int reply = 0;
        bool whole = false;
        bool dataOpen = false;        // the data connection stood when the wait ended
        bool dataClosedByServer = false;
        QList<modFTP::RemoteEntry> entries;
    };

    // Window (frmFTPClient.cpp).
    void buildControls();
    void resetPointerOn(QWidget *widget);
    bool refuseWhenClosed();
    // What the user asked for when an upload under way had to be stopped first.
    enum class AfterStop { Close, Disconnect };
    bool mayEndNow(AfterStop after);
    void logStop(const QString &text);
    void unload();
    // Connections and upload (frmFTPClientConnection.cpp).
    void connectSockets();
    void disconnectNow();
    void replyAction(int code, const QString &line);
    void transferComplete();
    void passiveReply(const QString &line);
    void endBatch();
    void sendOpenedFile();
    bool drainDataConnection();
    void uploadStopped();
    HeldSize storedSize(const QString &remoteName);
    void reportFailure(const QString &what, const QString &reason);
    QString failureReason(int reply) const;
    void showNotConnected();
    void enableSendFile();
    // Remote pane (frmFTPClientPanes.cpp).
    Listing listEntries(const QString &command);
    void showListing(const QString &folder, const QList<modFTP::RemoteEntry> &entries);
    void showServerFolder();
    void followLateFolderChange();
    void showLateFolderNotice();
    bool changeFolderTo(const QString &folder);
    QString typedFolder() const;
    void listSoon();

    QString m_sNewRemotePath;
    QStringList m_sUploadFiles;
    int m_intUploadIndex = 0;
    // The file of the STOR under way: opened before the command went out, sent on its 150.
    struct Upload {
        QString name;           // empty while no file is in hand
        std::unique_ptr<QFile> file;
        qint64 startedMs = 0;
        bool dataStarted = false;   // the server asked for the bytes: a stop may cut its copy
        bool allSent = false;   // every byte reached the server before this side closed
    };
    Upload m_upload;
    // The user chose to stop the upload and close or disconnect: the file in hand is named with
    // the bytes the server holds, then the window goes or the connection ends.
    bool m_stopRequested = false;
    AfterStop m_afterStop = AfterStop::Close;
    bool m_askingToStop = false;
    // Timer2's next step: list the folder a CWD went into, else change to `remotePath`.
    bool m_listNext = false;
    // host:port of the connection, for the failures named to the user.
    QString m_serverName;
    // The user disconnected: what that cuts short is not reported in a box.
    bool m_userDisconnected = false;
    // The folder the remote pane lists; empty while it lists none.
    QString m_listedFolder;
    // The folder the server is in: "." (the login folder) until a folder change succeeds.
    QString m_serverFolder;
    // The server is in the folder the path box shows: false from the login until its folder
    // change has ended, and during each folder change. Send File waits for it.
    bool m_inShownFolder = false;
    // A folder change given up for want of a reply: should its 250 come after all, the server is
    // there. Empty when none is outstanding.
    QString m_folderGivenUp;
    // What the box says once a late 250 has moved the server; empty when nothing is due.
    QString m_lateFolderNotice;
    // The folder whose listing is being read; empty when none. Send File waits for it.
    QString m_folderBeingListed;
    // The entries of the listing under way.
    QList<modFTP::RemoteEntry> m_listing;
    bool m_batchRunning = false;
    int m_waitDepth = 0;
    bool m_closing = false;
};
