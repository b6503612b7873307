// Parsing of RD5800's command line; no widgets, so --help works without a display.
#include "MeterOptions.h"

#include "common/cmdline/ParserErrors.h"
#include "common/cmdline/QtOptions.h"
#include "link/LineTime.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QRegularExpression>

namespace {

const char *const kHelp = QT_TRANSLATE_NOOP("MeterOptions",
    "用法: RD5800 [选项]\n"
    "RD5800 三相电力监测仪的上位机程序: 实时数据、开关量、计数、谐波与仪表设置。\n"
    "\n"
    "选项:\n"
    "  --port NAME       1 号串口 (COM1) 使用的设备, 同环境变量 RD5800_COM1, 例如 /dev/ttyUSB0\n"
    "  --baud N          通讯设置的波特率: 1200, 2400, 4800, 9600 或 19200 (默认 9600)\n"
    "  --parity N|E|O    通讯设置的校验方式: 无, 偶校验或奇校验 (默认 N)\n"
    "  --address N       子机地址 0..255 (默认 0)\n"
    "  --run             不显示通讯设置, 按以上设置打开串口并立即开始轮询 (需要 --address)\n"
    "  --record FILE     启动后把每次读到的数据记录到 CSV 文件 FILE (文件已有同样的记录时接着写)\n"
    "  --lang zh|en      界面语言: 中文或英文 (不给时按系统语言, C/POSIX 时为中文)\n"
    "  --overview        同时打开 \"总览\" 窗口: 总线上的全部仪表\n"
    "  --profile FILE    同时打开 \"配置文件\" 窗口, 载入配置文件 FILE\n"
    "  -h, --help        显示本说明\n"
    "\n"
    "无人值守记录, 例如: RD5800 --port /dev/ttyUSB0 --address 1 --run --record load.csv\n"
    "串口: 环境变量 RD5800_COM<n> 指定端口号 n 使用的设备, 例如 RD5800_COM1=/dev/ttyUSB0。\n");

// Ports behind an Ethernet gateway.
const char *const kGatewayHelp = QT_TRANSLATE_NOOP("MeterOptions",
    "\n"
    "网关: 端口名 (--port NAME 或 RD5800_COM1=NAME) 也可以是以太网网关:\n"
    "  tcp://主机:端口         透明网关, RTU 帧原样经 TCP 传输 (常用端口 4196、8899、502)\n"
    "  modbus-tcp://主机:端口  Modbus TCP 网关, 单元号 = 仪表地址 (常用端口 502)\n"
    "  例如 RD5800_COM1=modbus-tcp://192.168.1.20:502。经网关时串口参数在网关上设置,\n"
    "  \"通讯设置\" 中的波特率与校验位只决定等待时间。\n");

const char *const kTimeoutHelp = QT_TRANSLATE_NOOP("MeterOptions",
    "  --timeout MS      经网关时应答的等待余量, 毫秒 (10..60000, 默认 1000)\n");

std::optional<int> WholeNumber(const QString &text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    return ok ? std::optional<int>(value) : std::nullopt;
}

} // namespace

QString MeterHelpText()
{
    return QCoreApplication::translate("MeterOptions", kHelp)
           + QCoreApplication::translate("MeterOptions", kGatewayHelp)
           + QCoreApplication::translate("MeterOptions", kTimeoutHelp);
}

QString MeterOptionErrorText(const QString &error)
{
    return QCoreApplication::translate("MeterOptions", "RD5800: %1\n请用 RD5800 --help 查看全部选项。\n").arg(error);
}

MeterOptions ParseMeterOptions(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption record(QStringLiteral("record"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption lang(QStringLiteral("lang"), QString(), QStringLiteral("LANG"));
    const QCommandLineOption port(QStringLiteral("port"), QString(), QStringLiteral("NAME"));
    const QCommandLineOption baud(QStringLiteral("baud"), QString(), QStringLiteral("N"));
    const QCommandLineOption parity(QStringLiteral("parity"), QString(), QStringLiteral("P"));
    const QCommandLineOption address(QStringLiteral("address"), QString(), QStringLiteral("N"));
    const QCommandLineOption run(QStringLiteral("run"));
    const QCommandLineOption overview(QStringLiteral("overview"));
    const QCommandLineOption profile(QStringLiteral("profile"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption timeout(QStringLiteral("timeout"), QString(), QStringLiteral("MS"));
    rdcmdline::AddQtApplicationOptions(parser);
    for (const QCommandLineOption &o : {help, record, lang, port, baud, parity, address, run, overview, profile, timeout})
        parser.addOption(o);

    MeterOptions options;
    const bool ok = parser.parse(arguments);
    // Help wins over any other mistake on the line.
    options.help = parser.isSet(help);
    options.language = parser.value(lang);
    options.overview = parser.isSet(overview);
    if (options.help)
        return options;
    if (!ok) {
        options.error = rdcmdline::InOwnWords(parser.errorText());
        return options;
    }
    if (!parser.positionalArguments().isEmpty()) {
        options.error = QCoreApplication::translate("MeterOptions", "多余的参数: %1").arg(parser.positionalArguments().join(QLatin1Char(' ')));
        return options;
    }
    if (parser.isSet(lang) && parser.value(lang) != QLatin1String("zh") && parser.value(lang) != QLatin1String("en")) {
        options.error = QCoreApplication::translate("MeterOptions", "--lang 只接受 zh 或 en");
        return options;
    }
    if (parser.isSet(profile)) {
        options.profile = parser.value(profile);
        if (options.profile.isEmpty()) {
            options.error = QCoreApplication::translate("MeterOptions", "--profile 需要一个文件名");
            return options;
        }
    }
    if (parser.isSet(record)) {
        options.recordPath = parser.value(record);
        if (options.recordPath.isEmpty()) {
            options.error = QCoreApplication::translate("MeterOptions", "--record 需要一个文件名");
            return options;
        }
    }
    if (parser.isSet(port)) {
        options.port = parser.value(port).trimmed();
        if (options.port.isEmpty()) {
            options.error = QCoreApplication::translate("MeterOptions", "--port 需要一个设备名, 例如 /dev/ttyUSB0");
            return options;
        }
        // A Windows habit: here a port is named by its device.
        static const QRegularExpression windowsName(QStringLiteral("^COM([0-9]+)$"),
                                                    QRegularExpression::CaseInsensitiveOption);
        const QRegularExpressionMatch windows = windowsName.match(options.port);
        if (windows.hasMatch()) {
            options.error = QCoreApplication::translate("MeterOptions", "--port %1 是 Windows 的串口名; 这里请给设备名, 例如 --port /dev/ttyUSB0, 或用环境变量 RD5800_COM1=/dev/ttyUSB0 指定 1 号串口的设备")
                                .arg(options.port);
            return options;
        }
    }
    if (parser.isSet(baud)) {
        const std::optional<int> value = WholeNumber(parser.value(baud));
        if (!value || (*value != 1200 && *value != 2400 && *value != 4800 && *value != 9600 && *value != 19200)) {
            options.error = QCoreApplication::translate("MeterOptions", "--baud 只接受 1200, 2400, 4800, 9600 或 19200");
            return options;
        }
        options.baudRate = value;
    }
    if (parser.isSet(parity)) {
        const QString p = parser.value(parity).trimmed().toUpper();
        if (p == QLatin1String("N"))
            options.parity = rdlink::Parity::None;
        else if (p == QLatin1String("E"))
            options.parity = rdlink::Parity::Even;
        else if (p == QLatin1String("O"))
            options.parity = rdlink::Parity::Odd;
        else {
            options.error = QCoreApplication::translate("MeterOptions", "--parity 只接受 N, E 或 O");
            return options;
        }
    }
    if (parser.isSet(address)) {
        const std::optional<int> value = WholeNumber(parser.value(address));
        if (!value || *value < 0 || *value > 255) {
            options.error = QCoreApplication::translate("MeterOptions", "--address 只接受 0 到 255 之间的整数");
            return options;
        }
        options.address = value;
    }
    if (parser.isSet(timeout)) {
        options.timeoutMs = rdlink::ParseNetworkMarginMs(parser.value(timeout));
        if (!options.timeoutMs) {
            options.error = QCoreApplication::translate("MeterOptions", "--timeout 只接受 10 到 60000 之间的毫秒数");
            return options;
        }
    }
    options.run = parser.isSet(run);
    // Polling starts at once only with an address to poll: the window's own start
    // value 0 is the broadcast address, which no instrument answers.
    if (options.run && !options.address)
        options.error = QCoreApplication::translate("MeterOptions", "--run 需要 --address, 例如 --address 1");
    return options;
}
