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
class Matcher {
public:
    explicit Matcher(const QStringList &patterns);
    // Occurrences of each pattern, each counted only where it starts after the end of the last
    // one counted.
    std::vector<int> count(const QString &text) const;

private:
    int child(int node, char16_t c) const;
    int addChild(int node, char16_t c);
    void linkFailures();

    std::vector<int> m_rootChild = std::vector<int>(0x10000, 0);   // 0: none
    std::unordered_map<quint64, int> m_children;                     // (node, char) -> child
    std::vector<int> m_parent{0};
    std::vector<char16_t> m_char{0};
    std::vector<int> m_depth{0};
    std::vector<int> m_pattern{-1};   // the pattern ending at a node, else -1
    std::vector<int> m_fail{0};
    std::vector<int> m_nextEnd{0};    // the nearest shorter node on the failure chain ending a pattern, 0 none
    int m_patternCount = 0;
};

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
    }
    linkFailures();
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
    if (node == 0)
        m_rootChild[c] = added;
    else
        m_children.emplace((quint64(node) << 16) | c, added);
    return added;
}

// Nodes in order of depth, so that every shorter node has its links before it is used.
void Matcher::linkFailures()
{
    const size_t nodes = m_parent.size();
    m_fail.assign(nodes, 0);
    m_nextEnd.assign(nodes, 0);
    std::vector<int> byDepth(nodes);
    for (size_t n = 0; n < nodes; ++n)
        byDepth[n] = int(n);
    std::stable_sort(byDepth.begin(), byDepth.end(), [this](int a, int b) { return m_depth[size_t(a)] < m_depth[size_t(b)]; });
    for (const int node : byDepth) {
        const int parent = m_parent[size_t(node)];
        if (node == 0 || parent == 0)
            continue;   // the root's children fail to the root
        const char16_t c = m_char[size_t(node)];
        int fallback = m_fail[size_t(parent)];
        while (fallback != 0 && child(fallback, c) == 0)
            fallback = m_fail[size_t(fallback)];
        m_fail[size_t(node)] = child(fallback, c);
        const int fail = m_fail[size_t(node)];
        m_nextEnd[size_t(node)] = m_pattern[size_t(fail)] >= 0 ? fail : m_nextEnd[size_t(fail)];
    }
}

std::vector<int> Matcher::count(const QString &text) const
{
    std::vector<int> counts(size_t(m_patternCount), 0);
    std::vector<qsizetype> freeFrom(size_t(m_patternCount), 0);   // where the next counted one may start
    int state = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = folded(text[i]);
        int next = child(state, c);
        while (next == 0 && state != 0) {
            state = m_fail[size_t(state)];
            next = child(state, c);
        }
        state = next;
        for (int end = m_pattern[size_t(state)] >= 0 ? state : m_nextEnd[size_t(state)]; end != 0;
             end = m_nextEnd[size_t(end)]) {
            const size_t p = size_t(m_pattern[size_t(end)]);
            const qsizetype start = i + 1 - m_depth[size_t(end)];
            if (start >= freeFrom[p]) {
                ++counts[p];
                freeFrom[p] = i + 1;
            }
        }
    }
    return counts;
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
