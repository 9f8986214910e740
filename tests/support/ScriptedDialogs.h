#pragma once
// Answers dialogs from a queue and logs what was shown. A dialog with no queued answer fails
// the current test (and is answered as cancelled) instead of waiting for a user.
#include <QList>
#include <QString>

#include "platform/Dialogs.h"

namespace TestSupport {

struct ShownDialog {
    Platform::DialogKind kind;
    QString prompt;
    QString title;
    int style = 0;
    QString defaultText;
};

class ScriptedDialogs {
public:
    void install();
    void uninstall();

    // Queue the answers of the next dialogs, in order.
    void answerMessage(int button);
    void answerInput(const QString &text);               // "" = cancel
    void answerFile(const QString &path, int filterIndex = 1);   // "" = cancel
    void answerFolder(const QString &path);
    // Answer every message box as Enter would (its default button) from now on.
    void acceptAllMessages(bool on = true) { m_acceptAll = on; }

    const QList<ShownDialog> &shown() const { return m_shown; }
    QStringList prompts() const;
    bool wasShown(const QString &promptPart) const;
    int pendingAnswers() const { return static_cast<int>(m_answers.size()); }
    void clearLog() { m_shown.clear(); }

private:
    std::optional<Platform::DialogAnswer> answer(const Platform::DialogRequest &request);

    struct Queued {
        Platform::DialogKind kind;
        Platform::DialogAnswer answer;
    };
    QList<Queued> m_answers;
    QList<ShownDialog> m_shown;
    bool m_acceptAll = false;
};

} // namespace TestSupport
