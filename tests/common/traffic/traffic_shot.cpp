// Not a test: renders the "通讯监视" window with a poll tick's exchanges and the
// faults a line shows (stray bytes, a CRC error, an exception, a lost reply, a
// late one, a write) to a PNG, for a look at the layout and for the docs.
// With --mbap as the second argument, the same exchanges as a Modbus TCP gateway
// carries them: ADUs on the wire, a stray ADU of an earlier transaction.
#include "FrameBytes.h"
#include "common/traffic/TrafficWindow.h"
#include "link/Mbap.h"

#include <QApplication>
#include <QFont>

using namespace traffictest;

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setFont(QFont(QStringLiteral("WenQuanYi Zen Hei"), 9));
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("traffic-window.png");

    const bool mbap = argc > 2 && QByteArray(argv[2]) == "--mbap";
    uint16_t transaction = 0;
    rdtraffic::TrafficWindow w;
    QDateTime at(QDate::currentDate(), QTime(14, 25, 1, 118));
    auto add = [&](const rdlink::Frame &request, const QByteArray &received, int elapsed, bool read = true) {
        rdlink::ExchangeRecord r;
        r.sentAt = at;
        r.request = Bytes(request);
        r.received = received;
        r.replyRead = read;
        r.replyElapsedMs = received.isEmpty() ? -1 : elapsed;
        if (mbap) {
            // Whole RTU frames only: CRC errors and stray bytes do not cross a
            // protocol gateway; a stray ADU of the last transaction stands in.
            ++transaction;
            r.mbapSent = rdlink::MbapFromRtu(r.request, transaction);
            if (!received.isEmpty() && rdlink::ComputeCrc(reinterpret_cast<const uint8_t *>(received.constData()),
                                                          uint16_t(received.size())) == 0) {
                r.mbapReceived = rdlink::MbapFromRtu(received, transaction);
                if (transaction % 4 == 0)
                    r.mbapReceived.prepend(rdlink::MbapFromRtu(received, uint16_t(transaction - 1)));
            } else {
                r.received.clear();
                r.replyElapsedMs = -1;
            }
        }
        w.addRecord(r);
        at = at.addMSecs(read ? 310 : 110);
    };
    using rdlink::BuildRead;
    using rdlink::BuildWrite;
    for (int tick = 0; tick < 2; ++tick) {
        add(BuildRead(1, 0x0100, 1), ReadReply(1, 1), 17);
        add(BuildRead(1, 0x0300, 17), tick ? BadCrc(ReadReply(1, 17)) : ReadReply(1, 17), 36);
        add(BuildRead(1, 0x0000, 41), tick ? ReadReply(1, 41) : QByteArray::fromHex("E7 5A C2") + ReadReply(1, 41), 61);
        add(BuildRead(1, 0x0760, 12), tick ? QByteArray() : ReadReply(1, 12), 28);
        add(BuildRead(1, 0x020C, 18), tick ? ExceptionReply(1, 3, 4) : ReadReply(1, 18), 30);
    }
    add(BuildRead(1, 0x0100, 1), ReadReply(1, 1) + ReadReply(1, 12), 20);
    add(BuildWrite(1, 0x0307, 100), Bytes(BuildWrite(1, 0x0307, 100)), 14);
    add(BuildWrite(1, 0x0306, 80), {}, -1, false);
    w.flush();
    w.show();
    QApplication::processEvents();
    return w.grab().save(out) ? 0 : 1;
}
