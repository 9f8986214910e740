#include "ranking/RankingProfiles.h"

#include <QFileInfo>
#include <QSet>

#include "platform/CaseInsensitiveKey.h"
#include "platform/Codec1252.h"
#include "platform/Folders.h"
#include "platform/IniDocument.h"
#include "platform/TextFile.h"

namespace RankingProfiles {
namespace {

QString engineKey(qsizetype row)
{
    return QStringLiteral("Engine") + QString::number(row + 1);
}

const QString kCrLf = QStringLiteral("\r\n");
const QString kReportSuffix = QStringLiteral(".html");

// The box text for the characters of a field the file has no byte for.
QString unheldText(const QString &what, const QString &missing)
{
    return QStringLiteral("The profile file can not hold these characters of the ") + what + QStringLiteral(": ")
           + missing;
}

} // namespace

QString errorText(const char *prefix, const QString &file)
{
    return QLatin1String(prefix) + QStringLiteral("The profile file ") + file
           + QStringLiteral(" could not be written.");
}

std::optional<QString> nameProblem(const QString &typed, const QStringList &listed)
{
    const QString name = typed.trimmed();
    if (!Platform::isSafeFileName(name) || name.contains(u'[') || name.contains(u']'))
        return QString::fromLatin1(kInvalidName);
    if (const QString missing = Platform::charsWithoutAnsiByte(name); !missing.isEmpty()) {
        const QString readBack = Platform::fromAnsi(Platform::toAnsi(name)).trimmed();
        QString text = QStringLiteral("Invalid Profile name. ") + unheldText(QStringLiteral("name"), missing) + kCrLf
                       + kCrLf + QStringLiteral("It would be read back as '") + readBack + u'\'';
        if (contains(listed, readBack))
            text += QStringLiteral(", the name of another profile");
        return text + u'.';
    }
    // The folder of the reports is named after the profile, and so is the report in it.
    if (!Platform::fitsFileName(name + kReportSuffix))
        return QStringLiteral("Invalid Profile name. The name is too long to name the folder and the file of "
                              "its report. Please use a shorter name.");
    return std::nullopt;
}

std::optional<QString> validName(const QString &typed)
{
    if (nameProblem(typed))
        return std::nullopt;
    return typed.trimmed();
}

std::optional<QString> valueProblem(const RankingProfile &profile)
{
    const std::pair<QString, QString> fields[] = {{QStringLiteral("URL"), profile.url},
                                                  {QStringLiteral("Keywords"), profile.keyword},
                                                  {QStringLiteral("number of pages or links"), profile.value}};
    for (const auto &[what, value] : fields) {
        if (const QString missing = Platform::charsWithoutAnsiByte(value); !missing.isEmpty())
            return unheldText(what, missing) + kCrLf + kCrLf + QStringLiteral("Please change them and try again.");
    }
    return std::nullopt;
}

bool contains(const QStringList &names, const QString &name)
{
    for (const QString &listed : names) {
        if (Platform::IniDocument::sameSection(listed, name))
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
    if (!document || !validName(name) || valueProblem(profile))
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
            dropping = Platform::IniDocument::sameSection(sections[nextHeader++], name);
        if (!dropping)
            text += line + QStringLiteral("\r\n");
    }
    return Platform::writeTextFileAtomically(file, text + QStringLiteral("\r\n"));
}

} // namespace RankingProfiles
