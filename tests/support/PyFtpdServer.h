#pragma once
// The Debian package's FTP server (python3-pyftpdlib), started for one test or benchmark on
// 127.0.0.1 with a free port, one writable user and a root folder of the caller's, and stopped by
// its own process at the end. Its own handlers, unchanged, except where a fault is asked for.
#include <QProcess>
#include <QString>
#include <QTemporaryFile>

namespace TestSupport {

struct PyFtpdFaults {
    // Each upload's data connection is cut (reset) once this many bytes have come in, and the
    // file holds exactly those; the server still answers 226 for it, as its handler does for
    // every upload that ends.
    qint64 cutUploadAfterBytes = -1;
    // A folder below the root in which the user may list but not store (550).
    QString readOnlyFolder;
    // SIZE is refused (502), and LIST of a file's name (550): a server that tells no file's size.
    bool refuseSize = false;
    bool refuseListingOfAFile = false;
    // Uploads are read at this pace (bytes per second, in bursts of that size; 0: as fast as they
    // come), by the package's own throttled data handler.
    qint64 readBytesPerSecond = 0;
};

class PyFtpdServer {
public:
    static constexpr const char *kPython = "/usr/bin/python3";

    using Faults = PyFtpdFaults;

    PyFtpdServer(const QString &root, const QString &user, const QString &password, const Faults &faults = {});
    ~PyFtpdServer();
    PyFtpdServer(const PyFtpdServer &) = delete;
    PyFtpdServer &operator=(const PyFtpdServer &) = delete;

    // Whether the server said it is listening; else why not.
    bool started() const { return m_port > 0; }
    QString failure() const { return m_failure; }
    int port() const { return m_port; }
    QString hostPort() const { return QStringLiteral("127.0.0.1:") + QString::number(m_port); }

private:
    QTemporaryFile m_log;
    QProcess m_process;
    int m_port = 0;
    QString m_failure;
};

} // namespace TestSupport
