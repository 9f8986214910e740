#include "transport/modHttpGet.h"

#include "core/clsPreference.h"
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

QString buildHTTPGet(const QString &url)
{
    const RequestSettings settings = RequestSettings::current();
    const HttpRequest request = pageFetchRequest(url, settings);
    // The log writer hides the login.
    if (settings.authentication > 0)
        writeErrorLog(u"-----\r\n"_s + request.textBeforeAccept() + u"\r\n-------"_s);
    return request.text();
}

void sendHTTPGet(Platform::DsSocket &socket, const QString &url)
{
    SendData(socket, buildHTTPGet(url));
}

bool sendsServerLogin(const QString &url)
{
    return serverLoginGoesTo(RequestSettings::current(), getHostName(url));
}

void rememberLoginDemand(int statusCode, const QString &url)
{
    const QString host = statusCode == 401 ? hostPortKey(getHostName(url)) : QString();
    QStringList allowed = myPreference().AuthenticationHosts();
    if (!host.isEmpty() && !sendsServerLogin(url))
        allowed.append(host);
    myPreference().setAuthentication(statusCode);
    myPreference().setAuthenticationHost(host);
    myPreference().setAuthenticationHosts(allowed);
    Platform::saveSettings(u"Velquist"_s, u"Preference"_s,
                           {{u"Authentication"_s, QString::number(statusCode)},
                            {u"AuthenticationHost"_s, host},
                            {u"AuthenticationHosts"_s, allowed.join(u' ')}});
}

} // namespace modDSSock
