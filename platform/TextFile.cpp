#include "platform/TextFile.h"

#include "platform/Codec1252.h"
#include "platform/LineCutter.h"
#include "platform/WriteSteps.h"

#include <QFile>
#include <QFileInfo>

namespace Platform {
namespace {

constexpr qint64 kReadChunk = 256 * 1024;

} // namespace

std::optional<QByteArray> readBinaryFile(const QString &path)
{
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

std::optional<QString> readTextFile(const QString &path)
{
    const auto bytes = readBinaryFile(path);
    if (!bytes)
        return std::nullopt;
    return fromAnsi(*bytes);
}

void setWriteFailureHook(WriteFailureHook hook)
{
    writeFailureHook() = std::move(hook);
}

bool writeBinaryFileAtomically(const QString &path, const QByteArray &bytes,
                               std::optional<QFileDevice::Permissions> mode)
{
    if (path.isEmpty())
        return false;
    const QString target = finalTarget(path);
    const QFileInfo existing(target);
    if (existing.isDir() || (existing.exists() && !existing.isWritable()))
        return false;
    QFile file;
    if (!openTemp(target, file))
        return false;
    const std::optional<QFileDevice::Permissions> permissions =
        mode ? mode : existing.exists() ? std::optional(existing.permissions()) : std::nullopt;
    // The permissions come before the bytes: an owner-only file is never readable by others.
    const bool failedByTest = writeFailureHook() && writeFailureHook()(path);
    const bool written = !failedByTest && (!permissions || file.setPermissions(*permissions))
                         && file.write(bytes) == bytes.size() && syncToDisk(file);
    file.close();
    if (!written || !moveOver(file.fileName(), target)) {
        file.remove();
        return false;
    }
    syncFolderOf(target);
    return true;
}

bool writeTextFileAtomically(const QString &path, const QString &text)
{
    return writeBinaryFileAtomically(path, toAnsi(text));
}

bool appendTextFile(const QString &path, const QString &text)
{
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    const QByteArray bytes = toAnsi(text);
    return file.write(bytes) == bytes.size();
}

QStringList splitLines(const QString &text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c != u'\r' && c != u'\n')
            continue;
        lines.append(text.mid(start, i - start));
        if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines.append(text.mid(start));
    return lines;
}

LineReading forEachByteLine(const QString &path, const std::function<bool(QByteArrayView)> &onLine)
{
    LineReading reading;
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return reading;
    LineCutter cutter(onLine, reading.skippedLines);
    QByteArray chunk(kReadChunk, Qt::Uninitialized);
    bool stopped = false;
    qint64 got = 0;
    while (!stopped && (got = file.read(chunk.data(), kReadChunk)) > 0)
        stopped = !cutter.take(QByteArrayView(chunk.constData(), got));
    reading.readable = stopped || (got == 0 && file.error() == QFileDevice::NoError);
    if (!stopped && reading.readable)
        cutter.finish();
    return reading;
}

LineReading forEachLine(const QString &path, const std::function<bool(const QString &)> &onLine)
{
    return forEachByteLine(path, [&onLine](QByteArrayView line) { return onLine(fromAnsi(QByteArray::fromRawData(line.data(), line.size()))); });
}

std::optional<QStringList> readLines(const QString &path)
{
    QList<qint64> skippedLines;
    return readLines(path, skippedLines);
}

std::optional<QStringList> readLines(const QString &path, QList<qint64> &skippedLines)
{
    QStringList lines;
    const LineReading reading = forEachLine(path, [&lines](const QString &line) {
        lines.append(line);
        return true;
    });
    skippedLines = reading.skippedLines;
    if (!reading.readable)
        return std::nullopt;
    return lines;
}

bool fileExists(const QString &path)
{
    return !path.isEmpty() && QFileInfo(path).isFile();
}

} // namespace Platform
