#include "MeterSetDlg.h"

#include "meter/commands/CommandRules.h"
#include "DialogFields.h"
#include "common/widgets/AccessibleNames.h"
#include "common/widgets/RadioChoice.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <QCoreApplication>

QString CMeterSetDlg::WiringText(int code)
{
    static const char *const kTexts[rdcmd::kWiringModes] = {
        QT_TRANSLATE_NOOP("MeterSetDlg", "3相4线(非平衡)"), QT_TRANSLATE_NOOP("MeterSetDlg", "单相2线"), QT_TRANSLATE_NOOP("MeterSetDlg", "3相3线(非平衡)"), QT_TRANSLATE_NOOP("MeterSetDlg", "3相3线(平衡)"), QT_TRANSLATE_NOOP("MeterSetDlg", "单相3线"), QT_TRANSLATE_NOOP("MeterSetDlg", "3相4线(平衡)"),
    };
    return code >= 0 && code < rdcmd::kWiringModes ? QCoreApplication::translate("MeterSetDlg", kTexts[code]) : QString();
}

CMeterSetDlg::CMeterSetDlg(Prompter &prompter, QWidget *parent)
    : QDialog(parent), m_prompter(prompter)
{
    setWindowTitle(QStringLiteral("Dialog"));

    auto *ratios = new QGridLayout;
    m_ptEdit = new QLineEdit(this);
    m_ctEdit = new QLineEdit(this);
    auto *ptLabel = new QLabel(QCoreApplication::translate("MeterSetDlg", "ＰＴ"), this);
    auto *ctLabel = new QLabel(QCoreApplication::translate("MeterSetDlg", "ＣＴ"), this);
    rdwidgets::LabelFor(ptLabel, m_ptEdit);
    rdwidgets::LabelFor(ctLabel, m_ctEdit);
    ratios->addWidget(ptLabel, 0, 0);
    ratios->addWidget(m_ptEdit, 0, 1);
    ratios->addWidget(ctLabel, 1, 0);
    ratios->addWidget(m_ctEdit, 1, 1);

    auto *wiringBox = new QGroupBox(this);
    auto *wiringLayout = new QGridLayout(wiringBox);
    // One exclusive choice: the code follows the checked button however it was
    // checked (mouse, keyboard, a screen reader's action), so "设置" writes the
    // wiring the user sees.
    m_wiringChoice = new rdwidgets::RadioChoice(this, [this](int code) { m_wiringMode = static_cast<uint8_t>(code); });
    for (int code = 0; code < rdcmd::kWiringModes; ++code) {
        m_wiring[code] = new QRadioButton(WiringText(code), wiringBox);
        m_wiringChoice->add(m_wiring[code], code);
        wiringLayout->addWidget(m_wiring[code], code / 2, code % 2);
    }

    auto *ok = new QPushButton(QCoreApplication::translate("MeterSetDlg", "设置"), this);
    auto *cancel = new QPushButton(QCoreApplication::translate("MeterSetDlg", "退出"), this);
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
    // An unknown code leaves all six clear.
    m_wiringChoice->show(m_wiringMode);
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
