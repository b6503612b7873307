// What one exchange takes in while it waits for its reply, bounded whatever a
// peer sends: a reply is at most 256 bytes, so only the newest kKeep bytes are
// kept, and each search looks only at the frames that end in what just came, so
// a flood costs the same for every piece instead of a rescan from the start.
#pragma once

#include "Framing.h"

#include <QByteArray>

namespace rdlink {

class ReplyBuffer {
public:
    static constexpr int kKeep = 512;

    explicit ReplyBuffer(const Frame &request);

    // Adds what came; true when the reply or an exception frame for the
    // request is whole (nothing is added after that).
    bool add(const QByteArray &data);
    bool complete() const { return m_frameAt >= 0 || m_exceptionAt >= 0; }

    const QByteArray &bytes() const { return m_bytes; }   // the newest kKeep bytes
    qint64 total() const { return m_total; }               // every byte added
    int expectedLength() const { return m_expected; }
    // Where the reply frame or the exception frame starts in bytes(), -1: none.
    int frameAt() const { return m_frameAt; }
    int exceptionAt() const { return m_exceptionAt; }

    // The fewest bytes that must still come before the reply or an exception
    // frame can be whole (at least 1): the line cannot bring them sooner than
    // their line time, so a reader may sleep that long before looking again.
    int fewestStillToCome() const;

private:
    uint8_t m_address;
    uint8_t m_function;
    int m_expected;
    QByteArray m_bytes;
    qint64 m_total = 0;
    int m_frameAt = -1;
    int m_exceptionAt = -1;
};

} // namespace rdlink
