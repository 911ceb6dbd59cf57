#pragma once

#include "storage/CBinaryStream.h"

#include <QBuffer>
#include <QByteArray>

#include <memory>

namespace StorageTest {

// Bytes from a hex string; spaces between groups are only for reading.
inline QByteArray Hex(const char* hex)
{
    return QByteArray::fromHex(QByteArray(hex).replace(' ', ""));
}

// A binary stream over bytes held in memory.
struct MemoryStream {
    explicit MemoryStream(const QByteArray& initial = {}, bool littleEndian = true)
        : data(initial)
        , buffer(&data)
    {
        buffer.open(QIODevice::ReadWrite);
        stream = std::make_unique<CBinaryStream>(&buffer);
        stream->SetLittleEndian(littleEndian);
    }
    // The bytes written so far (the stream buffers its writes).
    const QByteArray& Data()
    {
        stream->Flush();
        return data;
    }
    QByteArray data;
    QBuffer buffer;
    std::unique_ptr<CBinaryStream> stream;
};

}  // namespace StorageTest
