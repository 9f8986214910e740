#pragma once
// Text boxes that keep what a user types, pastes or drops within a number of characters, a line
// break of a multi-line box counting two (the CR LF of its text). Only what comes in is cut: text
// the program sets, text moved inside the box with the mouse, and whatever an undo or redo puts
// back stay whole, so a box may hold more than its cap. A cut never splits a character, and a
// drop that was cut is a copy: what did not fit stays in the box it was dragged from.
#include <optional>

#include <QClipboard>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace TypingCap {

// The beginning of `incoming` that weighs at most `room`, a line break weighing
// `lineBreakWeight` (CR LF, CR, LF and the paragraph and line separators are one break each),
// never ending inside a surrogate pair or between the CR and LF of a break.
QString fitting(const QString &incoming, qsizetype room, int lineBreakWeight);

// A one-line box whose every character counts one.
class LineBox : public QLineEdit {
public:
    LineBox(int maxChars, QWidget *parent);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    qsizetype room() const;
    void pasteWithinCap(QClipboard::Mode mode);
    void closeUndoStep();

    int m_maxChars;
};

// A multi-line box whose line breaks count two.
class TextBox : public QPlainTextEdit {
public:
    TextBox(int maxChars, QWidget *parent);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    // Pastes (keys, menu, middle button) and drops all come in here.
    void insertFromMimeData(const QMimeData *source) override;

private:
    qsizetype room() const;

    // A drop under way: the box's weight before it, and whether what came in was cut.
    struct Drop {
        qsizetype weightBefore = 0;
        bool cut = false;
    };

    int m_maxChars;
    std::optional<Drop> m_drop;
};

} // namespace TypingCap
