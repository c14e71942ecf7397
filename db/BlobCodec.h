#pragma once

#include <QByteArray>
#include <optional>

// The transparent compression of blobs of sub-type -15: the whole blob in the
// zlib format (RFC 1950) at zlib's default level 6.
constexpr short CompressedBlobSubType = -15;

QByteArray CompressBlob(const QByteArray& plain);
// The original bytes, or nothing when the stored bytes are not a complete,
// intact zlib stream.
std::optional<QByteArray> DecompressBlob(const QByteArray& stored);
