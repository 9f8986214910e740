#include "pagetools/TypingCap.h"

#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>

namespace TypingCap {
namespace {

// A line break stands for CR LF: two characters of the box's text.
int weight(QChar ch)
{
    return ch == u'\n' ? 2 : 1;
}

qsizetype weightOf(const QString &text)
{
    return text.size() + text.count(u'\n');
}

struct Range {
    qsizetype from = 0;
    qsizetype to = 0;
};

// Where the edit's new text stands in `now`, given the text before the edit and the range Qt
// reports (which may be wider: a paste is reported as its whole block). A paste or a drop leaves
// the cursor after what it inserted, which settles where repeated characters belong.
Range insertedRange(const QString &before, const QString &now, qsizetype position, qsizetype added, qsizetype cursor)
{
    const qsizetype grown = now.size() - before.size();
    qsizetype lo = qBound<qsizetype>(0, position, now.size());
    qsizetype hi = qBound<qsizetype>(lo, position + added, now.size());
    if (hi - grown < lo || hi - grown > before.size()) {   // the reported range cannot hold the change
        lo = 0;
        hi = now.size();
    }
    const auto sameUpTo = [&](qsizetype end) {   // now[lo, end) == before[lo, end)
        qsizetype i = lo;
        while (i < end && now[i] == before[i])
            ++i;
        return i;
    };
    const auto sameAfter = [&](qsizetype start) {   // now[start, hi) == before[start - grown, hi - grown)
        for (qsizetype i = start; i < hi; ++i)
            if (now[i] != before[i - grown])
                return false;
        return true;
    };
    if (cursor >= lo && cursor <= hi && cursor - grown >= lo && sameAfter(cursor))
        return {sameUpTo(qMin(cursor, cursor - grown)), cursor};
    const qsizetype from = sameUpTo(qMin(hi, hi - grown));
    qsizetype to = hi;
    while (to > from && to - grown > from && now[to - 1] == before[to - 1 - grown])
        --to;
    return {from, to};
}

class Cap : public QObject {
public:
    Cap(QPlainTextEdit *box, int maxChars, std::function<bool()> programSetting)
        : QObject(box), m_box(box), m_maxChars(maxChars), m_programSetting(std::move(programSetting)),
          m_text(box->toPlainText())
    {
        connect(box->document(), &QTextDocument::contentsChange, this, &Cap::changed);
    }

private:
    void changed(int position, int, int added)
    {
        const QString before = std::exchange(m_text, m_box->toPlainText());
        if (added <= 0 || m_programSetting() || weightOf(m_text) <= m_maxChars)
            return;
        const Range range = insertedRange(before, m_text, position, added, m_box->textCursor().position());
        qsizetype excess = weightOf(m_text) - m_maxChars;
        qsizetype from = range.to;
        while (from > range.from && excess > 0)
            excess -= weight(m_text[--from]);
        QTextCursor cursor(m_box->document());
        cursor.setPosition(int(from));
        cursor.setPosition(int(range.to), QTextCursor::KeepAnchor);
        // One undo step with the edit: undoing the cut alone would only bring the cap back.
        cursor.joinPreviousEditBlock();
        cursor.removeSelectedText();
        cursor.endEditBlock();
        m_text = m_box->toPlainText();   // Qt reports a change made during its report of another one late or not at all
    }

    QPlainTextEdit *m_box;
    int m_maxChars;
    std::function<bool()> m_programSetting;
    QString m_text;   // the box's text after the last change
};

} // namespace

void capEdits(QPlainTextEdit *box, int maxChars, std::function<bool()> programSetting)
{
    new Cap(box, maxChars, std::move(programSetting));
}

} // namespace TypingCap
