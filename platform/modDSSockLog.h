#pragma once
// The program's log file "Error.log" in the program folder. Error entries are always written;
// debug entries only when the program was started with the "/D" switch.
#include <QDateTime>
#include <QString>

namespace modDSSock {

// The log file's path: the program folder followed by "Error.log".
QString errorLogFile();

// Both writers hide logins (maskLogins) in every entry. The file is made owner-only when the
// writer opens it.

// Appends the message and CR LF. Failures are swallowed: logging never disturbs the caller.
void writeErrorLog(const QString &msg);

// With "/D" on the command line: appends the date and time, CR LF, the message and CR LF.
// Without it nothing happens (the file is not even opened).
void writeDebugLog(const QString &msg);

// Drops both handles; the next entry opens the log file anew, wherever the program folder is then.
void closeLogFiles();

// The text with the credentials of every "Basic" authorisation header and the password of every
// "user:password@" in a URL or Host line hidden, and the argument of every "PASS " line.
QString maskLogins(const QString &text);

// The date and time as the log writes them: short date and time with seconds.
QString generalDateTimeText(const QDateTime &when);

} // namespace modDSSock
