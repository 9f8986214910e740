#include "pagetools/KeywordCounts.h"

#include <algorithm>
#include <unordered_map>
#include <vector>

#include <QHash>

namespace KeywordCounts {
namespace {

char16_t folded(QChar ch)
{
    const char16_t c = ch.unicode();
    return (c >= u'A' && c <= u'Z') ? char16_t(c + (u'a' - u'A')) : c;
}

// A keyword automaton (Aho-Corasick) over the distinct folded keywords. Node 0 is the root.
//
// A keyword without a border (no proper prefix that is also its suffix) never overlaps itself,
// so its count is the number of its occurrences: one count per node visited, summed once along
// the failure links. A keyword with a border is counted where it ends, each one counted only
// where it starts after the end of its last counted one. Such a keyword of period q at most half
// its length ("aaa", "abab") occurs every q characters through a stretch of the text that
// repeats with period q; its counts there follow from the stretch's end, found once per stretch
// and period, and while the stretch lasts the walk steps over it and every shorter keyword of the
// same period at once. The walk thus stays linear in the text and the keywords, also when the
// keywords nest ("a", "aa", "aaa", ...).
class Matcher {
public:
    explicit Matcher(const QStringList &patterns);
    // Occurrences of each pattern, each counted only where it starts after the end of the last
    // one counted.
    std::vector<int> count(const QString &text) const;

private:
    struct Counting;
    int child(int node, char16_t c) const;
    int addChild(int node, char16_t c);
    std::vector<int> nodesByDepth() const;
    void linkFailures(const std::vector<int> &byDepth);
    void linkBordered(const std::vector<int> &byDepth);
    bool bordered(int node) const { return m_pattern[size_t(node)] >= 0 && m_period[size_t(node)] < m_depth[size_t(node)]; }
    bool periodic(int node) const { return 2 * m_period[size_t(node)] <= m_depth[size_t(node)]; }

    std::vector<int> m_rootChild = std::vector<int>(0x10000, 0);   // 0: none
    std::unordered_map<quint64, int> m_children;                     // (node, char) -> child
    std::vector<int> m_parent{0};
    std::vector<char16_t> m_char{0};
    std::vector<int> m_depth{0};
    std::vector<int> m_pattern{-1};   // the pattern ending at a node, else -1
    std::vector<int> m_period{0};     // a pattern node's smallest period
    std::vector<int> m_fail{0};
    std::vector<int> m_byDepth;       // nodes in order of depth
    std::vector<int> m_nextBordered;  // the nearest shorter node on the failure chain ending a bordered pattern, 0 none
    std::vector<int> m_belowPeriod;   // of a periodic node: that nearest one shorter than twice its period
    int m_patternCount = 0;
};

// The smallest period of a pattern: its length less its longest border.
int smallestPeriod(const QString &pattern)
{
    std::vector<int> border(size_t(pattern.size()), 0);
    for (qsizetype i = 1; i < pattern.size(); ++i) {
        int k = border[size_t(i - 1)];
        while (k > 0 && pattern[i] != pattern[k])
            k = border[size_t(k - 1)];
        border[size_t(i)] = pattern[i] == pattern[k] ? k + 1 : 0;
    }
    return int(pattern.size()) - (pattern.isEmpty() ? 0 : border.back());
}

Matcher::Matcher(const QStringList &patterns) : m_patternCount(int(patterns.size()))
{
    for (int p = 0; p < m_patternCount; ++p) {
        int node = 0;
        for (QChar ch : patterns[p]) {
            const char16_t c = folded(ch);
            const int next = child(node, c);
            node = next != 0 ? next : addChild(node, c);
        }
        m_pattern[size_t(node)] = p;
        m_period[size_t(node)] = smallestPeriod(patterns[p]);
    }
    m_byDepth = nodesByDepth();
    linkFailures(m_byDepth);
    linkBordered(m_byDepth);
}

int Matcher::child(int node, char16_t c) const
{
    if (node == 0)
        return m_rootChild[c];
    const auto found = m_children.find((quint64(node) << 16) | c);
    return found == m_children.end() ? 0 : found->second;
}

int Matcher::addChild(int node, char16_t c)
{
    const int added = int(m_parent.size());
    m_parent.push_back(node);
    m_char.push_back(c);
    m_depth.push_back(m_depth[size_t(node)] + 1);
    m_pattern.push_back(-1);
    m_period.push_back(0);
    if (node == 0)
        m_rootChild[c] = added;
    else
        m_children.emplace((quint64(node) << 16) | c, added);
    return added;
}

std::vector<int> Matcher::nodesByDepth() const
{
    std::vector<int> byDepth(m_parent.size());
    for (size_t n = 0; n < byDepth.size(); ++n)
        byDepth[n] = int(n);
    std::stable_sort(byDepth.begin(), byDepth.end(), [this](int a, int b) { return m_depth[size_t(a)] < m_depth[size_t(b)]; });
    return byDepth;
}

// In order of depth, so that every shorter node has its links before it is used.
void Matcher::linkFailures(const std::vector<int> &byDepth)
{
    m_fail.assign(byDepth.size(), 0);
    for (const int node : byDepth) {
        const int parent = m_parent[size_t(node)];
        if (node == 0 || parent == 0)
            continue;   // the root's children fail to the root
        const char16_t c = m_char[size_t(node)];
        int fallback = m_fail[size_t(parent)];
        while (fallback != 0 && child(fallback, c) == 0)
            fallback = m_fail[size_t(fallback)];
        m_fail[size_t(node)] = child(fallback, c);
    }
}

// The shorter keywords on a periodic keyword's failure chain down to twice its period are its
// suffixes of that period: the one below them follows from the next one's.
void Matcher::linkBordered(const std::vector<int> &byDepth)
{
    m_nextBordered.assign(byDepth.size(), 0);
    m_belowPeriod.assign(byDepth.size(), 0);
    for (const int node : byDepth) {
        if (node == 0)
            continue;
        const int fail = m_fail[size_t(node)];
        const int next = bordered(fail) ? fail : m_nextBordered[size_t(fail)];
        m_nextBordered[size_t(node)] = next;
        if (bordered(node) && periodic(node))
            m_belowPeriod[size_t(node)] = next == 0 || m_depth[size_t(next)] < 2 * m_period[size_t(node)]
                                              ? next : m_belowPeriod[size_t(next)];
    }
}

// The state of one count over one text.
struct Matcher::Counting {
    const Matcher &matcher;
    std::vector<char16_t> text;
    std::vector<int> counts;
    std::vector<qsizetype> freeFrom;    // per node: where its next counted occurrence may start
    std::vector<qsizetype> stretchEnd;  // per periodic node: the last end counted with its stretch
    std::unordered_map<int, std::pair<qsizetype, qsizetype>> repeats;   // period -> [from, to) of text[k] == text[k - period]

    // The first position from `from` on where the text stops repeating with `period`.
    qsizetype repeatsUpTo(int period, qsizetype from)
    {
        auto &known = repeats[period];
        if (known.first <= from && from <= known.second)
            return known.second;
        qsizetype to = from;
        const auto size = qsizetype(text.size());
        while (to < size && text[size_t(to)] == text[size_t(to - period)])
            ++to;
        known = {from, to};
        return to;
    }

    void countOne(int node, qsizetype end)
    {
        const size_t n = size_t(node);
        if (end + 1 - matcher.m_depth[n] >= freeFrom[n]) {
            ++counts[size_t(matcher.m_pattern[n])];
            freeFrom[n] = end + 1;
        }
    }

    // A periodic keyword ending at `end` after no occurrence a period before: it occurs every
    // period characters while the text repeats; counted every ceil(length / period) of them.
    void countStretch(int node, qsizetype end)
    {
        const size_t n = size_t(node);
        const qsizetype period = matcher.m_period[n];
        const qsizetype length = matcher.m_depth[n];
        const qsizetype last = (repeatsUpTo(int(period), end + 1) - 1 - end) / period;   // occurrences end + t * period, t <= last
        stretchEnd[n] = end + last * period;
        const qsizetype first = qMax<qsizetype>(0, (freeFrom[n] + length - 1 - end + period - 1) / period);
        if (first > last)
            return;
        const qsizetype step = (length + period - 1) / period;
        const qsizetype picks = (last - first) / step + 1;
        counts[size_t(matcher.m_pattern[n])] += int(picks);
        freeFrom[n] = end + (first + step * (picks - 1)) * period + 1;
    }
};

std::vector<int> Matcher::count(const QString &text) const
{
    const size_t nodes = m_parent.size();
    Counting counting{*this, std::vector<char16_t>(size_t(text.size())), std::vector<int>(size_t(m_patternCount), 0),
                      std::vector<qsizetype>(nodes, 0), std::vector<qsizetype>(nodes, -1), {}};
    for (qsizetype i = 0; i < text.size(); ++i)
        counting.text[size_t(i)] = folded(text[i]);
    std::vector<qint64> visits(nodes, 0);
    int state = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = counting.text[size_t(i)];
        int next = child(state, c);
        while (next == 0 && state != 0) {
            state = m_fail[size_t(state)];
            next = child(state, c);
        }
        state = next;
        ++visits[size_t(state)];
        for (int node = bordered(state) ? state : m_nextBordered[size_t(state)]; node != 0;) {
            if (!periodic(node)) {
                counting.countOne(node, i);
                node = m_nextBordered[size_t(node)];
            } else if (i <= counting.stretchEnd[size_t(node)]) {
                node = m_belowPeriod[size_t(node)];   // it and its shorter suffixes of its period are counted
            } else {
                counting.countStretch(node, i);
                node = m_nextBordered[size_t(node)];
            }
        }
    }
    // A node's visits count for every node on its failure chain.
    for (auto it = m_byDepth.crbegin(); it != m_byDepth.crend(); ++it)
        if (*it != 0)
            visits[size_t(m_fail[size_t(*it)])] += visits[size_t(*it)];
    for (size_t n = 1; n < nodes; ++n)
        if (m_pattern[n] >= 0 && !bordered(int(n)))
            counting.counts[size_t(m_pattern[n])] = int(visits[n]);
    return counting.counts;
}

QString foldedText(const QString &text)
{
    QString result(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i)
        result[i] = QChar(folded(text[i]));
    return result;
}

} // namespace

QList<int> countAll(const QString &text, const QStringList &keywords)
{
    // Keywords that differ only in letter case count the same: one pattern each.
    QHash<QString, int> ids;
    QStringList patterns;
    QList<int> idOf;
    idOf.reserve(keywords.size());
    for (const QString &keyword : keywords) {
        if (keyword.isEmpty()) {
            idOf.append(-1);
            continue;
        }
        const QString key = foldedText(keyword);
        auto found = ids.constFind(key);
        if (found == ids.cend()) {
            found = ids.insert(key, int(patterns.size()));
            patterns.append(key);
        }
        idOf.append(*found);
    }
    const std::vector<int> counts = Matcher(patterns).count(text);
    QList<int> result;
    result.reserve(keywords.size());
    for (const int id : idOf)
        result.append(id < 0 ? 0 : counts[size_t(id)]);
    return result;
}

} // namespace KeywordCounts
