#include "ProfileSettings.h"

#include "common/registers/RegisterMap.h"
#include "meter/commands/CommandRules.h"
#include "modules/vocabulary/Registers.h"

#include <QCoreApplication>

#include <algorithm>

namespace rdprof {

QString BaudRateName() { return QCoreApplication::translate("Profile", "波特率"); }
QString ParityName() { return QCoreApplication::translate("Profile", "校验位"); }
QString AddressName() { return QCoreApplication::translate("Profile", "子机地址"); }
QString PtName() { return QStringLiteral("PT"); }
QString CtName() { return QStringLiteral("CT"); }
QString WiringName() { return QCoreApplication::translate("Profile", "接线方式"); }
QString PulseWidthName() { return QCoreApplication::translate("Profile", "脉冲宽度"); }

namespace {

using Settings = std::vector<Setting>;
using Result = std::variant<Settings, rdmod::FieldError>;

rdmod::FieldError WholeNumberError(const QString &field, long min, long max)
{
    return {field, QCoreApplication::translate("Profile", "%1 至 %2 之间的整数").arg(min).arg(max), QString()};
}

const char *const kRelayGroups[2] = {QT_TRANSLATE_NOOP("CModuleSetDlg", "继电器OUT1"),
                                     QT_TRANSLATE_NOOP("CModuleSetDlg", "继电器OUT2")};
const char *const kRelayLabels[6] = {
    QT_TRANSLATE_NOOP("CModuleSetDlg", "控制方式"), QT_TRANSLATE_NOOP("CModuleSetDlg", "启动值"),
    QT_TRANSLATE_NOOP("CModuleSetDlg", "复归值"),   QT_TRANSLATE_NOOP("CModuleSetDlg", "启动延时"),
    QT_TRANSLATE_NOOP("CModuleSetDlg", "复归延时"), QT_TRANSLATE_NOOP("CModuleSetDlg", "脉冲宽度")};
const char *const kOutputGroups[2] = {QT_TRANSLATE_NOOP("CAnalogOutDlg", "电流输出1路"),
                                      QT_TRANSLATE_NOOP("CAnalogOutDlg", "电流输出2路")};

QString RelayGroup(int module, int relay)
{
    return RelayModuleName(module) + QLatin1Char(' ') + QCoreApplication::translate("CModuleSetDlg", kRelayGroups[relay]);
}

QString OutputGroup(int module, int output)
{
    return AnalogModuleName(module) + QLatin1Char(' ') + QCoreApplication::translate("CAnalogOutDlg", kOutputGroups[output]);
}

void AddRelayModule(Settings &out, int module, const RelayModule &texts)
{
    for (int r = 0; r < 2; ++r) {
        const rdmod::RelayTexts &t = texts.relays[size_t(r)];
        const QString shown[6] = {t.mode, t.operate, t.reset, t.operateDelay, t.resetDelay, t.pulseWidth};
        for (int k = 0; k < 6; ++k) {
            Setting s;
            s.name = RelayGroup(module, r) + QLatin1Char(' ') + QCoreApplication::translate("CModuleSetDlg", kRelayLabels[k]);
            s.text = shown[k];
            s.reg = rdmod::RelayRegister(module, r + 1, k);
            s.mask = k == 0 ? 0x00FF : 0xFFFF;   // only the mode's low byte counts
            s.shape = WriteShape::RelayOrAnalog;
            out.push_back(s);
        }
    }
}

void AddAnalogModule(Settings &out, int module, const AnalogModule &texts)
{
    for (int o = 0; o < 2; ++o) {
        const rdmod::AnalogTexts &t = texts.outputs[size_t(o)];
        // Register order: quantity code, value at 20 mA, value at 4 mA.
        const QString group = OutputGroup(module, o);
        const QString names[3] = {group + QCoreApplication::translate("AnalogBlock", " 输出参数选择"),
                                  group + QStringLiteral(" 20mA"), group + QStringLiteral(" 4mA")};
        const QString shown[3] = {t.quantity, t.at20mA, t.at4mA};
        for (int k = 0; k < 3; ++k) {
            Setting s;
            s.name = names[k];
            s.text = shown[k];
            s.reg = uint16_t(rdmod::AnalogBlockAddress(module) + 3 * o + k);
            s.mask = k == 0 ? 0x00FF : 0xFFFF;
            s.shape = WriteShape::RelayOrAnalog;
            out.push_back(s);
        }
    }
}

QString PulseFieldName(int i)
{
    return PulseModuleName() + QLatin1Char(' ')
        + (i == 0 ? QCoreApplication::translate("CPulseSetDlg", "电能脉冲值") : QCoreApplication::translate("CPulseSetDlg", "电能脉冲宽度"));
}

Setting Plain(const QString &name, const QString &text, uint16_t reg, uint16_t value, WriteShape shape, Stage stage,
              uint16_t mask = 0xFFFF)
{
    Setting s;
    s.name = name;
    s.text = text;
    s.reg = reg;
    s.value = value;
    s.mask = mask;
    s.shape = shape;
    s.stage = stage;
    return s;
}

// Every setting with its name, text and register, in the order of writing; the
// module values are left at 0 (EncodeProfile fills them in).
Settings Describe(const Profile &p)
{
    Settings out;
    const QStringList wiring = WiringTexts();
    out.push_back(Plain(PtName(), QString::number(p.pt), rdreg::kPtRatio, uint16_t(p.pt), WriteShape::Setting, Stage::Ordinary));
    out.push_back(Plain(CtName(), QString::number(p.ct), rdreg::kCtRatio, uint16_t(p.ct), WriteShape::Setting, Stage::Ordinary));
    out.push_back(Plain(WiringName(), p.wiring >= 0 && p.wiring < wiring.size() ? wiring.at(p.wiring) : QString::number(p.wiring),
                        rdreg::kWiringMode, uint16_t(p.wiring), WriteShape::Setting, Stage::Ordinary, 0x00FF));
    out.push_back(Plain(PulseWidthName(), QString::number(p.pulseWidth), rdreg::kPulseWidth, uint16_t(p.pulseWidth),
                        WriteShape::PulseWidth, Stage::Ordinary, 0x00FF));
    for (int m = 0; m < kRelayModules; ++m)
        if (p.relayModules[size_t(m)])
            AddRelayModule(out, m, *p.relayModules[size_t(m)]);
    for (int m = 0; m < kAnalogModules; ++m)
        if (p.analogModules[size_t(m)])
            AddAnalogModule(out, m, *p.analogModules[size_t(m)]);
    if (p.pulseModule) {
        const QString texts[2] = {p.pulseModule->value, p.pulseModule->width};
        const uint16_t regs[2] = {rdmod::kPulseValueRegister, rdmod::kPulseWidthRegister};
        for (int i = 0; i < 2; ++i)
            out.push_back(Plain(PulseFieldName(i), texts[i], regs[i], 0, WriteShape::EnergyPulse, Stage::Ordinary, 0x00FF));
    }
    // What changes how the meter is reached comes last, the baud rate at the very end.
    out.push_back(Plain(AddressName(), QString::number(p.address), rdreg::kSlaveAddress, uint16_t(p.address),
                        WriteShape::Address, Stage::Address, 0x00FF));
    out.push_back(Plain(ParityName(), ParityText(p.parity), rdreg::kParity,
                        uint16_t(rdcmd::InstrumentParityCode(p.parity)), WriteShape::Setting, Stage::Parity));
    out.push_back(Plain(BaudRateName(), QString::number(p.baudRate), rdreg::kBaudRate,
                        uint16_t(std::max(0, rdcmd::BaudRateCode(p.baudRate))), WriteShape::Setting, Stage::Baud));
    return out;
}

} // namespace

Result EncodeProfile(const Profile &p)
{
    // The meter's own settings, with the limits of their dialogs. The address is
    // a unicast one: 0 would make every later request a broadcast nobody answers.
    if (rdcmd::BaudRateCode(p.baudRate) < 0)
        return rdmod::FieldError{BaudRateName(), QStringLiteral("1200, 2400, 4800, 9600 或 19200"), QString()};
    if (p.address < 1 || p.address > 247)
        return WholeNumberError(AddressName(), 1, 247);
    if (p.pt < rdcmd::kRatioMin || p.pt > rdcmd::kRatioMax)
        return WholeNumberError(PtName(), rdcmd::kRatioMin, rdcmd::kRatioMax);
    if (p.ct < rdcmd::kRatioMin || p.ct > rdcmd::kRatioMax)
        return WholeNumberError(CtName(), rdcmd::kRatioMin, rdcmd::kRatioMax);
    if (p.wiring < 0 || p.wiring >= rdcmd::kWiringModes)
        return rdmod::FieldError{WiringName(), QCoreApplication::translate("Profile", "“仪表设置”中的一种接线方式"), QString()};
    if (p.pulseWidth < 0 || p.pulseWidth > 255)
        return WholeNumberError(PulseWidthName(), 0, 255);

    // The modules, converted with the profile's ratios.
    std::map<uint16_t, uint16_t> values;
    const rdmod::Ratios ratios{uint16_t(p.pt), uint16_t(p.ct)};
    for (int m = 0; m < kRelayModules; ++m) {
        const auto &module = p.relayModules[size_t(m)];
        if (!module)
            continue;
        for (int r = 0; r < 2; ++r) {
            const auto encoded = rdmod::EncodeRelay(module->relays[size_t(r)], ratios, RelayGroup(m, r));
            if (const auto *error = std::get_if<rdmod::FieldError>(&encoded))
                return *error;
            const auto &six = std::get<rdmod::RelayRegisters>(encoded);
            for (int k = 0; k < 6; ++k)
                values[rdmod::RelayRegister(m, r + 1, k)] = six[size_t(k)];
        }
    }
    for (int m = 0; m < kAnalogModules; ++m) {
        const auto &module = p.analogModules[size_t(m)];
        if (!module)
            continue;
        for (int o = 0; o < 2; ++o) {
            const auto encoded = rdmod::EncodeAnalog(module->outputs[size_t(o)], ratios, OutputGroup(m, o));
            if (const auto *error = std::get_if<rdmod::FieldError>(&encoded))
                return *error;
            const auto &three = std::get<rdmod::AnalogRegisters>(encoded);
            for (int k = 0; k < 3; ++k)
                values[uint16_t(rdmod::AnalogBlockAddress(m) + 3 * o + k)] = three[size_t(k)];
        }
    }
    if (p.pulseModule) {
        const QString texts[2] = {p.pulseModule->value, p.pulseModule->width};
        const uint16_t regs[2] = {rdmod::kPulseValueRegister, rdmod::kPulseWidthRegister};
        for (int i = 0; i < 2; ++i) {
            const auto encoded = rdmod::EncodePulseField(texts[i], PulseFieldName(i));
            if (const auto *error = std::get_if<rdmod::FieldError>(&encoded))
                return *error;
            values[regs[i]] = std::get<uint16_t>(encoded);
        }
    }
    Settings out = Describe(p);
    for (Setting &s : out)
        if (s.shape == WriteShape::RelayOrAnalog || s.shape == WriteShape::EnergyPulse)
            s.value = values.at(s.reg);
    return out;
}

} // namespace rdprof

namespace rdprof {

std::map<uint16_t, QString> SettingTexts(const Profile &profile)
{
    std::map<uint16_t, QString> texts;
    for (const Setting &s : Describe(profile))
        texts[s.reg] = s.text;
    return texts;
}

} // namespace rdprof
