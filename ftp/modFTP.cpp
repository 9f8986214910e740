#include "ftp/modFTP.h"

#include <QLocale>
#include <algorithm>
#include <QStringList>

#include "platform/DsSocket.h"
#include "platform/EventLoop.h"
#include "platform/modDSSockLog.h"
#include "transport/modDSSockSocket.h"

using namespace Qt::StringLiterals;
using Platform::DsSocket;

namespace modFTP {
namespace {

Intervals g_intervals;
Link g_link;

bool controlUp()
{
    return g_link.control && g_link.control->state() == DsSocket::kStateConnected;
}

void log(const QString &text)
{
    if (g_link.log)
        g_link.log(text);
}

void sendLine(const QString &line)
{
    if (g_link.control)
        modDSSock::SendData(*g_link.control, line + u"\r\n"_s);
}

// A fresh connection starts in type A with nothing held back.
void resetConnection(State &s)
{
    s.currentVerb.clear();
    s.pendingCommand.clear();
    s.transferImage = false;
    s.currentTypeImage = false;
    s.loggedIn = false;
    s.lastReplyCode = 0;
    s.userSent = false;
    s.openReplyCode = 0;
    s.dataClosedByServer = false;
    s.listingLines = 0;
    s.listingBytes = 0;
    s.bytesReceived = 0;
}

int wholeSeconds(int ms)
{
    return std::max(1, (ms + 999) / 1000);
}

bool allDigits(QStringView text)
{
    if (text.isEmpty())
        return false;
    for (QChar ch : text) {
        if (ch < u'0' || ch > u'9')
            return false;
    }
    return true;
}

QString withoutLineEnd(const QString &line)
{
    qsizetype end = line.size();
    while (end > 0 && (line[end - 1] == u'\n' || line[end - 1] == u'\r'))
        --end;
    return line.left(end);
}

} // namespace

void setIntervals(const Intervals &intervals)
{
    g_intervals = intervals;
}

Intervals intervals()
{
    return g_intervals;
}

State &state()
{
    static State s;
    return s;
}

void attach(const Link &link)
{
    g_link = link;
}

bool detach(const DsSocket *control)
{
    if (g_link.control != control)
        return false;
    g_link = Link{};
    return true;
}

void noteReplyLine()
{
    state().lastProgressMs = Platform::tickCount();
}

void noteProgress()
{
    State &s = state();
    s.lastProgressMs = s.dataMovedMs = Platform::tickCount();
}

namespace {

QString connectFailure(int result, int timeoutMs)
{
    switch (result) {
    case modDSSock::kEmptyHost:
        return u"no host name"_s;
    case modDSSock::kConnectTimeout:
        return u"no connection within "_s + QString::number(wholeSeconds(timeoutMs)) + u" s"_s;
    default:
        return u"the connection was refused or the host cannot be reached"_s;
    }
}

} // namespace

bool FTPConnect(const QString &host, const QString &user, const QString &password, int timeoutMs,
                QString &failure)
{
    State &s = state();
    if (!g_link.control)
        return false;
    DsSocket &control = *g_link.control;
    Platform::setBusyPointer(true);
    resetConnection(s);
    control.setLineMode(true);
    control.setEolChar('\n');
    s.ftpUserName = user;
    s.ftpPassword = password;
    const auto [name, port] = hostAndPort(host);
    bool loggedIn = false;
    const int result = port > 0 ? modDSSock::SocketConnect(control, port, name, wholeSeconds(timeoutMs))
                                : int(modDSSock::kConnectError);
    if (result == modDSSock::kConnected) {
        // A refusal (530) or a closed connection ends the wait before the time limit.
        Platform::waitUntil([&] { return s.loggedIn || !controlUp() || s.lastReplyCode >= 400; }, timeoutMs);
        loggedIn = s.loggedIn && controlUp();
        if (s.lastReplyCode >= 400)
            failure = s.lastReplyLine;
        else if (!controlUp())
            failure = u"the server closed the connection"_s;
        else if (!loggedIn)
            failure = u"no login within "_s + QString::number(wholeSeconds(timeoutMs)) + u" s"_s;
    } else {
        failure = port > 0 ? connectFailure(result, timeoutMs) : u"no usable port"_s;
    }
    if (!loggedIn) {
        modDSSock::SocketDisconnect(control);
        s.ftpConnected = false;
        s.loggedIn = false;
        s.lastReplyCode = 0;
    }
    Platform::setBusyPointer(false);
    return loggedIn;
}

void SendFTPCommand(QString command, bool image)
{
    State &s = state();
    modDSSock::writeDebugLog(u"SendFTPCommand: "_s + command + u","_s
                             + (image ? u"-1"_s : u"0"_s));
    s.currentVerb = command.left(4).toUpper();
    s.lastReplyCode = 0;
    s.dataClosedByServer = false;
    noteProgress();
    if (s.currentVerb != u"TYPE"_s && s.currentTypeImage != image) {
        s.currentTypeImage = image;
        s.pendingCommand = command;
        s.currentVerb = u"TYPE"_s;
        sendLine(image ? u"TYPE I"_s : u"TYPE A"_s);
        return;
    }
    if (!isDataVerb(s.currentVerb)) {
        s.pendingCommand.clear();
        sendLine(command);
        return;
    }
    s.transferImage = image;
    CloseDataConnection();
    s.pendingCommand = command;
    s.currentVerb = u"PASV"_s;
    s.listingLines = 0;
    s.listingBytes = 0;
    s.bytesReceived = 0;
    if (g_link.data) {
        g_link.data->setLineMode(!image);
        g_link.data->setEolChar('\n');
    }
    sendLine(u"PASV"_s);
}

void sendHeldCommand()
{
    State &s = state();
    // From here a 250 ends the transfer as 226 does, not a folder change.
    s.currentVerb = s.pendingCommand.left(4).toUpper();
    noteProgress();
    sendLine(s.pendingCommand);
}

void CloseDataConnection()
{
    modDSSock::writeDebugLog(u"CloseDataConnection"_s);
    if (g_link.data && g_link.data->isOpen())
        modDSSock::SocketDisconnect(*g_link.data);
}

namespace {

// Waits until `done`, the control connection is gone, or a limit passes: the reply limit since
// the last progress, or the total limit since the data last moved. False after a limit, with
// "Time out !" in the log.
bool waitWithinLimits(const std::function<bool()> &done)
{
    const State &s = state();
    const auto timedOut = [&s] {
        const qint64 now = Platform::tickCount();
        return now - s.lastProgressMs >= g_intervals.replyMs
               || now - s.dataMovedMs >= qint64(g_intervals.replyMs) * kTotalReplyLimits;
    };
    const auto over = [&] { return done() || !controlUp() || timedOut(); };
    while (!over())
        Platform::waitUntil(over, 1000);
    if (done() || !controlUp())
        return true;
    log(u"Time out !"_s);
    return false;
}

} // namespace

int waitForReply()
{
    State &s = state();
    if (!waitWithinLimits([&s] { return s.lastReplyCode != 0; })) {
        s.lastReplyCode = kTimedOut;
        if (std::exchange(s.openReplyCode, 0) != 0) {
            log(u"Connection closed: the server's reply did not end"_s);
            closeControl();
        }
    } else if (s.lastReplyCode == 0)
        s.lastReplyCode = 421;   // the control connection is gone
    return std::exchange(s.lastReplyCode, 0);
}

bool waitForDataClosed()
{
    // Some servers send the final reply but leave the data connection open: once no data has
    // come for the grace period, what came is all there is.
    const State &s = state();
    const qint64 replyAt = Platform::tickCount();
    const auto over = [&s, replyAt] {
        const qint64 quietSince = std::max(replyAt, s.dataMovedMs);
        return s.dataClosedByServer || !g_link.data || !g_link.data->isOpen() || !controlUp()
               || Platform::tickCount() - quietSince >= g_intervals.dataCloseGraceMs;
    };
    while (!over())
        Platform::waitUntil(over, 1000);
    return controlUp();
}

void closeControl()
{
    State &s = state();
    if (g_link.control && g_link.control->isOpen())
        modDSSock::SocketDisconnect(*g_link.control);
    s.ftpConnected = false;
    s.loggedIn = false;
    s.openReplyCode = 0;
    CloseDataConnection();
    if (g_link.closed)
        g_link.closed();
}

// ---- Pure readers ----

bool isDataVerb(const QString &verb)
{
    static const QStringList verbs{u"RETR"_s, u"APPE"_s, u"LIST"_s, u"NLST"_s, u"STOR"_s, u"STOU"_s, u"DELE"_s};
    return verbs.contains(verb);
}

int replyCode(const QString &line)
{
    // Six digits at most: a longer run is no reply code and must not overflow.
    int code = 0;
    for (qsizetype i = 0; i < line.size() && i < 6; ++i) {
        const QChar ch = line[i];
        if (ch < u'0' || ch > u'9')
            break;
        code = code * 10 + (ch.unicode() - u'0');
    }
    return code;
}

ReplyLine readReplyLine(const QString &line, int &openCode)
{
    const bool threeDigits = line.size() >= 3 && allDigits(QStringView(line).left(3));
    const QChar fourth = line.size() > 3 ? line[3] : QChar(u' ');
    if (openCode != 0) {
        if (threeDigits && line.left(3).toInt() == openCode && fourth == u' ') {
            const int code = std::exchange(openCode, 0);
            return {code, true};
        }
        return {openCode, false};
    }
    if (threeDigits && fourth == u'-') {
        openCode = line.left(3).toInt();
        return {openCode, false};
    }
    return {replyCode(line), true};
}

std::optional<PassiveReply> parsePassiveReply(const QString &line)
{
    const qsizetype open = line.indexOf(u'(');
    const qsizetype comma = line.indexOf(u',');
    if (open < 0 || comma < 0 || comma < open)
        return std::nullopt;
    const qsizetype close = line.indexOf(u')', open);
    if (close < 0)
        return std::nullopt;
    const QStringList fields = line.mid(open + 1, close - open - 1).split(u',');
    if (fields.size() != 6)
        return std::nullopt;
    QStringList address;
    for (int i = 0; i < 4; ++i)
        address << fields[i].trimmed();
    const QString high = fields[4].trimmed();
    const QString low = fields[5].trimmed();
    if (!allDigits(high) || !allDigits(low) || high.size() > 5 || low.size() > 5)
        return std::nullopt;
    return PassiveReply{address.join(u'.'), high.toInt() * 256 + low.toInt()};
}

std::optional<qint64> parseSizeReply(const QString &line)
{
    const QString number = withoutLineEnd(line).mid(4).trimmed();
    if (!allDigits(number) || number.size() > 18)
        return std::nullopt;
    return number.toLongLong();
}

QString getQuotedPath(const QString &reply)
{
    // A stray CR inside the reply ends the path: it must never reach a command line.
    QString text = withoutLineEnd(reply).mid(4);
    const auto lineEnd = std::find_if(text.cbegin(), text.cend(), [](QChar c) { return c == u'\r' || c == u'\n'; });
    text.truncate(lineEnd - text.cbegin());
    if (!text.startsWith(u'"'))
        return text.section(u' ', 0, 0);
    QString path;
    for (qsizetype i = 1; i < text.size(); ++i) {
        if (text[i] != u'"') {
            path += text[i];
        } else if (i + 1 < text.size() && text[i + 1] == u'"') {
            path += u'"';
            ++i;
        } else {
            break;
        }
    }
    return path;
}

bool isModeString(const QString &field)
{
    if (field.size() != 10 && field.size() != 11)
        return false;
    if (!QStringView(u"-dlbcps").contains(field[0]))
        return false;
    for (int i = 1; i < 10; ++i) {
        if (!QStringView(u"rwxsStT-").contains(field[i]))
            return false;
    }
    return field.size() == 10 || QStringView(u"+.@").contains(field[10]);
}

std::optional<RemoteEntry> parseListingLine(const QString &line)
{
    // mode links owner group size month day time-or-year, one blank, then the name: the rest of
    // the line, blanks and all, leading ones too.
    const QString text = withoutLineEnd(line);
    QStringList fields;
    qsizetype at = 0;
    while (fields.size() < 8) {
        while (at < text.size() && text[at] == u' ')
            ++at;
        const qsizetype end = text.indexOf(u' ', at);
        if (end < 0)
            return std::nullopt;
        fields << text.mid(at, end - at);
        at = end;
    }
    ++at;
    // A link's "name -> target" names no file of its own.
    if (at == text.size() || !isModeString(fields[0]) || fields[0].startsWith(u'l'))
        return std::nullopt;
    RemoteEntry entry;
    entry.folder = fields[0].startsWith(u'd');
    entry.name = text.mid(at);
    entry.size = fields[4];
    entry.date = fields[5] + u' ' + fields[6] + u' ' + fields[7];
    return entry;
}

namespace {

bool isRelative(const QString &path)
{
    return !path.isEmpty() && !path.startsWith(u'/');
}

QStringList segments(const QString &path)
{
    QStringList parts = path.split(u'/', Qt::SkipEmptyParts);
    parts.removeAll(u"."_s);
    return parts;
}

} // namespace

QString getUpDir(const QString &fullPath)
{
    QString path = fullPath;
    if (path.endsWith(u'/'))
        path.chop(1);
    const qsizetype slash = path.lastIndexOf(u'/');
    return slash < 0 ? u"/"_s : path.left(slash + 1);
}

QString remoteParent(const QString &folder)
{
    return isRelative(folder) ? resolveRemotePath(folder, u".."_s) : getUpDir(folder);
}

QString resolveRemotePath(const QString &current, const QString &typed)
{
    if (typed.isEmpty())
        return typed;
    const bool relative = !typed.startsWith(u'/') && isRelative(current);
    const QString joined = typed.startsWith(u'/') ? typed : current + u'/' + typed;
    QStringList parts;
    for (const QString &part : segments(joined)) {
        if (part != u".."_s)
            parts << part;
        else if (!parts.isEmpty() && parts.last() != u".."_s)
            parts.removeLast();
        else if (relative)
            parts << part;   // above the login folder
    }
    if (relative)
        return parts.isEmpty() ? u"."_s : parts.join(u'/');
    return u'/' + parts.join(u'/');
}

QString routeBetween(const QString &from, const QString &to)
{
    if (!isRelative(from) || !isRelative(to))
        return to;
    const QStringList start = segments(from);
    const QStringList end = segments(to);
    qsizetype common = 0;
    while (common < start.size() && common < end.size() && start[common] == end[common])
        ++common;
    QStringList route;
    for (qsizetype i = common; i < start.size(); ++i)
        route << u".."_s;
    route += end.mid(common);
    return route.isEmpty() ? u"."_s : route.join(u'/');
}

QString joinRemote(const QString &folder, const QString &name)
{
    if (folder == u"."_s)
        return name;
    return folder.endsWith(u'/') ? QString(folder + name) : QString(folder + u'/' + name);
}

QString remoteKind(const RemoteEntry &entry)
{
    if (entry.folder)
        return u"Folder"_s;
    return entry.name.contains(u".htm"_s) ? u"HTML File"_s : u"File"_s;
}

QString remoteSizeText(const QString &sizeField)
{
    bool ok = false;
    const qlonglong size = sizeField.toLongLong(&ok);
    return QLocale().toString(ok ? size : 0) + u" Bytes"_s;
}

std::pair<QString, int> hostAndPort(const QString &hostField)
{
    const QString host = hostField.trimmed();
    const qsizetype colon = host.lastIndexOf(u':');
    if (colon < 0)
        return {host, 21};
    const QString port = host.mid(colon + 1);
    const int number = allDigits(port) && port.size() <= 5 ? port.toInt() : 0;
    return {host.left(colon), number <= 65535 ? number : 0};
}

QString localSizeText(qint64 bytes)
{
    const qint64 kb = bytes / 1024;
    return kb <= 1 ? u"1KB"_s : QString::number(kb) + u"KB"_s;
}

QString generalDate(const QDateTime &when)
{
    if (when.time() == QTime(0, 0))
        return QLocale::system().toString(when.date(), QLocale::ShortFormat);
    return modDSSock::generalDateTimeText(when);
}

} // namespace modFTP
