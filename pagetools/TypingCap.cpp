#include "pagetools/TypingCap.h"

#include <functional>

#include <QDropEvent>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QTextCursor>

using namespace Qt::StringLiterals;

namespace TypingCap {
namespace {

bool isLineBreak(QChar ch)
{
    return ch == u'\n' || ch == u'\r' || ch == QChar::ParagraphSeparator || ch == QChar::LineSeparator;
}

// A multi-line box's text with its line breaks counted as CR LF.
qsizetype crLfWeight(const QString &text)
{
    qsizetype weight = text.size();
    for (qsizetype i = 0; i < text.size(); ++i)
        if (isLineBreak(text[i]) && !(text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n'))
            ++weight;
    return weight;
}

// The text a key puts into a box, by the rule Qt's text boxes follow; empty for a key that puts
// none in (a shortcut, a move, a deletion).
QString typedText(const QKeyEvent *event, bool multiLine, bool takesTab)
{
    if (multiLine
        && (event->matches(QKeySequence::InsertParagraphSeparator) || event->matches(QKeySequence::InsertLineSeparator)))
        return u"\n"_s;
    const QString text = event->text();
    if (text.isEmpty())
        return {};
    const QChar first = text.front();
    if (first.category() == QChar::Other_Format)
        return text;
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    if (modifiers == Qt::ControlModifier || modifiers == (Qt::ShiftModifier | Qt::ControlModifier))
        return {};
    const bool inserts = first.isPrint() || first.category() == QChar::Other_PrivateUse
                         || (first.isHighSurrogate() && text.size() > 1 && text[1].isLowSurrogate())
                         || (takesTab && first == u'\t');
    return inserts ? text : QString();
}

// An input method's commit, cut to the room there is, handed on to the box.
void commitWithinRoom(QInputMethodEvent *event, qsizetype room, int lineBreakWeight,
                      const std::function<void(QInputMethodEvent *)> &handOn)
{
    const QString fit = fitting(event->commitString(), room, lineBreakWeight);
    if (fit.size() == event->commitString().size()) {
        handOn(event);
        return;
    }
    QInputMethodEvent capped(event->preeditString(), event->attributes());
    capped.setCommitString(fit, event->replacementStart(), event->replacementLength());
    handOn(&capped);
    event->accept();
}

} // namespace

QString fitting(const QString &incoming, qsizetype room, int lineBreakWeight)
{
    qsizetype used = 0;
    qsizetype end = 0;
    while (end < incoming.size()) {
        const QChar ch = incoming[end];
        const bool pair = end + 1 < incoming.size()
                          && ((ch.isHighSurrogate() && incoming[end + 1].isLowSurrogate())
                              || (lineBreakWeight != 1 && ch == u'\r' && incoming[end + 1] == u'\n'));
        const qsizetype weight = isLineBreak(ch) ? lineBreakWeight : pair ? 2 : 1;
        if (used + weight > room)
            break;
        used += weight;
        end += pair ? 2 : 1;
    }
    return incoming.left(end);
}

LineBox::LineBox(int maxChars, QWidget *parent) : QLineEdit(parent), m_maxChars(maxChars) {}

qsizetype LineBox::room() const
{
    return m_maxChars - (text().size() - selectedText().size());
}

void LineBox::keyPressEvent(QKeyEvent *event)
{
    if (!isReadOnly() && event->matches(QKeySequence::Paste)) {
        // Ctrl+Shift+Insert pastes the selection, as the box itself would.
        const bool selection = event->key() == Qt::Key_Insert && event->modifiers() == (Qt::ControlModifier | Qt::ShiftModifier);
        pasteWithinCap(selection ? QClipboard::Selection : QClipboard::Clipboard);
        event->accept();
        return;
    }
    const QString typed = isReadOnly() ? QString() : typedText(event, false, false);
    if (!typed.isEmpty() && typed.size() > room()) {
        event->accept();   // refused whole: the box and its undo steps stay as they were
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void LineBox::inputMethodEvent(QInputMethodEvent *event)
{
    commitWithinRoom(event, room(), 1, [this](QInputMethodEvent *e) { QLineEdit::inputMethodEvent(e); });
}

void LineBox::dropEvent(QDropEvent *event)
{
    // Text moved inside the box only changes its place.
    if (event->source() == this && event->dropAction() == Qt::MoveAction) {
        QLineEdit::dropEvent(event);
        return;
    }
    const QString dropped = event->mimeData()->text();
    const QString fit = fitting(dropped, m_maxChars - text().size(), 1);
    if (fit.size() == dropped.size()) {
        QLineEdit::dropEvent(event);
        return;
    }
    if (fit.isEmpty()) {
        event->ignore();
        return;
    }
    QMimeData capped;
    capped.setText(fit);
    QDropEvent cappedDrop(event->position(), event->possibleActions(), &capped, event->buttons(), event->modifiers());
    cappedDrop.setDropAction(event->dropAction());
    QLineEdit::dropEvent(&cappedDrop);
    event->setDropAction(Qt::CopyAction);   // what did not fit stays where it came from
    event->setAccepted(cappedDrop.isAccepted());
}

// The middle button pastes the selection where the window system keeps one.
void LineBox::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::MiddleButton && !isReadOnly() && QGuiApplication::clipboard()->supportsSelection()) {
        deselect();
        pasteWithinCap(QClipboard::Selection);
        event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

// The box's own menu. Its Paste goes through the cap as the keys do, whatever the box's own wiring
// of that entry: an entry of the same text takes its place.
void LineBox::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu *menu = createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const QString paste = QLineEdit::tr("&Paste");
    for (QAction *standard : menu->actions()) {
        if (standard->text().section(u'\t', 0, 0) != paste)
            continue;
        auto *own = new QAction(standard->icon(), standard->text(), menu);
        own->setEnabled(standard->isEnabled());
        connect(own, &QAction::triggered, this, [this] { pasteWithinCap(QClipboard::Clipboard); });
        menu->insertAction(standard, own);
        menu->removeAction(standard);
    }
    menu->popup(event->globalPos());
}

void LineBox::pasteWithinCap(QClipboard::Mode mode)
{
    const QString fit = fitting(QGuiApplication::clipboard()->text(mode), room(), 1);
    if (fit.isEmpty())
        return;
    closeUndoStep();
    insert(fit);
    closeUndoStep();
}

// The box closes an undo step whenever its cursor moves; a move there and back keeps a paste
// one step of its own, as the box's own paste is. In an empty box nothing can move: a paste
// there joins the edit that emptied it.
void LineBox::closeUndoStep()
{
    if (text().isEmpty())
        return;
    const int cursor = cursorPosition();
    const int start = selectionStart();
    const int length = int(selectedText().size());
    setCursorPosition(cursor > 0 ? cursor - 1 : cursor + 1);
    if (length == 0)
        setCursorPosition(cursor);
    else if (cursor == start)
        setSelection(start + length, -length);
    else
        setSelection(start, length);
}

TextBox::TextBox(int maxChars, QWidget *parent) : QPlainTextEdit(parent), m_maxChars(maxChars) {}

qsizetype TextBox::room() const
{
    return m_maxChars - (crLfWeight(toPlainText()) - crLfWeight(textCursor().selectedText()));
}

void TextBox::keyPressEvent(QKeyEvent *event)
{
    const QString typed = isReadOnly() ? QString() : typedText(event, true, !tabChangesFocus());
    if (!typed.isEmpty() && crLfWeight(typed) > room()) {
        event->accept();   // refused whole: the box and its undo steps stay as they were
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void TextBox::inputMethodEvent(QInputMethodEvent *event)
{
    commitWithinRoom(event, room(), 2, [this](QInputMethodEvent *e) { QPlainTextEdit::inputMethodEvent(e); });
}

void TextBox::dropEvent(QDropEvent *event)
{
    m_drop = Drop{crLfWeight(toPlainText()), false};
    QPlainTextEdit::dropEvent(event);
    const bool cut = m_drop->cut;
    m_drop.reset();
    if (cut && event->isAccepted())
        event->setDropAction(Qt::CopyAction);   // what did not fit stays where it came from
}

// A paste replaces the selection. A move inside the box has taken the moved text out by now: it
// goes back whole.
void TextBox::insertFromMimeData(const QMimeData *source)
{
    const QString incoming = source->text();
    const bool movedInside = m_drop && crLfWeight(toPlainText()) < m_drop->weightBefore;
    const QString fit = movedInside ? incoming : fitting(incoming, room(), 2);
    if (fit.size() == incoming.size()) {
        QPlainTextEdit::insertFromMimeData(source);
        return;
    }
    if (m_drop)
        m_drop->cut = true;
    if (fit.isEmpty())
        return;
    QMimeData capped;
    capped.setText(fit);
    QPlainTextEdit::insertFromMimeData(&capped);
}

} // namespace TypingCap
