// Modbus TCP framing (the MBAP header) and its translation to and from the RTU
// frames the link speaks. An ADU is: transaction id (2 bytes), protocol id (2,
// always 0), length (2: unit id and PDU), unit id (1), PDU. RTU is: address, PDU,
// CRC. Plain functions on bytes: the port translates with them, the line monitor
// decodes with them.
#pragma once

#include <QByteArray>
#include <cstdint>
#include <optional>

namespace rdlink {

constexpr int kMbapHeaderLength = 7;   // up to and including the unit id
constexpr int kMbapMaxLength = 254;    // largest length field: unit id + 253-byte PDU

struct MbapHeader {
    uint16_t transaction = 0;
    uint16_t protocol = 0;
    uint16_t length = 0;   // bytes after the length field: unit id + PDU
    uint8_t unit = 0;

    // Bytes of the whole ADU.
    int aduLength() const { return 6 + length; }
    // A header a Modbus TCP peer may send: protocol 0, room for unit and function.
    bool plausible() const { return protocol == 0 && length >= 2 && length <= kMbapMaxLength; }
};

// The header at `at`, when all seven bytes are there.
std::optional<MbapHeader> ReadMbapHeader(const QByteArray &bytes, int at = 0);

// The ADU for an RTU request (address, PDU, CRC; at least 4 bytes): the address
// becomes the unit id, the CRC is dropped. Empty when the frame is too short.
QByteArray MbapFromRtu(const QByteArray &rtu, uint16_t transaction);

// True for a gateway's own exception reply (code 0x0A path unavailable, 0x0B
// target failed to respond): the meter behind it said nothing.
bool IsGatewayNoAnswer(const QByteArray &adu);

// The RTU frame for a whole ADU: unit id as the address, the PDU, and a CRC
// computed here, so that the link's frame search takes it as any RTU reply.
// Empty when `adu` is not one plausible ADU.
QByteArray RtuFromMbap(const QByteArray &adu);

} // namespace rdlink
