#include "NolvexOptions.h"

#include "common/cmdline/QtOptions.h"
#include "link/LineTime.h"

#include <QCommandLineParser>
#include <QCoreApplication>

namespace {

const char *const kHelp = QT_TRANSLATE_NOOP("nolvex",
    "用法: nolvex [--port NAME] [--lang zh|en]\n"
    "RD5800 插件模块参数设置程序: 继电器、4-20mA 模拟量输出与电能脉冲模块。\n"
    "--port NAME: 1 号串口 (COM1) 使用的设备, 同环境变量 RD5800_COM1, 例如 /dev/ttyUSB0。\n"
    "--lang zh|en: 界面语言 (不给时按系统语言, C/POSIX 时为中文)。\n"
    "使用 1 号串口 (9600,N,8,1), 子机地址 1; 设备可由环境变量 RD5800_COM1 指定, 例如 RD5800_COM1=/dev/ttyUSB0。\n");


// Ports behind an Ethernet gateway.
const char *const kGatewayHelp = QT_TRANSLATE_NOOP("nolvex",
    "\n"
    "网关: 端口名 (--port NAME 或 RD5800_COM1=NAME) 也可以是以太网网关:\n"
    "  tcp://主机:端口         透明网关, RTU 帧原样经 TCP 传输 (常用端口 4196、8899、502)\n"
    "  modbus-tcp://主机:端口  Modbus TCP 网关, 单元号 = 仪表地址 (常用端口 502)\n"
    "  例如 RD5800_COM1=modbus-tcp://192.168.1.20:502。经网关时串口参数 (9600,N,8,1)\n"
    "  在网关上设置。\n");

const char *const kTimeoutHelp = QT_TRANSLATE_NOOP("nolvex",
    "--timeout MS: 经网关时应答的等待余量, 毫秒 (10..60000, 默认 1000)。\n");

} // namespace

QString NolvexHelpText()
{
    return QCoreApplication::translate("nolvex", kHelp) + QCoreApplication::translate("nolvex", kGatewayHelp)
           + QCoreApplication::translate("nolvex", kTimeoutHelp);
}

QString NolvexOptionErrorText(const QString &error)
{
    return QCoreApplication::translate("nolvex", "nolvex: %1\n请用 nolvex --help 查看全部选项。\n").arg(error);
}

NolvexOptions ParseNolvexOptions(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption lang(QStringLiteral("lang"), QString(), QStringLiteral("LANG"));
    const QCommandLineOption port(QStringLiteral("port"), QString(), QStringLiteral("NAME"));
    const QCommandLineOption timeout(QStringLiteral("timeout"), QString(), QStringLiteral("MS"));
    rdcmdline::AddQtApplicationOptions(parser);
    for (const QCommandLineOption &o : {help, lang, port, timeout})
        parser.addOption(o);

    NolvexOptions options;
    const bool ok = parser.parse(arguments);
    options.help = parser.isSet(help);
    options.language = parser.value(lang);
    if (options.help)
        return options;
    if (!ok)
        options.error = parser.errorText();
    else if (!parser.positionalArguments().isEmpty())
        options.error = QCoreApplication::translate("nolvex", "多余的参数: %1").arg(parser.positionalArguments().join(QLatin1Char(' ')));
    else if (parser.isSet(lang) && options.language != QLatin1String("zh") && options.language != QLatin1String("en"))
        options.error = QCoreApplication::translate("nolvex", "--lang 只接受 zh 或 en");
    else if (parser.isSet(port) && parser.value(port).trimmed().isEmpty())
        options.error = QCoreApplication::translate("nolvex", "--port 需要一个设备名, 例如 /dev/ttyUSB0");
    else if (parser.isSet(timeout) && !(options.timeoutMs = rdlink::ParseNetworkMarginMs(parser.value(timeout))))
        options.error = QCoreApplication::translate("nolvex", "--timeout 只接受 10 到 60000 之间的毫秒数");
    else
        options.port = parser.value(port).trimmed();
    return options;
}
