#include "platform/Shell.h"

#include <optional>

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
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

// Editor builds that run only inside a terminal, however they are called.
bool isTerminalOnlyEditorName(const QString &name)
{
    static const QStringList terminalEditors = {
        QStringLiteral("emacs-nox"), QStringLiteral("vim.basic"), QStringLiteral("vim.tiny"), QStringLiteral("vim.nox"),
        QStringLiteral("nvi"),       QStringLiteral("nano"),      QStringLiteral("rnano"),    QStringLiteral("pico"),
        QStringLiteral("joe"),       QStringLiteral("jed"),       QStringLiteral("mcedit"),   QStringLiteral("micro"),
        QStringLiteral("ne"),        QStringLiteral("mg"),        QStringLiteral("zile"),     QStringLiteral("ed")};
    return terminalEditors.contains(name);
}

const QStringList &graphicalEditorNames()
{
    static const QStringList graphicalEditors = {
        QStringLiteral("gnome-text-editor"), QStringLiteral("gedit"), QStringLiteral("kate"), QStringLiteral("kwrite"),
        QStringLiteral("mousepad"), QStringLiteral("pluma"), QStringLiteral("xed"), QStringLiteral("featherpad"),
        QStringLiteral("leafpad"), QStringLiteral("geany"), QStringLiteral("gvim"), QStringLiteral("code"),
        QStringLiteral("codium"), QStringLiteral("subl"), QStringLiteral("sublime_text"), QStringLiteral("xemacs"),
        QStringLiteral("scite"), QStringLiteral("nedit"), QStringLiteral("xedit"), QStringLiteral("notepadqq"),
        QStringLiteral("bluefish"), QStringLiteral("emacs"), QStringLiteral("emacs-gtk"), QStringLiteral("emacs-lucid")};
    return graphicalEditors;
}

// Editors that open a window of their own, by their name and arguments.
bool isGraphicalEditorName(const QString &name, const QStringList &arguments)
{
    if (!graphicalEditorNames().contains(name))
        return false;
    if (name.startsWith(QStringLiteral("emacs")))
        return !arguments.contains(QStringLiteral("-nw")) && !arguments.contains(QStringLiteral("--no-window-system"));
    return true;
}

// Any editor not known to open its own window is run in a terminal: started detached without one
// it would show nothing. A link ("editor", "emacs") is judged by the program it leads to when that
// program's name is known ("emacs-nox", "gedit"), else by its own name: a build such as vim.gtk3
// opens a window when run as "gvim" and none when run as "vi". A wrapper script stays unknown.
bool needsTerminal(const QString &program, const QStringList &arguments)
{
    const QString target = QFileInfo(QFileInfo(program).canonicalFilePath()).fileName();
    const bool targetKnown = graphicalEditorNames().contains(target) || isTerminalOnlyEditorName(target);
    return !isGraphicalEditorName(targetKnown ? target : QFileInfo(program).fileName(), arguments);
}

// A terminal window that runs a command given after its prefix arguments.
std::optional<Launch> terminalFor(const std::function<QString(const QString &)> &findProgram)
{
    static const struct { const char *name; const char *runFlag; } terminals[] = {
        {"x-terminal-emulator", "-e"}, {"gnome-terminal", "--"}, {"konsole", "-e"}, {"xterm", "-e"},
    };
    for (const auto &terminal : terminals) {
        const QString found = findProgram(QString::fromLatin1(terminal.name));
        if (!found.isEmpty())
            return Launch{found, {QString::fromLatin1(terminal.runFlag)}};
    }
    return std::nullopt;
}

// The launch of an editor command line such as "kate -n" or "vi", when it can show the file.
std::optional<Launch> editorLaunch(const QString &commandLine, const QString &path,
                                   const std::function<QString(const QString &)> &findProgram)
{
    QStringList words = QProcess::splitCommand(commandLine);
    if (words.isEmpty())
        return std::nullopt;
    const QString program = findProgram(words.takeFirst());
    if (program.isEmpty())
        return std::nullopt;
    const QStringList arguments = words + QStringList{path};
    if (!needsTerminal(program, words))
        return Launch{program, arguments};
    std::optional<Launch> terminal = terminalFor(findProgram);
    if (terminal)
        terminal->arguments += QStringList{program} + arguments;
    return terminal;
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

QList<Launch> textEditorLaunches(const QString &path, const std::function<QString(const QString &)> &findProgram)
{
    static const char *const installedEditors[] = {
        "gnome-text-editor", "gedit", "kate", "kwrite", "mousepad", "pluma", "xed", "featherpad", "leafpad", "geany",
    };
    QStringList commandLines = {qEnvironmentVariable("VISUAL"), qEnvironmentVariable("EDITOR")};
    for (const char *editor : installedEditors)
        commandLines.append(QString::fromLatin1(editor));
    QList<Launch> launches;
    for (const QString &commandLine : commandLines) {
        const std::optional<Launch> launch = editorLaunch(commandLine, path, findProgram);
        if (launch && !launches.contains(*launch))
            launches.append(*launch);
    }
    return launches;
}

bool openInTextEditor(const QString &path)
{
    if (hook())
        return hook()(ShellAction::TextEditor, path);
    const QString file = QFileInfo(path).absoluteFilePath();
    const auto find = [](const QString &program) { return QStandardPaths::findExecutable(program); };
    for (const Launch &launch : textEditorLaunches(file, find))
        if (QProcess::startDetached(launch.program, launch.arguments))
            return true;
    return false;
}

} // namespace Platform
