#include "sitedata/modDataFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "core/modStartUp.h"
#include "platform/Codec1252.h"
#include "platform/Folders.h"
#include "platform/TextFile.h"
#include "platform/modDSSockLog.h"

namespace modDataFiles {

namespace {

bool copyWhenMissing(const QString &from, const QString &to, bool force)
{
    if (!force && Platform::fileExists(to))
        return true;
    const std::optional<QByteArray> bytes = Platform::readBinaryFile(from);
    return bytes && Platform::writeBinaryFileAtomically(to, *bytes);
}

bool holdsDataFiles(const QString &folder)
{
    return !folder.isEmpty() && QFileInfo::exists(folder + QStringLiteral("/country.vqs"));
}

void logSkippedLines(const QString &path, const QList<qint64> &lines)
{
    for (qint64 line : lines)
        modDSSock::writeErrorLog(QStringLiteral("Line too long, skipped: ") + path + QStringLiteral(" line ")
                                 + QString::number(line));
}

} // namespace

QString engineDataFolder()
{
    QString folder = WindowsDir.isEmpty() ? Platform::engineDataFolder() : WindowsDir;
    if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/')) && !folder.endsWith(QLatin1Char('\\')))
        folder += QLatin1Char('/');
    return folder;
}

QString programFile(const QString &name)
{
    return Platform::joinPath(Platform::programFolder(), name);
}

QString installedDataFolder()
{
    QStringList candidates;
    const QString fromEnvironment = qEnvironmentVariable("VELQUIST_DATA_DIR");
    if (!fromEnvironment.isEmpty())
        candidates.append(fromEnvironment);
    if (QCoreApplication::instance()) {
        const QString exeFolder = QCoreApplication::applicationDirPath();
        candidates.append(exeFolder + QStringLiteral("/../share/velquist/data"));
        candidates.append(exeFolder + QStringLiteral("/data"));
    }
#ifdef VELQUIST_SOURCE_DATA_DIR
    candidates.append(QStringLiteral(VELQUIST_SOURCE_DATA_DIR));
#endif
    for (const QString &candidate : candidates) {
        if (holdsDataFiles(candidate))
            return QDir::cleanPath(candidate) + QLatin1Char('/');
    }
    return QString();
}

bool installProgramData()
{
    const QString from = installedDataFolder();
    if (from.isEmpty())
        return false;
    bool ok = true;
    for (const QString &name : {QStringLiteral("country.vqs"), QStringLiteral("cat.vqs")})
        ok = copyWhenMissing(from + name, programFile(name), false) && ok;
    return ok;
}

bool installSampleEngineData(bool force)
{
    const QString from = installedDataFolder();
    const QString engineFolder = engineDataFolder();
    if (from.isEmpty() || engineFolder.isEmpty())
        return false;
    bool ok = true;
    for (const QString &name : {QStringLiteral("vqzeng5.dat"), QStringLiteral("catvqs.dat"), QStringLiteral("vqreng.dat")})
        ok = copyWhenMissing(from + name, engineFolder + name, force) && ok;
    ok = copyWhenMissing(from + QStringLiteral("top.vqs"), programFile(QStringLiteral("top.vqs")), force) && ok;
    return ok;
}

Platform::LineReading forEachLine(const QString &path, const std::function<bool(const QString &)> &onLine)
{
    const Platform::LineReading reading = Platform::forEachLine(path, onLine);
    logSkippedLines(path, reading.skippedLines);
    return reading;
}

Platform::LineReading forEachByteLine(const QString &path, const std::function<bool(QByteArrayView)> &onLine)
{
    const Platform::LineReading reading = Platform::forEachByteLine(path, onLine);
    logSkippedLines(path, reading.skippedLines);
    return reading;
}

namespace {

// The character of every byte, as the code page gives it.
const QChar *characterOfByte()
{
    static const QString table = [] {
        QByteArray bytes(256, Qt::Uninitialized);
        for (int b = 0; b < 256; ++b)
            bytes[b] = char(b);
        return Platform::fromAnsi(bytes);
    }();
    return table.constData();
}

void decodeInto(QChar *out, QByteArrayView bytes)
{
    const QChar *table = characterOfByte();
    for (const char byte : bytes)
        *out++ = table[static_cast<unsigned char>(byte)];
}

} // namespace

QString decoded(QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return QString();
    QString text(bytes.size(), Qt::Uninitialized);
    decodeInto(text.data(), bytes);
    return text;
}

bool decodesTo(QByteArrayView bytes, QStringView text)
{
    if (bytes.size() != text.size())
        return false;
    const QChar *table = characterOfByte();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (table[static_cast<unsigned char>(bytes[i])] != text[i])
            return false;
    }
    return true;
}

void appendDecoded(QString &text, QByteArrayView bytes)
{
    const qsizetype at = text.size();
    text.resize(at + bytes.size());
    decodeInto(text.data() + at, bytes);
}

std::optional<QStringList> readLines(const QString &path)
{
    QList<qint64> skipped;
    std::optional<QStringList> lines = Platform::readLines(path, skipped);
    logSkippedLines(path, skipped);
    return lines;
}

} // namespace modDataFiles
