#include "InfluxLine.h"

#include "Published.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <cmath>
#include <cstring>

namespace rdsvc {

namespace {

// Commas, spaces (and '=' in tags) get a backslash in front. A backslash
// stays as it is: InfluxDB 1.x keeps "\\" as two characters. Only one that
// would escape what follows it (a special character, the end of the text)
// cannot be carried by any version: it becomes '/'. A control character
// (a line break would end the point) becomes an escaped space.
QByteArray Escaped(const QString &text, const char *special)
{
    QByteArray out;
    const QByteArray utf8 = text.toUtf8();
    out.reserve(utf8.size() + 8);
    const auto isSpecial = [special](char c) { return uchar(c) < 0x20 || c == 0x7f || std::strchr(special, c); };
    for (qsizetype i = 0; i < utf8.size(); ++i) {
        const char c = utf8[i];
        if (uchar(c) < 0x20 || c == 0x7f) {
            out += "\\ ";
        } else if (c == '\\') {
            out += i + 1 == utf8.size() || isSpecial(utf8[i + 1]) || utf8[i + 1] == '\\' ? '/' : '\\';
        } else {
            if (std::strchr(special, c))
                out += '\\';
            out += c;
        }
    }
    return out;
}

bool IsInteger(rdrec::QuantityKind kind)
{
    return kind == rdrec::QuantityKind::Input || kind == rdrec::QuantityKind::Output
           || kind == rdrec::QuantityKind::Counter;
}

} // namespace

QByteArray InfluxMeasurement(const QString &text)
{
    return Escaped(text, ", ");
}

QByteArray InfluxTag(const QString &text)
{
    return Escaped(text, ",= ");
}

QByteArray InfluxPoint(const QString &measurement, const MeterEntry &meter)
{
    if (!meter.reading)
        return {};
    QByteArray fields;
    for (const Published &p : PublishedQuantities()) {
        const double value = rdrec::QuantityValue(*p.quantity, *meter.reading);
        if (!std::isfinite(value))
            continue;
        const bool integer = IsInteger(p.quantity->kind);
        if (!fields.isEmpty())
            fields += ',';
        // Rounded as the MQTT state rounds (half away from zero), written without an exponent.
        const int decimals = integer ? 0 : p.quantity->decimals;
        const double scale = std::pow(10.0, decimals);
        fields += p.key.toLatin1() + '=' + QByteArray::number(std::round(value * scale) / scale, 'f', decimals);
        if (integer)
            fields += 'i';
    }
    if (fields.isEmpty())
        return {};   // a point needs at least one field
    const qint64 ns = meter.reading->time.toMSecsSinceEpoch() * 1000000;
    return InfluxMeasurement(measurement) + ",meter=" + InfluxTag(meter.spec.name)
           + ",address=" + QByteArray::number(meter.spec.address) + ",adapter=" + InfluxTag(meter.spec.adapter)
           + ' ' + fields + ' ' + QByteArray::number(ns);
}

int InfluxRejectedCount(const QByteArray &body, int sent)
{
    static const QRegularExpression dropped(QStringLiteral("dropped=(\\d+)"));
    const QString raw = QString::fromUtf8(body);
    int count = int(raw.count(QStringLiteral("unable to parse")));
    const QRegularExpressionMatch m = dropped.match(raw);
    if (m.hasMatch())
        count += m.captured(1).toInt();
    if (count <= 0 || count > sent)
        return sent;
    return count;
}

QString InfluxErrorText(const QByteArray &body)
{
    const QJsonObject o = QJsonDocument::fromJson(body).object();
    QString text = o.value(QStringLiteral("error")).toString();
    if (text.isEmpty())
        text = o.value(QStringLiteral("message")).toString();   // 2.x and 3.x
    if (text.isEmpty())
        text = QString::fromUtf8(body);
    text = text.section(QLatin1Char('\n'), 0, 0).trimmed();
    if (text.size() > 300)
        text = text.left(300) + QStringLiteral("...");
    return text;
}

} // namespace rdsvc
