#pragma once

#include <QtGlobal>

class CBinaryStream;

// Colours are 24-bit RGB values 0x00RRGGBB. In files they take 4 bytes, least
// significant first (blue, green, red, 0), whatever the stream's byte order.
namespace MColorExt {

void Write(quint32 color, CBinaryStream& io);
// Leaves color unchanged when the stream fails.
void Read(quint32& color, CBinaryStream& io);

}  // namespace MColorExt
