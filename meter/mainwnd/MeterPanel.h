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

    QLineEdit *pulseWidth = nullptr;            // 1082
    QPushButton *pulseModify = nullptr;         // 1070 "修改"
    QPushButton *pulseWrite = nullptr;          // 1071 "写入"

    QComboBox *harmonicItem = nullptr;          // 1088
    QLineEdit *fundamental = nullptr;           // 1078
    QProgressBar *fundamentalBar = nullptr;     // 1124
    std::array<QLabel *, 6> scaleLabels{};      // 1126, 1119, 1125, 1123, 1114, 1117
    CHarmonicChart *chart = nullptr;            // 1122

    QLineEdit *slaveAddress = nullptr;          // 1061
    QLabel *successRate = nullptr;              // 1116
    QLabel *attemptCount = nullptr;             // 1115, hidden
    QPlainTextEdit *status = nullptr;           // 1057

    QPushButton *search = nullptr;              // 1062 "轮询地址"
    QPushButton *changeAddress = nullptr;       // 1007 "更改子机地址"
    QPushButton *runStop = nullptr;             // 1063 "运行" / "停止"
    QPushButton *commSettings = nullptr;        // 1004 "通讯设置"
    QPushButton *meterSettings = nullptr;       // 1006 "仪表设置"
    QPushButton *moduleSettings = nullptr;      // 1094 "模块设置"
    QPushButton *help = nullptr;                // 1095 "使用说明"
    QPushButton *exit = nullptr;                // "退  出"
    QPushButton *accuracy = nullptr;            // 1009, hidden; caption is the accuracy class
    QLineEdit *sentTrace = nullptr;             // 1021, hidden

    // Creates every control on `window` and sizes it.
    void Build(QWidget *window);
};
