#include "Conversions.h"

#include <QRegularExpression>

#include <cmath>

namespace rdmod {

namespace {

bool IsPower(Kind kind)
{
    return kind == Kind::ActivePower || kind == Kind::ReactivePower || kind == Kind::ApparentPower;
}

// The ratio a kind divides by on writing and multiplies by on reading; 1 for the
// power factor and the frequency. PT x CT is formed in double, so it cannot overflow.
double RatioOf(Kind kind, Ratios ratios)
{
    switch (kind) {
    case Kind::Voltage: return ratios.pt;
    case Kind::Current: return ratios.ct;
    case Kind::ActivePower:
    case Kind::ReactivePower:
    case Kind::ApparentPower: return static_cast<double>(ratios.pt) * static_cast<double>(ratios.ct);
    case Kind::PowerFactor:
    case Kind::Frequency: return 1.0;
    }
    return 1.0;
}

Encoded Fit(double scaled, bool isSigned, double perUnit)
{
    Encoded out;
    const double lo = isSigned ? -32768.0 : 0.0;
    const double hi = isSigned ? 32767.0 : 65535.0;
    out.minValue = lo / perUnit;
    out.maxValue = hi / perUnit;
    // Truncation toward zero applies to the digits the user typed, not to the error
    // of their binary approximation: 1.001 A is 1000.9999999999999 in double and
    // must give 1001, so that a value read and written back unchanged stays the same.
    const double nearest = std::round(scaled);
    const double t = std::fabs(scaled - nearest) < 1e-9 ? nearest : std::trunc(scaled);
    if (!std::isfinite(t) || t < lo || t > hi) {
        out.status = EncodeStatus::OutOfRange;
        return out;
    }
    out.reg = static_cast<uint16_t>(static_cast<int32_t>(t) & 0xFFFF);
    return out;
}

} // namespace

QString UnitText(Kind kind, Scale scale)
{
    const bool kilo = scale == Scale::Kilo;
    switch (kind) {
    case Kind::Voltage: return QStringLiteral("V");
    case Kind::Current: return QStringLiteral("A");
    case Kind::ActivePower: return kilo ? QStringLiteral("kW") : QStringLiteral("W");
    case Kind::ReactivePower: return kilo ? QStringLiteral("kVar") : QStringLiteral("Var");
    case Kind::ApparentPower: return kilo ? QStringLiteral("kVA") : QStringLiteral("VA");
    case Kind::PowerFactor: return QString();
    case Kind::Frequency: return QStringLiteral("Hz");
    }
    return QString();
}

double DecodeValue(Kind kind, uint16_t reg, Ratios ratios, Scale scale)
{
    const double r = ReadsSigned(kind) ? static_cast<double>(static_cast<int16_t>(reg))
                                       : static_cast<double>(reg);
    // Multiplied in the order the instrument's documentation gives, so that the
    // shown digits are the same: r x ratio x reading factor (x 0.001 for kilo-units).
    double v = r * RatioOf(kind, ratios) * ReadingFactor(kind);
    if (IsPower(kind) && scale == Scale::Kilo)
        v *= 0.001;
    return v;
}

Encoded EncodeValue(Kind kind, double value, Ratios ratios, Scale scale)
{
    const double ratio = RatioOf(kind, ratios);
    if (ratio == 0.0) {
        Encoded out;
        out.status = EncodeStatus::ZeroRatio;
        return out;
    }
    double scaled = value * BaseFactor(kind);
    double perUnit = BaseFactor(kind);
    if (IsPower(kind) && scale == Scale::Kilo) {
        scaled *= 1000;
        perUnit *= 1000;
    }
    scaled /= ratio;
    perUnit /= ratio;
    return Fit(scaled, ReadsSigned(kind), perUnit);
}

Encoded EncodeUnscaled(double value)
{
    return Fit(value, false, 1.0);
}

QString FormatValue(double value)
{
    return QString::asprintf("%.3f", value);
}

std::optional<double> ParseNumber(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("^[+-]?([0-9]+\\.?[0-9]*|\\.[0-9]+)$"));
    const QString t = text.trimmed();
    if (!pattern.match(t).hasMatch())
        return std::nullopt;
    bool ok = false;
    const double v = t.toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

std::optional<int> ParseWhole(const QString &text, int max)
{
    static const QRegularExpression pattern(QStringLiteral("^[0-9]{1,9}$"));
    const QString t = text.trimmed();
    if (!pattern.match(t).hasMatch())
        return std::nullopt;
    const int v = t.toInt();
    if (v > max)
        return std::nullopt;
    return v;
}

} // namespace rdmod
