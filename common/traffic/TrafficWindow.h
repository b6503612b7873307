// The "通讯监视" window: the monitor's rows in a table, the newest at the bottom,
// "暂停"/"继续", "清除", "保存" and a summary line. Modeless; the program that owns
// the link connects the link's records to addRecord() and switches the link's
// observer on while the window is shown (monitoringChanged).
#pragma once

#include "link/ExchangeRecord.h"
#include "link/LinkWorker.h"

#include <QDialog>
#include <functional>
#include <vector>

class QLabel;
class QPushButton;
class QTimer;
class QTableView;

namespace rdtraffic {

class TrafficModel;

class TrafficWindow : public QDialog {
    Q_OBJECT
public:
    // `program` names the saved file: "<program>-trace-YYYYMMDD-HHMMSS.txt".
    explicit TrafficWindow(const QString &program = QStringLiteral("rd5800"), QWidget *parent = nullptr);

    // Shows the exchanges of `worker`, which reports them only while this window
    // is open. The worker must outlive the window.
    void watch(rdlink::LinkWorker &worker);

    // Seams for tests: where to save (empty: cancelled), given the suggested path;
    // and how a failed save is reported.
    using PathAsker = std::function<QString(QWidget *parent, const QString &suggestedPath)>;
    using ErrorReporter = std::function<void(QWidget *parent, const QString &title, const QString &text)>;
    void setPathAsker(PathAsker asker) { m_askPath = std::move(asker); }
    void setErrorReporter(ErrorReporter reporter) { m_reportError = std::move(reporter); }

    static constexpr int kUpdateMs = 500;

    TrafficModel &model() { return *m_model; }
    QTableView *view() const { return m_view; }
    QPushButton *pauseButton() const { return m_pause; }
    QPushButton *clearButton() const { return m_clear; }
    QPushButton *saveButton() const { return m_save; }
    QLabel *summaryLabel() const { return m_summary; }
    bool paused() const { return m_paused; }

public slots:
    // Takes an exchange in. Its rows reach the table with the next update, at most
    // kUpdateMs later: one repaint for a few exchanges keeps a busy line cheap to
    // watch. The view follows the newest rows unless the user has scrolled up or
    // paused; while paused the rows are still added and counted (nothing is lost,
    // "保存" has them) but the view stays where it is.
    void addRecord(const rdlink::ExchangeRecord &record);
    // Puts what has come in since the last update into the table now.
    void flush();
    void togglePause();
    void clearRows();
    void save();

signals:
    // True when the window is shown, false when it is hidden or closed: the owner
    // observes the link only while someone looks.
    void monitoringChanged(bool on);

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void updateSummary();

    TrafficModel *m_model;
    std::vector<rdlink::ExchangeRecord> m_pending;
    QTimer *m_updateTimer;
    QTableView *m_view;
    QPushButton *m_pause;
    QPushButton *m_clear;
    QPushButton *m_save;
    QLabel *m_summary;
    QString m_program;
    bool m_paused = false;
    PathAsker m_askPath;
    ErrorReporter m_reportError;
};

} // namespace rdtraffic
