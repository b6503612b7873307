#include "OverviewWindow.h"

#include "OverviewHost.h"
#include "common/widgets/AccessibleNames.h"
#include "common/widgets/Prompter.h"
#include "common/widgets/ValueLabel.h"
#include "meter/commands/CommandRules.h"
#include "meter/recording/CsvFormat.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFontMetrics>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QTableView>
#include <QVBoxLayout>

namespace {



QPushButton *Button(const QString &text, QWidget *parent)
{
    auto *button = new QPushButton(text, parent);
    rdwidgets::SetCaption(button, text);
    return button;
}

} // namespace

OverviewWindow::OverviewWindow(OverviewHost &host, Prompter &prompter, std::unique_ptr<QSettings> settings,
                               QWidget *parent)
    : QWidget(parent, Qt::Window), m_host(host), m_prompter(prompter), m_settings(std::move(settings))
{
    setWindowTitle(QCoreApplication::translate("Overview", "总览"));
    m_scanButton = Button(QCoreApplication::translate("Overview", "扫描总线"), this);
    m_runButton = Button(QCoreApplication::translate("Overview", "运行"), this);
    m_addButton = Button(QCoreApplication::translate("Overview", "添加…"), this);
    m_removeButton = Button(QCoreApplication::translate("Overview", "删除"), this);
    m_recordButton = Button(QCoreApplication::translate("Overview", "记录数据"), this);
    m_auditButton = Button(QCoreApplication::translate("Overview", "与配置文件比较"), this);

    auto *fromLabel = new QLabel(QCoreApplication::translate("Overview", "起始地址"), this);
    auto *toLabel = new QLabel(QCoreApplication::translate("Overview", "结束地址"), this);
    m_from = new QSpinBox(this);
    m_to = new QSpinBox(this);
    m_from->setRange(1, 247);
    m_to->setRange(1, 247);
    m_from->setValue(1);
    m_to->setValue(247);
    rdwidgets::LabelFor(fromLabel, m_from);
    rdwidgets::LabelFor(toLabel, m_to);
    m_progress = new QProgressBar(this);
    m_progress->setAccessibleName(QCoreApplication::translate("Overview", "扫描进度"));
    m_progress->setRange(0, 247);
    m_progress->setValue(0);
    m_found = new rdwidgets::ValueLabel(QCoreApplication::translate("Overview", "找到"), this);
    m_recordStatus = new rdwidgets::ValueLabel(QCoreApplication::translate("Overview", "记录"), this);

    m_table = new QTableView(this);
    m_table->setModel(&m_model);
    m_table->setAccessibleName(QCoreApplication::translate("Overview", "仪表"));
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(false);
    m_table->setTabKeyNavigation(false);
    m_table->installEventFilter(this);

    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {m_runButton, m_scanButton, m_addButton, m_removeButton, m_recordButton, m_auditButton})
        buttons->addWidget(b);
    buttons->addStretch(1);
    auto *scanRow = new QHBoxLayout;
    scanRow->addWidget(fromLabel);
    scanRow->addWidget(m_from);
    scanRow->addWidget(toLabel);
    scanRow->addWidget(m_to);
    scanRow->addWidget(m_progress, 1);
    scanRow->addWidget(m_found);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addLayout(scanRow);
    layout->addWidget(m_table, 1);
    layout->addWidget(m_recordStatus);
    resize(1060, 440);

    connect(m_runButton, &QPushButton::clicked, this, [this] { m_refreshing ? stopRefresh() : startRefresh(); });
    connect(m_scanButton, &QPushButton::clicked, this, [this] { m_scan.active() ? stopScan() : startScan(); });
    connect(m_addButton, &QPushButton::clicked, this, &OverviewWindow::addMeter);
    connect(m_removeButton, &QPushButton::clicked, this, &OverviewWindow::removeCurrent);
    connect(m_recordButton, &QPushButton::clicked, this, &OverviewWindow::toggleRecording);
    connect(m_table, &QTableView::doubleClicked, this, [this](const QModelIndex &i) {
        if (i.column() == rdov::OverviewModel::kProfile && m_showComparison && i.row() >= 0 && i.row() < m_model.count())
            m_showComparison(m_model.meter(i.row()).address);
        else
            handOver(i.row());
    });
    connect(m_auditButton, &QPushButton::clicked, this, &OverviewWindow::audit);
    connect(&m_model, &rdov::OverviewModel::refused, this,
            [this](const QString &text) { m_prompter.message(this, text); });

    m_askAddress = [](QWidget *parent) {
        return QInputDialog::getText(parent, QCoreApplication::translate("Overview", "添加仪表"),
                                     QCoreApplication::translate("Overview", "子机地址 (1-247):"));
    };
    m_askPath = [](QWidget *parent, const QString &suggested) {
        return QFileDialog::getSaveFileName(parent, QCoreApplication::translate("Overview", "记录数据"), suggested,
                                            QStringLiteral("CSV (*.csv)"));
    };

    // The saved list goes in with the model's own signals, so the table sees the
    // reset like any other change; saving is connected after it, as loading is
    // not a change to save.
    if (m_settings)
        m_model.load(*m_settings);
    connect(&m_model, &rdov::OverviewModel::listChanged, this, &OverviewWindow::save);
    fitColumns();
    showScanState();
    showRunState();
    showRecordState();
}

OverviewWindow::~OverviewWindow()
{
    // Jobs not started send nothing; results on their way are dropped with the window.
    ++*m_refreshGeneration;
    ++*m_scanGeneration;
}

void OverviewWindow::fitColumns()
{
    // Wide enough for the widest text each column can show (the largest units of
    // the main window's ladders), so that values never appear cut and the columns
    // do not jump as the readings change.
    using M = rdov::OverviewModel;
    static const struct {
        int column;
        const char *sample;
    } kSamples[] = {
        {M::kAddress, "2477"}, {M::kVoltage, "888.88 KV"}, {M::kCurrent, "888.888 KA"},
        {M::kActivePower, "-888.888 MW"}, {M::kPowerFactor, "-0.888"}, {M::kFrequency, "88.888 Hz"},
        {M::kEnergy, "888.888 KMWh"}, {M::kSuccessRate, "100.00%"}, {M::kLastReply, "88:88:88"},
    };
    const QFontMetrics fm = m_table->fontMetrics();
    const QFontMetrics header = m_table->horizontalHeader()->fontMetrics();
    constexpr int kPadding = 16;
    for (int c = 0; c < M::kColumns; ++c) {
        const QString title = m_model.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
        int width = header.horizontalAdvance(title) + kPadding;
        for (const auto &s : kSamples)
            if (s.column == c)
                width = std::max(width, fm.horizontalAdvance(QString::fromLatin1(s.sample)) + kPadding);
        if (c == M::kName)
            width = std::max(width, fm.horizontalAdvance(QStringLiteral("1号进线柜配电箱")) + kPadding);
        if (c == M::kStatus)
            width = std::max(width, fm.horizontalAdvance(rdov::StatusText(rdov::MeterStatus::NoReply)) + 40);
        m_table->setColumnWidth(c, width);
    }
}

void OverviewWindow::save()
{
    if (m_settings)
        m_model.save(*m_settings);
}

void OverviewWindow::startRefresh()
{
    if (m_refreshing)
        return;
    if (m_model.count() == 0) {
        // Nothing to refresh: say what to do instead of showing "停止" over nothing.
        m_prompter.message(this, QCoreApplication::translate("Overview", "列表为空，请先扫描或添加"));
        return;
    }
    if (m_scan.active())
        stopScan();
    m_host.stopMainPolling();
    m_refreshing = true;
    m_turnsThisRound = 0;
    m_model.restartTurns();
    postOpen(m_refreshGeneration);
    showRunState();
    while (m_refreshesInFlight < kInFlight && m_model.count() > 0)
        postRefresh();
}

void OverviewWindow::stopRefresh()
{
    if (!m_refreshing)
        return;
    yieldLine();
    postClose();
}

void OverviewWindow::yieldLine()
{
    if (m_refreshing) {
        m_refreshing = false;
        ++*m_refreshGeneration;
        showRunState();
    }
    if (m_scan.active()) {
        m_scan.stop();
        ++*m_scanGeneration;
        showScanState();
    }
}

void OverviewWindow::startScan()
{
    if (m_scan.active())
        return;
    const QString refused = m_scan.start(m_from->value(), m_to->value());
    if (!refused.isEmpty()) {
        m_prompter.message(this, refused);
        return;
    }
    if (m_refreshing)
        yieldLine();
    m_host.stopMainPolling();
    postOpen(m_scanGeneration);
    showScanState();
    for (int i = 0; i < kInFlight; ++i)
        postProbe();
}

void OverviewWindow::stopScan()
{
    if (!m_scan.active())
        return;
    yieldLine();
    postClose();
}

void OverviewWindow::addMeter()
{
    const QString text = m_askAddress ? m_askAddress(this) : QString();
    if (text.trimmed().isEmpty())
        return;   // cancelled
    const rdcmd::NumberCheck address = rdcmd::CheckWholeNumber(text, 1, 247);
    if (!address.ok) {
        m_prompter.message(this, address.notANumber ? rdcmd::NotANumberMessage() : rdcmd::OutOfRangeMessage(1, 247));
        return;
    }
    const QString refused = m_model.addMeter(int(address.value));
    if (!refused.isEmpty()) {
        m_prompter.message(this, refused);
        return;
    }
    m_table->selectRow(m_model.rowOf(uint8_t(address.value)));
    while (m_refreshing && m_refreshesInFlight < kInFlight)
        postRefresh();
}

void OverviewWindow::removeCurrent()
{
    const QModelIndex current = m_table->currentIndex();
    if (current.isValid())
        m_model.removeMeter(current.row());
}

void OverviewWindow::handOver(int row)
{
    if (row < 0 || row >= m_model.count())
        return;
    const uint8_t address = m_model.meter(row).address;
    yieldLine();
    m_host.pollMeter(address);
}

bool OverviewWindow::eventFilter(QObject *watched, QEvent *event)
{
    // While a name is edited the keys go to its editor, which takes Enter itself.
    if (watched == m_table && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            handOver(m_table->currentIndex().row());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool OverviewWindow::startRecording(const QString &path)
{
    QString error;
    const bool ok = m_recorder.open(path, &error);
    if (!ok)
        m_prompter.message(this, error);
    showRecordState();
    return ok;
}

void OverviewWindow::toggleRecording()
{
    if (m_recorder.isOpen()) {
        m_recorder.close();
        showRecordState();
        return;
    }
    const QString path = m_askPath ? m_askPath(this, rdrec::DefaultOverviewRecordPath(QDateTime::currentDateTime()))
                                   : QString();
    if (!path.isEmpty())
        startRecording(path);
}

void OverviewWindow::showRunState()
{
    rdwidgets::SetCaption(m_runButton, m_refreshing ? QCoreApplication::translate("Overview", "停止")
                                                    : QCoreApplication::translate("Overview", "运行"));
}

void OverviewWindow::showScanState()
{
    rdwidgets::SetCaption(m_scanButton, m_scan.active() ? QCoreApplication::translate("Overview", "停止扫描")
                                                        : QCoreApplication::translate("Overview", "扫描总线"));
    m_progress->setRange(0, m_scan.total());
    m_progress->setValue(m_scan.probedCount());
    QString found = QCoreApplication::translate("Overview", "找到 %1 台仪表").arg(m_scan.foundCount());
    // A whole range without an answer: the usual causes, where the user looks.
    if (!m_scan.active() && m_scan.foundCount() == 0 && m_scan.probedCount() == m_scan.total())
        found += QCoreApplication::translate("Overview", "。请检查波特率、校验位、A/B 线是否接反，以及地址范围 %1-%2。")
                     .arg(m_scan.from())
                     .arg(m_scan.to());
    m_found->setText(found);
    m_from->setEnabled(!m_scan.active());
    m_to->setEnabled(!m_scan.active());
}

void OverviewWindow::showRecordState()
{
    rdwidgets::SetCaption(m_recordButton, m_recorder.isOpen() ? QCoreApplication::translate("Overview", "停止记录")
                                                              : QCoreApplication::translate("Overview", "记录数据"));
    m_recordStatus->setText(m_recorder.isOpen()
                                ? QCoreApplication::translate("Overview", "记录中: %1 (%2 行)")
                                      .arg(QDir::toNativeSeparators(m_recorder.path()))
                                      .arg(m_recorder.rowCount())
                                : QString());
}

void OverviewWindow::waitForLine()
{
    while (m_done != m_posted) {
        m_host.linkWorker().drain();
        QCoreApplication::sendPostedEvents();
    }
}
