#include "InfluxRig.h"

#include "ServiceRig.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QStandardPaths>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>
#include <QUrlQuery>

#include <csignal>
#include <sys/prctl.h>

namespace svctest {

QByteArray Http(const QString &url, int *status, const QByteArray *post)
{
    QNetworkAccessManager manager;
    QNetworkRequest request{QUrl(url)};
    QNetworkReply *reply = nullptr;
    if (post) {
        request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/x-www-form-urlencoded"));
        reply = manager.post(request, *post);
    } else {
        reply = manager.get(request);
    }
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    loop.exec();
    *status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QByteArray body = reply->readAll();
    reply->abort();
    reply->deleteLater();
    return body;
}

InfluxServer::InfluxServer(const QString &folder, bool https)
    : m_folder(folder), m_httpPort(FreePort()), m_rpcPort(FreePort()), m_https(https)
{
    QDir().mkpath(folder);
    QString tls;
    if (https) {
        const QString cert = QDir(folder).filePath(QStringLiteral("cert.pem"));
        const QString key = QDir(folder).filePath(QStringLiteral("key.pem"));
        if (Run(QStringLiteral("openssl"), {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key, "-out", cert,
                                            "-days", "1", "-subj", "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1"},
                nullptr, nullptr, 60000) == 0)
            m_certificate = cert;
        tls = QStringLiteral("  https-enabled = true\n  https-certificate = \"%1\"\n  https-private-key = \"%2\"\n").arg(cert, key);
    }
    QFile conf(QDir(folder).filePath(QStringLiteral("influxdb.conf")));
    if (conf.open(QIODevice::WriteOnly))
        conf.write(QStringLiteral(
            "reporting-disabled = true\n"
            "bind-address = \"127.0.0.1:%1\"\n"
            "[meta]\n  dir = \"%3/meta\"\n"
            "[data]\n  dir = \"%3/data\"\n  wal-dir = \"%3/wal\"\n  query-log-enabled = false\n"
            "[http]\n  enabled = true\n  bind-address = \"127.0.0.1:%2\"\n  log-enabled = false\n%4"
            "[monitor]\n  store-enabled = false\n"
            "[continuous_queries]\n  enabled = false\n")
                       .arg(m_rpcPort).arg(m_httpPort).arg(folder, tls).toUtf8());
    // Dies with the test, however the test ends.
    m_process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
    m_process.setStandardOutputFile(QDir(folder).filePath(QStringLiteral("influxd.log")), QIODevice::Append);
    m_process.setStandardErrorFile(QDir(folder).filePath(QStringLiteral("influxd.log")), QIODevice::Append);
}

InfluxServer::~InfluxServer()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

bool InfluxServer::installed()
{
    return !QStandardPaths::findExecutable(QStringLiteral("influxd")).isEmpty();
}

bool InfluxServer::start()
{
    m_process.start(QStringLiteral("influxd"),
                    {QStringLiteral("run"), QStringLiteral("-config"), QDir(m_folder).filePath(QStringLiteral("influxdb.conf"))});
    if (!m_process.waitForStarted(5000))
        return false;
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 30000 && m_process.state() == QProcess::Running) {
        if (m_https) {
            // A client that does not trust the certificate cannot ask /ping.
            QTcpSocket s;
            s.connectToHost(QHostAddress::LocalHost, m_httpPort);
            if (s.waitForConnected(200))
                return true;
        } else {
            int status = 0;
            Http(url() + QStringLiteral("/ping"), &status);
            if (status == 204)
                return true;
        }
        QThread::msleep(100);
    }
    return false;
}

void InfluxServer::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(15000)) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

QString InfluxServer::url() const
{
    return QStringLiteral("%1://127.0.0.1:%2").arg(m_https ? "https" : "http").arg(m_httpPort);
}

bool InfluxServer::createDatabase(const QString &name)
{
    int status = 0;
    const QByteArray body = "q=" + QUrl::toPercentEncoding(QStringLiteral("CREATE DATABASE \"%1\"").arg(name));
    Http(url() + QStringLiteral("/query"), &status, &body);
    return status == 200;
}

QJsonArray InfluxServer::select(const QString &db, const QString &query)
{
    QUrlQuery q;
    q.addQueryItem(QStringLiteral("db"), db);
    q.addQueryItem(QStringLiteral("q"), query);
    q.addQueryItem(QStringLiteral("epoch"), QStringLiteral("ms"));
    int status = 0;
    const QByteArray body = Http(url() + QStringLiteral("/query?") + q.toString(QUrl::FullyEncoded), &status);
    const QJsonObject result = QJsonDocument::fromJson(body).object().value("results").toArray().at(0).toObject();
    return result.value("series").toArray().at(0).toObject().value("values").toArray();
}

} // namespace svctest
