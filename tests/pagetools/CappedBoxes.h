// A capped box of a page tool driven as a user drives it: keys through the platform's bindings,
// pastes through every key bound to Paste and the right-click menu's "Paste", drops from outside,
// drags inside the box and from another box; only what comes in is cut, never what an undo or
// redo puts back, and a drag never deletes text.
#pragma once

#include <functional>

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QKeySequence>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTest>

#include "pagetools/TypingCap.h"
#include "support/UserInput.h"

namespace CappedBoxes {

using namespace Qt::StringLiterals;

inline QString boxText(QWidget *box)
{
    if (auto *line = qobject_cast<QLineEdit *>(box))
        return line->text();
    return static_cast<QPlainTextEdit *>(box)->toPlainText();
}

// The widget a user's mouse touches: a multi-line box's viewport.
inline QWidget *surface(QWidget *box)
{
    auto *multiLine = qobject_cast<QPlainTextEdit *>(box);
    return multiLine ? multiLine->viewport() : box;
}

// Every capped box of a window.
inline QList<QWidget *> cappedBoxesOf(QWidget *window)
{
    QList<QWidget *> boxes;
    for (QWidget *child : window->findChildren<QWidget *>()) {
        if (dynamic_cast<TypingCap::LineBox *>(child) || dynamic_cast<TypingCap::TextBox *>(child))
            boxes.append(child);
    }
    return boxes;
}

// Presses each key the platform binds to `key`, with `check` after each (Redo is Ctrl+Y and
// Ctrl+Shift+Z, Paste Ctrl+V and Shift+Ins).
inline void pressEach(QWidget *box, QKeySequence::StandardKey key, const std::function<void(const QKeySequence &)> &check)
{
    const QList<QKeySequence> bindings = QKeySequence::keyBindings(key);
    ASSERT_FALSE(bindings.isEmpty());
    for (const QKeySequence &binding : bindings) {
        QTest::keySequence(box, binding);
        check(binding);
    }
}

inline void press(QWidget *box, QKeySequence::StandardKey key)
{
    QTest::keySequence(box, QKeySequence::keyBindings(key).value(0));
}

// Undo and redo with every key bound to them: `before`, then `after`, each time.
inline void expectUndoRedo(QWidget *box, const QString &before, const QString &after)
{
    pressEach(box, QKeySequence::Undo, [&](const QKeySequence &undo) {
        EXPECT_EQ(boxText(box), before) << undo.toString().toStdString();
        pressEach(box, QKeySequence::Redo, [&](const QKeySequence &redo) {
            EXPECT_EQ(boxText(box), after) << redo.toString().toStdString();
            press(box, QKeySequence::Undo);
        });
        press(box, QKeySequence::Redo);
    });
}

// "Paste" of the box's right-click menu, opened as a user opens it and chosen with the keys.
inline void pasteFromMenu(QWidget *box)
{
    QWidget *touched = surface(box);
    TestSupport::rightClickAt(touched, touched->rect().center());
    auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    ASSERT_TRUE(menu) << "no menu came";
    for (QAction *action : menu->actions()) {
        if (action->text().section(u'\t', 0, 0) == u"&Paste"_s) {
            TestSupport::chooseFromMenu(menu, action);
            return;
        }
    }
    ADD_FAILURE() << "the menu has no Paste";
    menu->close();
}

// Every way a user pastes the clipboard: each key bound to Paste, and the menu.
struct PasteRoute {
    QString name;
    std::function<void(QWidget *box)> paste;
};
inline QList<PasteRoute> pasteRoutes()
{
    QList<PasteRoute> routes;
    for (const QKeySequence &binding : QKeySequence::keyBindings(QKeySequence::Paste))
        routes.append({binding.toString(), [binding](QWidget *box) { QTest::keySequence(box, binding); }});
    routes.append({u"menu"_s, pasteFromMenu});
    return routes;
}

// Drags text from elsewhere (no drag of this program) and drops it in the middle of the box.
inline void dropText(QWidget *box, const QString &text)
{
    QWidget *target = surface(box);
    QMimeData data;
    data.setText(text);
    const QPoint at = target->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDragMoveEvent move(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &move);
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
}

// The point of a multi-line box's viewport at the gap before character `position`.
inline QPoint gapPoint(QPlainTextEdit *box, int position)
{
    QTextCursor cursor(box->document());
    cursor.setPosition(position);
    return box->cursorRect(cursor).center();
}

// Selects `length` characters from `start` of a multi-line box and drags them with the mouse to
// `target` (a point of its surface); for a one-line box, which starts no drag, the same gesture.
inline bool dragSelection(QWidget *box, int start, int length, QWidget *target, QPoint to)
{
    auto *multiLine = qobject_cast<QPlainTextEdit *>(box);
    if (!multiLine) {
        auto *line = static_cast<QLineEdit *>(box);
        line->setSelection(start, length);
        return TestSupport::dragWithMouse(line, line->rect().center(), target, to);
    }
    QTextCursor selection(multiLine->document());
    selection.setPosition(start);
    selection.setPosition(start + length, QTextCursor::KeepAnchor);
    multiLine->setTextCursor(selection);
    multiLine->ensureCursorVisible();
    // On a character of the selection, not on its edge.
    const QPoint from = (gapPoint(multiLine, start + 1) + gapPoint(multiLine, start + 2)) / 2;
    return TestSupport::dragWithMouse(multiLine->viewport(), from, target, to);
}

// The box's cap holds for what comes in, by every route: typing, pastes (every Paste key and the
// menu) at the cap, under it and over it, drops from outside and from another box; undo and redo
// put back exactly what was there, through every key bound to them; a drag inside the box never
// cuts or deletes. `load` puts a value into the box the way the window loads one (a page read, a
// profile picked); `otherBox` is another multi-line box of the window to drag from. The drags need
// a platform that runs them (TestSupport::dragsRun).
inline void expectCapOnInputOnly(QWidget *box, int cap, const std::function<void(const QString &)> &load,
                                 QPlainTextEdit *otherBox)
{
    const bool multiLine = qobject_cast<QPlainTextEdit *>(box) != nullptr;
    SCOPED_TRACE(box->objectName().toStdString());
    const auto key = [box](Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(box, key, modifiers);
    };
    const auto loadAtEnd = [&](const QString &value) {
        load(value);
        box->setFocus();
        key(Qt::Key_End, multiLine ? Qt::ControlModifier : Qt::NoModifier);
    };
    const QString a(cap, u'a');
    const QString overCap = multiLine ? QString(700, u'k') + u'\n' + QString(703, u'k') : QString(1404, u'k');

    // A value loaded over the cap: deleted and brought back whole, back and forth; typing into
    // it is refused.
    loadAtEnd(overCap);
    const QString loaded = boxText(box);
    ASSERT_EQ(loaded.size(), 1404);
    key(Qt::Key_X);
    EXPECT_EQ(boxText(box), loaded);
    press(box, QKeySequence::SelectAll);
    key(Qt::Key_Delete);
    EXPECT_EQ(boxText(box), QString());
    expectUndoRedo(box, loaded, QString());

    for (const PasteRoute &route : pasteRoutes()) {
        SCOPED_TRACE(route.name.toStdString());
        // Over the cap: a paste over all of the loaded value takes `cap` characters, one step
        // for undo and redo.
        loadAtEnd(overCap);
        press(box, QKeySequence::SelectAll);
        QApplication::clipboard()->setText(QString(1500, u'p'));
        route.paste(box);
        EXPECT_EQ(boxText(box), QString(cap, u'p'));
        expectUndoRedo(box, loaded, QString(cap, u'p'));
        // At the cap nothing comes in.
        loadAtEnd(a);
        QApplication::clipboard()->setText(u"xyz"_s);
        route.paste(box);
        EXPECT_EQ(boxText(box), a);
        // Under it, what fits: a line break counts two in a multi-line box (CR LF), one in a
        // one-line box.
        loadAtEnd(a.chopped(5));
        QApplication::clipboard()->setText(u"ab\ncde"_s);
        route.paste(box);
        const QString pasted = a.chopped(5) + (multiLine ? u"ab\nc"_s : u"ab\ncd"_s);
        EXPECT_EQ(boxText(box), pasted);
        expectUndoRedo(box, a.chopped(5), pasted);
    }

    // A refused key leaves nothing to undo: Undo takes back the last key that went in.
    loadAtEnd(a.chopped(1));
    key(Qt::Key_B);
    key(Qt::Key_C);
    EXPECT_EQ(boxText(box), a.chopped(1) + u'b');
    press(box, QKeySequence::Undo);
    EXPECT_EQ(boxText(box), a.chopped(1));

    // A paste never splits a character: one place left takes no emoji, and "x" before one.
    QApplication::clipboard()->setText(u"\U0001F600x"_s);
    press(box, QKeySequence::Paste);
    EXPECT_EQ(boxText(box), a.chopped(1));
    QApplication::clipboard()->setText(u"x\U0001F600"_s);
    press(box, QKeySequence::Paste);
    EXPECT_EQ(boxText(box), a.chopped(1) + u'x');

    // A paste over a selection replaces it with what fits; undo gives the selection back.
    loadAtEnd(a);
    for (int i = 0; i < 10; ++i)
        key(Qt::Key_Left, Qt::ShiftModifier);
    QApplication::clipboard()->setText(u"0123456789ABCDE"_s);
    press(box, QKeySequence::Paste);
    EXPECT_EQ(boxText(box), a.chopped(10) + u"0123456789"_s);
    press(box, QKeySequence::Undo);
    EXPECT_EQ(boxText(box), a);

    // A drop from outside takes what fits, its beginning, and keeps the box's text.
    loadAtEnd(a.chopped(5));
    dropText(box, u"0123456789"_s);
    QString dropped = boxText(box);
    EXPECT_EQ(dropped.size(), cap);
    EXPECT_EQ(dropped.remove(u'a'), u"01234"_s);

    // A drag inside the box moves its words whole, under the cap, at it and over it; undo and
    // redo put them back and move them again. A one-line box starts no drag: its text stays.
    for (const qsizetype size : {qsizetype(cap - 10), qsizetype(cap), qsizetype(1404)}) {
        SCOPED_TRACE("drag inside, " + std::to_string(size) + " characters");
        const QString text = u"MOVE "_s + QString(size - 5, u'm');
        load(text);
        QPoint to = box->rect().center();
        if (multiLine)
            to = gapPoint(static_cast<QPlainTextEdit *>(box), 20);
        const bool began = dragSelection(box, 0, 4, surface(box), to);
        EXPECT_EQ(began, multiLine);
        const QString moved = began ? text.mid(4, 16) + u"MOVE"_s + text.mid(20) : text;
        EXPECT_EQ(boxText(box), moved);
        if (began)
            expectUndoRedo(box, text, moved);
    }

    // A drag from another box is a drop like any other: what does not fit stays where it was (the
    // drop is a copy); what fits whole moves.
    for (const int room : {5, 20}) {
        SCOPED_TRACE("drag from another box, room " + std::to_string(room));
        loadAtEnd(a.chopped(room));
        const QString source = u"0123456789 source"_s;
        otherBox->setPlainText(source);
        ASSERT_TRUE(dragSelection(otherBox, 0, 10, surface(box), surface(box)->rect().center()));
        QString got = boxText(box);
        EXPECT_EQ(got.size(), cap - room + qMin(room, 10));
        EXPECT_EQ(got.remove(u'a'), u"0123456789"_s.left(room));
        EXPECT_EQ(otherBox->toPlainText(), room < 10 ? source : u" source"_s);
    }
}

} // namespace CappedBoxes
