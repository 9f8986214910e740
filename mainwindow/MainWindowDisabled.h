#pragma once
// Disables the main window (and, when asked, shows the hourglass) while a command's dialog is
// open; both come back on every path out of the command.
#include "mainwindow/frmMain.h"
#include "platform/EventLoop.h"

class MainWindowDisabled {
public:
    explicit MainWindowDisabled(bool showBusyPointer = false)
        : m_main(frmMain::existing()), m_busyPointer(showBusyPointer)
    {
        if (m_main)
            m_main->setEnabled(false);
        if (m_busyPointer)
            Platform::setBusyPointer(true);
    }
    ~MainWindowDisabled()
    {
        if (m_busyPointer)
            Platform::setBusyPointer(false);
        if (m_main)
            m_main->setEnabled(true);
    }
    MainWindowDisabled(const MainWindowDisabled &) = delete;
    MainWindowDisabled &operator=(const MainWindowDisabled &) = delete;

private:
    frmMain *m_main;
    bool m_busyPointer;
};
