// Formatting of the recording file's lines.
#include "CsvFormat.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace rdrec {

QByteArray IsoTime(const QDateTime &time)
{
    // Built by hand: Qt writes "Z" rather than "+00:00" for UTC and leaves the
    // offset out for some time specs; a log must always carry it. The fields are
    // the time's own (local for a local time), as toString() would give them.
    const int offset = time.offsetFromUtc();
    const int minutes = std::abs(offset) / 60;
    const QDate d = time.date();
    const QTime t = time.time();
    char text[48];
    const int n = std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03d%c%02d:%02d", d.year(),
                                d.month(), d.day(), t.hour(), t.minute(), t.second(), t.msec(),
                                offset < 0 ? '-' : '+', minutes / 60, minutes % 60);
    return QByteArray(text, std::clamp(n, 0, int(sizeof text) - 1));
}

QByteArray CsvNumber(double value, int decimals)
{
    if (!std::isfinite(value))
        return {};
    // std::to_chars always uses the "C" conventions: a point, no grouping.
    char buffer[400];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value,
                                      std::chars_format::fixed, decimals);
    QByteArray text(buffer, int(result.ptr - buffer));
    // A negative value that rounds to zero would read "-0.000".
    if (text.startsWith('-') && text.count('0') == text.size() - 1 - text.count('.'))
        text.remove(0, 1);
    return text;
}

QByteArray CsvHeaderLine(bool withAddress)
{
    QByteArray line = QStringLiteral("时间").toUtf8();
    if (withAddress)
        line += ',' + QStringLiteral("地址").toUtf8();
    for (const Quantity &q : RecordedQuantities()) {
        line += ',';
        line += q.header.toUtf8();
    }
    line += "\r\n";
    return line;
}

QByteArray CsvRow(const rdacq::Reading &reading, int address)
{
    QByteArray line = IsoTime(reading.time);
    if (address >= 0)
        line += ',' + QByteArray::number(address);
    for (const Quantity &q : RecordedQuantities()) {
        line += ',';
        line += CsvNumber(QuantityValue(q, reading), q.decimals);
    }
    line += "\r\n";
    return line;
}

namespace {
QString InDocuments(const QString &name)
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty())
        folder = QDir::homePath();
    return QDir(folder).filePath(name);
}
} // namespace

QString DefaultOverviewRecordPath(const QDateTime &now)
{
    return InDocuments(QStringLiteral("rd5800-overview-%1.csv").arg(now.toString(QStringLiteral("yyyyMMdd-HHmmss"))));
}

QString DefaultRecordPath(const QDateTime &now)
{
    // The documents folder when there is one, else the home folder: a folder that
    // does not exist would send the file dialog to the current folder instead.
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QDir::homePath();
    const QString name = QStringLiteral("rd5800-%1.csv").arg(now.toString(QStringLiteral("yyyyMMdd-HHmmss")));
    return QDir(folder).filePath(name);
}

} // namespace rdrec
