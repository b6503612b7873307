#include "AnalogBlock.h"

#include "ValueField.h"
#include <QCoreApplication>

namespace rdmod {

AnalogView DecodeAnalog(const AnalogRegisters &regs, Ratios ratios)
{
    AnalogView view;
    const auto q = FindQuantityByAnalogCode(regs[0] & 0xFF);
    if (q) {
        view.texts.quantity = QString::fromUtf8(q->text);
        view.unit = UnitText(q->kind, Scale::Base);
        view.texts.at20mA = FormatValue(DecodeValue(q->kind, regs[1], ratios, Scale::Base));
        view.texts.at4mA = FormatValue(DecodeValue(q->kind, regs[2], ratios, Scale::Base));
    } else {
        view.texts.at20mA = FormatValue(DecodeUnscaled(regs[1]));
        view.texts.at4mA = FormatValue(DecodeUnscaled(regs[2]));
    }
    return view;
}

std::variant<AnalogRegisters, FieldError> EncodeAnalog(const AnalogTexts &texts, Ratios ratios,
                                                       const QString &group)
{
    AnalogRegisters regs{};
    const auto q = FindQuantityByText(texts.quantity);
    if (!q)
        return FieldError{group + QCoreApplication::translate("AnalogBlock", " 输出参数选择"), QCoreApplication::translate("AnalogBlock", "列表中的一项"), QString()};
    regs[0] = static_cast<uint16_t>(AnalogCode(*q));
    // Checked in the order the window shows them (4 mA left), stored in register
    // order (20 mA first).
    const auto low = EncodeValueField(texts.at4mA, q->kind, ratios, Scale::Base, group + QStringLiteral(" 4mA"));
    if (const auto *error = std::get_if<FieldError>(&low))
        return *error;
    const auto high = EncodeValueField(texts.at20mA, q->kind, ratios, Scale::Base, group + QStringLiteral(" 20mA"));
    if (const auto *error = std::get_if<FieldError>(&high))
        return *error;
    regs[1] = std::get<uint16_t>(high);
    regs[2] = std::get<uint16_t>(low);
    return regs;
}

QString AnalogUnitAt(int position)
{
    const auto &all = ControlQuantities();
    if (position < 0 || position >= static_cast<int>(all.size()))
        return QString();
    return UnitText(all[position].kind, Scale::Base);
}

QString DecodePulseRegister(uint16_t reg)
{
    return QString::number(reg & 0xFF);
}

std::variant<uint16_t, FieldError> EncodePulseField(const QString &text, const QString &field)
{
    return EncodeWholeField(text, 255, field);
}

} // namespace rdmod
