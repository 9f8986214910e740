#include "submission/SubmitHttp.h"

#include <tuple>

#include "platform/Numbers.h"
#include "transport/HttpReply.h"
#include "transport/HttpRequest.h"
#include "transport/modDSSockUrl.h"

using namespace Qt::StringLiterals;

namespace SubmitHttp {

namespace {

// The status of a reply whose status line carries no readable code.
constexpr int kUnreadableCode = 600;

QString afterScheme(const QString &url)
{
    const qsizetype slashes = url.indexOf(u"//"_s);
    return slashes < 0 ? url : url.mid(slashes + 2);
}

// "?" starts the query unless the action has one already; then the data joins it with "&".
QString withQuery(const QString &action, const QString &data)
{
    if (!action.contains(u'?'))
        return action % u'?' % data;
    if (action.endsWith(u'?') || action.endsWith(u'&'))
        return action + data;
    return action % u'&' % data;
}

// The path and query after the host, without the leading "/".
QString pathOfAction(const QString &action)
{
    const QString rest = afterScheme(action);
    for (qsizetype i = 0; i < rest.size(); ++i) {
        if (rest.at(i) == u'/')
            return rest.mid(i + 1);
        if (rest.at(i) == u'?')
            return rest.mid(i);
    }
    return QString();
}

void appendCapped(QString &text, const QString &line)
{
    if (text.size() < kMaxKeptText)
        text += QStringView(line).left(kMaxKeptText - text.size());
}

void readStatusLine(modDSSock::SubmitSocket &record, const QString &line)
{
    const qsizetype space = line.indexOf(u' ');
    if (space >= 0)
        record.protocol = line.left(space).trimmed();
    record.httpStatus = record.reply.status().value_or(kUnreadableCode);
}

} // namespace

void actionHostAndPort(const QString &action, QString &host, int &port)
{
    host = modDSSock::getHostName(action);
    for (QChar end : {u'?', u'#'}) {
        const qsizetype at = host.indexOf(end);
        if (at >= 0)
            host.truncate(at);
    }
    std::tie(host, port) = HttpReply::splitHostPort(host);
}

Request buildRequest(const QString &method, const QString &action, const QString &submitData,
                     const SubmitSettings &settings)
{
    Request request;
    const QString verb = method.toUpper();
    // A server answers a lower-case method with 400; other methods go out as written.
    const QString sentMethod = verb == u"GET"_s || verb == u"POST"_s ? verb : method;
    const QString target = verb == u"GET"_s ? withQuery(action, submitData) : action;
    request.viaProxy = settings.AccessType == 2 && !settings.Proxy.isEmpty();

    QString originPath;
    if (request.viaProxy) {
        request.host = settings.Proxy;
        request.port = settings.Port;
    } else {
        actionHostAndPort(target, request.host, request.port);
        originPath = pathOfAction(target);
    }
    request.invalidHost = !request.host.contains(u'.');
    const std::optional<QString> body = verb == u"POST"_s ? std::optional<QString>(submitData) : std::nullopt;
    request.text = modDSSock::submissionRequest(sentMethod, target, originPath,
                                                request.host % u':' % QString::number(request.port), body,
                                                {settings.AccessType, settings.Proxy, settings.Port,
                                                 settings.Authentication, settings.HTTPLogin, QString()})
                       .text();
    return request;
}

bool readReplyLine(modDSSock::SubmitSocket &record, const QString &line)
{
    HttpReplyReader &reply = record.reply;
    if (reply.readingHeader()) {
        appendCapped(record.Header, line);
        const bool statusLine = reply.headerBytes() == 0;
        reply.headerLine(line);
        if (statusLine && !reply.failed())
            readStatusLine(record, line);
    } else {
        appendCapped(record.Body, line.left(reply.bodyBytes(line.size())));
    }
    return reply.state() != HttpReplyReader::State::Reading;
}

int statusOnClose(const modDSSock::SubmitSocket &record)
{
    // A reply that is not whole has not shown that the submission was taken.
    if (!HttpReplyReader::isWhole(record.reply.atClose()))
        return kFailed;
    const int code = record.httpStatus;
    if (code >= 400 && code <= 499)
        return kFailed;
    if (code >= 500 && code <= 599)
        return kServerFailure;
    if (code < 400)
        return kSuccess;
    return kUnreadableStatus;
}

QString statusText(int status)
{
    switch (status) {
    case 2: return u"Success"_s;
    case 3: return u"Failed"_s;
    case 4: return u"Submission Timeout"_s;
    case 5: return u"Cancelled"_s;
    case 6: return u"Close"_s;
    case 7: return u"Exception Error"_s;
    case 8: return u"Script Error"_s;
    case 9: return u"Invalid Host"_s;
    case 10: return u"Server Error"_s;
    case 11: return u"Connection Timeout"_s;
    case 12: return u"File Not Found"_s;
    case 14: return u"Server Error"_s;
    case kNotSent: return u"Not Sent"_s;
    default: return u"Unknown Error"_s;
    }
}

int timeOutInterval(int seconds)
{
    const int t = seconds < 1 ? 1 : seconds;
    if (t > 60)
        return 65000;
    return 1000 * t + int(Platform::roundHalfEven(t / 10.0));
}

} // namespace SubmitHttp
