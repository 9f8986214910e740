#pragma once
// Whether a text the user typed names a local file or a web address.
#include <QString>

namespace PageAddress {

// A local file path starts with "/" or has the drive form "X:\"; anything else is a web address.
bool isLocalPath(const QString &text);

} // namespace PageAddress
