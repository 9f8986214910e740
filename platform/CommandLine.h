#pragma once
// Command-line switches such as "/D" and "/U": a switch counts only as a whole argument, in any case.
#include <QStringList>

namespace Platform {

bool hasCommandLineSwitch(const QString &name);

// The arguments after the program name; tests may set them.
QStringList commandLineArguments();
void setCommandLineArguments(const QStringList &arguments);

} // namespace Platform
