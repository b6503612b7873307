#include "AddrDlg.h"

#include "DialogFields.h"
#include "common/widgets/AccessibleNames.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QCoreApplication>

CAddrDlg::CAddrDlg(Prompter &prompter, QWidget *parent)
    : QDialog(parent), m_prompter(prompter)
{
    setWindowTitle(QCoreApplication::translate("AddrDlg", "更改子机地址"));

    m_edit = new QLineEdit(this);
    auto *row = new QHBoxLayout;
    auto *caption = new QLabel(QCoreApplication::translate("AddrDlg", "更改子机地址："), this);
    rdwidgets::LabelFor(caption, m_edit, QCoreApplication::translate("AddrDlg", "更改子机地址"));
    row->addWidget(caption);
    row->addWidget(m_edit);

    auto *ok = new QPushButton(QCoreApplication::translate("AddrDlg", "确认"), this);
    auto *cancel = new QPushButton(QCoreApplication::translate("AddrDlg", "取消"), this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CAddrDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CAddrDlg::reject);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto *top = new QVBoxLayout(this);
    top->addLayout(row);
    top->addLayout(buttons);
}

void CAddrDlg::loadFields()
{
    m_edit->setText(QString::number(m_address));
}

int CAddrDlg::exec()
{
    loadFields();
    return QDialog::exec();
}

void CAddrDlg::accept()
{
    uint32_t address = 0;
    if (!ReadNumberField(m_edit, 0, 255, m_prompter, this, &address))
        return;
    m_address = static_cast<uint8_t>(address);
    QDialog::accept();
}
