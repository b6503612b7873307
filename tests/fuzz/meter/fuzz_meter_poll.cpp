// Fuzzes a poll tick from the bytes on the line to the texts the window would
// show. The input scripts what each request gets back: a frame with a valid CRC
// built around fuzz data (so the decoders behind the CRC check are reached), stray
// bytes in front of it, or raw bytes as they come.
#include "link/Clock.h"
#include "link/Exchange.h"
#include "link/SerialPort.h"
#include "meter/acquisition/PollCycle.h"

#include <cstdlib>
#include <deque>

namespace {

class ScriptClock : public rdlink::Clock {
public:
    void sleepMs(uint32_t ms) override { now += ms; }
    void busyWaitMs(uint32_t ms) override { now += ms; }
    uint32_t tickMs() override { return now; }
    uint32_t now = 0;
};

// Answers every request from the script; the answer is waiting once written.
class ScriptPort : public rdlink::SerialPort {
public:
    const uint8_t *data = nullptr;
    size_t size = 0;
    size_t pos = 0;

    uint8_t Next() { return pos < size ? data[pos++] : 0; }

    void setPortNumber(int) override {}
    int portNumber() const override { return 1; }
    void setSettings(const rdlink::LineSettings &) override {}
    rdlink::LineSettings settings() const override { return {}; }
    bool open() override { return true; }
    void close() override {}
    bool isOpen() const override { return true; }
    void discardInput() override { waiting.clear(); }
    int bytesWaiting() override { return int(waiting.size()); }
    QByteArray readAll() override
    {
        QByteArray out;
        out.swap(waiting);
        return out;
    }
    QString deviceName() const override { return QStringLiteral("fuzz"); }
    QString errorString() const override { return QString(); }

    void write(const QByteArray &request) override
    {
        const uint8_t mode = Next();
        if (mode & 0x02) {   // stray bytes first
            const int stray = Next() % 16;
            for (int i = 0; i < stray; ++i)
                waiting.append(char(Next()));
        }
        if (mode & 0x01) {   // a frame with a valid CRC around fuzz data
            const int count = uint8_t(request[5]);
            QByteArray frame;
            frame.append(request[0]);
            frame.append(char(3));
            frame.append(char(2 * count));
            for (int i = 0; i < 2 * count; ++i)
                frame.append(char(Next()));
            const uint16_t crc = rdlink::ComputeCrc(reinterpret_cast<const uint8_t *>(frame.constData()),
                                                    uint16_t(frame.size()));
            frame.append(char(crc >> 8));
            frame.append(char(crc & 0xFF));
            waiting.append(frame);
        } else {             // raw bytes, possibly more than the receive buffer holds
            const int raw = Next();
            for (int i = 0; i < raw; ++i)
                waiting.append(char(Next()));
        }
    }

    QByteArray waiting;
};

void Check(bool ok)
{
    if (!ok)
        abort();
}

// What a tick shows must stay sound whatever came over the line.
void CheckTick(const rdacq::TickResult &r)
{
    if (r.deviceTexts)
        Check(!r.deviceTexts->first.isEmpty() && !r.deviceTexts->second.isEmpty());
    if (r.stats) {
        const double rate = r.stats->rate.toDouble();
        Check(rate >= 0 && rate <= 100);
    }
    if (r.measurements) {
        const rdacq::MeasurementTexts &t = *r.measurements;
        for (const auto &row : t.grid)
            for (const QString &text : row)
                Check(!text.isEmpty());
        for (const QString &e : t.energy)
            Check(!e.isEmpty());
        Check(t.energy[1].startsWith(QLatin1Char('-')) && t.energy[3].startsWith(QLatin1Char('-')));
        Check(r.reading.has_value());
    }
    if (r.counters)
        for (const QString &c : *r.counters) {
            bool ok = false;
            c.toUInt(&ok);
            Check(ok);
        }
    if (r.harmonics) {
        const rdacq::HarmonicView &h = *r.harmonics;
        Check(h.scale >= 0 && h.scale <= 4);
        Check(h.barValue >= 0 && h.barValue <= h.barMaximum);
        Check(h.chart[0] == 0);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    ScriptClock clock;
    ScriptPort port;
    port.data = data;
    port.size = size;
    rdlink::Link link(port, clock);
    MeterState state;
    state.slaveAddress = 1;
    rdacq::PollCycle cycle(state);
    for (int tick = 0; tick < 2; ++tick) {
        const int item = int(port.Next() % 8) - 1;   // -1 .. 6
        const uint8_t entered = port.Next();
        CheckTick(cycle.RunTick(link, rdacq::TickInput{entered & 1 ? std::optional<uint8_t>(1) : std::nullopt, item}));
    }
    return 0;
}
