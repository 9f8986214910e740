#include "pagetools/MetaTagWrites.h"

#include <memory>

MetaTagWrites::MetaTagWrites(int threads)
{
    m_pool.setMaxThreadCount(threads);
}

MetaTagWrites::~MetaTagWrites()
{
    m_pool.waitForDone();
}

void MetaTagWrites::write(modCommon::MetaTagEdit edit)
{
    if (m_pending.size() >= size_t(kMaxPending))
        m_pending.front().written.wait();
    auto done = std::make_shared<std::promise<bool>>();
    std::future<bool> written = done->get_future();
    m_pool.start([done, edit] { done->set_value(modCommon::writeMetaTagEdit(edit)); });
    m_pending.push_back({std::move(edit), std::move(written)});
    reportFinished(false);
}

void MetaTagWrites::finish()
{
    reportFinished(true);
}

void MetaTagWrites::reportFinished(bool wait)
{
    while (!m_pending.empty()) {
        Pending &front = m_pending.front();
        if (!wait && front.written.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
            return;
        const bool written = front.written.get();
        const modCommon::MetaTagEdit edit = std::move(front.edit);
        m_pending.pop_front();
        if (!written)
            modCommon::reportUnwrittenEdit(edit);
    }
}
