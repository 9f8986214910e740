#include "transport/modHttpGet.h"

#include "core/clsPreference.h"
#include "core/modCommonHtml.h"
#include "platform/modDSSockLog.h"
#include "transport/modDSSockSocket.h"
#include "transport/modDSSockUrl.h"

namespace modDSSock {
namespace {

const QString kCrLf = QStringLiteral("\r\n");
const QString kVersion = QStringLiteral("HTTP/1.0");

// The absolute URL a proxy needs: a scheme in front and at least the root path.
QString absoluteURL(const QString &url)
{
    QString result = url;
    if (modCommon::indexOfNoCase(result.left(4), u"http") != 0)
        result.prepend(QStringLiteral("http://"));
    if (result.indexOf(u'/', 8) < 0)
        result += u'/';
    return result;
}

QString proxyHostLine()
{
    const clsPreference &pref = myPreference();
    return QStringLiteral("Host: ") + pref.Proxy() + u':' + QString::number(pref.Port()) + kCrLf;
}

QString requestLineAndHost(const QString &url)
{
    if (useProxy())
        return QStringLiteral("GET ") + absoluteURL(url) + u' ' + kVersion + kCrLf + proxyHostLine();
    QString lines = QStringLiteral("GET /") + getURLPath(url) + u' ' + kVersion + kCrLf;
    const QString host = getHostName(url);
    if (!host.isEmpty())
        lines += QStringLiteral("Host: ") + host + kCrLf;
    return lines;
}

// The request as one log entry (the log writer hides its login).
void logRequest(const QString &request)
{
    writeErrorLog(QStringLiteral("-----") + kCrLf + request + kCrLf + QStringLiteral("-------"));
}

} // namespace

bool useProxy()
{
    const clsPreference &pref = myPreference();
    return pref.AccessType() == 2 && !pref.Proxy().isEmpty();
}

QString buildHTTPGet(const QString &url)
{
    const clsPreference &pref = myPreference();
    const int authentication = pref.Authentication();
    QString request = requestLineAndHost(url) + QStringLiteral("User-Agent: Velquist") + kCrLf;
    if (authentication == 401) {
        request += QStringLiteral("Authorization: Basic ") + pref.HTTPLogin() + kCrLf;
    } else if (authentication == 407) {
        // The proxy form without a User-Agent; HTTP/1.0 like every other request, since the
        // reply reader cannot decode a chunked or kept-alive HTTP/1.1 reply.
        const QString target = useProxy() ? absoluteURL(url) : url;
        request = QStringLiteral("GET ") + target + u' ' + kVersion + kCrLf + proxyHostLine()
                  + QStringLiteral("Proxy-Authorization: Basic ") + pref.HTTPLogin() + kCrLf;
    }
    if (authentication > 0)
        logRequest(request);
    return request + QStringLiteral("Accept: */*") + kCrLf + kCrLf;
}

void sendHTTPGet(Platform::DsSocket &socket, const QString &url)
{
    SendData(socket, buildHTTPGet(url));
}

} // namespace modDSSock
