// A gzip body unpacked, for the tests that read what the InfluxDB writer sent;
// "(not gzip)" when it is not one whole gzip stream of at most `capacity` bytes.
#pragma once

#include <QByteArray>
#include <zlib.h>

namespace svctest {

inline QByteArray Gunzip(const QByteArray &data, qsizetype capacity = 8 << 20)
{
    z_stream z = {};
    inflateInit2(&z, 15 + 16);
    QByteArray out(capacity, '\0');
    z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.constData()));
    z.avail_in = uInt(data.size());
    z.next_out = reinterpret_cast<Bytef *>(out.data());
    z.avail_out = uInt(out.size());
    const int result = inflate(&z, Z_FINISH);
    out.resize(qsizetype(z.total_out));
    inflateEnd(&z);
    return result == Z_STREAM_END ? out : QByteArray("(not gzip)");
}

} // namespace svctest
