#include "platform/modDSSockLog.h"

#include <QRegularExpression>

#include "platform/Codec1252.h"
#include "platform/CommandLine.h"
#include "platform/Folders.h"

#include <QFile>
#include <QLocale>
#include <memory>

#include <sys/stat.h>

namespace modDSSock {
namespace {

// One append handle to the log, opened on the first entry and kept for the rest of the run.
// A failed open is not retried: the writer's later entries are dropped the same way.
class LogWriter {
public:
    void append(const QString &entry)
    {
        if (!m_openTried) {
            m_openTried = true;
            open();
        }
        if (!m_file)
            return;
        // O_APPEND and no buffering: every entry lands after everything already in the file,
        // whichever handle wrote last, and survives a quick exit.
        m_file->write(Platform::toAnsi(entry));
    }
    void close()
    {
        m_file.reset();
        m_openTried = false;
    }

private:
    void open()
    {
        // The log can hold what servers echo of a request: only the owner reads it.
        constexpr QFile::Permissions ownerOnly = QFile::ReadOwner | QFile::WriteOwner;
        auto file = std::make_unique<QFile>(errorLogFile());
        if (!file->open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered, ownerOnly))
            return;
        // A log that was there before keeps its entries but loses wider rights; a log linked to
        // a device (/dev/null) is left alone.
        struct stat info {};
        if (::fstat(file->handle(), &info) == 0 && S_ISREG(info.st_mode))
            ::fchmod(file->handle(), S_IRUSR | S_IWUSR);
        m_file = std::move(file);
    }

    std::unique_ptr<QFile> m_file;
    bool m_openTried = false;
};

LogWriter &errorWriter()
{
    static LogWriter writer;
    return writer;
}

LogWriter &debugWriter()
{
    static LogWriter writer;
    return writer;
}

const QString crlf = QStringLiteral("\r\n");

} // namespace

QString errorLogFile()
{
    return Platform::joinPath(Platform::programFolder(), QStringLiteral("Error.log"));
}

QString generalDateTimeText(const QDateTime &when)
{
    const QLocale locale = QLocale::system();
    return locale.toString(when.date(), QLocale::ShortFormat) + u' '
           + when.time().toString(QStringLiteral("HH:mm:ss"));
}

void writeErrorLog(const QString &msg)
{
    errorWriter().append(maskLogins(msg) + crlf);
}

void closeLogFiles()
{
    errorWriter().close();
    debugWriter().close();
}

void writeDebugLog(const QString &msg)
{
    if (!Platform::hasCommandLineSwitch(QStringLiteral("/D")))
        return;
    debugWriter().append(generalDateTimeText(QDateTime::currentDateTime()) + crlf + maskLogins(msg) + crlf);
}

QString maskLogins(const QString &text)
{
    // The value of an authorisation header, also as a server echoes it back ("Authorization":
    // "Basic ..."), even when cut short.
    static const QRegularExpression headerLogin(
        QStringLiteral("(authorization[\"']?[ \\t]*[:=][ \\t]*[\"']?basic[ \\t]+)[^\\s\"'<>&,;]+"),
        QRegularExpression::CaseInsensitiveOption);
    // "Basic" and Base64 elsewhere, as in a page that shows the request: a login when it decodes
    // to "user:password". "Basic" in an engine's name stays.
    static const QRegularExpression basicToken(QStringLiteral("\\bBasic[ \\t]+([A-Za-z0-9+/]{4,}={0,2})(?![A-Za-z0-9+/=])"),
                                               QRegularExpression::CaseInsensitiveOption);
    // The password of "user:password@" in a URL or in a Host line.
    static const QRegularExpression urlLogin(QStringLiteral("((?://|\\bHost:[ \\t]*)[^\\s/:@]*:)[^\\s/@]+@"),
                                             QRegularExpression::CaseInsensitiveOption);
    // The password an FTP client sends on its control connection.
    static const QRegularExpression ftpPassword(QStringLiteral("(\\bPASS )[^\r\n]+"));
    QString masked = text;
    masked.replace(headerLogin, QStringLiteral("\\1****"));
    masked.replace(ftpPassword, QStringLiteral("\\1****"));
    for (qsizetype from = 0;;) {
        const QRegularExpressionMatch match = basicToken.match(masked, from);
        if (!match.hasMatch())
            break;
        from = match.capturedEnd(1);
        if (QByteArray::fromBase64(match.captured(1).toLatin1()).contains(':')) {
            masked.replace(match.capturedStart(1), match.capturedLength(1), QStringLiteral("****"));
            from = match.capturedStart(1) + 4;
        }
    }
    masked.replace(urlLogin, QStringLiteral("\\1****@"));
    return masked;
}

} // namespace modDSSock
