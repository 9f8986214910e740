// Any page gives an optimizer report without a crash or hang and with no "<script" in it: the
// report's own text holds none, so one could only come from a value left unescaped. Any profile
// value without blanks or tabs at its ends comes back whole from a profile file.
#include "pagetools/DoorwayProfile.h"
#include "pagetools/OptimizerReport.h"
#include "platform/Codec1252.h"
#include "platform/IniDocument.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const QString page = Platform::fromAnsi(bytes);
    const OptimizerReport::Credits credits{QStringLiteral("logo.example/a.gif"), 0, QStringLiteral("Co"),
                                           QStringLiteral("me@example.com"), QStringLiteral("http://site.example/"),
                                           QStringLiteral("Me"), QStringLiteral("http://tips.example/")};
    const QString report = OptimizerReport::reportText(QStringLiteral("http://www.example.com/"), page, credits);
    if (report.contains(QStringLiteral("<script"), Qt::CaseInsensitive))
        std::abort();

    // The same bytes as UTF-8 reach characters outside Windows-1252 too.
    for (const QString &value : {page, QString::fromUtf8(bytes)}) {
        const auto blank = [](QChar c) { return c == u' ' || c == u'\t'; };
        if (value.isEmpty() || blank(value.front()) || blank(value.back()))
            continue;
        Platform::IniDocument profile = Platform::IniDocument::fromText(QStringLiteral("p"), QString());
        profile.setValue(QStringLiteral("Doorway Page"), QStringLiteral("Body"), DoorwayProfile::encodeValue(value));
        const Platform::IniDocument reread =
            Platform::IniDocument::fromText(QStringLiteral("p"), Platform::fromAnsi(Platform::toAnsi(profile.text())));
        const QString stored = reread.valueOr(QStringLiteral("Doorway Page"), QStringLiteral("Body"));
        if (DoorwayProfile::decodeValue(stored) != value)
            std::abort();
    }
    return 0;
}
