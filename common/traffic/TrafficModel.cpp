// The bounded row model of the line monitor.
#include "TrafficModel.h"

#include "MbapDecode.h"
#include "link/Mbap.h"

#include <QTime>
#include <QCoreApplication>

namespace rdtraffic {

QString SummaryText(const TrafficSummary &s)
{
    return QCoreApplication::translate("TrafficModel", "请求 %1    有效应答 %2    无应答 %3    CRC 错误 %4    其他故障 %5")
        .arg(s.requests)
        .arg(s.validReplies)
        .arg(s.noReply)
        .arg(s.crcErrors)
        .arg(s.otherFaults);
}

TrafficModel::TrafficModel(QObject *parent, int maxRows)
    : QAbstractTableModel(parent), m_maxRows(std::max(2, maxRows))
{
}

void TrafficModel::count(const ReplyVerdict &verdict)
{
    ++m_summary.requests;
    switch (ClassOf(verdict)) {
    case ReplyClass::None: break;
    case ReplyClass::Valid: ++m_summary.validReplies; break;
    case ReplyClass::NoReply: ++m_summary.noReply; break;
    case ReplyClass::CrcError: ++m_summary.crcErrors; break;
    case ReplyClass::OtherFault: ++m_summary.otherFaults; break;
    }
}

void TrafficModel::addRecords(const rdlink::ExchangeRecord *records, int n)
{
    std::vector<Row> rows;
    rows.reserve(size_t(2 * std::max(n, 0)));
    for (int i = 0; i < n; ++i) {
        const rdlink::ExchangeRecord &record = records[i];
        const QTime sentAt = record.sentAt.isValid() ? record.sentAt.time() : QTime();
        Row sent;
        sent.bytes = record.request;
        sent.timeMs = sentAt.isValid() ? sentAt.msecsSinceStartOfDay() : -1;
        sent.sent = true;
        Row reply;
        reply.bytes = record.received;
        reply.verdict = ClassifyReply(record.request, record.received, record.replyRead, record.portLost);
        reply.elapsedMs = record.replyRead ? record.replyElapsedMs : -1;
        // The reply row carries the time its last byte arrived where that is known.
        reply.timeMs = sent.timeMs;
        if (sent.timeMs >= 0 && reply.elapsedMs >= 0)
            reply.timeMs = (sent.timeMs + reply.elapsedMs) % (24 * 3600 * 1000);
        // Over Modbus TCP the rows show the ADUs that crossed the wire; the
        // verdict stays that of the RTU frames the port made of them.
        if (const auto header = rdlink::ReadMbapHeader(record.mbapSent)) {
            sent.bytes = record.mbapSent;
            reply.bytes = record.mbapReceived;
            sent.mbap = reply.mbap = true;
            sent.unit = reply.unit = header->unit;
            sent.transaction = reply.transaction = header->transaction;
        }
        count(reply.verdict);
        rows.push_back(std::move(sent));
        rows.push_back(std::move(reply));
    }
    if (rows.empty())
        return;
    append(rows);
    emit summaryChanged();
}

void TrafficModel::append(std::vector<Row> &rows)
{
    // A batch longer than the bound keeps only its own newest rows.
    const size_t skip = rows.size() > size_t(m_maxRows) ? rows.size() - size_t(m_maxRows) : 0;
    const int n = int(rows.size() - skip);
    const int excess = int(m_rows.size()) + n - m_maxRows;
    if (excess > 0) {
        beginRemoveRows(QModelIndex(), 0, excess - 1);
        m_rows.erase(m_rows.begin(), m_rows.begin() + excess);
        endRemoveRows();
    }
    const int first = int(m_rows.size());
    beginInsertRows(QModelIndex(), first, first + n - 1);
    for (size_t i = skip; i < rows.size(); ++i)
        m_rows.push_back(std::move(rows[i]));
    endInsertRows();
}

void TrafficModel::clear()
{
    beginResetModel();
    m_rows.clear();
    m_rows.shrink_to_fit();
    endResetModel();
    m_summary = TrafficSummary();
    emit summaryChanged();
}

QString TrafficModel::headerText(int column)
{
    switch (column) {
    case TimeColumn: return QCoreApplication::translate("TrafficModel", "时间");
    case DirectionColumn: return QCoreApplication::translate("TrafficModel", "方向");
    case DataColumn: return QCoreApplication::translate("TrafficModel", "数据");
    case MeaningColumn: return QCoreApplication::translate("TrafficModel", "说明");
    case ElapsedColumn: return QCoreApplication::translate("TrafficModel", "耗时(ms)");
    }
    return {};
}

QString TrafficModel::cellText(int row, int column) const
{
    if (row < 0 || row >= int(m_rows.size()))
        return {};
    const Row &r = m_rows[size_t(row)];
    switch (column) {
    case TimeColumn:
        return r.timeMs < 0 ? QString()
                            : QTime::fromMSecsSinceStartOfDay(r.timeMs).toString(QStringLiteral("hh:mm:ss.zzz"));
    case DirectionColumn:
        return r.sent ? QCoreApplication::translate("TrafficModel", "发送") : QCoreApplication::translate("TrafficModel", "接收");
    case DataColumn:
        return HexBytes(r.bytes);
    case MeaningColumn:
        if (r.mbap)
            return r.sent ? DescribeMbapRequest(r.bytes) : DescribeMbapReply(r.bytes, r.transaction, r.unit, r.verdict);
        return r.sent ? DescribeRequest(r.bytes) : DescribeReply(r.verdict);
    case ElapsedColumn:
        return r.elapsedMs < 0 ? QString() : QString::number(r.elapsedMs);
    }
    return {};
}

QString TrafficModel::rowText(int row) const
{
    QStringList cells;
    for (int c = 0; c < ColumnCount; ++c)
        cells << cellText(row, c);
    return cells.join(QLatin1Char('\t'));
}

int TrafficModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int TrafficModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TrafficModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
    case Qt::ToolTipRole:
        return cellText(index.row(), index.column());
    case Qt::TextAlignmentRole:
        if (index.column() == ElapsedColumn)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    }
    return {};
}

QVariant TrafficModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && (role == Qt::DisplayRole || role == Qt::AccessibleTextRole))
        return headerText(section);
    return {};
}

} // namespace rdtraffic
