#include "platform/Shell.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace Platform {
namespace {

ShellHook &hook()
{
    static ShellHook instance;
    return instance;
}

QUrl urlOf(const QString &target)
{
    const QString lower = target.toLower();
    if (lower.startsWith(QStringLiteral("http://")) || lower.startsWith(QStringLiteral("https://"))
        || lower.startsWith(QStringLiteral("mailto:")) || lower.startsWith(QStringLiteral("ftp://")))
        return QUrl(target);
    if (lower.startsWith(QStringLiteral("www.")))
        return QUrl(QStringLiteral("http://") + target);
    return QUrl::fromLocalFile(QFileInfo(target).absoluteFilePath());
}

} // namespace

void setShellHook(ShellHook newHook)
{
    hook() = std::move(newHook);
}

bool shellOpen(const QString &pathOrUrl)
{
    if (hook())
        return hook()(ShellAction::Open, pathOrUrl);
    if (pathOrUrl.isEmpty())
        return false;
    return QDesktopServices::openUrl(urlOf(pathOrUrl));
}

bool openInTextEditor(const QString &path)
{
    if (hook())
        return hook()(ShellAction::TextEditor, path);
    const QString editor = qEnvironmentVariable("VISUAL", qEnvironmentVariable("EDITOR"));
    if (!editor.isEmpty() && QProcess::startDetached(editor, {path}))
        return true;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
}

} // namespace Platform
