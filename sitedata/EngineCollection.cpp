#include "sitedata/EngineCollection.h"

bool EngineCollection::add(std::unique_ptr<clsEngines> engine)
{
    if (!engine)
        return false;
    if (!m_byName.insert(engine->Name, qint32(m_engines.size()), nameAt()))
        return false;
    m_engines.push_back(std::move(engine));
    return true;
}

clsEngines *EngineCollection::find(const QString &name) const
{
    const qint32 position = m_byName.find(name, nameAt());
    return position == NameIndex::NotFound ? nullptr : m_engines[size_t(position)].get();
}

void EngineCollection::clear()
{
    // A handler may remove itself while it runs.
    const auto handlers = m_clearHandlers;
    for (const auto &entry : handlers)
        entry.second();
    m_byName.clear();
    m_engines.clear();
}

int EngineCollection::addClearHandler(std::function<void()> handler)
{
    const int id = m_nextHandlerId++;
    m_clearHandlers.emplace(id, std::move(handler));
    return id;
}

void EngineCollection::removeClearHandler(int id)
{
    m_clearHandlers.erase(id);
}

EngineCollection &myEngines()
{
    static EngineCollection engines;
    return engines;
}
