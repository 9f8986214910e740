#include "ftp/frmFTPClient.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSplitter>
#include <QVBoxLayout>

#include "core/modCommon.h"
#include "ftp/frmFTPLogin.h"
#include "ftp/modFTP.h"
#include "platform/Codec1252.h"
#include "platform/CommonControls.h"
#include "platform/Dialogs.h"
#include "platform/EventLoop.h"
#include "platform/FolderListing.h"
#include "platform/KeyedListView.h"
#include "platform/modDSSockLog.h"
#include "transport/modDSSockSocket.h"
#include "transport/modDSSockUrl.h"

using namespace Qt::StringLiterals;
using Platform::DsSocket;

namespace {

// Both panes list the up entry first, then folders, then files.
constexpr int kUpGroup = 0;
constexpr int kFolderGroup = 1;
constexpr int kFileGroup = 2;

void setListRow(QTreeWidgetItem *row, const QString &path, int group)
{
    Platform::setItemTag(row, path);
    row->setData(0, Platform::SortGroupRole, group);
}

const QString kNoBreak = QString(QChar(0xA0));
const QString kClosedText = u"FTP Connection seems closed, Please re-connect and try again !"_s;
const QString kConnectCaption = u"&Connect"_s;
const QString kDisconnectCaption = u"D&isconnect"_s;
constexpr int kMaxLogEntries = 150;
constexpr int kLogEntriesKept = 100;

bool isUploadVerb(const QString &command)
{
    const QString verb = command.left(4).toUpper();
    return verb == u"STOR"_s || verb == u"STOU"_s;
}

void setColumns(KeyedListView *list)
{
    list->setColumnCount(4);
    list->setHeaderLabels({u"Name"_s, u"Type"_s, u"Size"_s, u"Date"_s});
    list->setExactKeys(true);
    list->setSortingEnabled(true);
    list->sortByColumn(0, Qt::AscendingOrder);
}

// Sorted by the clicked column: ascending first, then reversed on every click.
void columnClick(KeyedListView *list, int column)
{
    list->sortByColumn(column, Platform::nextClickSortOrder(list));
}

// Type, Size and Date as wide as the widest texts they show; Name takes the rest, and never less
// than a quarter of the list, so the date stays readable in a narrow pane.
void fitColumns(KeyedListView *list, const QStringList &widest)
{
    const QFontMetrics metrics = list->fontMetrics();
    int others = 0;
    for (int column = 1; column <= widest.size(); ++column) {
        const QString &text = widest[column - 1];
        const int width = std::max(metrics.horizontalAdvance(text), metrics.horizontalAdvance(list->headerItem()->text(column))) + 16;
        list->setColumnWidth(column, width);
        others += width;
    }
    const int viewport = list->viewport()->width();
    list->setColumnWidth(0, std::max(viewport - others, viewport / 4));
}

QString localParent(const QString &folder)
{
    return modFTP::getUpDir(folder);
}

} // namespace

// Counts the waits of this window on the stack, so a Close inside one deletes the window only
// once they have all returned.
class frmFTPClient::WaitScope {
public:
    explicit WaitScope(frmFTPClient *window) : m_window(window) { ++m_window->m_waitDepth; }
    ~WaitScope()
    {
        if (--m_window->m_waitDepth == 0 && m_window->m_closing)
            m_window->deleteLater();
    }

private:
    frmFTPClient *m_window;
};

// One command sequence at a time: the scope marks it under way.
class frmFTPClient::CommandScope : public WaitScope {
public:
    explicit CommandScope(frmFTPClient *window) : WaitScope(window) { modFTP::state().busy = true; }
    ~CommandScope() { modFTP::state().busy = false; }
};

QPointer<frmFTPClient> frmFTPClient::s_instance;

frmFTPClient *frmFTPClient::instance()
{
    if (!s_instance)
        s_instance = new frmFTPClient;
    return s_instance;
}

frmFTPClient *frmFTPClient::loadedInstance()
{
    return s_instance;
}

frmFTPClient::frmFTPClient(QWidget *parent)
    : QDialog(parent), dsSocket1(this, 0), dsSocket2(this, 1), Timer1(this, 100), Timer2(this, 1000)
{
    setObjectName(u"frmFTPClient"_s);
    setWindowTitle(u"FTP Upload Client"_s);
    setAttribute(Qt::WA_DeleteOnClose, false);
    buildControls();
    connectSockets();
    modFTP::State &s = modFTP::state();
    s.blockSize = modFTP::kBlockSize;
    dsSocket1.setLineMode(true);
    dsSocket1.setEolChar('\n');
    modFTP::attach({&dsSocket1, &dsSocket2, [this](const QString &text) { DisplayMessage(text); }});
    resize(1100, 700);
    modCommon::centerForm(this);
    picSpliter->setSizes({width() * 2 / 5, width() * 3 / 5});
    Drive1->addItems(Platform::driveList());
    if (Drive1->count() > 0)
        addDirs(Drive1->currentText());
}

frmFTPClient::~frmFTPClient()
{
    // Another window may own the connection by now (this one was closed during a wait).
    if (modFTP::detach(&dsSocket1)) {
        modFTP::State &s = modFTP::state();
        s.ftpConnected = false;
        s.loggedIn = false;
    }
}

void frmFTPClient::buildControls()
{
    Drive1 = new QComboBox;
    lsvDirs = new KeyedListView;
    lsvRemote = new KeyedListView;
    setColumns(lsvDirs);
    setColumns(lsvRemote);
    lsvRemote->setSelectionMode(QAbstractItemView::SingleSelection);

    auto *local = new QWidget;
    auto *localLayout = new QVBoxLayout(local);
    localLayout->setContentsMargins(0, 0, 0, 0);
    localLayout->addWidget(Drive1);
    localLayout->addWidget(lsvDirs);

    Frame1 = new QGroupBox(u"Remote System"_s);
    btnConnect = new QPushButton(kConnectCaption);
    btnSendFile = new QPushButton(u"&Send File >>"_s);
    btnChangeDir = new QPushButton(u"Change &Dirs"_s);
    btnList = new QPushButton(u"&Refresh"_s);
    btnClose = new QPushButton(u"Close"_s);
    auto *buttons = new QHBoxLayout;
    // No default button: Enter in a list must not connect or disconnect.
    for (QPushButton *button : {btnConnect, btnSendFile, btnChangeDir, btnList, btnClose})
        button->setAutoDefault(false);
    for (QPushButton *button : {btnConnect, btnSendFile, btnChangeDir, btnList})
        buttons->addWidget(button);
    buttons->addStretch();
    buttons->addWidget(btnClose);
    txtRemotePath = new QLineEdit;
    auto *frameLayout = new QVBoxLayout(Frame1);
    frameLayout->addLayout(buttons);
    frameLayout->addWidget(new QLabel(u"Remote Directory:"_s));
    frameLayout->addWidget(txtRemotePath);
    frameLayout->addWidget(lsvRemote);

    picSpliter = new QSplitter(Qt::Horizontal);
    picSpliter->addWidget(local);
    picSpliter->addWidget(Frame1);
    picSpliter->setChildrenCollapsible(false);

    List1 = new QListWidget;
    List1->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    List1->setMinimumHeight(60);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(picSpliter, 4);
    layout->addWidget(List1, 1);

    connect(btnConnect, &QPushButton::clicked, this, &frmFTPClient::btnConnect_Click);
    connect(btnSendFile, &QPushButton::clicked, this, &frmFTPClient::btnSendFile_Click);
    connect(btnChangeDir, &QPushButton::clicked, this, &frmFTPClient::btnChangeDir_Click);
    connect(btnList, &QPushButton::clicked, this, &frmFTPClient::btnList_Click);
    connect(btnClose, &QPushButton::clicked, this, &frmFTPClient::btnClose_Click);
    connect(lsvRemote, &QTreeWidget::itemDoubleClicked, this, [this] { lsvRemote_DblClick(); });
    connect(lsvDirs, &QTreeWidget::itemDoubleClicked, this, [this] { lsvDirs_DblClick(); });
    connect(lsvRemote->header(), &QHeaderView::sectionClicked, this, &frmFTPClient::lsvRemote_ColumnClick);
    connect(lsvDirs->header(), &QHeaderView::sectionClicked, this, &frmFTPClient::lsvDirs_ColumnClick);
    lsvRemote->header()->setSectionsClickable(true);
    lsvDirs->header()->setSectionsClickable(true);
    connect(Drive1, &QComboBox::textActivated, this, [this] { Drive1_Change(); });
    connect(picSpliter, &QSplitter::splitterMoved, this, [this] { Resize(); });
    connect(&Timer1, &Platform::Timer::timeout, this, &frmFTPClient::Timer1_Timer);
    connect(&Timer2, &Platform::Timer::timeout, this, &frmFTPClient::Timer2_Timer);
    txtRemotePath->installEventFilter(this);
    for (QWidget *widget : std::initializer_list<QWidget *>{this, Frame1, List1, btnSendFile, btnConnect,
                                                            btnChangeDir, btnList, lsvDirs, lsvRemote})
        resetPointerOn(widget);
}

void frmFTPClient::resetPointerOn(QWidget *widget)
{
    auto *view = qobject_cast<QAbstractItemView *>(widget);
    QWidget *target = view ? view->viewport() : widget;
    target->setMouseTracking(true);
    target->installEventFilter(this);
}

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

bool frmFTPClient::isBusy() const
{
    return modFTP::state().busy || m_batchRunning;
}

bool frmFTPClient::refuseWhenClosed()
{
    if (modFTP::state().ftpConnected)
        return false;
    Platform::msgBox(kClosedText, Platform::Information, u"FTP Client"_s);
    return true;
}

// ---- Window, login and connection ----

void frmFTPClient::btnConnect_Click()
{
    if (btnConnect->text() != kConnectCaption) {
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
    txtRemotePath->setText(s.remotePath);
    const modFTP::Intervals limits = modFTP::intervals();
    dsSocket2.setSendStallMs(limits.replyMs);
    bool loggedIn = false;
    {
        CommandScope scope(this);
        loggedIn = modFTP::FTPConnect(m_sFTPHost, m_sFTPUserName, m_sFTPPassword, limits.loginMs);
    }
    if (m_closing)
        return;
    if (loggedIn) {
        btnConnect->setText(kDisconnectCaption);
        m_listNext = false;
        Timer2.setInterval(limits.firstStepMs);
        Timer2.setEnabled(true);
    }
}

// Always works: a command under way is abandoned with both connections; otherwise QUIT first.
void frmFTPClient::disconnectNow()
{
    modFTP::State &s = modFTP::state();
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
    btnConnect->setText(kConnectCaption);
    btnSendFile->setEnabled(true);
    Platform::setBusyPointer(false);
}

// QUIT first when connected and nothing is under way; a command under way is abandoned.
void frmFTPClient::btnClose_Click()
{
    if (!isBusy() && modFTP::state().ftpConnected)
        disconnectNow();
    unload();
}

// The window manager's close and the main window's: at once, without waiting for a reply.
void frmFTPClient::closeEvent(QCloseEvent *event)
{
    event->ignore();
    unload();
}

// Esc: as Close, but never in the middle of a command or between its steps.
void frmFTPClient::reject()
{
    if (isBusy() || Timer1.enabled() || Timer2.enabled())
        return;
    btnClose_Click();
}

// Closes both connections without QUIT and goes; a wait under way ends first, and the window is
// deleted once every wait has returned.
void frmFTPClient::unload()
{
    if (m_closing)
        return;
    m_closing = true;
    Timer1.setEnabled(false);
    Timer2.setEnabled(false);
    modFTP::closeControl();
    m_upload = {};
    m_batchRunning = false;
    Platform::setBusyPointer(false);
    hide();
    if (s_instance == this)
        s_instance = nullptr;
    if (m_waitDepth == 0)
        deleteLater();
}

// ---- The log ----

void frmFTPClient::DisplayMessage(const QString &szMsg)
{
    if (List1->count() >= kMaxLogEntries) {
        List1->setUpdatesEnabled(false);
        while (List1->count() > kLogEntriesKept)
            delete List1->takeItem(0);
        List1->setUpdatesEnabled(true);
    }
    List1->addItem(modDSSock::trimLineEnd(szMsg));
    List1->scrollToItem(List1->item(List1->count() - 1), QAbstractItemView::PositionAtTop);
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
        btnSendFile->setEnabled(true);
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
            modFTP::SendFTPCommand(s.pendingCommand, s.transferImage, s.pendingArgument);
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
        modFTP::CloseDataConnection();
        s.lastReplyCode = 250;
        if (!m_sNewRemotePath.isEmpty() && m_sNewRemotePath != s.remotePath)
            s.remotePath = m_sNewRemotePath;
        txtRemotePath->setText(s.remotePath);
        m_listNext = true;
        Timer2.setInterval(modFTP::intervals().nextStepMs);
        Timer2.setEnabled(true);
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
    modDSSock::connectedFlag = false;
    Platform::setBusyPointer(false);
    btnConnect->setText(kConnectCaption);
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
    if (isBusy())
        return;
    m_intUploadIndex = 0;
    if (!setFileList())
        return;
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
    btnSendFile->setEnabled(true);
}

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
    m_upload = {std::move(file), Platform::tickCount(), false};
    int reply = 0;
    {
        CommandScope scope(this);
        modFTP::SendFTPCommand(u"STOR "_s + Platform::fromAnsi(QFile::encodeName(name)), true, path);
        reply = modFTP::waitForReply();
        if (m_closing)
            return;
    }
    // A file whose bytes did not all leave is not stored, whatever the server says.
    const Upload upload = std::exchange(m_upload, {});
    if (reply != modFTP::kTransferComplete || !upload.allSent) {
        modFTP::CloseDataConnection();
        endBatch();
        return;
    }
    emit fileStored(path, Platform::tickCount() - upload.startedMs);
    if (index < m_sUploadFiles.size()) {
        Timer1.setEnabled(true);
        return;
    }
    endBatch();
    ListFile(modFTP::state().remotePath);
}

// The 150 (or 125) of a STOR: the file goes out in blocks as bytes, then the data connection is
// closed, which ends the file for the server.
void frmFTPClient::sendOpenedFile()
{
    modFTP::State &s = modFTP::state();
    std::unique_ptr<QFile> file = std::move(m_upload.file);
    if (!file) {
        DisplayMessage(u"Bad File Name. Transfer Aborted"_s);
        modFTP::CloseDataConnection();
        return;
    }
    DisplayMessage(u"Sending "_s + QString::number(file->size()) + u" bytes"_s);
    WaitScope scope(this);
    dsSocket2.setSendStallMs(modFTP::intervals().replyMs);
    while (!file->atEnd()) {
        const QByteArray block = file->read(s.blockSize);
        if (block.isEmpty())
            break;
        if (!modDSSock::SendData(dsSocket2, block)) {
            if (!m_closing)
                uploadStopped();
            return;
        }
        if (m_closing)
            return;
        modFTP::noteProgress();
    }
    file.reset();
    if (!drainDataConnection()) {
        if (!m_closing)
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
        s.lastReplyCode = 999;
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

// ---- Remote pane ----

void frmFTPClient::ListFile(const QString &szParams)
{
    if (modFTP::state().busy)
        return;
    CommandScope scope(this);
    Platform::setBusyPointer(true);
    lsvRemote->setSortingEnabled(false);
    lsvRemote->clear();
    const QString up = modFTP::getUpDir(szParams);
    if (QTreeWidgetItem *row = lsvRemote->addRow(up, {kNoBreak}, u"Up"_s))
        setListRow(row, up, kUpGroup);
    const QString path = szParams.isEmpty() ? u"/"_s : szParams;
    // A relative folder is the one the last CWD went into.
    modFTP::SendFTPCommand(path.startsWith(u'/') ? u"LIST "_s + path : u"LIST"_s, false);
    // Over when the final reply has come and the data connection has closed, in either order.
    const int reply = modFTP::waitForReply();
    if (m_closing)
        return;
    const bool listed = reply == modFTP::kTransferComplete && modFTP::waitForDataClosed();
    if (m_closing)
        return;
    if (!listed)
        modFTP::CloseDataConnection();
    lsvRemote->setSortingEnabled(true);
    QApplication::beep();
    Platform::setBusyPointer(false);
}

void frmFTPClient::addRemoteDir(const QString &sListData)
{
    const std::optional<modFTP::RemoteEntry> entry = modFTP::parseListingLine(sListData);
    if (!entry || entry->name.isEmpty())
        return;
    const QString path = modFTP::joinRemote(modFTP::state().remotePath, entry->name);
    const QString kind = modFTP::remoteKind(*entry);
    const QString icon = entry->folder ? u"Folder"_s : kind == u"HTML File"_s ? u"WebFile"_s : u"WinFile"_s;
    const QString text = entry->folder ? kNoBreak + entry->name : entry->name;
    if (QTreeWidgetItem *row
        = lsvRemote->addRow(path, {text, kind, modFTP::remoteSizeText(entry->size), entry->date}, icon))
        setListRow(row, path, entry->folder ? kFolderGroup : kFileGroup);
}

void frmFTPClient::ChangeRemotePath(const QString &sPath)
{
    if (modFTP::state().busy)
        return;
    CommandScope scope(this);
    Platform::setBusyPointer(true);
    DisplayMessage(u"CWD "_s + sPath);
    modFTP::SendFTPCommand(u"CWD "_s + sPath, false);
    const int reply = modFTP::waitForReply();
    if (m_closing)
        return;
    if (reply == 250 && !sPath.startsWith(u'/')) {
        // A relative path (the login's "public_html"): the server names the folder it led to.
        modFTP::SendFTPCommand(u"PWD"_s, false);
        modFTP::waitForReply();
        if (m_closing)
            return;
    }
    Platform::setBusyPointer(false);
}

void frmFTPClient::Timer2_Timer()
{
    Timer2.setEnabled(false);
    if (isBusy()) {
        Timer2.setEnabled(true);   // the step follows once the command under way is over
        return;
    }
    modFTP::State &s = modFTP::state();
    if (!s.ftpConnected)
        return;
    if (std::exchange(m_listNext, false))
        ListFile(s.remotePath);
    else
        ChangeRemotePath(s.remotePath);
}

void frmFTPClient::btnChangeDir_Click()
{
    if (refuseWhenClosed() || isBusy())
        return;
    modFTP::State &s = modFTP::state();
    if (s.remotePath.isEmpty())
        s.remotePath = u"/"_s;
    const QString answer = Platform::inputBox(u"Enter remote path:"_s, u"FTP Client"_s, s.remotePath);
    if (answer.isEmpty())
        return;
    m_sNewRemotePath = modFTP::resolveRemotePath(s.remotePath, answer);
    ChangeRemotePath(m_sNewRemotePath);
}

void frmFTPClient::btnList_Click()
{
    if (refuseWhenClosed() || isBusy())
        return;
    if (!modFTP::state().remotePath.isEmpty())
        ListFile(modFTP::state().remotePath);
}

void frmFTPClient::txtRemotePath_Enter()
{
    if (isBusy() || txtRemotePath->text().trimmed().isEmpty())
        return;
    m_sNewRemotePath = modFTP::resolveRemotePath(modFTP::state().remotePath, txtRemotePath->text());
    ChangeRemotePath(m_sNewRemotePath);
}

void frmFTPClient::lsvRemote_DblClick()
{
    QTreeWidgetItem *row = lsvRemote->currentItem();
    if (!row || !row->isSelected() || itemImageKey(row).contains(u"File"_s) || isBusy())
        return;
    m_sNewRemotePath = Platform::itemTag(row);
    ChangeRemotePath(m_sNewRemotePath);
}

void frmFTPClient::lsvRemote_ColumnClick(int column)
{
    columnClick(lsvRemote, column);
}

// ---- Local pane ----

void frmFTPClient::addDirs(const QString &startingDir)
{
    lsvDirs->clear();
    QString folder = startingDir;
    if (folder.contains(u'['))
        folder = folder.left(folder.indexOf(u'[')).trimmed();
    if (!folder.endsWith(u'/'))
        folder += u'/';
    const Platform::FolderListing listing = Platform::listFolder(folder);
    lsvDirs->setUpdatesEnabled(false);
    for (const Platform::FolderEntry &entry : listing.entries) {
        if (entry.name == u".."_s) {
            const QString up = localParent(folder);
            if (QTreeWidgetItem *row = lsvDirs->addRow(up, {u" .."_s, u"Folder"_s}, u"Up"_s))
                setListRow(row, up, kUpGroup);
            continue;
        }
        const QString path = folder + entry.name;
        const bool isFolder = entry.attributes == 16 || entry.attributes == 17;
        const bool page = !isFolder && path.contains(u".htm"_s);
        const QString icon = isFolder ? u"Folder"_s : page ? u"WebFile"_s : u"WinFile"_s;
        const QString text = isFolder ? kNoBreak + entry.name : entry.name;
        const QString kind = isFolder ? u"Folder"_s : page ? u"HTML File"_s : u"File"_s;
        const QString size = isFolder ? QString() : modFTP::localSizeText(entry.size);
        if (QTreeWidgetItem *row = lsvDirs->addRow(path, {text, kind, size, modFTP::generalDate(entry.modified)}, icon))
            setListRow(row, path, isFolder ? kFolderGroup : kFileGroup);
    }
    lsvDirs->setUpdatesEnabled(true);
    // A folder that is missing or cannot be opened is "not accessible"; anything else is an error.
    const QFileInfo info(folder);
    if (listing.failure == Platform::FolderListing::Failure::NotReady
        || (!listing.ok() && (!info.isDir() || !info.isReadable() || !info.isExecutable())))
        Platform::msgBox(folder + u" is not accessible.\r\n\r\nThe device is not ready."_s, Platform::Critical,
                         u"Error"_s);
    else if (!listing.ok())
        Platform::msgBox(u"addDirs_Error: "_s + listing.description, Platform::Critical, u"Error"_s);
}

void frmFTPClient::Drive1_Change()
{
    addDirs(Drive1->currentText());
}

void frmFTPClient::lsvDirs_DblClick()
{
    QTreeWidgetItem *row = lsvDirs->currentItem();
    if (!row)
        return;
    const QString tag = Platform::itemTag(row);
    const std::optional<int> attributes = tag.isEmpty() ? std::nullopt : Platform::fileAttributes(tag);
    if (attributes && (*attributes == 16 || *attributes == 17)) {
        addDirs(tag);
        return;
    }
    btnSendFile_Click();
}

void frmFTPClient::lsvDirs_ColumnClick(int column)
{
    columnClick(lsvDirs, column);
}

// ---- Layout ----

void frmFTPClient::Resize()
{
    const QDateTime late(QDate(2026, 12, 28), QTime(23, 59, 59));
    fitColumns(lsvDirs, {u"HTML File"_s, modFTP::localSizeText(99999 * 1024), modFTP::generalDate(late)});
    fitColumns(lsvRemote, {u"HTML File"_s, modFTP::remoteSizeText(u"999999999"_s), u"Dec 28 23:59"_s});
}

void frmFTPClient::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    Resize();
}

bool frmFTPClient::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == txtRemotePath && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            txtRemotePath_Enter();
            return true;   // not the window's default button
        }
    }
    if (event->type() == QEvent::MouseMove)
        Platform::setBusyPointer(false);
    if (event->type() == QEvent::Resize && (watched == lsvDirs->viewport() || watched == lsvRemote->viewport()))
        Resize();
    return QDialog::eventFilter(watched, event);
}
