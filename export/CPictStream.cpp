#include "export/CPictStream.h"

#include <QtGlobal>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kFileHeaderSize = 512;
constexpr int kSizeFieldOffset = kFileHeaderSize;
constexpr double kScreenResolution = 72.0;

}  // namespace

CPictStream::CPictStream(const QRect& frame)
    : mFrame(frame)
{
    mData.reserve(4096);
    // Applications may keep their own data in the first 512 bytes; ours stay zero.
    mData.fill('\0', kFileHeaderSize);
    WriteUInt16(0);    // picture size, filled in by Finish
    WriteRect(frame);
    WriteOpcode(kVersionOp);
    WriteUInt16(0x02FF);
    // Extended version 2 header: resolution and the frame at that resolution.
    WriteOpcode(kHeaderOp);
    WriteInt16(-2);
    WriteUInt16(0);
    WriteFixed(kScreenResolution);
    WriteFixed(kScreenResolution);
    WriteRect(frame);
    WriteUInt32(0);
    WriteOpcode(kDefaultHilite);
    // Clip region: just the frame.
    WriteOpcode(kClipRegion);
    WriteUInt16(10);
    WriteRect(frame);
}

void CPictStream::WriteUInt16(uint16_t value)
{
    mData.append(static_cast<char>(value >> 8));
    mData.append(static_cast<char>(value & 0xFF));
}

void CPictStream::WriteUInt32(uint32_t value)
{
    WriteUInt16(static_cast<uint16_t>(value >> 16));
    WriteUInt16(static_cast<uint16_t>(value & 0xFFFF));
}

void CPictStream::WriteFixed(double value)
{
    WriteUInt32(static_cast<uint32_t>(static_cast<int32_t>(std::lround(value * 65536.0))));
}

void CPictStream::WritePoint(int x, int y)
{
    WriteInt16(ClampCoordinate(y));
    WriteInt16(ClampCoordinate(x));
}

void CPictStream::WriteRect(const QRect& rect)
{
    // QRect's right and bottom are inclusive; QuickDraw's are exclusive.
    WriteInt16(ClampCoordinate(rect.top()));
    WriteInt16(ClampCoordinate(rect.left()));
    WriteInt16(ClampCoordinate(rect.top() + rect.height()));
    WriteInt16(ClampCoordinate(rect.left() + rect.width()));
}

void CPictStream::WriteRgb(uint16_t opcode, uint32_t rgb)
{
    WriteOpcode(opcode);
    for (int shift : {16, 8, 0}) {
        const uint16_t part = (rgb >> shift) & 0xFF;
        WriteUInt16(static_cast<uint16_t>(part << 8 | part));
    }
}

void CPictStream::PadToEven()
{
    if (mData.size() % 2 != 0)
        mData.append('\0');
}

QByteArray CPictStream::Finish()
{
    PadToEven();
    WriteOpcode(kEndOfPicture);
    // Only the low 16 bits of the size fit; version 2 readers go by the end opcode.
    const uint32_t pictureSize = static_cast<uint32_t>(mData.size() - kFileHeaderSize);
    mData[kSizeFieldOffset] = static_cast<char>((pictureSize >> 8) & 0xFF);
    mData[kSizeFieldOffset + 1] = static_cast<char>(pictureSize & 0xFF);
    return std::move(mData);
}

int16_t CPictStream::ClampCoordinate(double value)
{
    if (std::isnan(value))
        return 0;
    return static_cast<int16_t>(std::clamp(std::round(value), -32767.0, 32767.0));
}
