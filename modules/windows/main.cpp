// nolvex: the module parameter program.
#include "CModuleSetApp.h"

#include <QApplication>
#include <cstdio>
#include <cstring>

int main(int argc, char **argv)
{
    // Answered before Qt looks for a display, so it works in a terminal.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs("用法: nolvex\n"
                       "RD5800 插件模块参数设置程序: 继电器、4-20mA 模拟量输出与电能脉冲模块。\n"
                       "没有其他选项。使用 1 号串口 (9600,N,8,1), 设备可由环境变量 RD5800_COM1 指定, 例如 RD5800_COM1=/dev/ttyUSB0。\n",
                       stdout);
            return 0;
        }
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("nolvex"));
    return rdmod::CModuleSetApp().Run();
}
