#include "MeterPanel.h"

#include "HarmonicChart.h"
#include "Lamp.h"
#include "common/widgets/AccessibleNames.h"
#include "common/widgets/FrameCache.h"
#include "common/widgets/ReadOnlyShade.h"
#include "common/widgets/ValueLabel.h"
#include "meter/acquisition/Harmonics.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QCoreApplication>

namespace {

// Lamp positions in the window's client area: DI1..DI6, then the modules.
const int kLampX[12] = {48, 78, 105, 133, 160, 190, 368, 426, 481, 538, 586, 636};
const int kLampY[12] = {392, 392, 392, 392, 392, 392, 30, 30, 30, 30, 30, 30};
const char *const kLampCaptions[12] = {"DI1", "DI2", "DI3", "DI4", "DI5", "DI6",
                                       "E2", "A20_1#", "A20_2#", "K2_1#", "K2_2#", "K2_3#"};

QLabel *Label(const QString &text, QWidget *parent, const QRect &geometry,
              Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter)
{
    auto *label = new QLabel(text, parent);
    label->setGeometry(geometry);
    label->setAlignment(align);
    return label;
}

QLineEdit *Box(QWidget *parent, const QRect &geometry, const QString &name, bool readOnly = true)
{
    auto *edit = new QLineEdit(parent);
    edit->setGeometry(geometry);
    edit->setReadOnly(readOnly);
    // Opaque, so that a box whose text changes is repainted alone: otherwise the
    // group box behind it is repainted too, and Fusion draws a group box from a
    // scaled pixmap, which cost twice the box's own painting at every reading.
    // Only the box's four rounded corners change: they take the window's colour
    // instead of the group box's faint tint (3 levels in 255 apart).
    edit->setBackgroundRole(QPalette::Window);
    edit->setAutoFillBackground(true);
    edit->setAccessibleName(name);
    return edit;
}

QPushButton *Button(const QString &text, QWidget *parent, const QRect &geometry)
{
    auto *button = new QPushButton(parent);
    rdwidgets::SetCaption(button, text);
    button->setGeometry(geometry);
    button->setAutoDefault(false);
    return button;
}

QGroupBox *Group(const QString &title, QWidget *parent, const QRect &geometry)
{
    auto *group = new QGroupBox(title, parent);
    group->setGeometry(geometry);
    group->setAccessibleName(title);
    return group;
}

} // namespace

void MeterPanel::Build(QWidget *w)
{
    w->setFixedSize(kWidth, kHeight);

    // Top row: slave address, success rate, module lamps with their captions.
    auto *addressCaption = Label(QCoreApplication::translate("MeterPanel", "子机地址"), w, QRect(10, 30, 56, 20));
    slaveAddress = Box(w, QRect(68, 28, 44, 22), QCoreApplication::translate("MeterPanel", "子机地址"), false);
    rdwidgets::LabelFor(addressCaption, slaveAddress);
    // Only whole numbers 0 to 255 can be typed.
    slaveAddress->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]{0,2}|[01][0-9]{2}|2[0-4][0-9]|25[0-5]")), slaveAddress));
    Label(QCoreApplication::translate("MeterPanel", "通讯成功率"), w, QRect(124, 30, 70, 20));
    // The rate is a value beside its caption: named by the caption, read as a value.
    successRate = new rdwidgets::ValueLabel(QCoreApplication::translate("MeterPanel", "通讯成功率"), w);
    successRate->setGeometry(196, 30, 52, 20);
    successRate->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    successRate->setFrameShape(QFrame::Panel);
    successRate->setFrameShadow(QFrame::Sunken);
    Label(QStringLiteral("%"), w, QRect(250, 30, 14, 20));
    auto *attemptsCaption = Label(QCoreApplication::translate("MeterPanel", "总次数"), w, QRect(270, 30, 40, 20));
    attemptsCaption->hide();
    attemptCount = new rdwidgets::ValueLabel(QCoreApplication::translate("MeterPanel", "总次数"), w);
    attemptCount->setGeometry(312, 30, 40, 20);
    attemptCount->hide();
    // Says when the polled address has answered nothing for a few ticks; empty
    // otherwise. Its text is its accessible name, so a screen reader reads it.
    silence = Label(QString(), w, QRect(268, 30, 96, 20));
    silence->setStyleSheet(QStringLiteral("color: #b00000"));

    // "基本数据": column headings, row labels, a grid of read-only boxes.
    auto *basic = Group(QCoreApplication::translate("MeterPanel", "基本数据"), w, QRect(10, 58, 540, 270));
    const QString columns[4] = {QCoreApplication::translate("MeterPanel", "  合相"), QCoreApplication::translate("MeterPanel", "A相/CA线"),
                                QCoreApplication::translate("MeterPanel", "B相/AB线"), QCoreApplication::translate("MeterPanel", "C相/BC线")};
    const QString rows[8] = {QCoreApplication::translate("MeterPanel", "相 电 压"), QCoreApplication::translate("MeterPanel", "线 电 压"),
                             QCoreApplication::translate("MeterPanel", "相 电 流"), QCoreApplication::translate("MeterPanel", "有功功率"),
                             QCoreApplication::translate("MeterPanel", "无功功率"), QCoreApplication::translate("MeterPanel", "视在功率"),
                             QCoreApplication::translate("MeterPanel", "功率因数"), QCoreApplication::translate("MeterPanel", "频    率")};
    for (int c = 0; c < 4; ++c)
        Label(columns[c], basic, QRect(85 + 112 * c, 20, 106, 18), Qt::AlignCenter);
    for (int r = 0; r < 8; ++r) {
        const int y = 42 + 27 * r;
        Label(rows[r], basic, QRect(10, y, 70, 22));
        const int count = r < 7 ? 4 : 1;
        for (int c = 0; c < count; ++c) {
            QLineEdit *box = Box(basic, QRect(85 + 112 * c, y, 106, 22),
                                 rdwidgets::CaptionName(columns[c], rows[r]));
            if (r < 7)
                grid[r][c] = box;
            else
                frequency = box;
        }
    }

    // "电能数据".
    auto *energyGroup = Group(QCoreApplication::translate("MeterPanel", "电能数据"), w, QRect(560, 58, 190, 270));
    const QString energyCaptions[4] = {QCoreApplication::translate("MeterPanel", "正向有功电能"), QCoreApplication::translate("MeterPanel", "负向有功电能"),
                                       QCoreApplication::translate("MeterPanel", "正向无功电能"), QCoreApplication::translate("MeterPanel", "负向无功电能")};
    for (int i = 0; i < 4; ++i) {
        auto *caption = Label(energyCaptions[i], energyGroup, QRect(10, 22 + 62 * i, 170, 18));
        energy[i] = Box(energyGroup, QRect(10, 42 + 62 * i, 170, 22), energyCaptions[i]);
        rdwidgets::LabelFor(caption, energy[i]);
    }

    // "遥信部分": input state lamps (painted at fixed positions) and the counters.
    auto *inputs = Group(QCoreApplication::translate("MeterPanel", "遥信部分"), w, QRect(10, 336, 360, 140));
    Label(QCoreApplication::translate("MeterPanel", "状"), w, QRect(22, 380, 16, 16), Qt::AlignCenter);
    Label(QCoreApplication::translate("MeterPanel", "态"), w, QRect(22, 398, 16, 16), Qt::AlignCenter);
    Label(QCoreApplication::translate("MeterPanel", "计"), w, QRect(22, 432, 16, 16), Qt::AlignCenter);
    Label(QCoreApplication::translate("MeterPanel", "数"), w, QRect(22, 450, 16, 16), Qt::AlignCenter);
    for (int j = 0; j < 6; ++j) {
        const QString di = QStringLiteral("DI%1").arg(j + 1);
        auto *caption = Label(di, w, QRect(44 + 54 * j, 422, 50, 16), Qt::AlignCenter);
        counters[j] = Box(w, QRect(44 + 54 * j, 440, 50, 22), QCoreApplication::translate("MeterPanel", "计数 ") + di);
        rdwidgets::LabelFor(caption, counters[j], counters[j]->accessibleName());
    }
    Q_UNUSED(inputs);

    // "继电器输出状态".
    auto *relayGroup = Group(QCoreApplication::translate("MeterPanel", "继电器输出状态"), w, QRect(380, 336, 180, 140));
    const QString relayCaptions[6] = {QStringLiteral("DO1"), QStringLiteral("DO2#"), QStringLiteral("DO3"),
                                      QStringLiteral("DO4"), QStringLiteral("DO5"), QStringLiteral("DO6")};
    for (int i = 0; i < 6; ++i) {
        const int x = 8 + 57 * (i % 3);
        const int y = 36 + 50 * (i / 3);
        auto *caption = Label(relayCaptions[i], relayGroup, QRect(x, y, 32, 22));
        relays[i] = Box(relayGroup, QRect(x + 32, y, 22, 22), relayCaptions[i]);
        rdwidgets::LabelFor(caption, relays[i]);
        relays[i]->setAlignment(Qt::AlignCenter);
    }

    // Pulse width and the link status.
    auto *pulseCaption = Label(QCoreApplication::translate("MeterPanel", "脉冲宽度"), w, QRect(570, 340, 56, 20));
    pulseWidth = Box(w, QRect(628, 338, 48, 22), QCoreApplication::translate("MeterPanel", "脉冲宽度"));
    rdwidgets::LabelFor(pulseCaption, pulseWidth);
    Label(QStringLiteral("(ms)"), w, QRect(680, 340, 40, 20));
    pulseModify = Button(QCoreApplication::translate("MeterPanel", "修改"), w, QRect(570, 366, 86, 26));
    pulseWrite = Button(QCoreApplication::translate("MeterPanel", "写入"), w, QRect(664, 366, 86, 26));
    status = new QPlainTextEdit(w);
    status->setGeometry(570, 396, 180, 94);
    status->setReadOnly(true);
    status->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    status->setAccessibleName(QCoreApplication::translate("MeterPanel", "通讯状态"));

    // Harmonics: item, fundamental, the fundamental bar with its scale, the chart.
    auto *itemCaption = Label(QCoreApplication::translate("MeterPanel", "选择谐波项目:"), w, QRect(12, 492, 88, 20));
    harmonicItem = new QComboBox(w);
    harmonicItem->setGeometry(100, 490, 62, 22);
    harmonicItem->setEditable(true);
    harmonicItem->setInsertPolicy(QComboBox::NoInsert);
    harmonicItem->addItems(rdacq::HarmonicItemTexts());
    rdwidgets::LabelFor(itemCaption, harmonicItem, QCoreApplication::translate("MeterPanel", "选择谐波项目"));
    auto *fundamentalCaption = Label(QCoreApplication::translate("MeterPanel", "基波值"), w, QRect(172, 492, 44, 20));
    fundamental = Box(w, QRect(216, 490, 76, 22), QCoreApplication::translate("MeterPanel", "基波值"));
    rdwidgets::LabelFor(fundamentalCaption, fundamental);
    Label(QCoreApplication::translate("MeterPanel", "(A或V)"), w, QRect(296, 492, 50, 20));

    // The tick row is set in a fixed-pitch font so that the bar and the scale
    // labels can be placed under its ticks.
    const QString ticks = QStringLiteral("|    |    |    |    |    |");
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPointSize(9);
    const QFontMetrics fm(fixed);
    const int tickLeft = 356;
    auto *tickRow = Label(ticks, w, QRect(tickLeft, 510, fm.horizontalAdvance(ticks) + 2, 14));
    tickRow->setFont(fixed);
    int tickX[6];
    for (int i = 0, k = 0; i < ticks.size(); ++i) {
        if (ticks[i] == QLatin1Char('|'))
            tickX[k++] = tickLeft + fm.horizontalAdvance(ticks.left(i)) + fm.horizontalAdvance(QLatin1Char('|')) / 2;
    }
    fundamentalBar = new QProgressBar(w);
    fundamentalBar->setGeometry(tickX[0], 494, tickX[5] - tickX[0] + 1, 14);
    fundamentalBar->setTextVisible(false);
    fundamentalBar->setRange(0, 1);
    fundamentalBar->setValue(0);
    fundamentalBar->setAccessibleName(QCoreApplication::translate("MeterPanel", "基波值 棒"));
    for (int i = 0; i < 6; ++i) {
        scaleLabels[i] = Label(QString(), w, QRect(tickX[i] - 17, 524, 34, 14), Qt::AlignCenter);
        QFont small = scaleLabels[i]->font();
        small.setPointSize(8);
        scaleLabels[i]->setFont(small);
    }
    chart = new CHarmonicChart(w);
    chart->setGeometry(10, 542, 550, 208);
    chart->setAccessibleName(QCoreApplication::translate("MeterPanel", "谐波含量"));
    // The drawing area takes the focus; it carries the chart's name.
    chart->viewport()->setAccessibleName(chart->accessibleName());

    // Buttons.
    const QString buttonTexts[8] = {QCoreApplication::translate("MeterPanel", "运行"), QCoreApplication::translate("MeterPanel", "轮询地址"),
                                    QCoreApplication::translate("MeterPanel", "更改子机地址"), QCoreApplication::translate("MeterPanel", "通讯设置"),
                                    QCoreApplication::translate("MeterPanel", "仪表设置"), QCoreApplication::translate("MeterPanel", "模块设置"),
                                    QCoreApplication::translate("MeterPanel", "使用说明"), QCoreApplication::translate("MeterPanel", "退  出")};
    QPushButton **buttons[8] = {&runStop, &search, &changeAddress, &commSettings,
                                &meterSettings, &moduleSettings, &help, &exit};
    for (int i = 0; i < 8; ++i)
        *buttons[i] = Button(buttonTexts[i], w, QRect(580, 496 + 32 * i, 170, 28));

    // Hidden controls that something still writes.
    accuracy = Button(QCoreApplication::translate("MeterPanel", "修改精度"), w, QRect(580, 10, 80, 20));
    accuracy->hide();
    sentTrace = Box(w, QRect(580, 10, 160, 20), QCoreApplication::translate("MeterPanel", "发送帧:"));
    sentTrace->hide();

    // The lamps last, so that they lie above the group frames; each caption is
    // centred over its lamp.
    for (int i = 0; i < 12; ++i) {
        const QString caption = QString::fromLatin1(kLampCaptions[i]);
        lamps[i] = new CLamp(caption, w);
        lamps[i]->move(kLampX[i], kLampY[i]);
        const int width = i < 6 ? 26 : 48;
        Label(caption, w, QRect(kLampX[i] + CLamp::kSize / 2 - width / 2, kLampY[i] - 18, width, 16),
              Qt::AlignCenter);
        lamps[i]->raise();
    }

    // Read-only boxes in the dialog colour, writable ones white; the pulse width
    // follows "修改" and "写入".
    rdwidgets::ShadeReadOnlyBoxes(w);
    // About thirty boxes change at every reading: their frames come from a cache.
    rdwidgets::CacheLineEditFrames(w);
}
