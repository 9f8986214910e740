#include "PyFtpdServer.h"

#include <QElapsedTimer>
#include <QRegularExpression>

namespace TestSupport {

PyFtpdServer::PyFtpdServer(const QString &root, const QString &user, const QString &password)
{
    m_process.setProgram(QString::fromLatin1(kPython));
    m_process.setArguments({QStringLiteral("-m"), QStringLiteral("pyftpdlib"), QStringLiteral("-i"),
                            QStringLiteral("127.0.0.1"), QStringLiteral("-p"), QStringLiteral("0"),
                            QStringLiteral("-w"), QStringLiteral("-u"), user, QStringLiteral("-P"), password,
                            QStringLiteral("-d"), root});
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
    m_process.start();
    if (!m_process.waitForStarted(5000)) {
        m_failure = QStringLiteral("%1 could not be started: %2")
                        .arg(QString::fromLatin1(kPython), m_process.errorString());
        return;
    }
    // The server names its port on stderr once it listens.
    static const QRegularExpression listening(QStringLiteral(">>> starting FTP server on 127\\.0\\.0\\.1:(\\d+)"));
    QByteArray said;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 10000 && m_process.state() == QProcess::Running) {
        m_process.waitForReadyRead(200);
        said += m_process.readAllStandardError();
        const QRegularExpressionMatch match = listening.match(QString::fromLatin1(said));
        if (match.hasMatch()) {
            m_port = match.captured(1).toInt();
            // The server logs every command: the pipe is drained so it never blocks.
            QObject::connect(&m_process, &QProcess::readyReadStandardError, &m_process,
                             [this] { m_process.readAllStandardError(); });
            QObject::connect(&m_process, &QProcess::readyReadStandardOutput, &m_process,
                             [this] { m_process.readAllStandardOutput(); });
            return;
        }
    }
    m_failure = QStringLiteral("pyftpdlib did not start (is python3-pyftpdlib installed? scripts/setup "
                               "installs it): ")
                + QString::fromLatin1(said + m_process.readAllStandardOutput()).trimmed();
}

PyFtpdServer::~PyFtpdServer()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(3000)) {
        m_process.kill();
        m_process.waitForFinished(3000);
    }
}

} // namespace TestSupport
