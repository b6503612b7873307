// A profile as the registers it sets: one entry per setting, in the order they
// are written. Turning a profile into entries checks every value with the rules
// of its dialog and refuses the first bad one, naming its field, so that nothing
// of a bad profile is ever sent.
#pragma once

#include "Profile.h"
#include "modules/vocabulary/FieldError.h"

#include <map>
#include <variant>
#include <vector>

namespace rdprof {

// When a setting may be written: first everything that leaves the meter where it
// is reached, then the address, then parity, then the baud rate.
enum class Stage { Ordinary, Address, Parity, Baud };

// The wire shape of a setting's write: the one its existing command sends.
enum class WriteShape {
    Setting,       // "仪表设置", "通讯设置": busy wait 300 ms, echo checked
    PulseWidth,    // "写入" of 脉冲宽度: sleep 100 ms, echo not read
    Address,       // "更改子机地址": sleep 300 ms, echo from the old address
    RelayOrAnalog, // the module program's relay and 4-20 mA blocks: sleep 200 ms, echo checked
    EnergyPulse,   // the module program's energy pulse fields: sleep 100 ms, echo checked
};

struct Setting {
    QString name;            // "PT", "接线方式", "K2_1# 继电器OUT1 启动值"
    QString text;            // the value as the dialog shows it
    uint16_t reg = 0;
    uint16_t value = 0;      // what is written
    uint16_t mask = 0xFFFF;  // the bits the meter keeps and the comparison looks at
    WriteShape shape = WriteShape::Setting;
    Stage stage = Stage::Ordinary;
};

// The settings of a profile in the safe order: PT, CT, wiring, pulse width, the
// modules (relays, 4-20 mA, energy pulse), then address, parity, baud rate.
// Module values are converted with the profile's own PT and CT, which are in
// force on the meter by the time they are written.
std::variant<std::vector<Setting>, rdmod::FieldError> EncodeProfile(const Profile &profile);

// The registers a profile read from a meter came from, and the texts they show
// there (converted with the meter's own PT and CT); the key is the register.
struct MeterRegisters {
    std::map<uint16_t, uint16_t> values;
    std::map<uint16_t, QString> texts;
    uint8_t presence = 0;
};

// The text each setting of a profile shows, by register (no checks: a profile
// read from a meter may hold a value no dialog would accept).
std::map<uint16_t, QString> SettingTexts(const Profile &profile);

// The field names used in messages and tables.
QString BaudRateName();
QString ParityName();
QString AddressName();
QString PtName();
QString CtName();
QString WiringName();
QString PulseWidthName();

} // namespace rdprof
