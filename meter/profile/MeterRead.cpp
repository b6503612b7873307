#include "MeterRead.h"

#include "common/registers/RegisterMap.h"
#include "modules/vocabulary/Registers.h"

#include <QCoreApplication>

#include <algorithm>

namespace rdprof {

namespace {
constexpr uint32_t kReadTimeoutMs = 500;
} // namespace

std::optional<std::vector<uint16_t>> ReadRegisters(rdlink::Link &link, uint8_t address, uint16_t reg, uint16_t count)
{
    const rdlink::Frame request = rdlink::BuildRead(address, reg, count);
    rdlink::ExchangeOptions options;
    options.discardFirst = true;
    options.endOnReply = true;
    // Ends with the reply's last byte; a meter that has just taken a new setting,
    // a gateway or a busy line gets at least 500 ms before it counts as silent.
    options.waitMs = std::max(link.ReplyTimeoutMs(request), kReadTimeoutMs);
    const rdlink::ExchangeResult r = link.Exchange(request, options);
    if (!r.ok() || r.dataLength() < 2 * count)
        return std::nullopt;
    std::vector<uint16_t> regs(count);
    for (int n = 0; n < count; ++n)
        regs[size_t(n)] = r.reg(n);
    return regs;
}

bool Answers(rdlink::Link &link, uint8_t address)
{
    return ReadRegisters(link, address, rdreg::kSlaveAddress, 1).has_value();
}

bool ReopenPort(rdlink::SerialPort &port, const rdlink::LineSettings &settings)
{
    rdlink::ClosePortIfOpen(port);
    return rdlink::OpenPort(port, port.portNumber(), settings);
}

int BaudFromCode(uint16_t code)
{
    static const int rates[] = {1200, 2400, 4800, 9600, 19200};
    return code < 5 ? rates[code] : 0;
}

rdlink::Parity ParityFromCode(uint16_t code)
{
    return code == 2 ? rdlink::Parity::Odd : code == 1 ? rdlink::Parity::Even : rdlink::Parity::None;
}

namespace {

// Keeps a block's registers and the texts the settings show for them.
void Keep(MeterRegisters &out, uint16_t base, const std::vector<uint16_t> &regs)
{
    for (size_t i = 0; i < regs.size(); ++i)
        out.values[uint16_t(base + i)] = regs[i];
}

} // namespace

MeterRead ReadMeter(rdlink::Link &link, uint8_t address)
{
    MeterRead out;
    auto read = [&](uint16_t reg, uint16_t count, const QString &what) -> std::optional<std::vector<uint16_t>> {
        if (!out.failure.isEmpty())
            return std::nullopt;
        auto regs = ReadRegisters(link, address, reg, count);
        // One lost reply does not end a read of a dozen blocks: asked once more.
        if (!regs && link.port().isOpen())
            regs = ReadRegisters(link, address, reg, count);
        if (!regs) {
            out.portLost = !link.port().isOpen();
            out.failure = QCoreApplication::translate("Profile", "地址 %1 的仪表没有回答%2的读取。").arg(address).arg(what);
            return std::nullopt;
        }
        Keep(out.registers, reg, *regs);
        return regs;
    };

    const auto info = read(rdreg::kDeviceInfo, rdreg::kDeviceInfoCount, QCoreApplication::translate("Profile", "仪表参数"));
    const auto presence = read(rdreg::kModulePresence, 1, QCoreApplication::translate("Profile", "模块配置"));
    if (!info || !presence)
        return out;

    Profile p;
    const auto at = [&](uint16_t reg) { return (*info)[size_t(rdreg::InBlock(reg))]; };
    p.address = at(rdreg::kSlaveAddress) & 0xFF;
    p.wiring = at(rdreg::kWiringMode) & 0xFF;
    p.parity = ParityFromCode(at(rdreg::kParity));
    p.baudRate = BaudFromCode(at(rdreg::kBaudRate));
    p.pulseWidth = at(rdreg::kPulseWidth) & 0xFF;
    p.pt = at(rdreg::kPtRatio);
    p.ct = at(rdreg::kCtRatio);
    p.info.accuracy = (at(rdreg::kAccuracy) & 0xFF) == 0 ? QCoreApplication::translate("DeviceInfo", "0.5级")
                                                          : QCoreApplication::translate("DeviceInfo", "0.2级");
    const uint8_t present = uint8_t((*presence)[0] & 0xFF);
    out.registers.presence = present;
    p.info.modules = ModuleNames(present);

    // The modules, as the module program shows them: with the meter's own ratios.
    const rdmod::Ratios ratios{uint16_t(p.pt), uint16_t(p.ct)};
    const uint8_t relayBits[kRelayModules] = {rdmod::kPresenceRelay1, rdmod::kPresenceRelay2, rdmod::kPresenceRelay3};
    for (int m = 0; m < kRelayModules; ++m) {
        if (!(present & relayBits[m]))
            continue;
        const auto block = read(rdmod::RelayBlockAddress(m), rdmod::kRelayBlockSize, RelayModuleName(m));
        if (!block)
            return out;
        RelayModule module;
        for (int r = 0; r < 2; ++r) {
            rdmod::RelayRegisters six{};
            std::copy_n(block->begin() + 6 * r, 6, six.begin());
            module.relays[size_t(r)] = rdmod::DecodeRelay(six, ratios).texts;
        }
        p.relayModules[size_t(m)] = module;
    }
    const uint8_t analogBits[kAnalogModules] = {rdmod::kPresenceAnalog1, rdmod::kPresenceAnalog2};
    for (int m = 0; m < kAnalogModules; ++m) {
        if (!(present & analogBits[m]))
            continue;
        const auto block = read(rdmod::AnalogBlockAddress(m), rdmod::kAnalogBlockSize, AnalogModuleName(m));
        if (!block)
            return out;
        AnalogModule module;
        for (int o = 0; o < 2; ++o) {
            const rdmod::AnalogRegisters three{(*block)[size_t(3 * o)], (*block)[size_t(3 * o + 1)], (*block)[size_t(3 * o + 2)]};
            module.outputs[size_t(o)] = rdmod::DecodeAnalog(three, ratios).texts;
        }
        p.analogModules[size_t(m)] = module;
    }
    if (present & rdmod::kPresencePulse) {
        const auto block = read(rdmod::kPulseValueRegister, 2, PulseModuleName());
        if (!block)
            return out;
        p.pulseModule = PulseModule{rdmod::DecodePulseRegister((*block)[0]), rdmod::DecodePulseRegister((*block)[1])};
    }

    // The texts of every setting as the meter holds it, for the comparison.
    out.registers.texts = SettingTexts(p);
    out.profile = p;
    return out;
}

} // namespace rdprof
