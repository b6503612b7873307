#include "ValueField.h"
#include <QCoreApplication>

namespace rdmod {

namespace {

QString RatioName(Kind kind)
{
    switch (kind) {
    case Kind::Voltage: return QCoreApplication::translate("ValueField", "PT变比");
    case Kind::Current: return QCoreApplication::translate("ValueField", "CT变比");
    default: return QCoreApplication::translate("ValueField", "PT或CT变比");
    }
}

QString RangeText(const Encoded &e, const QString &unit)
{
    QString upper = FormatValue(e.maxValue);
    if (!unit.isEmpty())
        upper += QLatin1Char(' ') + unit;
    return QCoreApplication::translate("ValueField", "%1 至 %2 之间的数值").arg(FormatValue(e.minValue), upper);
}

} // namespace

std::variant<uint16_t, FieldError> EncodeValueField(const QString &text, std::optional<Kind> kind,
                                                    Ratios ratios, Scale scale, const QString &field)
{
    const QString unit = kind ? UnitText(*kind, scale) : QString();
    // The range for the message comes from encoding 0, which always fits.
    const Encoded range = kind ? EncodeValue(*kind, 0.0, ratios, scale) : EncodeUnscaled(0.0);
    if (range.status == EncodeStatus::ZeroRatio)
        return FieldError{field, QString(),
                          QCoreApplication::translate("ValueField", "仪表的%1为0, 无法换算成寄存器值").arg(RatioName(*kind))};
    const auto value = ParseNumber(text);
    if (!value)
        return FieldError{field, RangeText(range, unit), QString()};
    const Encoded e = kind ? EncodeValue(*kind, *value, ratios, scale) : EncodeUnscaled(*value);
    if (e.status != EncodeStatus::Ok)
        return FieldError{field, RangeText(range, unit), QString()};
    return e.reg;
}

std::variant<uint16_t, FieldError> EncodeWholeField(const QString &text, int max, const QString &field)
{
    const auto value = ParseWhole(text, max);
    if (!value)
        return FieldError{field, QCoreApplication::translate("ValueField", "0 至 %1 之间的整数").arg(max), QString()};
    return static_cast<uint16_t>(*value);
}

} // namespace rdmod
