#pragma once
// The program's folders. The program folder holds the project list, the error log, reports and
// projects; the engine data folder holds the engine data files and the history file.
#include <QString>

namespace Platform {

// $VELQUIST_HOME, else ~/.local/share/Velquist; made when missing; ends in "/".
QString programFolder();

// $VELQUIST_WINDIR, else "system/" in the program folder; made when missing; ends in "/".
// Empty when the folder cannot be made.
QString engineDataFolder();

// The folder of the per-user settings file: $VELQUIST_CONFIG, else $XDG_CONFIG_HOME/Velquist,
// else ~/.config/Velquist. Ends in "/".
QString settingsFolder();

// The vendor's web host ("host" or "host:port"): $VELQUIST_VENDOR_HOST, else www.velquist.example.
QString vendorHost();

// Joins path pieces. "\" and "/" both separate folders; the result uses "/" and never holds a
// doubled separator at a join.
QString joinPath(const QString &folder, const QString &name);
template <typename... Rest>
QString joinPath(const QString &folder, const QString &name, const Rest &...rest)
{
    return joinPath(joinPath(folder, name), rest...);
}

// "\" to "/" in a path given in the stored "\"-separated form.
QString nativeSeparators(const QString &path);

// True when `name` can be used as one file name inside a folder: not empty, no separator, not
// "." or "..", no control character.
bool isSafeFileName(const QString &name);

// The longest file or folder name the file systems we run on take, in bytes of its encoded form.
inline constexpr qsizetype kMaxFileNameBytes = 255;

// True when `name` is a safe file name (above) that the program can write: not too long for a
// file name also with the longest temporary suffix its writers add before the file takes its place.
bool fitsFileName(const QString &name);

} // namespace Platform
