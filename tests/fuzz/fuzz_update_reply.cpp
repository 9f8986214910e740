// The engine data download's reply reader fed as the socket feeds it: header lines up to LF,
// then the body in chunks of random sizes. A reply completes a file only with status 200, an
// ended header and a byte count that matches its Content-Length (or, without one, an orderly
// close), and the file gets exactly the body bytes up to that length.
#include <cstdlib>
#include <random>

#include "enginedata/UpdateReply.h"
#include "platform/Codec1252.h"
#include "platform/DsSocket.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    std::minstd_rand chunkSizes(data[0]);
    const int closeCode = data[1] & 1;
    const QByteArray reply(reinterpret_cast<const char *>(data + 2), qsizetype(size - 2));

    QByteArray stored;
    QByteArray fed;
    UpdateReply reader;
    reader.setSink([&stored](QByteArrayView bytes) {
        stored += bytes.toByteArray();
        return true;
    });
    bool failed = false;
    qsizetype at = 0;
    while (at < reply.size() && !failed) {
        if (reader.readingHeader()) {
            qsizetype end = reply.indexOf('\n', at);
            if (end < 0 || end - at >= Platform::DsSocket::kMaxLineBytes)
                end = qMin(reply.size(), at + Platform::DsSocket::kMaxLineBytes) - 1;
            const QByteArray line = reply.mid(at, end - at + 1);
            failed = reader.headerLine(Platform::fromAnsi(line)) == UpdateReply::Step::Failed;
            at += line.size();
        } else {
            const QByteArray chunk = reply.mid(at, qsizetype(chunkSizes() % 4096) + 1);
            fed += chunk;
            failed = reader.bodyBytes(chunk) == UpdateReply::Step::Failed;
            at += chunk.size();
        }
    }
    const std::optional<qint64> length = reader.contentLength();
    if (reader.completeAt(closeCode)) {
        if (failed || reader.status() != 200 || !reader.headerEnded())
            std::abort();
        if (length ? reader.bodyBytesReceived() != *length : closeCode != 0)
            std::abort();
    }
    if (!failed && stored != fed.left(length ? qsizetype(*length) : fed.size()))
        std::abort();
    if (stored.size() != reader.bodyBytesReceived() || reader.loggedBody() != stored.left(UpdateReply::kLoggedBodyBytes))
        std::abort();
    return 0;
}
