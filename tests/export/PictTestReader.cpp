#include "tests/export/PictTestReader.h"

#include <QtEndian>

std::vector<PictTestOp> PictTestPicture::All(int opcode) const
{
    std::vector<PictTestOp> found;
    for (const PictTestOp& op : mOps) {
        if (op.mOpcode == opcode)
            found.push_back(op);
    }
    return found;
}

namespace PictTestReader {

namespace {

int UInt16(const QByteArray& data, int offset)
{
    return qFromBigEndian<quint16>(data.constData() + offset);
}

// Length of the data of a DirectBitsRect starting at offset (after the opcode),
// or -1 when it runs past the end.
int DirectBitsLength(const QByteArray& file, int offset)
{
    const int headerLength = 4 + 2 + 8 + 2 + 2 + 4 + 4 + 4 + 2 + 2 + 2 + 2 + 4 + 4 + 4 + 8 + 8 + 2;
    if (offset + headerLength > file.size())
        return -1;
    const int rowBytes = UInt16(file, offset + 4) & 0x3FFF;
    const QRect bounds = Rect(file, offset + 6);
    int at = offset + headerLength;
    for (int row = 0; row < bounds.height(); ++row) {
        if (rowBytes < 8) {
            at += rowBytes;
            continue;
        }
        if (at + 2 > file.size())
            return -1;
        int count;
        if (rowBytes > 250) {
            count = UInt16(file, at);
            at += 2;
        } else {
            count = static_cast<unsigned char>(file[at]);
            at += 1;
        }
        at += count;
    }
    return at > file.size() ? -1 : at - offset;
}

// Data length of an opcode with the data starting at offset, or -1 when unknown.
int DataLength(int opcode, const QByteArray& file, int offset)
{
    switch (opcode) {
    case 0x0000: return 0;
    case 0x0001: return UInt16(file, offset);
    case 0x0003: return 2;
    case 0x0004: return 1;
    case 0x0005: return 2;
    case 0x0007: return 4;
    case 0x0008: return 2;
    case 0x000B: return 4;
    case 0x000D: return 2;
    case 0x001A:
    case 0x001B: return 6;
    case 0x001E: return 0;
    case 0x0020: return 8;
    case 0x0028: return 5 + static_cast<unsigned char>(file[offset + 4]);
    case 0x002C: return 2 + UInt16(file, offset);
    case 0x0030: case 0x0031: case 0x0040: case 0x0041: case 0x0050: case 0x0051: return 8;
    case 0x0060: case 0x0061: return 12;
    case 0x0070: case 0x0071: return UInt16(file, offset);
    case 0x009A: return DirectBitsLength(file, offset);
    case 0x0C00: return 24;
    default: return -1;
    }
}

PictTestPicture Fail(PictTestPicture picture, const QString& error)
{
    picture.mValid = false;
    picture.mError = error;
    return picture;
}

}  // namespace

int Int16(const QByteArray& data, int offset)
{
    return qFromBigEndian<qint16>(data.constData() + offset);
}

QRect Rect(const QByteArray& data, int offset)
{
    const int top = Int16(data, offset);
    const int left = Int16(data, offset + 2);
    const int bottom = Int16(data, offset + 4);
    const int right = Int16(data, offset + 6);
    return QRect(left, top, right - left, bottom - top);
}

PictTestPicture Parse(const QByteArray& file)
{
    PictTestPicture picture;
    if (file.size() < 512 + 2 + 8 + 4)
        return Fail(picture, "too short");
    for (int i = 0; i < 512; ++i) {
        if (file[i] != 0)
            return Fail(picture, "file header not zero");
    }
    if ((UInt16(file, 512) & 0xFFFF) != ((file.size() - 512) & 0xFFFF))
        return Fail(picture, "size field does not match");
    picture.mFrame = Rect(file, 514);
    if (UInt16(file, 522) != 0x0011 || UInt16(file, 524) != 0x02FF)
        return Fail(picture, "not a version 2 picture");
    int at = 526;
    if (UInt16(file, at) != 0x0C00)
        return Fail(picture, "header opcode missing");
    while (at + 2 <= file.size()) {
        if (at % 2 != 0)
            return Fail(picture, "opcode at odd offset");
        const int opcode = UInt16(file, at);
        at += 2;
        if (opcode == 0x00FF) {
            if (at != file.size())
                return Fail(picture, "data after the end opcode");
            picture.mValid = true;
            return picture;
        }
        const int length = DataLength(opcode, file, at);
        if (length < 0 || at + length > file.size())
            return Fail(picture, QString("unknown or truncated opcode 0x%1").arg(opcode, 4, 16, QChar('0')));
        picture.mOps.push_back({opcode, file.mid(at, length)});
        at += length + (length % 2);
    }
    return Fail(picture, "no end opcode");
}

QImage DirectBits(const QByteArray& data, QRect* destination)
{
    const int rowBytes = UInt16(data, 4) & 0x3FFF;
    const QRect bounds = Rect(data, 6);
    const int packType = UInt16(data, 16);
    const int pixelSize = UInt16(data, 32);
    const int components = UInt16(data, 34);
    const QRect source = Rect(data, 50);
    if (destination)
        *destination = Rect(data, 58);
    if (packType != 4 || pixelSize != 32 || components != 3 || rowBytes != bounds.width() * 4 || rowBytes < 8)
        return {};
    const int width = bounds.width();
    QImage image(width, bounds.height(), QImage::Format_RGB32);
    int at = 68;
    for (int y = 0; y < bounds.height(); ++y) {
        int count;
        if (rowBytes > 250) {
            count = UInt16(data, at);
            at += 2;
        } else {
            count = static_cast<unsigned char>(data[at]);
            at += 1;
        }
        // Unpacked here without the writer's code.
        QByteArray row;
        const QByteArray packed = data.mid(at, count);
        at += count;
        for (int i = 0; i < packed.size();) {
            const int n = static_cast<signed char>(packed[i++]);
            if (n >= 0) {
                row.append(packed.mid(i, n + 1));
                i += n + 1;
            } else if (n != -128) {
                row.append(1 - n, packed[i++]);
            }
        }
        if (row.size() != width * 3)
            return {};
        for (int x = 0; x < width; ++x) {
            image.setPixel(x, y, qRgb(static_cast<unsigned char>(row[x]), static_cast<unsigned char>(row[width + x]),
                                      static_cast<unsigned char>(row[2 * width + x])));
        }
    }
    return image.copy(source);
}

}  // namespace PictTestReader
