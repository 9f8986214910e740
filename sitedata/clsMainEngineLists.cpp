// Selected-engine list files (one engine name per line; "fail.eng" has the same form) and the
// export of the whole engine database as an HTML page.
#include "sitedata/clsMain.h"

#include "core/modHtmlText.h"
#include "mainwindow/frmMain.h"
#include "platform/Codec1252.h"
#include "platform/CommonControls.h"
#include "platform/Dialogs.h"
#include "platform/EventLoop.h"
#include "platform/Shell.h"
#include "platform/TextFile.h"
#include "sitedata/EngineCollection.h"
#include "sitedata/EngineListView.h"
#include "sitedata/modDataFiles.h"

namespace {

const QString kCrLf = QStringLiteral("\r\n");

struct Section {
    const char *heading;
    const char *type;   // null: every type the other sections do not hold
    bool always;
    QString items;
};

} // namespace

bool clsMain::saveSelectedEngine(const QString &sFileName)
{
    QString text;
    for (const clsEngines *engine : m_frmMain->lsvSelectedEngines->engines())
        text += engine->Name + kCrLf;
    if (!Platform::writeTextFileAtomically(sFileName, text)) {
        Platform::msgBox(QStringLiteral("The file ") + sFileName + QStringLiteral(" could not be written."),
                         Platform::Information, QStringLiteral("Error"));
        return false;
    }
    return true;
}

void clsMain::loadSelectedEngine(const QString &sFileName)
{
    const std::optional<QStringList> lines = modDataFiles::readLines(sFileName);
    if (!lines)
        return;
    Platform::RedrawSuspender suspend(m_frmMain->lsvSelectedEngines);
    for (const QString &line : *lines) {
        if (clsEngines *engine = myEngines().find(line))
            selectEngine(*engine);
    }
    updateSelectedHeader();
}

QString clsMain::engineListPage()
{
    Section sections[] = {
        {"General Engines", "ENG", true, {}}, {"Directories", "DIR", true, {}},
        {"Free For All Links", "FFA", true, {}}, {"News & Media", "NEWS", false, {}},
        {"Hot Sites", "HOT", false, {}}, {"Online Malls", "MALL", false, {}},
        {"Miscellenous", nullptr, false, {}},
    };
    Section &others = sections[6];
    for (const clsEngines &engine : myEngines()) {
        Section *target = &others;
        for (Section &section : sections) {
            if (section.type && engine.EngineType == QLatin1String(section.type)) {
                target = &section;
                break;
            }
        }
        target->items += QStringLiteral("<li>") + modHtmlText::escaped(engine.Name) + QStringLiteral("</li>") + kCrLf;
    }

    QString page = QStringLiteral("<html><body>") + kCrLf
        + QStringLiteral("<h3><font face=arial color=#FF0000>Velquist Engine List</font></h3>") + kCrLf
        + QStringLiteral("<br>") + QStringLiteral("<table border = 0 width=580 cellspacing=0>") + kCrLf;
    for (const Section &section : sections) {
        if (!section.always && section.items.isEmpty())
            continue;
        const bool directories = section.type && QLatin1String(section.type) == QLatin1String("DIR");
        page += QStringLiteral("<tr><td bgcolor=#0080C0><font face=arial color=#FFFFFF><b>")
            + QString::fromLatin1(section.heading) + QStringLiteral("</b></font></td></tr>") + kCrLf
            + QStringLiteral("<tr><td><font face=arial size=2><ol>") + section.items
            + (directories ? QStringLiteral("</ol></font></font></td></tr>") : QStringLiteral("</ol></font></td></tr>"));
    }
    page += QStringLiteral("</table><br>") + kCrLf + QStringLiteral("<hr align=left width=500 size=1>") + kCrLf
        + QStringLiteral("<font face=arial size=1>This list was made by Velquist from its engine data.</font>");
    return page;
}

bool clsMain::exportEngineList()
{
    Platform::setBusyPointer(true);
    const QString file = programFile(QStringLiteral("englist.htm"));
    const bool written = Platform::writeBinaryFileAtomically(file, Platform::toAnsiHtml(engineListPage() + kCrLf));
    Platform::shellOpen(file);
    Platform::setBusyPointer(false);
    return written;
}
