#include "platform/SettingsStore.h"

#include "platform/Folders.h"
#include "platform/IniDocument.h"
#include "platform/IniFile.h"

#include <QDir>
#include <QFile>

namespace Platform {
namespace {

bool isBlank(QChar ch)
{
    return ch == u' ' || ch == u'\t';
}

bool isQuoted(const QString &text)
{
    return text.size() >= 2 && text.front() == u'"' && text.back() == u'"';
}

// The INI reader trims blanks: a value with a blank at either end is stored in quotation marks,
// and so is one that is itself in quotation marks, so that every value reads back exactly.
QString storedForm(const QString &value)
{
    const bool blankEnd = !value.isEmpty() && (isBlank(value.front()) || isBlank(value.back()));
    return blankEnd || isQuoted(value) ? u'"' + value + u'"' : value;
}

QString readForm(const QString &stored)
{
    return isQuoted(stored) ? stored.mid(1, stored.size() - 2) : stored;
}

} // namespace

QString settingsFile(const QString &appName)
{
    return settingsFolder() + appName + QStringLiteral(".ini");
}

std::optional<QString> findSetting(const QString &appName, const QString &section, const QString &key)
{
    const std::optional<QString> stored = iniRead(settingsFile(appName), section, key);
    return stored ? std::optional<QString>(readForm(*stored)) : std::nullopt;
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
        if (!document->setValue(section, key, storedForm(value)))
            return false;
    }
    // The store holds the login password: it is the owner's only, from the moment it is written.
    return document->commit(QFile::ReadOwner | QFile::WriteOwner);
}

} // namespace Platform
