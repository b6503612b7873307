#include "CPulseSetDlg.h"

#include "WindowParts.h"
#include "meter/app/Prompter.h"
#include "modules/vocabulary/AnalogBlock.h"
#include "modules/vocabulary/Registers.h"

#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace rdmod {

CPulseSetDlg::CPulseSetDlg(ModuleContext &context, QWidget *parent)
    : QDialog(parent, Qt::Window), m_context(context), m_port(context.makePort()),
      m_link(*m_port, context.clock)
{
    setWindowTitle(QStringLiteral("电能脉冲参数设置"));
    setWindowIcon(QIcon(QStringLiteral(":/modules/nolvex.xpm")));
    setAttribute(Qt::WA_DeleteOnClose);
    connect(this, &QDialog::finished, this, &QWidget::close);

    setFixedSize(470, 196);
    PlaceLabel(this, QStringLiteral("电能脉冲值"), 20, 24, 96);
    m_value = PlaceEdit(this, AccessibleName(QString(), QStringLiteral("电能脉冲值")), 118, 22, 70);
    PlaceLabel(this, QStringLiteral("(1-5)"), 196, 24, 44);
    PlaceLabel(this, QStringLiteral("( 表示以10**(n-1)千瓦小时给  "), 244, 14, 220);
    PlaceLabel(this, QStringLiteral("  出电能脉冲 )"), 244, 34, 220);

    PlaceLabel(this, QStringLiteral("电能脉冲宽度"), 20, 84, 96);
    m_width = PlaceEdit(this, AccessibleName(QString(), QStringLiteral("电能脉冲宽度")), 118, 82, 70);
    PlaceLabel(this, QStringLiteral("(1-9)"), 196, 84, 44);
    PlaceLabel(this, QStringLiteral("( 表示脉冲宽度为0.1*n秒 )  "), 244, 84, 220);

    auto *ok = PlaceButton(this, QStringLiteral("确认"), 274, 154);
    ok->setDefault(true);
    auto *quit = PlaceButton(this, QStringLiteral("退出"), 374, 154);
    connect(ok, &QPushButton::clicked, this, &CPulseSetDlg::WritePulseSettings);
    connect(quit, &QPushButton::clicked, this, &QDialog::reject);
}

CPulseSetDlg::~CPulseSetDlg() = default;

void CPulseSetDlg::OnInitDialog()
{
    RunOnPort(*m_port, m_context, this, false, [this](const PortSession &) {
        if (const auto regs = m_link.read(kPulseValueRegister, 2, 200)) {
            m_value->setText(DecodePulseRegister((*regs)[0]));
            m_width->setText(DecodePulseRegister((*regs)[1]));
        }
    });
}

void CPulseSetDlg::WritePulseSettings()
{
    uint16_t values[2] = {};
    QLineEdit *edits[2] = {m_value, m_width};
    for (int i = 0; i < 2; ++i) {
        const auto encoded = EncodePulseField(edits[i]->text(), edits[i]->accessibleName());
        if (const auto *error = std::get_if<FieldError>(&encoded)) {
            m_context.prompter.message(this, FieldErrorMessage(*error));
            return;
        }
        values[i] = std::get<uint16_t>(encoded);
    }
    // Sent one after the other whatever the instrument answers; no confirmation
    // as such, but a device that went away is not kept quiet.
    RunOnPort(*m_port, m_context, this, true, [&](const PortSession &session) {
        m_link.write(kPulseValueRegister, values[0], 100);
        if (!session.lost())
            m_link.write(kPulseWidthRegister, values[1], 100);
    });
}

} // namespace rdmod
