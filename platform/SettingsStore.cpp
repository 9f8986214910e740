#include "platform/SettingsStore.h"

#include "platform/Folders.h"
#include "platform/IniFile.h"

#include <QDir>
#include <QFile>

namespace Platform {

QString settingsFile(const QString &appName)
{
    return settingsFolder() + appName + QStringLiteral(".ini");
}

std::optional<QString> findSetting(const QString &appName, const QString &section, const QString &key)
{
    return iniRead(settingsFile(appName), section, key);
}

QString getSetting(const QString &appName, const QString &section, const QString &key,
                   const QString &defaultValue)
{
    return findSetting(appName, section, key).value_or(defaultValue);
}

bool saveSetting(const QString &appName, const QString &section, const QString &key, const QString &value)
{
    if (!QDir().mkpath(settingsFolder()))
        return false;
    const QString file = settingsFile(appName);
    if (!iniWrite(file, section, key, value))
        return false;
    // The store holds the login password: keep it to its owner.
    QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);
    return true;
}

} // namespace Platform
