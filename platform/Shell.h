#pragma once
// Opening a document or address in its default program, and a file in the text editor. A hook
// lets tests record the requests instead of starting programs.
#include <functional>
#include <QString>

namespace Platform {

enum class ShellAction { Open, TextEditor };

// True when the request was handed on.
bool shellOpen(const QString &pathOrUrl);
bool openInTextEditor(const QString &path);

using ShellHook = std::function<bool(ShellAction, const QString &)>;
void setShellHook(ShellHook hook);

} // namespace Platform
