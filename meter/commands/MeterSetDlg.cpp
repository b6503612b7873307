#include "MeterSetDlg.h"

#include "CommandRules.h"
#include "DialogFields.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

QString CMeterSetDlg::WiringText(int code)
{
    static const char *const kTexts[rdcmd::kWiringModes] = {
        "3相4线(非平衡)", "单相2线", "3相3线(非平衡)", "3相3线(平衡)", "单相3线", "3相4线(平衡)",
    };
    return code >= 0 && code < rdcmd::kWiringModes ? QString::fromUtf8(kTexts[code]) : QString();
}

CMeterSetDlg::CMeterSetDlg(Prompter &prompter, QWidget *parent)
    : QDialog(parent), m_prompter(prompter)
{
    setWindowTitle(QStringLiteral("Dialog"));

    auto *ratios = new QGridLayout;
    m_ptEdit = new QLineEdit(this);
    m_ctEdit = new QLineEdit(this);
    ratios->addWidget(new QLabel(QStringLiteral("ＰＴ"), this), 0, 0);
    ratios->addWidget(m_ptEdit, 0, 1);
    ratios->addWidget(new QLabel(QStringLiteral("ＣＴ"), this), 1, 0);
    ratios->addWidget(m_ctEdit, 1, 1);

    auto *wiringBox = new QGroupBox(this);
    auto *wiringLayout = new QGridLayout(wiringBox);
    m_wiringGroup = new QButtonGroup(this);
    m_wiringGroup->setExclusive(false);   // so that an unknown code can leave all six clear
    for (int code = 0; code < rdcmd::kWiringModes; ++code) {
        m_wiring[code] = new QRadioButton(WiringText(code), wiringBox);
        m_wiring[code]->setAutoExclusive(false);
        m_wiringGroup->addButton(m_wiring[code], code);
        wiringLayout->addWidget(m_wiring[code], code / 2, code % 2);
    }
    // A click checks its button, clears the other five and takes its code.
    connect(m_wiringGroup, &QButtonGroup::idClicked, this, [this](int code) {
        for (int i = 0; i < rdcmd::kWiringModes; ++i)
            m_wiring[i]->setChecked(i == code);
        m_wiringMode = static_cast<uint8_t>(code);
    });

    auto *ok = new QPushButton(QStringLiteral("设置"), this);
    auto *cancel = new QPushButton(QStringLiteral("退出"), this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CMeterSetDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CMeterSetDlg::reject);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto *top = new QVBoxLayout(this);
    top->addLayout(ratios);
    top->addWidget(wiringBox);
    top->addLayout(buttons);
}

void CMeterSetDlg::loadFields()
{
    m_ptEdit->setText(QString::number(m_ptRatio));
    m_ctEdit->setText(QString::number(m_ctRatio));
    for (int i = 0; i < rdcmd::kWiringModes; ++i)
        m_wiring[i]->setChecked(i == m_wiringMode);
}

int CMeterSetDlg::exec()
{
    loadFields();
    return QDialog::exec();
}

void CMeterSetDlg::accept()
{
    uint32_t pt = 0;
    uint32_t ct = 0;
    if (!ReadNumberField(m_ptEdit, rdcmd::kRatioMin, rdcmd::kRatioMax, m_prompter, this, &pt))
        return;
    if (!ReadNumberField(m_ctEdit, rdcmd::kRatioMin, rdcmd::kRatioMax, m_prompter, this, &ct))
        return;
    m_ptRatio = pt;
    m_ctRatio = ct;
    QDialog::accept();
}
