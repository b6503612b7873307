// The line monitor's table: two rows per exchange (发送 and 接收), the newest at
// the end, at most the last 10 000 rows. Rows are kept compact (the bytes and a
// verdict); the texts are made when a view or the trace file asks for them, so a
// busy line costs little while nobody looks. Counts for the summary line cover
// every exchange since the last clear, also those whose rows have been dropped.
#pragma once

#include "FrameDecode.h"
#include "link/ExchangeRecord.h"

#include <QAbstractTableModel>
#include <deque>
#include <vector>

namespace rdtraffic {

struct TrafficSummary {
    qint64 requests = 0;
    qint64 validReplies = 0;
    qint64 noReply = 0;
    qint64 crcErrors = 0;
    qint64 otherFaults = 0;   // exceptions, wrong lengths, unreadable bytes, port lost
};

// "请求 12  有效应答 9  无应答 1  CRC 错误 1  其他故障 1"
QString SummaryText(const TrafficSummary &summary);

class TrafficModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { TimeColumn, DirectionColumn, DataColumn, MeaningColumn, ElapsedColumn, ColumnCount };
    static constexpr int kMaxRows = 10000;

    explicit TrafficModel(QObject *parent = nullptr, int maxRows = kMaxRows);

    // Adds the exchanges' rows (dropping the oldest beyond the bound) and counts
    // them; one insertion for the whole batch, so a view updates once.
    void addRecords(const rdlink::ExchangeRecord *records, int count);
    void addRecord(const rdlink::ExchangeRecord &record) { addRecords(&record, 1); }
    void clear();

    const TrafficSummary &summary() const { return m_summary; }
    int maxRows() const { return m_maxRows; }

    QString cellText(int row, int column) const;
    // The row's cells separated by tabs, as the trace file holds it.
    QString rowText(int row) const;
    static QString headerText(int column);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

signals:
    void summaryChanged();

private:
    struct Row {
        QByteArray bytes;          // shares the record's buffer
        int timeMs = -1;           // local milliseconds since midnight, -1 unknown
        int elapsedMs = -1;        // reply rows: request to last byte, -1 unknown
        bool sent = false;
        bool mbap = false;         // bytes are Modbus TCP ADUs, not RTU frames
        uint8_t unit = 0;          // mbap: the request's unit and transaction id
        uint16_t transaction = 0;
        ReplyVerdict verdict;      // reply rows
    };

    void append(std::vector<Row> &rows);
    void count(const ReplyVerdict &verdict);

    std::deque<Row> m_rows;
    int m_maxRows;
    TrafficSummary m_summary;
};

} // namespace rdtraffic
