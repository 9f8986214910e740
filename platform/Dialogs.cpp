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

// The answers of a style's buttons, in their order on the box.
QList<int> answersOf(int style)
{
    switch (style & 7) {
    case OkCancel: return {Ok, Cancel};
    case AbortRetryIgnore: return {Abort, Retry, Ignore};
    case YesNoCancel: return {Yes, No, Cancel};
    case YesNo: return {Yes, No};
    case RetryCancel: return {Retry, Cancel};
    default: return {Ok};
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

constexpr std::pair<int, QMessageBox::StandardButton> kButtons[] = {
    {Ok, QMessageBox::Ok},       {Cancel, QMessageBox::Cancel}, {Abort, QMessageBox::Abort}, {Retry, QMessageBox::Retry},
    {Ignore, QMessageBox::Ignore}, {Yes, QMessageBox::Yes},     {No, QMessageBox::No},
};

QMessageBox::StandardButton buttonOf(int answer)
{
    for (const auto &[ours, qt] : kButtons) {
        if (ours == answer)
            return qt;
    }
    return QMessageBox::NoButton;
}

int resultOf(int button)
{
    for (const auto &[ours, qt] : kButtons) {
        if (qt == button)
            return ours;
    }
    return Cancel;
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

int defaultAnswer(int style)
{
    const QList<int> answers = answersOf(style);
    const qsizetype index = (style & DefaultButton3) ? 2 : (style & DefaultButton2) ? 1 : 0;
    return answers.value(index, answers.constFirst());
}

int escapeAnswer(int style)
{
    const QList<int> answers = answersOf(style);
    for (int answer : {Cancel, No}) {
        if (answers.contains(answer))
            return answer;
    }
    return answers.constFirst();
}

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
        return answer ? answer->button : escapeAnswer(style);
    }
    QMessageBox box(iconOf(style), titleOr(title), prompt, QMessageBox::NoButton, dialogParent());
    for (int answer : answersOf(style))
        box.addButton(buttonOf(answer));
    box.setDefaultButton(buttonOf(defaultAnswer(style)));
    box.setEscapeButton(box.button(buttonOf(escapeAnswer(style))));
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
