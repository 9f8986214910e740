// The FTP window's two panes: the remote folder (listing and navigation) and the local one.
#include "ftp/frmFTPClient.h"

#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QScopeGuard>

#include "ftp/modFTP.h"
#include "platform/CommonControls.h"
#include "platform/Dialogs.h"
#include "platform/EventLoop.h"
#include "platform/FolderListing.h"
#include "platform/KeyedListView.h"

using namespace Qt::StringLiterals;

namespace {

// Both panes list the up entry first, then folders, then files.
constexpr int kUpGroup = 0;
constexpr int kFolderGroup = 1;
constexpr int kFileGroup = 2;

// The remote Up row's text. Folder names are shown as they are, so type-ahead reaches them.
const QString kNoBreak = QString(QChar(0xA0));

void setListRow(QTreeWidgetItem *row, const QString &path, int group)
{
    Platform::setItemTag(row, path);
    row->setData(0, Platform::SortGroupRole, group);
}

// A click on the sorted column reverses it; a click on another column sorts by it ascending.
void columnClick(KeyedListView *list, int column)
{
    list->sortByColumn(column, Platform::nextClickSortOrder(list));
}

} // namespace

// ---- Remote pane ----

void frmFTPClient::ListFile(const QString &szParams)
{
    if (modFTP::state().busy)
        return;
    CommandScope scope(this);
    Platform::setBusyPointer(true);
    const QString path = szParams.isEmpty() ? u"/"_s : szParams;
    m_folderBeingListed = path;
    const auto listingEnded = qScopeGuard([this] {
        m_folderBeingListed.clear();
        if (!m_closing)
            enableSendFile();
    });
    enableSendFile();
    DisplayMessage(u"Reading the listing of "_s + path);
    // A relative folder is the one the last CWD went into.
    const Listing listing = listEntries(path.startsWith(u'/') ? u"LIST "_s + path : u"LIST"_s);
    if (m_closing)
        return;
    if (listing.whole) {
        showListing(szParams, listing.entries);
        m_listedFolder = szParams;
    } else {
        // The pane keeps the folder's last whole listing; a folder without one shows no rows.
        if (m_listedFolder != szParams && modFTP::state().ftpConnected) {
            showListing(szParams, {});
            m_listedFolder.clear();
        }
        const QString reason = listing.reply == modFTP::kTimedOut && listing.dataClosedByServer
                                   ? u"the data connection closed without the server's 226"_s
                               : listing.reply == modFTP::kTimedOut && listing.dataOpen ? u"the listing stalled"_s
                                                                          : failureReason(listing.reply);
        reportFailure(u"Listing of "_s + path + u" failed"_s, reason);
        if (m_closing)
            return;
    }
    QApplication::beep();
    Platform::setBusyPointer(false);
}

// Sends a listing command and gathers its lines. Whole once the final reply has come and the data
// connection has closed, in either order.
frmFTPClient::Listing frmFTPClient::listEntries(const QString &command)
{
    m_listing.clear();
    modFTP::SendFTPCommand(command, false);
    Listing listing;
    listing.reply = modFTP::waitForReply();
    if (m_closing)
        return listing;
    listing.whole = listing.reply == modFTP::kTransferComplete && modFTP::waitForDataClosed();
    if (m_closing)
        return listing;
    listing.dataOpen = dsSocket2.isOpen();
    listing.dataClosedByServer = modFTP::state().dataClosedByServer;
    modFTP::CloseDataConnection();
    listing.entries = std::exchange(m_listing, {});
    return listing;
}

void frmFTPClient::addRemoteDir(const QString &sListData)
{
    std::optional<modFTP::RemoteEntry> entry = modFTP::parseListingLine(sListData);
    if (entry && !entry->name.isEmpty())
        m_listing.append(std::move(*entry));
}

// The rows of a folder: the Up row, then one per entry.
void frmFTPClient::showListing(const QString &folder, const QList<modFTP::RemoteEntry> &entries)
{
    Platform::RedrawSuspender redraw(lsvRemote);
    lsvRemote->setSortingEnabled(false);
    lsvRemote->clear();
    const QString up = modFTP::remoteParent(folder);
    if (QTreeWidgetItem *row = lsvRemote->addRow(up, {kNoBreak}, u"Up"_s))
        setListRow(row, up, kUpGroup);
    for (const modFTP::RemoteEntry &entry : entries) {
        const QString path = modFTP::joinRemote(folder, entry.name);
        const QString kind = modFTP::remoteKind(entry);
        const QString icon = entry.folder ? u"Folder"_s : kind == u"HTML File"_s ? u"WebFile"_s : u"WinFile"_s;
        if (QTreeWidgetItem *row
            = lsvRemote->addRow(path, {entry.name, kind, modFTP::remoteSizeText(entry.size), entry.date}, icon))
            setListRow(row, path, entry.folder ? kFolderGroup : kFileGroup);
    }
    lsvRemote->setSortingEnabled(true);
}

// A relative folder is reached from the one the server is in. Send File waits meanwhile, and
// afterwards the path box shows the folder the server is in, reached or not.
bool frmFTPClient::changeFolderTo(const QString &folder)
{
    if (isBusy())
        return false;
    m_sNewRemotePath = folder;
    m_inShownFolder = false;
    enableSendFile();
    const bool reached = ChangeRemotePath(modFTP::routeBetween(m_serverFolder, folder));
    if (m_closing)
        return false;
    m_inShownFolder = true;
    enableSendFile();
    return reached;
}

// The folder typed into the path box, against the current one.
QString frmFTPClient::typedFolder() const
{
    return modFTP::resolveRemotePath(modFTP::state().remotePath, txtRemotePath->text());
}

bool frmFTPClient::ChangeRemotePath(const QString &sPath)
{
    if (modFTP::state().busy)
        return false;
    m_folderGivenUp.clear();
    m_lateFolderNotice.clear();
    CommandScope scope(this);
    Platform::setBusyPointer(true);
    DisplayMessage(u"CWD "_s + sPath);
    modFTP::SendFTPCommand(u"CWD "_s + sPath, false);
    const int reply = modFTP::waitForReply();
    if (m_closing)
        return false;
    modFTP::State &s = modFTP::state();
    if (reply == 250) {
        // A relative path (the login's "public_html"): the server names the folder it led to;
        // where it will not, the path stays relative to the login folder.
        if (!sPath.startsWith(u'/')) {
            modFTP::SendFTPCommand(u"PWD"_s, false);
            modFTP::waitForReply();
            if (m_closing)
                return false;
        }
        m_serverFolder = s.remotePath;
    } else {
        const bool refused = reply >= 400 && reply <= 599 && s.ftpConnected;
        if (reply == modFTP::kTimedOut && s.ftpConnected)
            m_folderGivenUp = m_sNewRemotePath;   // its reply may yet come
        reportFailure(u"Folder change to "_s + sPath + u" failed"_s, failureReason(reply));
        if (m_closing)
            return false;
        if (refused) {
            showServerFolder();
        } else if (s.ftpConnected && !m_folderGivenUp.isEmpty()) {
            // The server gave no sign of moving: it is where the last folder change left it.
            s.remotePath = m_serverFolder;
            txtRemotePath->setText(s.remotePath);
        }
    }
    Platform::setBusyPointer(false);
    return reply == 250;
}

// After a refused folder change: the pane and the path box show the folder the server is in, so
// an upload lands where the pane shows ("." for the login folder when the server will not name it).
void frmFTPClient::showServerFolder()
{
    modFTP::State &s = modFTP::state();
    modFTP::SendFTPCommand(u"PWD"_s, false);
    if (modFTP::waitForReply() != 257 && !m_closing)
        s.remotePath = m_serverFolder;
    if (m_closing)
        return;
    m_serverFolder = s.remotePath;
    m_sNewRemotePath = s.remotePath;
    txtRemotePath->setText(s.remotePath);
    if (!s.remotePath.isEmpty() && s.remotePath != m_listedFolder)
        listSoon();
}

// A folder change given up for want of a reply has been answered after all: the server is in that
// folder, so the path box, the pane and the next relative change follow it, and a box says so
// (after the failure box, or the other command, under way when it came).
void frmFTPClient::followLateFolderChange()
{
    modFTP::State &s = modFTP::state();
    const QString folder = std::exchange(m_folderGivenUp, {});
    s.remotePath = folder;
    m_serverFolder = folder;
    m_sNewRemotePath = folder;
    txtRemotePath->setText(folder);
    m_lateFolderNotice = u"Folder change to "_s + folder + u": the server's reply came late; the server is in "_s + folder;
    DisplayMessage(m_lateFolderNotice);
    listSoon();   // shows the box first, once no command is under way
}

void frmFTPClient::showLateFolderNotice()
{
    const QString text = std::exchange(m_lateFolderNotice, {});
    if (!text.isEmpty() && !m_closing)
        Platform::msgBox(text, Platform::Information, u"FTP Client"_s);
}

// Timer2 lists the current folder once the command under way is over.
void frmFTPClient::listSoon()
{
    m_listNext = true;
    Timer2.setInterval(modFTP::intervals().nextStepMs);
    Timer2.setEnabled(true);
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
    if (std::exchange(m_listNext, false)) {
        showLateFolderNotice();
        if (m_closing || !s.ftpConnected)
            return;
        ListFile(s.remotePath);
    }
    else
        changeFolderTo(s.remotePath);
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
    changeFolderTo(modFTP::resolveRemotePath(s.remotePath, answer));
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
    changeFolderTo(typedFolder());
}

void frmFTPClient::lsvRemote_DblClick()
{
    QTreeWidgetItem *row = lsvRemote->currentItem();
    if (!row || !row->isSelected() || itemImageKey(row).contains(u"File"_s) || isBusy())
        return;
    changeFolderTo(Platform::itemTag(row));
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
            const QString up = modFTP::getUpDir(folder);
            if (QTreeWidgetItem *row = lsvDirs->addRow(up, {u" .."_s, u"Folder"_s}, u"Up"_s))
                setListRow(row, up, kUpGroup);
            continue;
        }
        const QString path = folder + entry.name;
        const bool isFolder = entry.attributes == 16 || entry.attributes == 17;
        const bool page = !isFolder && path.contains(u".htm"_s);
        const QString icon = isFolder ? u"Folder"_s : page ? u"WebFile"_s : u"WinFile"_s;
        const QString kind = isFolder ? u"Folder"_s : page ? u"HTML File"_s : u"File"_s;
        const QString size = isFolder ? QString() : modFTP::localSizeText(entry.size);
        if (QTreeWidgetItem *row = lsvDirs->addRow(path, {entry.name, kind, size, modFTP::generalDate(entry.modified)}, icon))
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
