// The service's CSV file of one meter (the main window's columns, one row per
// reading). Written for a daemon that runs for months on a disk that may fill:
//   - a row goes to the system in one write; a write that fails part way is
//     cut back, so the file never holds a partial row;
//   - a failing write does not stop the recording: the next row tries again
//     (at each poll), and the rows that could not be written are counted;
//   - a file continued after a crash loses its cut last row, not its order.
// The desktop's recorder (meter/recording/CsvRecorder) stops at the first
// failure instead, because a user is there to see it.
#pragma once

#include <QByteArray>
#include <QString>

namespace rdsvc {

class RecordFile {
public:
    explicit RecordFile(const QString &path);
    ~RecordFile();
    RecordFile(const RecordFile &) = delete;
    RecordFile &operator=(const RecordFile &) = delete;

    // Opens the file for appending. A file that holds a recording with the
    // same columns is continued; one with other content is refused, so nothing
    // the user had is lost. False with a message naming the file and the reason.
    bool open(QString *error);

    enum class Outcome {
        Written,       // the row is in the file
        Resumed,       // the row is in, after one or more failures
        Failed,        // the row is not in; writing worked before
        StillFailing,  // the row is not in, as the one before it
    };
    // Appends `row` (ending in CRLF), the header first into an empty file.
    // Opens the file first when it is not open (a failed open is retried).
    Outcome append(const QByteArray &row);

    void close();

    QString path() const { return m_path; }
    bool failing() const { return m_error != 0; }
    int lastError() const { return m_error; }    // errno of the last failure, 0 while writing works
    quint64 lostRows() const { return m_lost; }  // rows that could not be written since start
    quint64 rows() const { return m_rows; }      // rows written since start
    QString failureText() const;                 // the log line of the last failure

private:
    int openFile(QString *error);   // 0, or errno
    Outcome fail(int error);

    QString m_path;
    int m_fd = -1;
    int m_error = 0;
    bool m_refused = false;   // other content: not retried on its own
    quint64 m_lost = 0;
    quint64 m_rows = 0;
};

} // namespace rdsvc
