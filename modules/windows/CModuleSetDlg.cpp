#include "CModuleSetDlg.h"

#include "CAnalogOutDlg.h"
#include "CPulseSetDlg.h"
#include "ModuleJob.h"
#include "WindowParts.h"
#include "WriteReport.h"
#include "common/traffic/TrafficWindow.h"
#include "common/widgets/Prompter.h"
#include "common/widgets/WindowPlacement.h"
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

const char *const kRelayGroups[2] = {QT_TRANSLATE_NOOP("CModuleSetDlg", "继电器OUT1"), QT_TRANSLATE_NOOP("CModuleSetDlg", "继电器OUT2")};

QString ModuleEntry(int index)
{
    return QCoreApplication::translate("CModuleSetDlg", "2DI/2DO 模块%1#").arg(index + 1);
}

} // namespace

CModuleSetDlg::CModuleSetDlg(ModuleContext &context, QWidget *parent)
    : QDialog(parent), m_context(context)
{
    setWindowTitle(QCoreApplication::translate("CModuleSetDlg", "RD5800模块参数设置-Velmora"));
    setWindowIcon(QIcon(QStringLiteral(":/modules/nolvex.xpm")));
    BuildLayout();
}

CModuleSetDlg::~CModuleSetDlg()
{
    // A closing monitor switches the link's observer off; the worker outlives this window.
    delete m_monitor;
}

void CModuleSetDlg::OpenMonitor()
{
    if (!m_monitor) {
        auto *monitor = new rdtraffic::TrafficWindow(QStringLiteral("nolvex"), this);
        monitor->watch(m_context.worker);
        rdwidgets::OpenBeside(monitor, this);
        m_monitor = monitor;
    } else if (!m_monitor->isVisible()) {
        rdwidgets::ReopenBeside(m_monitor, this);
    }
    m_monitor->show();
    m_monitor->raise();
}

void CModuleSetDlg::BuildLayout()
{
    setFixedSize(560, 408);
    PlaceLabel(this, QCoreApplication::translate("CModuleSetDlg", "模块名称"), 20, 18, 70);
    m_moduleList = PlaceCombo(this, AccessibleName(QString(), QCoreApplication::translate("CModuleSetDlg", "模块名称")), 90, 16, 170, false);
    for (int i = 0; i < kRelayModuleCount; ++i)
        m_moduleList->addItem(ModuleEntry(i));
    m_moduleList->setCurrentIndex(-1);
    // activated, not currentIndexChanged: choosing the module already shown reads it again.
    connect(m_moduleList, qOverload<int>(&QComboBox::activated), this, &CModuleSetDlg::OnModuleSelected);

    m_relays[0] = BuildRelayGroup(QCoreApplication::translate("CModuleSetDlg", kRelayGroups[0]), 12, 54);
    m_relays[1] = BuildRelayGroup(QCoreApplication::translate("CModuleSetDlg", kRelayGroups[1]), 286, 54);
    // A choice in a mode list changes that relay's unit labels, nothing else.
    for (RelayControls &relay : m_relays) {
        RelayControls *r = &relay;
        connect(relay.mode, qOverload<int>(&QComboBox::currentIndexChanged), this,
                [this, r](int position) { UpdateUnitLabels(*r, position); });
    }

    auto *ok = PlaceButton(this, QCoreApplication::translate("CModuleSetDlg", "确定"), 364, 330);
    ok->setDefault(true);
    m_ok = ok;
    auto *quit = PlaceButton(this, QCoreApplication::translate("CModuleSetDlg", "退出"), 464, 330);
    connect(ok, &QPushButton::clicked, this, &CModuleSetDlg::WriteModuleSettings);
    connect(quit, &QPushButton::clicked, this, &QDialog::reject);

    // The line monitor, as in RD5800: every frame the three windows exchange.
    auto *monitor = PlaceButton(this, QCoreApplication::translate("CModuleSetDlg", "通讯监视"), 12, 330, 100);
    connect(monitor, &QPushButton::clicked, this, &CModuleSetDlg::OpenMonitor);

    // Says once, in the window, when the meter did not answer a read: the plain
    // label's text is what a screen reader reads.
    m_lineStatus = PlaceLabel(this, QString(), 12, 366, 536, 36);
    m_lineStatus->setWordWrap(true);
    m_lineStatus->setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void CModuleSetDlg::ShowAnswered(bool answered, const QString &device)
{
    if (answered) {
        m_lineStatus->clear();
        return;
    }
    m_lineStatus->setText(QCoreApplication::translate("CModuleSetDlg", "仪表没有应答：COM%1 (%2)，%3，子机地址 1。请检查接线，以及仪表的波特率、校验方式和地址。")
                              .arg(kModulePort)
                              .arg(device.isEmpty() ? QStringLiteral("-") : device, rdlink::SettingsText(kModuleLine)));
}

CModuleSetDlg::RelayControls CModuleSetDlg::BuildRelayGroup(const QString &caption, int x, int y)
{
    auto *group = new QGroupBox(caption, this);
    group->setGeometry(x, y, 262, 262);
    RelayControls c;
    const auto name = [&](const char *label) { return AccessibleName(caption, QCoreApplication::translate("CModuleSetDlg", label)); };
    const int lx = 12, ex = 88, ux = 212;
    PlaceLabel(group, QCoreApplication::translate("CModuleSetDlg", "控制方式"), lx, 30, 74);
    c.mode = PlaceCombo(group, name(QT_TRANSLATE_NOOP("CModuleSetDlg", "控制方式")), ex, 28, 160, true);
    c.mode->addItems(RelayModeTexts());
    c.mode->setCurrentIndex(-1);
    PlaceLabel(group, QCoreApplication::translate("CModuleSetDlg", "启动值"), lx, 68, 74);
    c.operate = PlaceEdit(group, name(QT_TRANSLATE_NOOP("CModuleSetDlg", "启动值")), ex, 67, 118);
    c.operateUnit = PlaceValueLabel(group, name(QT_TRANSLATE_NOOP("CModuleSetDlg", "启动值单位")), QStringLiteral("V"), ux, 68, 44);
    PlaceLabel(group, QCoreApplication::translate("CModuleSetDlg", "复归值"), lx, 104, 74);
    c.reset = PlaceEdit(group, name(QT_TRANSLATE_NOOP("CModuleSetDlg", "复归值")), ex, 103, 118);
    c.resetUnit = PlaceValueLabel(group, name(QT_TRANSLATE_NOOP("CModuleSetDlg", "复归值单位")), QStringLiteral("V"), ux, 104, 44);
    QLineEdit **seconds[3] = {&c.operateDelay, &c.resetDelay, &c.pulseWidth};
    const char *labels[3] = {QT_TRANSLATE_NOOP("CModuleSetDlg", "启动延时"), QT_TRANSLATE_NOOP("CModuleSetDlg", "复归延时"), QT_TRANSLATE_NOOP("CModuleSetDlg", "脉冲宽度")};
    for (int i = 0; i < 3; ++i) {
        const int ry = 140 + 36 * i;
        PlaceLabel(group, QCoreApplication::translate("CModuleSetDlg", labels[i]), lx, ry + 1, 74);
        *seconds[i] = PlaceEdit(group, name(labels[i]), ex, ry, 118);
        PlaceLabel(group, QStringLiteral("s"), ux, ry + 1, 30);
    }
    return c;
}

std::vector<QPointer<QWidget>> CModuleSetDlg::exchangeControls() const
{
    return {m_ok, m_moduleList};
}

void CModuleSetDlg::OnInitDialog()
{
    m_moduleIndex = 0;
    m_ptRatio = 1;
    m_ctRatio = 1;
    struct Found {
        std::optional<std::vector<uint16_t>> ratios, presence;
        QString device;
    };
    auto found = std::make_shared<Found>();
    RunModuleOperation(this, m_context, PortUse::Reading, exchangeControls(),
                       [found](ModuleLink &link, const PortSession &session) {
                           found->device = link.port().deviceName();
                           found->ratios = link.read(kRatioRegister, 2, 200);
                           if (!session.lost())
                               found->presence = link.read(kPresenceRegister, 1, 200);
                       },
                       [this, found] {
                           ShowAnswered(found->ratios || found->presence, found->device);
                           if (found->ratios) {
                               m_ptRatio = (*found->ratios)[0];
                               m_ctRatio = (*found->ratios)[1];
                           }
                           // Without a presence reply only this window shows, with no
                           // module selected; the user may still choose one.
                           if (found->presence)
                               AdoptPresence(static_cast<uint8_t>((*found->presence)[0] & 0xFF));
                       });
}

void CModuleSetDlg::AdoptPresence(uint8_t p)
{
    if (p & kPresencePulse) {
        m_pulseDlg = new CPulseSetDlg(m_context, this);
        // Beside the main window rather than on top of it: on a laptop screen the
        // main window moves aside to make room, so that its OUT2 column and
        // "退出" stay in view.
        rdwidgets::MakeRoomBeside(this, m_pulseDlg);
        rdwidgets::OpenBeside(m_pulseDlg, this);
        m_pulseDlg->show();
        m_pulseDlg->OnInitDialog();
    }
    if (p & (kPresenceAnalog1 | kPresenceAnalog2)) {
        m_analogDlg = new CAnalogOutDlg(m_context, this);
        // Under the pulse window when both open.
        rdwidgets::MakeRoomBeside(this, m_analogDlg);
        rdwidgets::OpenBeside(m_analogDlg, this, m_pulseDlg);
        m_analogDlg->show();
        m_analogDlg->OnInitDialog();
    }
    m_moduleIndex = RelayModuleFromPresence(p);
    if (m_moduleIndex != kNoRelayModule) {
        const QSignalBlocker block(m_moduleList);
        m_moduleList->setCurrentIndex(m_moduleIndex);
        ReadModuleSettings(m_moduleIndex);
    }
}

void CModuleSetDlg::OnModuleSelected(int index)
{
    if (index < 0)
        return;
    m_moduleIndex = index;
    ReadModuleSettings(index);
}

void CModuleSetDlg::ReadModuleSettings(int moduleIndex)
{
    if (moduleIndex < 0 || moduleIndex >= kRelayModuleCount)
        return;
    auto read = std::make_shared<std::optional<std::vector<uint16_t>>>();
    auto device = std::make_shared<QString>();
    const uint16_t block = RelayBlockAddress(moduleIndex);
    RunModuleOperation(this, m_context, PortUse::Reading, exchangeControls(),
                       [read, device, block](ModuleLink &link, const PortSession &) {
                           *device = link.port().deviceName();
                           *read = link.read(block, kRelayBlockSize, 200);
                       },
                       [this, read, device] {
                           ShowAnswered(read->has_value(), *device);
                           // A read without reply leaves every field as it stands, typing included.
                           if (*read)
                               ShowBlock(**read);
                       });
}

void CModuleSetDlg::ShowBlock(const std::vector<uint16_t> &regs)
{
    for (int r = 0; r < 2; ++r) {
        RelayRegisters six{};
        std::copy_n(regs.begin() + kRelayRegisters * r, kRelayRegisters, six.begin());
        ShowRelay(m_relays[r], DecodeRelay(six, ratios()));
    }
}

void CModuleSetDlg::ShowRelay(RelayControls &relay, const RelayView &view)
{
    {
        const QSignalBlocker block(relay.mode);
        const int position = relay.mode->findText(view.texts.mode);
        relay.mode->setCurrentIndex(position);
        relay.mode->setEditText(view.texts.mode);
    }
    relay.operate->setText(view.texts.operate);
    relay.reset->setText(view.texts.reset);
    relay.operateDelay->setText(view.texts.operateDelay);
    relay.resetDelay->setText(view.texts.resetDelay);
    relay.pulseWidth->setText(view.texts.pulseWidth);
    relay.operateUnit->setText(view.unit);
    relay.resetUnit->setText(view.unit);
}

void CModuleSetDlg::UpdateUnitLabels(RelayControls &relay, int position)
{
    const QString unit = RelayUnitAt(position);
    relay.operateUnit->setText(unit);
    relay.resetUnit->setText(unit);
}

RelayTexts CModuleSetDlg::TakeRelay(const RelayControls &relay) const
{
    return {relay.mode->currentText(),      relay.operate->text(),    relay.reset->text(),
            relay.operateDelay->text(),     relay.resetDelay->text(), relay.pulseWidth->text()};
}

void CModuleSetDlg::WriteModuleSettings()
{
    // Without a module shown in the list there is no block to write: the module
    // index would point at the pulse and analog output registers (index 3) or at a
    // module the user never chose.
    if (m_moduleIndex == kNoRelayModule || m_moduleList->currentIndex() < 0) {
        m_context.prompter.message(this, QCoreApplication::translate("CModuleSetDlg", "请先在“模块名称”中选择一个模块。\n参数未发送。"));
        return;
    }
    std::array<uint16_t, kRelayBlockSize> values{};
    for (int r = 0; r < 2; ++r) {
        const auto encoded = EncodeRelay(TakeRelay(m_relays[r]), ratios(), QCoreApplication::translate("CModuleSetDlg", kRelayGroups[r]));
        if (const auto *error = std::get_if<FieldError>(&encoded)) {
            m_context.prompter.message(this, FieldErrorMessage(*error));
            return;
        }
        const auto &six = std::get<RelayRegisters>(encoded);
        std::copy(six.begin(), six.end(), values.begin() + kRelayRegisters * r);
    }

    const uint16_t base = RelayBlockAddress(m_moduleIndex);
    auto missing = std::make_shared<std::vector<uint16_t>>();
    // A lost device is told as such (the rest of the block cannot go out) rather
    // than as a list of missing echoes.
    RunModuleOperation(this, m_context, PortUse::Writing, exchangeControls(),
                       [base, values, missing](ModuleLink &link, const PortSession &) {
                           *missing = link.writeBlock(base, values.data(), kRelayBlockSize, 200);
                       },
                       [this, missing] { m_context.prompter.message(this, WriteReportText(*missing)); });
}

} // namespace rdmod
