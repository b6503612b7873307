#include "HelpDlg.h"

#include "ExtrasBar.h"

#include <QKeySequence>
#include "common/widgets/WindowPlacement.h"

#include <QLabel>
#include <QScrollArea>
#include <QStyle>
#include <QPushButton>
#include <QCoreApplication>

namespace {

QString Key(const char *key)
{
    return QKeySequence(QString::fromLatin1(key)).toString(QKeySequence::NativeText);
}

} // namespace

QStringList CHelpDlg::Lines()
{
    return {
        QCoreApplication::translate("HelpDlg", "本演示程序是供带有开关控制模块的RD5800检测仪表使用的。仪表可带3个模块(现在仅有第一模块)，"),
        QCoreApplication::translate("HelpDlg", "每个模块有两组继电器和两组开关量。两种继电器的控制方式又有两种：遥控和自控。"),
        QCoreApplication::translate("HelpDlg", "1. 继电器OUT1的控制设置"),
        QCoreApplication::translate("HelpDlg", "在模块控制对话框中，按\"修改\"  所有框都变得可输入，首先选择控制方式，当选择\"遥控\"时，不用在上  "),
        QCoreApplication::translate("HelpDlg", "限值、下限值、回差值、定时值框中输入变量值，只需在状态栏中选择\"常开\"或者\"常闭\"；当选择非\"遥控\""),
        QCoreApplication::translate("HelpDlg", "时，要在上限值、下限值、回差值、定时值框中输入变量值，不用在状态栏中选择；最后，按\"确认\"，程序"),
        QCoreApplication::translate("HelpDlg", "程序30秒后会稳定在所设值状态。 继电器的输出状态在主界面中的继电器输出状态显示框中给出。"),
        QCoreApplication::translate("HelpDlg", "其它继电器OUTn 的控制设置与OUT1的相同。"),
        QCoreApplication::translate("HelpDlg", "2. 脉冲宽度设置"),
        QCoreApplication::translate("HelpDlg", "在主界面中, 按\"修改\"可在脉冲宽度编辑框中输入以ms计的宽度值, 再按\"写入\"就更新了仪表的脉冲宽度"),
        QCoreApplication::translate("HelpDlg", "值了。平时编辑框中显示的总是最新的脉冲宽度值。"),
        QCoreApplication::translate("HelpDlg", "3. 关于开关量"),
        QCoreApplication::translate("HelpDlg", "在主界面中，\"状态\"处有6个显示框，前面、中间和后面各2个分别为第一、第二、第三模块的2个开关"),
        QCoreApplication::translate("HelpDlg", "状态显示框，其计数分别显示在\"计数\"处的6个显示框中。"),
        QCoreApplication::translate("HelpDlg", "4. 关于谐波显示"),
        QCoreApplication::translate("HelpDlg", "仪表提供了I1、I2、I3、U1、U2、U3   6个电参量的19次谐波。本演示程序给出了上面 6个电参量的19次"),
        QCoreApplication::translate("HelpDlg", "谐波的百分比含量棒形图， 各自的基波在项目选择的右边给出。电流和大于100伏的电压给出了棒形条。"),
        QCoreApplication::translate("HelpDlg", "4. 关于模块设置的进入操作"),
        QCoreApplication::translate("HelpDlg", "无论\"运行/停止\"按钮处在什么提示状态,  都可以进入模块设置界面,   退出设置界面后要按一下\"运行/停止\"按钮."),
        QCoreApplication::translate("HelpDlg", "按钮,   恢复正常通讯."),
        // Added to the original notes: the poll takes a new address only after a
        // good reply, which a user meets as an address that "does not take".
        QCoreApplication::translate("HelpDlg", "5. 关于子机地址"),
        QCoreApplication::translate("HelpDlg", "轮询中新输入的子机地址在仪表应答后才生效; 正在轮询的地址不应答时, 请先按\"停止\", 再按\"运行\"。"),
        // The strip below the panel, the overview and the gateways.
        QCoreApplication::translate("HelpDlg", "6. 主界面下方的按钮与快捷键"),
        QCoreApplication::translate("HelpDlg", "\"通讯监视\" %1, \"记录数据\" %2, \"趋势图\" %3, \"总览\" %4, \"接线检查\" %5, \"配置文件\" %6, \"快速刷新\" %7。")
            .arg(Key(StripKeys::kMonitor), Key(StripKeys::kRecord), Key(StripKeys::kTrend),
                 Key(StripKeys::kOverview), Key(StripKeys::kWiring), Key(StripKeys::kProfile),
                 Key(StripKeys::kFastRefresh)),
        QCoreApplication::translate("HelpDlg", "\"总览\": 总线上全部仪表一览; \"扫描总线\" 找出应答的仪表, 双击一行或按回车由主界面轮询该仪表。"),
        QCoreApplication::translate("HelpDlg", "\"接线检查\": 按轮询到的电压、电流和功率检查接线 (相序、电流方向、缺相), 并画出相量图。"),
        QCoreApplication::translate("HelpDlg", "7. 以太网网关"),
        QCoreApplication::translate("HelpDlg", "端口也可以是网关: --port tcp://主机:端口 (透明网关) 或 modbus-tcp://主机:端口, 例如 modbus-tcp://192.168.1.20:502。"),
    };
}

CHelpDlg::CHelpDlg(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QCoreApplication::translate("HelpDlg", "使用说明"));
    QFont textFont = font();
    textFont.setFamilies({QStringLiteral("Times New Roman"), QStringLiteral("SimSun"),
                          QStringLiteral("WenQuanYi Zen Hei")});
    setFont(textFont);

    // The notes sit on a page; the window shows all of it, or scrolls it on a
    // screen too low for it (fitToScreen).
    m_page = new QWidget;
    const QStringList lines = Lines();
    int y = 12;
    int width = 0;
    for (const QString &line : lines) {
        auto *label = new QLabel(line, m_page);
        label->setTextFormat(Qt::PlainText);
        label->setAccessibleName(line);
        label->adjustSize();
        label->move(14, y);
        width = qMax(width, label->width());
        y += label->height() + 6;
    }
    // The template's OK button exists but is hidden; "退出" closes the window.
    auto *ok = new QPushButton(QStringLiteral("OK"), m_page);
    ok->setAccessibleName(ok->text());
    ok->hide();
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto *quit = new QPushButton(QCoreApplication::translate("HelpDlg", "退出"), m_page);
    quit->setAccessibleName(quit->text());
    quit->setGeometry(14 + width / 2 - 45, y + 4, 90, 28);
    connect(quit, &QPushButton::clicked, this, &QDialog::reject);
    m_page->setFixedSize(width + 28, y + 44);

    m_scroll = new QScrollArea(this);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setAccessibleName(windowTitle());   // a screen reader meets it when it scrolls
    m_scroll->setWidget(m_page);
    fitToScreen(QRect(QPoint(0, 0), m_page->size().grownBy(rdwidgets::kAssumedFrame)));
}

void CHelpDlg::fitToScreen(const QRect &available)
{
    const QSize size = rdwidgets::FitContent(m_page->size(), rdwidgets::kAssumedFrame, available,
                                             style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    // Scroll bars only where the page is cut.
    const bool cut = size != m_page->size();
    m_scroll->setVerticalScrollBarPolicy(cut ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    m_scroll->setHorizontalScrollBarPolicy(cut ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    m_scroll->setGeometry(QRect(QPoint(0, 0), size));
    setFixedSize(size);
}
