#include "core/frmSplash.h"

#include "core/modCommon.h"
#include "platform/EventLoop.h"
#include "platform/Timer.h"

#include <QLabel>
#include <QPointer>
#include <QVBoxLayout>
#include <QWindow>

namespace {

// How long the start waits for the window system to put the splash on the screen.
constexpr qint64 kShowWaitMs = 1000;

QPointer<frmSplash> &current()
{
    static QPointer<frmSplash> splash;
    return splash;
}

} // namespace

frmSplash::frmSplash() : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    // The timer is a child, so an early unload takes it along and it never fires on a dead window.
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("frmSplash"));

    Picture = new QLabel(this);
    Picture->setAlignment(Qt::AlignCenter);
    Picture->setText(QStringLiteral("<h1>Velquist</h1><p>Web site promotion</p><p>Version ")
                     + modCommon::programVersionText() + QStringLiteral("</p>"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Picture);
    resize(420, 240);

    Timer1 = new Platform::Timer(this, 2500, true);
    connect(Timer1, &Platform::Timer::timeout, this, &frmSplash::Timer1_Timer);

    modCommon::centerForm(this);
}

frmSplash *frmSplash::loadAndShow()
{
    if (!current())
        current() = new frmSplash();
    current()->show();
    current()->paintNow();
    return current();
}

void frmSplash::paintNow()
{
    // The load that follows keeps the event loop waiting, so the splash is drawn here: once the
    // window system has put it on the screen (a paint before that draws nothing), synchronously.
    QPointer<frmSplash> self = this;
    Platform::waitUntil([self] { return !self || (self->windowHandle() && self->windowHandle()->isExposed()); },
                        kShowWaitMs);
    if (self)
        self->repaint();
}

frmSplash *frmSplash::instance()
{
    return current();
}

void frmSplash::unloadSplash()
{
    if (current())
        current()->close();
}

void frmSplash::Timer1_Timer()
{
    Platform::setBusyPointer(false);
    close();
}

void frmSplash::closeEvent(QCloseEvent *event)
{
    // The window is deleted later; until then its timer must not fire on it.
    Timer1->setEnabled(false);
    if (current() == this)
        current().clear();
    QWidget::closeEvent(event);
}
