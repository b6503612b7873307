// Start, stop and failures of a recording; the history beside it.
#include "RecordingControls.h"

#include <QFileInfo>
#include <QIODevice>
#include <QCoreApplication>

namespace rdrec {

RecordingControls::RecordingControls(QObject *parent) : QObject(parent) {}

bool RecordingControls::start(const QString &path, IfExisting existing)
{
    noteEnding();
    QString error;
    const bool ok = m_recorder.open(path, &error, existing);
    return started(ok, error);
}

bool RecordingControls::start(std::unique_ptr<QIODevice> device, const QString &path)
{
    noteEnding();
    QString error;
    const bool ok = m_recorder.open(std::move(device), path, &error);
    return started(ok, error);
}

bool RecordingControls::started(bool ok, const QString &error)
{
    // open() closes a running recording first, so either way the state changed.
    emit stateChanged();
    if (!ok)
        emit failed(error);
    return ok;
}

void RecordingControls::stop()
{
    if (!m_recorder.isOpen())
        return;
    noteEnding();
    m_recorder.close();
    emit stateChanged();
}

void RecordingControls::noteEnding()
{
    if (!m_recorder.isOpen())
        return;
    m_lastPath = m_recorder.path();
    m_lastRows = m_recorder.rowCount();
}

void RecordingControls::onReading(const rdacq::Reading &reading)
{
    m_history.add(reading);
    emit readingAdded(reading);
    if (!m_recorder.isOpen())
        return;
    QString error;
    noteEnding();   // a failed write closes the file: what it holds stays said
    const bool ok = m_recorder.append(reading, &error);
    emit stateChanged();
    if (!ok)
        emit failed(error);
}

QString RecordingControls::statusText() const
{
    if (!m_recorder.isOpen()) {
        if (m_lastPath.isEmpty())
            return {};
        return QCoreApplication::translate("RecordingControls", "已记录 %1 行：%2")
            .arg(m_lastRows)
            .arg(QFileInfo(m_lastPath).fileName());
    }
    return QCoreApplication::translate("RecordingControls", "记录中: %1 (%2 行)")
        .arg(QFileInfo(m_recorder.path()).fileName())
        .arg(m_recorder.rowCount());
}

QString RecordingControls::buttonText() const
{
    return m_recorder.isOpen() ? QCoreApplication::translate("RecordingControls", "停止记录") : QCoreApplication::translate("RecordingControls", "记录数据");
}

} // namespace rdrec
