#include "MbapDecode.h"

#include "link/Mbap.h"

#include <QCoreApplication>
#include <QStringList>

namespace rdtraffic {
namespace {

QString HeaderText(const rdlink::MbapHeader &h)
{
    return QCoreApplication::translate("MbapDecode", "事务 %1，单元 %2").arg(h.transaction).arg(h.unit);
}

QString Comma()
{
    return QCoreApplication::translate("FrameDecode", "，");
}

} // namespace

QString DescribeMbapRequest(const QByteArray &adu)
{
    const auto header = rdlink::ReadMbapHeader(adu);
    const QByteArray rtu = rdlink::RtuFromMbap(adu);
    if (!header || rtu.isEmpty())
        return QCoreApplication::translate("MbapDecode", "不是完整的 Modbus TCP 报文 (%1 字节)").arg(adu.size());
    return HeaderText(*header) + Comma() + DescribeRequest(rtu);
}

QString DescribeMbapReply(const QByteArray &wire, uint16_t transaction, uint8_t unit, const ReplyVerdict &verdict)
{
    if (wire.isEmpty())
        return DescribeReply(verdict);
    QStringList parts;
    int at = 0;
    while (at < wire.size()) {
        const auto header = rdlink::ReadMbapHeader(wire, at);
        if (!header || !header->plausible() || at + header->aduLength() > wire.size()) {
            parts << QCoreApplication::translate("MbapDecode", "%1 个字节不成报文").arg(wire.size() - at);
            break;
        }
        if (header->transaction == transaction && header->unit == unit) {
            const QByteArray adu = wire.mid(at, header->aduLength());
            parts << (rdlink::IsGatewayNoAnswer(adu)
                          ? HeaderText(*header) + Comma() + ExceptionName(uint8_t(adu[8]))
                          : HeaderText(*header));
        }
        else
            parts << QCoreApplication::translate("MbapDecode", "%1 (不符，已丢弃)").arg(HeaderText(*header));
        at += header->aduLength();
    }
    return parts.join(QCoreApplication::translate("MbapDecode", "；")) + Comma() + DescribeReply(verdict);
}

} // namespace rdtraffic
