// Any page: the skeleton and the field scan end, the skeleton holds only text of the page (its
// lines, the separators aside, are pieces of the page) and stays within a small multiple of its
// size, and the rows have non-empty names that differ ignoring case.
#include <cstdlib>

#include <QSet>
#include <QStringList>

#include "enginedata/FormReader.h"
#include "platform/Codec1252.h"

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

void checkRows(const FormReader::FormFields &found)
{
    QSet<QString> names;
    for (const FormReader::FieldRow &row : found.rows) {
        check(!row.name.isEmpty());
        check(!names.contains(row.name.toCaseFolded()));
        names.insert(row.name.toCaseFolded());
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString page = Platform::fromAnsi(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    const QString skeleton = FormReader::skeleton(page);
    check(skeleton.size() <= 8 * page.size() + 64);   // bounded by the page, whatever its tags
    if (!page.contains(QLatin1String("<form "), Qt::CaseInsensitive)) {
        check(skeleton == page);
    } else {
        for (const QString &line : skeleton.split(QLatin1String("\r\n")))
            check(line == QLatin1String(FormReader::kSeparator) || page.contains(line));
    }
    checkRows(FormReader::fields(page));
    checkRows(FormReader::fields(skeleton));
    const QString value = FormReader::getFieldValue(page, QStringLiteral("name"));
    check(page.contains(value));
    check(FormReader::decodeQueryValue(FormReader::encodeQueryValue(page)) == page);
    return 0;
}
