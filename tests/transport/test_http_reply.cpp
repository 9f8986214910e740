// The one reader of HTTP/1.0 reply headers: real replies and the odd lines that must read as
// unreadable in every caller alike.
#include "transport/HttpReply.h"

#include <gtest/gtest.h>

#include <limits>

using namespace Qt::StringLiterals;
using namespace HttpReply;

namespace {

constexpr int kUnreadable = -1;

int code(const QString &line)
{
    return statusCode(line).value_or(kUnreadable);
}

qint64 length(const QString &value)
{
    return lengthValue(value).value_or(kUnreadable);
}

} // namespace

TEST(HttpReply, StatusCodesOfRealAndOddStatusLines)
{
    const struct {
        QString line;
        int code;
    } cases[] = {
        {u"HTTP/1.0 200 OK\r\n"_s, 200},
        {u"http/1.1 404 Not Found\r\n"_s, 404},
        {u"HTTP/1.0 503\n"_s, 503},
        {u"HTTP/1.0 302"_s, 302},
        {u"HTTP/1.0 200\tOK\r\n"_s, 200},
        {u"HTTP/1.0 20 OK\r\n"_s, 20},
        {u"HTTP/1.0\r\n"_s, kNoSpaceStatus},
        {u"HTTP/1.0 1e2 x\r\n"_s, kUnreadable},
        {u"HTTP/1.0 9e9\r\n"_s, kUnreadable},
        {u"HTTP/1.0 inf\r\n"_s, kUnreadable},
        {u"HTTP/1.0 +20 x\r\n"_s, kUnreadable},
        {u"HTTP/1.0 -20 x\r\n"_s, kUnreadable},
        {u"HTTP/1.0  200 OK\r\n"_s, kUnreadable},
        {u"HTTP/1.0 2000 OK\r\n"_s, kUnreadable},
        {u"HTTP/1.0 1.5 x\r\n"_s, kUnreadable},
        {u"HTTP/1.0 000 x\r\n"_s, kUnreadable},
        {u"HTTP/1.0 20x\r\n"_s, kUnreadable},
        {u"HTTP/1.0 \u0662\u0660\u0660\r\n"_s, kUnreadable},
        {u"HTTP/1.0 \r\n"_s, kUnreadable},
    };
    for (const auto &c : cases)
        EXPECT_EQ(code(c.line), c.code) << c.line.toStdString();
}

TEST(HttpReply, StatusLinesAndTheHeaderEnd)
{
    EXPECT_TRUE(isStatusLine(u"HTTP/1.0 200 OK\r\n"_s));
    EXPECT_TRUE(isStatusLine(u"http/"_s));
    EXPECT_FALSE(isStatusLine(u" HTTP/1.0 200"_s));
    EXPECT_FALSE(isStatusLine(u"XHTTP/1.0 200"_s));

    EXPECT_TRUE(endsHeader(u"\r\n"_s));
    EXPECT_TRUE(endsHeader(u"\n"_s));
    for (const QString &line : {u"\r"_s, u" \r\n"_s, u""_s, u"\r\n\r\n"_s})
        EXPECT_FALSE(endsHeader(line)) << line.toStdString();
}

TEST(HttpReply, FieldValuesMatchTheNameIgnoringCaseAndBlanks)
{
    const auto value = [](const QString &line, QLatin1StringView name) {
        return fieldValue(line, name).value_or(u"(none)"_s);
    };
    EXPECT_EQ(value(u"Content-Length: 12\r\n"_s, "Content-Length"_L1), u"12"_s);
    EXPECT_EQ(value(u"content-length:12\r\n"_s, "Content-Length"_L1), u"12"_s);
    EXPECT_EQ(value(u" CONTENT-LENGTH :\t7 \n"_s, "Content-Length"_L1), u"7"_s);
    EXPECT_EQ(value(u"Location: http://a.example/b?c=d:e\r\n"_s, "Location"_L1), u"http://a.example/b?c=d:e"_s);
    EXPECT_EQ(value(u"Location:\r\n"_s, "Location"_L1), QString());
    EXPECT_EQ(value(u"X-Content-Length: 5\r\n"_s, "Content-Length"_L1), u"(none)"_s);
    EXPECT_EQ(value(u"Content-Length 5\r\n"_s, "Content-Length"_L1), u"(none)"_s);
}

TEST(HttpReply, ContentLengthIsAWholeNumberOrUnreadable)
{
    EXPECT_EQ(length(u"12"_s), 12);
    EXPECT_EQ(length(u"0"_s), 0);
    EXPECT_EQ(length(u"007"_s), 7);
    // No reply reaches it: the body then never counts as complete.
    EXPECT_EQ(length(u"99999999999999999999999"_s), std::numeric_limits<qint64>::max());
    for (const QString &odd : {u""_s, u"1e2"_s, u"+5"_s, u"-5"_s, u"1.0"_s, u"12abc"_s, u"1 2"_s, u"0x10"_s})
        EXPECT_EQ(length(odd), kUnreadable) << odd.toStdString();
}

TEST(HttpReply, HostPortSplitTakesOnlyAPortNumberAtTheEnd)
{
    const struct {
        QString text;
        QString host;
        int port;
    } cases[] = {
        {u"a.example:8080"_s, u"a.example"_s, 8080},
        {u"127.0.0.1:65535"_s, u"127.0.0.1"_s, 65535},
        {u"a.example"_s, u"a.example"_s, 80},
        {u"a.example:"_s, u"a.example:"_s, 80},
        {u"a.example:0"_s, u"a.example:0"_s, 80},
        {u"a.example:65536"_s, u"a.example:65536"_s, 80},
        {u"a.example:000080"_s, u"a.example:000080"_s, 80},
        {u"a.example:+81"_s, u"a.example:+81"_s, 80},
        {u"a.example: 81"_s, u"a.example: 81"_s, 80},
        {u"[::1]:8080"_s, u"[::1]"_s, 8080},
        {u""_s, u""_s, 80},
    };
    for (const auto &c : cases) {
        const auto [host, port] = splitHostPort(c.text);
        EXPECT_EQ(host, c.host) << c.text.toStdString();
        EXPECT_EQ(port, c.port) << c.text.toStdString();
    }
}
