#pragma once
// Multi-line boxes wrap their lines at blanks, and inside a word only where the word is wider
// than the box; Qt's time for that grows with the square of the word's length, so a box given
// a word of a megabyte (a profile's body, a page's keywords) would hold the window for minutes.
class QPlainTextEdit;

namespace LongWordWrap {

// Words longer than this make a box wrap anywhere.
inline constexpr int kLongWordChars = 1000;

// From now on the box wraps its lines anywhere, not at blanks, while its text holds a word of
// more than kLongWordChars characters, and at blanks again once none is left: the mode follows
// every change (typed, pasted, deleted, undone, a whole new text), before the text is laid out.
// A change costs a read of the paragraphs it touched, not of the whole text.
void keepWrappingFast(QPlainTextEdit *box);

} // namespace LongWordWrap
