#include "WiringDlg.h"

#include "common/widgets/AccessibleNames.h"
#include "common/widgets/ValueLabel.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QColor LevelColour(rddiag::Level level)
{
    switch (level) {
    case rddiag::Level::Error: return QColor(0xB0, 0x00, 0x00);
    case rddiag::Level::Warning: return QColor(0x9A, 0x5A, 0x00);
    case rddiag::Level::Hint: break;
    }
    return QColor(0x20, 0x20, 0x20);
}

QString FourWireNote()
{
    return QCoreApplication::translate("WiringDlg", "仪表不提供相角：电压按 A 0°、B -120°、C +120° 画出，各相电流画在其电压角减去 "
                                                    "φ = atan2(Q, P) 处（φ 为正表示电流滞后）；长度按最大电压和最大电流缩放。");
}

// A 3-wire meter has two elements; the angles it reports are theirs, not the load's.
QString ThreeWireNote()
{
    return QCoreApplication::translate("WiringDlg", "3相3线：仪表只有两个元件，A 元件测 IA 对 UAB（画在 +30°），C 元件测 IC 对 UCB"
                                                    "（画在 +90°），电流画在其元件电压角减去 φ 处。图中和图例的 φ 是元件自身的角：平衡负载时 "
                                                    "A 元件比负载角大 30°，C 元件小 30°，检查先去掉这 ±30° 再比较。B 相没有电流互感器，不画也不检查。");
}

} // namespace

WiringDlg::WiringDlg(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QCoreApplication::translate("WiringDlg", "接线检查"));
    setModal(false);
    setSizeGripEnabled(true);

    m_mode = new rdwidgets::ValueLabel(QCoreApplication::translate("WiringDlg", "接线方式"), this, QCoreApplication::translate("WiringDlg", "接线方式：尚无读数"));
    m_diagram = new PhasorDiagram(this);

    auto *findingsLabel = new QLabel(QCoreApplication::translate("WiringDlg", "检查结果"), this);
    m_findings = new QListWidget(this);
    m_findings->setWordWrap(true);
    m_findings->setMinimumWidth(300);
    rdwidgets::LabelFor(findingsLabel, m_findings);
    m_findings->addItem(QCoreApplication::translate("WiringDlg", "尚无读数：请在主窗口按“运行”开始轮询"));

    // The meter measures magnitudes and powers, not angles: say how the diagram is drawn.
    m_note = new QLabel(FourWireNote(), this);
    m_note->setWordWrap(true);

    auto *right = new QVBoxLayout;
    right->addWidget(findingsLabel);
    right->addWidget(m_findings, 1);
    auto *body = new QHBoxLayout;
    body->addWidget(m_diagram, 3);
    body->addLayout(right, 2);

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *close = buttons->addButton(QCoreApplication::translate("WiringDlg", "关闭"), QDialogButtonBox::RejectRole);
    rdwidgets::SetCaption(close, close->text());
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_mode);
    layout->addLayout(body, 1);
    layout->addWidget(m_note);
    layout->addWidget(buttons);
    resize(820, 560);
}

void WiringDlg::addReading(const rdacq::Reading &reading)
{
    m_diagnosis = rddiag::Diagnose(reading.values, reading.wiringMode, reading.ptRatio, reading.ctRatio);
    const rddiag::Diagnosis &d = *m_diagnosis;
    m_mode->setText(QCoreApplication::translate("WiringDlg", "接线方式：%1　读数时间 %2")
                        .arg(rddiag::WiringModeText(reading.wiringMode), reading.time.toString(QStringLiteral("HH:mm:ss"))));
    m_diagram->setPhasors(d.phasors);
    const QString note = rddiag::ScopeOf(reading.wiringMode) == rddiag::WiringScope::ThreePhaseThreeWire ? ThreeWireNote() : FourWireNote();
    if (m_note->text() != note)
        m_note->setText(note);

    // Lines change in place while their number stays, so that a screen reader
    // reading the list line by line keeps its place as the numbers move on.
    QStringList lines;
    for (const rddiag::Finding &f : d.findings)
        lines << rddiag::FindingLine(f);
    if (d.findings.empty())
        lines << QCoreApplication::translate("WiringDlg", "未发现接线问题");
    for (const QString &n : d.notes)
        lines << QCoreApplication::translate("WiringDlg", "说明：%1").arg(n);
    // Rows are added or taken at the end, never all cleared: a reset list leaves
    // a screen reader's cached rows without their text.
    while (m_findings->count() > lines.size())
        delete m_findings->takeItem(m_findings->count() - 1);
    while (m_findings->count() < lines.size())
        m_findings->addItem(lines[m_findings->count()]);
    for (int i = 0; i < lines.size(); ++i) {
        QListWidgetItem *item = m_findings->item(i);
        if (item->text() != lines[i])
            item->setText(lines[i]);
        item->setForeground(i < int(d.findings.size()) ? LevelColour(d.findings[size_t(i)].level)
                                                      : LevelColour(rddiag::Level::Hint));
    }
}
