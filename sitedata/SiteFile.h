#pragma once
// The web site file (".vqs"): the site's fields in "Web Site Info", its URLs and their local files
// in "URL", the submission reports in "Report" and the custom-category choices per engine in
// "CustomEngineCategory". The one reader and writer of the format; its keys are spelled here only.
#include <optional>

#include <QLatin1StringView>
#include <QList>
#include <QString>

#include "platform/IniDocument.h"

namespace SiteKeys {
inline constexpr QLatin1StringView SiteInfo("Web Site Info");
inline constexpr QLatin1StringView Urls("URL");
inline constexpr QLatin1StringView Reports("Report");
inline constexpr QLatin1StringView CustomCategory("CustomEngineCategory");

inline constexpr QLatin1StringView Version("Version");
inline constexpr QLatin1StringView LastURL("LastURL");
inline constexpr QLatin1StringView LastReport("LastReport");
inline constexpr QLatin1StringView OldURL("URL");                 // files before "Version"
inline constexpr QLatin1StringView OldLocalFile("FileLocation0");
inline constexpr QLatin1StringView UrlPrefix("URL");              // URLn in "URL" and "Report"
inline constexpr QLatin1StringView LocalFilePrefix("LocalFile");
inline constexpr QLatin1StringView DatePrefix("Date");
inline constexpr QLatin1StringView ReportFilePrefix("ReportFile");
inline constexpr QLatin1StringView SpaceIdSuffix("SpaceID");       // "<engine>SpaceID"
} // namespace SiteKeys

// The fields of "Web Site Info" that the site pages show.
struct SiteFields {
    QString title, keyword, description, webType, language;
    QString mainCategory, category, yourName, email, company, address, city, postcode, state, country, phone, fax,
        password;
};

struct SiteUrl {
    QString url;
    QString localFile;
    friend bool operator==(const SiteUrl &, const SiteUrl &) = default;
};

struct SiteReport {
    QString url;
    QString date;
    QString file;
};

struct CustomChoice {
    QString engine;
    QString category;
    QString spaceId;
};

class SiteFile {
public:
    // A missing file is an empty site; nothing when the file is there but cannot be read.
    static std::optional<SiteFile> load(const QString &file);

    SiteFields fields() const;
    // The URLs as the list shows them: in a file without "Version" its one old URL; then URLn up to
    // LastURL in number order, blank ones skipped and a repeat (ignoring case) shown once.
    QList<SiteUrl> urls() const;
    // Reports up to LastReport with both a URL and a report file.
    QList<SiteReport> reports() const;
    QString value(QLatin1StringView key) const;   // a key of "Web Site Info"
    QString customCategory(const QString &engine) const;

    // The whole save of the site pages, key by key in the file's order. A key whose stored value
    // already reads as the new one is left as it is (in a file that has its site section, a
    // missing key reads as empty), so a site saved unchanged keeps its bytes.
    void writeSite(const SiteFields &fields, const QList<SiteUrl> &urls, const QList<CustomChoice> &custom);
    // Adds a report after LastReport.
    void addReport(const SiteReport &report);

    // Writes the file once, owner-only (it holds the site's password); nothing when unchanged.
    bool commit() const;
    QString fileName() const { return m_document.fileName(); }

private:
    explicit SiteFile(Platform::IniDocument document)
        : m_document(std::move(document)), m_fresh(!m_document.hasSection(SiteKeys::SiteInfo))
    {
    }
    void put(QLatin1StringView section, const QString &key, const QString &value);
    void writeUrls(const QList<SiteUrl> &urls);

    Platform::IniDocument m_document;
    bool m_fresh;   // no site section yet: every key is written, empty ones too
    bool m_changed = false;
};
