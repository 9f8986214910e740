#include "platform/modBase64Encode.h"

#include "platform/Codec1252.h"
#include "platform/Dialogs.h"

namespace modBase64Encode {
namespace {

// A multiple of 3, so only the last piece can carry padding and the pieces join seamlessly.
constexpr qsizetype kChunkLength = 54;

} // namespace

QString Encode(const QString &chunk)
{
    bool allEncoded = true;
    const QByteArray bytes = Platform::toAnsi(chunk, &allEncoded);
    if (!allEncoded) {
        Platform::msgBox(QStringLiteral("Invalid procedure call or argument: a character has no code in "
                                        "the Windows-1252 code page"),
                         Platform::Exclamation, QStringLiteral("Encode"));
        return QString();
    }
    return QString::fromLatin1(bytes.toBase64());
}

QString base64Encode(const QString &text)
{
    QString result;
    for (qsizetype at = 0; at < text.size(); at += kChunkLength)
        result += Encode(text.mid(at, kChunkLength));
    return result;
}

} // namespace modBase64Encode
