// rd5800d's command line and configuration file: what a mistake says (exit 2,
// before anything is opened) and what a good line gives.
#include "service/ServiceOptions.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

#include <map>

using rdsvc::ParseServiceConfig;
using rdsvc::ServiceConfig;

namespace {

std::map<QString, QByteArray> g_files;

bool FakeRead(const QString &path, QByteArray *contents)
{
    const auto it = g_files.find(path);
    if (it == g_files.end())
        return false;
    *contents = it->second;
    return true;
}

ServiceConfig Parse(QStringList args)
{
    args.prepend(QStringLiteral("rd5800d"));
    return ParseServiceConfig(args, &FakeRead);
}

} // namespace

TEST(ServiceOptions, EachMistakeIsNamedInOneMessage)
{
    g_files = {{"bad.conf", "adapter = /dev/ttyUSB0\nmeter = a=1\nthis is not a setting\n"},
               {"flag.conf", "once = yes\n"},
               {"novalue.conf", "meter =\n"}};
    const QStringList base{"--adapter", "/dev/ttyUSB0", "--meter", "a=1"};
    struct Case {
        QStringList args;
        const char *says;   // a part of the message that names the mistake
    } cases[] = {
        {{"--bogus"}, "--bogus"},
        {{"--baud"}, "--baud"},
        {{"--baud", "1234"}, "--baud"},
        {{"--parity", "X"}, "--parity"},
        {{"--meter", "b=1"}, "地址重复"},
        // One gateway, its scheme and host spelt in another case.
        {{"--meter", "b=1@MODBUS-TCP://127.0.0.1:15020", "--meter", "c=1@modbus-tcp://127.0.0.1:15020"}, "地址重复"},
        {{"--meter", "b=1@tcp://[FD00::20]:502", "--meter", "c=1@TCP://[fd00:0::20]:502"}, "地址重复"},
        {{"--timeout", "5"}, "--timeout"},
        {{"--timeout", "1000@tcp://10.9.9.9:502"}, "--timeout 1000@tcp://10.9.9.9:502"},
        {{"--meter", "a=2"}, "仪表名称重复: a"},
        {{"--meter", "b"}, "--meter"},
        {{"--meter", "b/c=3"}, "--meter"},
        {{"--meter", "b=3@tcp://host"}, "--meter b"},
        {{"--interval", "0.5"}, "--interval"},
        {{"--interval", "abc"}, "--interval"},
        {{"--mqtt", "localhost"}, "--mqtt"},
        {{"--mqtt", "localhost:70000"}, "--mqtt"},
        {{"--mqtt-prefix", "a/#"}, "--mqtt-prefix"},
        {{"--http", "localhost:9580"}, "--http"},
        {{"--once=1"}, "--once"},
        {{"stray"}, "stray"},
        {{"--mqtt", "mqtts://broker"}, "--mqtt"},
        {{"--mqtt", "broker:1883", "--mqtt-cafile", "ca.pem"}, "mqtts://"},
        {{"--mqtt", "mqtts://broker:8883", "--mqtt-certfile", "c.pem"}, "--mqtt-keyfile"},
        {{"--mqtt-qos", "3"}, "--mqtt-qos"},
        {{"--mqtt-retain", "yes"}, "--mqtt-retain"},
        {{"--mqtt-client-id", "two words"}, "--mqtt-client-id"},
        {{"--instance", "a_b"}, "--instance"},
        {{"--ha-prefix", "home/#"}, "--ha-prefix"},
        {{"--publish-interval", "-1"}, "--publish-interval"},
        {{"--config", "bad.conf"}, "bad.conf:3"},
        {{"--config", "flag.conf"}, "flag.conf:1"},
        {{"--config", "novalue.conf"}, "novalue.conf:1"},
        {{"--config", "missing.conf"}, "missing.conf"},
    };
    for (const Case &c : cases) {
        const ServiceConfig config = Parse(base + c.args);
        EXPECT_TRUE(config.error.contains(QString::fromUtf8(c.says)))
            << c.args.join(' ').toStdString() << " -> " << config.error.toStdString();
        EXPECT_EQ(config.error.count(QLatin1Char('\n')), 0) << config.error.toStdString();
    }
    EXPECT_TRUE(Parse({"--meter", "a=1"}).error.contains("--adapter"));
    EXPECT_TRUE(Parse({"--adapter", "/dev/ttyUSB0"}).error.contains("--meter"));
    EXPECT_TRUE(Parse({"--adapter", "modbus-tcp://:502", "--meter", "a=1"}).error.contains("--adapter"));
}

TEST(ServiceOptions, HelpAndVersionWinOverMistakes)
{
    EXPECT_TRUE(Parse({"--bogus", "--help"}).help);
    EXPECT_TRUE(Parse({"-h"}).help);
    EXPECT_TRUE(Parse({"--version", "--baud"}).version);
}

TEST(ServiceOptions, FileThenCommandLine)
{
    g_files = {{"site.conf", "# a site\n[rd5800d]\nadapter = /dev/ttyUSB0\nbaud = 4800\nparity = e\n"
                             "meter = main=1\nmeter = pump=2\nmqtt = broker:1883\nhttp\nonce\n"
                             "record-dir = /var/lib/rd5800d\n"}};
    const ServiceConfig c = Parse({"--config", "site.conf", "--baud", "19200", "--meter", "far=7@tcp://10.0.0.5:4196",
                                   "--mqtt-prefix", "site/a"});
    ASSERT_TRUE(c.error.isEmpty()) << c.error.toStdString();
    EXPECT_EQ(c.line.baudRate, 19200);   // the command line wins
    EXPECT_EQ(c.line.parity, rdlink::Parity::Even);
    ASSERT_EQ(c.meters.size(), 3u);
    EXPECT_EQ(c.meters[0].adapter, "/dev/ttyUSB0");
    EXPECT_EQ(c.meters[1].address, 2);
    EXPECT_EQ(c.meters[2].adapter, "tcp://10.0.0.5:4196");
    EXPECT_EQ(c.adapters, (QStringList{"/dev/ttyUSB0", "tcp://10.0.0.5:4196"}));
    EXPECT_EQ(c.mqttHost, "broker");
    EXPECT_EQ(c.mqttPort, 1883);
    EXPECT_EQ(c.mqttPrefix, "site/a");
    EXPECT_EQ(c.httpAddress, QHostAddress(QHostAddress::LocalHost));   // "http" alone: 127.0.0.1:9580
    EXPECT_EQ(c.httpPort, 9580);
    EXPECT_TRUE(c.once);
    EXPECT_EQ(c.recordDir, "/var/lib/rd5800d");
    EXPECT_DOUBLE_EQ(c.intervalSeconds, 1.0);

    // The same address on two adapters is two meters; adapters on the command
    // line replace the file's.
    const ServiceConfig two = Parse({"--config", "site.conf", "--adapter", "/dev/ttyS1",
                                     "--meter", "other=1@/dev/ttyS2"});
    ASSERT_TRUE(two.error.isEmpty()) << two.error.toStdString();
    EXPECT_EQ(two.meters[0].adapter, "/dev/ttyS1");
    EXPECT_EQ(two.adapters, (QStringList{"/dev/ttyS1", "/dev/ttyS2"}));
}

// A mistake in the file names its line, whatever the mistake; a mistyped key
// gets the nearest one; a comment after a value and a NUL are refused.
TEST(ServiceOptions, FileMistakesNameTheirLineAndWhatToWrite)
{
    g_files = {{"f.conf", ""}};
    struct Case {
        QByteArray file;
        const char *says;
    } cases[] = {
        {"adapter = /dev/ttyUSB0\nmeter = a=1\nbaud = 9601\n", "f.conf:3: --baud"},
        {"adapter = /dev/ttyUSB0\n\nmeter = a=0\n", "f.conf:3: --meter"},
        {"adapter = /dev/ttyUSB0\nmeter = a=1\nmqtt = nohost\n", "f.conf:3: --mqtt"},
        {"adaptor = /dev/ttyUSB0\n", "f.conf:1: 未知的键 adaptor, 是否想写 adapter?"},
        {"adapter = /dev/ttyUSB0\nmeter = a=1\n# pump\nmeter = b=1\n", "f.conf:4: 地址重复"},
        {"meter = a=1\nrecord_dir = /tmp\n", "f.conf:2: 未知的键 record_dir, 是否想写 record-dir?"},
        {"colour = blue\n", "f.conf:1: 无法理解的行: colour = blue"},
        {"adapter = /dev/ttyUSB0   # the USB one\n", "f.conf:1: adapter 的值中有 \" #\""},
        {"adapter = /dev/ttyUSB0\nmeter = a=1\nmqtt-prefix = ab" + QByteArray(1, '\0') + "cd\n", "f.conf:3"},
    };
    for (const Case &c : cases) {
        g_files["f.conf"] = c.file;
        const QString error = Parse({"--config", "f.conf"}).error;
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.says))) << c.says << " -> " << error.toStdString();
    }
    // '#' inside a value without a blank before it is part of the value.
    g_files["f.conf"] = "adapter = /dev/ttyUSB0\nmeter = a=1\nrecord-dir = /srv/site#2\n";
    EXPECT_EQ(Parse({"--config", "f.conf"}).recordDir, "/srv/site#2");
}

TEST(ServiceOptions, BadValuesThatWouldCutOrOpenSomething)
{
    // A control character in the prefix would cut or garble every topic.
    EXPECT_TRUE(Parse({"--adapter", "/dev/ttyUSB0", "--meter", "a=1", "--mqtt-prefix", QString("a") + QChar(1)})
                    .error.contains("--mqtt-prefix"));
    // An adapter without a meter is refused rather than opened for nothing.
    const QString idle = Parse({"--adapter", "/dev/ttyUSB0", "--adapter", "/dev/ttyUSB1", "--meter", "a=1"}).error;
    EXPECT_TRUE(idle.contains("/dev/ttyUSB1")) << idle.toStdString();
    EXPECT_TRUE(Parse({"--adapter", "/dev/ttyUSB0", "--adapter", "/dev/ttyUSB1", "--meter", "a=1",
                       "--meter", "b=1@/dev/ttyUSB1"}).error.isEmpty());
}

// A file that cannot be read says the system's reason.
TEST(ServiceOptions, AnUnreadableFileSaysWhy)
{
    const QString missing = ParseServiceConfig({"rd5800d", "--config", "/nonexistent/rd5800d.conf"}).error;
    EXPECT_TRUE(missing.contains(QString::fromUtf8("没有那个文件或目录"))) << missing.toStdString();
    const QString folder = ParseServiceConfig({"rd5800d", "--config", "/"}).error;
    EXPECT_TRUE(folder.contains(QString::fromUtf8("是一个目录"))) << folder.toStdString();
}

TEST(ServiceOptions, GatewayMarginsAndSpellingsOfOneAdapter)
{
    g_files = {{"gw.conf", "timeout = 1500@MODBUS-TCP://GW.local:502\nmeter = a=1@modbus-tcp://gw.local:502\n"}};
    const ServiceConfig c = Parse({"--config", "gw.conf", "--timeout", "800", "--meter", "b=2@Modbus-Tcp://Gw.Local:502",
                                   "--meter", "c=3@/dev/ttyUSB0"});
    ASSERT_TRUE(c.error.isEmpty()) << c.error.toStdString();
    EXPECT_EQ(c.adapters, (QStringList{"modbus-tcp://gw.local:502", "/dev/ttyUSB0"}));
    EXPECT_EQ(c.meters[1].adapter, "modbus-tcp://gw.local:502");
    EXPECT_EQ(c.timeoutMsFor(QStringLiteral("modbus-tcp://gw.local:502")), 1500u);
    EXPECT_EQ(c.timeoutMsFor(QStringLiteral("/dev/ttyUSB0")), 800u);
    EXPECT_EQ(Parse({"--adapter", "tcp://gw:1", "--meter", "a=1"}).timeoutMsFor(QStringLiteral("tcp://gw:1")), 0u);
}

TEST(ServiceOptions, MeterAddressesOneTo247)
{
    const struct {
        const char *meter;
        bool accepted;
    } cases[] = {{"m=1", true}, {"m=247", true}, {"m=0", false}, {"m=248", false}};
    for (const auto &c : cases) {
        const ServiceConfig config = Parse({"--adapter", "/dev/ttyUSB0", "--meter", c.meter});
        EXPECT_EQ(config.error.isEmpty(), c.accepted) << c.meter << " -> " << config.error.toStdString();
        if (c.accepted) {
            ASSERT_EQ(config.meters.size(), 1u);
            EXPECT_EQ(config.meters[0].address, QString::fromLatin1(c.meter).mid(2).toInt());
        } else {
            EXPECT_TRUE(config.error.contains(QString::fromUtf8("1 到 247"))) << config.error.toStdString();
        }
    }
}

TEST(ServiceOptions, BrokerOverTlsAndHomeAssistantSettings)
{
    const ServiceConfig c = Parse({"--adapter", "/dev/ttyUSB0", "--meter", "a=1", "--mqtt", "mqtts://[fd00::20]:8883",
                                   "--mqtt-cafile", "/etc/ca.pem", "--mqtt-certfile", "c.pem", "--mqtt-keyfile", "k.pem",
                                   "--mqtt-qos", "0", "--mqtt-retain", "false", "--instance", "panel-3",
                                   "--ha-prefix", "none", "--publish-interval", "10"});
    ASSERT_TRUE(c.error.isEmpty()) << c.error.toStdString();
    EXPECT_TRUE(c.mqttTls);
    EXPECT_EQ(c.mqttHost, "fd00::20");
    EXPECT_EQ(c.mqttPort, 8883);
    EXPECT_EQ(c.mqttCaFile, "/etc/ca.pem");
    EXPECT_EQ(c.mqttQos, 0);
    EXPECT_FALSE(c.mqttRetain);
    EXPECT_EQ(c.instance, "panel-3");
    EXPECT_TRUE(c.haPrefix.isEmpty());
    EXPECT_DOUBLE_EQ(c.publishIntervalSeconds, 10);

    // Without TLS and an instance: plain, named after the host.
    const ServiceConfig plain = Parse({"--adapter", "/dev/ttyUSB0", "--meter", "a=1", "--mqtt", "mqtt://broker:1883"});
    ASSERT_TRUE(plain.error.isEmpty()) << plain.error.toStdString();
    EXPECT_FALSE(plain.mqttTls);
    EXPECT_EQ(plain.haPrefix, "homeassistant");
    EXPECT_FALSE(plain.instance.isEmpty());
    EXPECT_EQ(rdsvc::InstanceFromHostName("pi.local_2"), "pi-local-2");
    EXPECT_EQ(rdsvc::InstanceFromHostName("..."), "rd5800d");
}
