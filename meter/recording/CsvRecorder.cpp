// The recording file: open or continue, append and flush, report failures.
#include "CsvRecorder.h"

#include "CsvFormat.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QCoreApplication>

namespace rdrec {

namespace {

// The system's reason for a file that cannot be opened or written, in the
// program's language, the system's own words kept in parentheses; a reason
// without words of its own is given as the system said it.
QString InOwnWords(const QString &reason)
{
    static const struct {
        const char *system;   // glibc's strerror texts as Qt passes them on, and Qt's own
        const char *words;
    } kKnown[] = {
        {"No such file or directory", QT_TRANSLATE_NOOP("CsvRecorder", "文件夹不存在")},
        {"Permission denied", QT_TRANSLATE_NOOP("CsvRecorder", "没有写入权限")},
        {"Is a directory", QT_TRANSLATE_NOOP("CsvRecorder", "这是一个文件夹")},
        {"file to open is a directory", QT_TRANSLATE_NOOP("CsvRecorder", "这是一个文件夹")},
        {"Not a directory", QT_TRANSLATE_NOOP("CsvRecorder", "路径中有一段不是文件夹")},
        {"No space left on device", QT_TRANSLATE_NOOP("CsvRecorder", "磁盘已满")},
        {"Read-only file system", QT_TRANSLATE_NOOP("CsvRecorder", "文件系统只读")},
        {"Disk quota exceeded", QT_TRANSLATE_NOOP("CsvRecorder", "超出磁盘配额")},
        {"File name too long", QT_TRANSLATE_NOOP("CsvRecorder", "文件名太长")},
    };
    for (const auto &k : kKnown)
        if (reason.compare(QLatin1String(k.system), Qt::CaseInsensitive) == 0)
            return QStringLiteral("%1 (%2)").arg(QCoreApplication::translate("CsvRecorder", k.words), reason);
    return reason;
}

QString OpenFailure(const QString &path, const QString &reason)
{
    return QCoreApplication::translate("CsvRecorder", "无法打开记录文件 %1：%2").arg(QDir::toNativeSeparators(path), reason);
}

} // namespace

CsvRecorder::CsvRecorder(bool addressColumn) : m_addressColumn(addressColumn) {}

CsvRecorder::~CsvRecorder()
{
    close();
}

ExistingFile InspectRecordFile(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists() || !info.isFile() || info.size() == 0)
        return ExistingFile::Absent;
    QFile existing(path);
    if (!existing.open(QIODevice::ReadOnly))
        return ExistingFile::Absent;
    const QByteArray header = Utf8Bom() + CsvHeaderLine();
    return existing.read(header.size()) == header ? ExistingFile::SameColumns : ExistingFile::OtherContent;
}

bool CsvRecorder::open(const QString &path, QString *error, IfExisting existingMode)
{
    close();
    const QByteArray header = Utf8Bom() + CsvHeaderLine(m_addressColumn);
    bool continuing = false;
    bool needsLineEnd = false;
    const QFileInfo info(path);
    if (existingMode == IfExisting::Continue && info.exists() && info.isFile() && info.size() > 0) {
        QFile existing(path);
        if (!existing.open(QIODevice::ReadOnly)) {
            *error = OpenFailure(path, InOwnWords(existing.errorString()));
            return false;
        }
        if (existing.read(header.size()) != header) {
            *error = OpenFailure(path, QCoreApplication::translate("CsvRecorder", "文件已有其他内容，记录不会覆盖它，请另选文件"));
            return false;
        }
        // A row cut short by a killed program is closed before new rows follow.
        existing.seek(existing.size() - 1);
        needsLineEnd = existing.read(1) != "\n";
        continuing = true;
    }

    auto file = std::make_unique<QFile>(path);
    const QIODevice::OpenMode mode =
        QIODevice::WriteOnly | (existingMode == IfExisting::Overwrite ? QIODevice::Truncate : QIODevice::Append);
    if (!file->open(mode)) {
        *error = OpenFailure(path, InOwnWords(file->errorString()));
        return false;
    }
    m_device = std::move(file);
    m_path = path;
    m_rows = 0;
    const QByteArray start = continuing ? QByteArray(needsLineEnd ? "\r\n" : "") : header;
    if (!start.isEmpty() && !writeAll(start)) {
        *error = OpenFailure(path, reason());
        close();
        return false;
    }
    return true;
}

bool CsvRecorder::open(std::unique_ptr<QIODevice> device, const QString &path, QString *error)
{
    close();
    m_device = std::move(device);
    m_path = path;
    m_rows = 0;
    if (!m_device->isWritable() || !writeAll(Utf8Bom() + CsvHeaderLine(m_addressColumn))) {
        *error = OpenFailure(path, reason());
        close();
        return false;
    }
    return true;
}

bool CsvRecorder::append(const rdacq::Reading &reading, QString *error)
{
    return appendRow(CsvRow(reading), error);
}

bool CsvRecorder::append(const rdacq::Reading &reading, uint8_t address, QString *error)
{
    return appendRow(CsvRow(reading, address), error);
}

bool CsvRecorder::appendRow(const QByteArray &row, QString *error)
{
    if (!m_device)
        return false;
    if (!writeAll(row)) {
        *error = QCoreApplication::translate("CsvRecorder", "写入记录文件 %1 失败：%2。记录已停止。")
                     .arg(QDir::toNativeSeparators(m_path), reason());
        close();
        return false;
    }
    ++m_rows;
    return true;
}

void CsvRecorder::close()
{
    if (m_device)
        m_device->close();
    m_device.reset();
}

bool CsvRecorder::writeAll(const QByteArray &bytes)
{
    if (m_device->write(bytes) != bytes.size())
        return false;
    // Out of Qt's buffer into the system's: a crash or kill after this point
    // loses nothing of the row. (No fsync: a power cut may still lose the last
    // seconds, as with any program that writes files.)
    if (auto *file = qobject_cast<QFileDevice *>(m_device.get()))
        return file->flush();
    return true;
}

QString CsvRecorder::reason() const
{
    const QString text = m_device ? InOwnWords(m_device->errorString()) : QString();
    return text.isEmpty() ? QCoreApplication::translate("CsvRecorder", "未知错误") : text;
}

} // namespace rdrec
