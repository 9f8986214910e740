// A capped box of a page tool driven as a user drives it: keys, pastes through the clipboard and
// drops; only what comes in is cut, never what an undo or redo puts back.
#pragma once

#include <functional>

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTest>

namespace CappedBoxes {

using namespace Qt::StringLiterals;

inline QString boxText(QWidget *box)
{
    if (auto *line = qobject_cast<QLineEdit *>(box))
        return line->text();
    return static_cast<QPlainTextEdit *>(box)->toPlainText();
}

// Drags text from elsewhere and drops it in the middle of the box.
inline void dropText(QWidget *box, const QString &text)
{
    auto *multiLine = qobject_cast<QPlainTextEdit *>(box);
    QWidget *target = multiLine ? multiLine->viewport() : box;
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

// `load` puts a value into the box the way the window loads one (a page read, a profile picked).
inline void expectCapOnInputOnly(QWidget *box, int cap, const std::function<void(const QString &)> &load)
{
    const bool multiLine = qobject_cast<QPlainTextEdit *>(box) != nullptr;
    SCOPED_TRACE(box->objectName().toStdString());
    const auto key = [box](Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(box, key, modifiers);
    };
    const auto paste = [&key](const QString &text) {
        QApplication::clipboard()->setText(text);
        key(Qt::Key_V, Qt::ControlModifier);
    };
    const auto loadAtEnd = [&](const QString &value) {
        load(value);
        box->setFocus();
        key(Qt::Key_End, multiLine ? Qt::ControlModifier : Qt::NoModifier);
    };
    const QString a(cap, u'a');

    // A value loaded over the cap: deleted and brought back whole, back and forth; typing into
    // it is refused.
    loadAtEnd(multiLine ? QString(700, u'k') + u'\n' + QString(703, u'k') : QString(1404, u'k'));
    const QString loaded = boxText(box);
    ASSERT_EQ(loaded.size(), 1404);
    key(Qt::Key_X);
    EXPECT_EQ(boxText(box), loaded);
    key(Qt::Key_A, Qt::ControlModifier);
    key(Qt::Key_Delete);
    EXPECT_EQ(boxText(box), QString());
    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(boxText(box), loaded);
    key(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(boxText(box), QString());
    key(Qt::Key_Z, Qt::ControlModifier);
    key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(boxText(box), QString());

    // The box's cap is its own, whatever was loaded before: a paste over all of the loaded value
    // takes `cap` characters, one step for undo and redo.
    key(Qt::Key_Z, Qt::ControlModifier);
    key(Qt::Key_A, Qt::ControlModifier);
    paste(QString(1500, u'p'));
    EXPECT_EQ(boxText(box), QString(cap, u'p'));
    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(boxText(box), loaded);
    key(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(boxText(box), QString(cap, u'p'));

    // A refused key leaves nothing to undo: Ctrl+Z takes back the last key that went in.
    loadAtEnd(a.chopped(1));
    key(Qt::Key_B);
    key(Qt::Key_C);
    EXPECT_EQ(boxText(box), a.chopped(1) + u'b');
    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(boxText(box), a.chopped(1));

    // A paste never splits a character: one place left takes no emoji, and "x" before one.
    paste(u"\U0001F600x"_s);
    EXPECT_EQ(boxText(box), a.chopped(1));
    paste(u"x\U0001F600"_s);
    EXPECT_EQ(boxText(box), a.chopped(1) + u'x');

    // A paste over a selection replaces it with what fits; undo gives the selection back.
    loadAtEnd(a);
    for (int i = 0; i < 10; ++i)
        key(Qt::Key_Left, Qt::ShiftModifier);
    paste(u"0123456789ABCDE"_s);
    EXPECT_EQ(boxText(box), a.chopped(10) + u"0123456789"_s);
    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(boxText(box), a);

    // A paste of several lines: a line break counts two in a multi-line box (CR LF), one in a
    // one-line box.
    loadAtEnd(a.chopped(5));
    paste(u"ab\ncde"_s);
    EXPECT_EQ(boxText(box), a.chopped(5) + (multiLine ? u"ab\nc"_s : u"ab\ncd"_s));

    // A drop takes what fits, its beginning, and keeps the box's text.
    loadAtEnd(a.chopped(5));
    dropText(box, u"0123456789"_s);
    QString dropped = boxText(box);
    EXPECT_EQ(dropped.size(), cap);
    EXPECT_EQ(dropped.remove(u'a'), u"01234"_s);
}

} // namespace CappedBoxes
