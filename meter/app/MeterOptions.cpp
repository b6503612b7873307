// Parsing of RD5800's command line; no widgets, so --help works without a display.
#include "MeterOptions.h"

#include <QCommandLineParser>
#include <QCoreApplication>

namespace {

const char *const kHelp = QT_TRANSLATE_NOOP("MeterOptions",
    "用法: RD5800 [选项]\n"
    "RD5800 三相电力监测仪的上位机程序: 实时数据、开关量、计数、谐波与仪表设置。\n"
    "\n"
    "选项:\n"
    "  --record FILE   启动后把每次读到的数据记录到 CSV 文件 FILE (文件已有同样的记录时接着写)\n"
    "  --lang zh|en    界面语言: 中文或英文 (不给时按系统语言, C/POSIX 时为中文)\n"
    "  -h, --help      显示本说明\n"
    "\n"
    "串口: 环境变量 RD5800_COM<n> 指定端口号 n 使用的设备, 例如 RD5800_COM1=/dev/ttyUSB0。\n");

// Ports behind an Ethernet gateway.
const char *const kGatewayHelp = QT_TRANSLATE_NOOP("MeterOptions",
    "\n"
    "网关: 端口名 (--port NAME 或 RD5800_COM1=NAME) 也可以是以太网网关:\n"
    "  tcp://主机:端口         透明网关, RTU 帧原样经 TCP 传输 (常用端口 4196、8899、502)\n"
    "  modbus-tcp://主机:端口  Modbus TCP 网关, 单元号 = 仪表地址 (常用端口 502)\n"
    "  例如 RD5800_COM1=modbus-tcp://192.168.1.20:502。经网关时串口参数在网关上设置,\n"
    "  \"通讯设置\" 中的波特率与校验位只决定等待时间。\n");

} // namespace

QString MeterHelpText()
{
    return QCoreApplication::translate("MeterOptions", kHelp)
           + QCoreApplication::translate("MeterOptions", kGatewayHelp);
}

MeterOptions ParseMeterOptions(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption record(QStringLiteral("record"), QString(), QStringLiteral("FILE"));
    parser.addOption(help);
    const QCommandLineOption lang(QStringLiteral("lang"), QString(), QStringLiteral("LANG"));
    parser.addOption(record);
    parser.addOption(lang);

    MeterOptions options;
    const bool ok = parser.parse(arguments);
    // Help wins over any other mistake on the line.
    options.help = parser.isSet(help);
    options.language = parser.value(lang);
    if (options.help)
        return options;
    if (!ok) {
        options.error = parser.errorText();
    } else if (!parser.positionalArguments().isEmpty()) {
        options.error = QCoreApplication::translate("MeterOptions", "多余的参数: %1").arg(parser.positionalArguments().join(QLatin1Char(' ')));
    } else if (parser.isSet(lang) && parser.value(lang) != QLatin1String("zh")
               && parser.value(lang) != QLatin1String("en")) {
        options.error = QCoreApplication::translate("MeterOptions", "--lang 只接受 zh 或 en");
    } else if (parser.isSet(record)) {
        options.recordPath = parser.value(record);
        if (options.recordPath.isEmpty())
            options.error = QCoreApplication::translate("MeterOptions", "--record 需要一个文件名");
    }
    return options;
}
