// The monitor's reading of frames: requests in the meter's terms and every kind of
// reply, including the faults the simulator injects (drop, bad CRC, stray bytes,
// late reply, exception).
#include "FrameBytes.h"
#include "common/traffic/FrameDecode.h"
#include "common/traffic/MbapDecode.h"

#include <gtest/gtest.h>

using namespace rdtraffic;
using namespace traffictest;
using rdlink::BuildRead;
using rdlink::BuildWrite;

TEST(TrafficHex, UpperCasePairsSeparatedByOneBlank)
{
    EXPECT_EQ(HexBytes(Bytes(BuildRead(1, 0x0000, 41))), QStringLiteral("01 03 00 00 00 29 84 14"));
    EXPECT_EQ(HexBytes(QByteArray::fromHex("ff0a")), QStringLiteral("FF 0A"));
    EXPECT_EQ(HexBytes(QByteArray()), QString());
}

TEST(TrafficRequest, NamesTheMetersBlocksAndRegisters)
{
    const struct {
        QByteArray request;
        const char *text;
    } cases[] = {
        {Bytes(BuildRead(1, 0x0000, 41)), "读 0x0000 ×41 (测量数据)"},
        {Bytes(BuildRead(1, 0x0300, 17)), "读 0x0300 ×17 (设备信息)"},
        {Bytes(BuildRead(1, 0x0100, 1)), "读 0x0100 ×1 (模块)"},
        {Bytes(BuildRead(1, 0x0760, 12)), "读 0x0760 ×12 (计数)"},
        {Bytes(BuildRead(1, 0x020C, 18)), "读 0x020C ×18 (谐波 I1)"},
        {Bytes(BuildRead(1, 0x0266, 18)), "读 0x0266 ×18 (谐波 U3)"},
        {Bytes(BuildRead(1, 0x0278, 18)), "读 0x0278 ×18"},          // past U3
        {Bytes(BuildRead(1, 0x0329, 12)), "读 0x0329 ×12 (继电器模块 3#)"},
        {Bytes(BuildRead(1, 0x033D, 6)), "读 0x033D ×6 (模拟量模块 2#)"},
        {Bytes(BuildRead(1, 0x0000, 40)), "读 0x0000 ×40"},
        {Bytes(BuildWrite(1, 0x0307, 100)), "写 0x0307 = 100 (PT)"},
        {Bytes(BuildWrite(1, 0x0304, 4)), "写 0x0304 = 4 (波特率)"},
        {Bytes(BuildWrite(1, 0x0303, 2)), "写 0x0303 = 2 (校验方式)"},
        {Bytes(BuildWrite(1, 0x0300, 255)), "写 0x0300 = 255 (子机地址)"},
        {Bytes(BuildWrite(1, 0x0306, 80)), "写 0x0306 = 80 (脉冲宽度)"},
        {Bytes(BuildWrite(1, 0x0317, 5)), "写 0x0317 = 5 (继电器模块 1# 继电器 2)"},
        {Bytes(BuildWrite(1, 0x0342, 400)), "写 0x0342 = 400 (模拟量模块 2# 输出 2)"},
        {Bytes(BuildWrite(1, 0x0336, 3)), "写 0x0336 = 3 (电能脉冲宽度)"},
        {Bytes(BuildWrite(0, 0x0400, 1)), "写 0x0400 = 1 广播"},
        {QByteArray::fromHex("0103"), "请求不完整 (2 字节)"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(DescribeRequest(c.request), QString::fromUtf8(c.text)) << c.text;
}

TEST(TrafficReply, EveryKindOfReplyIsToldApart)
{
    const QByteArray measure = Bytes(BuildRead(1, 0x0000, 41));
    const QByteArray device = Bytes(BuildRead(1, 0x0300, 17));
    const QByteArray module = Bytes(BuildRead(1, 0x0100, 1));
    const QByteArray write = Bytes(BuildWrite(1, 0x0307, 100));
    const QByteArray stray3 = QByteArray::fromHex("FF7E20");
    const struct {
        const char *what;
        QByteArray request;
        QByteArray received;
        bool replyRead;
        bool portLost;
        const char *text;
        ReplyClass cls;
    } cases[] = {
        {"valid read", measure, ReadReply(1, 41), true, false, "应答 41 个寄存器", ReplyClass::Valid},
        {"write echo", write, write, true, false, "写入确认", ReplyClass::Valid},
        {"echo of another value", write, Bytes(BuildWrite(1, 0x0307, 99)), true, false, "写入确认与请求不同",
         ReplyClass::Valid},
        {"dropped", measure, {}, true, false, "无应答", ReplyClass::NoReply},
        {"bad crc", device, BadCrc(ReadReply(1, 17)), true, false, "CRC 错误", ReplyClass::CrcError},
        {"stray", measure, stray3 + ReadReply(1, 41), true, false, "前有 3 个多余字节，应答 41 个寄存器",
         ReplyClass::Valid},
        {"stray and bad crc", module, stray3 + BadCrc(ReadReply(1, 1)), true, false, "前有 3 个多余字节，CRC 错误",
         ReplyClass::CrcError},
        {"late reply of the step before", measure, ReadReply(1, 17) + ReadReply(1, 41), true, false,
         "前有 39 个多余字节 (迟到的应答)，应答 41 个寄存器", ReplyClass::Valid},
        {"late reply after this one", measure, ReadReply(1, 41) + ReadReply(1, 1), true, false,
         "应答 41 个寄存器，后有 7 个多余字节 (迟到的应答)", ReplyClass::Valid},
        {"exception 1", measure, ExceptionReply(1, 3, 1), true, false, "异常 01 (非法功能)", ReplyClass::OtherFault},
        {"exception 2", measure, ExceptionReply(1, 3, 2), true, false, "异常 02 (非法地址)", ReplyClass::OtherFault},
        {"exception 3", write, ExceptionReply(1, 6, 3), true, false, "异常 03 (非法数据值)", ReplyClass::OtherFault},
        {"exception 4", device, ExceptionReply(1, 3, 4), true, false, "异常 04 (从站设备故障)",
         ReplyClass::OtherFault},
        {"exception without a name", device, ExceptionReply(1, 3, 0x41), true, false, "异常 41",
         ReplyClass::OtherFault},
        {"truncated", measure, ReadReply(1, 41).left(20), true, false, "长度不符 (应为 87 字节)",
         ReplyClass::OtherFault},
        {"another byte count", measure, ReadReply(1, 2), true, false, "长度不符 (应为 87 字节)",
         ReplyClass::OtherFault},
        {"byte count wrong, CRC right", module, WithCrc(QByteArray::fromHex("0103040015")), true, false,
         "长度不符 (应为 7 字节)", ReplyClass::OtherFault},
        {"bytes after the frame", module, ReadReply(1, 1) + QByteArray::fromHex("0000"), true, false,
         "应答 1 个寄存器，后有 2 个多余字节", ReplyClass::Valid},
        {"from another address", module, ReadReply(7, 1), true, false, "无有效应答 (7 个多余字节)",
         ReplyClass::OtherFault},
        {"noise only", module, QByteArray::fromHex("FE00FE00"), true, false, "无有效应答 (4 个多余字节)",
         ReplyClass::OtherFault},
        {"not read", Bytes(BuildWrite(1, 0x0306, 80)), {}, false, false, "不读应答", ReplyClass::None},
        {"port lost", measure, {}, true, true, "无应答，端口已断开", ReplyClass::OtherFault},
    };
    for (const auto &c : cases) {
        const ReplyVerdict v = ClassifyReply(c.request, c.received, c.replyRead, c.portLost);
        EXPECT_EQ(DescribeReply(v), QString::fromUtf8(c.text)) << c.what;
        EXPECT_EQ(int(ClassOf(v)), int(c.cls)) << c.what;
    }
}

// Modbus TCP rows: the headers of what came back in front of the verdict.
TEST(MbapDecode, HeadersStraysGatewayAnswersAndCutOffBytes)
{
    const auto adu = [](uint16_t t, uint8_t unit, QByteArray pdu) {
        QByteArray a;
        a.append(char(t >> 8)).append(char(t)).append('\0').append('\0');
        a.append('\0').append(char(pdu.size() + 1)).append(char(unit)).append(pdu);
        return a;
    };
    const QByteArray reply = QByteArray::fromHex("0304001500FF");
    rdtraffic::ReplyVerdict answered;
    answered.kind = rdtraffic::ReplyKind::Reply;
    answered.function = 3;
    answered.registers = 2;
    const rdtraffic::ReplyVerdict silent;   // no reply
    const struct {
        QByteArray wire;
        const rdtraffic::ReplyVerdict &verdict;
        QString text;
    } cases[] = {
        {QByteArray(), silent, QStringLiteral("无应答")},
        {adu(7, 1, reply), answered, QStringLiteral("事务 7，单元 1，应答 2 个寄存器")},
        {adu(6, 1, reply) + adu(7, 2, reply) + adu(7, 1, reply), answered,
         QStringLiteral("事务 6，单元 1 (不符，已丢弃)；事务 7，单元 2 (不符，已丢弃)；事务 7，单元 1，应答 2 个寄存器")},
        {adu(7, 1, QByteArray::fromHex("830B")), silent, QStringLiteral("事务 7，单元 1，网关目标设备无响应，无应答")},
        {adu(7, 1, reply).left(9), silent, QStringLiteral("9 个字节不成报文，无应答")},
    };
    for (const auto &c : cases)
        EXPECT_EQ(rdtraffic::DescribeMbapReply(c.wire, 7, 1, c.verdict), c.text) << c.wire.toHex().constData();
    EXPECT_EQ(rdtraffic::DescribeMbapRequest(adu(9, 1, QByteArray::fromHex("0603070064"))),
              QStringLiteral("事务 9，单元 1，写 0x0307 = 100 (PT)"));
    EXPECT_EQ(rdtraffic::DescribeMbapRequest(QByteArray::fromHex("0009000000")),
              QStringLiteral("不是完整的 Modbus TCP 报文 (5 字节)"));
}
