#include "platform/SettingsStore.h"

#include "platform/Folders.h"
#include "platform/IniDocument.h"
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
    return saveSettings(appName, section, {{key, value}});
}

bool saveSettings(const QString &appName, const QString &section, const QList<std::pair<QString, QString>> &values)
{
    if (!QDir().mkpath(settingsFolder()))
        return false;
    std::optional<IniDocument> document = IniDocument::load(settingsFile(appName));
    if (!document)
        return false;
    for (const auto &[key, value] : values) {
        if (!document->setValue(section, key, value))
            return false;
    }
    // The store holds the login password: it is the owner's only, from the moment it is written.
    return document->commit(QFile::ReadOwner | QFile::WriteOwner);
}

} // namespace Platform
