#include "enginedata/UpdateReply.h"

#include "transport/HttpReply.h"
#include "transport/frmHTTP.h"

using namespace Qt::StringLiterals;

void UpdateReply::reset()
{
    *this = UpdateReply();
}

UpdateReply::Step UpdateReply::fail(const QString &reason)
{
    m_failed = true;
    m_failure = reason;
    return Step::Failed;
}

UpdateReply::Step UpdateReply::headerLine(const QString &line)
{
    if (m_failed)
        return Step::Failed;
    m_header += line;
    if (m_header.size() > frmHTTP::kMaxHeaderChars)
        return fail(u"the reply header is too large"_s);
    if (HttpReply::endsHeader(line)) {
        m_headerEnded = true;
        return Step::HeaderEnded;
    }
    readField(line);
    return m_failed ? Step::Failed : Step::More;
}

void UpdateReply::readField(const QString &line)
{
    if (HttpReply::isStatusLine(line)) {
        m_status = HttpReply::statusCode(line).value_or(HttpReply::kNoSpaceStatus);
        return;
    }
    const std::optional<QString> value = HttpReply::fieldValue(line, "Content-Length"_L1);
    if (!value)
        return;
    m_contentLength = HttpReply::lengthValue(*value);
    if (!m_contentLength)
        fail(u"unreadable Content-Length: "_s + *value);
    else if (*m_contentLength > kMaxBodyBytes)
        fail(u"Content-Length above the limit: "_s + *value);
}

UpdateReply::Step UpdateReply::bodyBytes(QByteArrayView bytes)
{
    if (m_failed)
        return Step::Failed;
    // Bytes past Content-Length belong to no file.
    if (m_contentLength)
        bytes = bytes.first(qMin<qint64>(bytes.size(), *m_contentLength - m_received));
    if (m_received + bytes.size() > kMaxBodyBytes)
        return fail(u"the body is larger than the limit"_s);
    if (m_bodyStart.size() < kLoggedBodyBytes)
        m_bodyStart += bytes.first(qMin<qsizetype>(bytes.size(), kLoggedBodyBytes - m_bodyStart.size()));
    m_received += bytes.size();
    if (m_sink && !bytes.isEmpty() && !m_sink(bytes))
        return fail(u"the file could not be written"_s);
    return Step::More;
}

bool UpdateReply::completeAt(int closeCode) const
{
    if (m_failed || closeCode != 0 || m_status != 200 || !m_headerEnded)
        return false;
    return !m_contentLength || m_received == *m_contentLength;
}

int UpdateReply::progressMaximum() const
{
    return m_contentLength && *m_contentLength >= 1 ? int(*m_contentLength) : 100;
}

int UpdateReply::progressValue() const
{
    return m_contentLength && *m_contentLength >= 1 && *m_contentLength >= m_received ? int(m_received) : 50;
}
