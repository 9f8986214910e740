// The FTP window as a whole: its controls and their layout, the keys, Close, and the log. The
// connections, replies and the upload are in frmFTPClientConnection.cpp, the two panes in
// frmFTPClientPanes.cpp.
#include "ftp/frmFTPClient.h"

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
#include <QMouseEvent>
#include <QPushButton>
#include <QSplitter>
#include <QVBoxLayout>

#include "core/modCommon.h"
#include "ftp/modFTP.h"
#include "platform/Dialogs.h"
#include "platform/EventLoop.h"
#include "platform/FolderListing.h"
#include "platform/KeyedListView.h"
#include "platform/modDSSockLog.h"
#include "transport/modDSSockUrl.h"

using namespace Qt::StringLiterals;

namespace {

const QString kClosedText = u"FTP Connection seems closed, Please re-connect and try again !"_s;
constexpr int kMaxLogEntries = 150;
constexpr int kLogEntriesKept = 100;

void setColumns(KeyedListView *list)
{
    list->setColumnCount(4);
    list->setHeaderLabels({u"Name"_s, u"Type"_s, u"Size"_s, u"Date"_s});
    list->setExactKeys(true);
    list->setSortingEnabled(true);
    list->sortByColumn(0, Qt::AscendingOrder);
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

} // namespace

QPointer<frmFTPClient> frmFTPClient::s_instance;

frmFTPClient::CommandScope::CommandScope(frmFTPClient *window) : WaitScope(window)
{
    modFTP::state().busy = true;
}

frmFTPClient::CommandScope::~CommandScope()
{
    modFTP::state().busy = false;
}

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
    dsSocket1.setLineMode(true);
    dsSocket1.setEolChar('\n');
    modFTP::attach({&dsSocket1, &dsSocket2, [this](const QString &text) { DisplayMessage(text); },
                    [this] { showNotConnected(); }});
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
    btnSendFile->setEnabled(false);   // until logged in
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
    // A row opens, or its file goes, on a double click or Enter only (eventFilter): a single click
    // selects, also on a desktop whose item activation follows a single click.
    connect(lsvRemote, &QTreeWidget::itemDoubleClicked, this, [this] { lsvRemote_DblClick(); });
    connect(lsvDirs, &QTreeWidget::itemDoubleClicked, this, [this] { lsvDirs_DblClick(); });
    lsvRemote->installEventFilter(this);
    lsvDirs->installEventFilter(this);
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

// ---- Close and the keys ----

// QUIT first when connected and nothing is under way; a command under way is abandoned.
void frmFTPClient::btnClose_Click()
{
    if (!mayEndNow(AfterStop::Close))
        return;
    if (!isBusy() && modFTP::state().ftpConnected)
        disconnectNow();
    unload();
}

// The window manager's close and the main window's: without waiting for a reply.
void frmFTPClient::closeEvent(QCloseEvent *event)
{
    event->ignore();
    if (mayEndNow(AfterStop::Close))
        unload();
}

// Esc: as Close.
void frmFTPClient::reject()
{
    btnClose_Click();
}

// While an upload runs, closing the window or disconnecting asks whether to stop it. No is the
// default: an Enter pressed by habit keeps the upload going rather than leave a cut file under the
// real name on the server. True when the window may go or the connection end at once; false when
// nothing happens, or when it happens once the server has said how much of the file in hand it
// holds (SendFile).
bool frmFTPClient::mayEndNow(AfterStop after)
{
    if (!m_batchRunning || m_stopRequested)
        return true;
    if (m_askingToStop)
        return false;
    const auto fileInHand = [this] {
        return !m_upload.name.isEmpty() ? m_upload.name : QFileInfo(m_sUploadFiles.value(m_intUploadIndex)).fileName();
    };
    m_askingToStop = true;
    const int answer = Platform::msgBox(u"An upload is under way: "_s + fileInHand()
                                            + u". Stopped now, the server keeps only the part it has received."_s
                                            + (after == AfterStop::Close ? u"\r\n\r\nStop the upload and close the window?"_s
                                                                         : u"\r\n\r\nStop the upload and disconnect?"_s),
                                        Platform::YesNo | Platform::Question | Platform::DefaultButton2,
                                        u"FTP Client"_s);
    m_askingToStop = false;
    if (answer != Platform::Yes || m_closing)
        return false;
    if (!m_batchRunning)
        return true;   // it ended while the question was shown
    if (m_upload.dataStarted) {
        // Cut at once, queued bytes and all; the server's reply and its size follow in SendFile.
        m_stopRequested = true;
        m_afterStop = after;
        const int flushMs = dsSocket2.flushOnCloseMs();
        dsSocket2.setFlushOnCloseMs(0);
        modFTP::CloseDataConnection();
        dsSocket2.setFlushOnCloseMs(flushMs);
        return false;
    }
    logStop(u"Upload stopped before "_s + fileInHand() + u" was sent"_s);
    endBatch();
    return true;
}

// A stopped upload is named in the window's log and in the error log, which outlives the window.
void frmFTPClient::logStop(const QString &text)
{
    DisplayMessage(text);
    modDSSock::writeErrorLog(text);
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
    if ((watched == lsvDirs || watched == lsvRemote) && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (watched == lsvDirs)
                lsvDirs_DblClick();
            else
                lsvRemote_DblClick();
            return true;
        }
    }
    // Only the left button's double click opens a row, as a click selects with it.
    if ((watched == lsvDirs->viewport() || watched == lsvRemote->viewport())
        && event->type() == QEvent::MouseButtonDblClick
        && static_cast<QMouseEvent *>(event)->button() != Qt::LeftButton)
        return true;
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
