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
    "  --overview      同时打开 \"总览\" 窗口: 总线上的全部仪表\n"
    "  -h, --help      显示本说明\n"
    "\n"
    "串口: 环境变量 RD5800_COM<n> 指定端口号 n 使用的设备, 例如 RD5800_COM1=/dev/ttyUSB0。\n");

} // namespace

QString MeterHelpText()
{
    return QCoreApplication::translate("MeterOptions", kHelp);
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
    const QCommandLineOption overview(QStringLiteral("overview"));
    parser.addOption(overview);

    MeterOptions options;
    const bool ok = parser.parse(arguments);
    // Help wins over any other mistake on the line.
    options.help = parser.isSet(help);
    options.language = parser.value(lang);
    options.overview = parser.isSet(overview);
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
