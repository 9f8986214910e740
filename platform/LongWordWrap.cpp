#include "platform/LongWordWrap.h"

#include <QPlainTextEdit>
#include <QTextDocument>
#include <QTextOption>

namespace LongWordWrap {
namespace {

bool isBlank(QChar ch)
{
    return ch.isSpace() || ch == QChar::ParagraphSeparator;
}

bool longRun(int &run, QChar ch)
{
    run = isBlank(ch) ? 0 : run + 1;
    return run > kLongWordChars;
}

// Whether the text holds a long word.
bool holdsLongWord(const QString &text)
{
    int run = 0;
    for (const QChar ch : text)
        if (longRun(run, ch))
            return true;
    return false;
}

// Whether the words of the document from the one around `from` to the one around `to` hold a
// long one: the characters of a part, not the whole text.
bool holdsLongWord(const QTextDocument *document, int from, int to)
{
    const int last = document->characterCount() - 1;
    while (from > 0 && to - from <= kLongWordChars && !isBlank(document->characterAt(from - 1)))
        --from;
    int run = 0;
    for (int at = from; at < last && (at < to || run > 0); ++at)
        if (longRun(run, document->characterAt(at)))
            return true;
    return false;
}

void chooseMode(QPlainTextEdit *box, int position, int added)
{
    const QTextDocument *document = box->document();
    const bool wholeText = position == 0 && added >= document->characterCount() - 1;
    const bool anywhere = box->wordWrapMode() == QTextOption::WrapAnywhere;
    if (wholeText || !anywhere) {
        const bool wanted = wholeText ? holdsLongWord(document->toPlainText())
                                      : holdsLongWord(document, position, position + added);
        if (wanted != anywhere)
            box->setWordWrapMode(wanted ? QTextOption::WrapAnywhere : QTextOption::WrapAtWordBoundaryOrAnywhere);
    }
}

} // namespace

void keepWrappingFast(QPlainTextEdit *box)
{
    QObject::connect(box->document(), &QTextDocument::contentsChange, box, [box](int position, int, int added) {
        if (added > 0)
            chooseMode(box, position, added);
    });
}

} // namespace LongWordWrap
