#include "CAnalogOutDlg.h"

#include "ModuleJob.h"
#include "WindowParts.h"
#include "WriteReport.h"
#include "common/widgets/Prompter.h"
#include "modules/vocabulary/Registers.h"

#include <QComboBox>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QCoreApplication>

namespace rdmod {

namespace {

const char *const kOutputGroups[2] = {QT_TRANSLATE_NOOP("CAnalogOutDlg", "电流输出1路"), QT_TRANSLATE_NOOP("CAnalogOutDlg", "电流输出2路")};

} // namespace

CAnalogOutDlg::CAnalogOutDlg(ModuleContext &context, QWidget *parent)
    : QDialog(parent, Qt::Window), m_context(context), m_moduleIndex(kNoAnalogModule)
{
    setWindowTitle(QCoreApplication::translate("CAnalogOutDlg", "电流输出参数设置"));
    setWindowIcon(QIcon(QStringLiteral(":/modules/nolvex.xpm")));
    setAttribute(Qt::WA_DeleteOnClose);
    connect(this, &QDialog::finished, this, &QWidget::close);

    setFixedSize(470, 356);
    PlaceLabel(this, QCoreApplication::translate("CAnalogOutDlg", "模块名称"), 20, 18, 70);
    m_moduleList = PlaceCombo(this, AccessibleName(QString(), QCoreApplication::translate("CAnalogOutDlg", "模块名称")), 90, 16, 190, false);
    m_moduleList->addItems({QCoreApplication::translate("CAnalogOutDlg", "2AO(4-20mA)模块1#"), QCoreApplication::translate("CAnalogOutDlg", "2AO(4-20mA)模块2#")});
    m_moduleList->setCurrentIndex(-1);
    // activated, not currentIndexChanged: choosing the module already shown reads it again.
    connect(m_moduleList, qOverload<int>(&QComboBox::activated), this, &CAnalogOutDlg::OnModuleSelected);

    m_outputs[0] = BuildOutputGroup(QCoreApplication::translate("CAnalogOutDlg", kOutputGroups[0]), 12, 54);
    m_outputs[1] = BuildOutputGroup(QCoreApplication::translate("CAnalogOutDlg", kOutputGroups[1]), 12, 180);
    for (int o = 0; o < 2; ++o)
        connect(m_outputs[o].quantity, qOverload<int>(&QComboBox::currentIndexChanged), this,
                [this, o](int position) { UpdateUnitLabels(o, position); });

    auto *ok = PlaceButton(this, QCoreApplication::translate("CAnalogOutDlg", "确认"), 274, 316);
    ok->setDefault(true);
    m_ok = ok;
    auto *quit = PlaceButton(this, QCoreApplication::translate("CAnalogOutDlg", "退出"), 374, 316);
    connect(ok, &QPushButton::clicked, this, &CAnalogOutDlg::WriteOutputSettings);
    connect(quit, &QPushButton::clicked, this, &QDialog::reject);
}

CAnalogOutDlg::~CAnalogOutDlg() = default;

CAnalogOutDlg::OutputControls CAnalogOutDlg::BuildOutputGroup(const QString &caption, int x, int y)
{
    auto *group = new QGroupBox(caption, this);
    group->setGeometry(x, y, 446, 114);
    OutputControls c;
    PlaceLabel(group, QCoreApplication::translate("CAnalogOutDlg", "输出参数选择"), 12, 30, 96);
    c.quantity = PlaceCombo(group, AccessibleName(caption, QCoreApplication::translate("CAnalogOutDlg", "输出参数选择")), 110, 28, 170, true);
    c.quantity->addItems(QuantityTexts());
    c.quantity->setCurrentIndex(-1);
    c.at4mA = PlaceEdit(group, AccessibleName(caption, QStringLiteral("4mA")), 12, 72, 110);
    PlaceLabel(group, QStringLiteral(" 4 ---------------- 20 mA"), 128, 73, 180);
    c.at20mA = PlaceEdit(group, AccessibleName(caption, QStringLiteral("20mA")), 312, 72, 90);
    c.unit = PlaceValueLabel(group, AccessibleName(caption, QCoreApplication::translate("CAnalogOutDlg", "单位")), QStringLiteral("V"), 406, 73, 36);
    return c;
}

std::vector<QPointer<QWidget>> CAnalogOutDlg::exchangeControls() const
{
    return {m_ok, m_moduleList};
}

void CAnalogOutDlg::OnInitDialog()
{
    m_ptRatio = 1;
    m_ctRatio = 1;
    m_moduleIndex = kNoAnalogModule;
    // The start-up read and the block read of the module found form one job, so
    // that no other window's operation comes between them on the line.
    struct Found {
        std::optional<std::vector<uint16_t>> ratios, block;
        int module = kNoAnalogModule;
        bool started = false;
        std::optional<QString> failure;
    };
    auto found = std::make_shared<Found>();
    RunModuleJob(this, m_context, exchangeControls(), [found](rdlink::Link &link) -> std::optional<QString> {
        found->failure = RunOnPort(link, PortUse::Reading, [found](ModuleLink &ml, const PortSession &session) {
            found->ratios = ml.read(kRatioRegister, 2, 200);
            if (session.lost())
                return;
            if (const auto presence = ml.read(kPresenceRegister, 1, 100))
                found->module = AnalogModuleFromPresence(static_cast<uint8_t>((*presence)[0] & 0xFF));
        });
        found->started = !found->failure;
        if (!found->started || found->module < 0 || found->module >= kAnalogModuleCount)
            return std::nullopt;   // with no module known there is no block to read
        const uint16_t block = AnalogBlockAddress(found->module);
        found->failure = RunOnPort(link, PortUse::Reading, [found, block](ModuleLink &ml, const PortSession &) {
            found->block = ml.read(block, kAnalogBlockSize, 200);
        });
        return std::nullopt;   // told below, after the window has taken what came
    }, [this, found] {
        if (found->started)
            AdoptStartUp(found->ratios, found->module, found->block);
        if (found->failure)
            m_context.prompter.message(this, *found->failure);
    });
}

void CAnalogOutDlg::AdoptStartUp(const std::optional<std::vector<uint16_t>> &ratios, int module,
                                 const std::optional<std::vector<uint16_t>> &block)
{
    if (ratios) {
        m_ptRatio = (*ratios)[0];
        m_ctRatio = (*ratios)[1];
    }
    m_moduleIndex = module;
    if (m_moduleIndex != kNoAnalogModule) {
        const QSignalBlocker blocker(m_moduleList);
        m_moduleList->setCurrentIndex(m_moduleIndex);
    }
    if (block)
        ShowOutputs(*block);
}

void CAnalogOutDlg::UpdateUnitLabels(int output, int position)
{
    m_outputs[output].unit->setText(AnalogUnitAt(position));
}

void CAnalogOutDlg::OnModuleSelected(int index)
{
    if (index < 0)
        return;
    m_moduleIndex = index;
    ReadOutputSettings();
}

void CAnalogOutDlg::ReadOutputSettings()
{
    // With no module known there is no block to read.
    if (m_moduleIndex < 0 || m_moduleIndex >= kAnalogModuleCount)
        return;
    auto read = std::make_shared<std::optional<std::vector<uint16_t>>>();
    const uint16_t block = AnalogBlockAddress(m_moduleIndex);
    RunModuleOperation(this, m_context, PortUse::Reading, exchangeControls(),
                       [read, block](ModuleLink &link, const PortSession &) {
                           *read = link.read(block, kAnalogBlockSize, 200);
                       },
                       [this, read] {
                           if (*read)
                               ShowOutputs(**read);
                       });
}

void CAnalogOutDlg::ShowOutputs(const std::vector<uint16_t> &regs)
{
    for (int o = 0; o < 2; ++o) {
        const AnalogRegisters three{regs[3 * o], regs[3 * o + 1], regs[3 * o + 2]};
        const AnalogView view = DecodeAnalog(three, {m_ptRatio, m_ctRatio});
        OutputControls &c = m_outputs[o];
        {
            const QSignalBlocker block(c.quantity);
            c.quantity->setCurrentIndex(c.quantity->findText(view.texts.quantity));
            c.quantity->setEditText(view.texts.quantity);
        }
        c.at4mA->setText(view.texts.at4mA);
        c.at20mA->setText(view.texts.at20mA);
        c.unit->setText(view.unit);
    }
}

void CAnalogOutDlg::WriteOutputSettings()
{
    if (m_moduleIndex < 0 || m_moduleIndex >= kAnalogModuleCount) {
        m_context.prompter.message(this, QCoreApplication::translate("CAnalogOutDlg", "请先在“模块名称”中选择一个模块。\n参数未发送。"));
        return;
    }
    std::array<uint16_t, kAnalogBlockSize> values{};
    for (int o = 0; o < 2; ++o) {
        const OutputControls &c = m_outputs[o];
        const auto encoded = EncodeAnalog({c.quantity->currentText(), c.at4mA->text(), c.at20mA->text()},
                                          {m_ptRatio, m_ctRatio}, QCoreApplication::translate("CAnalogOutDlg", kOutputGroups[o]));
        if (const auto *error = std::get_if<FieldError>(&encoded)) {
            m_context.prompter.message(this, FieldErrorMessage(*error));
            return;
        }
        const auto &three = std::get<AnalogRegisters>(encoded);
        std::copy(three.begin(), three.end(), values.begin() + 3 * o);
    }

    const uint16_t base = AnalogBlockAddress(m_moduleIndex);
    auto missing = std::make_shared<std::vector<uint16_t>>();
    RunModuleOperation(this, m_context, PortUse::Writing, exchangeControls(),
                       [base, values, missing](ModuleLink &link, const PortSession &) {
                           *missing = link.writeBlock(base, values.data(), kAnalogBlockSize, 200);
                       },
                       [this, missing] { m_context.prompter.message(this, WriteReportText(*missing)); });
}

} // namespace rdmod
