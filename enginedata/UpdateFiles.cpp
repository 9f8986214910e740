#include "enginedata/UpdateFiles.h"

#include <functional>

#include "sitedata/modEngineData.h"

using namespace Qt::StringLiterals;

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
