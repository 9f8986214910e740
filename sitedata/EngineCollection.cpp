#include "sitedata/EngineCollection.h"

bool EngineCollection::add(std::unique_ptr<clsEngines> engine)
{
    if (!engine)
        return false;
    const CaseInsensitiveKey key{engine->Name};
    if (m_byName.contains(key))
        return false;
    m_byName.insert(key, engine.get());
    m_engines.push_back(std::move(engine));
    return true;
}

clsEngines *EngineCollection::find(const QString &name) const
{
    return m_byName.value(CaseInsensitiveKey{name}, nullptr);
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
