#include "enginedata/UpdateReply.h"

#include "sitedata/modEngineData.h"
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

namespace UpdateFiles {

namespace {

// Calls `onLine` with each line (line end cut off) until it returns false.
void forEachLine(QByteArrayView bytes, const std::function<bool(QByteArrayView)> &onLine)
{
    for (qsizetype at = 0; at < bytes.size();) {
        const qsizetype next = modEngineData::nextLineStart(bytes, at);
        QByteArrayView line = bytes.sliced(at, next - at);
        while (!line.isEmpty() && (line.back() == '\r' || line.back() == '\n'))
            line.chop(1);
        if (!onLine(line))
            return;
        at = next;
    }
}

bool hasLine(QByteArrayView bytes, const std::function<bool(QByteArrayView)> &matches)
{
    bool found = false;
    forEachLine(bytes, [&](QByteArrayView line) {
        found = matches(line);
        return !found;
    });
    return found;
}

bool isBracketLine(QByteArrayView line)
{
    return line.size() > 2 && line.front() == '[' && line.back() == ']';
}

bool holdsNamedEngine(QByteArrayView body)
{
    bool found = false;
    forEachLine(body, [&](QByteArrayView line) {
        const modEngineData::EngineByteLine read = modEngineData::readEngineLine(line);
        found = read.kind == modEngineData::EngineByteLine::KeyLine && read.key == modEngineData::EngineKey::Name
                && !read.value.isEmpty();
        return !found && read.kind != modEngineData::EngineByteLine::EndMarker;
    });
    return found;
}

// An entry line before any "END" line, as the engine category reader sees them.
bool holdsCategoryEntry(QByteArrayView body)
{
    bool found = false;
    forEachLine(body, [&](QByteArrayView line) {
        if (line.compare("END", Qt::CaseInsensitive) == 0)
            return false;
        found = line.startsWith('[') && line.contains(']');
        return !found;
    });
    return found;
}

QString startProblem(QByteArrayView body)
{
    if (body.contains('\0'))
        return u"it holds binary data"_s;
    qsizetype first = 0;
    while (first < body.size() && (body[first] == ' ' || body[first] == '\t' || body[first] == '\r' || body[first] == '\n'))
        ++first;
    if (first < body.size() && body[first] == '<')
        return u"it is a web page"_s;
    return QString();
}

} // namespace

QString problem(int fileIndex, QByteArrayView body)
{
    if (const QString start = startProblem(body); !start.isEmpty())
        return start;
    switch (fileIndex) {
    case 0:
        return holdsNamedEngine(body) ? QString() : u"it holds no engine"_s;
    case 1:
        return holdsCategoryEntry(body) ? QString() : u"it holds no engine category entry"_s;
    case 3:
        return hasLine(body, isBracketLine) ? QString() : u"it holds no main category"_s;
    case 4:
        return hasLine(body, isBracketLine) && hasLine(body, [](QByteArrayView line) { return line.contains('='); })
                   ? QString()
                   : u"it holds no engine section"_s;
    default:
        return QString();
    }
}

} // namespace UpdateFiles
