#include "transport/HttpRequest.h"

#include "core/clsPreference.h"
#include "core/modCommonHtml.h"
#include "platform/Codec1252.h"
#include "transport/HttpReply.h"
#include "transport/modDSSockUrl.h"

using namespace Qt::StringLiterals;

namespace modDSSock {
namespace {

const QString kCrLf = u"\r\n"_s;

// The absolute URL a proxy needs: a scheme in front and at least the root path.
QString absoluteURL(const QString &url)
{
    QString result = url;
    if (modCommon::indexOfNoCase(result.left(4), u"http") != 0)
        result.prepend(u"http://"_s);
    if (result.indexOf(u'/', 8) < 0)
        result += u'/';
    return result;
}

QString wholeTarget(const QString &target)
{
    QString result;
    result.reserve(target.size());
    for (QChar ch : target) {
        if (ch.unicode() <= 0x20 || ch.unicode() == 0x7F)
            result += u'%' + QString::number(ch.unicode(), 16).toUpper().rightJustified(2, u'0');
        else
            result += ch;
    }
    return result;
}

QString proxyHostLine(const RequestSettings &settings)
{
    return settings.proxy + u':' + QString::number(settings.port);
}

QString loginLines(const HttpRequest &request)
{
    QString lines;
    if (request.proxyLogin)
        lines += u"Proxy-Authorization: Basic "_s + *request.proxyLogin + kCrLf;
    if (request.serverLogin)
        lines += u"Authorization: Basic "_s + *request.serverLogin + kCrLf;
    return lines;
}

// The proxy login is for the proxy, after it asked, and only on a request that goes through it.
bool proxyLoginGoesOut(const RequestSettings &settings)
{
    return settings.viaProxy() && settings.authentication == 407;
}

} // namespace

RequestSettings RequestSettings::current()
{
    const clsPreference &pref = myPreference();
    RequestSettings settings;
    settings.accessType = pref.AccessType();
    settings.proxy = pref.Proxy();
    settings.port = pref.Port();
    settings.authentication = pref.Authentication();
    settings.login = pref.HTTPLogin();
    settings.allowedHosts = pref.AuthenticationHosts().join(u' ');
    return settings;
}

QString HttpRequest::textBeforeAccept() const
{
    QString text = method + u' ' + wholeTarget(target) + u" HTTP/1.0"_s + kCrLf;
    if (loginAt == LoginAt::BeforeHost)
        text += loginLines(*this);
    if (!host.isEmpty())
        text += u"Host: "_s + host + kCrLf;
    if (loginAt == LoginAt::AfterHost)
        text += loginLines(*this);
    if (!userAgent.isEmpty())
        text += u"User-Agent: "_s + userAgent + kCrLf;
    if (loginAt == LoginAt::AfterUserAgent)
        text += loginLines(*this);
    return text;
}

QString HttpRequest::text() const
{
    QString text = textBeforeAccept() + u"Accept: */*"_s + kCrLf;
    if (!formBody)
        return text + kCrLf;
    return text + u"Content-Type: application/x-www-form-urlencoded"_s + kCrLf + u"Content-Length: "_s
           + QString::number(Platform::toAnsi(*formBody).size()) + kCrLf + kCrLf + *formBody + kCrLf;
}

QString hostPortKey(const QString &hostPort)
{
    const auto [host, port] = HttpReply::splitHostPort(hostPort);
    return host.trimmed().toLower() + u':' + QString::number(port);
}

bool serverLoginGoesTo(const RequestSettings &settings, const QString &hostPort)
{
    if (hostPort.trimmed().isEmpty())
        return false;
    const QString key = hostPortKey(hostPort);
    for (const QString &allowed : settings.allowedHosts.split(u' ', Qt::SkipEmptyParts)) {
        if (hostPortKey(allowed) == key)
            return true;
    }
    return false;
}

HttpRequest pageFetchRequest(const QString &url, const RequestSettings &settings)
{
    HttpRequest request;
    request.userAgent = u"Velquist"_s;
    request.loginAt = HttpRequest::LoginAt::AfterUserAgent;
    if (settings.viaProxy()) {
        request.target = absoluteURL(url);
        request.host = proxyHostLine(settings);
    } else {
        request.target = u'/' + getURLPath(url);
        request.host = getHostName(url);
    }
    if (proxyLoginGoesOut(settings)) {
        // The proxy form has no User-Agent.
        request.userAgent.clear();
        request.proxyLogin = settings.login;
    }
    if (serverLoginGoesTo(settings, getHostName(url)))
        request.serverLogin = settings.login;
    return request;
}

HttpRequest submissionRequest(const QString &method, const QString &action, const QString &originPath,
                              const QString &hostLine, const std::optional<QString> &formBody,
                              const RequestSettings &settings)
{
    HttpRequest request;
    request.method = method;
    request.target = settings.viaProxy() ? action : u'/' + originPath;
    request.host = hostLine;
    request.formBody = formBody;
    // Engines never see a login.
    if (proxyLoginGoesOut(settings))
        request.proxyLogin = settings.login;
    return request;
}

HttpRequest rankCheckRequest(const QString &hostPort, const QString &path, const RequestSettings &settings)
{
    HttpRequest request;
    request.target = (settings.viaProxy() ? u"http://"_s + hostPort : QString()) + path;
    request.host = hostPort;
    request.userAgent = u"Velquist"_s;
    if (settings.viaProxy() && !settings.login.isEmpty())
        request.proxyLogin = settings.login;
    return request;
}

HttpRequest updateRequest(const QString &vendorHost, const QString &path, const QString &hostLine,
                          const RequestSettings &settings)
{
    HttpRequest request;
    request.target = (settings.viaProxy() ? u"http://"_s + vendorHost : QString()) + path;
    request.host = hostLine;
    request.loginAt = HttpRequest::LoginAt::BeforeHost;
    if (settings.login.isEmpty())
        return request;
    if (proxyLoginGoesOut(settings))
        request.proxyLogin = settings.login;
    if (serverLoginGoesTo(settings, vendorHost))
        request.serverLogin = settings.login;
    return request;
}

} // namespace modDSSock
