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

QString encodeValue(const QString &value);
QString decodeValue(const QString &stored);

// Writes the values (in the order of keys()) in one piece; other content of the file stays.
// False, with the file as it was, when it could not be read or written.
bool write(const QString &file, const QStringList &values);

// The values in the order of keys() (a missing key reads as empty); nothing when the file
// cannot be read.
std::optional<QStringList> read(const QString &file);

} // namespace DoorwayProfile
