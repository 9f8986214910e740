#pragma once
// An in-process FTP server on 127.0.0.1 for the FTP client's tests: a control listener, one
// passive data listener per PASV, folders and listings held in memory, uploads kept by remote
// path. Replies can be scripted per verb and faults switched on (silence, a control or data
// connection closed mid-way, a data connection that is no longer read).
#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>

namespace TestSupport {

class FakeFtpServer : public QObject {
    Q_OBJECT
public:
    explicit FakeFtpServer(QObject *parent = nullptr);

    quint16 port() const { return m_control.serverPort(); }
    QString hostPort() const { return QStringLiteral("127.0.0.1:") + QString::number(port()); }

    // What the server holds and saw.
    QByteArray greeting = "220 Fake FTP ready\r\n";
    QString user = QStringLiteral("web");
    QString password = QStringLiteral("secret");
    QSet<QString> folders{QStringLiteral("/")};
    QHash<QString, QByteArray> listings;   // folder -> bytes sent for LIST
    QHash<QString, QByteArray> stored;     // remote path -> uploaded bytes
    QStringList commands;                  // every command line, line end removed
    QString cwd = QStringLiteral("/");

    // Scripted replies: verb -> bytes sent instead of the usual answer ("TYPE" answers both types).
    QHash<QString, QByteArray> replies;
    // The final reply of a listing or an upload (a server may use 250).
    QByteArray transferEndReply = "226 Transfer complete\r\n";
    // This verb is answered with the lines of a reply that never ends, one every 50 ms, for so long.
    QString endlessReplyOn;
    int endlessReplyForMs = 0;
    // Faults.
    QSet<QString> silentVerbs;             // never answered
    QHash<QString, int> lateVerbs;         // answered (and done) only after so many ms
    QString closeControlOn;                // the control connection is closed on this verb
    bool stopReadingData = false;          // an upload's data is never read
    qint64 closeDataAfterBytes = -1;       // the upload's data connection is cut after this many,
    QByteArray cutReply = "426 Connection closed; transfer aborted\r\n";   // this answered just before
    QByteArray replyDuringUpload;          // sent on the control connection once upload data arrives
    QByteArray passiveAddress = "127,0,0,1";
    int storReplyDelayMs = 0;
    qint64 readBytesPer50Ms = 0;           // a slow line: the upload is read at this pace
    qint64 pauseReadingAfterBytes = -1;    // an upload is no longer read after this many bytes,
    int pauseReadingForMs = 0;             // for so long, then read to its end
    bool keepListingOpen = false;          // a listing's data connection stays open after its 226
    bool sendListingReply = true;          // false: a listing never gets its final reply
    bool listsOneName = true;              // false: LIST of a file's name is refused (550)
    qint64 keepAtMost = -1;                // an upload keeps only this many bytes, and says 226

    // Waits (bounded) until `count` commands have come in.
    bool waitForCommands(int count, int timeoutMs = 5000);
    int storCount() const;

private:
    void onControlConnection();
    void onCommand(const QString &line);
    void act(const QString &verb, const QString &argument);
    void answer(const QByteArray &reply);
    void openPassive();
    void dropData();
    void startList(const QString &folder);
    void startStore(const QString &path);
    void finishStore();
    QString absolute(const QString &path) const;

    QTcpServer m_control;
    QPointer<QTcpSocket> m_client;
    QByteArray m_pendingInput;
    QTcpServer *m_dataListener = nullptr;
    QPointer<QTcpSocket> m_data;
    QString m_storePath;
    QByteArray m_storeBytes;
    bool m_storing = false;
    bool m_replySent = false;
};

} // namespace TestSupport
