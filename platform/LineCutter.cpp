#include "platform/LineCutter.h"

#include "platform/TextFile.h"

namespace Platform {

bool LineCutter::take(QByteArrayView chunk)
{
    const char *bytes = chunk.data();
    const qsizetype size = chunk.size();
    qsizetype start = m_afterCr && size > 0 && bytes[0] == '\n' ? 1 : 0;
    m_afterCr = false;
    for (qsizetype i = start; i < size; ++i) {
        // Text bytes lie above CR: one comparison passes over them.
        if (static_cast<unsigned char>(bytes[i]) > '\r')
            continue;
        const char byte = bytes[i];
        if (byte != '\r' && byte != '\n')
            continue;
        if (!endLine(QByteArrayView(bytes + start, i - start)))
            return false;
        if (byte == '\r') {
            if (i + 1 == size)
                m_afterCr = true;
            else if (bytes[i + 1] == '\n')
                ++i;
        }
        start = i + 1;
    }
    hold(QByteArrayView(bytes + start, size - start));
    return true;
}

void LineCutter::finish()
{
    if (m_overlong || !m_pending.isEmpty())
        endLine(QByteArrayView());
}

void LineCutter::hold(QByteArrayView bytes)
{
    if (m_overlong)
        return;
    if (m_pending.size() + bytes.size() > kMaxLineBytes) {
        m_overlong = true;
        m_pending.clear();
        return;
    }
    m_pending.append(bytes);
}

bool LineCutter::endLine(QByteArrayView bytes)
{
    ++m_lineNumber;
    bool goOn = true;
    if (m_pending.isEmpty() && !m_overlong && bytes.size() <= kMaxLineBytes) {
        goOn = m_onLine(bytes);
    } else {
        hold(bytes);
        if (m_overlong)
            m_skipped.append(m_lineNumber);
        else
            goOn = m_onLine(m_pending);
    }
    m_pending.clear();
    m_overlong = false;
    return goOn;
}

} // namespace Platform
