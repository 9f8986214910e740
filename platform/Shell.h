#pragma once
// Opening a document or address in its default program, and a file in the text editor. A hook
// lets tests record the requests instead of starting programs.
#include <functional>
#include <QList>
#include <QString>
#include <QStringList>

namespace Platform {

enum class ShellAction { Open, TextEditor };

// True when the request was handed on.
bool shellOpen(const QString &pathOrUrl);
// True when a text editor showing the file was started; the browser is no text editor.
bool openInTextEditor(const QString &path);

using ShellHook = std::function<bool(ShellAction, const QString &)>;
void setShellHook(ShellHook hook);

// A program to start and its arguments.
struct Launch {
    QString program;
    QStringList arguments;
    bool operator==(const Launch &) const = default;
};

// The ways to show a file in a text editor, best first: the editor in $VISUAL, then in $EDITOR,
// then the graphical text editors installed. An editor not known to open its own window (vi,
// nano, a wrapper script, ...) is started inside a terminal window, or left out when there is
// none: started without one it would show nothing. An editor that is a link is judged by the
// program the link leads to when that program's name is known, else by the link's own name.
// `findProgram` gives a program's full path, empty when it is not installed.
QList<Launch> textEditorLaunches(const QString &path, const std::function<QString(const QString &)> &findProgram);

} // namespace Platform
