#include "platform/TextFile.h"

#include "platform/Codec1252.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <memory>
#include <vector>

namespace Platform {
namespace {

constexpr qint64 kReadChunk = 256 * 1024;

// Cuts a stream of bytes into lines (CR LF, CR or a lone LF ends one, also when a chunk's end
// falls between CR and LF). A line that grows past kMaxLineBytes is dropped as it comes.
class LineCutter {
public:
    LineCutter(const std::function<bool(const QString &)> &onLine, QList<qint64> &skipped)
        : m_onLine(onLine), m_skipped(skipped)
    {
    }

    // False once `onLine` has asked to stop.
    bool take(const char *bytes, qsizetype size)
    {
        qsizetype start = m_afterCr && size > 0 && bytes[0] == '\n' ? 1 : 0;
        m_afterCr = false;
        for (qsizetype i = start; i < size; ++i) {
            const char byte = bytes[i];
            if (byte != '\r' && byte != '\n')
                continue;
            if (!endLine(bytes + start, i - start))
                return false;
            if (byte == '\r') {
                if (i + 1 == size)
                    m_afterCr = true;
                else if (bytes[i + 1] == '\n')
                    ++i;
            }
            start = i + 1;
        }
        hold(bytes + start, size - start);
        return true;
    }

    // The last line, when the file does not end with a line end.
    void finish()
    {
        if (m_overlong || !m_pending.isEmpty())
            endLine(nullptr, 0);
    }

private:
    void hold(const char *bytes, qsizetype size)
    {
        if (m_overlong)
            return;
        if (m_pending.size() + size > kMaxLineBytes) {
            m_overlong = true;
            m_pending.clear();
            return;
        }
        m_pending.append(bytes, size);
    }

    // Ends the current line with `bytes`; false when `onLine` asks to stop.
    bool endLine(const char *bytes, qsizetype size)
    {
        ++m_lineNumber;
        bool goOn = true;
        if (m_pending.isEmpty() && !m_overlong && size <= kMaxLineBytes) {
            goOn = m_onLine(fromAnsi(QByteArray::fromRawData(bytes, size)));
        } else {
            hold(bytes, size);
            if (m_overlong)
                m_skipped.append(m_lineNumber);
            else
                goOn = m_onLine(fromAnsi(m_pending));
        }
        m_pending.clear();
        m_overlong = false;
        return goOn;
    }

    const std::function<bool(const QString &)> &m_onLine;
    QList<qint64> &m_skipped;
    QByteArray m_pending;     // the current line so far
    bool m_overlong = false;  // the current line is past the limit: its bytes are not kept
    bool m_afterCr = false;   // the last chunk ended in CR: a LF starting the next one belongs to it
    qint64 m_lineNumber = 0;
};

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

bool writeBinaryFilesAtomically(const QList<FileBytes> &files)
{
    std::vector<std::unique_ptr<QSaveFile>> pending;
    for (const FileBytes &file : files) {
        if (file.path.isEmpty())
            return false;
        auto save = std::make_unique<QSaveFile>(file.path);
        const bool opened = save->open(QIODevice::WriteOnly);
        const bool failedByTest = writeFailureHook() && writeFailureHook()(file.path);
        if (!opened || failedByTest || save->write(file.bytes) != file.bytes.size())
            return false;   // the QSaveFiles made so far are dropped uncommitted
        pending.push_back(std::move(save));
    }
    bool allCommitted = true;
    for (auto &save : pending)
        allCommitted = save->commit() && allCommitted;
    return allCommitted;
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

LineReading forEachLine(const QString &path, const std::function<bool(const QString &)> &onLine)
{
    LineReading reading;
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return reading;
    LineCutter cutter(onLine, reading.skippedLines);
    while (true) {
        const QByteArray chunk = file.read(kReadChunk);
        if (chunk.isEmpty())
            break;
        if (!cutter.take(chunk.constData(), chunk.size())) {
            reading.readable = true;
            return reading;
        }
    }
    reading.readable = file.error() == QFileDevice::NoError;
    if (reading.readable)
        cutter.finish();
    return reading;
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
