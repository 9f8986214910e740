#include "sitedata/modDataFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "platform/Folders.h"
#include "platform/TextFile.h"
#include "sitedata/clsMain.h"
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
        ok = copyWhenMissing(from + name, clsMain::programFile(name), false) && ok;
    return ok;
}

bool installSampleEngineData(bool force)
{
    const QString from = installedDataFolder();
    const QString engineFolder = clsMain::engineDataFolder();
    if (from.isEmpty() || engineFolder.isEmpty())
        return false;
    bool ok = true;
    for (const QString &name : {QStringLiteral("vqzeng5.dat"), QStringLiteral("catvqs.dat"), QStringLiteral("vqreng.dat")})
        ok = copyWhenMissing(from + name, engineFolder + name, force) && ok;
    ok = copyWhenMissing(from + QStringLiteral("top.vqs"), clsMain::programFile(QStringLiteral("top.vqs")), force) && ok;
    return ok;
}

Platform::LineReading forEachLine(const QString &path, const std::function<bool(const QString &)> &onLine)
{
    const Platform::LineReading reading = Platform::forEachLine(path, onLine);
    logSkippedLines(path, reading.skippedLines);
    return reading;
}

std::optional<QStringList> readLines(const QString &path)
{
    QList<qint64> skipped;
    std::optional<QStringList> lines = Platform::readLines(path, skipped);
    logSkippedLines(path, skipped);
    return lines;
}

} // namespace modDataFiles
