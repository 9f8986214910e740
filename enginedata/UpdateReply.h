#pragma once
// One reply of the engine data download: header lines as text (read by HttpReply), then the
// body as bytes, handed to a sink as they come and counted. It decides whether the reply makes
// a whole file; where the file goes and what a failure means is the window's business.
#include <functional>
#include <optional>

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

class UpdateReply {
public:
    // The largest body a reply may carry.
    static constexpr qint64 kMaxBodyBytes = qint64(256) * 1024 * 1024;
    // How much of a body is kept for the error log.
    static constexpr qsizetype kLoggedBodyBytes = 500;

    enum class Step { More, HeaderEnded, Failed };

    // Takes the body bytes meant for the file; false when they could not be written.
    using Sink = std::function<bool(QByteArrayView bytes)>;

    // Forgets everything of an earlier reply; the status is 0 until a status line comes.
    void reset();
    // Where the body goes from now on (none: it is only counted).
    void setSink(Sink sink) { m_sink = std::move(sink); }

    Step headerLine(const QString &line);
    Step bodyBytes(QByteArrayView bytes);

    bool readingHeader() const { return !m_headerEnded; }
    bool headerEnded() const { return m_headerEnded; }
    int status() const { return m_status; }
    std::optional<qint64> contentLength() const { return m_contentLength; }
    qint64 bodyBytesReceived() const { return m_received; }
    // Content-Length was given and that many bytes have come.
    bool lengthReached() const { return m_contentLength && m_received >= *m_contentLength; }
    // Whether the reply ends as a whole file when the connection ends with `closeCode`
    // (0 for the peer's orderly close or our own end after the full length).
    bool completeAt(int closeCode) const;

    QString header() const { return m_header; }
    QByteArray loggedBody() const { return m_bodyStart; }
    QString failure() const { return m_failure; }

    // Progress as the window shows it: the maximum is Content-Length (100 when there is none or
    // it is 0) and the value the byte count (50 when there is no length or it was passed).
    int progressMaximum() const;
    int progressValue() const;

private:
    Step fail(const QString &reason);
    void readField(const QString &line);

    Sink m_sink;
    QString m_header;
    QByteArray m_bodyStart;
    QString m_failure;
    std::optional<qint64> m_contentLength;
    qint64 m_received = 0;
    int m_status = 0;
    bool m_headerEnded = false;
    bool m_failed = false;
};
