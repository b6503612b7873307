// nolvex: the module parameter program.
#include "CModuleSetApp.h"

#include "common/i18n/Language.h"

#include <QApplication>
#include <cstdio>
#include <cstring>

namespace {

const char *const kHelp = QT_TRANSLATE_NOOP("nolvex",
    "用法: nolvex [--lang zh|en]\n"
    "RD5800 插件模块参数设置程序: 继电器、4-20mA 模拟量输出与电能脉冲模块。\n"
    "--lang zh|en: 界面语言 (不给时按系统语言, C/POSIX 时为中文)。\n"
    "使用 1 号串口 (9600,N,8,1), 设备可由环境变量 RD5800_COM1 指定, 例如 RD5800_COM1=/dev/ttyUSB0。\n");

// Ports behind an Ethernet gateway.
const char *const kGatewayHelp = QT_TRANSLATE_NOOP("nolvex",
    "\n"
    "网关: 端口名 (--port NAME 或 RD5800_COM1=NAME) 也可以是以太网网关:\n"
    "  tcp://主机:端口         透明网关, RTU 帧原样经 TCP 传输 (常用端口 4196、8899、502)\n"
    "  modbus-tcp://主机:端口  Modbus TCP 网关, 单元号 = 仪表地址 (常用端口 502)\n"
    "  例如 RD5800_COM1=modbus-tcp://192.168.1.20:502。经网关时串口参数 (9600,N,8,1)\n"
    "  在网关上设置。\n");

} // namespace

int main(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const QString lang = rdi18n::LangArgument(arguments);
    // Answered before Qt looks for a display, so it works in a terminal.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            QCoreApplication core(argc, argv);
            rdi18n::InstallLanguage(rdi18n::ChosenLanguage(lang));
            const QString help = QCoreApplication::translate("nolvex", kHelp)
                                 + QCoreApplication::translate("nolvex", kGatewayHelp);
            std::fputs(help.toLocal8Bit().constData(), stdout);
            return 0;
        }
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("nolvex"));
    // Before any window: every window and message takes this language.
    rdi18n::InstallLanguage(rdi18n::ChosenLanguage(lang));
    return rdmod::CModuleSetApp().Run();
}
