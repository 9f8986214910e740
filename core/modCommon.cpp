#include "core/modCommon.h"

#include "core/modStartUp.h"
#include "platform/Dialogs.h"
#include "platform/Folders.h"
#include "platform/IniFile.h"

#include <QComboBox>
#include <QEvent>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QScreen>
#include <QWidget>
#include <cmath>

namespace modCommon {
namespace {

constexpr int kHistoryMaxSaved = 30;

void placeInCentre(QWidget *form)
{
    QScreen *screen = form->screen() ? form->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const QSize inner = form->size();
    // Integer division truncates toward zero, as the placement rule wants.
    const int top = static_cast<int>(std::lround(area.height() * 0.9 - inner.height())) / 2;
    const int left = (area.width() - inner.width()) / 2;
    form->move(area.x() + left, area.y() + top);
}

// Centres a window again when it is first shown: only then has its layout given it its size. The
// show event comes before the window reaches the screen, so it appears in its place.
class CentreOnFirstShow : public QObject {
public:
    explicit CentreOnFirstShow(QWidget *form) : QObject(form) { form->installEventFilter(this); }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && watched == parent()) {
            placeInCentre(static_cast<QWidget *>(watched));
            watched->removeEventFilter(this);
            deleteLater();
        }
        return false;
    }
};

} // namespace

QString getWindowsDirectory()
{
    QString folder = trimNull(Platform::engineDataFolder());
    while (folder.endsWith(u' '))
        folder.chop(1);
    if (folder.isEmpty())
        return QString();
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return folder;
}

QString trimNull(const QString &text)
{
    const qsizetype at = text.indexOf(QChar(u'\0'));
    return at < 0 ? text : text.left(at);
}

QString readINIValue(const QString &file, const QString &section, const QString &key)
{
    return Platform::iniRead(file, section, key).value_or(QString());
}

QString writeINIValue(const QString &file, const QString &section, const QString &key, const QString &value)
{
    return Platform::iniWrite(file, section, key, value) ? QStringLiteral("1") : QStringLiteral("0");
}

void centerForm(QWidget *form)
{
    if (!form)
        return;
    placeInCentre(form);
    if (!form->isVisible())
        new CentreOnFirstShow(form);
}

QString showFileDialog(bool save, const QString &filter, const QString &defaultName, int &filterIndex)
{
    int chosenIndex = 1;
    const QString file = Platform::fileDialog(save, filter, save ? defaultName : QString(), chosenIndex);
    if (file.isEmpty())
        return QString();
    if (save)
        filterIndex = chosenIndex;
    return file;
}

void splitAtBar(QString &text, QString &rest)
{
    const qsizetype bar = text.indexOf(u'|');
    if (bar < 0) {
        rest.clear();
        return;
    }
    rest = text.mid(bar + 1);
    text.truncate(bar);
}

QString replaceCrLf(const QString &text)
{
    const QString separator = text.contains(QStringLiteral("\r\n")) ? QStringLiteral("\r\n") : QStringLiteral("\r");
    QString result = text;
    result.replace(separator, QStringLiteral(" "));
    return result;
}

QString historyFile()
{
    return Platform::joinPath(WindowsDir, QStringLiteral("orvane.dmc"));
}

void loadHistory(QComboBox *combo, const QString &section, int maxEntries)
{
    if (!combo)
        return;
    const QString file = historyFile();
    for (int i = 1; i <= maxEntries; ++i) {
        const QString value = readINIValue(file, section, QString::number(i));
        if (value.isEmpty())
            break;
        combo->addItem(value);
    }
}

void saveHistory(QComboBox *combo, const QString &section)
{
    if (!combo)
        return;
    const QString file = historyFile();
    const int count = qMin(combo->count(), kHistoryMaxSaved);
    for (int i = 1; i <= count; ++i) {
        if (writeINIValue(file, section, QString::number(i), combo->itemText(i - 1)) != QStringLiteral("1"))
            return;
    }
}

void addHistory(QComboBox *combo, const QString &text)
{
    // An empty entry would end the list at the next load and lose everything after it.
    if (!combo || text.trimmed().isEmpty())
        return;
    for (int i = 0; i < combo->count(); ++i) {
        if (combo->itemText(i).compare(text, Qt::CaseInsensitive) == 0)
            return;
    }
    combo->insertItem(0, text);
    // One out for one in: a list loaded longer than 30 (profiles load up to 100) keeps its length.
    if (combo->count() > kHistoryMaxSaved)
        combo->removeItem(combo->count() - 1);
}

QString lfToCrLf(const QString &text)
{
    QString result;
    result.reserve(text.size() + text.size() / 16);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\n' && (i == 0 || text[i - 1] != u'\r'))
            result += u'\r';
        result += c;
    }
    return result;
}

QString crLfToLf(const QString &text)
{
    QString result = text;
    result.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return result;
}

QString multiLineText(const QPlainTextEdit *box)
{
    return box ? lfToCrLf(box->toPlainText()) : QString();
}

void setMultiLineText(QPlainTextEdit *box, const QString &text)
{
    if (box)
        box->setPlainText(crLfToLf(text));
}

QString versionNumberText(int major, int minor, int revision)
{
    return QString::number(major) + u'.' + QString::number(minor) + u'.'
           + QStringLiteral("%1").arg(revision, 2, 10, QChar(u'0'));
}

QString programVersionText()
{
    return versionNumberText(VELQUIST_VERSION_MAJOR, VELQUIST_VERSION_MINOR, VELQUIST_VERSION_PATCH);
}

} // namespace modCommon
