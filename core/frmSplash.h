#pragma once
// The start-up splash: shown without waiting, it closes itself 2,500 ms after it loaded and
// puts the mouse pointer back to normal. Error paths may close it earlier.
#include <QWidget>

class QLabel;
namespace Platform { class Timer; }

class frmSplash : public QWidget {
    Q_OBJECT
public:
    // Creates the one splash when none is up and shows it modeless, drawn before this returns.
    static frmSplash *loadAndShow();
    // The splash while it is up, else null.
    static frmSplash *instance();
    // Closes the splash now when it is up; harmless otherwise.
    static void unloadSplash();

    void Timer1_Timer();

    QLabel *Picture = nullptr;
    Platform::Timer *Timer1 = nullptr;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    frmSplash();
    void paintNow();
};
