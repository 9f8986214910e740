#include "transport/modDSSockLog.h"

#include <QRegularExpression>

#include "platform/Codec1252.h"
#include "platform/CommandLine.h"
#include "platform/Folders.h"

#include <QFile>
#include <QLocale>
#include <memory>

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
        auto file = std::make_unique<QFile>(errorLogFile());
        if (file->open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
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
    errorWriter().append(msg + crlf);
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
    debugWriter().append(generalDateTimeText(QDateTime::currentDateTime()) + crlf + msg + crlf);
}

QString maskLogins(const QString &text)
{
    static const QRegularExpression basicLogin(QStringLiteral("(\\bBasic[ \\t]+)[^\\s]+"),
                                               QRegularExpression::CaseInsensitiveOption);
    QString masked = text;
    masked.replace(basicLogin, QStringLiteral("\\1****"));
    return masked;
}

} // namespace modDSSock
