#include "pagetools/TypingCap.h"

#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>

#include "core/modCommon.h"

namespace TypingCap {
namespace {

void takeBackExcess(QPlainTextEdit *box, int position, int added, int maxChars)
{
    int excess = int(modCommon::multiLineText(box).size()) - maxChars;
    if (excess <= 0)
        return;
    QTextDocument *document = box->document();
    // A change that fills the document may count its closing separator among the added.
    const int end = qMin(position + added, document->characterCount() - 1);
    QTextCursor cursor(document);
    cursor.setPosition(end);
    for (int taken = 0; taken < end - position && excess > 0; ++taken) {
        // A line break stands for CR LF: two characters of the text.
        excess -= document->characterAt(cursor.position() - 1) == QChar::ParagraphSeparator ? 2 : 1;
        cursor.movePosition(QTextCursor::PreviousCharacter, QTextCursor::KeepAnchor);
    }
    cursor.removeSelectedText();
}

} // namespace

void capEdits(QPlainTextEdit *box, int maxChars, std::function<bool()> programSetting)
{
    QObject::connect(box->document(), &QTextDocument::contentsChange, box,
                     [box, maxChars, programSetting = std::move(programSetting)](int position, int, int added) {
                         if (added > 0 && !programSetting())
                             takeBackExcess(box, position, added, maxChars);
                     });
}

} // namespace TypingCap
