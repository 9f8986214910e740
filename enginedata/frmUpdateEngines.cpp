#include "enginedata/frmUpdateEngines.h"

#include <QApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/modCommon.h"
#include "enginedata/CustomEngineStore.h"
#include "platform/EventLoop.h"
#include "platform/Folders.h"
#include "platform/ImageList.h"
#include "platform/Shell.h"

using namespace Qt::StringLiterals;

namespace {

const QString kCancel = u"&Cancel"_s;
const QString kClose = u"&Close"_s;

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

} // namespace

QPointer<frmUpdateEngines> frmUpdateEngines::s_instance;

frmUpdateEngines *frmUpdateEngines::instance()
{
    if (!s_instance)
        s_instance = new frmUpdateEngines;
    return s_instance;
}

frmUpdateEngines::frmUpdateEngines(QWidget *parent) : QDialog(parent)
{
    setObjectName(u"frmUpdateEngines"_s);
    setWindowTitle(u"Update Engine Data"_s);
    setModal(true);
    buildControls();
    modCommon::centerForm(this);
    connect(&m_run, &clsUpdateEngines::stepChanged, this,
            [this](int, clsUpdateEngines::Step step) { showStep(step); });
    connect(&m_run, &clsUpdateEngines::progressChanged, this, [this](int value, int maximum) {
        ProgressBar1->setMaximum(maximum);
        ProgressBar1->setValue(value);
    });
    connect(&m_run, &clsUpdateEngines::ended, this, &frmUpdateEngines::runEnded);
}

frmUpdateEngines::~frmUpdateEngines() = default;

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
    else if (m_run.isRunning())
        m_run.cancel();
    else
        closeWindow();
}

void frmUpdateEngines::start()
{
    if (!cmdStart->isEnabled() || m_run.isRunning())
        return;
    ProgressBar1->setValue(0);
    setTextColour(Label1, Qt::black);
    Label1->setText(u"Please wait while updating your engine data. It will take "_s
                    + u"a few minutes depending on your Internet connection ......."_s);
    Label2->setText(u"Connecting to Velquist web site ....."_s);
    Label2->unsetCursor();
    Label2->show();
    setLinkLook(false);
    setRunning(true);
    m_run.start();
}

void frmUpdateEngines::closeWindow()
{
    Label2->clear();
    Label2->show();
    hide();
    Platform::doEvents();
    if (s_instance == this)
        s_instance.clear();
    deleteLater();
}

// Escape and the title bar's close end a run first, then close as "&Close" does.
void frmUpdateEngines::done(int result)
{
    m_run.cancel();
    QDialog::done(result);
    if (s_instance == this)
        closeWindow();
}

// Start is off and Close reads Cancel while a run is under way.
void frmUpdateEngines::setRunning(bool running)
{
    cmdStart->setEnabled(!running);
    cmdClose->setText(running ? kCancel : kClose);
}

void frmUpdateEngines::showStep(clsUpdateEngines::Step step)
{
    switch (step) {
    case clsUpdateEngines::Step::Connecting: Label2->setText(u"Connecting to Velquist web site ....."_s); break;
    case clsUpdateEngines::Step::Connected: Label2->setText(u"Connecting to Velquist web site ...."_s); break;
    case clsUpdateEngines::Step::Requesting: Label2->setText(u"Retrieving engine data from Velquist web site"_s); break;
    }
}

void frmUpdateEngines::runEnded(clsUpdateEngines::Outcome outcome, const QString &reason)
{
    ProgressBar1->setValue(0);
    switch (outcome) {
    case clsUpdateEngines::Outcome::Stored: updateComplete(); break;
    case clsUpdateEngines::Outcome::Failed: setErrorMsg(reason); break;
    case clsUpdateEngines::Outcome::Cancelled: showCancelled(); break;
    }
    emit engineDataStored(outcome == clsUpdateEngines::Outcome::Stored);
}

void frmUpdateEngines::updateComplete()
{
    setTextColour(Label1, Qt::black);
    QString text = u"Engine files have been successfully updated."_s + u"\n\n"_s + u"We recommend that "_s
                   + u"you update your Engine Data at least once per month to keep the Engine Data fresh."_s;
    // The new engine database holds none of the user's own engines until they are merged again.
    if (CustomEngineStore(Platform::engineDataFolder()).holdsEngine())
        text += u"\n\nYour own engines are not part of the new engine data: open the Engine Builder and merge "
                "them again."_s;
    Label1->setText(text);
    QApplication::beep();
    Label2->clear();
    Label2->hide();
    cmdClose->setText(kClose);
    cmdClose->setDefault(true);
}

void frmUpdateEngines::showCancelled()
{
    setTextColour(Label1, Qt::black);
    Label1->setText(u"The engine data update was cancelled. No engine file was changed."_s);
    Label2->clear();
    Label2->unsetCursor();
    setRunning(false);
}

void frmUpdateEngines::setErrorMsg(const QString &reason)
{
    setTextColour(Label1, Qt::red);
    Label1->setText(failureText(reason));
    Label2->setText(linkText());
    Label2->setCursor(Qt::PointingHandCursor);
    Label2->show();
    setLinkLook(false);
    setRunning(false);
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
