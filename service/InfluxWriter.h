// Sends the points to InfluxDB (its /write endpoint, Qt Network, gzip) in
// batches, and keeps what it could not send in the queue on disk until
// InfluxDB takes it: in order, oldest first, with the points' own time stamps.
// Lives on the main thread; nothing here waits: the poll hands a point over
// and goes on.
//
// While InfluxDB answers, points gather in memory and leave by count or time.
// A failed write (no connection, a time-out, 5xx, 401, ...) moves the batch and
// everything after it to the queue; from then on new points are appended to
// the queue, and the queue is sent again batch after batch (a first try after
// a pause that grows to kMaxRetrySeconds) until it is empty. A point InfluxDB
// refuses as malformed (400) is logged once and not sent again.
#pragma once

#include "service/InfluxLine.h"
#include "service/InfluxOptions.h"
#include "InfluxQueue.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QTimer>
#include <QUrl>

#include <memory>

class QNetworkAccessManager;
class QNetworkReply;

namespace rdsvc {

struct InfluxSettings {
    QUrl url;                    // the server; /write is added to its path
    QString database;
    QString user;
    QString password;
    QString token;               // set: "Authorization: Token ..." instead of user and password
    QString queueFolder;
    qint64 queueCapacity = 1;
    int batchPoints = 5000;      // a batch leaves when it has this many points ...
    int batchMs = 1000;          // ... or this long after its first point
    int timeoutMs = 10000;       // a request without progress for this long has failed
};

constexpr int kMaxRetrySeconds = 10;

// The InfluxDB settings of `config` with the password or token read from its
// file and the queue in the state directory. False with `error` when a file
// cannot be read.
bool MakeInfluxSettings(const InfluxConfig &config, int meters, double intervalSeconds, InfluxSettings *settings,
                        QString *error);

// `body` gzip-compressed, as the Content-Encoding gzip of a request carries it.
QByteArray Gzip(const QByteArray &body);

class InfluxWriter : public QObject {
    Q_OBJECT
public:
    explicit InfluxWriter(const InfluxSettings &settings, QObject *parent = nullptr);
    ~InfluxWriter() override;

    // Opens the queue (what an earlier run left is sent first). False with `error`.
    bool start(QString *error);
    // One point (a line without its line break).
    void add(const QByteArray &point);
    // Puts what waits in memory or is on its way into the queue, for the next start.
    void stop();

    InfluxStats stats() const;
    // The URL of the write requests.
    QUrl writeUrl() const;

signals:
    void logLine(const QString &text);

private:
    void send();
    void onFinished(QNetworkReply *reply);
    void failed(const QString &error);
    void spill(const QList<QByteArray> &points);
    void noteDropped(qint64 count);

    InfluxSettings m_settings;
    std::unique_ptr<InfluxQueue> m_queue;
    std::unique_ptr<QNetworkAccessManager> m_network;
    QList<QByteArray> m_memory;          // newer than all of the queue; only while the queue is empty
    QList<QByteArray> m_batch;           // on its way when it came from memory
    QNetworkReply *m_reply = nullptr;
    int m_inFlight = 0;                  // points of the request on its way
    bool m_fromQueue = false;            // the request's points are the queue's oldest
    qint64 m_pushedOut = 0;              // of those, pushed out of a full queue meanwhile
    int m_batchLimit;                    // smaller after a 413, or while a bad point is looked for
    bool m_isolating = false;            // a refused batch is being halved down to its bad point
    bool m_failing = false;
    int m_retrySeconds = 0;
    QTimer m_batchTimer;
    QTimer m_retryTimer;
    InfluxStats m_stats;
    QString m_loggedError;               // the last failure logged, not logged again
    qint64 m_droppedInOverflow = 0;      // pushed out since the queue became full
};

} // namespace rdsvc
