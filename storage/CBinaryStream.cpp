#include "storage/CBinaryStream.h"

#include <QIODevice>
#include <QtEndian>

#include <algorithm>

CBinaryStream::CBinaryStream(QIODevice* device)
    : mDevice(device)
    , mLength(device ? device->size() : 0)
{
    Q_ASSERT(device && device->isOpen());
    Q_ASSERT(!device->isSequential());
}

qint64 CBinaryStream::Position() const
{
    return mDevice->pos();
}

bool CBinaryStream::SetPosition(qint64 position)
{
    if (position < 0 || !mDevice->seek(position)) {
        mError = true;
        return false;
    }
    return true;
}

bool CBinaryStream::ReadRaw(char* data, qint64 count)
{
    if (mError || mLength - Position() < count) {
        mError = true;
        return false;
    }
    if (mDevice->read(data, count) != count) {
        mError = true;
        return false;
    }
    return true;
}

void CBinaryStream::WriteBytes(const char* data, qint64 count)
{
    if (mError)
        return;
    if (count > 0 && mDevice->write(data, count) != count) {
        mError = true;
        return;
    }
    mLength = std::max(mLength, Position());
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
    if (count > mLength - Position()) {
        mError = true;
        return {};
    }
    QByteArray bytes(count, Qt::Uninitialized);
    if (!ReadRaw(bytes.data(), count))
        return {};
    return bytes;
}

qint64 CBinaryStream::BytesLeft() const
{
    const qint64 end = mReadLimit < 0 ? mLength : std::min(mReadLimit, mLength);
    return std::max<qint64>(0, end - Position());
}

bool CBinaryStream::FitsInBytesLeft(qint64 count, qint64 bytesEach) const
{
    Q_ASSERT(bytesEach >= 1);
    if (count < 0)
        return false;
    return count <= BytesLeft() / bytesEach;
}
