#pragma once
// The writes of a bulk meta-tag update, overlapped on a few threads: each file is still replaced
// atomically and flushed to disk, but the next file is edited while earlier ones are written. The
// boxes of failed writes are shown on the caller's thread, in the order the edits came.
#include <deque>
#include <future>

#include <QThreadPool>

#include "core/modCommonHtml.h"

class MetaTagWrites {
public:
    explicit MetaTagWrites(int threads = kThreads);
    // Waits for every write; their failures are not reported then.
    ~MetaTagWrites();
    MetaTagWrites(const MetaTagWrites &) = delete;
    MetaTagWrites &operator=(const MetaTagWrites &) = delete;

    static constexpr int kThreads = 32;
    static constexpr int kMaxPending = 128;

    // Starts the write; waits first while kMaxPending writes are under way. Reports the writes
    // finished by then.
    void write(modCommon::MetaTagEdit edit);
    // Waits for every write and reports its failures.
    void finish();

private:
    struct Pending {
        modCommon::MetaTagEdit edit;
        std::future<bool> written;
    };
    // Reports the front writes that have finished (all of them when `wait` is set).
    void reportFinished(bool wait);

    QThreadPool m_pool;
    std::deque<Pending> m_pending;
};
