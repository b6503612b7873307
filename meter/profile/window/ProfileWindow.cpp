#include "ProfileWindow.h"

#include "common/widgets/AccessibleNames.h"
#include "common/widgets/Prompter.h"
#include "common/widgets/ValueLabel.h"
#include "meter/overview/OverviewHost.h"
#include "meter/profile/ProfileFile.h"
#include "meter/profile/ProfileSettings.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

using namespace rdprof;

namespace {


QPushButton *Button(const QString &text, QWidget *parent)
{
    auto *button = new QPushButton(text, parent);
    rdwidgets::SetCaption(button, text);
    return button;
}

QSpinBox *AddressBox(QWidget *parent, int value)
{
    auto *box = new QSpinBox(parent);
    box->setRange(1, 247);
    box->setValue(value);
    return box;
}

} // namespace

ProfileWindow::ProfileWindow(OverviewHost &host, Prompter &prompter, uint8_t address, QWidget *parent)
    : QWidget(parent, Qt::Window), m_host(host), m_prompter(prompter), m_line(host.lineSettings())
{
    setWindowTitle(QCoreApplication::translate("ProfileWindow", "配置文件"));

    // The profile and the meter at the window's address.
    m_file = new rdwidgets::ValueLabel(QCoreApplication::translate("ProfileWindow", "配置文件"), this, QCoreApplication::translate("ProfileWindow", "(未打开)"));
    m_file->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto *fileCaption = new QLabel(QCoreApplication::translate("ProfileWindow", "配置文件:"), this);
    m_open = Button(QCoreApplication::translate("ProfileWindow", "打开…"), this);
    m_save = Button(QCoreApplication::translate("ProfileWindow", "保存…"), this);
    auto *addressLabel = new QLabel(QCoreApplication::translate("ProfileWindow", "子机地址"), this);
    m_address = AddressBox(this, address >= 1 && address <= 247 ? address : 1);
    rdwidgets::LabelFor(addressLabel, m_address);
    m_read = Button(QCoreApplication::translate("ProfileWindow", "读取"), this);
    m_compare = Button(QCoreApplication::translate("ProfileWindow", "比较"), this);
    m_apply = Button(QCoreApplication::translate("ProfileWindow", "应用"), this);

    m_table = new QTableWidget(0, 4, this);
    m_table->setHorizontalHeaderLabels({QCoreApplication::translate("ProfileWindow", "设置"), QCoreApplication::translate("ProfileWindow", "配置文件"), QCoreApplication::translate("ProfileWindow", "仪表"), QCoreApplication::translate("ProfileWindow", "相同/不同")});
    m_table->setAccessibleName(QCoreApplication::translate("ProfileWindow", "比较结果"));
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 8);
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->setTabKeyNavigation(false);

    // Commissioning one meter after another.
    auto *commissioning = new QGroupBox(QCoreApplication::translate("ProfileWindow", "逐台调试"), this);
    auto *targetsLabel = new QLabel(QCoreApplication::translate("ProfileWindow", "目标地址"), commissioning);
    m_targets = new QPlainTextEdit(commissioning);
    m_targets->setPlaceholderText(QCoreApplication::translate("ProfileWindow", "例如 2-21, 或每行一台: 2 进线柜"));
    m_targets->setTabChangesFocus(true);
    m_targets->setFixedHeight(64);
    rdwidgets::LabelFor(targetsLabel, m_targets);
    auto *factoryLabel = new QLabel(QCoreApplication::translate("ProfileWindow", "新仪表地址"), commissioning);
    m_factoryAddress = AddressBox(commissioning, 1);
    rdwidgets::LabelFor(factoryLabel, m_factoryAddress);
    auto *baudLabel = new QLabel(QCoreApplication::translate("ProfileWindow", "新仪表波特率"), commissioning);
    m_factoryBaud = new QComboBox(commissioning);
    for (int rate : {1200, 2400, 4800, 9600, 19200})
        m_factoryBaud->addItem(QString::number(rate), rate);
    m_factoryBaud->setCurrentIndex(3);
    rdwidgets::LabelFor(baudLabel, m_factoryBaud);
    auto *parityLabel = new QLabel(QCoreApplication::translate("ProfileWindow", "新仪表校验位"), commissioning);
    m_factoryParity = new QComboBox(commissioning);
    // The texts of "通讯设置", in its order (and translation).
    static const char *const parities[3] = {QT_TRANSLATE_NOOP("CommSetDlg", "无校验"), QT_TRANSLATE_NOOP("CommSetDlg", "奇校验"),
                                            QT_TRANSLATE_NOOP("CommSetDlg", "偶校验")};
    for (rdlink::Parity p : {rdlink::Parity::None, rdlink::Parity::Odd, rdlink::Parity::Even})
        m_factoryParity->addItem(QCoreApplication::translate("CommSetDlg", parities[int(p)]), int(p));
    rdwidgets::LabelFor(parityLabel, m_factoryParity);
    m_find = Button(QCoreApplication::translate("ProfileWindow", "查找第一台"), commissioning);
    m_start = Button(QCoreApplication::translate("ProfileWindow", "开始调试…"), commissioning);
    m_continue = Button(QCoreApplication::translate("ProfileWindow", "继续"), commissioning);
    m_continue->setEnabled(false);
    m_step = new rdwidgets::ValueLabel(QCoreApplication::translate("ProfileWindow", "调试步骤"), commissioning);
    m_step->setWordWrap(true);
    m_results = new QListWidget(commissioning);
    m_results->setAccessibleName(QCoreApplication::translate("ProfileWindow", "调试结果"));
    m_results->setFixedHeight(84);

    auto *fileRow = new QHBoxLayout;
    fileRow->addWidget(fileCaption);
    fileRow->addWidget(m_file, 1);
    fileRow->addWidget(m_open);
    fileRow->addWidget(m_save);
    auto *meterRow = new QHBoxLayout;
    meterRow->addWidget(addressLabel);
    meterRow->addWidget(m_address);
    meterRow->addStretch(1);
    meterRow->addWidget(m_read);
    meterRow->addWidget(m_compare);
    meterRow->addWidget(m_apply);
    auto *grid = new QGridLayout(commissioning);
    grid->addWidget(targetsLabel, 0, 0);
    grid->addWidget(m_targets, 0, 1, 1, 6);
    grid->addWidget(factoryLabel, 1, 0);
    grid->addWidget(m_factoryAddress, 1, 1);
    grid->addWidget(baudLabel, 1, 2);
    grid->addWidget(m_factoryBaud, 1, 3);
    grid->addWidget(parityLabel, 1, 4);
    grid->addWidget(m_factoryParity, 1, 5);
    grid->addWidget(m_find, 1, 6);
    auto *stepRow = new QHBoxLayout;
    stepRow->addWidget(m_step, 1);
    stepRow->addWidget(m_start);
    stepRow->addWidget(m_continue);
    grid->addLayout(stepRow, 2, 0, 1, 7);
    grid->addWidget(m_results, 3, 0, 1, 7);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(fileRow);
    layout->addLayout(meterRow);
    layout->addWidget(m_table, 1);
    layout->addWidget(commissioning);
    resize(660, 700);

    connect(m_open, &QPushButton::clicked, this, &ProfileWindow::openFile);
    connect(m_save, &QPushButton::clicked, this, &ProfileWindow::saveFile);
    connect(m_read, &QPushButton::clicked, this, &ProfileWindow::readMeter);
    connect(m_compare, &QPushButton::clicked, this, &ProfileWindow::compare);
    connect(m_apply, &QPushButton::clicked, this, &ProfileWindow::apply);
    connect(m_start, &QPushButton::clicked, this, &ProfileWindow::startCommissioning);
    connect(m_continue, &QPushButton::clicked, this, &ProfileWindow::continueCommissioning);
    connect(m_find, &QPushButton::clicked, this, &ProfileWindow::findFirstMeter);
    // A new address means the meter there answers at the line settings in force.
    connect(m_address, qOverload<int>(&QSpinBox::valueChanged), this, [this] { m_line = m_host.lineSettings(); });

    m_askOpen = [](QWidget *parent) {
        return QFileDialog::getOpenFileName(parent, QCoreApplication::translate("ProfileWindow", "打开配置文件"), QString(), QCoreApplication::translate("ProfileWindow", "配置文件 (*.json)"));
    };
    m_askSave = [](QWidget *parent, const QString &suggested) {
        return QFileDialog::getSaveFileName(parent, QCoreApplication::translate("ProfileWindow", "保存"), suggested);
    };
    showFile();
    showStep();
}

ProfileWindow::~ProfileWindow() = default;

Place ProfileWindow::place() const
{
    return Place{uint8_t(m_address->value()), m_line};
}

void ProfileWindow::adoptPlace(const Place &at)
{
    {
        const QSignalBlocker block(m_address);
        m_address->setValue(at.address);
    }
    m_line = at.line;
}

bool ProfileWindow::loadProfile(const QString &path)
{
    auto loaded = LoadProfile(path);
    if (const QString *error = std::get_if<QString>(&loaded)) {
        m_prompter.message(this, *error);
        return false;
    }
    m_profile = std::get<Profile>(loaded);
    m_path = path;
    showFile();
    m_table->setRowCount(0);
    return true;
}

void ProfileWindow::openFile()
{
    const QString path = m_askOpen ? m_askOpen(this) : QString();
    if (!path.isEmpty())
        loadProfile(path);
}

void ProfileWindow::saveFile()
{
    if (!m_profile) {
        m_prompter.message(this, QCoreApplication::translate("ProfileWindow", "没有可保存的配置文件: 请先读取仪表或打开一个文件。"));
        return;
    }
    const QString path = m_askSave ? m_askSave(this, m_path.isEmpty() ? QStringLiteral("rd5800.json") : m_path) : QString();
    if (path.isEmpty())
        return;
    if (const auto error = SaveProfile(*m_profile, path)) {
        m_prompter.message(this, *error);
        return;
    }
    m_path = path;
    showFile();
}

void ProfileWindow::showFile()
{
    m_file->setText(m_path.isEmpty() ? (m_profile ? QCoreApplication::translate("ProfileWindow", "(已读取, 未保存)") : QCoreApplication::translate("ProfileWindow", "(未打开)")) : m_path);
    m_file->setToolTip(m_path);
}

std::optional<std::vector<Setting>> ProfileWindow::settings()
{
    if (!m_profile) {
        m_prompter.message(this, QCoreApplication::translate("ProfileWindow", "请先打开一个配置文件, 或读取一台仪表。"));
        return std::nullopt;
    }
    // A profile that came through LoadProfile or ReadMeter has been checked, but a
    // meter can hold a value no dialog accepts (a relay mode byte of no entry).
    auto encoded = EncodeProfile(*m_profile);
    if (const auto *error = std::get_if<rdmod::FieldError>(&encoded)) {
        m_prompter.message(this, rdmod::FieldErrorMessage(*error));
        return std::nullopt;
    }
    return std::get<std::vector<Setting>>(encoded);
}

void ProfileWindow::showRows(const std::vector<DiffRow> &rows)
{
    m_table->setRowCount(int(rows.size()));
    const QBrush marked(QColor(255, 228, 196));
    for (int r = 0; r < int(rows.size()); ++r) {
        const DiffRow &row = rows[size_t(r)];
        const QString cells[4] = {row.name, row.profileText, row.meterText, row.same ? SameText() : DifferentText()};
        for (int c = 0; c < 4; ++c) {
            auto *item = new QTableWidgetItem(cells[c]);
            if (!row.same)
                item->setBackground(marked);
            m_table->setItem(r, c, item);
        }
    }
}

void ProfileWindow::setBusy(bool busy)
{
    for (QWidget *w : std::initializer_list<QWidget *>{m_read, m_compare, m_apply, m_start, m_address, m_open, m_find})
        w->setEnabled(!busy);
    m_continue->setEnabled(!busy && m_nextTarget >= 0 && m_nextTarget < int(m_targetList.size()));
    if (busy)
        setCursor(Qt::BusyCursor);
    else
        unsetCursor();
}

bool ProfileWindow::confirm(const std::vector<DiffRow> &rows)
{
    QDialog dialog(this);
    dialog.setWindowTitle(QCoreApplication::translate("ProfileWindow", "应用"));
    auto *text = new QLabel(QCoreApplication::translate("ProfileWindow", "将写入以下 %1 项设置 (仪表 -> 配置文件):").arg(DifferenceCount(rows)), &dialog);
    auto *list = new QPlainTextEdit(DifferencesText(rows), &dialog);
    list->setReadOnly(true);
    rdwidgets::LabelFor(text, list, QCoreApplication::translate("ProfileWindow", "将写入的设置"));
    auto *write = Button(QCoreApplication::translate("ProfileWindow", "写入"), &dialog);
    auto *cancel = Button(QCoreApplication::translate("ProfileWindow", "取消"), &dialog);
    cancel->setDefault(true);
    connect(write, &QPushButton::clicked, &dialog, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(write);
    buttons->addWidget(cancel);
    auto *layout = new QVBoxLayout(&dialog);
    layout->addWidget(text);
    layout->addWidget(list);
    layout->addLayout(buttons);
    return m_prompter.exec(dialog) == QDialog::Accepted;
}
