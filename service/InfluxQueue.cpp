#include "InfluxQueue.h"

#include <QCoreApplication>
#include <QDir>
#include <QSaveFile>

#include <algorithm>

namespace rdsvc {

namespace {

const char kHeadFile[] = "head";

} // namespace

QString StateDirectory(const QString &configured)
{
    if (!configured.isEmpty())
        return configured;
    // systemd's StateDirectory= may name several, separated by ':'.
    const QString systemd = qEnvironmentVariable("STATE_DIRECTORY").section(QLatin1Char(':'), 0, 0);
    if (!systemd.isEmpty())
        return systemd;
    const QString xdg = qEnvironmentVariable("XDG_STATE_HOME");
    if (!xdg.isEmpty())
        return QDir(xdg).filePath(QStringLiteral("rd5800d"));
    return QDir::home().filePath(QStringLiteral(".local/state/rd5800d"));
}

InfluxQueue::InfluxQueue(const QString &folder, qint64 capacity)
    : m_folder(folder), m_capacity(std::max<qint64>(1, capacity))
{
}

InfluxQueue::~InfluxQueue() = default;

QString InfluxQueue::segmentPath(quint64 id) const
{
    return QDir(m_folder).filePath(QStringLiteral("%1.lp").arg(id, 12, 10, QLatin1Char('0')));
}

bool InfluxQueue::open(QString *error, qint64 *dropped)
{
    if (dropped)
        *dropped = 0;
    m_tail.reset();
    m_segments.clear();
    m_headOffsets.clear();
    m_headLine = 0;
    m_size = 0;
    QDir dir(m_folder);
    if (!dir.mkpath(QStringLiteral("."))) {
        *error = QCoreApplication::translate("rd5800d", "无法创建队列文件夹 %1").arg(m_folder);
        return false;
    }
    std::vector<quint64> ids;
    for (const QString &name : dir.entryList({QStringLiteral("*.lp")}, QDir::Files)) {
        bool ok = false;
        const quint64 id = name.chopped(3).toULongLong(&ok);
        if (ok)
            ids.push_back(id);
    }
    std::sort(ids.begin(), ids.end());

    quint64 headId = 0;
    qint64 headLine = 0;
    QFile head(dir.filePath(QLatin1String(kHeadFile)));
    if (head.open(QIODevice::ReadOnly)) {
        const QList<QByteArray> parts = head.readAll().simplified().split(' ');
        if (parts.size() == 2) {
            headId = parts[0].toULongLong();
            headLine = std::max<qint64>(0, parts[1].toLongLong());
        }
    }
    // Segments older than the head were sent; a crash came before their removal.
    while (!ids.empty() && ids.front() < headId) {
        QFile::remove(segmentPath(ids.front()));
        ids.erase(ids.begin());
    }
    for (const quint64 id : ids)
        m_segments.push_back({id, kSegmentLines});
    m_lastId = ids.empty() ? std::max<quint64>(headId, m_lastId) : ids.back();
    if (m_segments.empty())
        return true;
    if (!scanTail(&m_segments.back().lines) || !loadHead()) {
        *error = m_error;
        return false;
    }
    m_headLine = m_segments.front().id == headId ? std::min(headLine, m_segments.front().lines) : 0;
    for (const Segment &s : m_segments)
        m_size += s.lines;
    m_size -= m_headLine;
    if (m_size > m_capacity) {
        if (dropped)
            *dropped = m_size - m_capacity;
        pop(m_size - m_capacity);
    }
    // A head segment with nothing left in it goes now.
    while (!m_segments.empty() && m_headLine >= m_segments.front().lines && m_segments.size() > 1)
        dropHeadSegment();
    return true;
}

bool InfluxQueue::scanTail(qint64 *lines)
{
    QFile f(segmentPath(m_segments.back().id));
    if (!f.open(QIODevice::ReadWrite)) {
        m_error = QCoreApplication::translate("rd5800d", "无法读取队列文件 %1: %2").arg(f.fileName(), f.errorString());
        return false;
    }
    const QByteArray bytes = f.readAll();
    const qint64 whole = bytes.lastIndexOf('\n') + 1;
    if (whole < bytes.size())
        f.resize(whole);   // a line torn by a crash or a full disk
    *lines = bytes.left(whole).count('\n');
    return true;
}

bool InfluxQueue::loadHead()
{
    m_headOffsets.clear();
    if (m_segments.empty())
        return true;
    QFile f(segmentPath(m_segments.front().id));
    if (!f.open(QIODevice::ReadOnly)) {
        m_error = QCoreApplication::translate("rd5800d", "无法读取队列文件 %1: %2").arg(f.fileName(), f.errorString());
        return false;
    }
    const QByteArray bytes = f.readAll();
    m_headOffsets.push_back(0);
    for (qint64 i = bytes.indexOf('\n'); i >= 0; i = bytes.indexOf('\n', i + 1))
        m_headOffsets.push_back(i + 1);
    // The true count: a segment other than the newest may be short after a disk fault.
    m_segments.front().lines = qint64(m_headOffsets.size()) - 1;
    return true;
}

bool InfluxQueue::openTail()
{
    m_tail.reset();
    const quint64 id = ++m_lastId;
    auto file = std::make_unique<QFile>(segmentPath(id));
    if (!file->open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        m_error = QCoreApplication::translate("rd5800d", "无法写入队列文件 %1: %2").arg(file->fileName(), file->errorString());
        return false;
    }
    m_tail = std::move(file);
    m_segments.push_back({id, 0});
    if (m_segments.size() == 1) {
        m_headLine = 0;
        m_headOffsets.assign(1, 0);
    }
    return true;
}

qint64 InfluxQueue::append(const QList<QByteArray> &lines)
{
    const qint64 n = lines.size();
    const qint64 over = std::max<qint64>(0, m_size + n - m_capacity);
    const qint64 fromQueue = std::min(m_size, over);
    if (fromQueue > 0)
        pop(fromQueue);
    qint64 lost = over;
    for (qint64 i = over - fromQueue; i < n; ++i) {
        const QByteArray line = lines[int(i)] + '\n';
        if (!m_tail && !m_segments.empty() && m_segments.back().lines < kSegmentLines) {
            // The newest segment of an earlier run: continue it.
            auto file = std::make_unique<QFile>(segmentPath(m_segments.back().id));
            if (file->open(QIODevice::WriteOnly | QIODevice::Append))
                m_tail = std::move(file);
        }
        if ((!m_tail || m_segments.back().lines >= kSegmentLines) && !openTail()) {
            ++lost;
            continue;
        }
        const qint64 before = m_tail->size();
        if (m_tail->write(line) != line.size() || !m_tail->flush()) {
            m_error = QCoreApplication::translate("rd5800d", "无法写入队列文件 %1: %2").arg(m_tail->fileName(), m_tail->errorString());
            m_tail->resize(before);
            ++lost;
            continue;
        }
        ++m_segments.back().lines;
        ++m_size;
        if (m_segments.size() == 1)
            m_headOffsets.push_back(m_headOffsets.back() + line.size());
    }
    return lost;
}

QList<QByteArray> InfluxQueue::peek(int max)
{
    QList<QByteArray> out;
    for (size_t s = 0; s < m_segments.size() && out.size() < max; ++s) {
        QFile f(segmentPath(m_segments[s].id));
        if (!f.open(QIODevice::ReadOnly)) {
            m_error = QCoreApplication::translate("rd5800d", "无法读取队列文件 %1: %2").arg(f.fileName(), f.errorString());
            break;
        }
        qint64 line = 0;
        if (s == 0) {
            line = m_headLine;
            f.seek(m_headOffsets[size_t(m_headLine)]);
        }
        for (; line < m_segments[s].lines && out.size() < max; ++line) {
            QByteArray text = f.readLine();
            if (!text.endsWith('\n'))
                break;
            text.chop(1);
            out.append(text);
        }
    }
    return out;
}

void InfluxQueue::pop(qint64 count)
{
    count = std::min(count, m_size);
    while (count > 0 && !m_segments.empty()) {
        const qint64 left = m_segments.front().lines - m_headLine;
        if (count < left) {
            m_headLine += count;
            m_size -= count;
            break;
        }
        m_size -= left;
        count -= left;
        dropHeadSegment();
    }
    saveHead();
}

void InfluxQueue::dropHeadSegment()
{
    if (m_segments.size() == 1)
        m_tail.reset();
    QFile::remove(segmentPath(m_segments.front().id));
    m_segments.pop_front();
    m_headLine = 0;
    if (!loadHead()) {
        m_segments.clear();   // unreadable: what is left cannot be sent anyway
        m_size = 0;
    }
}

void InfluxQueue::saveHead()
{
    QSaveFile head(QDir(m_folder).filePath(QLatin1String(kHeadFile)));
    if (!head.open(QIODevice::WriteOnly))
        return;
    const quint64 id = m_segments.empty() ? m_lastId + 1 : m_segments.front().id;
    head.write(QByteArray::number(id) + ' ' + QByteArray::number(m_headLine) + '\n');
    head.commit();
}

} // namespace rdsvc
