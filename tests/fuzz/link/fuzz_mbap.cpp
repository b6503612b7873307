// Modbus TCP bytes from the wire, as a gateway may send them: the header reader,
// the translation to an RTU frame and the line monitor's description of what came
// back. The translation must give a frame exactly as long as the ADU's PDU plus
// address and CRC, whose CRC the link's own search accepts, or nothing at all.
#include "common/traffic/MbapDecode.h"
#include "link/Framing.h"
#include "link/Mbap.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 3)
        return 0;
    const uint16_t transaction = uint16_t(data[0] << 8 | data[1]);
    const uint8_t unit = data[2];
    const QByteArray wire(reinterpret_cast<const char *>(data + 3), int(size - 3));
    for (int at = 0; at < wire.size();) {
        const auto header = rdlink::ReadMbapHeader(wire, at);
        if (!header || !header->plausible() || at + header->aduLength() > wire.size())
            break;
        const QByteArray rtu = rdlink::RtuFromMbap(wire.mid(at, header->aduLength()));
        if (rtu.size() != header->length + 2)
            abort();
        const auto *p = reinterpret_cast<const uint8_t *>(rtu.constData());
        if (rdlink::FindReplyFrame(p, int(rtu.size()), p[1], p[0], int(rtu.size())) != 0)
            abort();
        at += header->aduLength();
    }
    rdtraffic::ReplyVerdict verdict;
    if (rdtraffic::DescribeMbapReply(wire, transaction, unit, verdict).isEmpty())
        abort();
    rdtraffic::DescribeMbapRequest(wire);
    return 0;
}
