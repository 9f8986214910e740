#pragma once
// Doorway profiles: every field of the doorway window kept under a name, as the INI file
// "Doorway/Profiles/<name>" with one section "Doorway Page". Values are written escaped ("\" as
// "\\", a line break as "\n", other control characters and characters without a Windows-1252
// byte as "\uXXXX") and the section says so with "Escaped=1"; a section without it (a profile
// written elsewhere) is read verbatim.
#include <optional>

#include <QString>
#include <QStringList>

namespace DoorwayProfile {

// The 18 keys in writing order: Title, Keyword1..8, Description, URL, SubTitle1..3, Body,
// LogoLocation, Company, OutputLocation.
const QStringList &keys();

// The folder of the profile files, ending in "/".
QString folder();

// A profile file is at most this large (the cap on a page), so that a stray file of megabytes
// cannot hold the window while it is read and shown; a larger one is neither read nor written.
inline constexpr qsizetype kMaxFileBytes = 8 * 1024 * 1024;
bool tooLarge(const QString &file);
// The size of the file `write` would make of these values in a new file.
qsizetype storedSize(const QStringList &values);

QString encodeValue(const QString &value);
QString decodeValue(const QString &stored);

// Writes the values (in the order of keys()) in one piece; other content of the file stays.
// False, with the file as it was, when it could not be read or written or is too large.
bool write(const QString &file, const QStringList &values);

// The values in the order of keys() (a missing key reads as empty); nothing when the file
// cannot be read or is too large.
std::optional<QStringList> read(const QString &file);

} // namespace DoorwayProfile
