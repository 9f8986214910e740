// The project list: one INI section per project with its description, the highest entry number
// used ("Last") and the numbered site entries "name|path".
#include "sitedata/clsMain.h"

#include "core/modCommon.h"
#include "platform/Dialogs.h"
#include "platform/EventLoop.h"
#include "platform/TextFile.h"
#include "sitedata/clsMainText.h"

namespace {

const QString kCrLf = QStringLiteral("\r\n");

QString writeFailedText(const QString &file)
{
    return QStringLiteral("The project list ") + file + QStringLiteral(" could not be written.");
}

// The span of the line holding the header "[name]", or -1. The name inside the brackets is
// compared trimmed and ignoring case, as the INI writes that added the project found it.
qsizetype findHeaderLine(const QString &text, const QList<clsMainText::LineSpan> &spans, const QString &name)
{
    const QString wanted = name.trimmed();
    for (qsizetype i = 0; i < spans.size(); ++i) {
        const QString line = text.mid(spans[i].start, spans[i].length).trimmed();
        if (clsMainText::isSectionHeader(line)
            && line.mid(1, line.size() - 2).trimmed().compare(wanted, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

} // namespace

bool clsMain::addNewProject(const QString &sProjectName, const QString &sWebName, QString &sNewWebIndex,
                            const QString &sFileLocation)
{
    const QString file = projectListPath();
    auto write = [&](const QString &key, const QString &value) {
        return modCommon::writeINIValue(file, sProjectName, key, value) == QLatin1String("1");
    };
    bool ok = true;
    if (sWebName.isEmpty()) {
        ok = write(QStringLiteral("Description"), QString()) && write(QStringLiteral("Last"), QStringLiteral("0"));
    } else {
        const QString entry = sWebName + QStringLiteral("|") + sFileLocation;
        const int last = clsMainText::leadingDigits(modCommon::readINIValue(file, sProjectName, QStringLiteral("Last")));
        int blank = 0;
        for (int i = 1; i <= last; ++i) {
            if (modCommon::readINIValue(file, sProjectName, QString::number(i)).isEmpty()) {
                blank = i;
                break;
            }
        }
        if (blank > 0) {
            sNewWebIndex = QString::number(blank);
            ok = write(sNewWebIndex, entry);
        } else {
            sNewWebIndex = QString::number(static_cast<qint64>(last) + 1);
            ok = write(sNewWebIndex, entry) && write(QStringLiteral("Last"), sNewWebIndex);
        }
    }
    if (!ok)
        Platform::msgBox(QStringLiteral("addNewProject_Error:") + writeFailedText(file), Platform::Information,
                         QStringLiteral("Error"));
    return ok;
}

bool clsMain::editProject(const QString &sOldName, const QString &sNewName)
{
    Platform::setBusyPointer(true);
    const QString file = projectListPath();
    const std::optional<QString> read = Platform::readTextFile(file);
    bool ok = false;
    QString error = QStringLiteral("The project list ") + file + QStringLiteral(" could not be read.");
    if (read) {
        QString text = *read;
        const QList<clsMainText::LineSpan> spans = clsMainText::lineSpans(text);
        const qsizetype line = findHeaderLine(text, spans, sOldName);
        const QString newHeader = QStringLiteral("[") + sNewName + QStringLiteral("]");
        if (line >= 0) {
            // Replace only the bracketed header; blanks around it stay.
            const qsizetype open = text.indexOf(QLatin1Char('['), spans[line].start);
            const qsizetype close = text.lastIndexOf(QLatin1Char(']'), spans[line].start + spans[line].length - 1);
            text.replace(open, close - open + 1, newHeader);
        } else {
            text += kCrLf + newHeader;
        }
        ok = Platform::writeTextFileAtomically(file, text + kCrLf);
        error = writeFailedText(file);
    }
    Platform::setBusyPointer(false);
    if (!ok)
        Platform::msgBox(QStringLiteral("editProjectFile_Error: ") + error, Platform::Information, QStringLiteral("Error"));
    return ok;
}

bool clsMain::removeProject(const QString &sName)
{
    const QString file = projectListPath();
    const std::optional<QString> read = Platform::readTextFile(file);
    if (!read) {
        Platform::msgBox(QStringLiteral("removeProject_Error: The project list ") + file
                             + QStringLiteral(" could not be read."),
                         Platform::Information, QStringLiteral("Error"));
        return false;
    }
    const QString &text = *read;
    const QList<clsMainText::LineSpan> spans = clsMainText::lineSpans(text);
    const qsizetype line = findHeaderLine(text, spans, sName);
    if (line < 0)
        return true;
    qsizetype cutEnd = text.size();
    for (qsizetype i = line + 1; i < spans.size(); ++i) {
        if (clsMainText::isSectionHeader(text.mid(spans[i].start, spans[i].length))) {
            cutEnd = spans[i].start;
            break;
        }
    }
    const QString newText = text.left(spans[line].start) + text.mid(cutEnd);
    if (!Platform::writeTextFileAtomically(file, newText + kCrLf)) {
        Platform::msgBox(QStringLiteral("removeProject_Error: ") + writeFailedText(file), Platform::Information,
                         QStringLiteral("Error"));
        return false;
    }
    return true;
}
