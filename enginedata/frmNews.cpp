#include "enginedata/frmNews.h"

#include <QCheckBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "core/modCommon.h"
#include "platform/Dialogs.h"
#include "platform/EventLoop.h"
#include "platform/Folders.h"
#include "platform/ImageList.h"
#include "platform/IniFile.h"
#include "platform/SettingsStore.h"
#include "platform/TextFile.h"
#include "transport/frmHTTP.h"

using namespace Qt::StringLiterals;

namespace NewsText {

bool isNews(const QString &text)
{
    return text.contains(u"Date="_s) && text.contains(u"Title="_s) && text.contains(u"Message"_s);
}

QString dateOf(const QString &text)
{
    const qsizetype at = text.indexOf(u"Date="_s);
    if (at < 0)
        return QString();
    QString date = text.mid(at + 5, 10);
    for (qsizetype i = 0; i < date.size(); ++i) {
        if (date.at(i) == u'\r' || date.at(i) == u'\n') {
            date.truncate(i);
            break;
        }
    }
    return Platform::trimBlanks(date);
}

QString messageOf(const QString &text)
{
    const qsizetype at = text.indexOf(u"Message="_s);
    return at < 0 ? QString() : text.mid(at + 8);
}

namespace {

// The text cut at `maxChars`, its lines broken with `lineBreak` into pieces of `lineChars`.
QString brokenText(QStringView text, qsizetype maxChars, qsizetype lineChars, QStringView lineBreak)
{
    text = text.left(maxChars);
    QString shown;
    shown.reserve(text.size() + text.size() / lineChars * 2);
    qsizetype lineLength = 0;
    for (const QChar ch : text) {
        if (ch == u'\r' || ch == u'\n') {
            lineLength = 0;
        } else if (lineLength == lineChars) {
            shown += lineBreak;
            lineLength = 1;
        } else {
            ++lineLength;
        }
        shown += ch;
    }
    return shown;
}

} // namespace

QString shownText(const QString &message)
{
    return brokenText(message, kMaxShownChars, kMaxShownLineChars, u"\r\n");
}

QString shownTitle(const QString &title)
{
    QStringList lines;
    QString line;
    for (QStringView word : QStringView(title).left(kMaxTitleChars).split(u' ', Qt::SkipEmptyParts)) {
        if (!line.isEmpty() && line.size() + 1 + word.size() > kMaxTitleLineChars) {
            lines.append(line);
            line.clear();
        }
        // Only a word longer than a line is broken inside.
        for (; word.size() > kMaxTitleLineChars; word = word.sliced(kMaxTitleLineChars))
            lines.append(word.first(kMaxTitleLineChars).toString());
        line += (line.isEmpty() ? QString() : u" "_s) + word;
    }
    if (!line.isEmpty())
        lines.append(line);
    return lines.join(u'\n');
}

} // namespace NewsText

namespace {

const QString kSettingsApp = u"Velquist"_s;
const QString kSettingsSection = u"News"_s;
const QString kCheckAtOpen = u"CheckNewMsgAtOpen"_s;

} // namespace

QPointer<frmNews> frmNews::s_instance;

frmNews *frmNews::instance()
{
    if (!s_instance)
        s_instance = new frmNews;
    return s_instance;
}

frmNews *frmNews::loadedInstance()
{
    return s_instance;
}

QString frmNews::newsFile()
{
    return Platform::joinPath(Platform::programFolder(), u"news.dat"_s);
}

frmNews::frmNews(QWidget *parent) : QDialog(parent)
{
    setObjectName(u"frmNews"_s);
    setWindowTitle(u"News Update"_s);
    setModal(true);
    buildControls();
    modCommon::centerForm(this);
    frmHTTP::PageReceiver receiver;
    receiver.pageArrived = [this](const QString &page, int status) { showNewMessage(page, status); };
    // Every failed check comes here after the fetch's box, so that it ends with the window usable.
    receiver.connectFailed = [this] { fetchFailed(); };
    frmHTTP::setReceiver(kRequestKind, this, receiver);
}

void frmNews::buildControls()
{
    auto *picture = new QLabel(this);
    picture->setPixmap(ImageList::icon(u"News"_s).pixmap(32, 32));
    lblTitle = new QLabel(this);
    lblTitle->setObjectName(u"lblTitle"_s);
    lblTitle->setWordWrap(true);
    // The title is the vendor's text: shown as it is, never as markup.
    lblTitle->setTextFormat(Qt::PlainText);
    QFont bold = lblTitle->font();
    bold.setBold(true);
    lblTitle->setFont(bold);
    auto *line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    txtMessage = new QPlainTextEdit(this);
    txtMessage->setObjectName(u"txtMessage"_s);
    txtMessage->setReadOnly(true);
    Check1 = new QCheckBox(u"Check for new message when open"_s, this);
    Check1->setObjectName(u"Check1"_s);
    cmdNewMessage = new QPushButton(u"&New Message"_s, this);
    cmdNewMessage->setObjectName(u"cmdNewMessage"_s);
    cmdClose = new QPushButton(u"&Close"_s, this);
    cmdClose->setObjectName(u"cmdClose"_s);
    cmdClose->setDefault(true);
    connect(cmdClose, &QPushButton::clicked, this, [this] { Command1_Click(0); });
    connect(cmdNewMessage, &QPushButton::clicked, this, [this] { Command1_Click(1); });
    connect(Check1, &QCheckBox::toggled, this, [](bool checked) {
        Platform::saveSetting(kSettingsApp, kSettingsSection, kCheckAtOpen, checked ? u"1"_s : u"0"_s);
    });

    auto *heading = new QHBoxLayout;
    heading->addWidget(picture);
    heading->addWidget(lblTitle, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(Check1);
    buttons->addStretch(1);
    buttons->addWidget(cmdNewMessage);
    buttons->addWidget(cmdClose);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(heading);
    layout->addWidget(line);
    layout->addWidget(txtMessage, 1);
    layout->addLayout(buttons);
    resize(520, 340);
}

// The opening steps run once the window shows, so it is visible while the fetch connects.
void frmNews::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_loaded)
        return;
    m_loaded = true;
    QTimer::singleShot(0, this, &frmNews::formLoad);
}

void frmNews::formLoad()
{
    m_newsFile = newsFile();
    Check1->setChecked(Platform::getSetting(kSettingsApp, kSettingsSection, kCheckAtOpen, u"1"_s) != u"0"_s);
    // The window may be closed, and deleted, by the events handled here.
    const QPointer<frmNews> self(this);
    Platform::doEvents();
    if (!self || m_closed)
        return;
    if (Check1->isChecked())
        checkNewMessage();
    else
        loadMessages();
}

void frmNews::Command1_Click(int Index)
{
    if (Index == 0)
        reject();
    else
        checkNewMessage();
}

void frmNews::done(int result)
{
    m_closed = true;
    QDialog::done(result);
    if (s_instance == this)
        s_instance.clear();
    deleteLater();
}

void frmNews::checkNewMessage()
{
    Platform::setBusyPointer(true);
    cmdNewMessage->setEnabled(false);
    lblTitle->setText(u"Checking New Message ..."_s);
    modCommon::setMultiLineText(txtMessage, u"Connecting to Velquist web site ...."_s);
    frmHTTP *fetch = frmHTTP::instance();
    fetch->Tag = kRequestKind;
    // The fetch waits for its connection; this window may be gone when it returns.
    fetch->Connect(u"http://"_s + Platform::vendorHost() + u"/news/news.dat"_s);
}

void frmNews::showNewMessage(const QString &sNewData, int nStatusCode)
{
    if (m_closed)
        return;
    if (m_newsFile.isEmpty())
        m_newsFile = newsFile();
    if (nStatusCode != 200 || !NewsText::isNews(sNewData)) {
        // No news came: the check ends as a failed one does.
        Platform::msgBox(u"No New Message !"_s, Platform::Information, u"Error"_s);
        showStoredMessageAgain();
        return;
    }
    const QString storedDate = modCommon::readINIValue(m_newsFile, u"News"_s, u"Date"_s);
    if (!Platform::writeTextFileAtomically(m_newsFile, sNewData + u"\r\n"_s)) {
        Platform::msgBox(u"showNewMessage_Error: "_s + m_newsFile + u" could not be written."_s,
                         Platform::Information, u"Error"_s);
        showStoredMessageAgain();
        return;
    }
    if (NewsText::dateOf(sNewData) == storedDate)
        Platform::msgBox(u"No New Message !"_s, Platform::Information, u"Error"_s);
    loadMessages();
}

void frmNews::loadMessages()
{
    if (m_newsFile.isEmpty())
        m_newsFile = newsFile();
    const std::optional<QString> stored = Platform::readTextFile(m_newsFile);
    if (!stored) {
        Platform::msgBox(u"loadMessage_Error: "_s + m_newsFile + u" cannot be read."_s, Platform::Critical,
                         u"loadMessage"_s);
        return;
    }
    QString title = modCommon::readINIValue(m_newsFile, u"News"_s, u"Title"_s);
    if (title.isEmpty())
        title = u"Velquist"_s;
    QString message = NewsText::messageOf(*stored);
    if (message.isEmpty()) {
        title = u"Velquist V6.0"_s;
        message = u"Best professional web promotion site submission software for all business."_s;
    }
    lblTitle->setText(NewsText::shownTitle(title));
    modCommon::setMultiLineText(txtMessage, NewsText::shownText(message));
}

// The fetch has shown its box, naming the server and what went wrong.
void frmNews::fetchFailed()
{
    if (!m_closed)
        showStoredMessageAgain();
}

// After a failed check: the stored message (or nothing), and the check can be tried again.
void frmNews::showStoredMessageAgain()
{
    Platform::setBusyPointer(false);
    if (m_newsFile.isEmpty())
        m_newsFile = newsFile();
    if (Platform::fileExists(m_newsFile)) {
        loadMessages();
    } else {
        lblTitle->clear();
        txtMessage->clear();
    }
    cmdNewMessage->setEnabled(true);
}
