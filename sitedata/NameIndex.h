#pragma once
// Finds entries of a list by name, ignoring case, for lists of up to hundreds of thousands of
// entries: a table of positions into the caller's list, each beside its name's hash (open
// addressing, at most half full), so the index keeps no copy of any name, no node per entry, and
// a probe reads a name only when the hashes agree. The caller says where each position's name is.
// Entries are only ever added; clear() drops them all.
#include <vector>

#include <QList>
#include <QString>


class NameIndex {
public:
    static constexpr qint32 NotFound = -1;

    // The hash names are filed under: equal for names equal ignoring case.
    static quint32 hashOf(const QString &name)
    {
        quint32 hash = 2166136261u;
        for (const QChar ch : name) {
            const char16_t unit = ch.unicode();
            // ASCII folds by itself; other characters as CaseInsensitiveKey folds them.
            const char16_t folded = unit < 0x80 ? (unit >= u'A' && unit <= u'Z' ? char16_t(unit | 0x20) : unit)
                                                : ch.toCaseFolded().unicode();
            hash = (hash ^ folded) * 16777619u;
        }
        return hash;
    }

    // CaseInsensitiveKey's equality, without the copies of the two names it would take.
    static bool sameName(QStringView a, QStringView b)
    {
        if (a.size() != b.size())
            return false;
        for (qsizetype i = 0; i < a.size(); ++i) {
            if (a[i] != b[i] && a[i].toCaseFolded() != b[i].toCaseFolded())
                return false;
        }
        return true;
    }

    // The position stored under that name, or NotFound. `nameAt(position)` gives a stored name.
    template <typename NameAt>
    qint32 find(const QString &name, const NameAt &nameAt) const
    {
        if (m_slots.empty())
            return NotFound;
        return m_slots[slotFor(name, hashOf(name), nameAt)].position;
    }

    // Brings the name's first slot into the cache ahead of an insert or a look-up.
    void prefetch(const QString &name) const
    {
        if (!m_slots.empty())
            __builtin_prefetch(&m_slots[hashOf(name) & (m_slots.size() - 1)]);
    }

    // Stores the position under the name; false (nothing stored) when the name is already there.
    template <typename NameAt>
    bool insert(const QString &name, qint32 position, const NameAt &nameAt)
    {
        if ((m_count + 1) * 2 > m_slots.size())
            rehash(m_slots.empty() ? 16 : m_slots.size() * 2);
        const quint32 hash = hashOf(name);
        Slot &slot = m_slots[slotFor(name, hash, nameAt)];
        if (slot.position != NotFound)
            return false;
        slot = {hash, position};
        ++m_count;
        return true;
    }

    void clear()
    {
        m_slots = std::vector<Slot>();
        m_count = 0;
    }

    // Room for `size` names without growing.
    void reserve(qsizetype size)
    {
        size_t wanted = 16;
        while (wanted < size_t(size) * 2)
            wanted *= 2;
        if (wanted > m_slots.size())
            rehash(wanted);
    }

private:
    struct Slot {
        quint32 hash = 0;
        qint32 position = NotFound;   // NotFound marks a free slot
    };

    // The slot holding the name, or the free slot where it would go.
    template <typename NameAt>
    size_t slotFor(const QString &name, quint32 hash, const NameAt &nameAt) const
    {
        const size_t mask = m_slots.size() - 1;
        for (size_t at = hash & mask;; at = (at + 1) & mask) {
            const Slot &slot = m_slots[at];
            if (slot.position == NotFound || (slot.hash == hash && sameName(nameAt(slot.position), name)))
                return at;
        }
    }

    void rehash(size_t slotCount)
    {
        std::vector<Slot> old(slotCount);
        old.swap(m_slots);
        const size_t mask = m_slots.size() - 1;
        for (const Slot &slot : old) {
            if (slot.position == NotFound)
                continue;
            size_t at = slot.hash & mask;
            while (m_slots[at].position != NotFound)
                at = (at + 1) & mask;
            m_slots[at] = slot;
        }
    }

    std::vector<Slot> m_slots;   // a power of two in size
    size_t m_count = 0;
};

// A set of names compared ignoring case, over a NameIndex: each name keeps the text it was first
// added with.
class NameSet {
    // Where the index finds the name of a stored position.
    struct NameAt {
        const QList<QString> &names;
        const QString &operator()(qint32 position) const { return names[position]; }
    };

public:
    void reserve(qsizetype size)
    {
        m_names.reserve(size);
        m_index.reserve(size);
    }

    // False (nothing added) when an equal name is there already.
    bool insert(const QString &name)
    {
        if (!m_index.insert(name, qint32(m_names.size()), NameAt{m_names}))
            return false;
        m_names.append(name);
        return true;
    }
    // The name as it was added, or null.
    const QString *find(const QString &name) const
    {
        const qint32 position = m_index.find(name, NameAt{m_names});
        return position == NameIndex::NotFound ? nullptr : &m_names[position];
    }
    void clear()
    {
        m_index.clear();
        m_names.clear();
    }

private:
    QList<QString> m_names;
    NameIndex m_index;
};
