#include "transport/modHttpGet.h"

#include "core/clsPreference.h"
#include "platform/Dialogs.h"
#include "platform/EventLoop.h"
#include "platform/SettingsStore.h"
#include "platform/modDSSockLog.h"
#include "transport/HttpRequest.h"
#include "transport/modDSSockSocket.h"
#include "transport/modDSSockUrl.h"

using namespace Qt::StringLiterals;

namespace modDSSock {

bool useProxy()
{
    return RequestSettings::current().viaProxy();
}

namespace {

QString loggedText(const HttpRequest &request, const RequestSettings &settings)
{
    // The log writer hides the login.
    if (settings.authentication > 0)
        writeErrorLog(u"-----\r\n"_s + request.textBeforeAccept() + u"\r\n-------"_s);
    return request.text();
}

} // namespace

QString buildHTTPGet(const QString &url)
{
    const RequestSettings settings = RequestSettings::current();
    return loggedText(pageFetchRequest(url, settings), settings);
}

HttpRequest sendHTTPGet(Platform::DsSocket &socket, const QString &url)
{
    const RequestSettings settings = RequestSettings::current();
    const HttpRequest request = pageFetchRequest(url, settings);
    SendData(socket, loggedText(request, settings));
    return request;
}

bool sendsServerLogin(const QString &url)
{
    return serverLoginGoesTo(RequestSettings::current(), getHostName(url));
}

void rememberLoginDemand(int statusCode, const QString &url)
{
    clsPreference &pref = myPreference();
    if (statusCode != 401) {
        pref.setAuthentication(statusCode);
        Platform::saveSetting(u"Velquist"_s, u"Preference"_s, u"Authentication"_s, QString::number(statusCode));
        return;
    }
    const QString host = hostPortKey(getHostName(url));
    QStringList allowed = pref.AuthenticationHosts();
    if (!sendsServerLogin(url))
        allowed.append(host);
    // The proxy still wants its login beside the server's.
    if (pref.Authentication() != 407)
        pref.setAuthentication(401);
    pref.setAuthenticationHost(host);
    pref.setAuthenticationHosts(allowed);
    Platform::saveSettings(u"Velquist"_s, u"Preference"_s,
                           {{u"Authentication"_s, QString::number(pref.Authentication())},
                            {u"AuthenticationHost"_s, host},
                            {u"AuthenticationHosts"_s, allowed.join(u' ')}});
}

bool askToSendLogin(const QString &url)
{
    const QString server = hostPortKey(getHostName(url));
    Platform::setBusyPointer(false);
    const int answer = Platform::msgBox(server + u" asks for a login.\r\n\r\nSend the stored login of user \""_s
                                            + myPreference().HTTPUserName() + u"\" to "_s + server + u'?',
                                        Platform::YesNo | Platform::Question | Platform::DefaultButton2,
                                        u"Authentication"_s);
    if (answer != Platform::Yes)
        return false;
    rememberLoginDemand(401, url);
    return true;
}

} // namespace modDSSock
