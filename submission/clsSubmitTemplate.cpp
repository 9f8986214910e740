// Filling an engine's request template from the current URL's site details.
#include "submission/clsSubmit.h"

#include <QDir>

#include "core/modCommon.h"
#include "platform/Folders.h"
#include "sitedata/SiteFile.h"
#include "transport/modDSSockUrl.h"

using namespace Qt::StringLiterals;
using modDSSock::convertString;

namespace {

QString trimSpaces(const QString &text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && text.at(start) == u' ')
        ++start;
    while (end > start && text.at(end - 1) == u' ')
        --end;
    return text.mid(start, end - start);
}

// The first `limit` characters of an encoded value (all when the limit is 0), never cutting a
// "%XX" escape in two.
QString limited(const QString &encoded, int limit)
{
    if (limit <= 0 || encoded.size() <= limit)
        return encoded;
    QString cut = encoded.left(limit);
    const qsizetype percent = cut.lastIndexOf(u'%');
    if (percent >= 0 && percent > cut.size() - 3)
        cut.truncate(percent);
    return cut;
}

bool sameText(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QString countryFile()
{
    return Platform::joinPath(Platform::programFolder(), u"country.vqs"_s);
}

} // namespace

void clsSubmit::setWebDetails(const QString &sURL, const QString &sFileName)
{
    const std::optional<SiteFile> file = SiteFile::load(sFileName);
    const auto read = [&file](const char *key) { return file ? file->value(QLatin1StringView(key)) : QString(); };
    SiteDetails site;
    site.Title = convertString(read("Title"));
    site.URL = convertString(sURL);
    site.Keyword = convertString(read("Keyword"));
    site.Description = convertString(modCommon::replaceCrLf(read("Description")));
    site.WebType = read("WebType");
    site.Language = convertString(read("Language"));
    site.MainCategory = read("MainCategory");
    site.Category = read("Category");
    site.YourName = convertString(read("YourName"));
    site.Email = convertString(read("Email"));
    site.Company = convertString(read("Company"));
    site.Address = convertString(read("Address"));
    site.City = convertString(read("City"));
    site.postcode = convertString(read("postcode"));
    site.State = convertString(read("State"));
    site.CountryName = read("Country");
    site.Country = convertString(site.CountryName);
    site.Phone = convertString(read("Phone"));
    site.Fax = convertString(read("Fax"));
    site.Password = convertString(read("Password"));
    site.SiteFile = sFileName;
    m_site = site;

    m_successRows.clear();
    m_failureRows.clear();
    m_notSentRows.clear();
    m_successCount = 0;
    m_failureCount = 0;
    m_notSentCount = 0;
    // Every engine starts this URL unserved, so a stopped run never reports an engine it did
    // not send with the status of an earlier URL.
    for (EngineEntry &entry : m_engineArray) {
        entry.Home.clear();
        entry.Status = 0;
    }
}

QString clsSubmit::getSubmitData(const QString &sEngineName)
{
    const clsEngines *engine = findEngine(sEngineName);
    if (!engine)
        return QString();
    Q_ASSERT(!m_busy);   // filling never yields, so it cannot overlap
    m_busy = true;
    QString text = engine->Query;
    qsizetype open = text.indexOf(u'<');
    if (open < 0) {
        m_busy = false;
        return QString();
    }
    while (open >= 0) {
        const qsizetype close = text.indexOf(u'>', open);
        if (close < 0 || close == open + 1)
            break;
        const QString value = tagValue(text.mid(open + 1, close - open - 1), *engine);
        text = text.left(open) % value % text.mid(close + 1);
        // Inserted text is never read as template.
        open = text.indexOf(u'<', open + value.size());
    }
    m_busy = false;
    return text;
}

QString clsSubmit::tagValue(const QString &tag, const clsEngines &engine) const
{
    const QString name = tag.toLower();
    const bool ffa = sameText(engine.EngineType, u"FFA"_s);
    if (name == u"title"_s) {
        const QString title = sameText(engine.Category, u"C"_s) ? m_site.Company : m_site.Title;
        return limited(title, engine.MaxTitle > 0 ? engine.MaxTitle : (ffa ? 60 : 0));
    }
    if (name == u"keyword"_s || name == u"keywords"_s)
        return limited(m_site.Keyword, engine.MaxKeywords);
    if (name == u"description"_s)
        return limited(m_site.Description, engine.MaxDescriptions);
    if (name == u"url"_s)
        return m_site.URL;
    if (name == u"category"_s || name == u"subcategory"_s)
        return convertString(getSearchString(engine.CategoryData, m_site.Category, u">"_s, m_site.MainCategory));
    if (name == u"customcategory"_s)
        return convertString(modCommon::readINIValue(m_site.SiteFile, u"CustomEngineCategory"_s, engine.Name));
    if (name == u"spaceid"_s)
        return modCommon::readINIValue(m_site.SiteFile, u"CustomEngineCategory"_s, engine.Name + u"SpaceID"_s);
    if (name == u"name"_s || name == u"fullname"_s)
        return m_site.YourName;
    if (name == u"firstname"_s || name == u"lastname"_s) {
        const qsizetype plus = m_site.YourName.indexOf(u'+');
        if (plus < 0)
            return m_site.YourName;
        return name == u"firstname"_s ? m_site.YourName.left(plus) : m_site.YourName.mid(plus + 1);
    }
    if (name == u"email"_s)
        return (m_settings.BlockSpam && ffa) ? u"nospam_"_s + m_site.Email : m_site.Email;
    if (name == u"company"_s) return m_site.Company;
    if (name == u"address"_s) return m_site.Address;
    if (name == u"city"_s) return m_site.City;
    if (name == u"postcode"_s) return m_site.postcode;
    if (name == u"state"_s) return m_site.State;
    if (name == u"country"_s) return m_site.Country;
    if (name == u"countrycode"_s) return getCountryCode(m_site.CountryName);
    if (name == u"phone"_s) return m_site.Phone;
    if (name == u"fax"_s) return m_site.Fax;
    if (name == u"language"_s) return m_site.Language;
    if (name == u"webtype"_s)
        return convertString(getSearchString(engine.WebType, m_site.WebType, u"|"_s, QString()));
    if (name == u"password"_s) return m_site.Password;
    if (name == u"entryby"_s || name == u"entryurl"_s)
        return QString();
    return tag;
}

QString clsSubmit::getSearchString(const QString &sStringData, const QString &sKeyword,
                                   const QString &sSeperater, const QString &sMainCategory)
{
    if (sStringData.isEmpty())
        return sKeyword;
    qsizetype at = sStringData.indexOf(sKeyword, 0, Qt::CaseInsensitive);
    if (at < 0) {
        const qsizetype space = sMainCategory.indexOf(u' ');
        const QString probe = sMainCategory.isEmpty() ? u"Other"_s
                              : (space < 0 ? sMainCategory : sMainCategory.left(space));
        at = sStringData.indexOf(probe, 0, Qt::CaseInsensitive);
        if (at < 0)
            at = sStringData.indexOf(u"Other"_s, 0, Qt::CaseInsensitive);
    }
    if (at >= 0) {
        const qsizetype equals = sStringData.indexOf(u'=', at);
        const qsizetype separator = sStringData.indexOf(sSeperater, at, Qt::CaseInsensitive);
        if (equals >= 0 && separator > equals)
            return trimSpaces(sStringData.mid(equals + 1, separator - equals - 1));
    }
    return trimSpaces(sKeyword);
}

QString clsSubmit::getCountryCode(const QString &sCountry)
{
    return modCommon::readINIValue(countryFile(), u"Country Name"_s, sCountry);
}

QString clsSubmit::getCountryName(const QString &sCountryCode)
{
    return modCommon::readINIValue(countryFile(), u"Country Code"_s, sCountryCode);
}
