#pragma once
// A reply cut into the pieces a socket in line mode hands over: each line with its LF, and a last
// piece without one.
#include <QByteArray>
#include <QList>

namespace TestSupport {

inline QList<QByteArray> replyLines(const QByteArray &reply)
{
    QList<QByteArray> lines;
    for (qsizetype at = 0; at < reply.size();) {
        const qsizetype end = reply.indexOf('\n', at);
        const qsizetype next = end < 0 ? reply.size() : end + 1;
        lines << reply.mid(at, next - at);
        at = next;
    }
    return lines;
}

} // namespace TestSupport
