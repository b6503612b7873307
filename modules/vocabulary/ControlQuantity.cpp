#include "ControlQuantity.h"

namespace rdmod {

namespace {

using K = Kind;

const std::array<ControlQuantity, kQuantityCount> kQuantities{{
    {"U1电压控制", 1, K::Voltage},       {"U12电压控制", 2, K::Voltage},
    {"I1电流控制", 3, K::Current},       {"P1有功", 5, K::ActivePower},
    {"PF1功率因数", 6, K::PowerFactor},  {"Q1无功", 7, K::ReactivePower},
    {"S1视在功率", 8, K::ApparentPower}, {"U2电压控制", 9, K::Voltage},
    {"U23电压控制", 10, K::Voltage},     {"I2电流控制", 11, K::Current},
    {"P2有功", 13, K::ActivePower},      {"PF2功率因数", 14, K::PowerFactor},
    {"Q2无功", 15, K::ReactivePower},    {"S2视在功率", 16, K::ApparentPower},
    {"U3电压控制", 17, K::Voltage},      {"U31电压控制", 18, K::Voltage},
    {"I3电流控制", 19, K::Current},      {"P3有功", 21, K::ActivePower},
    {"PF3功率因数", 22, K::PowerFactor}, {"Q3无功", 23, K::ReactivePower},
    {"S3视在功率", 24, K::ApparentPower}, {"U电压控制", 25, K::Voltage},
    {"UL电压控制", 26, K::Voltage},      {"I电流控制", 27, K::Current},
    {"F频率", 28, K::Frequency},         {"P有功", 29, K::ActivePower},
    {"PF功率因数", 30, K::PowerFactor},  {"Q无功", 31, K::ReactivePower},
    {"S视在功率", 32, K::ApparentPower},
}};

const char *const kReleasedText = "复归(断开)";
const char *const kMinPowerText = "Min(P1,P2,P3)";
const char *const kOperatedText = "动作(闭合)";

} // namespace

const std::array<ControlQuantity, kQuantityCount> &ControlQuantities()
{
    return kQuantities;
}

QStringList QuantityTexts()
{
    QStringList texts;
    for (const auto &q : kQuantities)
        texts << QString::fromUtf8(q.text);
    return texts;
}

std::optional<ControlQuantity> FindQuantityByText(const QString &text)
{
    for (const auto &q : kQuantities)
        if (text == QString::fromUtf8(q.text))
            return q;
    return std::nullopt;
}

std::optional<ControlQuantity> FindQuantityByCode(int code)
{
    for (const auto &q : kQuantities)
        if (q.code == code)
            return q;
    return std::nullopt;
}

std::optional<ControlQuantity> FindQuantityByAnalogCode(int code)
{
    return FindQuantityByCode(code + 1);
}

int BaseFactor(Kind kind)
{
    switch (kind) {
    case Kind::Voltage: return 10;
    case Kind::Current: return 1000;
    case Kind::PowerFactor: return 1000;
    case Kind::Frequency: return 100;
    case Kind::ActivePower:
    case Kind::ReactivePower:
    case Kind::ApparentPower: return 1;
    }
    return 1;
}

double ReadingFactor(Kind kind)
{
    switch (kind) {
    case Kind::Voltage: return 0.1;
    case Kind::Current: return 0.001;
    case Kind::PowerFactor: return 0.001;
    case Kind::Frequency: return 0.01;
    case Kind::ActivePower:
    case Kind::ReactivePower:
    case Kind::ApparentPower: return 1.0;
    }
    return 1.0;
}

bool ReadsSigned(Kind kind)
{
    return kind == Kind::ActivePower || kind == Kind::ReactivePower || kind == Kind::PowerFactor;
}

QStringList RelayModeTexts()
{
    QStringList texts;
    texts << QString::fromUtf8(kReleasedText);
    texts << QuantityTexts();
    texts << QString::fromUtf8(kMinPowerText) << QString::fromUtf8(kOperatedText);
    return texts;
}

std::optional<RelayMode> FindRelayModeByText(const QString &text)
{
    if (text == QString::fromUtf8(kReleasedText))
        return RelayMode{text, kModeReleased, std::nullopt};
    if (text == QString::fromUtf8(kOperatedText))
        return RelayMode{text, kModeOperated, std::nullopt};
    if (text == QString::fromUtf8(kMinPowerText))
        return RelayMode{text, kModeMinPower, Kind::ActivePower};
    if (auto q = FindQuantityByText(text))
        return RelayMode{text, q->code, q->kind};
    return std::nullopt;
}

std::optional<RelayMode> FindRelayModeByRegister(uint16_t reg)
{
    const int code = reg & 0xFF;
    if (code == kModeReleased)
        return RelayMode{QString::fromUtf8(kReleasedText), code, std::nullopt};
    if (code == kModeOperated)
        return RelayMode{QString::fromUtf8(kOperatedText), code, std::nullopt};
    if (code == kModeMinPower)
        return RelayMode{QString::fromUtf8(kMinPowerText), code, Kind::ActivePower};
    if (auto q = FindQuantityByCode(code))
        return RelayMode{QString::fromUtf8(q->text), code, q->kind};
    return std::nullopt;
}

} // namespace rdmod
