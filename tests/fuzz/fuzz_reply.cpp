// Reading a submission reply (status line, headers, body) must take any bytes a server sends,
// keep its texts within their caps, count every body byte and give a known status.
#include <cstdlib>

#include "platform/Codec1252.h"
#include "submission/SubmitHttp.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString reply = Platform::fromAnsi(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    modDSSock::SubmitSocket record;
    qint64 bodyBytes = 0;
    qsizetype start = 0;
    while (start < reply.size()) {
        const qsizetype end = reply.indexOf(u'\n', start);
        const QString line = reply.mid(start, end < 0 ? -1 : end - start + 1);
        const bool inBody = !record.readingHeader;
        SubmitHttp::readReplyLine(record, line);
        if (inBody)
            bodyBytes += line.size();
        start += line.size();
    }
    if (record.Header.size() > SubmitHttp::kMaxKeptText || record.Body.size() > SubmitHttp::kMaxKeptText)
        std::abort();
    if (record.bytesReceived != bodyBytes)
        std::abort();
    const int status = SubmitHttp::statusOnClose(record);
    if (status != 2 && status != 3 && status != 13 && status != 14)
        std::abort();
    (void)SubmitHttp::statusText(status);
    return 0;
}
