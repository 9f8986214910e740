#pragma once
// The engine collection: every engine of the engine database keyed by name (ignoring case), in
// insertion order. One process-wide instance, reached through myEngines().
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include <QString>

#include "sitedata/NameIndex.h"
#include "sitedata/clsEngines.h"

class EngineCollection {
public:
    // Adds the engine under its name; false (engine not taken) when the name is already a key.
    bool add(std::unique_ptr<clsEngines> engine);
    // The engine of that name (ignoring case), or null.
    clsEngines *find(const QString &name) const;
    bool contains(const QString &name) const { return find(name) != nullptr; }
    // Asks the processor to fetch where that name will be filed, while the rest of its engine is read.
    void prefetch(const QString &name) const { m_byName.prefetch(name); }

    qsizetype count() const { return static_cast<qsizetype>(m_engines.size()); }
    bool isEmpty() const { return m_engines.empty(); }
    clsEngines &at(qsizetype index) const { return *m_engines[static_cast<size_t>(index)]; }
    // Drops every engine. Whoever keeps pointers to the records is told first.
    void clear();

    // A handler called at the start of every clear(), until it is removed by its id.
    int addClearHandler(std::function<void()> handler);
    void removeClearHandler(int id);

    // Iteration in insertion order over clsEngines&.
    class const_iterator {
    public:
        explicit const_iterator(std::vector<std::unique_ptr<clsEngines>>::const_iterator it) : m_it(it) {}
        clsEngines &operator*() const { return **m_it; }
        clsEngines *operator->() const { return m_it->get(); }
        const_iterator &operator++() { ++m_it; return *this; }
        bool operator!=(const const_iterator &other) const { return m_it != other.m_it; }
        bool operator==(const const_iterator &other) const { return m_it == other.m_it; }
    private:
        std::vector<std::unique_ptr<clsEngines>>::const_iterator m_it;
    };
    const_iterator begin() const { return const_iterator(m_engines.cbegin()); }
    const_iterator end() const { return const_iterator(m_engines.cend()); }

private:
    std::vector<std::unique_ptr<clsEngines>> m_engines;
    // Where the name index finds the name of a stored position.
    auto nameAt() const
    {
        return [this](qint32 position) -> const QString & { return m_engines[size_t(position)]->Name; };
    }

    NameIndex m_byName;
    std::map<int, std::function<void()>> m_clearHandlers;
    int m_nextHandlerId = 0;
};

EngineCollection &myEngines();
