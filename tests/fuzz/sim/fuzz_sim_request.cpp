// The simulator's request handling on any bytes: framing of received bytes,
// request decoding, the register map and reply building. A fuzzer rarely forges
// a CRC, so each chunk may get its CRC (and our address) fixed up, which lets
// the input reach the register map. Replies must always be well-formed frames.
#include "sim/Crc.h"
#include "sim/Device.h"
#include "sim/RequestHandler.h"
#include "sim/RxFramer.h"

#include <cstdlib>
#include <vector>

namespace {

void CheckReply(const rdsim::Request &request, const rdsim::Reply &reply, uint8_t address)
{
    if (reply.bytes.size() < 5 || !rdsim::HasValidCrc(reply.bytes.data(), reply.bytes.size()))
        abort();
    if (reply.bytes[0] != address)
        abort();
    if (reply.exception != 0) {
        if (reply.bytes.size() != 5 || reply.bytes[1] != (request.function | 0x80) || reply.hasLineChange)
            abort();
        return;
    }
    if (request.function == 3 && reply.bytes.size() != size_t(2 * request.countOrValue + 5))
        abort();
    if (request.function == 6 && reply.bytes.size() != 8)
        abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    rdsim::DeviceConfig config;
    config.frozen = data[0] & 1;
    config.exporting = data[0] & 2;
    config.wiring = uint8_t((data[0] >> 2) % 6);
    config.modules = data[1];
    rdsim::Device device(config);
    rdsim::RxFramer framer;
    uint64_t nowMs = 0;
    size_t i = 2;
    while (i < size) {
        const uint8_t control = data[i++];
        const size_t length = std::min<size_t>(control & 0x1F, size - i);
        std::vector<uint8_t> chunk(data + i, data + i + length);
        i += length;
        if ((control & 0x20) && !chunk.empty())
            chunk[0] = device.address();
        if ((control & 0x40) && chunk.size() >= 4) {
            const uint16_t crc = rdsim::Crc16(chunk.data(), chunk.size() - 2);
            chunk[chunk.size() - 2] = uint8_t(crc & 0xFF);
            chunk[chunk.size() - 1] = uint8_t(crc >> 8);
        }
        nowMs += (control & 0x80) ? 2500 : 7;  // long enough for relay delays
        device.advanceTo(nowMs);
        framer.add(chunk.data(), chunk.size(), nowMs * 1000000);
        std::vector<uint8_t> frame;
        // Frames complete now, then whatever the silence after the chunk closes.
        for (uint64_t at : {nowMs * 1000000, nowMs * 1000000 + 5000000}) {
            while (framer.next(at, &frame)) {
                const uint8_t address = device.address();
                const rdsim::Request request = rdsim::ParseRequest(frame.data(), frame.size(), address);
                if (!request.forUs)
                    continue;
                const rdsim::Reply reply = rdsim::ExecuteRequest(request, device);
                CheckReply(request, reply, address);
                if (reply.hasLineChange)
                    device.applyLineChange(reply.lineChange);
            }
        }
    }
    return 0;
}
