#include "platform/SettingsStore.h"

#include "platform/Folders.h"
#include "platform/IniDocument.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <tuple>

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
// and so is one that is itself in quotation marks, so that every value reads back exactly. A
// store the earlier version wrote has no such marks: its values read as they stand (a password
// saved as "pw" with its quotation marks keeps them), so a store holding the quoted form says so;
// one whose values need no quoting stays in the earlier form.
const QString kFormatSection = QStringLiteral("Settings Store");
const QString kFormatKey = QStringLiteral("Format");
const QString kQuotedFormat = QStringLiteral("2");

QString storedForm(const QString &value)
{
    const bool blankEnd = !value.isEmpty() && (isBlank(value.front()) || isBlank(value.back()));
    return blankEnd || isQuoted(value) ? u'"' + value + u'"' : value;
}

bool isQuotedFormat(const IniDocument &document)
{
    return document.value(kFormatSection, kFormatKey) == kQuotedFormat;
}

QString readForm(const IniDocument &document, const QString &stored)
{
    return isQuotedFormat(document) && isQuoted(stored) ? stored.mid(1, stored.size() - 2) : stored;
}

// Rewrites the earlier version's values in the quoted form, each reading as it did, and marks the
// store. Only a value in quotation marks changes: the reader trimmed the others' blanks already.
bool toQuotedFormat(IniDocument &document)
{
    if (isQuotedFormat(document))
        return true;
    QList<std::tuple<QString, QString, QString>> quoted;   // section, key, value as read
    for (const QString &section : document.sections()) {
        for (const QString &key : document.keys(section)) {
            const QString value = document.value(section, key).value_or(QString());
            if (isQuoted(value))
                quoted.append({section, key, value});
        }
    }
    // A section or key listed twice reads its first line both times: that line changes once.
    for (const auto &[section, key, value] : quoted) {
        if (document.value(section, key) == value && !document.setValue(section, key, storedForm(value)))
            return false;
    }
    return document.setValue(kFormatSection, kFormatKey, kQuotedFormat);
}

} // namespace

QString settingsFile(const QString &appName)
{
    return settingsFolder() + appName + QStringLiteral(".ini");
}

std::optional<QString> findSetting(const QString &appName, const QString &section, const QString &key)
{
    const std::optional<IniDocument> document = IniDocument::load(settingsFile(appName));
    const std::optional<QString> stored = document ? document->value(section, key) : std::nullopt;
    return stored ? std::optional<QString>(readForm(*document, *stored)) : std::nullopt;
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
    // Values that read the same either way leave a store the earlier version wrote as it was.
    const bool quoting = isQuotedFormat(*document)
                         || std::any_of(values.begin(), values.end(), [](const auto &entry) { return storedForm(entry.second) != entry.second; });
    if (quoting && !toQuotedFormat(*document))
        return false;
    for (const auto &[key, value] : values) {
        if (!document->setValue(section, key, quoting ? storedForm(value) : value))
            return false;
    }
    // The store holds the login password: it is the owner's only, from the moment it is written.
    return document->commit(QFile::ReadOwner | QFile::WriteOwner);
}

} // namespace Platform
