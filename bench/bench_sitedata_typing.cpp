// Keystrokes in a large box of the main window, whose wrap follows every change (at blanks, or
// anywhere while the text holds a word too long for the box), against the floor of the same
// keystrokes in a plain box of the same size, text and wrap that follows nothing: each keystroke
// is typed at the end and the window repainted after it. The box may take at most 1.5 times its
// floor; each figure is the best of several rounds, the two boxes taking turns.
//
// Part of bench_sitedata, which runs these cases after its own.
#include "bench/bench_sitedata_typing.h"

#include <algorithm>
#include <cstdio>

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTabWidget>

#include "bench/BenchSupport.h"
#include "mainwindow/frmMain.h"
#include "platform/EventLoop.h"
#include "platform/LongWordWrap.h"

using namespace Qt::StringLiterals;

namespace {

constexpr double kMaxRatio = 1.5;
constexpr int kKeystrokes = 20;   // half letters typed, half taken back with Backspace
constexpr int kRounds = 3;

void press(QWidget *box, Qt::Key key, const QString &text)
{
    QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(box, &down);
    QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(box, &up);
    Platform::doEvents();
}

// Milliseconds per keystroke at the end of the box's text.
double typingMs(QPlainTextEdit *box)
{
    box->moveCursor(QTextCursor::End);
    QElapsedTimer timer;
    timer.start();
    for (int n = 0; n < kKeystrokes / 2; ++n)
        press(box, Qt::Key_X, u"x"_s);
    for (int n = 0; n < kKeystrokes / 2; ++n)
        press(box, Qt::Key_Backspace, QString());
    return double(timer.nsecsElapsed()) / 1e6 / kKeystrokes;
}

struct TypingCase {
    const char *name;
    QString text;
};

bool runTypingCase(QPlainTextEdit *box, QPlainTextEdit *floorBox, const TypingCase &c)
{
    box->setPlainText(c.text);
    floorBox->setPlainText(c.text);
    floorBox->setWordWrapMode(box->wordWrapMode());
    Platform::doEvents();
    double best = 1e12;
    double floorBest = 1e12;
    typingMs(box);   // untimed, so neither box pays for the first layout alone
    typingMs(floorBox);
    for (int round = 0; round < kRounds; ++round) {
        best = std::min(best, typingMs(box));
        floorBest = std::min(floorBest, typingMs(floorBox));
    }
    const bool same = box->toPlainText().size() == c.text.size();
    const double ratio = best / floorBest;
    const bool ok = same && ratio <= kMaxRatio;
    std::printf("keystroke in a box of %-32s %7.3f ms (floor %.3f ms, ratio %.2f, target %.1f) %s\n", c.name, best,
                floorBest, ratio, kMaxRatio, BenchSupport::verdict(ok));
    std::fflush(stdout);
    return ok;
}

} // namespace

bool runTypingCases(frmMain &window)
{
    QPlainTextEdit *box = window.txtSiteDescription;
    for (int page = 0; page < window.SSTab1->count(); ++page)
        if (window.SSTab1->widget(page)->isAncestorOf(box))
            window.SSTab1->setCurrentIndex(page);
    QPlainTextEdit floorBox;
    floorBox.resize(box->size());
    floorBox.setFont(box->font());
    floorBox.show();
    box->setFocus();

    const QString words = u"walk on far "_s;
    const QString longWord(4 * LongWordWrap::kLongWordChars, u'w');
    const TypingCase cases[] = {
        {"100,000 lines of short words", u"walk on far\n"_s.repeated(100000)},
        {"one 1 MB line of short words", words.repeated(87000)},
        {"one 1 MB line with a long word", words.repeated(43000) + longWord + u' ' + words.repeated(43000)},
        {"100,000 lines, a long word atop", longWord + u'\n' + u"walk on far\n"_s.repeated(100000)},
    };
    bool allOk = true;
    for (const TypingCase &c : cases)
        allOk = runTypingCase(box, &floorBox, c) && allOk;
    box->clear();
    return allOk;
}
