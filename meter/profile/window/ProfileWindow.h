// The window "配置文件": a settings profile and the meter at the window's address.
// "读取" reads the meter into a profile (and offers to save it), "比较" shows
// setting | profile | meter | 相同/不同, "应用" writes the differing settings after
// the user has confirmed them and reports what was written, "逐台调试" commissions
// one meter after another into a CSV record. It shares the main window's link
// worker and port: every exchange is a job, the window never waits on the line.
#pragma once

#include "meter/profile/Commissioning.h"
#include "meter/profile/Profile.h"
#include "meter/profile/ProfileDiff.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <optional>

class OverviewHost;
class Prompter;
class QComboBox;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;

class ProfileWindow : public QWidget {
    Q_OBJECT
public:
    // The host (the main window) must outlive the window; `address` is the one
    // the main window polls.
    ProfileWindow(OverviewHost &host, Prompter &prompter, uint8_t address, QWidget *parent = nullptr);
    ~ProfileWindow() override;

    // Loads a profile file; false (with the message shown) when it is refused.
    bool loadProfile(const QString &path);
    const std::optional<rdprof::Profile> &profile() const { return m_profile; }

    // The buttons.
    void openFile();
    void readMeter();
    void compare();
    void apply();
    void saveFile();
    void startCommissioning();
    void continueCommissioning();
    // "查找第一台": the first new meter connected, looked for at the address in
    // "新仪表地址" at every baud rate and parity; where it answers fills the boxes.
    void findFirstMeter();

    // How the window asks for files (tests replace them): open, save, the record.
    void setOpenAsker(std::function<QString(QWidget *)> ask) { m_askOpen = std::move(ask); }
    void setSaveAsker(std::function<QString(QWidget *, const QString &)> ask) { m_askSave = std::move(ask); }

    QSpinBox *addressBox() const { return m_address; }
    QTableWidget *table() const { return m_table; }
    QPlainTextEdit *targetsEdit() const { return m_targets; }
    QSpinBox *factoryAddressBox() const { return m_factoryAddress; }
    QComboBox *factoryBaudBox() const { return m_factoryBaud; }
    QComboBox *factoryParityBox() const { return m_factoryParity; }
    QListWidget *results() const { return m_results; }
    QLabel *stepLabel() const { return m_step; }
    QPushButton *continueButton() const { return m_continue; }
    int nextTarget() const { return m_nextTarget; }

    // Blocks until the jobs posted so far have run and their results are shown.
    // For tests and measuring tools.
    void waitForLine();

private:
    // A job on the shared worker with the port open at `place`'s line settings;
    // `done` gets what `work` found, on the window's thread.
    template <class Result>
    void post(const rdprof::Place &place, std::function<Result(rdlink::Link &)> work,
              std::function<void(const Result &)> done);
    rdprof::Place place() const;
    void setBusy(bool busy);
    void showRows(const std::vector<rdprof::DiffRow> &rows);
    void showFile();
    void showStep();
    bool confirm(const std::vector<rdprof::DiffRow> &rows);
    void adoptPlace(const rdprof::Place &place);
    std::optional<std::vector<rdprof::Setting>> settings();

    OverviewHost &m_host;
    Prompter &m_prompter;
    std::optional<rdprof::Profile> m_profile;
    QString m_path;
    rdlink::LineSettings m_line;     // where the meter at the address answers
    QLabel *m_file = nullptr;
    QSpinBox *m_address = nullptr;
    QPushButton *m_open = nullptr, *m_read = nullptr, *m_compare = nullptr, *m_apply = nullptr, *m_save = nullptr;
    QTableWidget *m_table = nullptr;
    QPlainTextEdit *m_targets = nullptr;
    QSpinBox *m_factoryAddress = nullptr;
    QComboBox *m_factoryBaud = nullptr;
    QComboBox *m_factoryParity = nullptr;
    QPushButton *m_start = nullptr, *m_continue = nullptr, *m_find = nullptr;
    QLabel *m_step = nullptr;
    QListWidget *m_results = nullptr;
    std::vector<rdprof::Target> m_targetList;
    int m_nextTarget = -1;           // -1: not commissioning
    rdprof::CommissioningRecord m_record;
    int m_posted = 0, m_done = 0;
    std::function<QString(QWidget *)> m_askOpen;
    std::function<QString(QWidget *, const QString &)> m_askSave;
};
