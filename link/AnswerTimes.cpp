#include "AnswerTimes.h"

#include <algorithm>

namespace rdlink {
namespace {

int64_t CharacterUs(const LineSettings &line)
{
    if (line.baudRate <= 0)
        return 0;
    const int64_t bits = line.parity != Parity::None ? 11 : 10;
    return bits * 1000000 / line.baudRate;
}

} // namespace

uint32_t AnswerTimes::firstLookMs(const Frame &request, const LineSettings &line) const
{
    const Seen &seen = m_seen[request[0]];
    if (request[0] == 0 || seen.afterUs < 0 || seen.baudRate != line.baudRate || seen.parity != line.parity)
        return 0;
    const int64_t character = CharacterUs(line);
    if (character < 1000)
        return 0;
    // Four and a half characters after the first byte, to the nearest millisecond.
    const int64_t look = seen.afterUs + 9 * character / 2;
    return uint32_t(std::max<int64_t>((look + 499) / 1000, 1));
}

void AnswerTimes::update(const Frame &request, const LineSettings &line, const ReplyStart &start)
{
    if (request[0] == 0)
        return;
    Seen &seen = m_seen[request[0]];
    if (start.firstPieceMs >= 0) {
        const bool oneByOne = start.firstPieceBytes <= 2;
        seen = Seen{oneByOne ? start.firstPieceMs * 1000 : -1, line.baudRate, line.parity};
    } else if (start.lookedBytes > 0) {
        // n bytes in: the first came between n and n - 1 characters before the look.
        const int64_t at = int64_t(start.lookMs) * 1000 - (2 * start.lookedBytes - 1) * CharacterUs(line) / 2;
        seen.afterUs = at >= 0 ? int32_t(at) : -1;
    }
}

} // namespace rdlink
