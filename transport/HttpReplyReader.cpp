#include "transport/HttpReplyReader.h"

#include "transport/HttpReply.h"

using namespace Qt::StringLiterals;

HttpReplyReader::State HttpReplyReader::fail(State why)
{
    m_state = why;
    return m_state;
}

HttpReplyReader::State HttpReplyReader::headerLine(const QString &line)
{
    if (m_state != State::Reading || m_headerEnded)
        return m_state;
    const bool first = m_headerBytes == 0;
    m_headerBytes += line.size();
    if (m_headerBytes > kMaxHeaderBytes) {
        m_headerTooLarge = true;
        return fail(State::TooLarge);
    }
    if (first) {
        if (!HttpReply::isStatusLine(line))
            return fail(State::NoStatusLine);
        m_status = HttpReply::statusCode(line);
        return m_state;
    }
    if (HttpReply::endsHeader(line)) {
        m_headerEnded = true;
        if (m_length == 0)
            m_state = State::Whole;
        return m_state;
    }
    readField(line);
    return m_state;
}

// A length that cannot be read, or two that differ, leave no way to tell where the body ends.
void HttpReplyReader::readField(const QString &line)
{
    const std::optional<QString> text = HttpReply::fieldValue(line, "Content-Length"_L1);
    if (!text)
        return;
    const std::optional<qint64> length = HttpReply::lengthValue(*text);
    if (!length || (m_length && *m_length != *length)) {
        m_badLength = m_length ? QString::number(*m_length) + u" and "_s + *text : *text;
        fail(State::BadLength);
        return;
    }
    m_length = length;
    if (*length > m_maxBody)
        fail(State::TooLarge);
}

qint64 HttpReplyReader::bodyBytes(qint64 count)
{
    if (m_state != State::Reading || !m_headerEnded)
        return 0;
    const qint64 taken = m_length ? qMin(count, *m_length - m_body) : count;
    if (taken > m_maxBody - m_body) {
        fail(State::TooLarge);
        return 0;
    }
    m_body += taken;
    if (m_length && m_body == *m_length)
        m_state = State::Whole;
    return taken;
}

HttpReplyReader::State HttpReplyReader::atClose(bool orderly) const
{
    if (m_state != State::Reading)
        return m_state;
    if (m_headerBytes == 0)
        return State::NoReply;
    if (!m_headerEnded)
        return State::HeaderCut;
    return orderly && !m_length ? State::EndedByClose : State::BodyCut;
}

QString HttpReplyReader::problem(State end) const
{
    switch (end) {
    case State::NoReply: return u"closed the connection without a reply"_s;
    case State::NoStatusLine: return u"sent no HTTP status line"_s;
    case State::HeaderCut: return u"closed the connection inside the reply header"_s;
    case State::BodyCut:
        if (m_length)
            return u"stopped sending after %1 of %2 bytes"_s.arg(m_body).arg(*m_length);
        return u"broke off the reply after %1 bytes"_s.arg(m_body);
    case State::TooLarge:
        if (m_headerTooLarge)
            return u"sent a reply header of more than %1 bytes"_s.arg(kMaxHeaderBytes);
        return u"sent a body of more than %1 bytes"_s.arg(m_maxBody);
    case State::BadLength: return u"sent an unreadable Content-Length: "_s + m_badLength;
    case State::Reading:
    case State::Whole:
    case State::EndedByClose: break;
    }
    return QString();
}
