#include "WriteReport.h"

#include <QStringList>
#include <QCoreApplication>

namespace rdmod {

QString WriteReportText(const std::vector<uint16_t> &registersWithoutEcho)
{
    if (registersWithoutEcho.empty())
        return QCoreApplication::translate("WriteReport", "参数设置成功");
    QStringList regs;
    for (uint16_t reg : registersWithoutEcho)
        regs << QStringLiteral("0x%1").arg(reg, 4, 16, QLatin1Char('0')).toUpper().replace(QStringLiteral("0X"), QStringLiteral("0x"));
    return QCoreApplication::translate("WriteReport", "参数未全部设置成功: 以下寄存器没有应答, 其设置可能未被仪表接受:\n%1")
        .arg(regs.join(QStringLiteral(", ")));
}

} // namespace rdmod
