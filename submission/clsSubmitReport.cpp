// The HTML report of one URL, its record in the web site file, and the failed-engine list.
#include "submission/clsSubmit.h"

#include <QDateTime>
#include <QDir>
#include <QLocale>

#include "core/modCommon.h"
#include "core/modHtmlText.h"
#include "platform/Codec1252.h"
#include "platform/CommandLine.h"
#include "platform/EventLoop.h"
#include "platform/Folders.h"
#include "platform/Numbers.h"
#include "platform/TextFile.h"
#include "sitedata/SiteFile.h"
#include "submission/SubmitHttp.h"
#include "platform/modDSSockLog.h"

using namespace Qt::StringLiterals;
using modHtmlText::escaped;
using modHtmlText::siteWithoutScheme;
using modHtmlText::unquotedAttribute;

namespace {

const QString kCrLf = u"\r\n"_s;
// Room for "(yyyy-MMM-dd-HHmm)-NN.html" within a file name of 255 bytes.
constexpr qsizetype kMaxStemBytes = 200;

QString linkEntry(const EngineEntry &entry)
{
    return u"<a href=\"http://"_s % entry.Home % u"\">"_s % entry.Name % u"</a>"_s;
}

// UTF-8 bytes of the character starting at `i` and the UTF-16 units it takes; a lone surrogate
// is written as a three-byte replacement.
std::pair<qsizetype, qsizetype> utf8Length(const QString &text, qsizetype i)
{
    const char16_t unit = text.at(i).unicode();
    if (unit < 0x80)
        return {1, 1};
    if (unit < 0x800)
        return {2, 1};
    if (QChar::isHighSurrogate(unit) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
        return {4, 2};
    return {3, 1};
}

// The stem cut to a byte length a file name can hold, never inside a character: one walk over
// the characters that fit, whatever the length of the whole.
QString boundedStem(const QString &stem)
{
    qsizetype bytes = 0;
    qsizetype end = 0;
    while (end < stem.size()) {
        const auto [length, units] = utf8Length(stem, end);
        if (bytes + length > kMaxStemBytes)
            break;
        bytes += length;
        end += units;
    }
    return stem.left(end);
}

QString resultRow(int count, const QString &name, const QString &status)
{
    return u"<tr tr bgcolor=#E8E8E8><td><font face=arial size=2>"_s % QString::number(count)
           % u". "_s % escaped(name) % u"</font></td><td><font face=arial size=2>"_s % status
           % u"</font></td></tr>"_s % kCrLf;
}

QString detailRow(const char *colour, const char *label, const char *width, const QString &value)
{
    return u"<tr bgcolor="_s % QString::fromLatin1(colour)
           % u"><td width= 130 valign = top><font face=arial size=2>"_s % QString::fromLatin1(label)
           % u"</font></td><td width= "_s % QString::fromLatin1(width) % u"><font face=arial size=2>"_s
           % value % u"</font></td><tr>"_s % kCrLf;
}

} // namespace

QString clsSubmit::failFile()
{
    return Platform::joinPath(Platform::programFolder(), u"fail.eng"_s);
}

void clsSubmit::setFailEngine()
{
    m_failList.clear();
    m_sentAny = false;
}

QString clsSubmit::convertURLtoLocalFile(const QString &sURL)
{
    QString name = sURL;
    const qsizetype scheme = name.indexOf(u"://"_s);
    if (scheme >= 0)
        name = name.mid(scheme + 3);
    for (QChar ch : {u'/', u'?', u':', u'*', u'\\'})
        name.replace(ch, u'_');
    const qsizetype htm = name.indexOf(u".htm"_s, 0, Qt::CaseInsensitive);
    if (htm > 0)
        name.truncate(htm);
    if (name.endsWith(u'-'))
        name.chop(1);
    return name;
}

void clsSubmit::getSubmitResults()
{
    const bool links = Platform::hasCommandLineSwitch(u"/U"_s);
    for (const EngineEntry &entry : m_engineArray) {
        if (entry.Status == SubmitHttp::kNotSent) {
            ++m_notSentCount;
            m_notSentRows += resultRow(m_notSentCount, entry.Name, SubmitHttp::statusText(entry.Status));
            continue;
        }
        m_sentAny = true;
        if (entry.Status == SubmitHttp::kSuccess) {
            ++m_successCount;
            m_successRows += resultRow(m_successCount, entry.Name, u"Success"_s);
            continue;
        }
        const QString failEntry = links ? linkEntry(entry) : entry.Name;
        if (!m_failList.contains(failEntry, Qt::CaseInsensitive))
            m_failList.append(failEntry);
        ++m_failureCount;
        m_failureRows += resultRow(m_failureCount, entry.Name, SubmitHttp::statusText(entry.Status));
    }
}

QString clsSubmit::reportPage(const QString &url, const QString &siteFile)
{
    const std::optional<SiteFile> file = SiteFile::load(siteFile);
    const auto stored = [&file](const char *key) { return file ? file->value(QLatin1StringView(key)) : QString(); };
    const auto read = [&stored](const char *key) { return escaped(stored(key)); };
    const QString title = read("Title");
    const QString keyword = read("Keyword");
    const QString description = escaped(modCommon::replaceCrLf(stored("Description")));
    const QString mainCategory = read("MainCategory");
    const QString category = read("Category");
    const QString yourName = read("YourName");
    const QString email = read("Email");
    const QString company = read("Company");
    const QString link = escaped(url);
    const QString logoImage = u"<img src=http://"_s % unquotedAttribute(m_settings.LogoURL) % u"><br>"_s;

    QString page = u"<html><title>Velquist Report - "_s % link % u"</title>"_s % kCrLf
                   % u"<body bgcolor = #FFFFFF>"_s % kCrLf % u"<table border = 0 width = 600><tr><td>"_s % kCrLf;
    if (!m_settings.LogoURL.isEmpty() && m_settings.LogoPosition == 0)
        page += logoImage;
    page += u"<table border=0 width=100%><tr bgcolor=#000000><td><font face=arial color=#FFFFFF><b>"_s
            u"Web Submission Report</b></font></td></tr></table>"_s % kCrLf % u"<br>"_s % kCrLf;
    page += u"<table border = 0 cellpadding = 0 cellspacing = 1 width = 600>"_s % kCrLf
            % u"<tr bgcolor=#0080C0><td colspan=2><b><font face=arial size=2 color=#FFFFFF>"_s
              u"Website Details:</font></b></td></tr>"_s % kCrLf;
    page += u"<tr bgcolor=#CCD8EA><td width= 130><font face=arial size=2>Date Submitted:</font></td>"_s
            u"<td  width= 420><font face=arial size=2>"_s
            % escaped(QLocale::system().toString(QDate::currentDate(), QLocale::LongFormat))
            % u"</font></td></tr>"_s % kCrLf;
    page += u"<tr bgcolor=#E8E8E8><td width= 130 valign = top><font face=arial size=2>Company:</font></td>"_s
            u"<td  width= 420><font face=arial size=2>"_s % company % u"</font></td><tr>"_s % kCrLf;
    page += detailRow("#CCD8EA", "Contact Name:", "420", yourName);
    page += detailRow("#E8E8E8", "Email:", "400", email);
    page += u"<tr bgcolor=#CCD8EA><td width= 130 valign = top><font face=arial size=2>URL:</font></td>"_s
            u"<td width= 420><a href=\""_s % link % u"\"><font face=arial size=2>"_s % link
            % u"</font></a></td><tr>"_s % kCrLf;
    page += detailRow("#E8E8E8", "Category:", "420", mainCategory % u" > "_s % category);
    page += detailRow("#CCD8EA", "Site Title:", "420", title);
    page += detailRow("#E8E8E8", "Keywords:", "420", keyword);
    page += detailRow("#CCD8EA", "Description:", "420", description) % u"</table><br>"_s % kCrLf;

    getSubmitResults();

    const QString tableHead = u"<table border = 0 cellpadding = 0 cellspacing = 1 width = 100%>"_s % kCrLf
                              % u"<tr><th width =425 bgcolor=#0080C0><font color=#FFFFFF face=arial size=2>"_s;
    const QString statusHead = u"</font></th><th width =125 bgcolor=#0080C0><font face=arial size=2 "_s
                               u"color=#FFFFFF>Status</font></th></tr>"_s % kCrLf;
    page += tableHead % u"Engines successfully submitted"_s % statusHead % m_successRows
            % u"</table><br><font face=arial size=1 color=#0000FF>"_s % kCrLf
            % u"Some engines take a few weeks to index your submission. "_s % kCrLf
            % u"We would recommend you re-submit your site on a "_s % kCrLf
            % u"regular basis to ensure the Search Engines maintains up-to-date listings.</font><br><br>"_s % kCrLf;
    page += tableHead % u"Engines un-successfully submitted"_s % statusHead % m_failureRows
            % u"</table><br><font face=arial size=1 color=#0000FF>"_s % kCrLf
            % u"Failed submissions are usually caused by a site being 'down', "_s % kCrLf
            % u"altered or there is excessive traffic on the net at the time "_s % kCrLf
            % u"of submission. If you are getting a high number of failures, please "_s % kCrLf
            % u"contact us or update your engine data and try again.</font>"_s % kCrLf % u"<br>"_s;
    if (m_notSentCount > 0) {
        page += u"<br>"_s % kCrLf % tableHead % u"Engines not submitted"_s % statusHead % m_notSentRows
                % u"</table><br><font face=arial size=1 color=#0000FF>"_s % kCrLf
                % u"The submission was stopped before these engines were sent. "_s % kCrLf
                % u"Submit your site again to reach them.</font>"_s % kCrLf % u"<br>"_s;
    }
    page += u"<font  face=arial size=1><ol>"_s % kCrLf
            % u"<li><b><font color=#FF0000>Failed</font></b> - Internet connection error or other unknown problem."_s % kCrLf
            % u"<li><b><font color=#FF0000>Connection Timeout</font></b> - Timeout while attempting connection with Server."_s % kCrLf
            % u"<li><b><font color=#FF0000>Submission Timeout</font></b> - Submission query has been sent but timed out waiting for server to respond."_s % kCrLf
            % u"<li><b><font color=#FF0000>Server Error</font></b> - Server may be down or invalid host."_s % kCrLf
            % u"</ol></font><br><hr><center>"_s;
    if (!m_settings.LogoURL.isEmpty() && m_settings.LogoPosition != 0)
        page += logoImage;

    const QString site = siteWithoutScheme(m_settings.SiteURL);
    const QString siteLink = unquotedAttribute(site);
    page += u"<font face=arial size =1>This report is generated by : <a href=http://"_s % siteLink % u">"_s
            % escaped(m_settings.Company) % u"</a>"_s % kCrLf % u"<br>"_s % kCrLf
            % u"Email: <a href=mailto:"_s % unquotedAttribute(m_settings.Email) % u">"_s
            % escaped(m_settings.Name) % u"</a> "_s % kCrLf % u"Web: <a href=http://"_s % siteLink % u">"_s
            % escaped(site) % u"</a>"_s % kCrLf
            % u"</center><br></font>"_s % kCrLf % u"</td></tr></table></body></html>"_s;
    return page;
}

QString clsSubmit::uniqueReportPath(const QString &url) const
{
    const QString folder = Platform::joinPath(Platform::programFolder(), u"Reports"_s, u"Submition"_s);
    const QString base = boundedStem(convertURLtoLocalFile(url)) % u'('
                         % QLocale::c().toString(QDateTime::currentDateTime(), u"yyyy-MMM-dd-HHmm"_s) % u')';
    QString path = Platform::joinPath(folder, base + u".html"_s);
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = Platform::joinPath(folder, base % u'-' % QString::number(n) % u".html"_s);
    return path;
}

void clsSubmit::recordReport(const QString &siteFile, const QString &url, const QString &path)
{
    // The count and the report's three keys go into the file together, or none of them.
    std::optional<SiteFile> site = SiteFile::load(siteFile);
    if (site)
        site->addReport({url, QLocale::c().toString(QDateTime::currentDateTime(), u"MMM dd, yyyy HH:mm"_s), path});
    if (!site || !site->commit())
        modDSSock::writeErrorLog(u"CreateReport_Error: "_s % siteFile % u" could not be written"_s);
}

void clsSubmit::writeFailList() const
{
    QString failText;
    for (const QString &entry : m_failList)
        failText += entry % kCrLf;
    if (!Platform::writeTextFileAtomically(failFile(), failText))
        modDSSock::writeErrorLog(u"CreateReport_Error: "_s % failFile() % u" could not be written"_s);
}

QString clsSubmit::CreateReport(const QString &sURLName, const QString &sWebFileLocation)
{
    Platform::setBusyPointer(true);
    const QString page = reportPage(sURLName, sWebFileLocation);
    const QString path = uniqueReportPath(sURLName);
    QString written;
    if (QDir().mkpath(QFileInfo(path).absolutePath())
        && Platform::writeBinaryFileAtomically(path, Platform::toAnsiHtml(page + kCrLf))) {
        written = path;
        recordReport(sWebFileLocation, sURLName, path);
    } else {
        modDSSock::writeErrorLog(u"CreateReport_Error: the report could not be written"_s % kCrLf
                                 % u"ReportFile: "_s % path);
    }
    // The run's whole list, each engine once, replaces the last run's list once this run has sent
    // an engine: a run stopped before its first request leaves the old list as it was.
    if (m_sentAny)
        writeFailList();
    Platform::setBusyPointer(false);
    return written;
}
