#pragma once
// Keeps what a user types, pastes or drops into a multi-line box within a number of characters,
// a line break counting two (the CR LF of the box's text). Text the program sets may be longer.
#include <functional>

class QPlainTextEdit;

namespace TypingCap {

// From now on every edit of the box that leaves it above `maxChars` keeps what the box held and
// only as much of the edit's new text as fits, its beginning; wherever the cursor stands, the
// text around the insertion stays whole. A box the program filled above the cap keeps that text.
// Changes made while `programSetting` answers true are the program's own and are left whole.
void capEdits(QPlainTextEdit *box, int maxChars, std::function<bool()> programSetting);

} // namespace TypingCap
