#pragma once
// The per-user settings store: values addressed by application name, section and key, all text.
// Kept in "<settings folder>/<application>.ini" through the INI code, readable only by the user.
// A value reads back exactly as it was saved, blanks at either end included. The store carries a
// format mark for that quoting; a store without it (as the earlier version wrote it) reads as it
// did then, and its values keep reading the same once this version saves into it.
#include <optional>
#include <QList>
#include <QString>

namespace Platform {

QString settingsFile(const QString &appName);

// The stored value, or nothing when the key is absent (an empty stored value is not absent).
std::optional<QString> findSetting(const QString &appName, const QString &section, const QString &key);

QString getSetting(const QString &appName, const QString &section, const QString &key,
                   const QString &defaultValue = QString());

// Stores the value; false when the store could not be written.
bool saveSetting(const QString &appName, const QString &section, const QString &key, const QString &value);

// Stores all the values of one section in one write: all of them or, on failure, none.
bool saveSettings(const QString &appName, const QString &section, const QList<std::pair<QString, QString>> &values);

} // namespace Platform
