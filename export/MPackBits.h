#pragma once

#include <QByteArray>

// The run-length scheme of PICT pixel rows: a count byte n followed by n + 1
// literal bytes (0 <= n <= 127), or by one byte repeated 1 - n times
// (-127 <= n <= -1).
namespace MPackBits {

// Packs length bytes; the result is never longer than length + length / 128 + 1.
QByteArray Pack(const unsigned char* data, int length);

// Unpacks packed data; returns an empty array when the data are malformed
// or do not unpack to exactly expectedLength bytes.
QByteArray Unpack(const QByteArray& packed, int expectedLength);

}  // namespace MPackBits
