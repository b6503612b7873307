// The cost of the line monitor: exchanges turned into rows in the bounded model
// (the model full, so every exchange also drops the two oldest rows), half a
// second of a busy line through the shown offscreen window with its repaint, the texts a repaint of the
// visible rows asks for, and the memory of 10 000 rows.
#include "common/traffic/TrafficModel.h"
#include "common/traffic/TrafficWindow.h"
#include "link/Framing.h"

#include <QApplication>
#include <QTableView>
#include <benchmark/benchmark.h>
#include <malloc.h>

namespace {

QByteArray Bytes(const rdlink::Frame &f)
{
    return QByteArray(reinterpret_cast<const char *>(f.data()), int(f.size()));
}

// A measurement read and its 87-byte reply, in buffers of their own as the link
// hands them over.
rdlink::ExchangeRecord Measurement()
{
    rdlink::ExchangeRecord r;
    r.sentAt = QDateTime::currentDateTime();
    r.request = Bytes(rdlink::BuildRead(1, 0x0000, 41));
    QByteArray body("\x01\x03\x52", 3);
    for (int i = 0; i < 82; ++i)
        body.append(char(i * 7));
    const uint16_t crc = rdlink::ComputeCrc(reinterpret_cast<const uint8_t *>(body.constData()), uint16_t(body.size()));
    body.append(char(crc >> 8));
    body.append(char(crc & 0xFF));
    r.received = body;
    r.replyElapsedMs = 58;
    return r;
}

rdlink::ExchangeRecord Fresh(const rdlink::ExchangeRecord &proto)
{
    rdlink::ExchangeRecord r = proto;
    r.request = QByteArray(proto.request.constData(), proto.request.size());
    r.received = QByteArray(proto.received.constData(), proto.received.size());
    return r;
}

void BM_ModelAppendAtBound(benchmark::State &state)
{
    const rdlink::ExchangeRecord proto = Measurement();
    rdtraffic::TrafficModel model;
    while (model.rowCount() < model.maxRows())
        model.addRecord(Fresh(proto));
    for (auto _ : state)
        model.addRecord(Fresh(proto));
    state.SetItemsProcessed(state.iterations() * 2);   // rows
}
BENCHMARK(BM_ModelAppendAtBound);

// Half a second of a busy line (10 exchanges a second) as the shown window meets
// it: five exchanges in, one update of the table and its repaint.
void BM_WindowHalfSecondAt10PerSecond(benchmark::State &state)
{
    const rdlink::ExchangeRecord proto = Measurement();
    rdtraffic::TrafficWindow window;
    window.show();
    while (window.model().rowCount() < window.model().maxRows())
        window.model().addRecord(Fresh(proto));
    QApplication::processEvents();
    for (auto _ : state) {
        for (int i = 0; i < 5; ++i)
            window.addRecord(Fresh(proto));
        window.flush();
        QApplication::processEvents();   // the repaint the update asks for
    }
    state.SetItemsProcessed(state.iterations() * 10);   // rows
}
BENCHMARK(BM_WindowHalfSecondAt10PerSecond);

void BM_VisibleRowTexts(benchmark::State &state)
{
    const rdlink::ExchangeRecord proto = Measurement();
    rdtraffic::TrafficModel model;
    for (int i = 0; i < 15; ++i)
        model.addRecord(Fresh(proto));
    for (auto _ : state)
        for (int r = 0; r < 30; ++r)
            for (int c = 0; c < rdtraffic::TrafficModel::ColumnCount; ++c)
                benchmark::DoNotOptimize(model.cellText(r, c));
}
BENCHMARK(BM_VisibleRowTexts);

// Heap in use by a model holding 10 000 rows of measurement exchanges.
void BM_MemoryOfFullModel(benchmark::State &state)
{
    const rdlink::ExchangeRecord proto = Measurement();
    size_t bytes = 0;
    for (auto _ : state) {
        const size_t before = mallinfo2().uordblks;
        {
            rdtraffic::TrafficModel model;
            while (model.rowCount() < model.maxRows())
                model.addRecord(Fresh(proto));
            bytes = mallinfo2().uordblks - before;
        }
    }
    state.counters["heap_bytes_10000_rows"] = double(bytes);
}
BENCHMARK(BM_MemoryOfFullModel)->Iterations(3);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
