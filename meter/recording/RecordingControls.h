// What the main window owns for recording and trends: the CSV recorder with its
// start, stop and failure flow, and the reading history that fills on every
// reading. The window connects its buttons, its status text and the trend window
// to this object; it holds no widget itself.
#pragma once

#include "CsvRecorder.h"
#include "ReadingHistory.h"

#include <QObject>
#include <QString>
#include <memory>

class QIODevice;

namespace rdrec {

class RecordingControls : public QObject {
    Q_OBJECT
public:
    explicit RecordingControls(QObject *parent = nullptr);

    // Starts recording into `path` (a running recording is stopped first); what
    // becomes of a file that already holds something is `existing`'s choice. On
    // failure emits failed() with the text for the user and returns false.
    bool start(const QString &path, IfExisting existing = IfExisting::Continue);
    // The same on a device the caller made; the seam for the tests.
    bool start(std::unique_ptr<QIODevice> device, const QString &path);
    void stop();

    // One good reading: into the history, then a row into the file while
    // recording. A write failure stops recording and emits failed() once;
    // polling is not touched.
    void onReading(const rdacq::Reading &reading);

    bool isRecording() const { return m_recorder.isOpen(); }
    QString filePath() const { return m_recorder.path(); }
    qint64 rowCount() const { return m_recorder.rowCount(); }
    // "记录中: <file> (<n> 行)" while recording; after it ended (stopped or failed)
    // "已记录 <n> 行：<file>", the last recording's; empty before the first.
    QString statusText() const;
    // The caption of the start/stop control: "记录数据" or "停止记录".
    QString buttonText() const;

    const ReadingHistory &history() const { return m_history; }

signals:
    // Recording started or stopped, or the row count changed.
    void stateChanged();
    // A message for the user: the file could not be opened or written.
    void failed(const QString &message);
    // After the history holds `reading`; the trend window follows this.
    void readingAdded(const rdacq::Reading &reading);

private:
    bool started(bool ok, const QString &error);
    // Keeps the name and row count of the recording that is about to end.
    void noteEnding();

    CsvRecorder m_recorder;
    QString m_lastPath;
    qint64 m_lastRows = 0;
    ReadingHistory m_history;
};

} // namespace rdrec
