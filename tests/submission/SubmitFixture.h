#pragma once
// Shared pieces of the submission tests: an engine table handed to the run directly, and web
// site files written into the test's program folder.
#include <map>

#include <QString>

#include "sitedata/clsEngines.h"
#include "submission/clsSubmit.h"
#include "support/TestEnvironment.h"

namespace SubmitTest {

struct EngineTable {
    std::map<QString, clsEngines> byName;   // lower-case names

    clsEngines &add(const QString &name, const QString &query, const QString &method = QStringLiteral("GET"),
                    const QString &action = QStringLiteral("http://engine.example/add"))
    {
        clsEngines &engine = byName[name.toLower()];
        engine.Name = name;
        engine.Home = name.toLower() + QStringLiteral(".example");
        engine.Query = query;
        engine.Method = method;
        engine.Action = action;
        return engine;
    }
    clsSubmit::EngineLookup lookup()
    {
        return [this](const QString &name) -> const clsEngines * {
            const auto it = byName.find(name.toLower());
            return it == byName.end() ? nullptr : &it->second;
        };
    }
};

// A web site file: "Web Site Info" lines as given, then the URLs.
inline QString writeSiteFile(const QString &path, const QByteArray &infoLines, const QStringList &urls)
{
    QByteArray text = "[Web Site Info]\r\n" + infoLines;
    text += "LastURL=" + QByteArray::number(urls.size()) + "\r\n[URL]\r\n";
    for (int n = 0; n < urls.size(); ++n)
        text += "URL" + QByteArray::number(n + 1) + "=" + urls.at(n).toLatin1() + "\r\n";
    TestSupport::TestEnvironment::writeFile(path, text);
    return path;
}

// The text of a report page's date cell, empty when the page has none.
inline const QByteArray kDateCellStart = "Date Submitted:</font></td><td  width= 420><font face=arial size=2>";

inline QByteArray dateCell(const QByteArray &page)
{
    const qsizetype start = page.indexOf(kDateCellStart);
    if (start < 0)
        return QByteArray();
    const qsizetype from = start + kDateCellStart.size();
    return page.mid(from, page.indexOf("</font>", from) - from);
}

// The report page with the day it was written replaced by a fixed stand-in, for whole-page
// comparisons.
inline QByteArray withFixedDate(QByteArray page)
{
    const qsizetype start = page.indexOf(kDateCellStart);
    if (start >= 0)
        page.replace(start + kDateCellStart.size(), dateCell(page).size(), QByteArrayLiteral("(date submitted)"));
    return page;
}

} // namespace SubmitTest
