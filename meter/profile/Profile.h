// A settings profile: every setting a meter holds, in the user's units as the
// dialogs show them (PT and CT ratios, the wiring text, the module fields as the
// module program shows them), plus what the meter said about itself. The file
// form is ProfileFile.h; turning a profile into register values (and refusing a
// bad value) is ProfileSettings.h.
#pragma once

#include "link/LineSettings.h"
#include "modules/vocabulary/AnalogBlock.h"
#include "modules/vocabulary/RelayBlock.h"

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <optional>

namespace rdprof {

constexpr int kRelayModules = 3;    // K2_1# .. K2_3#
constexpr int kAnalogModules = 2;   // A20_1#, A20_2#

struct RelayModule {
    std::array<rdmod::RelayTexts, 2> relays;      // 继电器OUT1, 继电器OUT2
};

struct AnalogModule {
    std::array<rdmod::AnalogTexts, 2> outputs;    // 电流输出1路, 电流输出2路
};

struct PulseModule {
    QString value;   // 电能脉冲值
    QString width;   // 电能脉冲宽度 (x 0.1 s)
};

// What the meter reported about itself when the profile was read: information
// only, never written.
struct MeterInfo {
    QString accuracy;      // "0.5级" / "0.2级"; empty when not known
    QStringList modules;   // the present modules' names ("E2", "A20_1#", ...)
};

struct Profile {
    int baudRate = 9600;
    rdlink::Parity parity = rdlink::Parity::None;
    int address = 1;
    uint32_t pt = 1;
    uint32_t ct = 1;
    int wiring = 0;        // the code 0..5 of "仪表设置"'s six choices
    int pulseWidth = 80;   // ms
    std::array<std::optional<RelayModule>, kRelayModules> relayModules;
    std::array<std::optional<AnalogModule>, kAnalogModules> analogModules;
    std::optional<PulseModule> pulseModule;
    MeterInfo info;
};

// The names the main window's lamps give the modules.
QString RelayModuleName(int index);    // "K2_1#" ...
QString AnalogModuleName(int index);   // "A20_1#", "A20_2#"
QString PulseModuleName();             // "E2"
// The present modules of a presence byte, in the lamps' order.
QStringList ModuleNames(uint8_t presence);

// The six wiring texts of "仪表设置", in code order.
QStringList WiringTexts();
// The parity texts of "通讯设置": "无校验", "奇校验", "偶校验".
QString ParityText(rdlink::Parity parity);
std::optional<rdlink::Parity> ParityFromText(const QString &text);

} // namespace rdprof
