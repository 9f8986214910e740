#include "platform/Folders.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include "platform/WriteSteps.h"

namespace Platform {
namespace {

QString withTrailingSlash(QString path)
{
    if (!path.endsWith(u'/'))
        path += u'/';
    return path;
}

QString environmentPath(const char *name)
{
    return nativeSeparators(qEnvironmentVariable(name));
}

QString ensureFolder(const QString &path)
{
    if (path.isEmpty() || !QDir().mkpath(path))
        return QString();
    return withTrailingSlash(QDir::cleanPath(path));
}

} // namespace

QString nativeSeparators(const QString &path)
{
    QString out = path;
    out.replace(u'\\', u'/');
    return out;
}

QString programFolder()
{
    QString path = environmentPath("VELQUIST_HOME");
    if (path.isEmpty())
        path = QDir::homePath() + QStringLiteral("/.local/share/Velquist");
    const QString made = ensureFolder(path);
    return made.isEmpty() ? withTrailingSlash(path) : made;
}

QString engineDataFolder()
{
    QString path = environmentPath("VELQUIST_WINDIR");
    if (path.isEmpty())
        path = programFolder() + QStringLiteral("system");
    return ensureFolder(path);
}

QString settingsFolder()
{
    QString path = environmentPath("VELQUIST_CONFIG");
    if (path.isEmpty()) {
        QString base = environmentPath("XDG_CONFIG_HOME");
        if (base.isEmpty())
            base = QDir::homePath() + QStringLiteral("/.config");
        path = base + QStringLiteral("/Velquist");
    }
    return withTrailingSlash(path);
}

QString vendorHost()
{
    const QString host = qEnvironmentVariable("VELQUIST_VENDOR_HOST").trimmed();
    return host.isEmpty() ? QStringLiteral("www.velquist.example") : host;
}

QString joinPath(const QString &folder, const QString &name)
{
    QString left = nativeSeparators(folder);
    QString right = nativeSeparators(name);
    if (left.isEmpty())
        return right;
    if (right.isEmpty())
        return left;
    while (left.size() > 1 && left.endsWith(u'/'))
        left.chop(1);
    while (right.startsWith(u'/'))
        right.remove(0, 1);
    if (left == QStringLiteral("/"))
        return left + right;
    return left + u'/' + right;
}

bool isSafeFileName(const QString &name)
{
    if (name.isEmpty() || name == QStringLiteral(".") || name == QStringLiteral(".."))
        return false;
    for (const QChar c : name) {
        if (c == u'/' || c == u'\\' || c.unicode() < 0x20 || c.unicode() == 0x7F)
            return false;
    }
    return true;
}

bool fitsFileName(const QString &name)
{
    return isSafeFileName(name) && QFile::encodeName(name).size() + longestTempSuffix() <= kMaxFileNameBytes;
}

} // namespace Platform
