#include "platform/TextFile.h"

#include "platform/Codec1252.h"
#include "platform/WriteSteps.h"

#include <QFile>
#include <QFileInfo>

namespace Platform {
namespace {

constexpr qint64 kReadChunk = 256 * 1024;

// Cuts a stream of bytes into lines (CR LF, CR or a lone LF ends one, also when a chunk's end
// falls between CR and LF). A line that grows past kMaxLineBytes is dropped as it comes.
class LineCutter {
public:
    LineCutter(const std::function<bool(QByteArrayView)> &onLine, QList<qint64> &skipped)
        : m_onLine(onLine), m_skipped(skipped)
    {
    }

    // False once `onLine` has asked to stop.
    bool take(QByteArrayView chunk)
    {
        const char *bytes = chunk.data();
        const qsizetype size = chunk.size();
        qsizetype start = m_afterCr && size > 0 && bytes[0] == '\n' ? 1 : 0;
        m_afterCr = false;
        for (qsizetype i = start; i < size; ++i) {
            // Text bytes lie above CR: one comparison passes over them.
            if (static_cast<unsigned char>(bytes[i]) > '\r')
                continue;
            const char byte = bytes[i];
            if (byte != '\r' && byte != '\n')
                continue;
            if (!endLine(QByteArrayView(bytes + start, i - start)))
                return false;
            if (byte == '\r') {
                if (i + 1 == size)
                    m_afterCr = true;
                else if (bytes[i + 1] == '\n')
                    ++i;
            }
            start = i + 1;
        }
        hold(QByteArrayView(bytes + start, size - start));
        return true;
    }

    // The last line, when the file does not end with a line end.
    void finish()
    {
        if (m_overlong || !m_pending.isEmpty())
            endLine(QByteArrayView());
    }

private:
    void hold(QByteArrayView bytes)
    {
        if (m_overlong)
            return;
        if (m_pending.size() + bytes.size() > kMaxLineBytes) {
            m_overlong = true;
            m_pending.clear();
            return;
        }
        m_pending.append(bytes);
    }

    bool endLine(QByteArrayView bytes)
    {
        ++m_lineNumber;
        bool goOn = true;
        if (m_pending.isEmpty() && !m_overlong && bytes.size() <= kMaxLineBytes) {
            goOn = m_onLine(bytes);
        } else {
            hold(bytes);
            if (m_overlong)
                m_skipped.append(m_lineNumber);
            else
                goOn = m_onLine(m_pending);
        }
        m_pending.clear();
        m_overlong = false;
        return goOn;
    }

    const std::function<bool(QByteArrayView)> &m_onLine;
    QList<qint64> &m_skipped;
    QByteArray m_pending;     // the current line so far, when a chunk's end cut it
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
