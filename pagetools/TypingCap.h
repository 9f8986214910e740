#pragma once
// Keeps what a user types, pastes or drops into a multi-line box within a number of characters,
// a line break counting two (the CR LF of the box's text). Text the program sets may be longer.
#include <functional>

class QPlainTextEdit;

namespace TypingCap {

// From now on every edit of the box that leaves it above `maxChars` loses the characters it
// added, last first, until the box is back at the cap or the edit's additions are gone; a box
// the program filled above the cap keeps that text. Changes made while `programSetting` answers
// true are the program's own and are left whole.
void capEdits(QPlainTextEdit *box, int maxChars, std::function<bool()> programSetting);

} // namespace TypingCap
