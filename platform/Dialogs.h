#pragma once
// Message boxes, input boxes and the open/save file dialog. All of them go through one hook so
// that tests answer them from a script and see what was shown; with no hook the real Qt dialogs run.
#include <functional>
#include <optional>
#include <QString>

class QWidget;

namespace Platform {

// Message box style bits: one button set plus one icon.
enum MsgStyle : int {
    OkOnly = 0, OkCancel = 1, AbortRetryIgnore = 2, YesNoCancel = 3, YesNo = 4, RetryCancel = 5,
    Critical = 16, Question = 32, Exclamation = 48, Information = 64,
    DefaultButton2 = 256, DefaultButton3 = 512,
};
// Message box answers.
enum MsgResult : int { Ok = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };

// The title used when a caller gives none.
inline constexpr const char *kApplicationTitle = "Velquist";

// The box's buttons follow the style: Enter presses its first button, or the second or third
// with DefaultButton2 or DefaultButton3; Esc (or closing the box) answers Cancel or No where
// the box has one, else its first button.
int msgBox(const QString &prompt, int style = OkOnly, const QString &title = QString());
// The answers of a style's Enter and Esc.
int defaultAnswer(int style);
int escapeAnswer(int style);

// The typed text, or the empty text when cancelled.
QString inputBox(const QString &prompt, const QString &title = QString(), const QString &defaultText = QString());

// Open or save dialog. `filter` is in the "desc|pattern|desc|pattern|" form; `filterIndex` is
// 1-based, read as the initial choice and set to the chosen filter. Cancel gives the empty text
// and leaves `filterIndex` as it was.
// A `defaultName` ending in "/" is the folder the dialog opens in; a save dialog proposes any other
// (a full path opens in its folder). Without a folder the dialog opens in the program folder.
QString fileDialog(bool save, const QString &filter, const QString &defaultName, int &filterIndex,
                   const QString &title = QString(), QWidget *parent = nullptr);

// "Text (*.txt)|*.txt|All Files (*.*)|*.*|" -> ["Text (*.txt) (*.txt)", "All Files (*.*) (*)"]
QStringList qtNameFilters(const QString &filter);

// A folder chooser; empty on cancel.
QString folderDialog(const QString &title, const QString &startFolder, QWidget *parent = nullptr);

enum class DialogKind { Message, Input, OpenFile, SaveFile, Folder };

struct DialogRequest {
    DialogKind kind = DialogKind::Message;
    QString prompt;        // message text or input prompt
    QString title;
    int style = 0;         // message boxes only
    QString filter;        // file dialogs only
    QString defaultText;   // input default, default file name or start folder
};

struct DialogAnswer {
    int button = Ok;        // message boxes
    QString text;           // input text, chosen file or folder ("" = cancelled)
    int filterIndex = 1;    // file dialogs
};

// A hook answers every dialog instead of the real one. Returning nothing means "cancel".
using DialogHook = std::function<std::optional<DialogAnswer>(const DialogRequest &)>;
void setDialogHook(DialogHook hook);
bool hasDialogHook();

} // namespace Platform
