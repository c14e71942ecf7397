#include "BlobCodec.h"

#include <new>
#include <zlib.h>

QByteArray CompressBlob(const QByteArray& plain)
{
    uLongf size = compressBound(static_cast<uLong>(plain.size()));
    QByteArray out(static_cast<qsizetype>(size), Qt::Uninitialized);
    const int rc = compress2(reinterpret_cast<Bytef*>(out.data()), &size,
                             reinterpret_cast<const Bytef*>(plain.constData()),
                             static_cast<uLong>(plain.size()), 6);
    if (rc != Z_OK)
        throw std::bad_alloc(); // compressBound makes Z_BUF_ERROR impossible
    out.truncate(static_cast<qsizetype>(size));
    return out;
}

std::optional<QByteArray> DecompressBlob(const QByteArray& stored)
{
    z_stream zs{};
    if (inflateInit(&zs) != Z_OK)
        return std::nullopt;
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(stored.constData()));
    zs.avail_in = static_cast<uInt>(stored.size());
    QByteArray out;
    char chunk[65536];
    int rc;
    do {
        zs.next_out = reinterpret_cast<Bytef*>(chunk);
        zs.avail_out = sizeof chunk;
        rc = inflate(&zs, Z_NO_FLUSH);
        if (rc != Z_OK && rc != Z_STREAM_END) {
            inflateEnd(&zs);
            return std::nullopt;
        }
        out.append(chunk, static_cast<qsizetype>(sizeof chunk - zs.avail_out));
    } while (rc != Z_STREAM_END && (zs.avail_in > 0 || zs.avail_out == 0));
    inflateEnd(&zs);
    if (rc != Z_STREAM_END)
        return std::nullopt; // truncated
    return out;
}
