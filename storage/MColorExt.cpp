#include "storage/MColorExt.h"

#include "storage/CBinaryStream.h"

#include <QtEndian>

namespace MColorExt {

namespace {
// Anything above the 24 colour bits (an alpha channel, say) is not part of
// the stored colour.
constexpr quint32 kRgbMask = 0x00FFFFFF;
}  // namespace

void Write(quint32 color, CBinaryStream& io)
{
    char bytes[4];
    qToLittleEndian<quint32>(color & kRgbMask, bytes);
    io.WriteBytes(bytes, 4);
}

void Read(quint32& color, CBinaryStream& io)
{
    const QByteArray bytes = io.ReadBytes(4);
    if (io.Error() || bytes.size() != 4)
        return;
    color = qFromLittleEndian<quint32>(bytes.constData()) & kRgbMask;
}

}  // namespace MColorExt
