#include "CPulseSetDlg.h"

#include "ModuleJob.h"
#include "WindowParts.h"
#include "common/widgets/Prompter.h"
#include "modules/vocabulary/AnalogBlock.h"
#include "modules/vocabulary/Registers.h"

#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QCoreApplication>

namespace rdmod {

CPulseSetDlg::CPulseSetDlg(ModuleContext &context, QWidget *parent)
    : QDialog(parent, Qt::Window), m_context(context)
{
    setWindowTitle(QCoreApplication::translate("CPulseSetDlg", "电能脉冲参数设置"));
    setWindowIcon(QIcon(QStringLiteral(":/modules/nolvex.xpm")));
    setAttribute(Qt::WA_DeleteOnClose);
    connect(this, &QDialog::finished, this, &QWidget::close);

    setFixedSize(470, 196);
    PlaceLabel(this, QCoreApplication::translate("CPulseSetDlg", "电能脉冲值"), 20, 24, 96);
    m_value = PlaceEdit(this, AccessibleName(QString(), QCoreApplication::translate("CPulseSetDlg", "电能脉冲值")), 118, 22, 70);
    PlaceLabel(this, QStringLiteral("(1-5)"), 196, 24, 44);
    PlaceLabel(this, QCoreApplication::translate("CPulseSetDlg", "( 表示以10**(n-1)千瓦小时给  "), 244, 14, 220);
    PlaceLabel(this, QCoreApplication::translate("CPulseSetDlg", "  出电能脉冲 )"), 244, 34, 220);

    PlaceLabel(this, QCoreApplication::translate("CPulseSetDlg", "电能脉冲宽度"), 20, 84, 96);
    m_width = PlaceEdit(this, AccessibleName(QString(), QCoreApplication::translate("CPulseSetDlg", "电能脉冲宽度")), 118, 82, 70);
    PlaceLabel(this, QStringLiteral("(1-9)"), 196, 84, 44);
    PlaceLabel(this, QCoreApplication::translate("CPulseSetDlg", "( 表示脉冲宽度为0.1*n秒 )  "), 244, 84, 220);

    auto *ok = PlaceButton(this, QCoreApplication::translate("CPulseSetDlg", "确认"), 274, 154);
    ok->setDefault(true);
    m_ok = ok;
    auto *quit = PlaceButton(this, QCoreApplication::translate("CPulseSetDlg", "退出"), 374, 154);
    connect(ok, &QPushButton::clicked, this, &CPulseSetDlg::WritePulseSettings);
    connect(quit, &QPushButton::clicked, this, &QDialog::reject);
}

CPulseSetDlg::~CPulseSetDlg() = default;

void CPulseSetDlg::OnInitDialog()
{
    auto regs = std::make_shared<std::optional<std::vector<uint16_t>>>();
    RunModuleOperation(this, m_context, PortUse::Reading, {m_ok},
                       [regs](ModuleLink &link, const PortSession &) { *regs = link.read(kPulseValueRegister, 2, 200); },
                       [this, regs] {
                           if (!*regs)
                               return;
                           m_value->setText(DecodePulseRegister((**regs)[0]));
                           m_width->setText(DecodePulseRegister((**regs)[1]));
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
    const uint16_t value = values[0], width = values[1];
    RunModuleOperation(this, m_context, PortUse::Writing, {m_ok},
                       [value, width](ModuleLink &link, const PortSession &session) {
                           link.write(kPulseValueRegister, value, 100);
                           if (!session.lost())
                               link.write(kPulseWidthRegister, width, 100);
                       },
                       {});
}

} // namespace rdmod
