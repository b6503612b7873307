#include "RecordFile.h"

#include "SystemText.h"
#include "meter/recording/CsvFormat.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace rdsvc {

namespace {

QByteArray Header()
{
    return rdrec::Utf8Bom() + rdrec::CsvHeaderLine();
}

// Writes all of `bytes` at the end; 0 or errno.
int WriteAll(int fd, const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        done += n;
    }
    return 0;
}

} // namespace

RecordFile::RecordFile(const QString &path) : m_path(path) {}

RecordFile::~RecordFile()
{
    close();
}

void RecordFile::close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

bool RecordFile::open(QString *error)
{
    return openFile(error) == 0;
}

int RecordFile::openFile(QString *error)
{
    close();
    const QByteArray name = QFile::encodeName(m_path);
    const int fd = ::open(name.constData(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    const auto failure = [&](int e, const QString &reason) {
        *error = QCoreApplication::translate("rd5800d", "无法打开记录文件 %1：%2").arg(QDir::toNativeSeparators(m_path), reason);
        return e;
    };
    if (fd < 0)
        return failure(errno, SystemReason(errno));
    struct stat info = {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return failure(EINVAL, QCoreApplication::translate("rd5800d", "不是普通文件"));
    }
    if (info.st_size > 0) {
        const QByteArray header = Header();
        QByteArray start(header.size(), '\0');
        const ssize_t n = ::pread(fd, start.data(), size_t(start.size()), 0);
        if (n != header.size() || start != header) {
            ::close(fd);
            m_refused = true;
            return failure(EEXIST, QCoreApplication::translate("rd5800d", "文件已有其他内容，记录不会覆盖它，请另选文件"));
        }
        // A row cut short by a crash or a power cut is dropped, so that the
        // rows that follow start on a line of their own.
        const qint64 tail = std::min<qint64>(info.st_size, 64 * 1024);
        QByteArray end(int(tail), '\0');
        if (::pread(fd, end.data(), size_t(tail), info.st_size - tail) == tail && !end.endsWith('\n')) {
            const int lastEnd = end.lastIndexOf('\n');
            const off_t keep = lastEnd < 0 ? off_t(header.size()) : off_t(info.st_size - tail + lastEnd + 1);
            if (::ftruncate(fd, std::max<off_t>(keep, off_t(header.size()))) != 0) {
                const int e = errno;
                ::close(fd);
                return failure(e, SystemReason(e));
            }
        }
    }
    m_refused = false;
    m_fd = fd;
    return 0;
}

RecordFile::Outcome RecordFile::append(const QByteArray &row)
{
    if (m_fd < 0) {
        QString ignored;
        if (const int e = openFile(&ignored))
            return fail(e);
    }
    struct stat info = {};
    if (::fstat(m_fd, &info) != 0)
        return fail(errno);
    const QByteArray bytes = info.st_size == 0 ? Header() + row : row;
    if (const int e = WriteAll(m_fd, bytes)) {
        // Whatever part of the row went in is taken out again.
        if (::ftruncate(m_fd, info.st_size) != 0)
            close();   // reopened (and its cut tail dropped) at the next row
        return fail(e);
    }
    ++m_rows;
    const bool resumed = m_error != 0;
    m_error = 0;
    return resumed ? Outcome::Resumed : Outcome::Written;
}

RecordFile::Outcome RecordFile::fail(int error)
{
    const bool first = m_error == 0;
    m_error = error;
    ++m_lost;
    return first ? Outcome::Failed : Outcome::StillFailing;
}

QString RecordFile::failureText() const
{
    const QString reason = m_refused
        ? QCoreApplication::translate("rd5800d", "文件已有其他内容，记录不会覆盖它，请另选文件")
        : SystemReason(m_error);
    return QCoreApplication::translate("rd5800d", "写入记录文件 %1 失败：%2。未写入的行会计数, 可以写入时自动继续记录。")
        .arg(QDir::toNativeSeparators(m_path), reason);
}

} // namespace rdsvc
