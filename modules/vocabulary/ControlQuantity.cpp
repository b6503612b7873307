#include "ControlQuantity.h"
#include <QCoreApplication>

namespace rdmod {

namespace {

using K = Kind;

const std::array<ControlQuantity, kQuantityCount> kQuantities{{
    {QT_TRANSLATE_NOOP("ControlQuantity", "U1电压控制"), 1, K::Voltage},       {QT_TRANSLATE_NOOP("ControlQuantity", "U12电压控制"), 2, K::Voltage},
    {QT_TRANSLATE_NOOP("ControlQuantity", "I1电流控制"), 3, K::Current},       {QT_TRANSLATE_NOOP("ControlQuantity", "P1有功"), 5, K::ActivePower},
    {QT_TRANSLATE_NOOP("ControlQuantity", "PF1功率因数"), 6, K::PowerFactor},  {QT_TRANSLATE_NOOP("ControlQuantity", "Q1无功"), 7, K::ReactivePower},
    {QT_TRANSLATE_NOOP("ControlQuantity", "S1视在功率"), 8, K::ApparentPower}, {QT_TRANSLATE_NOOP("ControlQuantity", "U2电压控制"), 9, K::Voltage},
    {QT_TRANSLATE_NOOP("ControlQuantity", "U23电压控制"), 10, K::Voltage},     {QT_TRANSLATE_NOOP("ControlQuantity", "I2电流控制"), 11, K::Current},
    {QT_TRANSLATE_NOOP("ControlQuantity", "P2有功"), 13, K::ActivePower},      {QT_TRANSLATE_NOOP("ControlQuantity", "PF2功率因数"), 14, K::PowerFactor},
    {QT_TRANSLATE_NOOP("ControlQuantity", "Q2无功"), 15, K::ReactivePower},    {QT_TRANSLATE_NOOP("ControlQuantity", "S2视在功率"), 16, K::ApparentPower},
    {QT_TRANSLATE_NOOP("ControlQuantity", "U3电压控制"), 17, K::Voltage},      {QT_TRANSLATE_NOOP("ControlQuantity", "U31电压控制"), 18, K::Voltage},
    {QT_TRANSLATE_NOOP("ControlQuantity", "I3电流控制"), 19, K::Current},      {QT_TRANSLATE_NOOP("ControlQuantity", "P3有功"), 21, K::ActivePower},
    {QT_TRANSLATE_NOOP("ControlQuantity", "PF3功率因数"), 22, K::PowerFactor}, {QT_TRANSLATE_NOOP("ControlQuantity", "Q3无功"), 23, K::ReactivePower},
    {QT_TRANSLATE_NOOP("ControlQuantity", "S3视在功率"), 24, K::ApparentPower}, {QT_TRANSLATE_NOOP("ControlQuantity", "U电压控制"), 25, K::Voltage},
    {QT_TRANSLATE_NOOP("ControlQuantity", "UL电压控制"), 26, K::Voltage},      {QT_TRANSLATE_NOOP("ControlQuantity", "I电流控制"), 27, K::Current},
    {QT_TRANSLATE_NOOP("ControlQuantity", "F频率"), 28, K::Frequency},         {QT_TRANSLATE_NOOP("ControlQuantity", "P有功"), 29, K::ActivePower},
    {QT_TRANSLATE_NOOP("ControlQuantity", "PF功率因数"), 30, K::PowerFactor},  {QT_TRANSLATE_NOOP("ControlQuantity", "Q无功"), 31, K::ReactivePower},
    {QT_TRANSLATE_NOOP("ControlQuantity", "S视在功率"), 32, K::ApparentPower},
}};

const char *const kReleasedText = QT_TRANSLATE_NOOP("ControlQuantity", "复归(断开)");
const char *const kMinPowerText = "Min(P1,P2,P3)";
const char *const kOperatedText = QT_TRANSLATE_NOOP("ControlQuantity", "动作(闭合)");

} // namespace

const std::array<ControlQuantity, kQuantityCount> &ControlQuantities()
{
    return kQuantities;
}

QStringList QuantityTexts()
{
    QStringList texts;
    for (const auto &q : kQuantities)
        texts << QCoreApplication::translate("ControlQuantity", q.text);
    return texts;
}

std::optional<ControlQuantity> FindQuantityByText(const QString &text)
{
    for (const auto &q : kQuantities)
        if (text == QCoreApplication::translate("ControlQuantity", q.text))
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
    texts << QCoreApplication::translate("ControlQuantity", kReleasedText);
    texts << QuantityTexts();
    texts << QCoreApplication::translate("ControlQuantity", kMinPowerText) << QCoreApplication::translate("ControlQuantity", kOperatedText);
    return texts;
}

std::optional<RelayMode> FindRelayModeByText(const QString &text)
{
    if (text == QCoreApplication::translate("ControlQuantity", kReleasedText))
        return RelayMode{text, kModeReleased, std::nullopt};
    if (text == QCoreApplication::translate("ControlQuantity", kOperatedText))
        return RelayMode{text, kModeOperated, std::nullopt};
    if (text == QCoreApplication::translate("ControlQuantity", kMinPowerText))
        return RelayMode{text, kModeMinPower, Kind::ActivePower};
    if (auto q = FindQuantityByText(text))
        return RelayMode{text, q->code, q->kind};
    return std::nullopt;
}

std::optional<RelayMode> FindRelayModeByRegister(uint16_t reg)
{
    const int code = reg & 0xFF;
    if (code == kModeReleased)
        return RelayMode{QCoreApplication::translate("ControlQuantity", kReleasedText), code, std::nullopt};
    if (code == kModeOperated)
        return RelayMode{QCoreApplication::translate("ControlQuantity", kOperatedText), code, std::nullopt};
    if (code == kModeMinPower)
        return RelayMode{QCoreApplication::translate("ControlQuantity", kMinPowerText), code, Kind::ActivePower};
    if (auto q = FindQuantityByCode(code))
        return RelayMode{QCoreApplication::translate("ControlQuantity", q->text), code, q->kind};
    return std::nullopt;
}

} // namespace rdmod
