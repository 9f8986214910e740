#include "platform/IniFile.h"

#include "platform/IniDocument.h"

#include <QStringList>

namespace Platform {

// Only blanks and tabs are trimmed: QString::trimmed() would also eat a no-break space
// (byte 0xA0) or form feed that belongs to the value.
QString trimBlanks(const QString &text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && (text[start] == u' ' || text[start] == u'\t'))
        ++start;
    while (end > start && (text[end - 1] == u' ' || text[end - 1] == u'\t'))
        --end;
    return text.mid(start, end - start);
}

QString lineBreaksToSpaces(const QString &value)
{
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c == u'\r' && i + 1 < value.size() && value[i + 1] == u'\n') {
            out += u' ';
            ++i;
        } else if (c == u'\r' || c == u'\n') {
            out += u' ';
        } else {
            out += c;
        }
    }
    return out;
}

std::optional<QString> iniRead(const QString &file, const QString &section, const QString &key)
{
    const std::optional<IniDocument> document = IniDocument::load(file);
    return document ? document->value(section, key) : std::nullopt;
}

QStringList iniKeys(const QString &file, const QString &section)
{
    const std::optional<IniDocument> document = IniDocument::load(file);
    return document ? document->keys(section) : QStringList();
}

QStringList iniSections(const QString &file)
{
    const std::optional<IniDocument> document = IniDocument::load(file);
    return document ? document->sections() : QStringList();
}

bool iniWrite(const QString &file, const QString &section, const QString &key, const QString &value)
{
    std::optional<IniDocument> document = IniDocument::load(file);
    return document && document->setValue(section, key, value) && document->commit();
}

} // namespace Platform
