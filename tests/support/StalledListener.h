#pragma once
// A listening socket on 127.0.0.1 whose accept queue is full: the kernel drops further
// connection requests, so a connect to it stays under way until it is given up.
#include <vector>

namespace TestSupport {

class StalledListener {
public:
    StalledListener();
    ~StalledListener();
    StalledListener(const StalledListener &) = delete;
    StalledListener &operator=(const StalledListener &) = delete;

    // Whether the queue could be filled; a test cannot rely on the stall otherwise.
    bool full() const { return m_full; }
    int port() const { return m_port; }

private:
    int m_listener = -1;
    std::vector<int> m_clients;
    int m_port = 0;
    bool m_full = false;
};

} // namespace TestSupport
