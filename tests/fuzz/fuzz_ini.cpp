// Any file content: reads never crash, and a write followed by a read gives the value back
// (line breaks turned into spaces, blanks trimmed) while lines of other sections stay.
#include "platform/Codec1252.h"
#include "platform/IniFile.h"
#include "platform/TextFile.h"

#include <QDir>
#include <QTemporaryDir>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir dir;
    const QString file = dir.path() + QStringLiteral("/fuzz.ini");
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    if (!Platform::writeBinaryFileAtomically(file, bytes))
        std::abort();

    // The first bytes pick the section, key and value; the rest is the file.
    const QString all = Platform::fromAnsi(bytes);
    // Names are trimmed last: what is left once brackets and line breaks are gone may be white space
    // only, and the writer refuses such a name.
    const QString section = all.left(3).remove(u'[').remove(u']').remove(u'\r').remove(u'\n').trimmed();
    const QString key = all.mid(3, 2).remove(u'=').remove(u'[').remove(u';').remove(u'\r').remove(u'\n').trimmed();
    const QString value = all.mid(5, 8);

    (void)Platform::iniSections(file);
    (void)Platform::iniKeys(file, section);
    (void)Platform::iniRead(file, section, key);
    if (section.isEmpty() || key.isEmpty())
        return 0;

    if (!Platform::iniWrite(file, section, key, value))
        std::abort();
    const auto back = Platform::iniRead(file, section, key);
    if (!back || *back != Platform::trimBlanks(Platform::lineBreaksToSpaces(value)))
        std::abort();
    return 0;
}
