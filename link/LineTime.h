// The one rule for how long an exchange waits. Each request has its fixed wait;
// at low baud rates that wait can be shorter than the time its bytes need on the
// line (an 87-byte reply takes about 800 ms at 1200 baud), so the wait is never
// shorter than the request and its expected reply on the line plus the time the
// instrument needs to turn round. At 2400 baud and above every fixed wait of the
// programs stands unchanged.
#pragma once

#include <QString>
#include <cstdint>
#include <optional>

namespace rdlink {

constexpr uint32_t kTurnaroundMs = 30;

// What a reply-driven read waits beyond the line time of request and reply before
// it gives up: the instrument's turn-round (kTurnaroundMs), plus 20 ms for a USB
// RS-485 adapter, which hands received bytes over on its latency timer (16 ms by
// default on the common chips), and the scheduling of the reading thread. A
// meter that answers at all answers well inside it; a probe of an empty address
// costs its line time plus this (about 100 ms at 9600 baud for the device
// information block, so a scan of 1..247 stays under 30 s).
constexpr uint32_t kReplyMarginMs = kTurnaroundMs + 20;

// What a reply over a network port (a gateway) may take beyond its line time: a
// converter on Wi-Fi, a VPN or a cellular router answers in 50-300 ms, and
// generic Modbus masters give the first byte of a reply a second. Each program
// may set its own (--timeout); the ports made afterwards take it.
constexpr uint32_t kNetworkMarginMs = 1000;
void SetDefaultNetworkMarginMs(uint32_t ms);
uint32_t DefaultNetworkMarginMs();
// The margins --timeout accepts: whole milliseconds, 10..60000. Empty when the
// text is none of them.
constexpr uint32_t kMinNetworkMarginMs = 10;
constexpr uint32_t kMaxNetworkMarginMs = 60000;
std::optional<uint32_t> ParseNetworkMarginMs(const QString &text);

// Milliseconds that `bytes` bytes take on the line: 11 bits per byte with
// parity, 10 without, rounded up.
uint32_t LineTimeMs(int bytes, int baudRate, bool parity);

// max(fixedMs, line time of requestBytes + replyBytes + turnaround). A reply
// length of 0 means the reply is not read.
uint32_t EffectiveWaitMs(uint32_t fixedMs, int baudRate, bool parity, int requestBytes,
                         int replyBytes);

// Line time of requestBytes + replyBytes plus kReplyMarginMs, or plus
// `networkMarginMs` for a network port (when not 0).
uint32_t ReplyTimeoutMs(int baudRate, bool parity, int requestBytes, int replyBytes,
                        uint32_t networkMarginMs = 0);

} // namespace rdlink
