#include "PyFtpdServer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QRegularExpression>

namespace TestSupport {
namespace {

// The server as "python3 -m pyftpdlib -w" sets it up, with the faults a test asks for.
constexpr char kServerScript[] = R"PY(
import os, socket, struct, sys
from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import DTPHandler, FTPHandler, ThrottledDTPHandler
from pyftpdlib.servers import FTPServer

root, user, password, cut, read_only, refuse_size, refuse_file_listing, read_limit = sys.argv[1:9]
cut = int(cut)

class CuttingDTPHandler(ThrottledDTPHandler):
    read_limit = int(read_limit)

    def handle_read(self):
        if self.receive and cut >= 0:
            # Never more than the cut: the file holds exactly that many bytes.
            self.ac_in_buffer_size = max(1, min(65536, cut - self.tot_bytes_received))
        DTPHandler.handle_read(self)
        if self.receive and 0 <= cut <= self.tot_bytes_received and not self._closed:
            self.socket.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
            self.handle_close()

    handle_read_event = handle_read

class RefusingHandler(FTPHandler):
    def ftp_SIZE(self, path):
        if refuse_size == "1":
            return self.respond("502 Command not implemented.")
        return FTPHandler.ftp_SIZE(self, path)

    def ftp_LIST(self, path):
        if refuse_file_listing == "1" and os.path.isfile(path):
            return self.respond("550 Not a directory.")
        return FTPHandler.ftp_LIST(self, path)

authorizer = DummyAuthorizer()
authorizer.add_user(user, password, root, perm="elradfmwMT")
if read_only:
    authorizer.override_perm(user, os.path.join(root, read_only), perm="elr", recursive=True)
RefusingHandler.authorizer = authorizer
RefusingHandler.dtp_handler = CuttingDTPHandler
server = FTPServer(("127.0.0.1", 0), RefusingHandler)
sys.stderr.write(">>> starting FTP server on 127.0.0.1:%d\n" % server.address[1])
sys.stderr.flush()
server.serve_forever()
)PY";

} // namespace

PyFtpdServer::PyFtpdServer(const QString &root, const QString &user, const QString &password,
                           const Faults &faults)
{
    // The server logs every command on stderr: into a file, so a full pipe never stops it while
    // its caller is not reading.
    m_log.setFileTemplate(QDir::tempPath() + QStringLiteral("/pyftpd-XXXXXX.log"));
    if (!m_log.open()) {
        m_failure = QStringLiteral("no log file for the FTP server");
        return;
    }
    m_process.setProgram(QString::fromLatin1(kPython));
    m_process.setArguments({QStringLiteral("-c"), QString::fromLatin1(kServerScript), root, user, password,
                            QString::number(faults.cutUploadAfterBytes), faults.readOnlyFolder,
                            QString::number(int(faults.refuseSize)),
                            QString::number(int(faults.refuseListingOfAFile)),
                            QString::number(faults.readBytesPerSecond)});
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
