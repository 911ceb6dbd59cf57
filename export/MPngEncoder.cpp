#include "export/MPngEncoder.h"

#include <QIODevice>

#include <zlib.h>

#include <array>
#include <vector>

namespace MPngEncoder {

namespace {

constexpr std::array<char, 8> kSignature = {'\x89', 'P', 'N', 'G', '\r', '\n', '\x1a', '\n'};
// Compressed bytes gathered before they go out as one IDAT chunk.
constexpr int kChunkBytes = 256 * 1024;

void AppendBigEndian(QByteArray& bytes, quint32 value)
{
    bytes.append(char(value >> 24));
    bytes.append(char(value >> 16));
    bytes.append(char(value >> 8));
    bytes.append(char(value));
}

// A chunk: its length, type and data, and the CRC of type and data.
bool WriteChunk(QIODevice& device, const char* type, const char* data, int size)
{
    QByteArray header;
    AppendBigEndian(header, quint32(size));
    header.append(type, 4);
    uLong crc = crc32(0, reinterpret_cast<const Bytef*>(type), 4);
    if (size > 0)
        crc = crc32(crc, reinterpret_cast<const Bytef*>(data), uInt(size));
    QByteArray trailer;
    AppendBigEndian(trailer, quint32(crc));
    return device.write(header) == header.size() && (size == 0 || device.write(data, size) == size)
        && device.write(trailer) == trailer.size();
}

bool WriteChunk(QIODevice& device, const char* type, const QByteArray& data)
{
    return WriteChunk(device, type, data.constData(), int(data.size()));
}

QByteArray HeaderData(const QImage& image)
{
    QByteArray data;
    AppendBigEndian(data, quint32(image.width()));
    AppendBigEndian(data, quint32(image.height()));
    data.append(char(8));  // bits a sample
    data.append(char(2));  // colour type: RGB
    data.append(char(0));  // deflate
    data.append(char(0));  // the standard filters
    data.append(char(0));  // no interlace
    return data;
}

// Pixel density in dots per metre; absent when the image has none.
QByteArray DensityData(const QImage& image)
{
    if (image.dotsPerMeterX() <= 0 || image.dotsPerMeterY() <= 0)
        return {};
    QByteArray data;
    AppendBigEndian(data, quint32(image.dotsPerMeterX()));
    AppendBigEndian(data, quint32(image.dotsPerMeterY()));
    data.append(char(1));  // unit: metre
    return data;
}

// Deflates the rows into IDAT chunks of at most kChunkBytes.
class PixelStream
{
public:
    explicit PixelStream(QIODevice& device) : mDevice(device), mOut(kChunkBytes) {}
    ~PixelStream()
    {
        if (mOpen)
            deflateEnd(&mStream);
    }
    PixelStream(const PixelStream&) = delete;
    PixelStream& operator=(const PixelStream&) = delete;

    bool Open()
    {
        mOpen = deflateInit(&mStream, Z_BEST_SPEED) == Z_OK;
        Rewind();
        return mOpen;
    }

    bool Add(const std::vector<uchar>& row, bool last)
    {
        mStream.next_in = const_cast<Bytef*>(row.data());
        mStream.avail_in = uInt(row.size());
        for (;;) {
            const int status = deflate(&mStream, last ? Z_FINISH : Z_NO_FLUSH);
            if (status != Z_OK && status != Z_STREAM_END && status != Z_BUF_ERROR)
                return false;
            if (mStream.avail_out == 0 && !Flush())
                return false;
            if (status == Z_STREAM_END)
                return Flush();
            // With room left over, deflate has taken the whole row.
            if (!last && mStream.avail_in == 0 && mStream.avail_out > 0)
                return true;
        }
    }

private:
    // Writes what is compressed so far as one chunk.
    bool Flush()
    {
        const int pending = int(mOut.size() - mStream.avail_out);
        if (pending > 0 && !WriteChunk(mDevice, "IDAT", reinterpret_cast<const char*>(mOut.data()), pending))
            return false;
        Rewind();
        return true;
    }

    void Rewind()
    {
        mStream.next_out = mOut.data();
        mStream.avail_out = uInt(mOut.size());
    }

    QIODevice& mDevice;
    std::vector<Bytef> mOut;
    z_stream mStream{};
    bool mOpen = false;
};

}  // namespace

bool Write(QIODevice& device, const QImage& image)
{
    if (image.isNull())
        return false;
    // 32-bit pixels with the alpha byte ignored: colour channels are read
    // straight from them.
    const QImage pixels = image.format() == QImage::Format_RGB32 ? image : image.convertToFormat(QImage::Format_RGB32);
    if (pixels.isNull())
        return false;
    if (device.write(kSignature.data(), qint64(kSignature.size())) != qint64(kSignature.size())
        || !WriteChunk(device, "IHDR", HeaderData(pixels)))
        return false;
    if (const QByteArray density = DensityData(image); !density.isEmpty() && !WriteChunk(device, "pHYs", density))
        return false;

    PixelStream stream(device);
    if (!stream.Open())
        return false;
    const int width = pixels.width();
    // Each row starts with its filter type, 0: none.
    std::vector<uchar> row(1 + size_t(width) * 3, 0);
    for (int y = 0; y < pixels.height(); ++y) {
        const QRgb* source = reinterpret_cast<const QRgb*>(pixels.constScanLine(y));
        uchar* target = row.data() + 1;
        for (int x = 0; x < width; ++x) {
            target[0] = uchar(qRed(source[x]));
            target[1] = uchar(qGreen(source[x]));
            target[2] = uchar(qBlue(source[x]));
            target += 3;
        }
        if (!stream.Add(row, y == pixels.height() - 1))
            return false;
    }
    return WriteChunk(device, "IEND", nullptr, 0);
}

}  // namespace MPngEncoder
