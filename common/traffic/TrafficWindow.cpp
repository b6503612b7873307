// The line monitor's window: a thin view over TrafficModel.
#include "TrafficWindow.h"

#include "TraceFile.h"
#include "TrafficModel.h"

#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <QCoreApplication>

namespace rdtraffic {

TrafficWindow::TrafficWindow(const QString &program, QWidget *parent)
    : QDialog(parent), m_model(new TrafficModel(this)), m_program(program)
{
    setWindowTitle(QCoreApplication::translate("TrafficWindow", "通讯监视"));
    setModal(false);
    setSizeGripEnabled(true);

    m_view = new QTableView(this);
    m_view->setModel(m_model);
    m_view->setAccessibleName(QCoreApplication::translate("TrafficWindow", "通讯监视"));
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->setWordWrap(false);
    m_view->setAlternatingRowColors(true);
    m_view->verticalHeader()->hide();
    m_view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_view->verticalHeader()->setDefaultSectionSize(m_view->fontMetrics().height() + 6);
    QHeaderView *header = m_view->horizontalHeader();
    header->setHighlightSections(false);
    const QFontMetrics fm = m_view->fontMetrics();
    m_view->setColumnWidth(TrafficModel::TimeColumn, fm.horizontalAdvance(QStringLiteral("00:00:00.000")) + 16);
    m_view->setColumnWidth(TrafficModel::DirectionColumn, fm.horizontalAdvance(QCoreApplication::translate("TrafficWindow", "发送")) + 16);
    m_view->setColumnWidth(TrafficModel::DataColumn, fm.horizontalAdvance(QStringLiteral("00 ")) * 18);
    m_view->setColumnWidth(TrafficModel::ElapsedColumn, fm.horizontalAdvance(QCoreApplication::translate("TrafficWindow", "耗时(ms)")) + 24);
    // 说明 takes the room the window has; the other columns keep their widths.
    header->setSectionResizeMode(TrafficModel::MeaningColumn, QHeaderView::Stretch);

    m_pause = new QPushButton(QCoreApplication::translate("TrafficWindow", "暂停"), this);
    m_clear = new QPushButton(QCoreApplication::translate("TrafficWindow", "清除"), this);
    m_save = new QPushButton(QCoreApplication::translate("TrafficWindow", "保存"), this);
    for (QPushButton *b : {m_pause, m_clear, m_save})
        b->setAutoDefault(false);
    m_summary = new QLabel(this);
    m_summary->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_summary, 1);
    buttons->addWidget(m_pause);
    buttons->addWidget(m_clear);
    buttons->addWidget(m_save);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_view, 1);
    layout->addLayout(buttons);
    resize(960, 520);

    m_updateTimer = new QTimer(this);
    m_updateTimer->setSingleShot(true);
    m_updateTimer->setInterval(kUpdateMs);
    connect(m_updateTimer, &QTimer::timeout, this, &TrafficWindow::flush);
    connect(m_pause, &QPushButton::clicked, this, &TrafficWindow::togglePause);
    connect(m_clear, &QPushButton::clicked, this, &TrafficWindow::clearRows);
    connect(m_save, &QPushButton::clicked, this, &TrafficWindow::save);
    connect(m_model, &TrafficModel::summaryChanged, this, &TrafficWindow::updateSummary);
    updateSummary();

    m_askPath = [](QWidget *p, const QString &suggested) {
        return QFileDialog::getSaveFileName(p, QCoreApplication::translate("TrafficWindow", "保存"), suggested,
                                            QCoreApplication::translate("TrafficWindow", "文本文件 (*.txt);;所有文件 (*)"));
    };
    m_reportError = [](QWidget *p, const QString &title, const QString &text) {
        QMessageBox::warning(p, title, text);
    };
}

void TrafficWindow::addRecord(const rdlink::ExchangeRecord &record)
{
    m_pending.push_back(record);
    if (!m_updateTimer->isActive())
        m_updateTimer->start();
}

void TrafficWindow::flush()
{
    m_updateTimer->stop();
    if (m_pending.empty())
        return;
    QScrollBar *bar = m_view->verticalScrollBar();
    const bool follow = !m_paused && bar->value() >= bar->maximum();
    const int keep = bar->value();
    const int before = m_model->rowCount();
    m_model->addRecords(m_pending.data(), int(m_pending.size()));
    const int dropped = before + 2 * int(m_pending.size()) - m_model->rowCount();
    m_pending.clear();
    if (follow) {
        m_view->scrollToBottom();
    } else if (dropped > 0) {
        // The oldest rows went: move up with the rows the user is reading.
        bar->setValue(std::max(0, keep - dropped));
    }
}

void TrafficWindow::togglePause()
{
    m_paused = !m_paused;
    m_pause->setText(m_paused ? QCoreApplication::translate("TrafficWindow", "继续") : QCoreApplication::translate("TrafficWindow", "暂停"));
    if (!m_paused) {
        flush();
        m_view->scrollToBottom();
    }
}

void TrafficWindow::clearRows()
{
    m_pending.clear();
    m_model->clear();
}

void TrafficWindow::save()
{
    // The documents folder when there is one, else the home folder: a folder that
    // does not exist would send the file dialog to the current folder instead.
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QDir::homePath();
    const QString suggested =
        QDir(folder).filePath(SuggestedTraceName(m_program, QDateTime::currentDateTime()));
    flush();
    const QString path = m_askPath(this, suggested);
    if (path.isEmpty())
        return;
    QString error;
    if (!WriteTrace(path, *m_model, &error))
        m_reportError(this, QCoreApplication::translate("TrafficWindow", "保存"),
                      QCoreApplication::translate("TrafficWindow", "通讯记录未能保存到 %1：%2").arg(QDir::toNativeSeparators(path), error));
}

void TrafficWindow::updateSummary()
{
    m_summary->setText(SummaryText(m_model->summary()));
}

void TrafficWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    emit monitoringChanged(true);
}

void TrafficWindow::hideEvent(QHideEvent *event)
{
    QDialog::hideEvent(event);
    emit monitoringChanged(false);
}

void TrafficWindow::watch(rdlink::LinkWorker &worker)
{
    connect(this, &TrafficWindow::monitoringChanged, &worker, [&worker](bool on) { worker.setObserving(on); });
    // A window deleted while shown gets no hideEvent: the collection stops here too.
    connect(this, &QObject::destroyed, &worker, [&worker] { worker.setObserving(false); });
    connect(&worker, &rdlink::LinkWorker::exchanged, this, &TrafficWindow::addRecord, Qt::QueuedConnection);
}

} // namespace rdtraffic
