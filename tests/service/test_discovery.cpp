// Home Assistant's discovery configs and the state JSON they read: every
// config against Home Assistant's rules, identities that survive a change of
// adapter and prefix, availability that needs both the service and the meter.
#include "service/MeterBook.h"
#include "service/Payloads.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QTimeZone>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>
#include <set>

using namespace rdsvc;

namespace {

// The device classes the service uses, with the units and state classes Home
// Assistant accepts for each, from its sensor documentation:
// https://www.home-assistant.io/integrations/sensor/#device-class
// ("" as a unit: none; a class not listed here is not accepted).
struct ClassRule {
    std::set<QString> units;
    std::set<QString> stateClasses;
};
const std::map<QString, ClassRule> kHomeAssistantClasses = {
    {"voltage", {{"V", "mV", "µV", "kV", "MV"}, {"measurement"}}},
    {"current", {{"A", "mA"}, {"measurement"}}},
    {"power", {{"W", "kW", "mW", "MW", "GW", "TW", "BTU/h"}, {"measurement"}}},
    {"reactive_power", {{"var", "kvar", "mvar"}, {"measurement"}}},
    {"apparent_power", {{"VA", "kVA", "mVA"}, {"measurement"}}},
    {"power_factor", {{"", "%"}, {"measurement"}}},
    {"frequency", {{"Hz", "kHz", "MHz", "GHz"}, {"measurement"}}},
    {"energy", {{"Wh", "kWh", "MWh", "GWh", "TWh", "J", "kJ", "MJ", "GJ"}, {"total", "total_increasing"}}},
    {"reactive_energy", {{"varh", "kvarh"}, {"total", "total_increasing"}}},
};
const std::set<QString> kStateClasses = {"measurement", "total", "total_increasing"};

MeterEntry Meter(const QString &name, const QString &adapter, uint8_t address)
{
    MeterEntry m;
    m.spec = {name, address, adapter};
    return m;
}

std::map<QString, QJsonObject> Configs(const MeterEntry &m, const DiscoverySettings &s)
{
    std::map<QString, QJsonObject> out;
    for (const auto &[topic, payload] : DiscoveryConfigs(m, s))
        out[topic] = QJsonDocument::fromJson(payload).object();
    return out;
}

DiscoverySettings Site()
{
    DiscoverySettings s;
    s.instance = QStringLiteral("panel-3");
    s.topicPrefix = QStringLiteral("site");
    s.version = QStringLiteral("1.2.3");
    return s;
}

} // namespace

TEST(Discovery, EveryConfigFollowsHomeAssistantsRules)
{
    const auto configs = Configs(Meter("main", "/dev/ttyUSB0", 1), Site());
    ASSERT_GT(configs.size(), 40u);
    static const QRegularExpression topicForm(
        QStringLiteral("^homeassistant/(sensor|binary_sensor)/rd5800_panel-3/main_[a-z0-9_]+/config$"));
    static const QRegularExpression entityForm(QStringLiteral("^(sensor|binary_sensor)\\.panel_3_main_[a-z0-9_]+$"));
    std::set<QString> uniqueIds;
    int binaries = 0, diagnostics = 0, hidden = 0;
    for (const auto &[topic, c] : configs) {
        const std::string where = topic.toStdString();
        const QRegularExpressionMatch m = topicForm.match(topic);
        ASSERT_TRUE(m.hasMatch()) << where;
        const QString component = m.captured(1);
        EXPECT_TRUE(uniqueIds.insert(c.value("unique_id").toString()).second) << where;
        EXPECT_TRUE(c.value("unique_id").toString().startsWith("rd5800_panel-3_main_")) << where;
        EXPECT_TRUE(entityForm.match(c.value("default_entity_id").toString()).hasMatch()) << where;
        EXPECT_TRUE(c.value("default_entity_id").toString().startsWith(component + '.')) << where;
        EXPECT_TRUE(c.contains("object_id")) << where;
        EXPECT_EQ(c.value("state_topic").toString(), "site/main/state") << where;
        // Available only when both the service and the meter say so.
        EXPECT_EQ(c.value("availability_mode").toString(), "all") << where;
        const QJsonArray availability = c.value("availability").toArray();
        ASSERT_EQ(availability.size(), 2) << where;
        EXPECT_EQ(availability[0].toObject().value("topic").toString(), "site/status") << where;
        EXPECT_EQ(availability[1].toObject().value("topic").toString(), "site/main/availability") << where;
        EXPECT_EQ(c.value("device").toObject().value("identifiers").toArray().first().toString(), "rd5800_panel-3_main");
        EXPECT_EQ(c.value("origin").toObject().value("name").toString(), "rd5800d") << where;
        EXPECT_EQ(c.value("origin").toObject().value("sw_version").toString(), "1.2.3") << where;
        diagnostics += c.value("entity_category").toString() == "diagnostic";
        hidden += c.contains("enabled_by_default") && !c.value("enabled_by_default").toBool();
        if (component == "binary_sensor") {
            ++binaries;
            EXPECT_EQ(c.value("payload_on").toString(), "1") << where;
            EXPECT_EQ(c.value("payload_off").toString(), "0") << where;
            EXPECT_FALSE(c.contains("state_class")) << where;
            EXPECT_FALSE(c.contains("unit_of_measurement")) << where;
            continue;
        }
        const QString stateClass = c.value("state_class").toString();
        EXPECT_EQ(kStateClasses.count(stateClass), 1u) << where;
        const QString deviceClass = c.value("device_class").toString();
        if (deviceClass.isEmpty())
            continue;
        const auto rule = kHomeAssistantClasses.find(deviceClass);
        ASSERT_NE(rule, kHomeAssistantClasses.end()) << where << ": " << deviceClass.toStdString();
        EXPECT_EQ(rule->second.units.count(c.value("unit_of_measurement").toString()), 1u) << where;
        EXPECT_EQ(rule->second.stateClasses.count(stateClass), 1u) << where;
    }
    EXPECT_EQ(binaries, 12);          // DI1..6, DO1..6
    EXPECT_EQ(diagnostics, 7);        // the six pulse counters and the success rate
    EXPECT_GT(hidden, 6);

    const QJsonObject mean = configs.at("homeassistant/sensor/rd5800_panel-3/main_current_avg/config");
    EXPECT_EQ(mean.value("value_template").toString(), "{{ value_json.current_avg }}");
    const QJsonObject counter = configs.at("homeassistant/sensor/rd5800_panel-3/main_counter1/config");
    EXPECT_EQ(counter.value("state_class").toString(), "total_increasing");
    const QJsonObject reactive = configs.at("homeassistant/sensor/rd5800_panel-3/main_reactive_energy_import/config");
    EXPECT_EQ(reactive.value("device_class").toString(), "reactive_energy");
}

TEST(Discovery, IdentityKeepsAcrossAdapterAndPrefixButNotAcrossInstances)
{
    DiscoverySettings moved = Site();
    moved.topicPrefix = QStringLiteral("elsewhere");
    moved.haPrefix = QStringLiteral("ha");
    const auto before = Configs(Meter("main", "/dev/ttyUSB0", 1), Site());
    const auto after = Configs(Meter("main", "/dev/serial/by-id/usb-x", 9), moved);
    ASSERT_EQ(before.size(), after.size());
    std::set<QString> ids;
    for (const auto &[topic, c] : before)
        ids.insert(c.value("unique_id").toString());
    for (const auto &[topic, c] : after) {
        EXPECT_TRUE(topic.startsWith("ha/")) << topic.toStdString();
        EXPECT_EQ(ids.count(c.value("unique_id").toString()), 1u) << topic.toStdString();
    }
    DiscoverySettings other = Site();
    other.instance = QStringLiteral("panel-4");
    for (const auto &[topic, c] : Configs(Meter("main", "/dev/ttyUSB0", 1), other))
        EXPECT_EQ(ids.count(c.value("unique_id").toString()), 0u) << topic.toStdString();
    // The filters that find this instance's earlier configs cover every topic it publishes.
    for (const QString &filter : OwnDiscoveryFilters(Site())) {
        const QString head = filter.section(QStringLiteral("+"), 0, 0);
        EXPECT_TRUE(std::any_of(before.begin(), before.end(),
                                [&](const auto &c) { return c.first.startsWith(head); })) << filter.toStdString();
    }
}

TEST(StateJson, NamesSayMeanOrSumAndTheEarlierKeysStay)
{
    MeterEntry m = Meter("main", "/dev/ttyUSB0", 1);
    PollResult p;
    p.refresh.status = rdov::MeterStatus::Ok;
    p.refresh.requests = p.refresh.replies = 1;
    p.refresh.values = rdacq::Measurements{};
    p.refresh.values->current = {17.801, 15.993, 9.495, 27.916};
    p.refresh.values->activePower = {6000, 1000, 2000, 3000};
    p.refresh.replyTime = QDateTime::fromMSecsSinceEpoch(1765000000000);
    ApplyPoll(m, p);
    const QJsonObject state = StateJson(m);
    EXPECT_DOUBLE_EQ(state.value("current_avg").toDouble(), 17.801);
    EXPECT_DOUBLE_EQ(state.value("power_sum").toDouble(), 6000);
    // Deprecated, kept for one release (README).
    EXPECT_DOUBLE_EQ(state.value("current_total").toDouble(), 17.801);
    EXPECT_DOUBLE_EQ(state.value("power_total").toDouble(), 6000);
}

// The published text is what QJsonDocument would write for the same object:
// key order, whole numbers, negative zero, fractions, large and absent values.
TEST(StateJson, TheTextIsWhatQJsonDocumentWrites)
{
    MeterEntry m = Meter("main", "/dev/ttyUSB0", 7);
    EXPECT_TRUE(StateJsonText(m).isEmpty());
    const struct { double voltage; double current; double power; double pf; } cases[] = {
        {230.0, 17.801, 6000, 0.999},
        {-0.0004, -0.0001, -1.5, -0.25},
        {1.0e15, 123456.789, 2.5e-4, 1},
        {std::nan(""), std::numeric_limits<double>::infinity(), 9007199254740993.0, 0},
    };
    for (const auto &c : cases) {
        PollResult p;
        p.refresh.status = rdov::MeterStatus::Ok;
        p.refresh.requests = p.refresh.replies = 1;
        p.refresh.values = rdacq::Measurements{};
        p.refresh.values->phaseVoltage = {c.voltage, c.voltage, -c.voltage, c.voltage};
        p.refresh.values->current = {c.current, c.current / 3, 0, c.current};
        p.refresh.values->activePower = {c.power, c.power, c.power, c.power};
        p.refresh.values->powerFactor = {c.pf, c.pf, c.pf, c.pf};
        p.refresh.values->frequency = 49.99;
        p.refresh.replyTime = QDateTime(QDate(2026, 12, 8), QTime(9, 30, 0, 45), QTimeZone(8 * 3600));
        ApplyPoll(m, p);
        EXPECT_EQ(StateJsonText(m), QJsonDocument(StateJson(m)).toJson(QJsonDocument::Compact)) << c.voltage;
    }
}
