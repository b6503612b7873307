// When each slave begins to answer on a serial line, as last seen, so that a
// reply-driven read can sleep through that time instead of waking at the first
// byte.
//
// A reply-driven read wakes only where it must look: where the reply begins,
// where an exception frame would be whole (its fifth byte), and at the reply's
// end. At 9600 baud a USB adapter (on a 1 ms latency timer) and a
// pseudo-terminal hand the bytes over about one at a time, so the wake at the
// first byte learns nothing but when to look next. A meter answers each request
// after much the same time; once that time has been seen, the first look is
// planned four and a half characters after the first byte: an exception frame
// is whole by then, and a reply's byte count is in. The read ends where it did,
// or a little sooner, one wake fewer.
//
// Each planned look corrects the time by the bytes it found (n bytes in: the
// first came between n and n - 1 characters before), so the look stays where
// it belongs. A look that finds nothing waits on the port and sees the new
// time. A meter that answers sooner than the time before is looked at that much
// late, once: a reply's end does not move (its last byte is further off), but
// an exception frame is seen that much after its last byte. One that answers
// later shows fewer bytes, and the read goes on as it would have (an exception
// frame may be seen a millisecond later, by rounding).
//
// A line that hands bytes over several at a time (a USB adapter on a longer
// latency timer, a faster line) wakes the read once for many bytes anyway; a
// planned look could only end a read later there, so a first piece of three
// bytes or more forgets the time. Millisecond ticks need a character to take a
// millisecond or more for the look to land on its byte, so a look is planned
// only there (about 10000 baud and below).
#pragma once

#include "Framing.h"
#include "LineSettings.h"

#include <array>
#include <cstdint>

namespace rdlink {

// How a reply-driven read on a serial line began.
struct ReplyStart {
    uint32_t lookMs = 0;     // its first look, this long after the request was written; 0: it waited on the port
    int lookedBytes = -1;    // the bytes in at that look
    int firstPieceMs = -1;   // when the first bytes came while it waited on the port; -1: none came that way
    int firstPieceBytes = 0; // how many came then
};

class AnswerTimes {
public:
    // The first look at the reply to `request`, in ms after it was written; 0:
    // wait on the port for its first byte.
    uint32_t firstLookMs(const Frame &request, const LineSettings &line) const;

    // Takes in how the read of the reply to `request` began.
    void update(const Frame &request, const LineSettings &line, const ReplyStart &start);

private:
    struct Seen {
        int32_t afterUs = -1;   // the first byte came this long after the request; -1: not known
        int baudRate = 0;
        Parity parity = Parity::None;
    };
    std::array<Seen, 256> m_seen{};
};

} // namespace rdlink
