// The text of the recording file: header line, one line per reading, the time
// stamp and the numbers, independent of the user's locale.
#pragma once

#include "Quantities.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace rdrec {

// The byte order mark that spreadsheet programs need to read the file as UTF-8.
inline const QByteArray &Utf8Bom()
{
    static const QByteArray bom("\xEF\xBB\xBF");
    return bom;
}

// Local time with milliseconds and UTC offset: 2026-12-07T17:40:01.123+08:00.
QByteArray IsoTime(const QDateTime &time);

// `value` with `decimals` digits after a decimal point, never an exponent or a
// thousands separator; empty for NaN or infinity.
QByteArray CsvNumber(double value, int decimals);

// "时间" and every quantity's header, comma-separated, ending in CRLF. With
// `withAddress` (the overview's file of several meters) a column "地址" follows
// the time.
QByteArray CsvHeaderLine(bool withAddress = false);

// The time and every quantity of `reading`, comma-separated, ending in CRLF;
// with an address 0..255 it follows the time.
QByteArray CsvRow(const rdacq::Reading &reading, int address = -1);

// rd5800-YYYYMMDD-HHMMSS.csv for `now`, in the user's documents folder.
QString DefaultRecordPath(const QDateTime &now);
// rd5800-overview-YYYYMMDD-HHMMSS.csv, the overview's file, in the same folder.
QString DefaultOverviewRecordPath(const QDateTime &now);

} // namespace rdrec
