#include "enginedata/frmUpdateEngines.h"

#include <tuple>
#include <utility>

#include <QApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QFileInfo>
#include <QVBoxLayout>

#include "core/clsPreference.h"
#include "core/modCommon.h"
#include "enginedata/CustomEngineStore.h"
#include "enginedata/UpdateFiles.h"
#include "platform/Dialogs.h"
#include "platform/EventLoop.h"
#include "platform/Folders.h"
#include "platform/ImageList.h"
#include "platform/SettingsStore.h"
#include "platform/Shell.h"
#include "platform/TextFile.h"
#include "transport/HttpReply.h"
#include "transport/HttpRequest.h"
#include "transport/modDSSock.h"
#include "transport/modHttpGet.h"

using namespace Qt::StringLiterals;

namespace {

const QString kCrLf = u"\r\n"_s;
constexpr qint64 kReservedBodyBytes = qint64(64) * 1024 * 1024;
constexpr qsizetype kShownStatusChars = 200;
const QString kCancel = u"&Cancel"_s;
const QString kClose = u"&Close"_s;

frmUpdateEngines::Intervals &currentIntervals()
{
    static frmUpdateEngines::Intervals values;
    return values;
}

struct UpdateFile {
    const char *name;
    bool inEngineDataFolder;
    bool mayBeEmpty;
};

const UpdateFile kFiles[frmUpdateEngines::kFileCount] = {
    {"vqzeng5.dat", true, false}, {"catvqs.dat", true, false}, {"top.vqs", false, true},
    {"cat.vqs", false, false},    {"vqreng.dat", true, false},
};

QString introText()
{
    return u"This will update your current engine data from our web site. Please ensure you are connected to "
           "the Internet and then press the 'Start' button. This will take a few minutes depending on "
           "Internet connection."_s;
}

// What went wrong first, then that nothing was changed and where the installer is.
QString failureText(const QString &reason)
{
    return u"Error occur when update engine data: "_s + reason + u"\n\nNo engine file was changed. "_s
        + u"If you are still having problem to update the engine data. please download the engine data "
          "installation program 'vqzeng.exe' to your PC from below and double click on the file 'vqzeng.exe' "
          "to install."_s;
}

int seconds(int ms)
{
    return (ms + 999) / 1000;
}

QString linkText()
{
    return u"Please CLICK here to download the engine data installation program 'vqzeng.exe'. "_s;
}

void setTextColour(QLabel *label, const QColor &colour)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

QString applicationTitle()
{
    return QString::fromLatin1(Platform::kApplicationTitle);
}

} // namespace

QPointer<frmUpdateEngines> frmUpdateEngines::s_instance;

void frmUpdateEngines::setIntervals(const Intervals &intervals)
{
    currentIntervals() = intervals;
}

frmUpdateEngines::Intervals frmUpdateEngines::intervals()
{
    return currentIntervals();
}

QString frmUpdateEngines::requestPath(int fileIndex)
{
    return u"/enginedata/"_s + QLatin1StringView(kFiles[fileIndex].name);
}

QString frmUpdateEngines::targetPath(int fileIndex)
{
    const UpdateFile &file = kFiles[fileIndex];
    return Platform::joinPath(file.inEngineDataFolder ? Platform::engineDataFolder() : Platform::programFolder(),
                              QLatin1StringView(file.name));
}

frmUpdateEngines *frmUpdateEngines::instance()
{
    if (!s_instance)
        s_instance = new frmUpdateEngines;
    return s_instance;
}

frmUpdateEngines::frmUpdateEngines(QWidget *parent)
    : QDialog(parent),
      dsSocket1(this),
      Timer1(this, currentIntervals().nextFileMs, false),
      Timer2(this, currentIntervals().closeMs, false)
{
    setObjectName(u"frmUpdateEngines"_s);
    setWindowTitle(u"Update Engine Data"_s);
    setModal(true);
    buildControls();
    modCommon::centerForm(this);
    dsSocket1.setLineMode(true);
    dsSocket1.setEolChar('\n');
    if (modDSSock::useProxy()) {
        m_sHost = myPreference().Proxy();
        m_lngPort = myPreference().Port();
    } else {
        std::tie(m_sHost, m_lngPort) = HttpReply::splitHostPort(Platform::vendorHost());
    }
    m_idleTimer.setSingleShot(true);
    m_replyTimer.setSingleShot(true);

    const auto connected = [this](int) {
        Label2->setText(u"Connecting to Velquist web site ...."_s);
        modDSSock::connectedFlag = true;
    };
    connect(&dsSocket1, &Platform::DsSocket::Connect, this, connected);
    connect(&dsSocket1, &Platform::DsSocket::SendReady, this, connected);
    connect(&dsSocket1, &Platform::DsSocket::Receive, this,
            [this](int, const QString &line) { dsSocket1_Receive(line); });
    connect(&dsSocket1, &Platform::DsSocket::ReceiveBytes, this,
            [this](int, const QByteArray &bytes) { dsSocket1_ReceiveBytes(bytes); });
    connect(&dsSocket1, &Platform::DsSocket::Close, this,
            [this](int, int code, const QString &text) { dsSocket1_Close(code, text); });
    connect(&dsSocket1, &Platform::DsSocket::Exception, this,
            [this](int, int code, const QString &text) { dsSocket1_Exception(code, text); });
    connect(&Timer1, &Platform::Timer::timeout, this, &frmUpdateEngines::Timer1_Timer);
    connect(&Timer2, &Platform::Timer::timeout, this, &frmUpdateEngines::Timer2_Timer);
    connect(&m_idleTimer, &QTimer::timeout, this, &frmUpdateEngines::idleTimeout);
    connect(&m_replyTimer, &QTimer::timeout, this, &frmUpdateEngines::replyTimeout);
}

frmUpdateEngines::~frmUpdateEngines()
{
    stopRequest();
}

void frmUpdateEngines::buildControls()
{
    Image1 = new QLabel(this);
    Image1->setPixmap(ImageList::icon(u"Engine"_s).pixmap(48, 48));
    Image1->setAlignment(Qt::AlignTop);
    Label1 = new QLabel(introText(), this);
    Label1->setObjectName(u"Label1"_s);
    Label1->setWordWrap(true);
    // Failures quote the server: its text is shown as it is, never as markup.
    Label1->setTextFormat(Qt::PlainText);
    Label1->setMinimumWidth(420);
    Label1->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    Label2 = new QLabel(this);
    Label2->setObjectName(u"Label2"_s);
    Label2->setWordWrap(true);
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setTextVisible(false);
    cmdStart = new QPushButton(u"&Start"_s, this);
    cmdStart->setObjectName(u"cmdStart"_s);
    cmdStart->setDefault(true);
    cmdClose = new QPushButton(kClose, this);
    cmdClose->setObjectName(u"cmdClose"_s);
    connect(cmdStart, &QPushButton::clicked, this, [this] { Command1_Click(1); });
    connect(cmdClose, &QPushButton::clicked, this, [this] { Command1_Click(0); });

    for (QWidget *watched : {static_cast<QWidget *>(this), static_cast<QWidget *>(Label1),
                             static_cast<QWidget *>(Label2), static_cast<QWidget *>(Image1)}) {
        watched->setMouseTracking(true);
        watched->installEventFilter(this);
    }

    auto *message = new QHBoxLayout;
    message->addWidget(Image1);
    message->addWidget(Label1, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdStart);
    buttons->addWidget(cmdClose);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(message, 1);
    layout->addWidget(Label2);
    layout->addWidget(ProgressBar1);
    layout->addLayout(buttons);
    resize(520, 260);
}

void frmUpdateEngines::Command1_Click(int Index)
{
    if (Index == 1)
        start();
    else if (cmdClose->text() == kCancel)
        cancel();
    else
        closeWindow();
}

bool frmUpdateEngines::running() const
{
    return cmdClose->text() == kCancel;
}

void frmUpdateEngines::start()
{
    if (!cmdStart->isEnabled())
        return;
    m_fileIndex = 0;
    m_intAuthCount = 0;
    m_bodies = QList<QByteArray>(kFileCount);
    m_newFiles.abandon();
    ProgressBar1->setValue(0);
    setTextColour(Label1, Qt::black);
    Label1->setText(u"Please wait while updating your engine data. It will take "_s
                    + u"a few minutes depending on your Internet connection ......."_s);
    Label2->setText(u"Connecting to Velquist web site ....."_s);
    Label2->unsetCursor();
    Label2->show();
    setLinkLook(false);
    cmdStart->setEnabled(false);
    connectAndSend(true);
}

void frmUpdateEngines::cancel()
{
    stopRequest();
    showCancelled();
}

void frmUpdateEngines::closeWindow()
{
    Label2->clear();
    Label2->show();
    hide();
    Platform::doEvents();
    if (s_instance == this)
        s_instance.clear();
    if (m_inConnectWait)
        m_deleteAfterWait = true;
    else
        deleteLater();
}

// Escape and the title bar's close end a run first, then close as "&Close" does.
void frmUpdateEngines::done(int result)
{
    if (running())
        stopRequest();
    QDialog::done(result);
    if (s_instance == this)
        closeWindow();
}

// Connects for the file of m_fileIndex and sends its request. The wait runs the event loop:
// a Cancel, a close or a newer request during it ends this one quietly.
void frmUpdateEngines::connectAndSend(bool atStart)
{
    const quint64 request = ++m_request;
    m_reply.reset();
    dsSocket1.setByteReceive(false);
    dsSocket1.setLineMode(true);
    cmdClose->setText(kCancel);
    m_connecting = true;
    m_inConnectWait = true;
    const int result = modDSSock::SocketConnect(dsSocket1, m_lngPort, m_sHost, currentIntervals().connectSeconds);
    m_inConnectWait = false;
    if (m_deleteAfterWait) {
        deleteLater();
        return;
    }
    if (request != m_request || result == modDSSock::kConnectCancelled)
        return;
    m_connecting = false;
    const QString where = m_sHost + u" - "_s + QString::number(m_lngPort);
    if (result != modDSSock::kConnected) {
        const QString reason = result == modDSSock::kConnectTimeout
                                   ? QString(u"no connection to "_s + server() + u" within "_s
                                             + QString::number(currentIntervals().connectSeconds) + u" seconds (time-out)."_s)
                                   : QString(server() + u" refused the connection or could not be found."_s);
        failWith(atStart ? u"ConnectErr:"_s + where : QString(), reason);
        return;
    }
    if (atStart)
        modDSSock::writeErrorLog(u"SocketConnect:"_s + where);
    if (!SendQuery())
        failWith(u"SendQuery: the request could not be sent to "_s + where,
                 u"the request could not be sent to "_s + server() + u'.');
}

QString frmUpdateEngines::server() const
{
    return m_sHost + u':' + QString::number(m_lngPort);
}

QString frmUpdateEngines::requestedFile() const
{
    return requestPath(qBound(0, m_fileIndex, kFileCount - 1));
}

QString frmUpdateEngines::requestText() const
{
    const QString path = requestPath(qBound(0, m_fileIndex, kFileCount - 1));
    return modDSSock::updateRequest(Platform::vendorHost(), path, m_sHost + u':' + QString::number(m_lngPort),
                                    modDSSock::RequestSettings::current())
        .text();
}

bool frmUpdateEngines::SendQuery()
{
    Label2->setText(u"Retrieving engine data from Velquist web site"_s);
    restartIdleTimer();
    const int replyMs = currentIntervals().replyMs > 0 ? currentIntervals().replyMs
                                                       : 10000 * qMax<int>(1, myPreference().TimeOut());
    m_replyTimer.start(replyMs);
    return modDSSock::SendData(dsSocket1, requestText());
}

void frmUpdateEngines::restartIdleTimer()
{
    const int idleMs = currentIntervals().idleMs > 0 ? currentIntervals().idleMs
                                                     : 2000 * qMax<int>(1, myPreference().TimeOut());
    m_idleTimer.start(idleMs);
}

void frmUpdateEngines::dsSocket1_Receive(const QString &line)
{
    if (!running() || m_connecting)
        return;
    restartIdleTimer();
    const UpdateReply::Step step = m_reply.headerLine(line);
    if (step == UpdateReply::Step::Failed)
        failWith(u"EngineUpdate: "_s + m_reply.failure() + u" - "_s + QString::number(m_fileIndex),
                 server() + u" sent a reply that cannot be read for "_s + requestedFile() + u": "_s
                     + m_reply.failure() + u'.');
    else if (step == UpdateReply::Step::HeaderEnded)
        headerEnded();
}

// The body comes as bytes from here on; a good reply's bytes are kept for the set.
void frmUpdateEngines::headerEnded()
{
    ProgressBar1->setValue(0);
    if (m_reply.status() == 200) {
        ProgressBar1->setMaximum(m_reply.progressMaximum());
        QByteArray &body = m_bodies[m_fileIndex];
        body.clear();
        // Room for the announced length and the closing CR LF at once, within a bound: a length
        // alone holds no memory.
        body.reserve(qMin<qint64>(m_reply.contentLength().value_or(0), kReservedBodyBytes) + 2);
        // The bytes also go to the disk beside the target as they come; none takes its place yet.
        if (!m_newFiles.start(targetPath(m_fileIndex))) {
            failWith(u"saveEngineData: cannot write "_s + targetPath(m_fileIndex),
                     u"the engine data file "_s + targetPath(m_fileIndex) + u" could not be written."_s);
            return;
        }
        m_reply.setSink([this, &body](QByteArrayView bytes) {
            body.append(bytes);
            return m_newFiles.write(bytes);
        });
    }
    dsSocket1.setByteReceive(true);
    dsSocket1.setLineMode(false);
    afterBody();
}

void frmUpdateEngines::dsSocket1_ReceiveBytes(const QByteArray &bytes)
{
    if (!running() || m_connecting || m_reply.readingHeader())
        return;
    if (m_reply.bodyBytes(bytes) == UpdateReply::Step::Failed) {
        failWith(u"EngineUpdate: "_s + m_reply.failure() + u" - "_s + targetPath(m_fileIndex),
                 requestedFile() + u" from "_s + server() + u": "_s + m_reply.failure() + u'.');
        return;
    }
    if (!m_reply.lengthReached())
        restartIdleTimer();
    afterBody();
}

// Once Content-Length is reached only the peer's close or Timer2 ends the reply.
void frmUpdateEngines::afterBody()
{
    // An error page is read to its end but is no part of the engine data.
    if (m_reply.status() == 200)
        ProgressBar1->setValue(m_reply.progressValue());
    if (m_reply.lengthReached()) {
        m_idleTimer.stop();
        Timer2.setEnabled(true);
    }
}

void frmUpdateEngines::dsSocket1_Close(int code, const QString &text)
{
    if (running() && !m_connecting)
        responseEnded(code, text);
}

void frmUpdateEngines::Timer2_Timer()
{
    Timer2.setEnabled(false);
    if (!running())
        return;
    modDSSock::writeErrorLog(u"EngineUpdateTimer2: Socket Closted - "_s + QString::number(m_fileIndex));
    responseEnded(0, u"Socket Closed"_s);
}

void frmUpdateEngines::idleTimeout()
{
    if (running() && !m_connecting)
        failWith(u"EngineUpdate: no data from the server for file "_s + QString::number(m_fileIndex) + kCrLf
                     + m_reply.header(),
                 server() + u" sent nothing for "_s + QString::number(seconds(int(m_idleTimer.interval())))
                     + u" seconds (time-out) while sending "_s + requestedFile() + u'.');
}

// A server that trickles its reply would hold the window for ever: each reply has its limit.
void frmUpdateEngines::replyTimeout()
{
    if (running() && !m_connecting)
        failWith(u"EngineUpdate: the reply took too long for file "_s + QString::number(m_fileIndex),
                 server() + u" took more than "_s + QString::number(seconds(int(m_replyTimer.interval())))
                     + u" seconds (time-out) to send "_s + requestedFile() + u'.');
}

void frmUpdateEngines::dsSocket1_Exception(int code, const QString &text)
{
    const QString logLine = u"dsSocket1_Exception: "_s + QString::number(code) + u'-' + text;
    // During the connect wait the connect result decides.
    if (!running() || m_connecting)
        modDSSock::writeErrorLog(logLine);
    else
        failWith(logLine, u"the connection to "_s + server() + u" failed: "_s + text + u'.');
}

void frmUpdateEngines::responseEnded(int code, const QString &text)
{
    Timer2.setEnabled(false);
    m_idleTimer.stop();
    m_replyTimer.stop();
    modDSSock::SocketDisconnect(dsSocket1);
    const bool mayBeEmpty = kFiles[m_fileIndex].mayBeEmpty;
    if (m_reply.completeAt(code) && (mayBeEmpty || m_reply.bodyBytesReceived() > 0)) {
        m_reply.setSink({});
        const QString problem = UpdateFiles::problem(m_fileIndex, m_bodies.at(m_fileIndex));
        if (!problem.isEmpty()) {
            failWith(u"EngineUpdate: "_s + requestedFile() + u" is not engine data: "_s + problem + kCrLf
                         + QString::fromLatin1(m_reply.loggedBody()),
                     requestedFile() + u" from "_s + server() + u" is not the engine data file "_s
                         + QLatin1StringView(kFiles[m_fileIndex].name) + u": "_s + problem + u'.');
            return;
        }
        m_bodies[m_fileIndex] = QByteArray();
        if (!m_newFiles.write("\r\n") || !m_newFiles.finish()) {
            failWith(u"saveEngineData: cannot write "_s + targetPath(m_fileIndex),
                     u"the engine data file "_s + targetPath(m_fileIndex) + u" could not be written."_s);
            return;
        }
        modDSSock::writeErrorLog(u"EngineFileReceived: "_s + QString::number(m_fileIndex));
        Timer1.setEnabled(true);
        return;
    }
    failedResponse(code, text);
}

void frmUpdateEngines::failedResponse(int code, const QString &text)
{
    modDSSock::writeErrorLog(m_reply.header() + kCrLf + QString::fromLatin1(m_reply.loggedBody()));
    const bool loginDemand = m_reply.status() == 401 || m_reply.status() == 407;
    if (loginDemand && m_intAuthCount >= 2) {
        stopRequest();
        Platform::msgBox(u"Error: Proxy Authentication Required"_s + kCrLf
                             + u"You must authenticate with a proxy server before this request can be serviced."_s,
                         Platform::Critical, applicationTitle());
        setErrorMsg(server() + u" still asks for a login (status "_s + QString::number(m_reply.status())
                    + u") for "_s + requestedFile() + u'.');
        return;
    }
    ++m_intAuthCount;
    if (!loginDemand) {
        failWith(u"dsSocket1_Close:"_s + QString::number(code) + u'-' + text + kCrLf + u"StatusCode:"_s
                     + QString::number(m_reply.status()),
                 failedReplyReason());
        return;
    }
    askedForLogin();
}

// Every later request carries the stored login; without one the user is asked to enter it.
void frmUpdateEngines::askedForLogin()
{
    const int status = m_reply.status();
    modDSSock::rememberLoginDemand(status, Platform::vendorHost());
    if (!myPreference().HTTPLogin().isEmpty()) {
        m_fileIndex = 99;
        Timer1.setEnabled(true);
        return;
    }
    stopRequest();
    Platform::msgBox(u"Your server or proxy require authentication "_s
                         + u"before allowing access to the internet. Please enter your Username and Password in "
                           "the 'Configuration' windows and try again."_s,
                     Platform::Information, applicationTitle());
    Platform::setBusyPointer(false);
    setErrorMsg(server() + u" asks for a login (status "_s + QString::number(status) + u") for "_s
                + requestedFile() + u'.');
}

// What a reply that makes no file was, for the user.
QString frmUpdateEngines::failedReplyReason() const
{
    const QString file = requestedFile();
    if (!m_reply.headerEnded() && m_reply.status() == 0)
        return u"the connection to "_s + server() + u" ended before any reply to "_s + file + u'.';
    const int status = m_reply.status();
    if (status == 0 || status == HttpReply::kNoSpaceStatus)
        return server() + u" sent no valid HTTP reply to "_s + file + u'.';
    if (status != 200)
        return server() + u" answered \""_s + m_reply.header().section(u'\n', 0, 0).trimmed().left(kShownStatusChars)
               + u"\" to "_s + file + u'.';
    if (!m_reply.headerEnded())
        return u"the connection to "_s + server() + u" ended inside the reply header of "_s + file + u'.';
    if (m_reply.bodyBytesReceived() == 0)
        return file + u" from "_s + server() + u" is empty."_s;
    return u"the connection to "_s + server() + u" ended after "_s + QString::number(m_reply.bodyBytesReceived())
           + u" bytes of "_s + file + u", before its end."_s;
}

// The five files take their places as one set, each body with one more CR LF; a crash on the
// way leaves a journal that the next start finishes. Then the reminder to download goes and
// the opener hears of it.
bool frmUpdateEngines::saveEngineData()
{
    if (!m_newFiles.commit()) {
        failWith(u"saveEngineData: the engine data files could not be written"_s,
                 u"the engine data files could not be written to "_s + Platform::engineDataFolder() + u" and "_s
                     + Platform::programFolder() + u'.');
        return false;
    }
    for (int i = 0; i < kFileCount; ++i)
        modDSSock::writeErrorLog(u"EngineFileSaved: "_s + QString::number(i));
    Platform::saveSetting(u"Velquist"_s, u"Setting"_s, u"Download"_s, u"0"_s);
    emit engineDataStored(true);
    return true;
}

void frmUpdateEngines::Timer1_Timer()
{
    Timer1.setEnabled(false);
    if (!running())
        return;
    if (m_fileIndex == kFileCount - 1) {
        if (saveEngineData())
            updateComplete();
        return;
    }
    m_fileIndex = m_fileIndex >= 0 && m_fileIndex < kFileCount - 1 ? m_fileIndex + 1 : 0;
    connectAndSend(false);
}

void frmUpdateEngines::updateComplete()
{
    stopRequest();
    setTextColour(Label1, Qt::black);
    QString text = u"Engine files have been successfully updated."_s + u"\n\n"_s + u"We recommend that "_s
                   + u"you update your Engine Data at least once per month to keep the Engine Data fresh."_s;
    // The new engine database holds none of the user's own engines until they are merged again.
    const QFileInfo customFile(Platform::joinPath(Platform::engineDataFolder(),
                                                  QLatin1StringView(CustomEngineStore::kEngineFileName)));
    if (customFile.isFile() && customFile.size() > 0)
        text += u"\n\nYour own engines are not part of the new engine data: open the Engine Builder and merge "
                "them again."_s;
    Label1->setText(text);
    QApplication::beep();
    Label2->clear();
    Label2->hide();
    cmdClose->setText(kClose);
    cmdClose->setDefault(true);
}

void frmUpdateEngines::failWith(const QString &logLine, const QString &reason)
{
    if (!logLine.isEmpty())
        modDSSock::writeErrorLog(logLine);
    stopRequest();
    setErrorMsg(reason);
}

// Both timers off first, so nothing of this request starts again, then the connection goes and
// the bodies received are dropped: every old file stays as it was.
void frmUpdateEngines::stopRequest()
{
    ++m_request;
    m_connecting = false;
    Timer1.setEnabled(false);
    Timer2.setEnabled(false);
    m_idleTimer.stop();
    m_replyTimer.stop();
    modDSSock::SocketDisconnect(dsSocket1);
    m_reply.setSink({});
    m_bodies.fill(QByteArray());
    m_newFiles.abandon();
}

void frmUpdateEngines::showCancelled()
{
    emit engineDataStored(false);
    ProgressBar1->setValue(0);
    setTextColour(Label1, Qt::black);
    Label1->setText(u"The engine data update was cancelled. No engine file was changed."_s);
    Label2->clear();
    Label2->unsetCursor();
    cmdClose->setText(kClose);
    cmdStart->setEnabled(true);
}

void frmUpdateEngines::setErrorMsg(const QString &reason)
{
    emit engineDataStored(false);
    ProgressBar1->setValue(0);
    setTextColour(Label1, Qt::red);
    Label1->setText(failureText(reason));
    Label2->setText(linkText());
    Label2->setCursor(Qt::PointingHandCursor);
    Label2->show();
    setLinkLook(false);
    cmdClose->setText(kClose);
    cmdStart->setEnabled(true);
}

void frmUpdateEngines::setLinkLook(bool hover)
{
    setTextColour(Label2, hover ? Qt::blue : Qt::black);
    QFont font = Label2->font();
    font.setUnderline(hover);
    Label2->setFont(font);
}

bool frmUpdateEngines::eventFilter(QObject *watched, QEvent *event)
{
    const bool onLink = watched == Label2 && Label2->text().contains(u"vqzeng.exe"_s, Qt::CaseInsensitive);
    if (event->type() == QEvent::MouseMove || event->type() == QEvent::Enter) {
        if (watched == Label2) {
            setLinkLook(onLink);
            return true;   // not passed on to the window, which would put the plain look back
        }
        setLinkLook(false);
        if (watched == this)
            Platform::setBusyPointer(false);
    } else if (event->type() == QEvent::MouseButtonPress && onLink) {
        Platform::shellOpen(u"http://"_s + Platform::vendorHost() + u"/update/vqzeng.exe"_s);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
