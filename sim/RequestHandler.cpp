#include "sim/RequestHandler.h"

#include "sim/Crc.h"

#include <cstdio>

namespace rdsim {

namespace {
std::string Hex4(uint16_t v)
{
    char buf[8];
    std::snprintf(buf, sizeof buf, "0x%04X", v);
    return buf;
}
} // namespace

std::string HexBytes(const uint8_t *bytes, size_t length)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(length * 3);
    for (size_t i = 0; i < length; ++i) {
        if (i)
            out += ' ';
        out += digits[bytes[i] >> 4];
        out += digits[bytes[i] & 0x0F];
    }
    return out;
}

std::vector<uint8_t> ExceptionFrame(uint8_t address, uint8_t function, uint8_t code)
{
    std::vector<uint8_t> f = {address, uint8_t(function | 0x80), code};
    AppendCrc(f);
    return f;
}

Request ParseRequest(const uint8_t *frame, size_t length, uint8_t ourAddress)
{
    Request r;
    if (length < 4) {
        r.meaning = "too short";
        return r;
    }
    if (!HasValidCrc(frame, length)) {
        r.meaning = "bad request crc";
        return r;
    }
    r.function = frame[1];
    r.wellFormed = (r.function == 3 || r.function == 6) && length == 8;
    if (r.wellFormed) {
        r.reg = uint16_t(frame[2] << 8 | frame[3]);
        r.countOrValue = uint16_t(frame[4] << 8 | frame[5]);
        if (r.function == 3)
            r.meaning = "read " + std::to_string(r.countOrValue) + " at " + Hex4(r.reg);
        else
            r.meaning = "write " + std::to_string(r.countOrValue) + " to " + Hex4(r.reg);
    } else if (r.function == 3 || r.function == 6) {
        r.meaning = "function " + std::to_string(r.function) + " of " + std::to_string(length) + " bytes";
    } else {
        r.meaning = "function " + std::to_string(r.function);
    }
    if (frame[0] == 0) {
        r.meaning += ", broadcast ignored";
        return r;
    }
    if (frame[0] != ourAddress) {
        r.meaning += ", for address " + std::to_string(frame[0]) + ", ignored";
        return r;
    }
    r.forUs = true;
    return r;
}

Reply ExecuteRequest(const Request &request, Device &device)
{
    Reply reply;
    const uint8_t address = device.address();
    auto fail = [&](uint8_t code) {
        reply.exception = code;
        reply.bytes = ExceptionFrame(address, request.function, code);
        return reply;
    };
    if (request.function != 3 && request.function != 6)
        return fail(kIllegalFunction);
    if (!request.wellFormed)
        return fail(kIllegalValue);

    if (request.function == 3) {
        std::vector<uint16_t> values;
        const Exception e = device.read(request.reg, request.countOrValue, &values);
        if (e != kNoException)
            return fail(e);
        reply.bytes = {address, 3, uint8_t(values.size() * 2)};
        for (uint16_t v : values) {
            reply.bytes.push_back(uint8_t(v >> 8));
            reply.bytes.push_back(uint8_t(v & 0xFF));
        }
        AppendCrc(reply.bytes);
        return reply;
    }

    const Exception e = device.write(request.reg, request.countOrValue, &reply.lineChange,
                                     &reply.hasLineChange);
    if (e != kNoException)
        return fail(e);
    // The echo of a write is the request itself.
    reply.bytes = {address, 6, uint8_t(request.reg >> 8), uint8_t(request.reg & 0xFF),
                   uint8_t(request.countOrValue >> 8), uint8_t(request.countOrValue & 0xFF)};
    AppendCrc(reply.bytes);
    return reply;
}

} // namespace rdsim
