// The line monitor's reading of Modbus TCP bytes: the MBAP header of each ADU
// ("事务 7，单元 1") in front of what the frame inside means. The port hands the
// link RTU frames; the monitor shows the bytes that crossed the wire.
#pragma once

#include "FrameDecode.h"

#include <QByteArray>
#include <QString>

namespace rdtraffic {

// "事务 7，单元 1，读 0x0000 ×41 (测量数据)" for a request ADU.
QString DescribeMbapRequest(const QByteArray &adu);

// What came back: each whole ADU by its header, those of another transaction or
// unit marked as dropped, a cut-off or foreign tail by its size; then the verdict
// on the reply the port made of it. Nothing received: the verdict alone.
QString DescribeMbapReply(const QByteArray &wire, uint16_t transaction, uint8_t unit,
                          const ReplyVerdict &verdict);

} // namespace rdtraffic
