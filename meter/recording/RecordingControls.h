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

    // Starts recording into `path` (a running recording is stopped first). On
    // failure emits failed() with the text for the user and returns false.
    bool start(const QString &path);
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
    // "记录中: <file> (<n> 行)" while recording, empty otherwise.
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

    CsvRecorder m_recorder;
    ReadingHistory m_history;
};

} // namespace rdrec
