#pragma once
// Cuts a stream of bytes into lines as the line readers of the data files read them: CR LF, CR or
// a lone LF ends a line, also when a chunk's end falls between CR and LF. A line that grows past
// kMaxLineBytes is dropped as it comes and its number (from 1) noted.
#include <functional>

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

namespace Platform {

class LineCutter {
public:
    using OnLine = std::function<bool(QByteArrayView)>;
    // `onLine` gets each line without its line end; it returns false to stop. Both references
    // must outlive the cutter.
    LineCutter(const OnLine &onLine, QList<qint64> &skipped) : m_onLine(onLine), m_skipped(skipped) {}

    // False once `onLine` has asked to stop.
    bool take(QByteArrayView chunk);
    // The last line, when the bytes do not end with a line end.
    void finish();

private:
    void hold(QByteArrayView bytes);
    bool endLine(QByteArrayView bytes);

    const OnLine &m_onLine;
    QList<qint64> &m_skipped;
    QByteArray m_pending;     // the current line so far, when a chunk's end cut it
    bool m_overlong = false;  // the current line is past the limit: its bytes are not kept
    bool m_afterCr = false;   // the last chunk ended in CR: a LF starting the next one belongs to it
    qint64 m_lineNumber = 0;
};

} // namespace Platform
