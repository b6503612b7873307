#include "Mbap.h"

#include "Framing.h"

namespace rdlink {
namespace {

uint16_t WordAt(const QByteArray &b, int i)
{
    return static_cast<uint16_t>(uint8_t(b[i]) << 8 | uint8_t(b[i + 1]));
}

void AppendWord(QByteArray &b, uint16_t w)
{
    b.append(char(w >> 8));
    b.append(char(w & 0xFF));
}

} // namespace

std::optional<MbapHeader> ReadMbapHeader(const QByteArray &bytes, int at)
{
    if (at < 0 || bytes.size() - at < kMbapHeaderLength)
        return std::nullopt;
    MbapHeader h;
    h.transaction = WordAt(bytes, at);
    h.protocol = WordAt(bytes, at + 2);
    h.length = WordAt(bytes, at + 4);
    h.unit = uint8_t(bytes[at + 6]);
    return h;
}

QByteArray MbapFromRtu(const QByteArray &rtu, uint16_t transaction)
{
    if (rtu.size() < 4)
        return {};
    const QByteArray pdu = rtu.mid(1, rtu.size() - 3);
    QByteArray adu;
    adu.reserve(kMbapHeaderLength + pdu.size());
    AppendWord(adu, transaction);
    AppendWord(adu, 0);
    AppendWord(adu, uint16_t(pdu.size() + 1));
    adu.append(rtu[0]);
    adu.append(pdu);
    return adu;
}

bool IsGatewayNoAnswer(const QByteArray &adu)
{
    if (adu.size() != kMbapHeaderLength + 2 || !(uint8_t(adu[7]) & 0x80))
        return false;
    const uint8_t code = uint8_t(adu[8]);
    return code == 0x0A || code == 0x0B;
}

QByteArray RtuFromMbap(const QByteArray &adu)
{
    const std::optional<MbapHeader> h = ReadMbapHeader(adu);
    if (!h || !h->plausible() || h->aduLength() != adu.size())
        return {};
    QByteArray rtu = adu.mid(6);   // unit id, then the PDU
    const uint16_t crc = ComputeCrc(reinterpret_cast<const uint8_t *>(rtu.constData()), uint16_t(rtu.size()));
    // The link's frame search reads the CRC high byte first (Framing.cpp).
    rtu.append(char(crc >> 8));
    rtu.append(char(crc & 0xFF));
    return rtu;
}

} // namespace rdlink
