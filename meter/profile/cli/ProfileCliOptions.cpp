#include "ProfileCliOptions.h"

#include "link/PortName.h"

#include <QCoreApplication>

namespace rdprof {

namespace {


bool WholeNumber(const QString &text, int min, int max, int *out)
{
    bool ok = false;
    const int n = text.toInt(&ok);
    if (!ok || n < min || n > max || text.startsWith(QLatin1Char('+')))
        return false;
    *out = n;
    return true;
}

} // namespace

QString CliHelpText()
{
    return QCoreApplication::translate("rd5800-profile", "用法:\n"
              "  rd5800-profile read  --port NAME --address N [--baud B] [--parity N|E|O] [-o FILE]\n"
              "  rd5800-profile diff  FILE --port NAME --address N [--baud B] [--parity N|E|O]\n"
              "  rd5800-profile apply FILE --port NAME --address N [--baud B] [--parity N|E|O]\n"
              "                       [--new-address M] [--yes]\n"
              "\n"
              "  read   读取仪表的全部设置, 写成配置文件 (没有 -o 时输出到标准输出)\n"
              "  diff   比较配置文件与仪表: 退出码 0 相同, 1 不同, 3 仪表无法读取\n"
              "  apply  只写入不同的设置 (先 PT, CT, 接线方式, 脉冲宽度, 模块, 再子机地址,\n"
              "         最后校验位和波特率), 每项读回核对; 没有 --yes 时先列出不同并询问.\n"
              "         退出码 0 已写入并核对 (或本来相同), 1 失败或未确认, 2 输入错误\n"
              "\n"
              "  --port NAME      串口设备 (/dev/ttyUSB0), tcp://HOST:PORT 或 modbus-tcp://HOST:PORT\n"
              "  --address N      仪表现在的子机地址 1..247\n"
              "  --baud B         仪表现在的波特率 1200, 2400, 4800, 9600, 19200 (默认 9600)\n"
              "  --parity N|E|O   仪表现在的校验方式 (默认 N)\n"
              "  --new-address M  apply: 以地址 M 代替配置文件中的子机地址\n"
              "  --yes            apply: 不询问, 直接写入\n"
              "  --lang zh|en     界面语言\n");
}

CliOptions ParseCliOptions(const QStringList &arguments)
{
    CliOptions o;
    QStringList positional;
    bool addressGiven = false;
    auto fail = [&o](const QString &text) {
        if (o.error.isEmpty())
            o.error = text;
    };
    for (int i = 1; i < arguments.size(); ++i) {
        QString arg = arguments.at(i);
        QString value;
        bool hasInline = false;
        if (arg.startsWith(QStringLiteral("--")) && arg.contains(QLatin1Char('='))) {
            value = arg.section(QLatin1Char('='), 1);
            arg = arg.section(QLatin1Char('='), 0, 0);
            hasInline = true;
        }
        if (arg == QStringLiteral("--help") || arg == QStringLiteral("-h")) {
            o.help = true;
            continue;
        }
        if (arg == QStringLiteral("--yes") || arg == QStringLiteral("-y")) {
            o.yes = true;
            continue;
        }
        static const QStringList withValue = {QStringLiteral("--port"), QStringLiteral("--address"), QStringLiteral("--baud"),
                                              QStringLiteral("--parity"), QStringLiteral("-o"), QStringLiteral("--output"),
                                              QStringLiteral("--new-address"), QStringLiteral("--lang")};
        if (!withValue.contains(arg)) {
            if (arg.startsWith(QLatin1Char('-')) && arg.size() > 1)
                fail(QCoreApplication::translate("rd5800-profile", "未知的选项 %1").arg(arg));
            else
                positional << arg;
            continue;
        }
        if (!hasInline) {
            if (i + 1 >= arguments.size()) {
                fail(QCoreApplication::translate("rd5800-profile", "%1 需要一个值").arg(arg));
                break;
            }
            value = arguments.at(++i);
        }
        if (arg == QStringLiteral("--port")) {
            const auto parsed = rdlink::ParsePortName(value);
            if (const QString *error = std::get_if<QString>(&parsed))
                fail(*error);
            else if (value.isEmpty())
                fail(QCoreApplication::translate("rd5800-profile", "--port 需要一个端口名"));
            o.port = value;
        } else if (arg == QStringLiteral("--address")) {
            addressGiven = true;
            if (!WholeNumber(value, 1, 247, &o.address))
                fail(QCoreApplication::translate("rd5800-profile", "--address 只接受 1 至 247 之间的整数"));
        } else if (arg == QStringLiteral("--new-address")) {
            int n = 0;
            if (!WholeNumber(value, 1, 247, &n))
                fail(QCoreApplication::translate("rd5800-profile", "--new-address 只接受 1 至 247 之间的整数"));
            o.newAddress = n;
        } else if (arg == QStringLiteral("--baud")) {
            static const QList<int> rates = {1200, 2400, 4800, 9600, 19200};
            int n = 0;
            if (!WholeNumber(value, 1, 1000000, &n) || !rates.contains(n))
                fail(QCoreApplication::translate("rd5800-profile", "--baud 只接受 1200, 2400, 4800, 9600 或 19200"));
            o.line.baudRate = n;
        } else if (arg == QStringLiteral("--parity")) {
            const QString p = value.toUpper();
            if (p == QStringLiteral("N"))
                o.line.parity = rdlink::Parity::None;
            else if (p == QStringLiteral("E"))
                o.line.parity = rdlink::Parity::Even;
            else if (p == QStringLiteral("O"))
                o.line.parity = rdlink::Parity::Odd;
            else
                fail(QCoreApplication::translate("rd5800-profile", "--parity 只接受 N, E 或 O"));
        } else if (arg == QStringLiteral("-o") || arg == QStringLiteral("--output")) {
            o.output = value;
        }
        // --lang was taken before the options were read.
    }
    if (o.help)
        return o;
    if (positional.isEmpty()) {
        fail(QCoreApplication::translate("rd5800-profile", "请给出 read, diff 或 apply"));
        return o;
    }
    const QString command = positional.takeFirst();
    if (command == QStringLiteral("read"))
        o.command = CliCommand::Read;
    else if (command == QStringLiteral("diff"))
        o.command = CliCommand::Diff;
    else if (command == QStringLiteral("apply"))
        o.command = CliCommand::Apply;
    else
        fail(QCoreApplication::translate("rd5800-profile", "未知的命令 %1 (read, diff 或 apply)").arg(command));
    const int files = o.command == CliCommand::Read ? 0 : 1;
    if (positional.size() != files)
        fail(files ? QCoreApplication::translate("rd5800-profile", "%1 需要一个配置文件").arg(command) : QCoreApplication::translate("rd5800-profile", "read 不需要文件参数 (输出文件用 -o)"));
    else if (files)
        o.file = positional.first();
    if (o.port.isEmpty())
        fail(QCoreApplication::translate("rd5800-profile", "请用 --port 给出端口"));
    if (!addressGiven)
        fail(QCoreApplication::translate("rd5800-profile", "请用 --address 给出仪表现在的子机地址"));
    if (o.newAddress && o.command != CliCommand::Apply)
        fail(QCoreApplication::translate("rd5800-profile", "--new-address 只用于 apply"));
    return o;
}

} // namespace rdprof
