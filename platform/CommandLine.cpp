#include "platform/CommandLine.h"

#include <QCoreApplication>
#include <optional>

namespace Platform {
namespace {

std::optional<QStringList> &overridden()
{
    static std::optional<QStringList> arguments;
    return arguments;
}

} // namespace

QStringList commandLineArguments()
{
    if (overridden())
        return *overridden();
    return QCoreApplication::arguments().mid(1);
}

void setCommandLineArguments(const QStringList &arguments)
{
    overridden() = arguments;
}

bool hasCommandLineSwitch(const QString &name)
{
    const QStringList arguments = commandLineArguments();
    for (const QString &argument : arguments) {
        if (argument.trimmed().compare(name, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

} // namespace Platform
