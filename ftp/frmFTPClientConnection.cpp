// The FTP window's connections: the login, the control connection's replies, the passive data
// connection, and the upload of the selected local files.
#include "ftp/frmFTPClient.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "ftp/frmFTPLogin.h"
#include "ftp/modFTP.h"
#include "platform/Codec1252.h"
#include "platform/CommonControls.h"
#include "platform/Dialogs.h"
#include "platform/EventLoop.h"
#include "platform/KeyedListView.h"
#include "platform/modDSSockLog.h"
#include "transport/modDSSockSocket.h"
#include "transport/modDSSockUrl.h"

using namespace Qt::StringLiterals;
using Platform::DsSocket;

namespace {

bool isUploadVerb(const QString &command)
{
    const QString verb = command.left(4).toUpper();
    return verb == u"STOR"_s || verb == u"STOU"_s;
}

} // namespace

void frmFTPClient::connectSockets()
{
    connect(&dsSocket1, &DsSocket::Receive, this, [this](int, const QString &data) { dsSocket1_Receive(data); });
    connect(&dsSocket1, &DsSocket::SendReady, this, [this](int) { dsSocket1_SendReady(); });
    connect(&dsSocket1, &DsSocket::Connect, this, [this](int) { dsSocket1_Connect(); });
    connect(&dsSocket1, &DsSocket::Close, this, [this](int, int, const QString &) { dsSocket1_Close(); });
    connect(&dsSocket1, &DsSocket::Exception, this,
            [this](int, int code, const QString &desc) { dsSocket1_Exception(code, desc); });
    connect(&dsSocket2, &DsSocket::Receive, this, [this](int, const QString &data) { dsSocket2_Receive(data); });
    connect(&dsSocket2, &DsSocket::SendReady, this, [this](int) { dsSocket2_SendReady(); });
    connect(&dsSocket2, &DsSocket::Connect, this, [this](int) { dsSocket2_Connect(); });
    connect(&dsSocket2, &DsSocket::Close, this, [this](int, int, const QString &) { dsSocket2_Close(); });
    connect(&dsSocket2, &DsSocket::Exception, this,
            [this](int, int code, const QString &desc) { dsSocket2_Exception(code, desc); });
}

// ---- Login and disconnect ----

void frmFTPClient::btnConnect_Click()
{
    if (btnConnect->text() != kConnectCaption) {
        if (mayEndNow(AfterStop::Disconnect))
            disconnectNow();
        return;
    }
    if (isBusy())
        return;
    {
        frmFTPLogin login(this);
        login.exec();
    }
    if (m_sLogin != u"OK"_s || m_closing)
        return;
    modFTP::State &s = modFTP::state();
    List1->clear();
    s.ftpConnected = false;
    m_sNewRemotePath = s.remotePath;
    // The pane and the path box show a folder only once the server is in it.
    showNotConnected();
    const auto [host, port] = modFTP::hostAndPort(m_sFTPHost);
    m_serverName = host + u':' + QString::number(port);
    m_serverFolder = u"."_s;
    m_userDisconnected = false;
    DisplayMessage(u"Connecting to "_s + m_serverName);
    const modFTP::Intervals limits = modFTP::intervals();
    dsSocket2.setSendStallMs(limits.replyMs);
    bool loggedIn = false;
    QString failure;
    {
        CommandScope scope(this);
        loggedIn = modFTP::FTPConnect(m_sFTPHost, m_sFTPUserName, m_sFTPPassword, limits.loginMs, failure);
    }
    if (m_closing)
        return;
    if (!loggedIn) {
        showNotConnected();
        reportFailure(u"Login failed"_s, failure);
        return;
    }
    btnConnect->setText(kDisconnectCaption);
    m_listNext = false;
    Timer2.setInterval(limits.firstStepMs);
    Timer2.setEnabled(true);
}

// One line in the log and one box, naming the server and the reason. A command cut short by the
// user's Disconnect gets the line only.
void frmFTPClient::reportFailure(const QString &what, const QString &reason)
{
    const QString text = what + u" ("_s + m_serverName + u"): "_s + reason;
    DisplayMessage(text);
    if (!m_userDisconnected)
        Platform::msgBox(text, Platform::Exclamation, u"FTP Client"_s);
}

// Why a command failed: the server's refusal, no reply, or the connection gone.
QString frmFTPClient::failureReason(int reply) const
{
    const modFTP::State &s = modFTP::state();
    if (!s.ftpConnected)
        return u"the connection was closed"_s;
    return reply >= 400 && reply <= 599 ? s.lastReplyLine : u"no reply in time"_s;
}

void frmFTPClient::showNotConnected()
{
    btnConnect->setText(kConnectCaption);
    btnSendFile->setEnabled(false);
    lsvRemote->clear();
    txtRemotePath->clear();
    m_listedFolder.clear();
    m_inShownFolder = false;
    m_folderGivenUp.clear();
    m_lateFolderNotice.clear();
}

void frmFTPClient::enableSendFile()
{
    const modFTP::State &s = modFTP::state();
    btnSendFile->setEnabled(s.loggedIn && s.ftpConnected && m_inShownFolder && m_folderBeingListed.isEmpty());
}

// Always works: a command under way is abandoned with both connections; otherwise QUIT first.
void frmFTPClient::disconnectNow()
{
    modFTP::State &s = modFTP::state();
    m_userDisconnected = true;
    Timer1.setEnabled(false);
    Timer2.setEnabled(false);
    if (!isBusy() && s.ftpConnected) {
        CommandScope scope(this);
        Platform::setBusyPointer(true);
        modFTP::SendFTPCommand(u"QUIT"_s, s.transferImage);
        modFTP::waitForReply();
        if (m_closing)
            return;
    }
    modFTP::closeControl();
    m_batchRunning = false;
    m_upload = {};
    showNotConnected();
    Platform::setBusyPointer(false);
}

// ---- Control connection ----

void frmFTPClient::dsSocket1_Receive(const QString &receiveData)
{
    modFTP::State &s = modFTP::state();
    modFTP::noteReplyLine();
    const QString line = modDSSock::trimLineEnd(receiveData);
    const modFTP::ReplyLine reply = modFTP::readReplyLine(line, s.openReplyCode);
    if (!reply.final) {
        // The lines of a multi-line reply are only shown; a login confirmed on the first counts.
        if (reply.code == 230) {
            s.loggedIn = true;
            s.ftpConnected = true;
        }
        DisplayMessage(line);
        return;
    }
    s.lastReplyLine = line;
    if (reply.code == 227) {
        DisplayMessage(line);
        passiveReply(line);
        return;
    }
    if ((reply.code == 125 || reply.code == 150) && isUploadVerb(s.pendingCommand)) {
        DisplayMessage(line);
        sendOpenedFile();
        return;
    }
    replyAction(reply.code, line);
    if (reply.code >= 300 && reply.code <= 599) {
        Platform::setBusyPointer(false);
        enableSendFile();
        s.lastReplyCode = reply.code;
    }
    if (reply.code != 503)
        DisplayMessage(line);
}

void frmFTPClient::replyAction(int code, const QString &line)
{
    modFTP::State &s = modFTP::state();
    if (code >= 200 && code <= 299 && s.currentVerb == u"TYPE"_s) {
        // A 2xx to TYPE confirms the type asked for, whatever its wording.
        s.transferImage = s.currentTypeImage;
        if (!s.pendingCommand.isEmpty())
            modFTP::SendFTPCommand(s.pendingCommand, s.transferImage);
        return;
    }
    switch (code) {
    case 202:
        modFTP::CloseDataConnection();
        s.lastReplyCode = 202;
        break;
    case 221:
        modFTP::closeControl();
        s.lastReplyCode = 221;
        btnConnect->setText(kConnectCaption);
        DisplayMessage(u"Disconnect !"_s);
        break;
    case 213:   // the size of a stored file
        s.lastReplyCode = 213;
        break;
    case 226:
        transferComplete();
        break;
    case 230:
        s.loggedIn = true;
        s.ftpConnected = true;
        break;
    case 250:
        if (modFTP::isDataVerb(s.currentVerb)) {
            transferComplete();   // some servers end LIST and STOR so
            break;
        }
        if (!m_folderGivenUp.isEmpty()) {
            followLateFolderChange();   // not the reply to any command waited for now
            break;
        }
        modFTP::CloseDataConnection();
        s.lastReplyCode = 250;
        if (!m_sNewRemotePath.isEmpty() && m_sNewRemotePath != s.remotePath)
            s.remotePath = m_sNewRemotePath;
        txtRemotePath->setText(s.remotePath);
        listSoon();
        break;
    case 257:
        s.lastReplyCode = 257;
        s.remotePath = modFTP::getQuotedPath(line);
        txtRemotePath->setText(s.remotePath);
        break;
    case 331:
        modDSSock::SendData(dsSocket1, u"PASS "_s + s.ftpPassword + u"\r\n"_s);
        break;
    case 421:
        modFTP::closeControl();
        s.lastReplyCode = 421;
        btnConnect->setText(kConnectCaption);
        break;
    default:
        break;
    }
}

void frmFTPClient::transferComplete()
{
    modFTP::State &s = modFTP::state();
    s.bytesReceived = 0;
    s.lastReplyCode = modFTP::kTransferComplete;
}

void frmFTPClient::passiveReply(const QString &line)
{
    const std::optional<modFTP::PassiveReply> reply = modFTP::parsePassiveReply(line);
    if (!reply) {
        DisplayMessage(u"Could not understand format - Data connection not made."_s);
        return;
    }
    // The data goes to the server we logged in to, whatever address the reply names.
    const QString address = dsSocket1.peerAddress();
    if (reply->address != address)
        DisplayMessage(u"Passive reply names "_s + reply->address + u", connecting to "_s + address);
    const QString where = QString::number(reply->port) + u" Address: "_s + address;
    int result = modDSSock::kConnectError;
    if (reply->port >= 1 && reply->port <= 65535) {
        WaitScope scope(this);
        const int seconds = std::max(1, (modFTP::intervals().passiveConnectMs + 999) / 1000);
        result = modDSSock::SocketConnect(dsSocket2, reply->port, address, seconds);
        if (m_closing)
            return;
    }
    if (result != modDSSock::kConnected) {
        DisplayMessage(u"Passive Mode Connect Failed. Port:"_s + where);
        return;
    }
    DisplayMessage(u"Passive Mode Connect Successful. Port:"_s + where);
    modFTP::sendHeldCommand();
}

void frmFTPClient::dsSocket1_SendReady()
{
    modFTP::State &s = modFTP::state();
    modDSSock::writeDebugLog(u"dsSocket1_SendReady"_s);
    modDSSock::sendReadyFlag = true;
    if (!s.loggedIn && !s.userSent) {
        s.userSent = true;
        modDSSock::SendData(dsSocket1, u"USER "_s + s.ftpUserName + u"\r\n"_s);
    }
}

void frmFTPClient::dsSocket1_Connect()
{
    modDSSock::writeDebugLog(u"dsSocket1_Connect"_s);
    Platform::setBusyPointer(true);
    modFTP::state().ftpConnected = true;
    modDSSock::connectedFlag = true;
}

void frmFTPClient::dsSocket1_Close()
{
    modDSSock::writeDebugLog(u"dsSocket1_Close"_s);
    modFTP::state().ftpConnected = false;
    modFTP::state().loggedIn = false;
    modDSSock::connectedFlag = false;
    Platform::setBusyPointer(false);
    showNotConnected();
}

void frmFTPClient::dsSocket1_Exception(int errorCode, const QString &errorDesc)
{
    modDSSock::writeDebugLog(u"dsSocket1_Exception"_s);
    modFTP::state().ftpConnected = false;
    DisplayMessage(u"DSSocket1 Error"_s + QString::number(errorCode) + u": "_s + errorDesc);
}

// ---- Data connection ----

void frmFTPClient::dsSocket2_Connect()
{
    modDSSock::writeDebugLog(u"Socket2(1)_Connect"_s);
    Platform::setBusyPointer(true);
    modDSSock::connectedFlag = true;
    DisplayMessage(u"Data connection established: "_s + QString::number(dsSocket2.socketHandle()));
}

void frmFTPClient::dsSocket2_Receive(const QString &receiveData)
{
    modFTP::State &s = modFTP::state();
    modDSSock::writeDebugLog(u"RD: "_s + QString::number(receiveData.size()) + u" bytes. First 10 = "_s
                             + receiveData.left(10));
    modFTP::noteProgress();
    s.bytesReceived += receiveData.size();
    if (!s.pendingCommand.left(4).toUpper().startsWith(u"LIST"_s)) {
        DisplayMessage(receiveData);
        return;
    }
    s.listingBytes += receiveData.size();
    if (s.listingBytes > modFTP::kMaxListingBytes) {
        DisplayMessage(u"Listing stopped after "_s + QString::number(modFTP::kMaxListingBytes / (1024 * 1024)) + u" MB"_s);
        modFTP::CloseDataConnection();
        return;
    }
    addRemoteDir(receiveData);
    if (++s.listingLines >= modFTP::kMaxListingLines) {
        DisplayMessage(u"Listing stopped after "_s + QString::number(modFTP::kMaxListingLines) + u" entries"_s);
        modFTP::CloseDataConnection();
    }
}

void frmFTPClient::dsSocket2_Close()
{
    modFTP::State &s = modFTP::state();
    modDSSock::writeDebugLog(u"Socket2(1)_Close"_s);
    DisplayMessage(u"Connection Closed. Total bytes received = "_s + QString::number(s.bytesReceived));
    s.dataClosedByServer = true;
    s.pendingCommand.clear();
    s.bytesReceived = -1;
}

void frmFTPClient::dsSocket2_Exception(int errorCode, const QString &errorDesc)
{
    modDSSock::writeDebugLog(u"Socket2(1)_Exception"_s);
    DisplayMessage(u"Socket2(1) Error"_s + QString::number(errorCode) + u": "_s + errorDesc);
}

void frmFTPClient::dsSocket2_SendReady()
{
    modDSSock::writeDebugLog(u"Socket2(1)_SendReady"_s);
    modDSSock::sendReadyFlag = true;
}

// ---- Upload ----

void frmFTPClient::btnSendFile_Click()
{
    if (refuseWhenClosed())
        return;
    if (modFTP::state().remotePath.isEmpty()) {
        Platform::msgBox(u"Invalid remote path, please change the remote path and try again."_s,
                         Platform::Information, u"FTP Client"_s);
        return;
    }
    // Nothing goes while a listing is read (a double click or Enter on a file comes here with
    // the button disabled), nor while the server may be in another folder than the box shows:
    // until the folder change after the login has ended, and during any other.
    if (!m_folderBeingListed.isEmpty()) {
        DisplayMessage(u"Send File waits: the listing of "_s + m_folderBeingListed + u" is being read"_s);
        return;
    }
    if (isBusy() || !m_inShownFolder)
        return;
    m_intUploadIndex = 0;
    if (!setFileList())
        return;
    // A folder typed into the box but not entered: the files go there once the server is in it.
    // A blank box shows again the folder they go to.
    if (txtRemotePath->text().trimmed().isEmpty())
        txtRemotePath->setText(modFTP::state().remotePath);
    if (txtRemotePath->text() != modFTP::state().remotePath && !changeFolderTo(typedFolder()))
        return;
    m_stopRequested = false;
    m_batchRunning = true;
    Timer1.setInterval(modFTP::intervals().nextFileMs);
    Timer1.setEnabled(true);
}

bool frmFTPClient::setFileList()
{
    QStringList files;
    for (QTreeWidgetItem *row : lsvDirs->rows()) {
        const QString kind = itemImageKey(row);
        if (row->isSelected() && (kind == u"WebFile"_s || kind == u"WinFile"_s))
            files << Platform::itemTag(row);
    }
    if (files.isEmpty())
        return false;
    m_sUploadFiles = files;
    return true;
}

void frmFTPClient::Timer1_Timer()
{
    Timer1.setEnabled(false);
    SendFile(++m_intUploadIndex);
}

void frmFTPClient::endBatch()
{
    m_batchRunning = false;
    m_upload = {};
    Platform::setBusyPointer(false);
    enableSendFile();
}

namespace {

QString heldText(const std::optional<qint64> &held, bool notOffered, qint64 size)
{
    if (held)
        return u"the server holds "_s + QString::number(*held) + u" of "_s + QString::number(size) + u" bytes"_s;
    return notOffered ? u"the server gives no size"_s : u"the server did not confirm its size"_s;
}

// SIZE and the listing of one name are refused for good (5xx): the server offers no size.
bool refusedForGood(int reply)
{
    return reply >= 500 && reply <= 599;
}

} // namespace

void frmFTPClient::SendFile(int index)
{
    if (index < 1 || index > m_sUploadFiles.size() || modFTP::state().busy)
        return;
    const QString path = m_sUploadFiles[index - 1];
    const QString name = path.mid(path.lastIndexOf(u'/') + 1);
    // The file is opened (never created) before anything is asked of the server, and a name that
    // would break the command line is refused.
    auto file = std::make_unique<QFile>(path);
    if (name.contains(u'\r') || name.contains(u'\n') || !file->open(QIODevice::ReadOnly)) {
        DisplayMessage(u"Bad File Name. Transfer Aborted"_s);
        endBatch();
        return;
    }
    Platform::setBusyPointer(true);
    DisplayMessage(u"STOR "_s + path);
    btnSendFile->setEnabled(false);
    const qint64 size = file->size();
    m_upload = {name, std::move(file), Platform::tickCount(), false, false};
    const QString remoteName = Platform::fromAnsi(QFile::encodeName(name));
    int reply = 0;
    HeldSize held;
    {
        CommandScope scope(this);
        modFTP::SendFTPCommand(u"STOR "_s + remoteName, true);
        reply = modFTP::waitForReply();
        if (m_closing)
            return;
        // A file whose bytes did not all leave is not stored, whatever the server says; nor is
        // one of which the server holds fewer bytes than were sent. A stopped file is named
        // with what the server holds of it.
        if ((reply == modFTP::kTransferComplete && m_upload.allSent) || m_stopRequested) {
            held = storedSize(remoteName);
            if (m_closing)
                return;
        }
    }
    const Upload upload = std::exchange(m_upload, {});
    if (m_stopRequested) {
        logStop(u"Upload stopped: "_s + name + u": "_s + heldText(held.bytes, held.notOffered, size));
        modFTP::CloseDataConnection();
        endBatch();
        if (m_afterStop == AfterStop::Disconnect)
            disconnectNow();
        else
            btnClose_Click();
        return;
    }
    const bool complete = reply == modFTP::kTransferComplete && upload.allSent;
    if (!complete || (held.bytes != size && !held.notOffered)) {
        if (complete)
            DisplayMessage(u"Upload failed: "_s + name + u": "_s + heldText(held.bytes, held.notOffered, size));
        modFTP::CloseDataConnection();
        endBatch();
        return;
    }
    if (held.notOffered)
        DisplayMessage(name + u": the size was not checked (the server refuses SIZE and the listing of one name)"_s);
    emit fileStored(path, Platform::tickCount() - upload.startedMs);
    if (index < m_sUploadFiles.size()) {
        Timer1.setEnabled(true);
        return;
    }
    endBatch();
    // This listing serves one that a folder change before the batch left due.
    Timer2.setEnabled(false);
    m_listNext = false;
    ListFile(modFTP::state().remotePath);
}

// What the server says of a file in its current folder: SIZE, or where the server refuses that,
// the size its listing shows for the name.
frmFTPClient::HeldSize frmFTPClient::storedSize(const QString &remoteName)
{
    modFTP::SendFTPCommand(u"SIZE "_s + remoteName, true);
    const int reply = modFTP::waitForReply();
    if (reply == 213)
        return {modFTP::parseSizeReply(modFTP::state().lastReplyLine)};
    if (!refusedForGood(reply) || m_closing)
        return {};
    const Listing listing = listEntries(u"LIST "_s + remoteName);
    if (refusedForGood(listing.reply))
        return {std::nullopt, true};
    for (const modFTP::RemoteEntry &entry : listing.entries) {
        bool ok = false;
        const qint64 size = entry.size.toLongLong(&ok);
        if (!entry.folder && ok && (entry.name == remoteName || entry.name.endsWith(u'/' + remoteName)))
            return {size};
    }
    return {};
}

// The 150 (or 125) of a STOR: the file goes out in blocks as bytes, then the data connection is
// closed, which ends the file for the server.
void frmFTPClient::sendOpenedFile()
{
    std::unique_ptr<QFile> file = std::move(m_upload.file);
    if (!file) {
        DisplayMessage(u"Bad File Name. Transfer Aborted"_s);
        modFTP::CloseDataConnection();
        return;
    }
    m_upload.dataStarted = true;
    DisplayMessage(u"Sending "_s + QString::number(file->size()) + u" bytes"_s);
    WaitScope scope(this);
    dsSocket2.setSendStallMs(modFTP::intervals().replyMs);
    while (!file->atEnd()) {
        const QByteArray block = file->read(modFTP::kBlockSize);
        if (block.isEmpty())
            break;
        if (!modDSSock::SendData(dsSocket2, block)) {
            if (!m_closing && !m_stopRequested)
                uploadStopped();
            return;
        }
        if (m_closing)
            return;
        modFTP::noteProgress();
    }
    file.reset();
    if (!drainDataConnection()) {
        if (!m_closing && !m_stopRequested)
            uploadStopped();
        return;
    }
    DisplayMessage(u"File Sent"_s);
    m_upload.allSent = true;
    modFTP::CloseDataConnection();
}

// The data connection was cut or the server took no more: the upload has failed. A stalled one
// ends its wait; after a cut the server's own reply still ends it.
void frmFTPClient::uploadStopped()
{
    const bool stalled = dsSocket2.state() == DsSocket::kStateConnected;
    DisplayMessage(stalled ? u"Upload stopped: the server took no data for "_s
                                 + QString::number(modFTP::intervals().replyMs / 1000.0) + u" s"_s
                           : u"Upload stopped: the data connection was closed"_s);
    modFTP::CloseDataConnection();
    modFTP::State &s = modFTP::state();
    if (stalled && s.lastReplyCode == 0)
        s.lastReplyCode = modFTP::kTimedOut;
}

// Waits while the queued rest of an upload goes out: its progress keeps the reply limit fresh on a
// slow line. True when all of it has reached the server; false when the connection is gone or
// nothing moved for the limit.
bool frmFTPClient::drainDataConnection()
{
    WaitScope scope(this);
    const qint64 limit = modFTP::intervals().replyMs;
    qint64 queued = dsSocket2.bytesUnsent();
    qint64 movedAt = Platform::tickCount();
    const auto over = [&] {
        if (m_closing || dsSocket2.state() != DsSocket::kStateConnected || dsSocket2.bytesUnsent() == 0)
            return true;
        if (dsSocket2.bytesUnsent() != queued) {
            queued = dsSocket2.bytesUnsent();
            movedAt = Platform::tickCount();
            modFTP::noteProgress();
        }
        return Platform::tickCount() - movedAt >= limit;
    };
    while (!over())
        Platform::waitUntil(over, 1000);
    return !m_closing && dsSocket2.state() == DsSocket::kStateConnected && dsSocket2.bytesUnsent() == 0;
}
