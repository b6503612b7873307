#include "ModuleBench.h"

#include "link/Framing.h"

#include <QCoreApplication>

namespace rdtest {

namespace {

QByteArray WithCrc(QByteArray frame)
{
    const uint16_t crc = rdlink::ComputeCrc(reinterpret_cast<const uint8_t *>(frame.constData()),
                                            static_cast<uint16_t>(frame.size()));
    frame.append(char(crc >> 8));
    frame.append(char(crc & 0xFF));
    return frame;
}

QByteArray ToBytes(const rdlink::Frame &f)
{
    return QByteArray(reinterpret_cast<const char *>(f.data()), int(f.size()));
}

} // namespace

void LoadModuleRegisters(FakeInstrument &meter, uint16_t presence)
{
    meter.regs[0x0100] = presence;
    meter.regs[0x0307] = 10;
    meter.regs[0x0308] = 20;
    const uint16_t relay[12] = {1, 1900, 1800, 5, 6, 7, 0xFF, 0, 0, 0, 0, 0};
    for (int k = 0; k < 12; ++k)
        meter.regs[uint16_t(0x0311 + k)] = relay[k];
    meter.regs[0x0335] = 3;
    meter.regs[0x0336] = 5;
    const uint16_t analog[6] = {4, 10, 0, 27, 5500, 4500};
    for (int k = 0; k < 6; ++k)
        meter.regs[uint16_t(0x0337 + k)] = analog[k];
}

QByteArray ReadRequest(uint16_t reg, uint16_t count)
{
    return ToBytes(rdlink::BuildRead(1, reg, count));
}

QByteArray WriteRequest(uint16_t reg, uint16_t value)
{
    return ToBytes(rdlink::BuildWrite(1, reg, value));
}

std::vector<Chunk> FakeInstrument::Answer(const QByteArray &request)
{
    if (silent || request.size() != 8 || uint8_t(request[0]) != 1)
        return {};
    const auto byteAt = [&](int i) { return uint8_t(request[i]); };
    const uint16_t reg = uint16_t(byteAt(2) << 8 | byteAt(3));
    const uint16_t word = uint16_t(byteAt(4) << 8 | byteAt(5));
    QByteArray reply;
    if (byteAt(1) == 3) {
        reply.append(char(1)).append(char(3)).append(char(2 * word));
        for (uint16_t n = 0; n < word; ++n) {
            const uint16_t v = regs.count(uint16_t(reg + n)) ? regs.at(uint16_t(reg + n)) : 0;
            reply.append(char(v >> 8)).append(char(v & 0xFF));
        }
        reply = WithCrc(reply);
    } else if (byteAt(1) == 6) {
        regs[reg] = word;
        if (noEcho.count(reg))
            return {};
        reply = request;
    } else {
        return {};
    }
    // The answer arrives well inside the shortest wait of the program (100 ms).
    return {{stray + reply, 40}};
}

ModuleBench::ModuleBench()
{
    port.responder = [this](const QByteArray &request) { return instrument.Answer(request); };
}

void ModuleBench::Settle()
{
    // An outcome may post the next operation (the relay window opens the other
    // windows, which read at once), so a few rounds.
    for (int round = 0; round < 8; ++round) {
        worker.drain();
        QCoreApplication::processEvents();
    }
}

} // namespace rdtest
