#include "platform/Dialogs.h"

#include "platform/Folders.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QRegularExpression>

namespace Platform {
namespace {

DialogHook &hook()
{
    static DialogHook instance;
    return instance;
}

QString titleOr(const QString &title)
{
    return title.isEmpty() ? QString::fromLatin1(kApplicationTitle) : title;
}

QMessageBox::StandardButtons buttonsOf(int style)
{
    switch (style & 7) {
    case OkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
    case AbortRetryIgnore: return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
    case YesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case YesNo: return QMessageBox::Yes | QMessageBox::No;
    case RetryCancel: return QMessageBox::Retry | QMessageBox::Cancel;
    default: return QMessageBox::Ok;
    }
}

QMessageBox::Icon iconOf(int style)
{
    switch (style & 0x70) {
    case Critical: return QMessageBox::Critical;
    case Question: return QMessageBox::Question;
    case Exclamation: return QMessageBox::Warning;
    case Information: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

int resultOf(int button)
{
    switch (button) {
    case QMessageBox::Ok: return Ok;
    case QMessageBox::Cancel: return Cancel;
    case QMessageBox::Abort: return Abort;
    case QMessageBox::Retry: return Retry;
    case QMessageBox::Ignore: return Ignore;
    case QMessageBox::Yes: return Yes;
    case QMessageBox::No: return No;
    default: return Cancel;
    }
}

// The answer of a closed box: Cancel where the box has one, else its first button.
int cancelAnswer(int style)
{
    switch (style & 7) {
    case OkCancel: case YesNoCancel: case RetryCancel: return Cancel;
    case YesNo: return No;
    case AbortRetryIgnore: return Abort;
    default: return Ok;
    }
}

// The window a dialog belongs to. Not the splash: its own timer deletes it while the dialog is
// open, and the dialog (on the stack) with it.
QWidget *dialogParent()
{
    QWidget *active = QApplication::activeWindow();
    return active && active->windowType() == Qt::SplashScreen ? nullptr : active;
}

// The 1-based position of the chosen type among the Qt filters. With the details hidden Qt may
// name the type by its description alone, the text before its appended pattern.
int chosenFilterIndex(const QStringList &filters, const QString &chosen)
{
    for (qsizetype i = 0; i < filters.size(); ++i) {
        const QString &full = filters[i];
        if (full == chosen || full.left(full.lastIndexOf(u'(')).simplified() == chosen)
            return static_cast<int>(i) + 1;
    }
    return 0;
}

} // namespace

void setDialogHook(DialogHook newHook)
{
    hook() = std::move(newHook);
}

bool hasDialogHook()
{
    return static_cast<bool>(hook());
}

int msgBox(const QString &prompt, int style, const QString &title)
{
    if (hook()) {
        const auto answer = hook()({DialogKind::Message, prompt, titleOr(title), style, QString(), QString()});
        return answer ? answer->button : cancelAnswer(style);
    }
    QMessageBox box(iconOf(style), titleOr(title), prompt, buttonsOf(style), dialogParent());
    return resultOf(box.exec());
}

QString inputBox(const QString &prompt, const QString &title, const QString &defaultText)
{
    if (hook()) {
        const auto answer = hook()({DialogKind::Input, prompt, titleOr(title), 0, QString(), defaultText});
        return answer ? answer->text : QString();
    }
    bool ok = false;
    const QString text = QInputDialog::getText(dialogParent(), titleOr(title), prompt,
                                               QLineEdit::Normal, defaultText, &ok);
    return ok ? text : QString();
}

QStringList qtNameFilters(const QString &filter)
{
    const QStringList parts = filter.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty() && parts[i + 1].isEmpty())
            continue;
        QStringList patterns = parts[i + 1].split(u';', Qt::SkipEmptyParts);
        for (QString &p : patterns) {
            p = p.trimmed();
            if (p == QStringLiteral("*.*"))
                p = QStringLiteral("*");
        }
        filters.append(parts[i] + QStringLiteral(" (") + patterns.join(u' ') + u')');
    }
    return filters;
}

QString fileDialog(bool save, const QString &filter, const QString &defaultName, int &filterIndex,
                   const QString &title, QWidget *parent)
{
    if (hook()) {
        const DialogKind kind = save ? DialogKind::SaveFile : DialogKind::OpenFile;
        const auto answer = hook()({kind, QString(), title, 0, filter, defaultName});
        if (!answer || answer->text.isEmpty())
            return QString();
        if (save)
            filterIndex = answer->filterIndex;
        return answer->text;
    }
    QFileDialog dialog(parent ? parent : dialogParent(), title);
    // The type box shows each description as the caller wrote it, which most often names its
    // pattern already; Qt matches by the pattern appended to it.
    dialog.setOption(QFileDialog::HideNameFilterDetails, true);
    const QStringList filters = qtNameFilters(filter);
    dialog.setNameFilters(filters);
    if (filterIndex >= 1 && filterIndex <= filters.size())
        dialog.selectNameFilter(filters[filterIndex - 1]);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    // Callers ask about replacing a file themselves.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    // A default ending in "/" is the folder the dialog opens in; with no folder given it opens in
    // the program folder, where the program keeps its files, not in the working folder.
    if (defaultName.endsWith(QLatin1Char('/'))) {
        dialog.setDirectory(defaultName);
    } else {
        dialog.setDirectory(programFolder());
        if (save && !defaultName.isEmpty())
            dialog.selectFile(defaultName);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    if (save)
        filterIndex = chosenFilterIndex(filters, dialog.selectedNameFilter());
    return dialog.selectedFiles().constFirst();
}

QString folderDialog(const QString &title, const QString &startFolder, QWidget *parent)
{
    if (hook()) {
        const auto answer = hook()({DialogKind::Folder, QString(), title, 0, QString(), startFolder});
        return answer ? answer->text : QString();
    }
    return QFileDialog::getExistingDirectory(parent ? parent : dialogParent(), title, startFolder);
}

} // namespace Platform
