// The codec must map any bytes to text and back unchanged, and never fail on any text.
#include "platform/Codec1252.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const QString text = Platform::fromAnsi(bytes);
    if (text.size() != bytes.size() || Platform::toAnsi(text) != bytes)
        std::abort();

    // The same bytes read as UTF-16 give arbitrary text, surrogates included.
    const QString wide(reinterpret_cast<const QChar *>(data), static_cast<qsizetype>(size / 2));
    bool all = false;
    const QByteArray encoded = Platform::toAnsi(wide, &all);
    if (encoded.size() != wide.size())
        std::abort();
    (void)Platform::toAnsiHtml(wide);
    return 0;
}
