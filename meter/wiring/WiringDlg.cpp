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
    auto *note = new QLabel(QCoreApplication::translate("WiringDlg", "仪表不提供相角：电压按 A 0°、B -120°、C +120° 画出，各相电流画在其电压角减去 "
                               "φ = atan2(Q, P) 处（φ 为正表示电流滞后）；长度按最大电压和最大电流缩放。"),
                            this);
    note->setWordWrap(true);

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
    layout->addWidget(note);
    layout->addWidget(buttons);
    resize(820, 560);
}

void WiringDlg::addReading(const rdacq::Reading &reading)
{
    m_diagnosis = rddiag::Diagnose(reading.values, reading.wiringMode);
    const rddiag::Diagnosis &d = *m_diagnosis;
    m_mode->setText(QCoreApplication::translate("WiringDlg", "接线方式：%1　读数时间 %2")
                        .arg(rddiag::WiringModeText(reading.wiringMode), reading.time.toString(QStringLiteral("HH:mm:ss"))));
    m_diagram->setPhasors(d.phasors);

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
