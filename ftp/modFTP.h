#pragma once
// The one FTP connection of the program: its state, the commands that drive it and the pure
// readers of what a server sends (reply codes, multi-line replies, 227 and 257 replies, listing
// lines). Replies come in on the control socket's events in the FTP window, which moves the state
// on; the waits here yield to the event loop so those events run inside them.
#include <functional>
#include <optional>

#include <QDateTime>
#include <QString>

namespace Platform { class DsSocket; }

namespace modFTP {

// Every time limit of the conversation; tests shorten them.
struct Intervals {
    int replyMs = 40000;           // no progress of a command for this long: "Time out !"
                                   // (and ten times this since the data last moved, whatever lines come)
    int loginMs = 15000;           // connect, then the login, each within this
    int passiveConnectMs = 15000;  // the data connection of a 227 reply
    int firstStepMs = 2000;        // login to the first CWD
    int nextStepMs = 1000;         // a CWD's 250 to its listing
    int nextFileMs = 100;          // one upload's 226 to the next file
    int dataCloseGraceMs = 2000;   // a listing's final reply to the close of its data connection
};
void setIntervals(const Intervals &intervals);
Intervals intervals();

// A listing stops after this many lines or bytes: a server cannot grow the list without end.
inline constexpr int kMaxListingLines = 100000;
inline constexpr qint64 kMaxListingBytes = 16 * 1024 * 1024;
// A wait for a reply ends at this many reply limits, however many lines keep coming.
inline constexpr int kTotalReplyLimits = 10;
// The code a transfer's final reply ends its wait with: 226, or 250 where a server uses that.
inline constexpr int kTransferComplete = 226;
// The code a wait for a reply ends with when no reply came in time ("Time out !").
inline constexpr int kTimedOut = 999;
inline constexpr int kBlockSize = 32000;   // bytes per send of an upload

struct State {
    QString currentVerb;       // first four letters, upper case, of the last command; TYPE/PASV while it
                               // is held; the data command's own verb once sent
    QString pendingCommand;    // the command held back behind TYPE or PASV; the transfer's own command
    QString ftpUserName;
    QString ftpPassword;
    QString remotePath;
    bool transferImage = false;
    bool currentTypeImage = false;
    bool loggedIn = false;
    int lastReplyCode = 0;     // the final reply of the command under way: 0 none yet, kTimedOut
    bool ftpConnected = false;
    qint64 bytesReceived = 0;
    QString lastReplyLine;     // the final line of the last reply

    // Bookkeeping of this connection.
    bool userSent = false;     // USER goes out once per connection
    int openReplyCode = 0;     // the code of a multi-line reply still open
    qint64 lastProgressMs = 0; // a reply line, a block handed over, listing data
    qint64 dataMovedMs = 0;    // the command sent, a block handed over, listing data
    bool busy = false;         // one command sequence at a time
    // The server closed the data connection: kept apart from the final reply, which may come
    // before or after it.
    bool dataClosedByServer = false;
    int listingLines = 0;
    qint64 listingBytes = 0;
};
State &state();

// The sockets and the log of the FTP window the commands work on.
struct Link {
    Platform::DsSocket *control = nullptr;
    Platform::DsSocket *data = nullptr;
    std::function<void(const QString &)> log;
    std::function<void()> closed;   // this side closed the control connection
};
void attach(const Link &link);
// True when that window's link was the one attached.
bool detach(const Platform::DsSocket *control);

// A reply line came in: restarts the reply limit of the command under way.
void noteReplyLine();
// Data moved: restarts the reply limit and the total limit.
void noteProgress();

// Connects the control socket to "host" (port 21) or "host:port" and waits for the login.
// True when logged in; on every failure the control socket is closed and `failure` says why.
bool FTPConnect(const QString &host, const QString &user, const QString &password, int timeoutMs,
                QString &failure);
// Sends a command, with the TYPE it needs first and, for a data verb, the PASV before it.
// The command is taken by value: the reply handler passes the held-back command, whose slot this
// empties or fills anew.
void SendFTPCommand(QString command, bool image);
// The data command held back behind PASV goes out once its data connection stands.
void sendHeldCommand();
void CloseDataConnection();
// The reply code ending the command under way; kTimedOut after the reply limit without
// progress or the total limit; 421 when the control connection is gone. A time-out in the middle
// of a multi-line reply leaves the conversation out of step: the connection is closed.
int waitForReply();
// After a transfer's final reply: waits until the data connection is closed, by the server or by
// this side, or until no data has come for the grace period. False when the control connection
// went meanwhile.
bool waitForDataClosed();
// Closes the control connection from this side: the waits end at once (421).
void closeControl();

// ---- Pure readers ----

// RETR, APPE, LIST, NLST, STOR, STOU and DELE: commands that get a passive data connection.
bool isDataVerb(const QString &verb);

// The leading digits of the text before the first blank; 0 when there are none.
int replyCode(const QString &line);

// One line of a reply. `openCode` carries the multi-line reply still open between lines.
struct ReplyLine {
    int code = 0;
    bool final = true;   // the last line of its reply: the table action runs on it
};
ReplyLine readReplyLine(const QString &line, int &openCode);

// A 227 reply: the address it names and the port h*256+l.
struct PassiveReply {
    QString address;
    int port = 0;
};
std::optional<PassiveReply> parsePassiveReply(const QString &line);

// The size of a 213 reply to SIZE; none when the line carries no number.
std::optional<qint64> parseSizeReply(const QString &line);

// The folder of a 257 reply: the quoted name after the code (a doubled quote stands for one), or
// the first word when it is not quoted.
QString getQuotedPath(const QString &reply);

// An accepted line of a long listing.
struct RemoteEntry {
    bool folder = false;
    QString name;
    QString size;
    QString date;   // month, day and time or year joined by single blanks
};
std::optional<RemoteEntry> parseListingLine(const QString &line);
bool isModeString(const QString &field);

// Remote folders are absolute, or, where the server never named its folder (PWD refused),
// relative to the login folder: "." is the login folder itself.

// The parent folder: "/pages/images" and "/pages/images/" give "/pages/", "docs" gives "/".
QString getUpDir(const QString &fullPath);
// The parent of a remote folder: getUpDir's, but a relative folder's stays relative ("docs"
// gives ".").
QString remoteParent(const QString &folder);
// A typed path against the current folder: absolute paths stay, relative ones are joined; "."
// and ".." are resolved. Against a relative folder the result stays relative.
QString resolveRemotePath(const QString &current, const QString &typed);
// The CWD argument that leads from the folder the server is in to `to`: `to` itself unless both
// are relative, where it is the way between them ("images", "..").
QString routeBetween(const QString &from, const QString &to);
// Remote path of a name in a folder.
QString joinRemote(const QString &folder, const QString &name);
// "Folder", "HTML File" or "File" (".htm" anywhere, exact case).
QString remoteKind(const RemoteEntry &entry);
// "4,096 Bytes"; a size field that is not a number shows as 0.
QString remoteSizeText(const QString &sizeField);
// "host" or "host:port": the host and the port (21 when none is given, 0 when unusable).
std::pair<QString, int> hostAndPort(const QString &hostField);

// Local pane texts: size in whole KB ("1KB" for 0 and 1), and the date with the time left out
// at exactly midnight.
QString localSizeText(qint64 bytes);
QString generalDate(const QDateTime &when);

} // namespace modFTP
