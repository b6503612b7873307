#include "InfluxWriter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrlQuery>

#include <zlib.h>

#include <algorithm>

namespace rdsvc {

namespace {

// The first line of `path`, trimmed.
bool ReadSecret(const QString &path, QString *secret, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QCoreApplication::translate("rd5800d", "无法读取密码文件 %1: %2").arg(path, file.errorString());
        return false;
    }
    *secret = QString::fromUtf8(file.readLine()).trimmed();
    return true;
}

} // namespace

bool MakeInfluxSettings(const InfluxConfig &config, int meters, double intervalSeconds, InfluxSettings *settings,
                        QString *error)
{
    InfluxSettings s;
    s.url = config.url;
    s.database = config.database;
    s.user = config.user;
    if (!config.passwordFile.isEmpty() && !ReadSecret(config.passwordFile, &s.password, error))
        return false;
    if (!config.tokenFile.isEmpty() && !ReadSecret(config.tokenFile, &s.token, error))
        return false;
    s.queueFolder = QDir(StateDirectory(config.stateDir)).filePath(QStringLiteral("influx-queue"));
    s.queueCapacity = config.queueSize > 0 ? config.queueSize : DefaultQueueSize(meters, intervalSeconds);
    *settings = s;
    return true;
}

QByteArray Gzip(const QByteArray &body)
{
    z_stream z = {};
    // 15 + 16: a gzip header and trailer around the deflate stream. The fastest
    // level: line protocol is repetitive and shrinks well anyway, and the main
    // thread should not spend long on a batch of several megabytes.
    if (deflateInit2(&z, Z_BEST_SPEED, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return {};
    QByteArray out;
    out.resize(qsizetype(deflateBound(&z, uLong(body.size()))) + 32);
    z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(body.constData()));
    z.avail_in = uInt(body.size());
    z.next_out = reinterpret_cast<Bytef *>(out.data());
    z.avail_out = uInt(out.size());
    const int result = deflate(&z, Z_FINISH);
    out.resize(qsizetype(z.total_out));
    deflateEnd(&z);
    return result == Z_STREAM_END ? out : QByteArray();
}

InfluxWriter::InfluxWriter(const InfluxSettings &settings, QObject *parent)
    : QObject(parent), m_settings(settings), m_batchLimit(std::max(1, settings.batchPoints))
{
    m_batchTimer.setSingleShot(true);
    m_retryTimer.setSingleShot(true);
    connect(&m_batchTimer, &QTimer::timeout, this, &InfluxWriter::send);
    connect(&m_retryTimer, &QTimer::timeout, this, &InfluxWriter::send);
}

InfluxWriter::~InfluxWriter()
{
    // Nothing is lost, and nobody is told: whoever listened may be gone already.
    blockSignals(true);
    stop();
}

QUrl InfluxWriter::writeUrl() const
{
    QUrl url = m_settings.url;
    QString path = url.path();
    while (path.endsWith(QLatin1Char('/')))
        path.chop(1);
    url.setPath(path + QStringLiteral("/write"));
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("db"), m_settings.database);
    query.addQueryItem(QStringLiteral("precision"), QStringLiteral("ns"));
    url.setQuery(query);
    return url;
}

bool InfluxWriter::start(QString *error)
{
    m_queue = std::make_unique<InfluxQueue>(m_settings.queueFolder, m_settings.queueCapacity);
    qint64 dropped = 0;
    if (!m_queue->open(error, &dropped))
        return false;
    m_network = std::make_unique<QNetworkAccessManager>();
    if (dropped > 0) {
        m_stats.dropped += quint64(dropped);
        emit logLine(QCoreApplication::translate("rd5800d", "InfluxDB 队列比设定的 %1 点大, 丢弃了最旧的 %2 点")
                         .arg(m_settings.queueCapacity).arg(dropped));
    }
    if (!m_queue->isEmpty()) {
        emit logLine(QCoreApplication::translate("rd5800d", "InfluxDB 队列中有上次留下的 %1 点, 依次发送")
                         .arg(m_queue->size()));
        QTimer::singleShot(0, this, &InfluxWriter::send);
    }
    return true;
}

void InfluxWriter::add(const QByteArray &point)
{
    if (!m_queue || point.isEmpty())
        return;
    if (m_failing || !m_queue->isEmpty()) {
        // Behind what waits in the queue, to keep the order.
        spill({point});
        if (!m_failing)
            send();
        return;
    }
    m_memory.append(point);
    if (m_memory.size() >= m_batchLimit)
        send();
    else if (!m_batchTimer.isActive())
        m_batchTimer.start(m_settings.batchMs);
}

void InfluxWriter::spill(const QList<QByteArray> &points)
{
    if (points.isEmpty())
        return;
    const qint64 lost = m_queue->append(points);
    if (m_reply && m_fromQueue)
        m_pushedOut += lost;   // the oldest go first: those on their way
    noteDropped(lost);
}

void InfluxWriter::noteDropped(qint64 count)
{
    if (count <= 0)
        return;
    m_stats.dropped += quint64(count);
    if (m_droppedInOverflow == 0) {
        const QString reason = m_queue->size() >= m_queue->capacity()
                                   ? QCoreApplication::translate("rd5800d", "InfluxDB 队列已满 (%1 点), 丢弃最旧的点")
                                         .arg(m_queue->capacity())
                                   : m_queue->lastError();
        emit logLine(reason);
    }
    m_droppedInOverflow += count;
}

void InfluxWriter::send()
{
    if (m_reply || !m_queue || m_retryTimer.isActive())
        return;
    m_batchTimer.stop();
    QList<QByteArray> points;
    if (!m_queue->isEmpty()) {
        points = m_queue->peek(m_batchLimit);
        m_fromQueue = true;
        if (points.isEmpty()) {
            failed(m_queue->lastError());
            return;
        }
    } else if (!m_memory.isEmpty()) {
        points = m_memory.mid(0, m_batchLimit);
        m_memory.remove(0, points.size());
        m_batch = points;
        m_fromQueue = false;
    } else {
        return;
    }
    m_inFlight = int(points.size());
    m_pushedOut = 0;

    QNetworkRequest request(writeUrl());
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("text/plain; charset=utf-8"));
    QByteArray body = points.join('\n') + '\n';
    const QByteArray packed = Gzip(body);
    if (!packed.isEmpty()) {   // zlib out of memory: the points as they are
        body = packed;
        request.setRawHeader("Content-Encoding", "gzip");
    }
    if (!m_settings.token.isEmpty())
        request.setRawHeader("Authorization", "Token " + m_settings.token.toUtf8());
    else if (!m_settings.user.isEmpty())
        request.setRawHeader("Authorization",
                             "Basic " + (m_settings.user + QLatin1Char(':') + m_settings.password).toUtf8().toBase64());
    request.setTransferTimeout(m_settings.timeoutMs);
    m_reply = m_network->post(request, body);
    QNetworkReply *reply = m_reply;
    connect(reply, &QNetworkReply::finished, this, [this, reply] { onFinished(reply); });
}

void InfluxWriter::onFinished(QNetworkReply *reply)
{
    reply->deleteLater();
    if (reply != m_reply)
        return;
    m_reply = nullptr;
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QByteArray body = reply->readAll();
    const int sent = m_inFlight;
    const qint64 gone = std::min<qint64>(m_pushedOut, sent);   // already counted as dropped
    m_inFlight = 0;

    // InfluxDB 1.x writes the good points of a batch and says "partial write";
    // a server that refuses the whole batch for one bad point gets it again in
    // halves until the bad one stands alone. A batch too big for the server's
    // limit (413) is sent again in halves too.
    const bool wholeBatchRefused = status == 400 && !body.contains("partial write");
    if ((status == 413 || wholeBatchRefused) && sent > 1) {
        m_isolating = wholeBatchRefused;
        m_batchLimit = std::max(1, sent / 2);
        if (!m_fromQueue) {
            m_memory = m_batch + m_memory;
            m_batch.clear();
        }
        send();
        return;
    }
    if (status / 100 != 2 && status != 400) {
        const QString error = status != 0
                                  ? QStringLiteral("HTTP %1: %2").arg(status).arg(InfluxErrorText(body))
                                  : reply->errorString();
        failed(error);
        return;
    }
    qint64 rejected = 0;
    if (status == 400) {
        // Malformed: sending it again would never get further.
        rejected = std::max<qint64>(0, InfluxRejectedCount(body, sent) - gone);
        m_isolating = false;
        m_stats.dropped += quint64(rejected);
        m_stats.lastError = QStringLiteral("HTTP 400: %1").arg(InfluxErrorText(body));
        m_stats.lastErrorTime = QDateTime::currentDateTime();
        emit logLine(QCoreApplication::translate("rd5800d", "InfluxDB 拒绝了 %1 点 (格式错误, 不再发送): %2")
                         .arg(rejected).arg(InfluxErrorText(body)));
    }
    m_stats.written += quint64(sent - gone - rejected);
    if (m_fromQueue)
        m_queue->pop(sent - gone);
    m_batch.clear();

    m_retrySeconds = 0;
    if (!m_isolating)
        m_batchLimit = std::max(1, m_settings.batchPoints);
    if (m_failing) {
        m_failing = false;
        m_loggedError.clear();
        emit logLine(QCoreApplication::translate("rd5800d", "InfluxDB 可以写入了 (队列中还有 %1 点)")
                         .arg(m_queue->size()));
    }
    if (m_droppedInOverflow > 0 && m_queue->size() < m_queue->capacity()) {
        emit logLine(QCoreApplication::translate("rd5800d", "InfluxDB 队列满时共丢弃了 %1 点").arg(m_droppedInOverflow));
        m_droppedInOverflow = 0;
    }
    if (!m_queue->isEmpty() || m_memory.size() >= m_batchLimit)
        send();
    else if (!m_memory.isEmpty() && !m_batchTimer.isActive())
        m_batchTimer.start(m_settings.batchMs);
}

void InfluxWriter::failed(const QString &error)
{
    // The batch on its way, then what came after it: to the queue, in order.
    if (!m_fromQueue)
        spill(m_batch);
    m_batch.clear();
    spill(m_memory);
    m_memory.clear();
    m_batchTimer.stop();
    m_failing = true;
    m_stats.lastError = error;
    m_stats.lastErrorTime = QDateTime::currentDateTime();
    m_retrySeconds = m_retrySeconds == 0 ? 1 : std::min(2 * m_retrySeconds, kMaxRetrySeconds);
    if (error != m_loggedError) {
        m_loggedError = error;
        emit logLine(QCoreApplication::translate("rd5800d", "InfluxDB %1 写入失败: %2 (%3 点在队列中, 稍后重试)")
                         .arg(m_settings.url.toString(), error).arg(m_queue->size()));
    }
    m_retryTimer.start(m_retrySeconds * 1000);
}

void InfluxWriter::stop()
{
    m_batchTimer.stop();
    m_retryTimer.stop();
    if (!m_queue)
        return;
    if (m_reply) {
        QNetworkReply *reply = m_reply;
        m_reply = nullptr;
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
        // InfluxDB may have taken it already: sent again, the same points
        // (same series, same time) overwrite themselves.
        if (!m_fromQueue)
            spill(m_batch);
    }
    m_batch.clear();
    spill(m_memory);
    m_memory.clear();
    emit logLine(QCoreApplication::translate("rd5800d", "InfluxDB: 本次写入 %1 点, 队列中留下 %2 点")
                     .arg(m_stats.written).arg(m_queue->size()));
    m_queue.reset();
}

InfluxStats InfluxWriter::stats() const
{
    InfluxStats s = m_stats;
    s.queued = quint64((m_queue ? m_queue->size() : 0) + m_memory.size() + (m_fromQueue ? 0 : m_batch.size()));
    return s;
}

} // namespace rdsvc
