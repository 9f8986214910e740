#include "pagetools/KeywordCounts.h"

#include <algorithm>
#include <numeric>
#include <unordered_map>
#include <utility>
#include <vector>

namespace KeywordCounts {
namespace {

char16_t folded(QChar ch)
{
    const char16_t c = ch.unicode();
    return (c >= u'A' && c <= u'Z') ? char16_t(c + (u'a' - u'A')) : c;
}

// A keyword as a stretch of the one text all keywords are folded into.
struct Pattern {
    qsizetype from = 0;
    int length = 0;
};

// A keyword automaton (Aho-Corasick) over the distinct folded keywords. Node 0 is the root.
//
// The nodes are numbered by depth, and at each depth in the order of the text they spell, so the
// children of a node are neighbours in the numbering and each node needs only the start of its
// children, its character, its failure link and two counters: some 18 bytes a node, built
// without a map of edges, so that a keywords tag of megabytes takes a small multiple of its own
// size.
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
    // `patterns`: distinct and not empty, in the order of their text, stretches of `text`. Both
    // are let go once the automaton holds what it needs of them.
    Matcher(QString text, std::vector<Pattern> patterns);
    // Occurrences of each pattern, each counted only where it starts after the end of the last
    // one counted.
    std::vector<int> count(const QString &text) const;

private:
    // A keyword with a border. `next` and `belowPeriod` are 1 + an index into m_bordered, 0 none.
    struct Bordered {
        int node = 0;
        int pattern = 0;
        int length = 0;
        int period = 0;     // its smallest period
        int next = 0;       // the nearest shorter one on its failure chain
        int belowPeriod = 0;   // periodic ones: that nearest one shorter than twice the period
        bool periodic() const { return 2 * period <= length; }
    };
    struct Counting;

    int child(int node, char16_t c) const;
    void buildTrie(const QString &text, const std::vector<Pattern> &patterns);
    void findBordered(const QString &text, const std::vector<Pattern> &patterns);
    void linkFailures();
    void linkBordered();

    std::vector<int> m_rootChild = std::vector<int>(0x10000, 0);   // 0: none
    std::vector<char16_t> m_char;     // per node: the character that leads to it
    std::vector<int> m_firstChild;    // per node and one more: its children are [m_firstChild[n], m_firstChild[n + 1])
    std::vector<int> m_fail;
    std::vector<int> m_firstBordered;   // per node: 1 + the nearest bordered keyword on its failure chain, itself included
    std::vector<int> m_patternNode;
    std::vector<Bordered> m_bordered;   // in the order of their nodes
};

// The smallest period of a pattern: its length less its longest border.
int smallestPeriod(QStringView pattern, std::vector<int> &border)
{
    border.assign(size_t(pattern.size()), 0);
    for (qsizetype i = 1; i < pattern.size(); ++i) {
        int k = border[size_t(i - 1)];
        while (k > 0 && pattern[i] != pattern[k])
            k = border[size_t(k - 1)];
        border[size_t(i)] = pattern[i] == pattern[k] ? k + 1 : 0;
    }
    return int(pattern.size()) - border.back();
}

Matcher::Matcher(QString text, std::vector<Pattern> patterns)
{
    buildTrie(text, patterns);
    findBordered(text, patterns);
    text = QString();
    std::vector<Pattern>().swap(patterns);
    linkFailures();
    linkBordered();
}

int Matcher::child(int node, char16_t c) const
{
    if (node == 0)
        return m_rootChild[c];
    const auto first = m_char.begin() + m_firstChild[size_t(node)];
    const auto last = m_char.begin() + m_firstChild[size_t(node) + 1];
    const auto found = std::lower_bound(first, last, c);
    return found != last && *found == c ? int(found - m_char.begin()) : 0;
}

// Depth by depth: a pattern reaches a new node at a depth unless it shares that much with the
// pattern before it, whose node at that depth was made just before.
void Matcher::buildTrie(const QString &text, const std::vector<Pattern> &patterns)
{
    const size_t count = patterns.size();
    std::vector<int> shared(count, 0);   // with the pattern before
    size_t nodes = 1;
    for (size_t p = 0; p < count; ++p) {
        if (p > 0) {
            const QStringView a = QStringView(text).mid(patterns[p - 1].from, patterns[p - 1].length);
            const QStringView b = QStringView(text).mid(patterns[p].from, patterns[p].length);
            const auto mismatch = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
            shared[p] = int(mismatch.first - a.begin());
        }
        nodes += size_t(patterns[p].length - shared[p]);
    }
    m_char.reserve(nodes);
    m_firstChild.reserve(nodes + 1);
    m_char.push_back(0);
    m_patternNode.assign(count, 0);
    std::vector<int> at(count, 0);   // each pattern's node at the depth reached
    std::vector<int> growing(count);
    std::iota(growing.begin(), growing.end(), 0);
    for (int depth = 0; !growing.empty(); ++depth) {
        size_t kept = 0;
        int made = 0;
        for (const int p : growing) {
            if (shared[size_t(p)] <= depth) {
                const int parent = at[size_t(p)];
                made = int(m_char.size());
                const char16_t c = text[patterns[size_t(p)].from + depth].unicode();
                m_char.push_back(c);
                if (parent == 0)
                    m_rootChild[c] = made;
                while (m_firstChild.size() <= size_t(parent))
                    m_firstChild.push_back(made);
            }
            at[size_t(p)] = made;
            if (patterns[size_t(p)].length == depth + 1)
                m_patternNode[size_t(p)] = made;
            else
                growing[kept++] = p;
        }
        growing.resize(kept);
    }
    while (m_firstChild.size() <= m_char.size())
        m_firstChild.push_back(int(m_char.size()));
}

// Parent by parent in the numbering, so every shorter node has its link before it is used.
void Matcher::linkFailures()
{
    m_fail.assign(m_char.size(), 0);
    for (size_t parent = 1; parent < m_char.size(); ++parent) {
        for (int node = m_firstChild[parent]; node < m_firstChild[parent + 1]; ++node) {
            const char16_t c = m_char[size_t(node)];
            int fallback = m_fail[parent];
            int next = child(fallback, c);
            while (next == 0 && fallback != 0) {
                fallback = m_fail[size_t(fallback)];
                next = child(fallback, c);
            }
            m_fail[size_t(node)] = next;
        }
    }
}

void Matcher::findBordered(const QString &text, const std::vector<Pattern> &patterns)
{
    std::vector<int> border;
    for (size_t p = 0; p < patterns.size(); ++p) {
        const int period = smallestPeriod(QStringView(text).mid(patterns[p].from, patterns[p].length), border);
        if (period < patterns[p].length)
            m_bordered.push_back({m_patternNode[p], int(p), patterns[p].length, period, 0, 0});
    }
    std::sort(m_bordered.begin(), m_bordered.end(), [](const Bordered &a, const Bordered &b) { return a.node < b.node; });
}

// The shorter keywords on a periodic keyword's failure chain down to twice its period are its
// suffixes of that period: the one below them follows from the next one's.
void Matcher::linkBordered()
{
    m_firstBordered.assign(m_char.size(), 0);
    for (size_t b = 0; b < m_bordered.size(); ++b)
        m_firstBordered[size_t(m_bordered[b].node)] = int(b) + 1;
    for (size_t node = 1; node < m_char.size(); ++node)
        if (m_firstBordered[node] == 0)
            m_firstBordered[node] = m_firstBordered[size_t(m_fail[node])];
    for (Bordered &keyword : m_bordered) {
        const int next = m_firstBordered[size_t(m_fail[size_t(keyword.node)])];
        keyword.next = next;
        if (keyword.periodic())
            keyword.belowPeriod = next == 0 || m_bordered[size_t(next - 1)].length < 2 * keyword.period
                                      ? next : m_bordered[size_t(next - 1)].belowPeriod;
    }
}

// The state of one count over one text, per bordered keyword.
struct Matcher::Counting {
    const QString &text;
    std::vector<int> &counts;
    std::vector<qsizetype> freeFrom;     // where its next counted occurrence may start
    std::vector<qsizetype> stretchEnd;   // periodic ones: the last end counted with its stretch
    std::unordered_map<int, std::pair<qsizetype, qsizetype>> repeats;   // period -> [from, to) of text[k] == text[k - period]

    // The first position from `from` on where the text stops repeating with `period`.
    qsizetype repeatsUpTo(int period, qsizetype from)
    {
        auto &known = repeats[period];
        if (known.first <= from && from <= known.second)
            return known.second;
        qsizetype to = from;
        while (to < text.size() && folded(text[to]) == folded(text[to - period]))
            ++to;
        known = {from, to};
        return to;
    }

    void countOne(size_t b, const Bordered &keyword, qsizetype end)
    {
        if (end + 1 - keyword.length >= freeFrom[b]) {
            ++counts[size_t(keyword.pattern)];
            freeFrom[b] = end + 1;
        }
    }

    // A periodic keyword ending at `end` after no occurrence a period before: it occurs every
    // period characters while the text repeats; counted every ceil(length / period) of them.
    void countStretch(size_t b, const Bordered &keyword, qsizetype end)
    {
        const qsizetype period = keyword.period;
        const qsizetype length = keyword.length;
        const qsizetype last = (repeatsUpTo(int(period), end + 1) - 1 - end) / period;   // occurrences end + t * period, t <= last
        stretchEnd[b] = end + last * period;
        const qsizetype first = qMax<qsizetype>(0, (freeFrom[b] + length - 1 - end + period - 1) / period);
        if (first > last)
            return;
        const qsizetype step = (length + period - 1) / period;
        const qsizetype picks = (last - first) / step + 1;
        counts[size_t(keyword.pattern)] += int(picks);
        freeFrom[b] = end + (first + step * (picks - 1)) * period + 1;
    }
};

std::vector<int> Matcher::count(const QString &text) const
{
    std::vector<int> counts(m_patternNode.size(), 0);
    Counting counting{text, counts, std::vector<qsizetype>(m_bordered.size(), 0),
                      std::vector<qsizetype>(m_bordered.size(), -1), {}};
    std::vector<quint32> visits(m_char.size(), 0);
    int state = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = folded(text[i]);
        int next = child(state, c);
        while (next == 0 && state != 0) {
            state = m_fail[size_t(state)];
            next = child(state, c);
        }
        state = next;
        ++visits[size_t(state)];
        for (int b = m_firstBordered[size_t(state)]; b != 0;) {
            const size_t index = size_t(b - 1);
            const Bordered &keyword = m_bordered[index];
            if (!keyword.periodic()) {
                counting.countOne(index, keyword, i);
                b = keyword.next;
            } else if (i <= counting.stretchEnd[index]) {
                b = keyword.belowPeriod;   // it and its shorter suffixes of its period are counted
            } else {
                counting.countStretch(index, keyword, i);
                b = keyword.next;
            }
        }
    }
    // A node's visits count for every node on its failure chain; deeper nodes come later.
    for (size_t node = m_char.size() - 1; node > 0; --node)
        visits[size_t(m_fail[node])] += visits[node];
    for (size_t p = 0; p < m_patternNode.size(); ++p) {
        const int node = m_patternNode[p];
        if (m_firstBordered[size_t(node)] == 0 || m_bordered[size_t(m_firstBordered[size_t(node)] - 1)].node != node)
            counts[p] = int(visits[size_t(node)]);
    }
    return counts;
}

} // namespace

QList<int> countAll(const QString &text, const QStringList &keywords)
{
    // The keywords folded into one text, in their order; sorted, keywords that differ only in
    // letter case are neighbours and count as one pattern.
    QString foldedKeywords;
    qsizetype total = 0;
    for (const QString &keyword : keywords)
        total += keyword.size();
    foldedKeywords.reserve(total);
    std::vector<Pattern> stretches;
    stretches.reserve(size_t(keywords.size()));
    for (const QString &keyword : keywords) {
        stretches.push_back({foldedKeywords.size(), int(keyword.size())});
        for (QChar ch : keyword)
            foldedKeywords.append(QChar(folded(ch)));
    }
    const auto view = [&](int k) { return QStringView(foldedKeywords).mid(stretches[size_t(k)].from, stretches[size_t(k)].length); };
    // Each keyword's first four characters as one number, so that most comparisons of the sort
    // need not look into the text.
    struct Sorted {
        quint64 prefix;
        int keyword;
    };
    std::vector<Sorted> order;
    order.reserve(stretches.size());
    for (int k = 0; k < int(stretches.size()); ++k) {
        quint64 prefix = 0;
        const QStringView keyword = view(k);
        for (qsizetype i = 0; i < 4; ++i)
            prefix = (prefix << 16) | (i < keyword.size() ? keyword[i].unicode() : 0u);
        if (!keyword.isEmpty())
            order.push_back({prefix, k});
    }
    const auto same = [&](const Sorted &a, const Sorted &b) { return a.prefix == b.prefix && view(a.keyword) == view(b.keyword); };
    std::sort(order.begin(), order.end(), [&](const Sorted &a, const Sorted &b) {
        return a.prefix != b.prefix ? a.prefix < b.prefix : view(a.keyword) < view(b.keyword);
    });
    std::vector<Pattern> patterns;
    std::vector<int> patternOf(stretches.size(), -1);
    for (size_t i = 0; i < order.size(); ++i) {
        if (i == 0 || !same(order[i], order[i - 1]))
            patterns.push_back(stretches[size_t(order[i].keyword)]);
        patternOf[size_t(order[i].keyword)] = int(patterns.size()) - 1;
    }
    std::vector<Sorted>().swap(order);
    std::vector<Pattern>().swap(stretches);
    const std::vector<int> counts = Matcher(std::move(foldedKeywords), std::move(patterns)).count(text);
    QList<int> result;
    result.reserve(keywords.size());
    for (const int p : patternOf)
        result.append(p < 0 ? 0 : counts[size_t(p)]);
    return result;
}

} // namespace KeywordCounts
