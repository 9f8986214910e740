#pragma once
// One reply of the engine data download: header lines as text, then the body as bytes, handed
// to a sink as they come. HttpReplyReader says whether the reply is whole or how it ended; whether
// a body makes its file, and what a failure means, is the update's business.
#include <functional>
#include <optional>

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include "transport/HttpReplyReader.h"

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

    bool readingHeader() const { return m_reader.readingHeader() && !m_failed; }
    bool headerEnded() const { return m_reader.headerEnded(); }
    // The status line's code: 0 before any line, 600 when it cannot be read or is missing.
    int status() const;
    std::optional<qint64> contentLength() const { return m_reader.contentLength(); }
    qint64 bodyBytesReceived() const { return m_reader.bodyBytesReceived(); }
    // Content-Length was given and that many bytes have come.
    bool lengthReached() const { return m_reader.state() == HttpReplyReader::State::Whole; }
    // How the reply ends if the connection ends now with `closeCode` (0 for the peer's orderly
    // close or our own end after the full length): Whole (its Content-Length came), EndedByClose
    // (no Content-Length: whether the body is the whole file only its content can tell), or why
    // it is no whole reply.
    HttpReplyReader::State endsAs(int closeCode) const { return m_reader.atClose(closeCode == 0); }
    // A 200 reply that ends Whole or EndedByClose, with every byte taken by the sink.
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
    Step failIfUnreadable();

    HttpReplyReader m_reader{kMaxBodyBytes};
    Sink m_sink;
    QString m_header;
    QByteArray m_bodyStart;
    QString m_failure;
    bool m_failed = false;
};
