// Any page: extracting meta tags and plain text never crashes or hangs, and inserting meta tags
// into a file only adds text: every byte of the page is still there, in order.
#include "core/modCommonHtml.h"
#include "platform/Codec1252.h"
#include "platform/Dialogs.h"
#include "platform/TextFile.h"
#include "transport/modDSSockUrl.h"

#include <QTemporaryDir>
#include <cstdlib>

namespace {

bool isSubsequence(const QByteArray &small, const QByteArray &big)
{
    qsizetype at = 0;
    for (char c : small) {
        at = big.indexOf(c, at);
        if (at < 0)
            return false;
        ++at;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir dir;
    static const bool quietDialogs = [] {
        Platform::setDialogHook([](const Platform::DialogRequest &) { return Platform::DialogAnswer{}; });
        return true;
    }();
    (void)quietDialogs;
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const QString html = Platform::fromAnsi(bytes);

    QString keywords, description, title, text;
    modCommon::retrieveMetaTag(html, keywords, description, title, text);
    (void)modDSSock::htmlToText(html);

    const QString file = dir.path() + QStringLiteral("/page.htm");
    if (!Platform::writeBinaryFileAtomically(file, bytes))
        std::abort();
    (void)modCommon::readHTMLFile(file, modCommon::HeadPart);
    (void)modCommon::readHTMLFile(file, modCommon::BodyPart);
    modCommon::insertMetaTag(file, QStringLiteral("T"), QStringLiteral("k<meta content=\""),
                             QStringLiteral("d"));
    if (!isSubsequence(bytes, Platform::readBinaryFile(file).value_or(QByteArray())))
        std::abort();

    if (!Platform::writeBinaryFileAtomically(file, bytes))
        std::abort();
    modCommon::replaceMetaTag(file, QStringLiteral("T"), QStringLiteral("k"), QStringLiteral("d"));
    if (!Platform::readBinaryFile(file).value_or(QByteArray()).endsWith("\r\n"))
        std::abort();
    return 0;
}
