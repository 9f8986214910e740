#include "platform/WriteSteps.h"

#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <cstdio>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace Platform {
namespace {

constexpr qsizetype kTempRandomLength = 6;

// Writes the file whole as a new file and flushes it to disk; false leaves no file of its own
// (and whatever stood under the name as it was).
bool writeSynced(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!createNew(file))
        return false;
    const bool written = file.write(bytes) == bytes.size() && syncToDisk(file);
    file.close();
    if (!written)
        file.remove();
    return written;
}

// A regular file, not a link to elsewhere.
bool isRegularFile(const QString &path)
{
    const QFileInfo info(path);
    return !info.isSymLink() && info.isFile();
}

} // namespace

qsizetype longestTempSuffix()
{
    return std::max({1 + kTempRandomLength + kTempSuffix.size(), kNewSuffix.size(), kOldSuffix.size(),
                     kJournalSuffix.size()});
}

QString randomLettersAndDigits(qsizetype length)
{
    static const QLatin1StringView kAlphabet("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789");
    QString text;
    for (qsizetype i = 0; i < length; ++i)
        text += QLatin1Char(kAlphabet.at(QRandomGenerator::global()->bounded(static_cast<int>(kAlphabet.size()))));
    return text;
}

bool isLetterOrDigit(QChar ch)
{
    return ch.unicode() < 128 && ch.isLetterOrNumber();
}

bool isTempName(const QString &name)
{
    const qsizetype randomStart = name.size() - kTempSuffix.size() - kTempRandomLength;
    if (!name.endsWith(kTempSuffix) || randomStart < 2 || name.at(randomStart - 1) != QLatin1Char('.'))
        return false;
    const QStringView random = QStringView(name).mid(randomStart, kTempRandomLength);
    return std::all_of(random.begin(), random.end(), isLetterOrDigit);
}

bool openTemp(const QString &target, QFile &file)
{
    for (int attempt = 0; attempt < 16; ++attempt) {
        file.setFileName(target + QLatin1Char('.') + randomLettersAndDigits(kTempRandomLength) + kTempSuffix);
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return true;
        if (file.exists())
            continue;
        return false;
    }
    return false;
}

QString finalTarget(const QString &path)
{
    QFileInfo info(path);
    for (int depth = 0; depth < 32 && info.isSymLink(); ++depth)
        info.setFile(info.symLinkTarget());
    return info.isSymLink() ? path : info.filePath();
}

bool syncToDisk(QFile &file)
{
    if (!file.flush())
        return false;
#ifdef Q_OS_UNIX
    return ::fsync(file.handle()) == 0;
#else
    return true;
#endif
}

bool moveOver(const QString &from, const QString &to)
{
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

void syncFolderOf(const QString &path)
{
#ifdef Q_OS_UNIX
    const int folder = ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(), O_RDONLY | O_DIRECTORY);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
#else
    Q_UNUSED(path);
#endif
}

bool createNew(QFile &file)
{
    killPoint(file.fileName());
    return file.open(QIODevice::WriteOnly | QIODevice::NewOnly);
}

bool putSynced(const QString &path, const QByteArray &bytes)
{
    const QString copy = path + kNewSuffix;
    if (!writeSynced(copy, bytes))
        return false;
    killPoint(path);
    if (!moveOver(copy, path)) {
        QFile::remove(copy);
        return false;
    }
    syncFolderOf(path);
    return true;
}

std::optional<QByteArray> readSmallRegularFile(const QString &path, qint64 maxBytes, bool *tooLarge)
{
    QFile file(path);
    if (!isRegularFile(path) || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = file.read(maxBytes + 1);
    if (bytes.size() > maxBytes) {
        if (tooLarge)
            *tooLarge = true;
        return std::nullopt;
    }
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes;
}

bool isAbsentOrRegular(const QString &path)
{
    const QFileInfo info(path);
    return !info.isSymLink() && (!info.exists() || info.isFile());
}

bool isPlainFileName(const QString &name)
{
    return !name.isEmpty() && name != u"." && name != u".." && !name.contains(QLatin1Char('/'))
           && !name.contains(QLatin1Char('\\')) && !name.contains(QLatin1Char(':'));
}

WriteFailureHook &writeFailureHook()
{
    static WriteFailureHook hook;
    return hook;
}

KillPointHook &killPointHook()
{
    static KillPointHook hook;
    return hook;
}

void killPoint(const QString &path)
{
    if (killPointHook())
        killPointHook()(path);
}

} // namespace Platform
