#pragma once

#include <QByteArray>
#include <QRect>

#include <cstdint>

// Builds a version 2 picture file in memory: the 512-byte file header, the
// picture size and frame, the version and header opcodes, then whatever
// opcodes the caller appends, and the end opcode on Finish. All numbers are
// big-endian; every opcode starts on an even offset.
class CPictStream
{
public:
    // QuickDraw opcodes the writers use.
    enum Opcode : uint16_t {
        kClipRegion = 0x0001,
        kTextFont = 0x0003,
        kTextFace = 0x0004,
        kTextMode = 0x0005,
        kPenSize = 0x0007,
        kPenMode = 0x0008,
        kOvalSize = 0x000B,
        kTextSize = 0x000D,
        kVersionOp = 0x0011,
        kRgbForeColor = 0x001A,
        kRgbBackColor = 0x001B,
        kDefaultHilite = 0x001E,
        kLine = 0x0020,
        kLongText = 0x0028,
        kFontName = 0x002C,
        kFrameRect = 0x0030,
        kPaintRect = 0x0031,
        kFrameRoundRect = 0x0040,
        kPaintRoundRect = 0x0041,
        kFrameOval = 0x0050,
        kPaintOval = 0x0051,
        kFrameArc = 0x0060,
        kPaintArc = 0x0061,
        kFramePolygon = 0x0070,
        kPaintPolygon = 0x0071,
        kDirectBitsRect = 0x009A,
        kEndOfPicture = 0x00FF,
        kHeaderOp = 0x0C00,
    };

    // QuickDraw coordinates are 16-bit: the frame must lie within them.
    explicit CPictStream(const QRect& frame);

    const QRect& Frame() const { return mFrame; }

    void WriteOpcode(uint16_t opcode) { WriteUInt16(opcode); }
    void WriteUInt8(uint8_t value) { mData.append(static_cast<char>(value)); }
    void WriteUInt16(uint16_t value);
    void WriteInt16(int16_t value) { WriteUInt16(static_cast<uint16_t>(value)); }
    void WriteUInt32(uint32_t value);
    void WriteFixed(double value);
    void WriteBytes(const QByteArray& bytes) { mData.append(bytes); }
    // A QuickDraw point: v (y) then h (x).
    void WritePoint(int x, int y);
    // A QuickDraw rectangle: top, left, bottom, right.
    void WriteRect(const QRect& rect);
    // Foreground or background colour from 0x00RRGGBB, each 8-bit part
    // widened to 16 bits.
    void WriteRgb(uint16_t opcode, uint32_t rgb);
    void PadToEven();

    int Size() const { return static_cast<int>(mData.size()); }

    // Appends the end opcode, fills in the size field and returns the file bytes.
    QByteArray Finish();

    // The 16-bit range every QuickDraw coordinate must keep.
    static int16_t ClampCoordinate(double value);

private:
    QRect mFrame;
    QByteArray mData;
};
