// Writes readings into a CSV file, one row per reading, each row handed to the
// system before the next reading comes, so a killed program loses at most the
// row it was writing. A failure to open or write stops the recorder with a text
// for the user that names the file and the system's reason.
#pragma once

#include "meter/acquisition/Reading.h"

#include <QString>
#include <memory>

class QIODevice;

namespace rdrec {

// What a file holds before a recording goes into it.
enum class ExistingFile {
    Absent,         // no file, an empty one, or one that cannot be read (opening it says why)
    SameColumns,    // a recording with the columns this program writes: it can be continued
    OtherContent,   // anything else
};
ExistingFile InspectRecordFile(const QString &path);

// What open() does with a file that already holds something.
enum class IfExisting {
    Continue,    // continue a recording with the same columns; refuse other content
    Overwrite,   // start the file anew (the user has said so)
};

class CsvRecorder {
public:
    // With `addressColumn` every row carries the meter's address after the time
    // (the overview's one file for all meters).
    explicit CsvRecorder(bool addressColumn = false);
    ~CsvRecorder();
    CsvRecorder(const CsvRecorder &) = delete;
    CsvRecorder &operator=(const CsvRecorder &) = delete;

    // Opens `path` and writes the header. With Continue, a file that already
    // holds a recording with the same columns is continued, never overwritten; a
    // non-empty file with other content is refused, so nothing the user had is
    // lost. With Overwrite, whatever the file held is replaced.
    bool open(const QString &path, QString *error, IfExisting existing = IfExisting::Continue);

    // The same on a device the caller made (a test's failing device); `path`
    // names it in messages. The device must be open for writing; it is always
    // treated as a new, empty file.
    bool open(std::unique_ptr<QIODevice> device, const QString &path, QString *error);

    // Appends the row of `reading`. On failure the recorder closes and `error`
    // says why; later calls return false without a new text.
    bool append(const rdacq::Reading &reading, QString *error);
    // The same with the meter's address (a recorder made with the address column).
    bool append(const rdacq::Reading &reading, uint8_t address, QString *error);

    void close();

    bool isOpen() const { return m_device != nullptr; }
    QString path() const { return m_path; }
    qint64 rowCount() const { return m_rows; }   // rows written since open

private:
    bool writeAll(const QByteArray &bytes);
    QString reason() const;

    bool appendRow(const QByteArray &row, QString *error);

    bool m_addressColumn = false;
    std::unique_ptr<QIODevice> m_device;
    QString m_path;
    qint64 m_rows = 0;
};

} // namespace rdrec
