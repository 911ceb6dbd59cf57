#include "storage/MTextFileCodec.h"

#include "storage/CBinaryStream.h"

namespace MTextFile {

namespace {

constexpr qsizetype kShortStringMax = 255;

void WriteLengthAndBytes(const QByteArray& bytes, CBinaryStream& io)
{
    Q_ASSERT(bytes.size() <= std::numeric_limits<qint32>::max());
    io.WriteInt32(static_cast<qint32>(bytes.size()));
    if (!io.Error() && !bytes.isEmpty())
        io.WriteBytes(bytes);
}

QByteArray ReadLengthAndBytes(CBinaryStream& io)
{
    const qint32 length = io.ReadInt32();
    if (io.Error() || length <= 0)
        return {};
    if (!io.FitsInBytesLeft(length)) {
        io.SetError();
        return {};
    }
    return io.ReadBytes(length);
}

}  // namespace

void WriteUTF8(const QString& text, CBinaryStream& io)
{
    WriteLengthAndBytes(text.toUtf8(), io);
}

QString ReadUTF8(CBinaryStream& io)
{
    return QString::fromUtf8(ReadLengthAndBytes(io));
}

void WriteBinary(const QByteArray& bytes, CBinaryStream& io)
{
    WriteLengthAndBytes(bytes, io);
}

QByteArray ReadBinary(CBinaryStream& io)
{
    return ReadLengthAndBytes(io);
}

QByteArray TruncateUTF8(const QByteArray& utf8, qsizetype maxBytes)
{
    if (utf8.size() <= maxBytes)
        return utf8;
    qsizetype cut = maxBytes;
    // Step back over continuation bytes (10xxxxxx) to the start of the
    // character that does not fit whole.
    while (cut > 0 && (static_cast<unsigned char>(utf8[cut]) & 0xC0) == 0x80)
        --cut;
    return utf8.left(cut);
}

bool WriteShortUTF8(const QString& text, CBinaryStream& io)
{
    const QByteArray whole = text.toUtf8();
    const QByteArray bytes = TruncateUTF8(whole, kShortStringMax);
    io.WriteUInt8(static_cast<quint8>(bytes.size()));
    if (!bytes.isEmpty())
        io.WriteBytes(bytes);
    return bytes.size() != whole.size();
}

QString ReadShortUTF8(CBinaryStream& io)
{
    const quint8 length = io.ReadUInt8();
    if (io.Error() || length == 0)
        return {};
    return QString::fromUtf8(io.ReadBytes(length));
}

}  // namespace MTextFile
