// The overview's table: one row per listed meter, with what its last refresh
// found, formatted as the main window formats it. It keeps the list in order,
// refuses bad input with a message (address outside 1..247, a duplicate, a name
// with a line break) and says which meter's turn it is (round robin). The list
// and the names are saved with QSettings. Widget-free: a view shows it.
#pragma once

#include "OverviewLine.h"

#include <QAbstractTableModel>
#include <QColor>

#include <optional>
#include <vector>

class QSettings;

namespace rdov {

struct MeterRow {
    uint8_t address = 0;
    QString name;
    std::optional<rdacq::DeviceInfo> info;        // PT, CT and wiring once read
    MeterStatus status = MeterStatus::Unknown;
    std::optional<rdacq::Measurements> values;    // of the last good measurement reply
    int requests = 0;
    int replies = 0;
    QDateTime lastReply;
    QString audit;   // 配置: "相同" or how many settings differ from the profile
};

QString StatusText(MeterStatus status);   // "" / "正常" / "无应答" / "异常"
QColor StatusColour(MeterStatus status);  // the lamp

// The mean of the phases the wiring connects (one for single-phase two-wire,
// two for single-phase three-wire, otherwise three).
double PhaseMean(const std::array<double, 4> &columns, uint8_t wiring);

class OverviewModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column {
        kAddress, kName, kStatus, kVoltage, kCurrent, kActivePower, kPowerFactor,
        kFrequency, kEnergy, kSuccessRate, kLastReply, kProfile, kColumns
    };

    explicit OverviewModel(QObject *parent = nullptr);

    // Adds a meter at its place in address order. Returns an empty string, or
    // the message that says why nothing was added.
    QString addMeter(int address, const QString &name = QString(),
                     const std::optional<rdacq::DeviceInfo> &info = std::nullopt);
    // Sets a name; the message when it is refused (line breaks), else empty.
    QString rename(int row, const QString &name);
    void removeMeter(int row);
    void clearMeters();

    int count() const { return int(m_rows.size()); }
    const MeterRow &meter(int row) const { return m_rows[size_t(row)]; }
    int rowOf(uint8_t address) const;   // -1 when not listed

    // The next meter in turn, cycling through the list in order; none when empty.
    std::optional<uint8_t> nextInTurn();
    // Starts the next round at the first meter.
    void restartTurns() { m_turn = 0; }

    // What a refresh found; ignored when the meter has been removed meanwhile.
    void apply(const RefreshResult &result);

    // The 配置 column of a meter ("与配置文件比较"); ignored for a meter not listed.
    void setAudit(uint8_t address, const QString &text);

    // The list and the names, under "overview/meters".
    void load(QSettings &settings);
    void save(QSettings &settings) const;

    // The text of a cell as the table shows it.
    QString cellText(int row, int column) const;

    // QAbstractTableModel
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;

signals:
    // A name typed into the table was refused; the text for the user.
    void refused(const QString &message);
    // The list or a name changed (to be saved).
    void listChanged();

private:
    std::vector<MeterRow> m_rows;   // in address order
    size_t m_turn = 0;
};

} // namespace rdov
