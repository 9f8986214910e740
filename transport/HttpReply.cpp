#include "transport/HttpReply.h"

#include <limits>

#include "core/modCommon.h"
#include "transport/modDSSockUrl.h"

using namespace Qt::StringLiterals;

namespace HttpReply {
namespace {

bool isAsciiDigit(QChar ch)
{
    return ch >= u'0' && ch <= u'9';
}

bool allDigits(QStringView text)
{
    if (text.isEmpty())
        return false;
    for (QChar ch : text) {
        if (!isAsciiDigit(ch))
            return false;
    }
    return true;
}

bool endsWord(QChar ch)
{
    return ch == u' ' || ch == u'\t' || ch == u'\r' || ch == u'\n';
}

} // namespace

std::pair<QString, int> splitHostPort(const QString &hostPort)
{
    constexpr int kDefaultPort = 80;
    const qsizetype colon = hostPort.lastIndexOf(u':');
    const QStringView digits = QStringView(hostPort).mid(colon + 1);
    if (colon < 0 || !allDigits(digits) || digits.size() > 5)
        return {hostPort, kDefaultPort};
    const int port = digits.toInt();
    if (port < 1 || port > 65535)
        return {hostPort, kDefaultPort};
    return {hostPort.left(colon), port};
}

bool isStatusLine(const QString &line)
{
    return line.startsWith(u"HTTP/"_s, Qt::CaseInsensitive);
}

std::optional<int> statusCode(const QString &line)
{
    const qsizetype space = line.indexOf(u' ');
    if (space < 0)
        return kNoSpaceStatus;
    qsizetype end = space + 1;
    while (end < line.size() && !endsWord(line.at(end)))
        ++end;
    const QStringView word = QStringView(line).mid(space + 1, end - space - 1);
    if (word.size() > 3 || !allDigits(word))
        return std::nullopt;
    const int code = word.toInt();
    if (code <= 0)
        return std::nullopt;
    return code;
}

std::optional<std::pair<QString, QString>> field(const QString &line)
{
    const qsizetype colon = line.indexOf(u':');
    if (colon < 0)
        return std::nullopt;
    return std::pair{line.left(colon).trimmed(),
                     modCommon::replaceCrLf(modDSSock::trimLineEnd(line.mid(colon + 1))).trimmed()};
}

std::optional<QString> fieldValue(const QString &line, QLatin1StringView name)
{
    const std::optional<std::pair<QString, QString>> nameAndValue = field(line);
    if (!nameAndValue || nameAndValue->first.compare(name, Qt::CaseInsensitive) != 0)
        return std::nullopt;
    return nameAndValue->second;
}

std::optional<qint64> lengthValue(const QString &value)
{
    if (!allDigits(value))
        return std::nullopt;
    bool fits = false;
    const qint64 length = value.toLongLong(&fits);
    return fits ? length : std::numeric_limits<qint64>::max();
}

bool endsHeader(const QString &line)
{
    return line == u"\r\n"_s || line == u"\n"_s;
}

} // namespace HttpReply
