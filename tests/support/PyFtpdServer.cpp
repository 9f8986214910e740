#include "PyFtpdServer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QRegularExpression>

namespace TestSupport {

PyFtpdServer::PyFtpdServer(const QString &root, const QString &user, const QString &password)
{
    // The server logs every command on stderr: into a file, so a full pipe never stops it while
    // its caller is not reading.
    m_log.setFileTemplate(QDir::tempPath() + QStringLiteral("/pyftpd-XXXXXX.log"));
    if (!m_log.open()) {
        m_failure = QStringLiteral("no log file for the FTP server");
        return;
    }
    m_process.setProgram(QString::fromLatin1(kPython));
    m_process.setArguments({QStringLiteral("-m"), QStringLiteral("pyftpdlib"), QStringLiteral("-i"),
                            QStringLiteral("127.0.0.1"), QStringLiteral("-p"), QStringLiteral("0"),
                            QStringLiteral("-w"), QStringLiteral("-u"), user, QStringLiteral("-P"), password,
                            QStringLiteral("-d"), root});
    m_process.setStandardOutputFile(QProcess::nullDevice());
    m_process.setStandardErrorFile(m_log.fileName());
    m_process.start();
    if (!m_process.waitForStarted(5000)) {
        m_failure = QStringLiteral("%1 could not be started: %2")
                        .arg(QString::fromLatin1(kPython), m_process.errorString());
        return;
    }
    // The server names its port once it listens.
    static const QRegularExpression listening(QStringLiteral(">>> starting FTP server on 127\\.0\\.0\\.1:(\\d+)"));
    QByteArray said;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 10000 && m_process.state() == QProcess::Running) {
        m_process.waitForFinished(100);
        said += m_log.readAll();
        const QRegularExpressionMatch match = listening.match(QString::fromLatin1(said));
        if (match.hasMatch()) {
            m_port = match.captured(1).toInt();
            return;
        }
    }
    m_failure = QStringLiteral("pyftpdlib did not start (is python3-pyftpdlib installed? scripts/setup "
                               "installs it): ")
                + QString::fromLatin1(said + m_log.readAll()).trimmed();
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
