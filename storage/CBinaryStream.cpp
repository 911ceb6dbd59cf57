#include "storage/CBinaryStream.h"

#include <QIODevice>
#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace {
constexpr qint64 kWriteFlushSize = 1 << 20;
constexpr qint64 kReadChunkSize = 1 << 16;
}  // namespace

CBinaryStream::CBinaryStream(QIODevice* device)
    : mDevice(device)
    , mLength(device ? device->size() : 0)
    , mPosition(device ? device->pos() : 0)
{
    Q_ASSERT(device && device->isOpen());
    Q_ASSERT(!device->isSequential());
}

CBinaryStream::~CBinaryStream()
{
    Flush();
}

bool CBinaryStream::SetPosition(qint64 position)
{
    if (position < 0 || position > mLength) {
        mError = true;
        return false;
    }
    mPosition = position;
    return true;
}

bool CBinaryStream::Flush()
{
    if (mWriteBuffer.empty())
        return !mError;
    const qint64 size = static_cast<qint64>(mWriteBuffer.size());
    if (!mDevice->seek(mWriteStart) || mDevice->write(mWriteBuffer.data(), size) != size)
        mError = true;
    mWriteBuffer.clear();
    return !mError;
}

bool CBinaryStream::FillReadBuffer()
{
    const qint64 chunk = std::min(kReadChunkSize, mLength - mPosition);
    mReadBuffer.resize(static_cast<size_t>(chunk));
    mReadStart = mPosition;
    if (chunk <= 0 || !mDevice->seek(mPosition)
        || mDevice->read(mReadBuffer.data(), chunk) != chunk) {
        mReadBuffer.clear();
        return false;
    }
    return true;
}

bool CBinaryStream::ReadRaw(char* data, qint64 count)
{
    if (mError || count < 0 || mLength - mPosition < count) {
        mError = true;
        return false;
    }
    // Reads see what was written before them.
    if (!mWriteBuffer.empty() && !Flush())
        return false;
    while (count > 0) {
        const qint64 bufferEnd = mReadStart + static_cast<qint64>(mReadBuffer.size());
        if (mPosition >= mReadStart && mPosition < bufferEnd) {
            const qint64 n = std::min(count, bufferEnd - mPosition);
            std::memcpy(data, mReadBuffer.data() + (mPosition - mReadStart), static_cast<size_t>(n));
            data += n;
            count -= n;
            mPosition += n;
        } else if (count >= kReadChunkSize) {
            if (!mDevice->seek(mPosition) || mDevice->read(data, count) != count) {
                mError = true;
                return false;
            }
            mPosition += count;
            count = 0;
        } else if (!FillReadBuffer()) {
            mError = true;
            return false;
        }
    }
    return true;
}

void CBinaryStream::WriteBytes(const char* data, qint64 count)
{
    if (mError || count <= 0)
        return;
    const qint64 bufferEnd = mWriteStart + static_cast<qint64>(mWriteBuffer.size());
    if (!mWriteBuffer.empty() && (mPosition < mWriteStart || mPosition > bufferEnd)) {
        if (!Flush())
            return;
    }
    if (mWriteBuffer.empty()) {
        // A pending buffer was started on a writable device; check once per buffer.
        if (!mDevice->isWritable()) {
            mError = true;
            return;
        }
        mWriteStart = mPosition;
        mWriteBuffer.reserve(static_cast<size_t>(kWriteFlushSize));
    }
    // Data read ahead may be overwritten now.
    if (!mReadBuffer.empty())
        mReadBuffer.clear();
    const size_t offset = static_cast<size_t>(mPosition - mWriteStart);
    if (offset + count > mWriteBuffer.size())
        mWriteBuffer.resize(offset + static_cast<size_t>(count));
    std::memcpy(mWriteBuffer.data() + offset, data, static_cast<size_t>(count));
    mPosition += count;
    mLength = std::max(mLength, mPosition);
    if (static_cast<qint64>(mWriteBuffer.size()) >= kWriteFlushSize)
        Flush();
}

void CBinaryStream::WriteBytes(const QByteArray& bytes)
{
    WriteBytes(bytes.constData(), bytes.size());
}

void CBinaryStream::WriteInt32(qint32 value)
{
    char bytes[4];
    if (mLittleEndian)
        qToLittleEndian(value, bytes);
    else
        qToBigEndian(value, bytes);
    WriteBytes(bytes, 4);
}

qint32 CBinaryStream::ReadInt32()
{
    char bytes[4];
    if (!ReadRaw(bytes, 4))
        return 0;
    return mLittleEndian ? qFromLittleEndian<qint32>(bytes) : qFromBigEndian<qint32>(bytes);
}

void CBinaryStream::WriteUInt8(quint8 value)
{
    const char byte = static_cast<char>(value);
    WriteBytes(&byte, 1);
}

quint8 CBinaryStream::ReadUInt8()
{
    char byte = 0;
    if (!ReadRaw(&byte, 1))
        return 0;
    return static_cast<quint8>(byte);
}

void CBinaryStream::WriteBoolean(bool value)
{
    WriteUInt8(value ? 1 : 0);
}

bool CBinaryStream::ReadBoolean()
{
    return ReadUInt8() != 0;
}

QByteArray CBinaryStream::ReadBytes(qint64 count)
{
    if (count <= 0 || mError)
        return {};
    if (count > mLength - mPosition) {
        mError = true;
        return {};
    }
    QByteArray bytes(count, Qt::Uninitialized);
    if (!ReadRaw(bytes.data(), count))
        return {};
    return bytes;
}

bool CBinaryStream::ReadBytes(char* data, qint64 count)
{
    return ReadRaw(data, count);
}

bool CBinaryStream::ReadBytesInto(QByteArray& bytes, qint64 count)
{
    if (mError || count < 0 || count > mLength - mPosition) {
        mError = true;
        bytes.resize(0);
        return false;
    }
    bytes.resize(count);
    if (!ReadRaw(bytes.data(), count)) {
        bytes.resize(0);
        return false;
    }
    return true;
}

qint64 CBinaryStream::BytesLeft() const
{
    const qint64 end = mReadLimit < 0 ? mLength : std::min(mReadLimit, mLength);
    return std::max<qint64>(0, end - mPosition);
}

bool CBinaryStream::FitsInBytesLeft(qint64 count, qint64 bytesEach) const
{
    Q_ASSERT(bytesEach >= 1);
    if (count < 0)
        return false;
    return count <= BytesLeft() / bytesEach;
}
