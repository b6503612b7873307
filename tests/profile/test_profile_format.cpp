// The profile file: what is written reads back the same, and every bad value is
// refused with a message that names its field, before anything could be sent.
#include "meter/profile/ProfileFile.h"
#include "meter/profile/ProfileSettings.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

using namespace rdprof;

namespace {

Profile FullProfile()
{
    Profile p;
    p.baudRate = 19200;
    p.parity = rdlink::Parity::Even;
    p.address = 12;
    p.pt = 100;
    p.ct = 40;
    p.wiring = 3;
    p.pulseWidth = 120;
    RelayModule relay;
    relay.relays[0] = {QStringLiteral("I1电流控制"), QStringLiteral("20.000"), QStringLiteral("15.000"),
                       QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("0")};
    relay.relays[1] = {QStringLiteral("复归(断开)"), QStringLiteral("0.000"), QStringLiteral("0.000"),
                       QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0")};
    p.relayModules[1] = relay;
    AnalogModule analog;
    analog.outputs[0] = {QStringLiteral("U1电压控制"), QStringLiteral("0.000"), QStringLiteral("25000.000")};
    analog.outputs[1] = {QStringLiteral("I1电流控制"), QStringLiteral("0.000"), QStringLiteral("2000.000")};
    p.analogModules[0] = analog;
    p.pulseModule = PulseModule{QStringLiteral("1"), QStringLiteral("2")};
    p.info.accuracy = QStringLiteral("0.5级");
    p.info.modules = QStringList{QStringLiteral("E2"), QStringLiteral("A20_1#"), QStringLiteral("K2_2#")};
    return p;
}

QJsonObject Json(const Profile &p)
{
    return QJsonDocument::fromJson(ProfileJson(p)).object();
}

// Sets a value at a path of keys ("modules/K2_2#/OUT1/operate").
void Set(QJsonObject &root, const QStringList &path, const QJsonValue &value)
{
    if (path.size() == 1) {
        root.insert(path.first(), value);
        return;
    }
    QJsonObject child = root.value(path.first()).toObject();
    Set(child, path.mid(1), value);
    root.insert(path.first(), child);
}

} // namespace

TEST(ProfileFormat, WhatIsWrittenReadsBackTheSame)
{
    const QByteArray json = ProfileJson(FullProfile());
    const auto parsed = ParseProfile(json);
    ASSERT_TRUE(std::holds_alternative<Profile>(parsed)) << std::get<QString>(parsed).toStdString();
    const Profile &p = std::get<Profile>(parsed);
    EXPECT_EQ(ProfileJson(p), json);
    EXPECT_EQ(p.parity, rdlink::Parity::Even);
    EXPECT_EQ(p.wiring, 3);
    ASSERT_TRUE(p.relayModules[1].has_value());
    EXPECT_FALSE(p.relayModules[0].has_value());
    EXPECT_EQ(p.relayModules[1]->relays[0].operate, QStringLiteral("20.000"));
    // Values in the user's units: the wiring and parity as the dialogs show them.
    const QJsonObject root = Json(FullProfile());
    EXPECT_EQ(root.value(QStringLiteral("wiring")).toString(), QStringLiteral("3相3线(平衡)"));
    EXPECT_EQ(root.value(QStringLiteral("parity")).toString(), QStringLiteral("偶校验"));
}

TEST(ProfileFormat, EveryBadValueIsRefusedNamingItsField)
{
    struct Case {
        QString path;
        QJsonValue value;
        QString field;
    };
    const QJsonValue absent;   // removes the key
    const Case cases[] = {
        {QStringLiteral("baud_rate"), 9601, QStringLiteral("波特率")},
        {QStringLiteral("baud_rate"), QStringLiteral("fast"), QStringLiteral("波特率")},
        {QStringLiteral("parity"), QStringLiteral("E"), QStringLiteral("校验位")},
        {QStringLiteral("address"), 0, QStringLiteral("子机地址")},
        {QStringLiteral("address"), 248, QStringLiteral("子机地址")},
        {QStringLiteral("pt"), 0, QStringLiteral("PT")},
        {QStringLiteral("pt"), 1.5, QStringLiteral("PT")},
        {QStringLiteral("ct"), 64001, QStringLiteral("CT")},
        {QStringLiteral("wiring"), QStringLiteral("三相四线"), QStringLiteral("接线方式")},
        {QStringLiteral("wiring"), 2, QStringLiteral("接线方式")},
        {QStringLiteral("pulse_width_ms"), 256, QStringLiteral("脉冲宽度")},
        {QStringLiteral("pulse_width_ms"), -1, QStringLiteral("脉冲宽度")},
        {QStringLiteral("modules/K2_2#/OUT1/mode"), QStringLiteral("I1电流"), QStringLiteral("K2_2# 继电器OUT1 控制方式")},
        {QStringLiteral("modules/K2_2#/OUT1/operate"), QStringLiteral("20A"), QStringLiteral("K2_2# 继电器OUT1 启动值")},
        {QStringLiteral("modules/K2_2#/OUT2/reset_delay"), 65536, QStringLiteral("K2_2# 继电器OUT2 复归延时")},
        {QStringLiteral("modules/K2_2#/OUT1/pulse_width"), absent, QStringLiteral("K2_2# 继电器OUT1 脉冲宽度")},
        {QStringLiteral("modules/A20_1#/output_1/quantity"), QStringLiteral("U9"), QStringLiteral("A20_1# 电流输出1路 输出参数选择")},
        {QStringLiteral("modules/A20_1#/output_2/20mA"), 1e9, QStringLiteral("A20_1# 电流输出2路 20mA")},
        {QStringLiteral("modules/E2/width"), 300, QStringLiteral("E2 电能脉冲宽度")},
        {QStringLiteral("modules/K2_9#"), QJsonObject(), QStringLiteral("K2_9#")},
        {QStringLiteral("ptt"), 100, QStringLiteral("ptt")},
        {QStringLiteral("ct"), absent, QStringLiteral("CT")},
    };
    for (const Case &c : cases) {
        QJsonObject root = Json(FullProfile());
        Set(root, c.path.split(QLatin1Char('/')), c.value);
        const auto parsed = ParseProfile(QJsonDocument(root).toJson());
        ASSERT_TRUE(std::holds_alternative<QString>(parsed)) << c.path.toStdString();
        const QString message = std::get<QString>(parsed);
        EXPECT_TRUE(message.startsWith(c.field + QStringLiteral(": ")) || message.contains(QLatin1Char('"') + c.field))
            << c.path.toStdString() << ": " << message.toStdString();
        EXPECT_TRUE(message.contains(QStringLiteral("参数未发送"))) << message.toStdString();
    }
}

TEST(ProfileFormat, NotAProfileAtAll)
{
    for (const QByteArray &bytes : {QByteArray("{\"pt\": 100,"), QByteArray("[1, 2]"), QByteArray("{\"pt\": 100}")}) {
        const auto parsed = ParseProfile(bytes);
        ASSERT_TRUE(std::holds_alternative<QString>(parsed)) << bytes.constData();
        EXPECT_TRUE(std::get<QString>(parsed).contains(QStringLiteral("参数未发送"))) << bytes.constData();
    }
}

TEST(ProfileFormat, ModuleValuesAreCheckedWithTheProfilesOwnRatios)
{
    // 65.536 A does not fit the current register at CT 1 (65.535 A at most), but
    // does at CT 40: the check follows the CT the profile writes, not the meter's.
    Profile p = FullProfile();
    p.relayModules[1]->relays[0].operate = QStringLiteral("65.536");
    p.ct = 1;
    const auto refused = ParseProfile(ProfileJson(p));
    ASSERT_TRUE(std::holds_alternative<QString>(refused));
    EXPECT_TRUE(std::get<QString>(refused).startsWith(QStringLiteral("K2_2# 继电器OUT1 启动值")));
    p.ct = 40;
    const auto accepted = ParseProfile(ProfileJson(p));
    EXPECT_TRUE(std::holds_alternative<Profile>(accepted)) << std::get<QString>(accepted).toStdString();
}

TEST(ProfileSettings, WrittenInTheSafeOrder)
{
    const auto encoded = EncodeProfile(FullProfile());
    const auto &settings = std::get<std::vector<Setting>>(encoded);
    ASSERT_GE(settings.size(), 7u);
    EXPECT_EQ(settings[0].name, QStringLiteral("PT"));
    EXPECT_EQ(settings[1].name, QStringLiteral("CT"));
    EXPECT_EQ(settings[2].name, QStringLiteral("接线方式"));
    EXPECT_EQ(settings[3].name, QStringLiteral("脉冲宽度"));
    const size_t n = settings.size();
    EXPECT_EQ(settings[n - 3].stage, Stage::Address);
    EXPECT_EQ(settings[n - 2].stage, Stage::Parity);
    EXPECT_EQ(settings[n - 1].stage, Stage::Baud);
    for (size_t i = 0; i + 3 < n; ++i)
        EXPECT_EQ(settings[i].stage, Stage::Ordinary) << settings[i].name.toStdString();
    // Module values in register units with the profile's ratios: 20 A at CT 40.
    const auto operate = std::find_if(settings.begin(), settings.end(), [](const Setting &s) {
        return s.name == QStringLiteral("K2_2# 继电器OUT1 启动值");
    });
    ASSERT_NE(operate, settings.end());
    EXPECT_EQ(operate->value, 500);   // 20.000 A x 1000 / 40
    EXPECT_EQ(operate->reg, 0x0311 + 12 + 1);
}
