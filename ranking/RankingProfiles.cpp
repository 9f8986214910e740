#include "ranking/RankingProfiles.h"

#include <QFileInfo>
#include <QSet>

#include "platform/CaseInsensitiveKey.h"
#include "platform/Folders.h"
#include "platform/IniDocument.h"
#include "platform/TextFile.h"

namespace RankingProfiles {
namespace {

QString engineKey(qsizetype row)
{
    return QStringLiteral("Engine") + QString::number(row + 1);
}

bool sameName(const QString &a, const QString &b)
{
    return CaseInsensitiveKey{a.trimmed()} == CaseInsensitiveKey{b.trimmed()};
}

} // namespace

QString errorText(const char *prefix, const QString &file)
{
    return QLatin1String(prefix) + QStringLiteral("The profile file ") + file
           + QStringLiteral(" could not be written.");
}

std::optional<QString> validName(const QString &typed)
{
    const QString name = typed.trimmed();
    if (!Platform::isSafeFileName(name) || name.contains(u'[') || name.contains(u']'))
        return std::nullopt;
    return name;
}

bool contains(const QStringList &names, const QString &name)
{
    for (const QString &listed : names) {
        if (sameName(listed, name))
            return true;
    }
    return false;
}

QList<RankingProfileEntry> list(const QString &file)
{
    const std::optional<Platform::IniDocument> document = Platform::IniDocument::load(file);
    QList<RankingProfileEntry> entries;
    if (!document)
        return entries;
    QSet<CaseInsensitiveKey> seen;
    for (const QString &name : document->sections()) {
        // A blank name cannot be chosen, saved or removed by name.
        if (name.isEmpty() || seen.contains(CaseInsensitiveKey{name}))
            continue;
        seen.insert(CaseInsensitiveKey{name});
        entries.append({name, document->valueOr(name, QStringLiteral("Date"))});
    }
    return entries;
}

std::optional<RankingProfile> load(const QString &file, const QString &name)
{
    const std::optional<Platform::IniDocument> document = Platform::IniDocument::load(file);
    if (!document || !document->hasSection(name))
        return std::nullopt;
    const auto value = [&](const QString &key) { return document->valueOr(name, key); };
    RankingProfile profile;
    profile.url = value(QStringLiteral("URL"));
    profile.keyword = value(QStringLiteral("Keyword"));
    profile.links = value(QStringLiteral("Type")) == QStringLiteral("1");
    profile.value = value(QStringLiteral("Value"));
    for (qsizetype row = 0; row < kRankCheckEngines; ++row)
        profile.engines[row] = value(engineKey(row)).compare(QStringLiteral("True"), Qt::CaseInsensitive) == 0;
    return profile;
}

bool save(const QString &file, const QString &name, const RankingProfile &profile)
{
    std::optional<Platform::IniDocument> document = Platform::IniDocument::load(file);
    if (!document || !validName(name))
        return false;
    const auto set = [&](const QString &key, const QString &value) { document->setValue(name, key, value); };
    set(QStringLiteral("URL"), profile.url);
    set(QStringLiteral("Keyword"), profile.keyword);
    set(QStringLiteral("Type"), profile.links ? QStringLiteral("1") : QStringLiteral("0"));
    set(QStringLiteral("Value"), profile.value);
    for (qsizetype row = 0; row < kRankCheckEngines; ++row)
        set(engineKey(row), profile.engines[row] ? QStringLiteral("True") : QStringLiteral("False"));
    return document->commit();
}

bool remove(const QString &file, const QString &name)
{
    if (!QFileInfo::exists(file))
        return true;
    const std::optional<Platform::IniDocument> document = Platform::IniDocument::load(file);
    if (!document)
        return false;
    // The document tells which lines are headers: the n-th header line, trimmed, is the first
    // line after the (n-1)-th one to read the same, since no other line starts with "[".
    const QStringList headers = document->headerLines();
    const QStringList sections = document->sections();
    qsizetype nextHeader = 0;
    bool dropping = false;
    QString text;
    for (const QString &line : Platform::splitLines(document->text())) {
        if (nextHeader < headers.size() && line.trimmed() == headers[nextHeader])
            dropping = sameName(sections[nextHeader++], name);
        if (!dropping)
            text += line + QStringLiteral("\r\n");
    }
    return Platform::writeTextFileAtomically(file, text + QStringLiteral("\r\n"));
}

} // namespace RankingProfiles
