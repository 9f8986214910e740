#pragma once
// Helpers the whole program shares: one value of an INI file, the engine data folder, window
// centring, the open/save dialog, text splitting, the history lists of combo boxes kept in
// "orvane.dmc", and the line ends of multi-line text boxes. Comparisons ignore case.
#include <QString>

class QComboBox;
class QPlainTextEdit;
class QWidget;

namespace modCommon {

// The engine data folder (standing for the Windows folder), ending in "/"; empty when unusable.
QString getWindowsDirectory();

// The text up to its first NUL character.
QString trimNull(const QString &text);

// The whole value of `key` in `section` of the INI file, or the empty text when the file,
// section or key is missing.
QString readINIValue(const QString &file, const QString &section, const QString &key);

// Writes the value (line breaks become spaces); "1" when written, "0" when not.
QString writeINIValue(const QString &file, const QString &section, const QString &key, const QString &value);

// Places the window centred across the screen and a little above the middle, now and, for a
// window not shown yet, once more on its first show with the size its layout gives it.
void centerForm(QWidget *form);

// The open (`save` false) or save dialog with a "desc|pattern|desc|pattern|" filter. The chosen
// file, or the empty text when cancelled. A save dialog reports the chosen filter (1-based) in
// `filterIndex`; a cancel leaves it as it was.
QString showFileDialog(bool save, const QString &filter, const QString &defaultName, int &filterIndex);

// Splits at the first "|": `text` keeps what is before it, `rest` gets what follows (further "|"
// included). Without a "|" the text stays whole and `rest` is empty.
void splitAtBar(QString &text, QString &rest);

// Each CR LF becomes a space when the text holds one; otherwise each CR does.
QString replaceCrLf(const QString &text);

// The history file "orvane.dmc" in the engine data folder.
QString historyFile();

// Appends the entries of the history list `section` (keys "1", "2", ...) to the combo box, at most
// `maxEntries`; stops at the first empty or missing key.
void loadHistory(QComboBox *combo, const QString &section, int maxEntries);

// Writes the combo box's first 30 items under keys "1" to "30"; higher keys stay as they are.
void saveHistory(QComboBox *combo, const QString &section);

// Puts the text at the top of the list unless it is already there (ignoring case) or empty; when
// the list then holds more than 30 items its last one is removed.
void addHistory(QComboBox *combo, const QString &text);

// Multi-line boxes hold CR LF text for the program while Qt's widgets use LF alone.
QString multiLineText(const QPlainTextEdit *box);
void setMultiLineText(QPlainTextEdit *box, const QString &text);
QString lfToCrLf(const QString &text);
QString crLfToLf(const QString &text);

// "6.1.05": major and minor as they are, the revision with at least two digits.
QString versionNumberText(int major, int minor, int revision);
// The version of this build in that form.
QString programVersionText();

} // namespace modCommon
