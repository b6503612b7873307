// What the bytes of one exchange mean: the request in the meter's terms and a
// verdict on what came back (a valid reply, an exception, a CRC error, stray bytes
// around the frame, nothing at all). Plain functions on bytes, free of widgets.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

namespace rdtraffic {

// "01 03 00 00 00 29 84 14": upper-case hex pairs separated by one blank.
QString HexBytes(const QByteArray &bytes);

// "读 0x0000 ×41 (测量数据)", "写 0x0307 = 100 (PT)"; other frames by function code.
QString DescribeRequest(const QByteArray &request);

enum class ReplyKind : uint8_t {
    NotRead,         // the program does not read a reply to this request
    NoReply,         // nothing arrived
    Reply,           // a valid reply frame (read data or write echo)
    Exception,       // a valid exception frame
    CrcError,        // a frame from the slave of the right length whose CRC is wrong
    LengthMismatch,  // a frame from the slave, shorter or with another length
    NoFrame,         // bytes, but nothing that starts a frame from the slave
};

// The summary a reply counts under.
enum class ReplyClass : uint8_t { None, Valid, NoReply, CrcError, OtherFault };

// Compact: the monitor keeps one per received row.
struct ReplyVerdict {
    ReplyKind kind = ReplyKind::NoReply;
    uint8_t function = 0;        // of the request
    uint8_t exceptionCode = 0;
    bool echoDiffers = false;    // a write echo that is not the request
    bool lateBefore = false;     // the bytes before the frame are a whole earlier reply
    bool lateAfter = false;      // the bytes after it are one (an earlier reply, late)
    bool portLost = false;
    uint16_t stray = 0;          // bytes before the frame
    uint16_t trailing = 0;       // bytes after the frame
    uint16_t registers = 0;      // registers in a read reply
    uint16_t received = 0;       // bytes received in all
    uint16_t expected = 0;       // the reply length the request asks for
};

// Judges the received bytes against the request. The frame search matches the
// link's (address, function, CRC over the expected length); an exception frame,
// a wrong byte count and a truncated frame are told apart here, which the link's
// search does not need to do.
ReplyVerdict ClassifyReply(const QByteArray &request, const QByteArray &received, bool replyRead,
                           bool portLost = false);

ReplyClass ClassOf(const ReplyVerdict &verdict);

// "应答 41 个寄存器", "前有 3 个多余字节，CRC 错误", "异常 02 (非法地址)" ...
QString DescribeReply(const ReplyVerdict &verdict);

// "非法地址" for 02; empty for codes without a name.
QString ExceptionName(uint8_t code);

} // namespace rdtraffic
