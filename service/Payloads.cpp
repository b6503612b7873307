#include "Payloads.h"

#include "InfluxLine.h"
#include "Published.h"
#include "meter/recording/CsvFormat.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QLocale>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <map>

namespace rdsvc {

namespace {

// A published value to the quantity's decimals; one that is not finite stays so.
double RoundedValue(double value, int decimals)
{
    if (!std::isfinite(value))
        return value;
    const double scale = std::pow(10.0, decimals);
    return std::round(value * scale) / scale;
}

QJsonValue Rounded(double value, int decimals)
{
    if (!std::isfinite(value))
        return QJsonValue(QJsonValue::Null);
    return QJsonValue(RoundedValue(value, decimals));
}

// A label value with backslash, quote and newline escaped.
QByteArray LabelValue(const QString &text)
{
    QByteArray out;
    for (const char c : text.toUtf8()) {
        if (c == '\\' || c == '"')
            out += '\\';
        if (c == '\n') {
            out += "\\n";
            continue;
        }
        out += c;
    }
    return out;
}

QByteArray Number(double v)
{
    if (std::isnan(v))
        return "NaN";
    return QByteArray::number(v, 'g', 15);
}

} // namespace

QString AdapterId(const QString &adapter)
{
    static const QRegularExpression other(QStringLiteral("[^A-Za-z0-9]+"));
    QString id = adapter;
    id.replace(other, QStringLiteral("_"));
    while (id.startsWith(QLatin1Char('_')))
        id.remove(0, 1);
    while (id.endsWith(QLatin1Char('_')))
        id.chop(1);
    return id;
}

QString EntitySlug(const QString &text)
{
    QString out;
    for (const QChar c : text.toLower()) {
        const bool keep = (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('0') && c <= QLatin1Char('9'));
        if (keep)
            out += c;
        else if (!out.endsWith(QLatin1Char('_')))
            out += QLatin1Char('_');
    }
    return out;
}

QJsonObject StateJson(const MeterEntry &meter)
{
    QJsonObject o;
    if (!meter.reading)
        return o;
    o.insert(QStringLiteral("time"), QString::fromLatin1(rdrec::IsoTime(meter.reading->time)));
    o.insert(QStringLiteral("address"), int(meter.spec.address));
    for (const Published &p : PublishedQuantities()) {
        const QJsonValue value = Rounded(rdrec::QuantityValue(*p.quantity, *meter.reading), p.quantity->decimals);
        o.insert(p.key, value);
        if (!p.oldKey.isEmpty())
            o.insert(p.oldKey, value);   // deprecated: the README lists these
    }
    return o;
}

namespace {

// A number as QJsonDocument writes it: a whole value as an integer (so -0 is
// "0"), else the shortest text that reads back the same; null when not finite.
void AppendJsonNumber(QByteArray &out, double value)
{
    if (!std::isfinite(value)) {
        out += "null";
        return;
    }
    constexpr double kExact = 9007199254740992.0;   // 2^53
    if (value == std::trunc(value) && std::fabs(value) < kExact)
        out += QByteArray::number(qint64(value));
    else
        out += QByteArray::number(value, 'g', QLocale::FloatingPointShortest);
}

// The keys of StateJson in the order a QJsonObject keeps them (sorted), each
// with what it holds: -2 the time, -1 the address, else the index of the
// published quantity.
struct StateKey {
    QByteArray key;
    int what;
};

const std::vector<StateKey> &StateKeys()
{
    static const std::vector<StateKey> keys = [] {
        std::vector<StateKey> k{{"time", -2}, {"address", -1}};
        const std::vector<Published> &all = PublishedQuantities();
        for (size_t i = 0; i < all.size(); ++i) {
            k.push_back({all[i].key.toLatin1(), int(i)});
            if (!all[i].oldKey.isEmpty())
                k.push_back({all[i].oldKey.toLatin1(), int(i)});
        }
        std::stable_sort(k.begin(), k.end(), [](const StateKey &a, const StateKey &b) { return a.key < b.key; });
        return k;
    }();
    return keys;
}

} // namespace

QByteArray StateJsonText(const MeterEntry &meter)
{
    if (!meter.reading)
        return {};
    const std::vector<Published> &all = PublishedQuantities();
    QByteArray out;
    out.reserve(2048);
    out += '{';
    for (const StateKey &k : StateKeys()) {
        if (out.size() > 1)
            out += ',';
        out += '"';
        out += k.key;
        out += "\":";
        if (k.what == -2) {
            out += '"';
            out += rdrec::IsoTime(meter.reading->time);
            out += '"';
        } else if (k.what == -1) {
            out += QByteArray::number(int(meter.spec.address));
        } else {
            const Published &p = all[size_t(k.what)];
            const double value = rdrec::QuantityValue(*p.quantity, *meter.reading);
            AppendJsonNumber(out, RoundedValue(value, p.quantity->decimals));
        }
    }
    out += '}';
    return out;
}

QJsonObject MeterSummary(const MeterEntry &meter)
{
    QJsonObject o;
    o.insert(QStringLiteral("name"), meter.spec.name);
    o.insert(QStringLiteral("address"), int(meter.spec.address));
    o.insert(QStringLiteral("adapter"), meter.spec.adapter);
    o.insert(QStringLiteral("online"), meter.availability == Availability::Online);
    o.insert(QStringLiteral("requests"), double(meter.requests));
    o.insert(QStringLiteral("replies"), double(meter.replies));
    o.insert(QStringLiteral("timeouts"), double(meter.timeouts));
    o.insert(QStringLiteral("bad_replies"), double(meter.badReplies));
    const QJsonObject state = StateJson(meter);
    o.insert(QStringLiteral("state"), state.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(state));
    return o;
}

QByteArray MetersJson(const std::vector<MeterEntry> &meters)
{
    QJsonArray list;
    for (const MeterEntry &m : meters)
        list.append(MeterSummary(m));
    QJsonObject root;
    root.insert(QStringLiteral("meters"), list);
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

QString DeviceId(const QString &instance, const QString &meter)
{
    return QStringLiteral("rd5800_%1_%2").arg(instance, meter);
}

namespace {

const char *const kComponents[] = {"sensor", "binary_sensor"};

QString Node(const DiscoverySettings &settings)
{
    return QStringLiteral("rd5800_") + settings.instance;
}

} // namespace

QStringList OwnDiscoveryFilters(const DiscoverySettings &settings)
{
    QStringList filters;
    for (const char *component : kComponents)
        filters << QStringLiteral("%1/%2/%3/+/config").arg(settings.haPrefix, QLatin1String(component), Node(settings));
    return filters;
}

std::vector<std::pair<QString, QByteArray>> DiscoveryConfigs(const MeterEntry &meter, const DiscoverySettings &settings)
{
    const QString id = DeviceId(settings.instance, meter.spec.name);
    const QString base = settings.topicPrefix + QLatin1Char('/') + meter.spec.name;
    QJsonObject device;
    device.insert(QStringLiteral("name"), meter.spec.name);
    device.insert(QStringLiteral("model"), QStringLiteral("RD5800"));
    device.insert(QStringLiteral("identifiers"), QJsonArray{id});
    QJsonObject origin;
    origin.insert(QStringLiteral("name"), QStringLiteral("rd5800d"));
    if (!settings.version.isEmpty())
        origin.insert(QStringLiteral("sw_version"), settings.version);
    // Available only while both the service and the meter say so: the service's
    // own status alone would show an offline meter as available.
    QJsonArray availability;
    availability.append(QJsonObject{{QStringLiteral("topic"), settings.topicPrefix + QStringLiteral("/status")}});
    availability.append(QJsonObject{{QStringLiteral("topic"), base + QStringLiteral("/availability")}});
    const QString slugBase = EntitySlug(settings.instance + QLatin1Char('_') + meter.spec.name);

    std::vector<std::pair<QString, QByteArray>> out;
    for (const Published &p : PublishedQuantities()) {
        QJsonObject c;
        c.insert(QStringLiteral("name"), rdrec::DisplayWords(p.name));
        c.insert(QStringLiteral("unique_id"), id + QLatin1Char('_') + p.key);
        // Entity ids in ASCII whatever the language of the names; object_id for
        // Home Assistant versions before default_entity_id.
        const QString slug = slugBase + QLatin1Char('_') + p.key;
        c.insert(QStringLiteral("default_entity_id"), p.component + QLatin1Char('.') + slug);
        c.insert(QStringLiteral("object_id"), slug);
        c.insert(QStringLiteral("state_topic"), base + QStringLiteral("/state"));
        c.insert(QStringLiteral("value_template"), QStringLiteral("{{ value_json.%1 }}").arg(p.key));
        if (p.component == QLatin1String("binary_sensor")) {
            c.insert(QStringLiteral("payload_on"), QStringLiteral("1"));
            c.insert(QStringLiteral("payload_off"), QStringLiteral("0"));
        } else {
            c.insert(QStringLiteral("state_class"), p.stateClass);
            c.insert(QStringLiteral("suggested_display_precision"), p.quantity->decimals);
        }
        if (!p.deviceClass.isEmpty())
            c.insert(QStringLiteral("device_class"), p.deviceClass);
        if (!p.unit.isEmpty())
            c.insert(QStringLiteral("unit_of_measurement"), p.unit);
        if (p.diagnostic)
            c.insert(QStringLiteral("entity_category"), QStringLiteral("diagnostic"));
        if (!p.enabledByDefault)
            c.insert(QStringLiteral("enabled_by_default"), false);
        c.insert(QStringLiteral("availability"), availability);
        c.insert(QStringLiteral("availability_mode"), QStringLiteral("all"));
        c.insert(QStringLiteral("device"), device);
        c.insert(QStringLiteral("origin"), origin);
        out.emplace_back(QStringLiteral("%1/%2/%3/%4_%5/config")
                             .arg(settings.haPrefix, p.component, Node(settings), meter.spec.name, p.key),
                         QJsonDocument(c).toJson(QJsonDocument::Compact));
    }
    return out;
}

QStringList LegacyDiscoveryTopics(const MeterEntry &meter)
{
    // The earlier layout: every quantity a sensor, the three-phase column "_total".
    const QString node = QStringLiteral("rd5800_%1_%2").arg(AdapterId(meter.spec.adapter)).arg(meter.spec.address);
    QStringList topics;
    for (const Published &p : PublishedQuantities())
        topics << QStringLiteral("homeassistant/sensor/%1/%2/config").arg(node, p.oldKey.isEmpty() ? p.key : p.oldKey);
    return topics;
}

namespace {
const ServiceFigures *g_figures = nullptr;
} // namespace

void RegisterServiceFigures(const ServiceFigures *figures)
{
    g_figures = figures;
}

QByteArray MetricsText(const std::vector<MeterEntry> &meters)
{
    return MetricsText(meters, g_figures);
}

QByteArray MetricsText(const std::vector<MeterEntry> &meters, const ServiceFigures *figures)
{
    // Families in the order first met, each with its samples of every meter.
    struct Family {
        QByteArray help;
        QByteArray type;
        QByteArray samples;
    };
    std::vector<QByteArray> order;
    std::map<QByteArray, Family> families;
    auto sample = [&](const QByteArray &name, const char *type, const QByteArray &help, const QByteArray &labels,
                      double value) {
        auto it = families.find(name);
        if (it == families.end()) {
            order.push_back(name);
            it = families.emplace(name, Family{help, type, {}}).first;
        }
        it->second.samples += name + (labels.isEmpty() ? QByteArray() : '{' + labels + '}') + ' ' + Number(value) + '\n';
    };

    if (figures) {
        sample("rd5800_build_info", "gauge", "The running rd5800d; always 1",
               "version=\"" + LabelValue(figures->version) + '"', 1);
        for (const ServiceFigures::Adapter &a : figures->adapters) {
            const QByteArray adapter = "adapter=\"" + LabelValue(a.name) + '"';
            sample("rd5800_adapter_up", "gauge", "1 when the last poll on the adapter reached its port", adapter,
                   a.up ? 1 : 0);
            sample("rd5800_port_errors_total", "counter", "Times the adapter's port could not be opened or was lost",
                   adapter, double(a.portErrors));
        }
        if (figures->mqttConfigured)
            sample("rd5800_mqtt_connected", "gauge", "1 while the service is connected to its MQTT broker", {},
                   figures->mqttConnected ? 1 : 0);
    }
    for (const MeterEntry &m : meters) {
        const QByteArray meter = "meter=\"" + LabelValue(m.spec.name) + '"';
        sample("rd5800_meter_info", "gauge", "The configured meters; always 1",
               meter + ",address=\"" + QByteArray::number(m.spec.address) + "\",adapter=\"" + LabelValue(m.spec.adapter) + '"', 1);
        sample("rd5800_up", "gauge", "1 when the meter answered its last poll", meter,
               m.lastStatus == rdov::MeterStatus::Ok ? 1 : 0);
        sample("rd5800_requests_total", "counter", "Requests sent to the meter", meter, double(m.requests));
        sample("rd5800_replies_total", "counter", "Valid replies from the meter", meter, double(m.replies));
        sample("rd5800_timeouts_total", "counter", "Requests the meter did not answer", meter, double(m.timeouts));
        sample("rd5800_bad_replies_total", "counter",
               "Replies with a CRC error, a wrong length or an exception", meter, double(m.badReplies));
        if (!m.reading)
            continue;
        sample("rd5800_last_reading_timestamp_seconds", "gauge", "Time of the last reading", meter,
               double(m.reading->time.toMSecsSinceEpoch()) / 1000.0);
        const bool offline = m.availability == Availability::Offline;
        for (const Published &p : PublishedQuantities()) {
            if (p.metric.isEmpty())
                continue;
            const bool counter = p.metricType == QLatin1String("counter");
            if (offline && !counter)
                continue;
            const double value = rdrec::QuantityValue(*p.quantity, *m.reading);
            if (std::isnan(value))
                continue;
            QByteArray labels = meter;
            if (!p.labelName.isEmpty())
                labels += ',' + p.labelName.toLatin1() + "=\"" + p.labelValue.toLatin1() + '"';
            sample(p.metric.toLatin1(), counter ? "counter" : "gauge", p.metricHelp.toLatin1(), labels,
                   value * p.metricScale);
        }
    }
    QByteArray out;
    for (const QByteArray &name : order) {
        const Family &f = families[name];
        out += "# HELP " + name + ' ' + f.help + '\n';
        out += "# TYPE " + name + ' ' + f.type + '\n';
        out += f.samples;
    }
    return out;
}

QByteArray InfluxMetricsText(const InfluxStats &stats)
{
    const auto family = [](const char *name, const char *type, const char *help, double value) {
        return QByteArray("# HELP ") + name + ' ' + help + "\n# TYPE " + name + ' ' + type + '\n' + name + ' '
               + Number(value) + '\n';
    };
    return family("rd5800_influx_points_written_total", "counter", "Points InfluxDB accepted",
                  double(stats.written))
           + family("rd5800_influx_points_queued", "gauge", "Points waiting to be written to InfluxDB",
                    double(stats.queued))
           + family("rd5800_influx_points_dropped_total", "counter",
                    "Points given up: refused by InfluxDB as malformed, or pushed out of the full queue",
                    double(stats.dropped))
           + family("rd5800_influx_last_error_timestamp_seconds", "gauge",
                    "Time of the last failed write to InfluxDB, 0 when none",
                    stats.lastErrorTime.isValid() ? double(stats.lastErrorTime.toMSecsSinceEpoch()) / 1000.0 : 0.0);
}

QByteArray InfluxHealthText(const InfluxStats &stats)
{
    QByteArray text = "influx: " + QByteArray::number(stats.written) + " points written, "
                      + QByteArray::number(stats.queued) + " queued, " + QByteArray::number(stats.dropped)
                      + " dropped";
    if (!stats.lastError.isEmpty())
        text += "; last error " + rdrec::IsoTime(stats.lastErrorTime) + ": " + stats.lastError.toUtf8();
    return text + '\n';
}

} // namespace rdsvc
