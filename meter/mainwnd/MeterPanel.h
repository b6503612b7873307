// The controls of the main window, laid out as a fixed-size panel. The twelve
// lamps sit at their fixed pixel positions beside their captions. Every box,
// lamp, list and bar carries an accessible name made of the captions that label
// it (blanks removed, the column or group first), by the rule written in
// common/widgets/AccessibleNames.h.
#pragma once

#include <array>

class CHarmonicChart;
class CLamp;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QWidget;

struct MeterPanel {
    static constexpr int kWidth = 760;
    static constexpr int kHeight = 760;

    // "基本数据": [row][column], rows phase voltage .. power factor, columns
    // combined, A/CA, B/AB, C/BC; the frequency box sits in the combined column.
    std::array<std::array<QLineEdit *, 4>, 7> grid{};
    QLineEdit *frequency = nullptr;
    std::array<QLineEdit *, 4> energy{};        // 正向有功, 负向有功, 正向无功, 负向无功
    std::array<CLamp *, 12> lamps{};            // DI1..DI6, E2 .. K2_3#
    std::array<QLineEdit *, 6> counters{};      // 计数 DI1..DI6
    std::array<QLineEdit *, 6> relays{};        // DO1 .. DO6

    QLineEdit *pulseWidth = nullptr;            // "脉冲宽度", read-only until "修改"
    QPushButton *pulseModify = nullptr;         // "修改"
    QPushButton *pulseWrite = nullptr;          // "写入"

    QComboBox *harmonicItem = nullptr;          // "选择谐波项目"
    QLineEdit *fundamental = nullptr;           // "基波值"
    QProgressBar *fundamentalBar = nullptr;     // the fundamental against its scale
    std::array<QLabel *, 6> scaleLabels{};      // the bar's scale, left to right
    CHarmonicChart *chart = nullptr;            // orders 2 to 19

    QLineEdit *slaveAddress = nullptr;          // "子机地址"
    QLabel *successRate = nullptr;              // "通讯成功率"
    QLabel *attemptCount = nullptr;             // "总次数", hidden
    QLabel *silence = nullptr;                  // "地址 N 无应答", beside the rate
    QPlainTextEdit *status = nullptr;           // port, baud rate, parity

    QPushButton *search = nullptr;              // "轮询地址"
    QPushButton *changeAddress = nullptr;       // "更改子机地址"
    QPushButton *runStop = nullptr;             // "运行" / "停止"
    QPushButton *commSettings = nullptr;        // "通讯设置"
    QPushButton *meterSettings = nullptr;       // "仪表设置"
    QPushButton *moduleSettings = nullptr;      // "模块设置"
    QPushButton *help = nullptr;                // "使用说明"
    QPushButton *exit = nullptr;                // "退  出"
    QPushButton *accuracy = nullptr;            // hidden; its caption is the accuracy class
    QLineEdit *sentTrace = nullptr;             // the last frame sent, hidden

    // Creates every control on `window` and sizes it.
    void Build(QWidget *window);
};
