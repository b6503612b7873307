// The points InfluxDB has not taken yet, on disk, oldest first, bounded: what
// the service keeps through an outage of InfluxDB and through its own restart.
//
// The folder holds segment files of at most kSegmentLines points, one a line
// ("000000000001.lp", numbered in the order written), and "head": the number of
// the oldest segment and how many of its points are gone. Every segment but
// the newest holds exactly kSegmentLines lines, so opening reads only the
// oldest and the newest. A line cut short by a crash is cut off on opening.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>

#include <deque>
#include <memory>
#include <vector>

namespace rdsvc {

class InfluxQueue {
public:
    static constexpr qint64 kSegmentLines = 1000;

    // `capacity`: the most points the queue holds (at least 1).
    InfluxQueue(const QString &folder, qint64 capacity);
    ~InfluxQueue();

    // Makes the folder and takes up what an earlier run left there, keeping
    // the newest `capacity` of it (`dropped`: how many older ones went). False
    // with `error` when the folder cannot be made or read.
    bool open(QString *error, qint64 *dropped = nullptr);

    qint64 size() const { return m_size; }
    qint64 capacity() const { return m_capacity; }
    bool isEmpty() const { return m_size == 0; }

    // Adds `lines` (points without line breaks) at the tail. When the queue is
    // full the oldest go first; returns how many points were lost that way or
    // because the disk refused them (then lastError() says why).
    qint64 append(const QList<QByteArray> &lines);
    // Up to `max` of the oldest points, without taking them out.
    QList<QByteArray> peek(int max);
    // Takes out the `count` oldest points.
    void pop(qint64 count);

    QString lastError() const { return m_error; }

private:
    struct Segment {
        quint64 id;
        qint64 lines;   // lines in the file, including those before the head
    };

    QString segmentPath(quint64 id) const;
    bool loadHead();                     // offsets of the oldest segment's lines
    bool scanTail(qint64 *lines);        // counts the newest segment, cuts a torn line off
    bool openTail();
    void saveHead();
    void dropHeadSegment();

    QString m_folder;
    qint64 m_capacity;
    qint64 m_size = 0;
    std::deque<Segment> m_segments;      // oldest first
    qint64 m_headLine = 0;               // lines of the oldest segment already gone
    std::vector<qint64> m_headOffsets;   // start of each line of the oldest segment, then its end
    std::unique_ptr<QFile> m_tail;       // the newest segment, open for appending
    quint64 m_lastId = 0;                // number of the newest segment made
    QString m_error;
};

// The state directory: `configured` when set, else systemd's $STATE_DIRECTORY,
// else $XDG_STATE_HOME/rd5800d, else ~/.local/state/rd5800d.
QString StateDirectory(const QString &configured);

} // namespace rdsvc
