#pragma once
// Makes atomic file writes fail as a full disk would, for as long as the object lives: the first
// `allowed` writes (of `onlyPath`, when given) go through, every later one fails and leaves its
// file as it was.
#include <QString>

#include "platform/TextFile.h"

namespace TestSupport {

class FailingWrites {
public:
    explicit FailingWrites(int allowed = 0, const QString &onlyPath = QString())
    {
        Platform::setWriteFailureHook([this, allowed, onlyPath](const QString &path) {
            if (!onlyPath.isEmpty() && path != onlyPath)
                return false;
            return ++m_attempts > allowed;
        });
    }
    ~FailingWrites() { Platform::setWriteFailureHook({}); }
    FailingWrites(const FailingWrites &) = delete;
    FailingWrites &operator=(const FailingWrites &) = delete;

    // The writes tried so far (of `onlyPath`, when given).
    int attempts() const { return m_attempts; }

private:
    int m_attempts = 0;
};

} // namespace TestSupport
