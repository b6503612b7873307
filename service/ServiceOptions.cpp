// Parsing of rd5800d's command line and configuration file; no sockets, no ports.
#include "ServiceOptions.h"

#include "SystemText.h"
#include "link/LineTime.h"
#include "link/PortName.h"

#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QSysInfo>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace rdsvc {

namespace {


const char *const kHelp = QT_TRANSLATE_NOOP("rd5800d",
    "用法: rd5800d [选项]\n"
    "RD5800 监测服务: 轮询总线上的仪表, 发布到 MQTT 和 Prometheus, 记录到 CSV 文件。\n"
    "\n"
    "选项 (配置文件中用同样的键, 每行 \"键 = 值\"):\n"
    "  --config FILE              读取配置文件 (INI), 命令行的选项随后读取\n"
    "  --adapter NAME             串口设备或网关, 例如 /dev/ttyUSB0, tcp://主机:端口, modbus-tcp://主机:端口\n"
    "  --baud N                   波特率: 1200, 2400, 4800, 9600 或 19200 (默认 9600)\n"
    "  --parity N|E|O             校验方式 (默认 N)\n"
    "  --meter NAME=ADDRESS       一台仪表: 名称 (字母, 数字, _ 和 -) 与地址 1..247, 可重复;\n"
    "                             多个适配器时写 NAME=ADDRESS@ADAPTER\n"
    "  --interval SECONDS         每台仪表两次轮询之间的时间, 至少 1 秒 (默认 1 秒, 线路较慢时尽快)\n"
    "  --mqtt HOST:PORT           MQTT 服务器\n"
    "  --mqtt-user USER           MQTT 用户名\n"
    "  --mqtt-password-file FILE  含 MQTT 密码的文件 (第一行)\n"
    "  --mqtt-prefix PREFIX       MQTT 主题前缀 (默认 rd5800)\n"
    "  --http [ADDRESS:PORT]      HTTP 服务: /metrics, /api/meters, /healthz (不给值时 127.0.0.1:9580)\n"
    "  --record-dir DIR           每台仪表一个 CSV 文件 DIR/NAME.csv, 格式同主窗口的记录\n"
    "  --influx URL               InfluxDB, 例如 http://127.0.0.1:8086 (https:// 时检查证书)\n"
    "  --influx-db NAME           数据库 (1.x) 或 bucket (2.x/3.x)\n"
    "  --influx-user USER         InfluxDB 1.x 用户名\n"
    "  --influx-password-file FILE  含 InfluxDB 1.x 密码的文件 (第一行)\n"
    "  --influx-token-file FILE   含 InfluxDB 2.x/3.x 令牌的文件 (第一行)\n"
    "  --influx-measurement NAME  measurement 名称 (默认 rd5800)\n"
    "  --influx-queue-size N      InfluxDB 不可用时在磁盘上保留的点数 (默认: 全部仪表 24 小时)\n"
    "  --state-dir DIR            状态文件夹, InfluxDB 的队列在其中\n"
    "                             (默认 $STATE_DIRECTORY, 否则 ~/.local/state/rd5800d)\n"
    "  --once                     每台仪表读一次, 以 JSON 输出后结束 (有仪表未应答时退出码 1)\n"
    "  --verbose                  日志更详细\n"
    "  --lang zh|en               日志与消息的语言 (不给时按系统语言, C/POSIX 时为中文)\n"
    "  -h, --help                 显示本说明\n"
    "  --version                  显示版本\n"
    "\n"
    "例如: rd5800d --adapter /dev/ttyUSB0 --meter main=1 --meter pump=2 --mqtt localhost:1883\n"
    "      rd5800d --adapter /dev/ttyUSB0 --meter main=1 --influx http://127.0.0.1:8086 --influx-db energy\n");

const char *const kTimeoutHelp = QT_TRANSLATE_NOOP("rd5800d",
    "--timeout MS 或 MS@ADAPTER: 经网关时应答的等待余量, 毫秒 (10..60000, 默认 1000), 可按适配器分别设置\n");
const char *const kHelpMqtt = QT_TRANSLATE_NOOP("rd5800d",
    "\n"
    "MQTT 与 Home Assistant:\n"
    "  --mqtt mqtts://HOST:PORT   经 TLS 连接 (服务器证书默认受检)\n"
    "  --mqtt-cafile FILE         签发服务器证书的 CA (PEM); 不给时用系统的 CA\n"
    "  --mqtt-certfile FILE       客户端证书 (PEM), 与 --mqtt-keyfile FILE 一起\n"
    "  --mqtt-client-id ID        MQTT 客户端标识 (默认 rd5800d-INSTANCE)\n"
    "  --mqtt-qos 0|1|2           消息的 QoS (默认 1)\n"
    "  --mqtt-retain true|false   状态消息是否保留 (默认 true; 状态, 在线与发现消息总是保留)\n"
    "  --instance NAME            本服务的名称 (字母, 数字和 -; 默认主机名), 用于 Home Assistant 的标识\n"
    "  --ha-prefix PREFIX|none    Home Assistant 发现主题前缀 (默认 homeassistant); none: 不发布发现消息\n"
    "  --publish-interval SECONDS 每台仪表的状态最多每 SECONDS 秒发布一次 (默认 0: 每次轮询后)\n");

enum class Arg { None, Value, OptionalValue };

struct OptionDef {
    const char *name;
    Arg arg;
    bool inFile;   // allowed in the configuration file
};

const OptionDef kOptions[] = {
    {"help", Arg::None, false},          {"version", Arg::None, false},
    {"config", Arg::Value, false},       {"adapter", Arg::Value, true},
    {"baud", Arg::Value, true},          {"parity", Arg::Value, true},
    {"meter", Arg::Value, true},         {"interval", Arg::Value, true},
    {"mqtt", Arg::Value, true},          {"mqtt-user", Arg::Value, true},
    {"mqtt-password-file", Arg::Value, true}, {"mqtt-prefix", Arg::Value, true},
    {"http", Arg::OptionalValue, true},  {"record-dir", Arg::Value, true},
    {"once", Arg::None, true},           {"verbose", Arg::None, true},
    {"lang", Arg::Value, false},   // read by main before the file
    {"influx", Arg::Value, true},        {"influx-db", Arg::Value, true},
    {"influx-user", Arg::Value, true},   {"influx-password-file", Arg::Value, true},
    {"influx-token-file", Arg::Value, true}, {"influx-measurement", Arg::Value, true},
    {"influx-queue-size", Arg::Value, true}, {"state-dir", Arg::Value, true},
    {"timeout", Arg::Value, true},
    // MQTT security and Home Assistant.
    {"mqtt-cafile", Arg::Value, true},   {"mqtt-certfile", Arg::Value, true},
    {"mqtt-keyfile", Arg::Value, true},  {"mqtt-client-id", Arg::Value, true},
    {"mqtt-qos", Arg::Value, true},      {"mqtt-retain", Arg::Value, true},
    {"instance", Arg::Value, true},      {"ha-prefix", Arg::Value, true},
    {"publish-interval", Arg::Value, true},
};

const OptionDef *FindOption(const QString &name)
{
    for (const OptionDef &o : kOptions)
        if (name == QLatin1String(o.name))
            return &o;
    return nullptr;
}

struct Setting {
    QString name;
    QString value;
    bool hasValue = false;
    QString where;   // "FILE:LINE" for a line of the configuration file
};

int g_readError = 0;   // errno of ReadRealFile's last failure

bool ReadRealFile(const QString &path, QByteArray *contents)
{
    g_readError = 0;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        g_readError = errno;
        return false;
    }
    contents->clear();
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            g_readError = errno;
        if (n <= 0)
            break;
        contents->append(buffer, qsizetype(n));
    }
    ::close(fd);
    return g_readError == 0;
}

// Edit distance, for the nearest key to a mistyped one.
int Distance(const QString &a, const QString &b)
{
    std::vector<int> row(size_t(b.size()) + 1);
    for (int j = 0; j <= b.size(); ++j)
        row[size_t(j)] = j;
    for (int i = 1; i <= a.size(); ++i) {
        int diagonal = row[0];
        row[0] = i;
        for (int j = 1; j <= b.size(); ++j) {
            const int up = row[size_t(j)];
            row[size_t(j)] = std::min({up + 1, row[size_t(j) - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = up;
        }
    }
    return row[size_t(b.size())];
}

// The key of the file nearest to `name` when it is close enough to be a typing
// mistake ("adaptor" -> "adapter"), else empty.
QString NearestKey(const QString &name)
{
    QString best;
    int bestDistance = 3;
    for (const OptionDef &o : kOptions) {
        if (!o.inFile)
            continue;
        const int d = Distance(name.toLower(), QLatin1String(o.name));
        if (d < bestDistance) {
            bestDistance = d;
            best = QLatin1String(o.name);
        }
    }
    return best;
}

// "--key value", "--key=value", "-h"; appends to `out` or returns the mistake.
QString ReadArguments(const QStringList &args, std::vector<Setting> &out)
{
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (a == QLatin1String("-h")) {
            out.push_back({QStringLiteral("help"), QString(), false, QString()});
            continue;
        }
        if (!a.startsWith(QLatin1String("--")) || a.size() == 2)
            return QCoreApplication::translate("rd5800d", "多余的参数: %1").arg(a);
        QString name = a.mid(2);
        Setting s;
        const int eq = name.indexOf(QLatin1Char('='));
        if (eq >= 0) {
            s.value = name.mid(eq + 1);
            s.hasValue = true;
            name = name.left(eq);
        }
        s.name = name;
        const OptionDef *def = FindOption(name);
        if (!def)
            return QCoreApplication::translate("rd5800d", "未知的选项: --%1").arg(name);
        if (def->arg == Arg::None && s.hasValue)
            return QCoreApplication::translate("rd5800d", "--%1 不带值").arg(name);
        if (def->arg != Arg::None && !s.hasValue) {
            const bool next = i + 1 < args.size() && !args[i + 1].startsWith(QLatin1String("--"));
            if (next) {
                s.value = args[++i];
                s.hasValue = true;
            } else if (def->arg == Arg::Value) {
                return QCoreApplication::translate("rd5800d", "--%1 缺少值").arg(name);
            }
        }
        out.push_back(s);
    }
    return QString();
}

// The configuration file: "key = value" or "key" a line; '#' and ';' begin a
// comment only at the start of a line (after blanks), never after a value,
// since a path may hold them: a value with " #" in it is refused as a likely
// comment. A "[section]" line is allowed and means nothing.
QString ReadConfigFile(const QString &path, FileReader readFile, std::vector<Setting> &out)
{
    QByteArray bytes;
    if (!readFile(path, &bytes)) {
        if (readFile == ReadRealFile && g_readError != 0)
            return QCoreApplication::translate("rd5800d", "无法读取配置文件 %1 (%2)").arg(path, SystemReason(g_readError));
        return QCoreApplication::translate("rd5800d", "无法读取配置文件 %1").arg(path);
    }
    static const QRegularExpression trailingComment(QStringLiteral("\\s[#;]"));
    const QStringList lines = QString::fromUtf8(bytes).split(QLatin1Char('\n'));
    for (int n = 0; n < lines.size(); ++n) {
        const QString line = lines[n].trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')) || line.startsWith(QLatin1Char(';')))
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']')))
            continue;
        Setting s;
        const int eq = line.indexOf(QLatin1Char('='));
        s.name = (eq < 0 ? line : line.left(eq)).trimmed();
        if (eq >= 0) {
            s.value = line.mid(eq + 1).trimmed();
            s.hasValue = true;
        }
        const OptionDef *def = FindOption(s.name);
        const QString where = QStringLiteral("%1:%2").arg(path).arg(n + 1);
        s.where = where;
        if (!def || !def->inFile) {
            const QString nearest = NearestKey(s.name);
            if (!nearest.isEmpty() && nearest != s.name)
                return QCoreApplication::translate("rd5800d", "%1: 未知的键 %2, 是否想写 %3?").arg(where, s.name, nearest);
            return QCoreApplication::translate("rd5800d", "%1: 无法理解的行: %2").arg(where, line);
        }
        if (line.contains(QChar(0)))
            return QCoreApplication::translate("rd5800d", "%1: %2 的值含有 NUL 字节").arg(where, s.name);
        if (trailingComment.match(s.value).hasMatch())
            return QCoreApplication::translate("rd5800d", "%1: %2 的值中有 \" #\" 或 \" ;\": 注释只能从行首开始, 请把注释写在单独一行")
                .arg(where, s.name);
        if (def->arg == Arg::None && s.hasValue && s.value != QLatin1String("true"))
            return QCoreApplication::translate("rd5800d", "%1: %2 不带值").arg(where, s.name);
        if (def->arg == Arg::None)
            s.hasValue = false;
        if (def->arg == Arg::Value && (!s.hasValue || s.value.isEmpty()))
            return QCoreApplication::translate("rd5800d", "%1: %2 缺少值").arg(where, s.name);
        out.push_back(s);
    }
    return QString();
}

// "HOST:PORT" with a port 1..65535; an IPv6 host in brackets.
bool SplitHostPort(const QString &text, QString *host, quint16 *port)
{
    const int colon = text.lastIndexOf(QLatin1Char(':'));
    if (colon <= 0)
        return false;
    QString h = text.left(colon);
    if (h.startsWith(QLatin1Char('[')) && h.endsWith(QLatin1Char(']')))
        h = h.mid(1, h.size() - 2);
    bool ok = false;
    const int p = text.mid(colon + 1).toInt(&ok, 10);
    if (!ok || p < 1 || p > 65535 || h.isEmpty())
        return false;
    *host = h;
    *port = quint16(p);
    return true;
}

// The adapter as first listed when `name` is another spelling of it (scheme and
// host compared in one case), else `name`, now listed.
QString ListAdapter(ServiceConfig &c, const QString &name)
{
    const QString same = rdlink::NormalisedPortName(name);
    for (const QString &listed : c.adapters)
        if (rdlink::NormalisedPortName(listed) == same)
            return listed;
    c.adapters << name;
    return name;
}

// The MQTT and Home Assistant keys beyond the broker: false when `s` is not
// one of them; otherwise true, with the mistake in `error` if there is one.
bool ApplyMqttSetting(const Setting &s, ServiceConfig &c, QString *error)
{
    const QString v = s.value.trimmed();
    const QString &name = s.name;
    static const QRegularExpression topic(QStringLiteral("^[^#+\\s]+$"));
    if (name == QLatin1String("mqtt-cafile") || name == QLatin1String("mqtt-certfile")
        || name == QLatin1String("mqtt-keyfile")) {
        if (v.isEmpty())
            *error = QCoreApplication::translate("rd5800d", "--%1 需要一个文件名").arg(name);
        (name == QLatin1String("mqtt-cafile") ? c.mqttCaFile
         : name == QLatin1String("mqtt-certfile") ? c.mqttCertFile : c.mqttKeyFile) = v;
    } else if (name == QLatin1String("mqtt-client-id")) {
        // MQTT 3.1.1 allows any UTF-8; brokers take 1..23 plain characters at least.
        static const QRegularExpression id(QStringLiteral("^[\\x21-\\x7e]{1,128}$"));
        if (!id.match(v).hasMatch())
            *error = QCoreApplication::translate("rd5800d", "--mqtt-client-id 应为 1 到 128 个可见的 ASCII 字符");
        c.mqttClientId = v;
    } else if (name == QLatin1String("mqtt-qos")) {
        if (v != QLatin1String("0") && v != QLatin1String("1") && v != QLatin1String("2"))
            *error = QCoreApplication::translate("rd5800d", "--mqtt-qos 只接受 0, 1 或 2");
        c.mqttQos = v.toInt();
    } else if (name == QLatin1String("mqtt-retain")) {
        if (v != QLatin1String("true") && v != QLatin1String("false"))
            *error = QCoreApplication::translate("rd5800d", "--mqtt-retain 只接受 true 或 false");
        c.mqttRetain = v == QLatin1String("true");
    } else if (name == QLatin1String("instance")) {
        static const QRegularExpression form(QStringLiteral("^[A-Za-z0-9-]{1,64}$"));
        if (!form.match(v).hasMatch())
            *error = QCoreApplication::translate("rd5800d", "--instance 只能含字母, 数字和 - (1 到 64 个)");
        c.instance = v;
    } else if (name == QLatin1String("ha-prefix")) {
        if (v == QLatin1String("none")) {
            c.haPrefix.clear();
        } else {
            if (!topic.match(v).hasMatch() || v.startsWith(QLatin1Char('/')) || v.endsWith(QLatin1Char('/')))
                *error = QCoreApplication::translate("rd5800d", "--ha-prefix 应为 MQTT 主题前缀 (不含 #, + 或空白) 或 none");
            c.haPrefix = v;
        }
    } else if (name == QLatin1String("publish-interval")) {
        bool ok = false;
        const double seconds = v.toDouble(&ok);
        if (!ok || !(seconds >= 0) || seconds > 86400)
            *error = QCoreApplication::translate("rd5800d", "--publish-interval 只接受 0 到 86400 之间的秒数");
        c.publishIntervalSeconds = seconds;
    } else {
        return false;
    }
    return true;
}

QString ApplySetting(const Setting &s, ServiceConfig &c)
{
    QString mqttError;
    if (ApplyMqttSetting(s, c, &mqttError))
        return mqttError;
    const QString &v = s.value;
    const QString &name = s.name;
    if (name == QLatin1String("help")) {
        c.help = true;
    } else if (name == QLatin1String("version")) {
        c.version = true;
    } else if (name == QLatin1String("once")) {
        c.once = true;
    } else if (name == QLatin1String("verbose")) {
        c.verbose = true;
    } else if (name == QLatin1String("adapter")) {
        const QString port = v.trimmed();
        if (port.isEmpty())
            return QCoreApplication::translate("rd5800d", "--adapter 需要一个设备名或网关地址");
        const auto parsed = rdlink::ParsePortName(port);
        if (const QString *e = std::get_if<QString>(&parsed))
            return QCoreApplication::translate("rd5800d", "--adapter %1: %2").arg(port, *e);
        ListAdapter(c, port);
    } else if (name == QLatin1String("timeout")) {
        const QString text = v.trimmed();
        const int at = text.indexOf(QLatin1Char('@'));
        const std::optional<uint32_t> ms = rdlink::ParseNetworkMarginMs(at < 0 ? text : text.left(at));
        if (!ms)
            return QCoreApplication::translate("rd5800d", "--timeout 应为 10 到 60000 之间的毫秒数, 或 毫秒数@适配器: %1").arg(v);
        if (at < 0)
            c.timeoutMs = *ms;
        else
            c.adapterTimeoutMs.emplace_back(text.mid(at + 1).trimmed(), *ms);
    } else if (name == QLatin1String("baud")) {
        bool ok = false;
        const int b = v.trimmed().toInt(&ok, 10);
        if (!ok || (b != 1200 && b != 2400 && b != 4800 && b != 9600 && b != 19200))
            return QCoreApplication::translate("rd5800d", "--baud 只接受 1200, 2400, 4800, 9600 或 19200");
        c.line.baudRate = b;
    } else if (name == QLatin1String("parity")) {
        const QString p = v.trimmed().toUpper();
        if (p == QLatin1String("N"))
            c.line.parity = rdlink::Parity::None;
        else if (p == QLatin1String("E"))
            c.line.parity = rdlink::Parity::Even;
        else if (p == QLatin1String("O"))
            c.line.parity = rdlink::Parity::Odd;
        else
            return QCoreApplication::translate("rd5800d", "--parity 只接受 N, E 或 O");
    } else if (name == QLatin1String("meter")) {
        static const QRegularExpression form(QStringLiteral("^([A-Za-z0-9_-]+)=([0-9]+)(?:@(.+))?$"));
        const QRegularExpressionMatch m = form.match(v.trimmed());
        if (!m.hasMatch())
            return QCoreApplication::translate("rd5800d", "--meter 应为 名称=地址 或 名称=地址@适配器 (名称只含字母, 数字, _ 和 -): %1").arg(v);
        const int address = m.captured(2).toInt();
        if (address < 1 || address > 247)
            return QCoreApplication::translate("rd5800d", "--meter %1: 地址应在 1 到 247 之间").arg(v);
        MeterSpec meter{m.captured(1), uint8_t(address), m.captured(3).trimmed()};
        for (const MeterSpec &other : c.meters)
            if (other.name == meter.name)
                return QCoreApplication::translate("rd5800d", "仪表名称重复: %1").arg(meter.name);
        c.meters.push_back(meter);
    } else if (name == QLatin1String("interval")) {
        bool ok = false;
        const double seconds = v.trimmed().toDouble(&ok);
        if (!ok || !(seconds >= 1.0) || seconds > 86400)
            return QCoreApplication::translate("rd5800d", "--interval 只接受 1 到 86400 之间的秒数");
        c.intervalSeconds = seconds;
    } else if (name == QLatin1String("mqtt")) {
        QString address = v.trimmed();
        c.mqttTls = address.startsWith(QLatin1String("mqtts://"));
        if (c.mqttTls)
            address.remove(0, 8);
        else if (address.startsWith(QLatin1String("mqtt://")))
            address.remove(0, 7);
        if (!SplitHostPort(address, &c.mqttHost, &c.mqttPort))
            return QCoreApplication::translate("rd5800d", "--mqtt 应为 主机:端口 或 mqtts://主机:端口, 例如 localhost:1883");
    } else if (name == QLatin1String("mqtt-user")) {
        c.mqttUser = v;
    } else if (name == QLatin1String("mqtt-password-file")) {
        if (v.isEmpty())
            return QCoreApplication::translate("rd5800d", "--mqtt-password-file 需要一个文件名");
        c.mqttPasswordFile = v;
    } else if (name == QLatin1String("mqtt-prefix")) {
        // No control character either: a NUL would cut every topic at it.
        static const QRegularExpression topic(QStringLiteral("^[^#+\\s\\x{0}-\\x{1f}\\x{7f}]+$"));
        const QString prefix = v.trimmed();
        if (!topic.match(prefix).hasMatch() || prefix.startsWith(QLatin1Char('/')) || prefix.endsWith(QLatin1Char('/')))
            return QCoreApplication::translate("rd5800d", "--mqtt-prefix 不能为空, 不能含 #, + 或空白, 不能以 / 开头或结尾");
        c.mqttPrefix = prefix;
    } else if (name == QLatin1String("http")) {
        QString host;
        quint16 port = 0;
        const QString text = s.hasValue ? v.trimmed() : QStringLiteral("127.0.0.1:9580");
        QHostAddress address;
        if (!SplitHostPort(text, &host, &port) || !address.setAddress(host))
            return QCoreApplication::translate("rd5800d", "--http 应为 地址:端口, 例如 127.0.0.1:9580");
        c.httpAddress = address;
        c.httpPort = port;
    } else if (name == QLatin1String("lang")) {
        // Installed by main before anything is printed; checked here.
        if (v != QLatin1String("zh") && v != QLatin1String("en"))
            return QCoreApplication::translate("rd5800d", "--lang 只接受 zh 或 en");
    } else if (IsInfluxOption(name)) {
        return ApplyInfluxSetting(name, v, c.influx);
    } else if (name == QLatin1String("record-dir")) {
        if (v.isEmpty())
            return QCoreApplication::translate("rd5800d", "--record-dir 需要一个文件夹");
        c.recordDir = v;
    }
    return QString();
}

// What the settings together must say: an adapter for every meter, one
// address once per adapter. `meter` is set to the index of the meter a
// mistake is about, so that its file line can be named.
QString CheckWhole(ServiceConfig &c, int *meter)
{
    if (c.meters.empty())
        return QCoreApplication::translate("rd5800d", "没有仪表: 请用 --meter NAME=ADDRESS 指定至少一台");
    for (MeterSpec &m : c.meters) {
        *meter = int(&m - c.meters.data());
        if (m.adapter.isEmpty()) {
            if (c.adapters.isEmpty())
                return QCoreApplication::translate("rd5800d", "没有适配器: 请用 --adapter 指定串口设备或网关");
            m.adapter = c.adapters.first();
        } else {
            const auto parsed = rdlink::ParsePortName(m.adapter);
            if (const QString *e = std::get_if<QString>(&parsed))
                return QCoreApplication::translate("rd5800d", "--meter %1: %2").arg(m.name, *e);
            m.adapter = ListAdapter(c, m.adapter);
        }
    }
    for (const auto &[adapter, ms] : c.adapterTimeoutMs) {
        const QString same = rdlink::NormalisedPortName(adapter);
        if (std::none_of(c.adapters.begin(), c.adapters.end(),
                         [&](const QString &a) { return rdlink::NormalisedPortName(a) == same; }))
            return QCoreApplication::translate("rd5800d", "--timeout %1@%2: 没有使用这个适配器的仪表").arg(ms).arg(adapter);
    }
    for (size_t i = 0; i < c.meters.size(); ++i)
        for (size_t j = 0; j < i; ++j)
            if (c.meters[i].adapter == c.meters[j].adapter && c.meters[i].address == c.meters[j].address) {
                *meter = int(i);
                return QCoreApplication::translate("rd5800d", "地址重复: %1 与 %2 在 %3 上都是地址 %4")
                    .arg(c.meters[j].name, c.meters[i].name, c.meters[i].adapter)
                    .arg(c.meters[i].address);
            }
    *meter = -1;
    // An adapter is opened only to poll meters: one named without any is a
    // mistake (a meter forgotten, or a leftover line), not a port to hold.
    for (const QString &adapter : c.adapters)
        if (std::none_of(c.meters.begin(), c.meters.end(), [&adapter](const MeterSpec &m) { return m.adapter == adapter; }))
            return QCoreApplication::translate("rd5800d", "适配器 %1 上没有仪表: 请用 --meter NAME=ADDRESS@%1 指定, 或去掉这个 --adapter").arg(adapter);
    if (!c.mqttUser.isEmpty() && c.mqttHost.isEmpty())
        return QCoreApplication::translate("rd5800d", "--mqtt-user 需要 --mqtt");
    if ((!c.mqttCaFile.isEmpty() || !c.mqttCertFile.isEmpty()) && !c.mqttTls)
        return QCoreApplication::translate("rd5800d", "证书文件只用于 TLS: 请写 --mqtt mqtts://主机:端口");
    if (c.mqttCertFile.isEmpty() != c.mqttKeyFile.isEmpty())
        return QCoreApplication::translate("rd5800d", "--mqtt-certfile 与 --mqtt-keyfile 需要一起给出");
    if (c.instance.isEmpty())
        c.instance = InstanceFromHostName(QSysInfo::machineHostName());
    return CheckInflux(c.influx);
}

} // namespace

bool HasOutput(const ServiceConfig &c)
{
    return !c.mqttHost.isEmpty() || c.httpPort != 0 || !c.recordDir.isEmpty() || !c.influx.url.isEmpty();
}

QString InstanceFromHostName(const QString &hostName)
{
    static const QRegularExpression other(QStringLiteral("[^A-Za-z0-9-]+"));
    QString id = hostName;
    id.replace(other, QStringLiteral("-"));
    id = id.left(64);
    while (id.startsWith(QLatin1Char('-')))
        id.remove(0, 1);
    while (id.endsWith(QLatin1Char('-')))
        id.chop(1);
    return id.isEmpty() ? QStringLiteral("rd5800d") : id;
}

QString ServiceHelpText()
{
    return QCoreApplication::translate("rd5800d", kHelp) + QCoreApplication::translate("rd5800d", kTimeoutHelp)
           + QCoreApplication::translate("rd5800d", kHelpMqtt);
}

uint32_t ServiceConfig::timeoutMsFor(const QString &adapter) const
{
    const QString same = rdlink::NormalisedPortName(adapter);
    for (const auto &[name, ms] : adapterTimeoutMs)
        if (rdlink::NormalisedPortName(name) == same)
            return ms;
    return timeoutMs;
}

QString ServiceErrorText(const QString &error)
{
    return QCoreApplication::translate("rd5800d", "rd5800d: %1\n请用 rd5800d --help 查看全部选项。\n").arg(error);
}

ServiceConfig ParseServiceConfig(const QStringList &arguments, FileReader readFile)
{
    ServiceConfig c;
    std::vector<Setting> cli;
    const QString cliError = ReadArguments(arguments.mid(1), cli);
    // Help and version answer whatever else the line holds.
    for (const QString &a : arguments.mid(1)) {
        c.help = c.help || a == QLatin1String("-h") || a == QLatin1String("--help");
        c.version = c.version || a == QLatin1String("--version");
    }
    if (c.help || c.version)
        return c;
    if (!cliError.isEmpty()) {
        c.error = cliError;
        return c;
    }
    std::vector<Setting> all;
    for (const Setting &s : cli) {
        if (s.name != QLatin1String("config"))
            continue;
        if (s.value.isEmpty()) {
            c.error = QCoreApplication::translate("rd5800d", "--config 需要一个文件名");
            return c;
        }
        const QString error = ReadConfigFile(s.value, readFile ? readFile : ReadRealFile, all);
        if (!error.isEmpty()) {
            c.error = error;
            return c;
        }
    }
    // Adapters on the command line replace the file's: "rd5800d --config F
    // --adapter X" moves the file's meters to X.
    const bool cliAdapters = std::any_of(cli.begin(), cli.end(),
                                         [](const Setting &s) { return s.name == QLatin1String("adapter"); });
    if (cliAdapters)
        all.erase(std::remove_if(all.begin(), all.end(),
                                 [](const Setting &s) { return s.name == QLatin1String("adapter"); }),
                  all.end());
    for (const Setting &s : cli)
        if (s.name != QLatin1String("config"))
            all.push_back(s);
    std::vector<QString> meterWhere;   // the file line of each meter, in order
    for (const Setting &s : all) {
        const QString error = ApplySetting(s, c);
        if (!error.isEmpty()) {
            c.error = s.where.isEmpty() ? error : QStringLiteral("%1: %2").arg(s.where, error);
            return c;
        }
        if (s.name == QLatin1String("meter"))
            meterWhere.push_back(s.where);
    }
    int meter = -1;
    c.error = CheckWhole(c, &meter);
    if (!c.error.isEmpty() && meter >= 0 && size_t(meter) < meterWhere.size() && !meterWhere[size_t(meter)].isEmpty())
        c.error = QStringLiteral("%1: %2").arg(meterWhere[size_t(meter)], c.error);
    return c;
}

} // namespace rdsvc
