#pragma once
// Whether an HTTP/1.0 reply is whole: the one rule every client asks (page fetch, rank check,
// submission, engine data update). A reply is whole when its first line is a status line, its
// header ends with an empty line and its body reaches the Content-Length the header announced.
// Without Content-Length the body runs to the close. The clients feed it their header lines and
// count their body bytes through it; what they keep of the bytes, and what a failure means to
// the user, stays theirs.
#include <limits>
#include <optional>

#include <QString>

class HttpReplyReader {
public:
    static constexpr qsizetype kMaxHeaderBytes = 64 * 1024;
    static constexpr qint64 kNoLimit = std::numeric_limits<qint64>::max();

    // How a reply stands, or how it ended.
    enum class State {
        Reading,        // the header or the body is still coming
        Whole,          // the body reached its Content-Length (an empty one at the header's end)
        EndedByClose,   // no Content-Length: the close ended the body
        NoReply,        // closed before any byte
        NoStatusLine,   // the first line is no status line
        HeaderCut,      // closed inside the header
        BodyCut,        // closed before the announced length, or broken off by an error
        TooLarge,       // the header or the body beyond its limit
        BadLength,      // an unreadable Content-Length, or two that differ
    };

    HttpReplyReader() = default;
    // `maxBodyBytes` bounds the body; an announced length above it fails at once.
    explicit HttpReplyReader(qint64 maxBodyBytes) : m_maxBody(maxBodyBytes) {}

    // One header line as it came, line end included (a part line cut at a cap counts as one).
    State headerLine(const QString &line);
    // `count` body bytes came: how many of them belong to the body (none past Content-Length).
    qint64 bodyBytes(qint64 count);

    // What the reply is if the connection ends now: an orderly close (the peer's, or ours once
    // the reply is whole) or an error.
    State atClose(bool orderly = true) const;
    // Whether the reply counts as a whole reply when it ends as `end`.
    static bool isWhole(State end) { return end == State::Whole || end == State::EndedByClose; }

    State state() const { return m_state; }
    bool readingHeader() const { return m_state == State::Reading && !m_headerEnded; }
    // The empty line that ends the header came.
    bool headerEnded() const { return m_headerEnded; }
    bool failed() const { return m_state != State::Reading && !isWhole(m_state); }
    // The code of the status line; nothing before it or when it is unreadable (HttpReply::statusCode).
    std::optional<int> status() const { return m_status; }
    std::optional<qint64> contentLength() const { return m_length; }
    qint64 headerBytes() const { return m_headerBytes; }
    qint64 bodyBytesReceived() const { return m_body; }

    // What went wrong with a reply that ended as `end`, worded to follow the server's name
    // ("127.0.0.1:80 closed the connection without a reply").
    QString problem(State end) const;

private:
    State fail(State why);
    void readField(const QString &line);

    qint64 m_maxBody = kNoLimit;
    State m_state = State::Reading;
    bool m_headerEnded = false;
    bool m_headerTooLarge = false;
    std::optional<int> m_status;
    std::optional<qint64> m_length;
    QString m_badLength;
    qint64 m_headerBytes = 0;
    qint64 m_body = 0;
};
