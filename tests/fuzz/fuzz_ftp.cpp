// What an FTP server sends, line by line, through the readers of the FTP client: reply codes,
// multi-line replies, 227 and 257 replies and listing lines must take any bytes and give only
// values the client can use.
#include <cstdlib>

#include "ftp/modFTP.h"
#include "platform/Codec1252.h"

namespace {

void checkLine(const QString &line, int &openCode)
{
    const int code = modFTP::replyCode(line);
    if (code < 0 || code > 999999)
        std::abort();
    const modFTP::ReplyLine reply = modFTP::readReplyLine(line, openCode);
    if (reply.code < 0 || openCode < 0 || openCode > 999 || (reply.final && openCode != 0 && reply.code != openCode))
        std::abort();
    if (const auto passive = modFTP::parsePassiveReply(line)) {
        if (passive->port < 0 || passive->address.count(u'.') < 3)
            std::abort();
    }
    // A quoted folder keeps its blanks, but never a line end.
    const QString quoted = modFTP::getQuotedPath(line);
    if (quoted.contains(u'\r') || quoted.contains(u'\n'))
        std::abort();
    if (const auto entry = modFTP::parseListingLine(line)) {
        // A name is the rest of the line after the date, blanks included, but never a line end.
        if (entry->name.isEmpty() || entry->name.contains(u'\n')
            || entry->name.contains(u'\r'))
            std::abort();
        (void)modFTP::remoteSizeText(entry->size);
        (void)modFTP::remoteKind(*entry);
    }
    const QString up = modFTP::getUpDir(line);
    if (!up.endsWith(u'/'))
        std::abort();
    const QString resolved = modFTP::resolveRemotePath(QStringLiteral("/pages"), line);
    if (!line.isEmpty() && (!resolved.startsWith(u'/') || resolved.contains(QStringLiteral("/../"))))
        std::abort();
    const auto [host, port] = modFTP::hostAndPort(line);
    if (port < 0 || port > 65535)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = Platform::fromAnsi(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    int openCode = 0;
    qsizetype start = 0;
    while (start < text.size()) {
        const qsizetype end = text.indexOf(u'\n', start);
        const QString line = text.mid(start, end < 0 ? -1 : end - start + 1);
        checkLine(line, openCode);
        start += line.size();
    }
    return 0;
}
