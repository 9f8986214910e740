#include "sitedata/SiteFile.h"

#include <QFileDevice>
#include <QSet>

#include "platform/CaseInsensitiveKey.h"
#include "platform/IniFile.h"
#include "platform/Numbers.h"
#include "sitedata/clsMainText.h"

namespace {

using Field = std::pair<QLatin1StringView, QString SiteFields::*>;

// Saved before the URL list.
const Field kLeadingFields[] = {
    {QLatin1StringView("Title"), &SiteFields::title},       {QLatin1StringView("Keyword"), &SiteFields::keyword},
    {QLatin1StringView("Description"), &SiteFields::description}, {QLatin1StringView("WebType"), &SiteFields::webType},
    {QLatin1StringView("Language"), &SiteFields::language},
};

// Saved after the URL list.
const Field kTrailingFields[] = {
    {QLatin1StringView("MainCategory"), &SiteFields::mainCategory}, {QLatin1StringView("Category"), &SiteFields::category},
    {QLatin1StringView("YourName"), &SiteFields::yourName},         {QLatin1StringView("Email"), &SiteFields::email},
    {QLatin1StringView("Company"), &SiteFields::company},           {QLatin1StringView("Address"), &SiteFields::address},
    {QLatin1StringView("City"), &SiteFields::city},                 {QLatin1StringView("postcode"), &SiteFields::postcode},
    {QLatin1StringView("State"), &SiteFields::state},               {QLatin1StringView("Country"), &SiteFields::country},
    {QLatin1StringView("Phone"), &SiteFields::phone},               {QLatin1StringView("Fax"), &SiteFields::fax},
    {QLatin1StringView("Password"), &SiteFields::password},
};

const QString kCurrentVersion = QStringLiteral("6.0");

} // namespace

std::optional<SiteFile> SiteFile::load(const QString &file)
{
    std::optional<Platform::IniDocument> document = Platform::IniDocument::load(file);
    if (!document)
        return std::nullopt;
    return SiteFile(std::move(*document));
}

QString SiteFile::value(QLatin1StringView key) const
{
    return m_document.valueOr(SiteKeys::SiteInfo, key);
}

SiteFields SiteFile::fields() const
{
    SiteFields fields;
    for (const auto &[key, member] : kLeadingFields)
        fields.*member = value(key);
    for (const auto &[key, member] : kTrailingFields)
        fields.*member = value(key);
    return fields;
}

QList<SiteUrl> SiteFile::urls() const
{
    QList<SiteUrl> list;
    QSet<CaseInsensitiveKey> seen;
    auto add = [&](const QString &url, const QString &localFile) {
        const qsizetype before = seen.size();
        if (!url.isEmpty() && (seen.insert(CaseInsensitiveKey{url}), seen.size() > before))
            list.append({url, localFile});
    };
    if (value(SiteKeys::Version).isEmpty())
        add(value(SiteKeys::OldURL), value(SiteKeys::OldLocalFile));
    const int last = clsMainText::leadingDigits(value(SiteKeys::LastURL));
    const QMap<int, QString> urls = m_document.numberedValues(SiteKeys::Urls, SiteKeys::UrlPrefix);
    const QMap<int, QString> localFiles = m_document.numberedValues(SiteKeys::Urls, SiteKeys::LocalFilePrefix);
    list.reserve(list.size() + urls.size());
    seen.reserve(list.size() + urls.size());
    for (auto it = urls.cbegin(); it != urls.cend() && it.key() <= last; ++it)
        add(it.value(), localFiles.value(it.key()));
    return list;
}

QList<SiteReport> SiteFile::reports() const
{
    QList<SiteReport> list;
    const int last = clsMainText::leadingDigits(value(SiteKeys::LastReport));
    const QMap<int, QString> urls = m_document.numberedValues(SiteKeys::Reports, SiteKeys::UrlPrefix);
    const QMap<int, QString> files = m_document.numberedValues(SiteKeys::Reports, SiteKeys::ReportFilePrefix);
    const QMap<int, QString> dates = m_document.numberedValues(SiteKeys::Reports, SiteKeys::DatePrefix);
    for (auto it = urls.cbegin(); it != urls.cend() && it.key() <= last; ++it) {
        const QString file = files.value(it.key());
        if (!it.value().isEmpty() && !file.isEmpty())
            list.append({it.value(), dates.value(it.key()), file});
    }
    return list;
}

QString SiteFile::customCategory(const QString &engine) const
{
    return m_document.valueOr(SiteKeys::CustomCategory, engine);
}

void SiteFile::put(QLatin1StringView section, const QString &key, const QString &value)
{
    const std::optional<QString> stored = m_document.value(section, key);
    const QString readBack = Platform::trimBlanks(Platform::lineBreaksToSpaces(value));
    if (stored == readBack || (!m_fresh && !stored && readBack.isEmpty()))
        return;
    m_changed = m_document.setValue(section, key, value) || m_changed;
}

void SiteFile::writeUrls(const QList<SiteUrl> &list)
{
    // A list that reads back from the file as it is needs no key changed.
    if (list == urls())
        return;
    for (qsizetype i = 0; i < list.size(); ++i) {
        const QString n = QString::number(i + 1);
        put(SiteKeys::Urls, SiteKeys::UrlPrefix + n, list[i].url);
        put(SiteKeys::Urls, SiteKeys::LocalFilePrefix + n, list[i].localFile);
    }
    put(SiteKeys::SiteInfo, SiteKeys::LastURL, QString::number(list.size()));
}

void SiteFile::writeSite(const SiteFields &fields, const QList<SiteUrl> &urls, const QList<CustomChoice> &custom)
{
    put(SiteKeys::SiteInfo, SiteKeys::Version, kCurrentVersion);
    for (const auto &[key, member] : kLeadingFields)
        put(SiteKeys::SiteInfo, key, fields.*member);
    writeUrls(urls);
    for (const auto &[key, member] : kTrailingFields)
        put(SiteKeys::SiteInfo, key, fields.*member);
    for (const CustomChoice &choice : custom) {
        if (!choice.category.isEmpty())
            put(SiteKeys::CustomCategory, choice.engine, choice.category);
        if (!choice.spaceId.isEmpty())
            put(SiteKeys::CustomCategory, choice.engine + SiteKeys::SpaceIdSuffix, choice.spaceId);
    }
}

void SiteFile::addReport(const SiteReport &report)
{
    // 64 bits: a stored count at the top of the int range has no successor in int.
    const qint64 next = qint64(Platform::lenientToInt32(value(SiteKeys::LastReport)).value_or(0)) + 1;
    const QString n = QString::number(next);
    put(SiteKeys::SiteInfo, SiteKeys::LastReport, n);
    put(SiteKeys::Reports, SiteKeys::UrlPrefix + n, report.url);
    put(SiteKeys::Reports, SiteKeys::DatePrefix + n, report.date);
    put(SiteKeys::Reports, SiteKeys::ReportFilePrefix + n, report.file);
}

bool SiteFile::commit() const
{
    return !m_changed || m_document.commit(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}
