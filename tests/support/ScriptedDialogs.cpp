#include "ScriptedDialogs.h"

#include <gtest/gtest.h>

namespace TestSupport {
namespace {

const char *kindName(Platform::DialogKind kind)
{
    switch (kind) {
    case Platform::DialogKind::Message: return "message box";
    case Platform::DialogKind::Input: return "input box";
    case Platform::DialogKind::OpenFile: return "open dialog";
    case Platform::DialogKind::SaveFile: return "save dialog";
    case Platform::DialogKind::Folder: return "folder dialog";
    }
    return "dialog";
}

} // namespace

void ScriptedDialogs::install()
{
    Platform::setDialogHook([this](const Platform::DialogRequest &request) { return answer(request); });
}

void ScriptedDialogs::uninstall()
{
    Platform::setDialogHook(nullptr);
}

void ScriptedDialogs::answerMessage(int button)
{
    Platform::DialogAnswer a;
    a.button = button;
    m_answers.append({Platform::DialogKind::Message, a});
}

void ScriptedDialogs::answerInput(const QString &text)
{
    Platform::DialogAnswer a;
    a.text = text;
    m_answers.append({Platform::DialogKind::Input, a});
}

void ScriptedDialogs::answerFile(const QString &path, int filterIndex)
{
    Platform::DialogAnswer a;
    a.text = path;
    a.filterIndex = filterIndex;
    // Either kind of file dialog takes it.
    m_answers.append({Platform::DialogKind::OpenFile, a});
}

void ScriptedDialogs::answerFolder(const QString &path)
{
    Platform::DialogAnswer a;
    a.text = path;
    m_answers.append({Platform::DialogKind::Folder, a});
}

QStringList ScriptedDialogs::prompts() const
{
    QStringList list;
    for (const ShownDialog &d : m_shown)
        list.append(d.prompt);
    return list;
}

bool ScriptedDialogs::wasShown(const QString &promptPart) const
{
    for (const ShownDialog &d : m_shown) {
        if (d.prompt.contains(promptPart))
            return true;
    }
    return false;
}

std::optional<Platform::DialogAnswer> ScriptedDialogs::answer(const Platform::DialogRequest &request)
{
    m_shown.append({request.kind, request.prompt, request.title, request.style, request.defaultText});
    const bool fileKind = request.kind == Platform::DialogKind::OpenFile
                          || request.kind == Platform::DialogKind::SaveFile;
    if (!m_answers.isEmpty()) {
        const Queued next = m_answers.first();
        const bool matches = next.kind == request.kind
                             || (fileKind && next.kind == Platform::DialogKind::OpenFile);
        if (matches) {
            m_answers.removeFirst();
            return next.answer;
        }
    }
    if (request.kind == Platform::DialogKind::Message && m_acceptAll) {
        Platform::DialogAnswer a;
        a.button = Platform::defaultAnswer(request.style);
        return a;
    }
    ADD_FAILURE() << "unexpected " << kindName(request.kind) << ": \"" << request.prompt.toStdString()
                  << "\" titled \"" << request.title.toStdString() << "\"";
    return std::nullopt;
}

} // namespace TestSupport
