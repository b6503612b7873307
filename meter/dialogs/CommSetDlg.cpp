#include "CommSetDlg.h"

#include "meter/app/PortNumber.h"
#include "common/widgets/Prompter.h"
#include "common/widgets/AccessibleNames.h"
#include "common/widgets/RadioChoice.h"
#include "common/widgets/ValueLabel.h"
#include "link/PortName.h"
#include "link/QtSerialPort.h"

#include <QGroupBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>

#include <algorithm>
#include <iterator>
#include <QCoreApplication>

namespace {

const int kBaudRates[5] = {1200, 2400, 4800, 9600, 19200};

QRadioButton *MakeRadio(const QString &text, QWidget *parent, const QRect &geometry)
{
    auto *radio = new QRadioButton(text, parent);
    radio->setGeometry(geometry);
    radio->setAccessibleName(text);
    return radio;
}

} // namespace

CCommSetDlg::CCommSetDlg(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QCoreApplication::translate("CommSetDlg", "通讯设置"));
    setFixedSize(330, 250);

    auto *baudGroup = new QGroupBox(QCoreApplication::translate("CommSetDlg", "波特率"), this);
    baudGroup->setGeometry(10, 8, 150, 160);
    baudGroup->setAccessibleName(QCoreApplication::translate("CommSetDlg", "波特率"));
    // Each group is one exclusive choice; the field follows the checked button
    // whether it was clicked, reached with the arrow keys or chosen by a screen reader.
    m_baudChoice = new rdwidgets::RadioChoice(this, [this](int i) { m_baudRate = kBaudRates[i]; });
    for (int i = 0; i < 5; ++i) {
        m_baud[i] = MakeRadio(QStringLiteral("%1bps").arg(kBaudRates[i]), baudGroup,
                              QRect(15, 22 + 26 * i, 120, 22));
        m_baudChoice->add(m_baud[i], i);
    }

    auto *parityGroup = new QGroupBox(QCoreApplication::translate("CommSetDlg", "校验位"), this);
    parityGroup->setGeometry(170, 8, 150, 110);
    parityGroup->setAccessibleName(QCoreApplication::translate("CommSetDlg", "校验位"));
    const QString parityTexts[3] = {QCoreApplication::translate("CommSetDlg", "无校验"), QCoreApplication::translate("CommSetDlg", "奇校验"),
                                    QCoreApplication::translate("CommSetDlg", "偶校验")};
    m_parityChoice = new rdwidgets::RadioChoice(this, [this](int i) { m_parity = rdlink::ParityFromIndex(i); });
    for (int i = 0; i < 3; ++i) {
        m_parityBtn[i] = MakeRadio(parityTexts[i], parityGroup, QRect(15, 22 + 26 * i, 120, 22));
        m_parityChoice->add(m_parityBtn[i], i);
    }

    auto *portGroup = new QGroupBox(QCoreApplication::translate("CommSetDlg", "串口选择"), this);
    portGroup->setAccessibleName(QCoreApplication::translate("CommSetDlg", "串口选择"));
    portGroup->setGeometry(170, 122, 150, 84);
    auto *comLabel = new QLabel(QCoreApplication::translate("CommSetDlg", "COM："), portGroup);
    comLabel->setGeometry(12, 24, 40, 22);
    m_portEdit = new QLineEdit(portGroup);
    m_portEdit->setGeometry(55, 24, 60, 22);
    rdwidgets::LabelFor(comLabel, m_portEdit, QCoreApplication::translate("CommSetDlg", "串口选择 COM："));
    // Whole numbers only, as the toolkit's integer field; the range is not checked.
    m_portEdit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("-?[0-9]{0,9}")), m_portEdit));
    m_deviceLabel = new rdwidgets::ValueLabel(QCoreApplication::translate("CommSetDlg", "串口选择 设备"), portGroup);
    m_deviceLabel->setGeometry(12, 52, 134, 22);
    connect(m_portEdit, &QLineEdit::textChanged, this, [this] { updateDeviceLabel(); });

    auto *ok = new QPushButton(QCoreApplication::translate("CommSetDlg", "确    定"), this);
    ok->setGeometry(40, 214, 100, 28);
    ok->setDefault(true);
    ok->setAccessibleName(ok->text());
    auto *cancel = new QPushButton(QCoreApplication::translate("CommSetDlg", "退    出"), this);
    cancel->setGeometry(190, 214, 100, 28);
    cancel->setAccessibleName(cancel->text());
    connect(ok, &QPushButton::clicked, this, &CCommSetDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CCommSetDlg::reject);
}

void CCommSetDlg::loadFields()
{
    // A rate or parity the dialog does not offer leaves its group clear.
    const int *baud = std::find(std::begin(kBaudRates), std::end(kBaudRates), m_baudRate);
    m_baudChoice->show(int(baud - std::begin(kBaudRates)));
    m_parityChoice->show(int(m_parity));
    m_portEdit->setText(QString::number(m_commPort));
    updateDeviceLabel();
}

void CCommSetDlg::updateDeviceLabel()
{
    const std::optional<int> number = ParsePortNumber(m_portEdit->text());
    const QString device = number ? rdlink::ResolvePortDevice(*number) : QString();
    QString text = device.isEmpty() ? QCoreApplication::translate("CommSetDlg", "设备：无") : QCoreApplication::translate("CommSetDlg", "设备：%1").arg(device);
    // A gateway URL is longer than the label: the label shows as much as fits,
    // the tooltip and the screen reader's description the whole of it and what
    // kind of gateway it is (or what is wrong with the name).
    // For a gateway the label shows HOST:PORT, the part that tells gateways apart.
    QString detail = text;
    const auto parsed = rdlink::ParsePortName(device);
    if (const QString *error = std::get_if<QString>(&parsed)) {
        detail = *error;
        // A mistyped gateway name shows without its scheme too, so that a short
        // HOST:PORT shows whole; the tooltip says what is wrong with it.
        const int scheme = device.indexOf(QStringLiteral("://"));
        if (scheme > 0)
            text = QCoreApplication::translate("CommSetDlg", "设备：%1").arg(device.mid(scheme + 3));
    } else if (const auto &address = std::get<rdlink::PortAddress>(parsed); address.isNetwork()) {
        const QString kind = address.kind == rdlink::PortKind::ModbusTcp
                     ? QCoreApplication::translate("CommSetDlg", "经 Modbus TCP 网关 %1 (单元号 = 仪表地址)").arg(address.endpoint())
                     : QCoreApplication::translate("CommSetDlg", "经透明网关 %1 (RTU over TCP)").arg(address.endpoint());
        detail = text + QLatin1Char('\n') + kind;
        text = QCoreApplication::translate("CommSetDlg", "设备：%1").arg(address.endpoint());
    }
    const int room = m_deviceLabel->width() - 2;
    text = QFontMetrics(m_deviceLabel->font()).elidedText(text, Qt::ElideMiddle, room);
    m_deviceLabel->setText(text);
    m_deviceLabel->setToolTip(detail);
    m_deviceLabel->setAccessibleDescription(detail);
}

void CCommSetDlg::accept()
{
    const std::optional<int> number = ParsePortNumber(m_portEdit->text());
    if (!number) {
        const QString text = QCoreApplication::translate("CommSetDlg", "请输入一个整数。");
        if (m_prompter)
            m_prompter->message(this, text);
        else
            QtPrompter(QStringLiteral("RD5800")).message(this, text);
        m_portEdit->setFocus();
        return;   // the dialog stays open
    }
    m_commPort = *number;
    QDialog::accept();
}

int CCommSetDlg::exec()
{
    loadFields();
    return QDialog::exec();
}
