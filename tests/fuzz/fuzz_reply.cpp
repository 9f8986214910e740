// Reading a reply (status line, headers, body) must take any bytes a server sends. The shared
// helpers give only codes and lengths a caller can use; the submission on top of the reply reader
// keeps its texts within their caps, counts the body bytes up to Content-Length and gives a known
// status, Failed for a reply that is not whole.
#include <cstdlib>

#include "platform/Codec1252.h"
#include "submission/SubmitHttp.h"
#include "transport/HttpReply.h"

using namespace Qt::StringLiterals;

namespace {

void checkSharedReader(const QString &line)
{
    if (HttpReply::isStatusLine(line)) {
        const std::optional<int> code = HttpReply::statusCode(line);
        if (code && (*code < 1 || *code > 999) && *code != HttpReply::kNoSpaceStatus)
            std::abort();
    }
    if (const std::optional<QString> value = HttpReply::fieldValue(line, "Content-Length"_L1)) {
        if (value->contains(u'\n') || HttpReply::lengthValue(*value).value_or(0) < 0)
            std::abort();
    }
    const auto [host, port] = HttpReply::splitHostPort(line);
    if (port < 1 || port > 65535 || !line.startsWith(host))
        std::abort();
    if (HttpReply::endsHeader(line) && line.trimmed().size() != 0)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString reply = Platform::fromAnsi(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    modDSSock::SubmitSocket record;
    qint64 bodyBytes = 0;
    qsizetype start = 0;
    while (start < reply.size()) {
        const qsizetype end = reply.indexOf(u'\n', start);
        const QString line = reply.mid(start, end < 0 ? -1 : end - start + 1);
        const bool inBody = !record.reply.readingHeader();
        checkSharedReader(line);
        SubmitHttp::readReplyLine(record, line);
        if (inBody)
            bodyBytes += line.size();
        start += line.size();
    }
    if (record.Header.size() > SubmitHttp::kMaxKeptText || record.Body.size() > SubmitHttp::kMaxKeptText)
        std::abort();
    const std::optional<qint64> length = record.reply.contentLength();
    const qint64 counted = record.reply.failed() ? record.reply.bodyBytesReceived() : qMin(bodyBytes, length.value_or(bodyBytes));
    if (record.reply.bodyBytesReceived() != counted || counted > bodyBytes)
        std::abort();
    const int status = SubmitHttp::statusOnClose(record);
    if (status != 2 && status != 3 && status != 13 && status != 14)
        std::abort();
    if (!HttpReplyReader::isWhole(record.reply.atClose()) && status != 3)
        std::abort();
    (void)SubmitHttp::statusText(status);
    return 0;
}
