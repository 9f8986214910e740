#include "enginedata/UpdateReply.h"

#include "transport/HttpReply.h"

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

UpdateReply::Step UpdateReply::failIfUnreadable()
{
    return m_reader.failed() ? fail(m_reader.problem(m_reader.state())) : Step::More;
}

UpdateReply::Step UpdateReply::headerLine(const QString &line)
{
    if (m_failed)
        return Step::Failed;
    m_header += line;
    m_reader.headerLine(line);
    if (failIfUnreadable() == Step::Failed)
        return Step::Failed;
    return m_reader.headerEnded() ? Step::HeaderEnded : Step::More;
}

int UpdateReply::status() const
{
    return m_header.isEmpty() ? 0 : m_reader.status().value_or(HttpReply::kNoSpaceStatus);
}

UpdateReply::Step UpdateReply::bodyBytes(QByteArrayView bytes)
{
    if (m_failed)
        return Step::Failed;
    // Bytes past Content-Length belong to no file.
    bytes = bytes.first(m_reader.bodyBytes(bytes.size()));
    if (failIfUnreadable() == Step::Failed)
        return Step::Failed;
    if (m_bodyStart.size() < kLoggedBodyBytes)
        m_bodyStart += bytes.first(qMin<qsizetype>(bytes.size(), kLoggedBodyBytes - m_bodyStart.size()));
    if (m_sink && !bytes.isEmpty() && !m_sink(bytes))
        return fail(u"the file could not be written"_s);
    return Step::More;
}

bool UpdateReply::completeAt(int closeCode) const
{
    return !m_failed && status() == 200 && HttpReplyReader::isWhole(endsAs(closeCode));
}

int UpdateReply::progressMaximum() const
{
    const qint64 length = contentLength().value_or(0);
    return length >= 1 ? int(length) : 100;
}

int UpdateReply::progressValue() const
{
    const qint64 length = contentLength().value_or(0);
    return length >= 1 && length >= bodyBytesReceived() ? int(bodyBytesReceived()) : 50;
}
