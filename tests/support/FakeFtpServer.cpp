#include "FakeFtpServer.h"

#include <gtest/gtest.h>

#include <QTimer>

#include <functional>
#include <memory>

#include "platform/EventLoop.h"

using namespace Qt::StringLiterals;

namespace TestSupport {

FakeFtpServer::FakeFtpServer(QObject *parent) : QObject(parent)
{
    EXPECT_TRUE(m_control.listen(QHostAddress::LocalHost, 0));
    connect(&m_control, &QTcpServer::newConnection, this, &FakeFtpServer::onControlConnection);
}

bool FakeFtpServer::waitForCommands(int count, int timeoutMs)
{
    return Platform::waitUntil([&] { return commands.size() >= count; }, timeoutMs);
}

int FakeFtpServer::storCount() const
{
    int count = 0;
    for (const QString &command : commands)
        count += command.startsWith(u"STOR "_s) ? 1 : 0;
    return count;
}

void FakeFtpServer::onControlConnection()
{
    QTcpSocket *client = m_control.nextPendingConnection();
    if (m_client)
        m_client->abort();
    m_client = client;
    m_pendingInput.clear();
    cwd = u"/"_s;
    connect(client, &QTcpSocket::readyRead, this, [this, client] {
        if (client != m_client)
            return;
        m_pendingInput += client->readAll();
        for (qsizetype end; (end = m_pendingInput.indexOf("\r\n")) >= 0;) {
            const QString line = QString::fromLatin1(m_pendingInput.left(end));
            m_pendingInput.remove(0, end + 2);
            onCommand(line);
            if (client != m_client)
                return;
        }
    });
    client->write(greeting);
}

void FakeFtpServer::answer(const QByteArray &reply)
{
    if (m_client)
        m_client->write(reply);
}

QString FakeFtpServer::absolute(const QString &path) const
{
    QStringList parts;
    for (const QString &part : (path.startsWith(u'/') ? path : cwd + u'/' + path).split(u'/', Qt::SkipEmptyParts)) {
        if (part == u".."_s && !parts.isEmpty())
            parts.removeLast();
        else if (part != u"."_s && part != u".."_s)
            parts << part;
    }
    return u'/' + parts.join(u'/');
}

void FakeFtpServer::onCommand(const QString &line)
{
    commands << line;
    const QString verb = line.section(u' ', 0, 0).toUpper();
    const QString argument = line.section(u' ', 1);
    if (verb == closeControlOn) {
        m_client->disconnectFromHost();
        return;
    }
    if (silentVerbs.contains(verb))
        return;
    if (lateVerbs.contains(verb)) {
        QTimer::singleShot(lateVerbs.value(verb), this, [this, verb, argument, client = m_client] {
            if (client && client == m_client)
                act(verb, argument);
        });
        return;
    }
    act(verb, argument);
}

void FakeFtpServer::act(const QString &verb, const QString &argument)
{
    if (verb == endlessReplyOn) {
        auto *lines = new QTimer(m_client);
        const qint64 until = Platform::tickCount() + endlessReplyForMs;
        connect(lines, &QTimer::timeout, this, [this, lines, until, client = m_client] {
            if (client == m_client)   // only on the connection that asked
                answer("250-Still working\r\n");
            if (Platform::tickCount() >= until || client != m_client)
                lines->deleteLater();
        });
        lines->start(50);
        return;
    }
    if (replies.contains(verb)) {
        answer(replies.value(verb));
        return;
    }
    if (verb == u"USER"_s)
        answer("331 Password required\r\n");
    else if (verb == u"PASS"_s)
        answer(argument == password ? "230 Logged in\r\n" : "530 Login incorrect\r\n");
    else if (verb == u"TYPE"_s)
        answer(argument == u"I"_s ? "200 Type set to: Binary.\r\n" : "200 Type set to: ASCII.\r\n");
    else if (verb == u"CWD"_s) {
        const QString target = argument.isEmpty() ? cwd : absolute(argument);
        if (folders.contains(target)) {
            cwd = target;
            answer("250 Folder changed\r\n");
        } else {
            answer("550 No such folder\r\n");
        }
    } else if (verb == u"PWD"_s)
        answer("257 \"" + cwd.toLatin1() + "\" is the current folder.\r\n");
    else if (verb == u"PASV"_s)
        openPassive();
    else if (verb == u"LIST"_s)
        startList(argument.isEmpty() ? cwd : absolute(argument));
    else if (verb == u"STOR"_s)
        startStore(absolute(argument));
    else if (verb == u"SIZE"_s) {
        const QString path = absolute(argument);
        answer(stored.contains(path) ? "213 " + QByteArray::number(stored.value(path).size()) + "\r\n"
                                     : QByteArray("550 No such file\r\n"));
    }
    else if (verb == u"QUIT"_s) {
        answer("221 Goodbye\r\n");
        m_client->disconnectFromHost();
    } else
        answer("502 Not implemented\r\n");
}

void FakeFtpServer::openPassive()
{
    dropData();
    delete m_dataListener;
    m_dataListener = new QTcpServer(this);
    EXPECT_TRUE(m_dataListener->listen(QHostAddress::LocalHost, 0));
    connect(m_dataListener, &QTcpServer::newConnection, this, [this, listener = m_dataListener] {
        dropData();
        m_data = listener->nextPendingConnection();
        m_data->setParent(this);   // outlives its listener
    });
    const quint16 port = m_dataListener->serverPort();
    answer("227 Entering Passive Mode (" + passiveAddress + ',' + QByteArray::number(port / 256) + ','
           + QByteArray::number(port % 256) + ").\r\n");
}

// The old data connection goes without raising anything more here.
void FakeFtpServer::dropData()
{
    if (!m_data)
        return;
    m_data->disconnect(this);
    m_data->abort();
    m_data->deleteLater();
    m_data = nullptr;
}

void FakeFtpServer::startList(const QString &folder)
{
    if (!m_data) {
        answer("425 No data connection\r\n");
        return;
    }
    // A stored file without a listing of its own lists as itself.
    const QString name = folder.section(u'/', -1);
    const bool storedFile = stored.contains(folder) && !listings.contains(folder);
    if (storedFile && !listsOneName) {
        answer("550 Not a folder\r\n");
        return;
    }
    answer("150 Here comes the listing\r\n");
    m_data->write(storedFile ? "-rw-r--r-- 1 o g " + QByteArray::number(stored.value(folder).size()) + " Dec 8 18:57 "
                                   + name.toLatin1() + "\r\n"
                             : listings.value(folder));
    if (!keepListingOpen)
        m_data->disconnectFromHost();
    if (sendListingReply)
        answer(transferEndReply);
}

void FakeFtpServer::startStore(const QString &path)
{
    if (!m_data) {
        answer("425 No data connection\r\n");
        return;
    }
    m_storePath = path;
    m_storeBytes.clear();
    m_storing = true;
    m_replySent = false;
    QTcpSocket *data = m_data;
    if (stopReadingData || readBytesPer50Ms > 0) {
        data->setReadBufferSize(stopReadingData ? 1 : readBytesPer50Ms);
        data->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 4096);
    }
    if (readBytesPer50Ms > 0) {
        auto *pace = new QTimer(data);
        connect(pace, &QTimer::timeout, data, [this, data] {
            m_storeBytes += data->read(readBytesPer50Ms);
            if (data->state() != QAbstractSocket::ConnectedState && data->bytesAvailable() == 0)
                finishStore();
        });
        pace->start(50);
    }
    // Shared by the socket's signals; the pause's timer holds it weakly.
    auto take = std::make_shared<std::function<void()>>();
    auto paused = std::make_shared<bool>(false);
    *take = [this, data, paused, again = std::weak_ptr(take)] {
        if (stopReadingData || readBytesPer50Ms > 0 || data != m_data || *paused)
            return;
        m_storeBytes += data->readAll();
        if (pauseReadingAfterBytes >= 0 && m_storeBytes.size() >= pauseReadingAfterBytes) {
            pauseReadingAfterBytes = -1;
            *paused = true;
            data->setReadBufferSize(1);
            QTimer::singleShot(pauseReadingForMs, data, [data, paused, again] {
                *paused = false;
                data->setReadBufferSize(0);
                if (const auto resume = again.lock())
                    (*resume)();
            });
            return;
        }
        if (!replyDuringUpload.isEmpty() && !m_replySent && !m_storeBytes.isEmpty()) {
            m_replySent = true;
            answer(replyDuringUpload);
        }
        if (m_storing && closeDataAfterBytes >= 0 && m_storeBytes.size() >= closeDataAfterBytes) {
            // The reply goes first, so it is waiting when the client finds the connection gone;
            // nothing more is read, so a large upload cannot all leave before the cut.
            m_storing = false;
            *paused = true;
            data->setReadBufferSize(1);
            answer(cutReply);
            QTimer::singleShot(50, data, [data] { data->abort(); });
        }
    };
    connect(data, &QTcpSocket::readyRead, this, [take] { (*take)(); });
    connect(data, &QTcpSocket::disconnected, this, [this, take, paused] {
        (*take)();
        if (readBytesPer50Ms == 0 && !*paused)
            finishStore();
    });
    answer("150 Ok to send data\r\n");
    (*take)();
    if (data->state() != QAbstractSocket::ConnectedState && !*paused)
        finishStore();
}

void FakeFtpServer::finishStore()
{
    if (!m_storing)
        return;
    m_storing = false;
    stored.insert(m_storePath, keepAtMost >= 0 ? m_storeBytes.left(keepAtMost) : m_storeBytes);
    if (storReplyDelayMs > 0)
        QTimer::singleShot(storReplyDelayMs, this, [this] { answer(transferEndReply); });
    else
        answer(transferEndReply);
}

} // namespace TestSupport
