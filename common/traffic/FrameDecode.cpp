// Decoding of requests and replies for the line monitor.
#include "FrameDecode.h"

#include "RegisterNames.h"
#include "link/Framing.h"

#include <QStringList>
#include <QCoreApplication>

namespace rdtraffic {

namespace {

uint8_t At(const QByteArray &b, int i)
{
    return static_cast<uint8_t>(b[i]);
}

uint16_t Word(const QByteArray &b, int i)
{
    return static_cast<uint16_t>(At(b, i) << 8 | At(b, i + 1));
}

// The CRC of bytes[from .. from + length - 2) is in the frame's last two bytes.
bool CrcOk(const QByteArray &b, int from, int length)
{
    if (length < 4 || from < 0 || from + length > b.size())
        return false;
    const auto *p = reinterpret_cast<const uint8_t *>(b.constData()) + from;
    const uint16_t crc = rdlink::ComputeCrc(p, uint16_t(length - 2));
    return p[length - 2] == (crc >> 8) && p[length - 1] == (crc & 0xFF);
}

// Length of the frame at `at` by its own header (byte count of a read reply, 5
// for an exception, 8 for a write echo), or 0 when the header is not there yet.
int OwnLength(const QByteArray &b, int at, uint8_t function)
{
    if (at + 2 > b.size())
        return 0;
    const uint8_t f = At(b, at + 1);
    if (f == (function | 0x80))
        return 5;
    if (f == rdlink::kReadHolding)
        return at + 3 <= b.size() ? 5 + At(b, at + 2) : 0;
    return 8;
}

} // namespace

QString HexBytes(const QByteArray &bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    QString out;
    if (bytes.isEmpty())
        return out;
    out.resize(bytes.size() * 3 - 1);
    QChar *d = out.data();
    for (int i = 0; i < bytes.size(); ++i) {
        const uint8_t b = At(bytes, i);
        if (i > 0)
            *d++ = QLatin1Char(' ');
        *d++ = QLatin1Char(digits[b >> 4]);
        *d++ = QLatin1Char(digits[b & 0x0F]);
    }
    return out;
}

QString DescribeRequest(const QByteArray &request)
{
    if (request.size() < 8)
        return QCoreApplication::translate("FrameDecode", "请求不完整 (%1 字节)").arg(request.size());
    const uint8_t function = At(request, 1);
    const uint16_t reg = Word(request, 2);
    const uint16_t value = Word(request, 4);
    const QString address = QStringLiteral("0x") + QStringLiteral("%1").arg(reg, 4, 16, QLatin1Char('0')).toUpper();
    QString text;
    QString name;
    if (function == rdlink::kReadHolding) {
        text = QCoreApplication::translate("FrameDecode", "读 %1 ×%2").arg(address).arg(value);
        name = ReadBlockName(reg, value);
    } else if (function == rdlink::kWriteSingle) {
        text = QCoreApplication::translate("FrameDecode", "写 %1 = %2").arg(address).arg(value);
        name = WriteRegisterName(reg);
    } else {
        return QCoreApplication::translate("FrameDecode", "功能码 %1").arg(function, 2, 16, QLatin1Char('0')).toUpper();
    }
    if (!name.isEmpty())
        text += QStringLiteral(" (%1)").arg(name);
    if (At(request, 0) == 0)
        text += QCoreApplication::translate("FrameDecode", " 广播");
    return text;
}

ReplyVerdict ClassifyReply(const QByteArray &request, const QByteArray &received, bool replyRead, bool portLost)
{
    ReplyVerdict v;
    v.portLost = portLost;
    v.received = uint16_t(std::min<int>(received.size(), 0xFFFF));
    if (request.size() < 8) {
        v.kind = received.isEmpty() ? ReplyKind::NoReply : ReplyKind::NoFrame;
        return v;
    }
    const uint8_t address = At(request, 0);
    const uint8_t function = At(request, 1);
    v.function = function;
    rdlink::Frame frame{};
    std::copy(request.begin(), request.begin() + 8, frame.begin());
    const int expected = rdlink::ExpectedReplyLength(frame);
    v.expected = uint16_t(expected);
    if (!replyRead) {
        v.kind = ReplyKind::NotRead;
        return v;
    }
    if (received.isEmpty()) {
        v.kind = ReplyKind::NoReply;
        return v;
    }

    // The first place where a frame from the slave starts: its address, then the
    // request's function or that function's exception code.
    auto startsFrame = [&](int at) {
        return at + 1 < received.size() && At(received, at) == address
               && (At(received, at + 1) == function || At(received, at + 1) == (function | 0x80));
    };
    auto isWholeFrame = [&](int at, int size) {
        return startsFrame(at) && OwnLength(received, at, function) == size && CrcOk(received, at, size);
    };
    int candidate = -1;
    for (int at = 0; at + 1 < received.size(); ++at) {
        if (!startsFrame(at))
            continue;
        const bool exception = At(received, at + 1) == (function | 0x80);
        const int length = exception ? 5 : expected;
        if (CrcOk(received, at, length)) {
            v.stray = uint16_t(at);
            v.trailing = uint16_t(received.size() - at - length);
            if (exception) {
                v.kind = ReplyKind::Exception;
                v.exceptionCode = At(received, at + 2);
            } else {
                v.kind = ReplyKind::Reply;
                if (function == rdlink::kReadHolding) {
                    v.registers = uint16_t((expected - 5) / 2);
                    if (At(received, at + 2) != expected - 5)
                        v.kind = ReplyKind::LengthMismatch;
                } else {
                    v.echoDiffers = received.mid(at, 8) != request.left(8);
                }
            }
            // Extra bytes that are themselves a whole reply from the slave: an
            // earlier answer that came after its own wait.
            v.lateBefore = at > 0 && isWholeFrame(0, at);
            v.lateAfter = v.trailing > 0 && isWholeFrame(at + length, v.trailing);
            return v;
        }
        if (candidate < 0)
            candidate = at;
    }
    if (candidate < 0) {
        v.kind = ReplyKind::NoFrame;
        return v;
    }
    v.stray = uint16_t(candidate);
    const int available = received.size() - candidate;
    const int own = OwnLength(received, candidate, function);
    if (own > 0 && own != expected && own <= available && CrcOk(received, candidate, own)) {
        // A whole frame of another length (a wrong byte count).
        v.kind = ReplyKind::LengthMismatch;
        v.trailing = uint16_t(available - own);
    } else if (available >= expected) {
        v.kind = ReplyKind::CrcError;
        v.trailing = uint16_t(available - expected);
    } else {
        v.kind = ReplyKind::LengthMismatch;
    }
    return v;
}

ReplyClass ClassOf(const ReplyVerdict &v)
{
    switch (v.kind) {
    case ReplyKind::NotRead: return ReplyClass::None;
    case ReplyKind::NoReply: return v.portLost ? ReplyClass::OtherFault : ReplyClass::NoReply;
    case ReplyKind::Reply: return ReplyClass::Valid;
    case ReplyKind::CrcError: return ReplyClass::CrcError;
    case ReplyKind::Exception:
    case ReplyKind::LengthMismatch:
    case ReplyKind::NoFrame: return ReplyClass::OtherFault;
    }
    return ReplyClass::None;
}

QString ExceptionName(uint8_t code)
{
    switch (code) {
    case 0x01: return QCoreApplication::translate("FrameDecode", "非法功能");
    case 0x02: return QCoreApplication::translate("FrameDecode", "非法地址");
    case 0x03: return QCoreApplication::translate("FrameDecode", "非法数据值");
    case 0x04: return QCoreApplication::translate("FrameDecode", "从站设备故障");
    case 0x05: return QCoreApplication::translate("FrameDecode", "已确认，处理中");
    case 0x06: return QCoreApplication::translate("FrameDecode", "从站设备忙");
    case 0x08: return QCoreApplication::translate("FrameDecode", "存储奇偶校验错误");
    case 0x0A: return QCoreApplication::translate("FrameDecode", "网关路径不可用");
    case 0x0B: return QCoreApplication::translate("FrameDecode", "网关目标设备无响应");
    }
    return {};
}

QString DescribeReply(const ReplyVerdict &v)
{
    QStringList parts;
    if (v.stray > 0)
        parts << (v.lateBefore ? QCoreApplication::translate("FrameDecode", "前有 %1 个多余字节 (迟到的应答)").arg(v.stray)
                              : QCoreApplication::translate("FrameDecode", "前有 %1 个多余字节").arg(v.stray));
    switch (v.kind) {
    case ReplyKind::NotRead:
        parts << QCoreApplication::translate("FrameDecode", "不读应答");
        break;
    case ReplyKind::NoReply:
        parts << QCoreApplication::translate("FrameDecode", "无应答");
        break;
    case ReplyKind::Reply:
        if (v.function == rdlink::kReadHolding)
            parts << QCoreApplication::translate("FrameDecode", "应答 %1 个寄存器").arg(v.registers);
        else
            parts << (v.echoDiffers ? QCoreApplication::translate("FrameDecode", "写入确认与请求不同") : QCoreApplication::translate("FrameDecode", "写入确认"));
        break;
    case ReplyKind::Exception: {
        const QString name = ExceptionName(v.exceptionCode);
        const QString code = QStringLiteral("%1").arg(v.exceptionCode, 2, 16, QLatin1Char('0')).toUpper();
        parts << (name.isEmpty() ? QCoreApplication::translate("FrameDecode", "异常 %1").arg(code)
                                 : QCoreApplication::translate("FrameDecode", "异常 %1 (%2)").arg(code, name));
        break;
    }
    case ReplyKind::CrcError:
        parts << QCoreApplication::translate("FrameDecode", "CRC 错误");
        break;
    case ReplyKind::LengthMismatch:
        parts << QCoreApplication::translate("FrameDecode", "长度不符 (应为 %1 字节)").arg(v.expected);
        break;
    case ReplyKind::NoFrame:
        parts << QCoreApplication::translate("FrameDecode", "无有效应答 (%1 个多余字节)").arg(v.received);
        break;
    }
    if (v.trailing > 0)
        parts << (v.lateAfter ? QCoreApplication::translate("FrameDecode", "后有 %1 个多余字节 (迟到的应答)").arg(v.trailing)
                              : QCoreApplication::translate("FrameDecode", "后有 %1 个多余字节").arg(v.trailing));
    if (v.portLost)
        parts << QCoreApplication::translate("FrameDecode", "端口已断开");
    return parts.join(QCoreApplication::translate("FrameDecode", "，"));
}

} // namespace rdtraffic
