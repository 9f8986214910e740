#pragma once
// Reading an engine's HTML submission page: the skeleton of its forms (opening tag, elements,
// separator line) and the data fields of any text holding a form (method, action, one row per
// named field with the value the submission sends). Pure functions over text; every search
// ignores case.
#include <QList>
#include <QString>

namespace FormReader {

// The separator written after each form of a skeleton.
inline constexpr const char *kSeparator = "=============================";

// Per form: its opening tag, its inputs (opening tags), textareas and selects (whole), taken one
// of each kind per pass, then the separator; each line ends in CR LF. A page without "<form "
// is its own skeleton. A form without "</form>" ends at the next "<form ", and so does its
// opening tag (a tag that does not end before it is left out).
QString skeleton(const QString &page);

struct FieldRow {
    QString name;    // as written in the tag
    QString value;   // a placeholder, a hidden field's encoded value, or empty
};

struct FormFields {
    bool formFound = false;
    QString method;          // "POST" or "GET" (empty without a form)
    QString action;          // as written
    QList<FieldRow> rows;    // unique names ignoring case, in text order
    QString error;           // a tag that never closes stops the scan; the rows so far stay
};

// The fields of the text from its first "<form" on: method and action of the first form, rows
// from every input, textarea and select with a name.
FormFields fields(const QString &text);

// The value of the attribute `attribute` of the tag text (the text after "<"), or the empty
// text. The name counts only as an attribute (at the start or after a blank, then optional
// blanks and "="); a value in quotes keeps its blanks, an unquoted one ends at a blank or ">".
QString getFieldValue(const QString &tagText, const QString &attribute);

// The placeholder the submission fills for a field of that name, or the empty text.
QString placeholderFor(const QString &fieldName);

// A literal value as it goes into a query: form-encoded, line breaks as "%0D" and "%0A".
QString encodeQueryValue(const QString &value);
// The text a stored value stands for: "%XX" as the byte, "+" as a blank.
QString decodeQueryValue(const QString &stored);
// A "<...>" value is filled by the submission and never encoded.
bool isPlaceholder(const QString &value);

} // namespace FormReader
