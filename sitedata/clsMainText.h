#pragma once
// Small text helpers shared by the clsMain files.
#include <QString>
#include <QStringList>

namespace clsMainText {

// The value of the leading decimal digits (blanks before them skipped); 0 when there are none.
// Values beyond the int range are capped.
int leadingDigits(const QString &text);

// The highest n among the keys `prefix` + n of an INI section (0 when none): loops over numbered
// entries stop there, so a huge count in a file cannot keep the program busy.
int highestNumberedKey(const QString &file, const QString &section, const QString &prefix);

// Line spans of a text: each span covers one line without its line end.
struct LineSpan {
    qsizetype start;
    qsizetype length;
    qsizetype next;   // start of the following line
};
QList<LineSpan> lineSpans(const QString &text);

// A project list header: first non-blank "[" and last non-blank "]".
bool isSectionHeader(const QString &line);

} // namespace clsMainText
