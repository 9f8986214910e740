#include "platform/LongWordWrap.h"

#include <memory>

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextOption>

namespace LongWordWrap {
namespace {

bool isBlank(QChar ch)
{
    return ch.isSpace() || ch == QChar::ParagraphSeparator;
}

// Whether the text holds a word of more than kLongWordChars characters.
bool holdsLongWord(const QString &text)
{
    int run = 0;
    for (const QChar ch : text) {
        run = isBlank(ch) ? 0 : run + 1;
        if (run > kLongWordChars)
            return true;
    }
    return false;
}

// Sits on a block that holds a long word and counts itself among the box's marks. The document
// deletes a block's mark with the block (a merge, a cut, a new text), which takes it off the
// count; a word never crosses blocks, so the count says whether the box holds a long word.
class LongWordMark : public QTextBlockUserData {
public:
    explicit LongWordMark(std::shared_ptr<int> marks) : m_marks(std::move(marks)) { ++*m_marks; }
    ~LongWordMark() override { --*m_marks; }
    LongWordMark(const LongWordMark &) = delete;
    LongWordMark &operator=(const LongWordMark &) = delete;

private:
    std::shared_ptr<int> m_marks;
};

// Marks or unmarks the block by its text now.
void markBlock(QTextBlock block, const std::shared_ptr<int> &marks)
{
    const bool holds = holdsLongWord(block.text());
    const bool marked = block.userData() != nullptr;
    if (holds != marked)
        block.setUserData(holds ? new LongWordMark(marks) : nullptr);
}

// Looks again at the blocks the change touched, each read once: a keystroke costs a walk over
// its paragraph, which Qt lays out again for it anyway.
void followChange(QPlainTextEdit *box, const std::shared_ptr<int> &marks, int position, int added)
{
    const QTextDocument *document = box->document();
    QTextBlock block = document->findBlock(position);
    const QTextBlock last = document->findBlock(position + added);
    for (; block.isValid(); block = block.next()) {
        markBlock(block, marks);
        if (block == last)
            break;
    }
    const QTextOption::WrapMode wanted = *marks > 0 ? QTextOption::WrapAnywhere : QTextOption::WrapAtWordBoundaryOrAnywhere;
    if (box->wordWrapMode() != wanted)
        box->setWordWrapMode(wanted);
}

} // namespace

void keepWrappingFast(QPlainTextEdit *box)
{
    auto marks = std::make_shared<int>(0);
    QObject::connect(box->document(), &QTextDocument::contentsChange, box,
                     [box, marks](int position, int, int added) { followChange(box, marks, position, added); });
    followChange(box, marks, 0, box->document()->characterCount());
}

} // namespace LongWordWrap
