#include "pagetools/DoorwayPage.h"

#include <optional>
#include <thread>
#include <vector>

#include <QDir>
#include <QFileInfo>

#include "core/modHtmlText.h"
#include "platform/Codec1252.h"
#include "platform/Folders.h"
#include "platform/TextFile.h"

using namespace Qt::StringLiterals;
using modHtmlText::escaped;
using modHtmlText::unquotedAttribute;

namespace DoorwayPage {

namespace {

const QString kCrLf = u"\r\n"_s;
// The box whose keyword starts the second row of the keyword bar.
constexpr int kSecondRowBox = 4;

QString link(const QString &href, const QString &text)
{
    return u"<a href="_s % href % u">"_s % text % u"</a>"_s;
}

QString subTitleBlock(const Fields &fields, const QString &site)
{
    const auto &s = fields.subTitles;
    if (s[0].isEmpty() && s[1].isEmpty() && s[2].isEmpty())
        return QString();
    return u"For more information about "_s % link(site, fields.keywords[0])
           % u", please click on the link title below:<br>"_s % kCrLf
           % u"<ul><li><h5>"_s % link(site, s[0]) % u"</h5>"_s % kCrLf
           % u"<li><h5>"_s % link(site, s[1]) % u"</h5>"_s % kCrLf
           % u"<li><h5>"_s % link(site, s[2]) % u"</h5></ul>"_s % kCrLf;
}

QString keywordBar(const Fields &fields, const QString &site)
{
    QString bar = u"<center>| "_s;
    for (int box = 0; box < int(fields.keywords.size()); ++box) {
        const QString &keyword = fields.keywords[box];
        if (keyword.isEmpty())
            continue;
        if (box == kSecondRowBox)
            bar += u"<br>| "_s;
        bar += link(site, keyword) % u" | "_s % kCrLf;
    }
    return bar % u"</center>"_s % kCrLf;
}

// The folder text names a folder: that folder; empty: the default folder; a file: no folder.
std::optional<QString> outputFolder(const QString &folderText, QString &error)
{
    const QFileInfo info(folderText);
    if (!folderText.isEmpty() && info.isDir())
        return folderText.endsWith(u'/') ? folderText : folderText + u'/';
    if (!folderText.isEmpty() && info.exists()) {
        error = u"The output location '"_s % folderText % u"' is a file, not a folder."_s;
        return std::nullopt;
    }
    const QString folder = defaultFolder();
    if (!QDir().mkpath(folder)) {
        error = u"The folder '"_s % folder % u"' could not be created."_s;
        return std::nullopt;
    }
    return folder;
}

// Writes every file atomically; the writes overlap, as each of them mostly waits for its flush
// to the disk. Whether each was written, by position.
std::vector<char> writeAll(const QStringList &paths, const QByteArray &bytes)
{
    std::vector<char> written(size_t(paths.size()), 0);
    std::vector<std::thread> writers;
    for (qsizetype i = 0; i < paths.size(); ++i)
        writers.emplace_back([&written, &paths, &bytes, i] {
            written[size_t(i)] = Platform::writeBinaryFileAtomically(paths[i], bytes);
        });
    for (std::thread &writer : writers)
        writer.join();
    return written;
}

} // namespace

QString vendorLink()
{
    return u"http://"_s + Platform::vendorHost() + u"/"_s;
}

QString defaultFolder()
{
    return Platform::joinPath(Platform::programFolder(), u"Doorway Pages"_s) + u'/';
}

QString fileName(const QString &keyword)
{
    return QString(keyword).replace(u' ', u'_') + u".html"_s;
}

QString pageText(const Fields &fields, const QString &vendor)
{
    QStringList present;
    for (const QString &keyword : fields.keywords) {
        if (!keyword.isEmpty())
            present.append(keyword);
    }
    const QString keywords = present.join(u',');
    const QString &title = fields.title;
    const QString site = unquotedAttribute(fields.siteURL.startsWith(u"http"_s) ? fields.siteURL
                                                                               : u"http://"_s + fields.siteURL);
    return u"<!--"_s % title % u"-->"_s % kCrLf
           % u"<!--"_s % keywords % u"-->"_s % kCrLf
           % u"<!--"_s % fields.description % u"-->"_s % kCrLf
           % u"<html>"_s % kCrLf % u"<head>"_s % kCrLf
           % u"<title>"_s % title % u"</title>"_s % kCrLf
           % u"<META name=\"Keywords\" content=\""_s % escaped(keywords) % u"\">"_s % kCrLf
           % u"<META name=\"Description\" content=\""_s % escaped(fields.description) % u"\">"_s % kCrLf
           % u"</head>"_s % kCrLf
           % u"<!--"_s % fields.body % u"-->"_s % kCrLf
           % u"<body bgcolor=#FFFFFF>"_s % kCrLf
           % u"<p><font face=arial size=2>"_s % kCrLf
           % u"<a href="_s % site % u"><Img Src=\""_s % escaped(fields.logoURL) % u"\" border=0 ALT=\""_s
           % escaped(title) % u"\"></a>"_s % kCrLf
           % u"<hr size=1>"_s % kCrLf
           % u"<center><h4><a href="_s % site % u">"_s % title % u"</h4></a></center>"_s % fields.body
           % u"<br><br>"_s % kCrLf
           % subTitleBlock(fields, site)
           % u"<p>If you need more information about "_s % kCrLf
           % link(site, fields.keywords[1]) % u", "_s % kCrLf
           % u"you will find a very informative website at "_s % link(site, fields.company)
           % u".<br><br><br>"_s % kCrLf
           % keywordBar(fields, site)
           % u"<br><br><br><hr size=1>"_s % kCrLf
           % u"<center><font face=arial size=1>This Page is created by "_s
           % link(unquotedAttribute(vendor), u"Tarnell Web Promotion Software - Velquist"_s)
           % u"</font></center></font></p>"_s % kCrLf
           % u"</body>"_s % kCrLf % u"</html>"_s % kCrLf;
}

Outcome createPages(const Fields &fields)
{
    Outcome outcome;
    const std::optional<QString> folder = outputFolder(fields.folder, outcome.error);
    if (!folder)
        return outcome;
    QStringList paths;
    QString refused;
    for (const QString &keyword : fields.keywords) {
        if (keyword.isEmpty())
            continue;
        const QString name = fileName(keyword);
        if (!Platform::isSafeFileName(name)) {
            refused = u"The keyword '"_s % keyword % u"' cannot be used as a file name."_s;
            break;
        }
        paths.append(*folder + name);
    }
    const std::vector<char> written =
        writeAll(paths, Platform::toAnsiHtml(pageText(fields, vendorLink()) + kCrLf));
    for (qsizetype i = 0; i < paths.size(); ++i) {
        if (!written[size_t(i)]) {
            outcome.error = u"The file '"_s % paths[i] % u"' could not be written."_s;
            return outcome;
        }
        outcome.files.append(paths[i]);
    }
    outcome.error = refused;
    return outcome;
}

} // namespace DoorwayPage
