#pragma once
// The settings one submission run reads, taken once when the run starts so the scheduler and the
// request building can also be handed them directly.
#include <QString>

struct SubmitSettings {
    int Connections = 9;
    int TimeOut = 30;          // seconds
    int AccessType = 0;        // 2 = through the proxy
    QString Proxy;
    int Port = 80;             // the proxy's port
    int Authentication = 0;    // 0, 401 or 407
    QString HTTPLogin;         // Base64 of "user:password"
    bool BlockSpam = false;
    QString LogoURL;
    int LogoPosition = 0;
    QString SiteURL;
    QString Company;
    QString Email;
    QString Name;

    // Below 1 would hang the run or divide by zero.
    int timeOutSeconds() const { return TimeOut < 1 ? 1 : TimeOut; }
    int connectionCount() const { return Connections < 1 ? 1 : Connections; }
};

// The current user settings.
SubmitSettings currentSubmitSettings();
