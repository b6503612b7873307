#include "SystemText.h"

#include <QCoreApplication>

#include <cerrno>
#include <cstring>

namespace rdsvc {

namespace {

struct Reason {
    int error;
    const char *text;      // the service's language (translated, context "rd5800d")
    const char *english;
};

// The reasons a file or folder operation of the service meets in practice.
const Reason kReasons[] = {
    {ENOSPC, QT_TRANSLATE_NOOP("rd5800d", "设备上没有空间"), "No space left on device"},
    {EDQUOT, QT_TRANSLATE_NOOP("rd5800d", "超出磁盘配额"), "Disk quota exceeded"},
    {EFBIG, QT_TRANSLATE_NOOP("rd5800d", "文件过大"), "File too large"},
    {EIO, QT_TRANSLATE_NOOP("rd5800d", "输入/输出错误"), "Input/output error"},
    {EROFS, QT_TRANSLATE_NOOP("rd5800d", "只读文件系统"), "Read-only file system"},
    {EACCES, QT_TRANSLATE_NOOP("rd5800d", "权限不够"), "Permission denied"},
    {EPERM, QT_TRANSLATE_NOOP("rd5800d", "不允许的操作"), "Operation not permitted"},
    {ENOENT, QT_TRANSLATE_NOOP("rd5800d", "没有那个文件或目录"), "No such file or directory"},
    {ENOTDIR, QT_TRANSLATE_NOOP("rd5800d", "不是目录"), "Not a directory"},
    {EISDIR, QT_TRANSLATE_NOOP("rd5800d", "是一个目录"), "Is a directory"},
    {EMFILE, QT_TRANSLATE_NOOP("rd5800d", "打开的文件过多"), "Too many open files"},
    {ENFILE, QT_TRANSLATE_NOOP("rd5800d", "系统中打开的文件过多"), "Too many open files in system"},
    {ELOOP, QT_TRANSLATE_NOOP("rd5800d", "符号连接的层数过多"), "Too many levels of symbolic links"},
    {ENAMETOOLONG, QT_TRANSLATE_NOOP("rd5800d", "文件名过长"), "File name too long"},
};

const Reason *Find(int error)
{
    for (const Reason &r : kReasons)
        if (r.error == error)
            return &r;
    return nullptr;
}

QString Unlisted(int error)
{
    // A reason not in the table: the system's own words (as the C library
    // gives them in the current locale) and the number.
    return QStringLiteral("%1 (errno %2)").arg(QString::fromLocal8Bit(std::strerror(error))).arg(error);
}

} // namespace

QString SystemReason(int error)
{
    const Reason *r = Find(error);
    return r ? QCoreApplication::translate("rd5800d", r->text) : Unlisted(error);
}

QString SystemReasonEnglish(int error)
{
    const Reason *r = Find(error);
    return r ? QString::fromLatin1(r->english) : Unlisted(error);
}

} // namespace rdsvc
