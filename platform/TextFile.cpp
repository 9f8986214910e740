#include "platform/TextFile.h"

#include "platform/Codec1252.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace Platform {

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

namespace {

WriteFailureHook &writeFailureHook()
{
    static WriteFailureHook hook;
    return hook;
}

} // namespace

void setWriteFailureHook(WriteFailureHook hook)
{
    writeFailureHook() = std::move(hook);
}

bool writeBinaryFileAtomically(const QString &path, const QByteArray &bytes,
                               std::optional<QFileDevice::Permissions> mode)
{
    if (path.isEmpty())
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const bool failedByTest = writeFailureHook() && writeFailureHook()(path);
    if (failedByTest || file.write(bytes) != bytes.size() || (mode && !file.setPermissions(*mode))) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
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

std::optional<QStringList> readLines(const QString &path)
{
    const auto text = readTextFile(path);
    if (!text)
        return std::nullopt;
    return splitLines(*text);
}

bool fileExists(const QString &path)
{
    return !path.isEmpty() && QFileInfo(path).isFile();
}

} // namespace Platform
