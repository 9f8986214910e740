#pragma once
// Finds entries of a list by name, ignoring case, for lists of up to hundreds of thousands of
// entries: a table of 4-byte positions into the caller's list (open addressing, at most half
// full), so the index keeps no copy of any name and no node per entry. The caller says where each
// position's name is. Entries are only ever added; clear() drops them all.
#include <vector>

#include <QString>

#include "platform/CaseInsensitiveKey.h"

class NameIndex {
public:
    static constexpr qint32 NotFound = -1;

    // The position stored under that name, or NotFound. `nameAt(position)` gives a stored name.
    template <typename NameAt>
    qint32 find(const QString &name, const NameAt &nameAt) const
    {
        if (m_slots.empty())
            return NotFound;
        return m_slots[slotFor(name, nameAt)];
    }

    // Stores the position under the name; false (nothing stored) when the name is already there.
    template <typename NameAt>
    bool insert(const QString &name, qint32 position, const NameAt &nameAt)
    {
        if ((m_count + 1) * 2 > m_slots.size())
            rehash(m_slots.empty() ? 16 : m_slots.size() * 2, nameAt);
        const size_t slot = slotFor(name, nameAt);
        if (m_slots[slot] != NotFound)
            return false;
        m_slots[slot] = position;
        ++m_count;
        return true;
    }

    void clear()
    {
        m_slots = std::vector<qint32>();
        m_count = 0;
    }

private:
    static size_t hashOf(const QString &name) { return qHash(CaseInsensitiveKey{name}); }

    // The slot holding the name, or the free slot where it would go.
    template <typename NameAt>
    size_t slotFor(const QString &name, const NameAt &nameAt) const
    {
        const size_t mask = m_slots.size() - 1;
        const CaseInsensitiveKey key{name};
        for (size_t slot = hashOf(name) & mask;; slot = (slot + 1) & mask) {
            const qint32 position = m_slots[slot];
            if (position == NotFound || CaseInsensitiveKey{nameAt(position)} == key)
                return slot;
        }
    }

    template <typename NameAt>
    void rehash(size_t slotCount, const NameAt &nameAt)
    {
        std::vector<qint32> old(slotCount, NotFound);
        old.swap(m_slots);
        const size_t mask = m_slots.size() - 1;
        for (qint32 position : old) {
            if (position == NotFound)
                continue;
            size_t slot = hashOf(nameAt(position)) & mask;
            while (m_slots[slot] != NotFound)
                slot = (slot + 1) & mask;
            m_slots[slot] = position;
        }
    }

    std::vector<qint32> m_slots;   // a power of two in size; NotFound marks a free slot
    size_t m_count = 0;
};
