// Reading HTTP/1.0 replies: the header helpers with the odd lines that must read as unreadable in
// every caller alike, and the one rule of whether a reply is whole.
#include "transport/HttpReply.h"
#include "transport/HttpReplyReader.h"

#include <gtest/gtest.h>

#include "support/ReplyLines.h"

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

namespace {

using State = HttpReplyReader::State;

// Feeds a reply as the clients do: header lines, then body bytes.
HttpReplyReader fed(const QByteArray &reply, qint64 maxBody = HttpReplyReader::kNoLimit)
{
    HttpReplyReader reader(maxBody);
    for (const QByteArray &line : TestSupport::replyLines(reply)) {
        if (reader.readingHeader())
            reader.headerLine(QString::fromLatin1(line));
        else
            reader.bodyBytes(line.size());
    }
    return reader;
}

} // namespace

TEST(HttpReplyReader, TheOneRuleOfAWholeReply)
{
    const struct {
        const char *name;
        QByteArray reply;
        State before;   // before any close
        State atClose;
        qint64 body;
        QString problem;
    } cases[] = {
        {"length reached", "HTTP/1.0 200 OK\r\nContent-Length: 3\r\n\r\nabc", State::Whole, State::Whole, 3, {}},
        {"bytes past the length", "HTTP/1.0 200 OK\r\nContent-Length: 3\r\n\r\nabcdef", State::Whole, State::Whole, 3, {}},
        {"empty body announced", "HTTP/1.0 200 OK\nContent-Length: 0\n\n", State::Whole, State::Whole, 0, {}},
        {"no length", "HTTP/1.0 404 x\r\n\r\nbody", State::Reading, State::EndedByClose, 4, {}},
        {"nothing", "", State::Reading, State::NoReply, 0, u"closed the connection without a reply"_s},
        {"no status line", "<html>\r\n\r\n", State::NoStatusLine, State::NoStatusLine, 0, u"sent no HTTP status line"_s},
        {"blank first line", "\r\nHTTP/1.0 200 OK\r\n\r\n", State::NoStatusLine, State::NoStatusLine, 0,
         u"sent no HTTP status line"_s},
        {"status line only", "HTTP/1.0 200 OK", State::Reading, State::HeaderCut, 0,
         u"closed the connection inside the reply header"_s},
        {"inside the header", "HTTP/1.0 200 OK\r\nX: y\r\n", State::Reading, State::HeaderCut, 0,
         u"closed the connection inside the reply header"_s},
        {"inside the body", "HTTP/1.0 200 OK\r\nContent-Length: 10\r\n\r\nabcd", State::Reading, State::BodyCut, 4,
         u"stopped sending after 4 of 10 bytes"_s},
        {"unreadable length", "HTTP/1.0 200 OK\r\nContent-Length: 12abc\r\n\r\nbody", State::BadLength, State::BadLength, 0,
         u"sent an unreadable Content-Length: 12abc"_s},
        {"two lengths", "HTTP/1.0 200 OK\r\nContent-Length: 7\r\ncontent-length: 12\r\n\r\n", State::BadLength,
         State::BadLength, 0, u"sent an unreadable Content-Length: 7 and 12"_s},
        {"the same length twice", "HTTP/1.0 200 OK\r\nContent-Length: 2\r\nContent-Length: 2\r\n\r\nab", State::Whole,
         State::Whole, 2, {}},
        {"huge header", "HTTP/1.0 200 OK\r\nX: " + QByteArray(HttpReplyReader::kMaxHeaderBytes, 'h') + "\r\n\r\n",
         State::TooLarge, State::TooLarge, 0, u"sent a reply header of more than 65536 bytes"_s},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const HttpReplyReader reader = fed(c.reply);
        EXPECT_EQ(reader.state(), c.before);
        EXPECT_EQ(reader.atClose(), c.atClose);
        EXPECT_EQ(reader.bodyBytesReceived(), c.body);
        EXPECT_EQ(reader.problem(reader.atClose()), c.problem);
    }
    // A connection broken by an error ends a body without length as cut.
    EXPECT_EQ(fed("HTTP/1.0 200 OK\r\n\r\nbody").atClose(false), State::BodyCut);
}

TEST(HttpReplyReader, BodyLimit)
{
    EXPECT_EQ(fed("HTTP/1.0 200 OK\r\nContent-Length: 5\r\n\r\n", 4).state(), State::TooLarge);
    EXPECT_EQ(fed("HTTP/1.0 200 OK\r\nContent-Length: 4\r\n\r\nabcd", 4).state(), State::Whole);
    const HttpReplyReader open = fed("HTTP/1.0 200 OK\r\n\r\nabcde", 4);
    EXPECT_EQ(open.state(), State::TooLarge);
    EXPECT_EQ(open.problem(open.atClose()), u"sent a body of more than 4 bytes"_s);
    EXPECT_EQ(fed("HTTP/1.0 200 OK\r\n\r\nabcd", 4).atClose(), State::EndedByClose);
}
