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
    m_byName.clear();
    m_engines.clear();
}

EngineCollection &myEngines()
{
    static EngineCollection engines;
    return engines;
}
