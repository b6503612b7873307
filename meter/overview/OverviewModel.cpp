#include "OverviewModel.h"

#include "meter/acquisition/Formatting.h"

#include <QCoreApplication>
#include <QSettings>

#include <algorithm>

namespace rdov {

namespace {

constexpr int kMinAddress = 1;
constexpr int kMaxAddress = 247;

} // namespace

QString StatusText(MeterStatus status)
{
    switch (status) {
    case MeterStatus::Ok: return QCoreApplication::translate("Overview", "正常");
    case MeterStatus::NoReply: return QCoreApplication::translate("Overview", "无应答");
    case MeterStatus::Fault: return QCoreApplication::translate("Overview", "异常");
    case MeterStatus::Unknown: break;
    }
    return QCoreApplication::translate("Overview", "未读");
}

QColor StatusColour(MeterStatus status)
{
    switch (status) {
    case MeterStatus::Ok: return QColor(0x20, 0xB0, 0x30);
    case MeterStatus::NoReply: return QColor(0xD0, 0x20, 0x20);
    case MeterStatus::Fault: return QColor(0xE0, 0xA0, 0x00);
    case MeterStatus::Unknown: break;
    }
    return QColor(0xA0, 0xA0, 0xA0);
}

double PhaseMean(const std::array<double, 4> &c, uint8_t wiring)
{
    const int phases = wiring == 1 ? 1 : (wiring == 4 ? 2 : 3);
    double sum = 0;
    for (int p = 0; p < phases; ++p)
        sum += c[size_t(rdacq::kColA + p)];
    return sum / phases;
}

OverviewModel::OverviewModel(QObject *parent) : QAbstractTableModel(parent) {}

QString OverviewModel::addMeter(int address, const QString &name, const std::optional<rdacq::DeviceInfo> &info)
{
    if (address < kMinAddress || address > kMaxAddress)
        return QCoreApplication::translate("Overview", "地址 %1 不在 1 到 247 之间。").arg(address);
    if (rowOf(uint8_t(address)) >= 0)
        return QCoreApplication::translate("Overview", "地址 %1 已在列表中。").arg(address);
    if (name.contains(QLatin1Char('\n')) || name.contains(QLatin1Char('\r')))
        return QCoreApplication::translate("Overview", "名称不能包含换行。");
    const auto at = std::find_if(m_rows.begin(), m_rows.end(),
                                 [address](const MeterRow &r) { return r.address > address; });
    const int row = int(at - m_rows.begin());
    beginInsertRows(QModelIndex(), row, row);
    MeterRow added;
    added.address = uint8_t(address);
    added.name = name;
    added.info = info;
    m_rows.insert(at, added);
    endInsertRows();
    if (m_turn > size_t(row))
        ++m_turn;   // the turn stays with the meter that had it
    emit listChanged();
    return QString();
}

QString OverviewModel::rename(int row, const QString &name)
{
    if (row < 0 || row >= count())
        return QString();
    if (name.contains(QLatin1Char('\n')) || name.contains(QLatin1Char('\r')))
        return QCoreApplication::translate("Overview", "名称不能包含换行。");
    m_rows[size_t(row)].name = name;
    emit dataChanged(index(row, kName), index(row, kName));
    emit listChanged();
    return QString();
}

void OverviewModel::removeMeter(int row)
{
    if (row < 0 || row >= count())
        return;
    beginRemoveRows(QModelIndex(), row, row);
    m_rows.erase(m_rows.begin() + row);
    endRemoveRows();
    if (m_turn > size_t(row))
        --m_turn;
    emit listChanged();
}

void OverviewModel::clearMeters()
{
    beginResetModel();
    m_rows.clear();
    m_turn = 0;
    endResetModel();
    emit listChanged();
}

int OverviewModel::rowOf(uint8_t address) const
{
    for (size_t i = 0; i < m_rows.size(); ++i)
        if (m_rows[i].address == address)
            return int(i);
    return -1;
}

std::optional<uint8_t> OverviewModel::nextInTurn()
{
    if (m_rows.empty())
        return std::nullopt;
    if (m_turn >= m_rows.size())
        m_turn = 0;
    return m_rows[m_turn++].address;
}

void OverviewModel::apply(const RefreshResult &r)
{
    const int row = rowOf(r.address);
    if (row < 0)
        return;
    MeterRow &m = m_rows[size_t(row)];
    if (r.info)
        m.info = r.info;
    m.status = r.status;
    if (r.values)
        m.values = r.values;
    m.requests += r.requests;
    m.replies += r.replies;
    if (r.replyTime.isValid())
        m.lastReply = r.replyTime;
    emit dataChanged(index(row, 0), index(row, kColumns - 1));
}

void OverviewModel::load(QSettings &settings)
{
    beginResetModel();
    m_rows.clear();
    m_turn = 0;
    const int n = settings.beginReadArray(QStringLiteral("overview/meters"));
    for (int i = 0; i < n; ++i) {
        settings.setArrayIndex(i);
        bool ok = false;
        const int address = settings.value(QStringLiteral("address")).toInt(&ok);
        QString name = settings.value(QStringLiteral("name")).toString();
        name.remove(QLatin1Char('\n')).remove(QLatin1Char('\r'));
        // A hand-edited file may hold anything: keep what a user could have added.
        if (!ok || address < kMinAddress || address > kMaxAddress || rowOf(uint8_t(address)) >= 0)
            continue;
        MeterRow row;
        row.address = uint8_t(address);
        row.name = name;
        m_rows.insert(std::find_if(m_rows.begin(), m_rows.end(),
                                   [address](const MeterRow &r) { return r.address > address; }),
                      row);
    }
    settings.endArray();
    endResetModel();
}

void OverviewModel::save(QSettings &settings) const
{
    settings.remove(QStringLiteral("overview/meters"));
    settings.beginWriteArray(QStringLiteral("overview/meters"), int(m_rows.size()));
    for (size_t i = 0; i < m_rows.size(); ++i) {
        settings.setArrayIndex(int(i));
        settings.setValue(QStringLiteral("address"), int(m_rows[i].address));
        settings.setValue(QStringLiteral("name"), m_rows[i].name);
    }
    settings.endArray();
    settings.sync();
}

void OverviewModel::setAudit(uint8_t address, const QString &text)
{
    const int row = rowOf(address);
    if (row < 0)
        return;
    m_rows[size_t(row)].audit = text;
    emit dataChanged(index(row, kProfile), index(row, kProfile));
}

QString OverviewModel::cellText(int row, int column) const
{
    const MeterRow &m = m_rows[size_t(row)];
    const uint8_t wiring = m.info ? m.info->wiringMode : 0;
    switch (column) {
    case kAddress: return QString::number(m.address);
    case kName: return m.name;
    case kStatus: return StatusText(m.status);
    case kSuccessRate:
        return m.requests ? QString::asprintf("%.2f%%", 100.0 * m.replies / m.requests) : QString();
    case kLastReply:
        return m.lastReply.isValid() ? m.lastReply.toString(QStringLiteral("HH:mm:ss")) : QString();
    case kProfile: return m.audit;
    default: break;
    }
    if (!m.values)
        return QString();
    const rdacq::Measurements &v = *m.values;
    switch (column) {
    case kVoltage: return rdacq::FormatVoltage(PhaseMean(v.phaseVoltage, wiring));
    case kCurrent: return rdacq::FormatCurrent(PhaseMean(v.current, wiring));
    case kActivePower: return rdacq::FormatActivePower(v.activePower[rdacq::kCombined]);
    case kPowerFactor: return rdacq::FormatPowerFactor(v.powerFactor[rdacq::kCombined]);
    case kFrequency: return rdacq::FormatFrequency(v.frequency);
    case kEnergy: return rdacq::FormatEnergy(rdacq::EnergyKind::PositiveActive, v.energy[0]);
    default: return QString();
    }
}

int OverviewModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : count();
}

int OverviewModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : kColumns;
}

QVariant OverviewModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= count())
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return cellText(index.row(), index.column());
    case Qt::EditRole:
        return index.column() == kName ? QVariant(meter(index.row()).name) : QVariant();
    case Qt::DecorationRole:
        return index.column() == kStatus ? QVariant(StatusColour(meter(index.row()).status)) : QVariant();
    case Qt::TextAlignmentRole:
        return index.column() == kName || index.column() == kStatus
                   ? QVariant(int(Qt::AlignLeft | Qt::AlignVCenter))
                   : QVariant(int(Qt::AlignRight | Qt::AlignVCenter));
    default:
        return {};
    }
}

QVariant OverviewModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || (role != Qt::DisplayRole && role != Qt::AccessibleTextRole))
        return QAbstractTableModel::headerData(section, orientation, role);
    static const char *const kHeaders[kColumns] = {
        QT_TRANSLATE_NOOP("Overview", "地址"), QT_TRANSLATE_NOOP("Overview", "名称"),
        QT_TRANSLATE_NOOP("Overview", "状态"), QT_TRANSLATE_NOOP("Overview", "相电压"),
        QT_TRANSLATE_NOOP("Overview", "相电流"), QT_TRANSLATE_NOOP("Overview", "有功功率"),
        QT_TRANSLATE_NOOP("Overview", "功率因数"), QT_TRANSLATE_NOOP("Overview", "频率"),
        QT_TRANSLATE_NOOP("Overview", "正向有功电能"), QT_TRANSLATE_NOOP("Overview", "成功率"),
        QT_TRANSLATE_NOOP("Overview", "最后应答"), QT_TRANSLATE_NOOP("Overview", "配置"),
    };
    return section >= 0 && section < kColumns ? QVariant(QCoreApplication::translate("Overview", kHeaders[section])) : QVariant();
}

Qt::ItemFlags OverviewModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() == kName)
        f |= Qt::ItemIsEditable;
    return f;
}

bool OverviewModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || index.column() != kName || role != Qt::EditRole)
        return false;
    const QString message = rename(index.row(), value.toString());
    if (!message.isEmpty()) {
        emit refused(message);
        return false;
    }
    return true;
}

} // namespace rdov
