#include "export/MPictBitmap.h"

#include "export/CPictStream.h"
#include "export/MPackBits.h"

#include <QtGlobal>

#include <algorithm>
#include <vector>

namespace MPictBitmap {

namespace {

constexpr uint32_t kBaseAddressPlaceholder = 0x000000FF;
constexpr uint16_t kPixMapFlag = 0x8000;
constexpr uint16_t kPackComponents = 4;    // rows packed as R, G and B planes
constexpr uint16_t kRgbDirect = 16;
constexpr uint16_t kSourceCopy = 0;
// Three components of this many pixels make at least 8 bytes, the shortest
// row every reader takes as packed.
constexpr int kNarrowestStoredWidth = 3;
// Longer packed rows state their byte count in a word instead of a byte.
constexpr int kByteCountWordAbove = 250;

}  // namespace

bool FitsPicture(const QSize& size)
{
    return size.width() >= 1 && size.height() >= 1 && size.width() <= kMaximumWidth
        && size.height() <= kMaximumHeight;
}

QByteArray Picture(const QImage& image)
{
    if (image.isNull() || !FitsPicture(image.size()))
        return {};
    const QRect frame(QPoint(0, 0), image.size());
    CPictStream stream(frame);
    AppendDirectBitsRect(stream, image, frame);
    return stream.Finish();
}

void AppendDirectBitsRect(CPictStream& stream, const QImage& source, const QRect& destination)
{
    Q_ASSERT(!source.isNull() && FitsPicture(source.size()));
    // Readers disagree whether rows of fewer than 8 bytes of components are
    // packed, so narrower bitmaps are stored widened by white columns and
    // only their own width is copied.
    const int width = std::max(source.width(), kNarrowestStoredWidth);
    const int height = source.height();
    QImage image = source.convertToFormat(QImage::Format_RGB32);
    if (width != source.width()) {
        QImage widened(width, height, QImage::Format_RGB32);
        widened.fill(Qt::white);
        for (int y = 0; y < height; ++y)
            std::copy_n(reinterpret_cast<const QRgb*>(image.constScanLine(y)), source.width(),
                        reinterpret_cast<QRgb*>(widened.scanLine(y)));
        image = widened;
    }
    const int rowBytes = width * 4;

    stream.WriteOpcode(CPictStream::kDirectBitsRect);
    stream.WriteUInt32(kBaseAddressPlaceholder);
    stream.WriteUInt16(static_cast<uint16_t>(rowBytes | kPixMapFlag));
    stream.WriteRect(QRect(0, 0, width, height));
    stream.WriteUInt16(0);    // pixel map version
    stream.WriteUInt16(kPackComponents);
    stream.WriteUInt32(0);    // packed size
    stream.WriteFixed(72.0);
    stream.WriteFixed(72.0);
    stream.WriteUInt16(kRgbDirect);
    stream.WriteUInt16(32);    // bits a pixel
    stream.WriteUInt16(3);     // components
    stream.WriteUInt16(8);     // bits a component
    stream.WriteUInt32(0);     // plane bytes
    stream.WriteUInt32(0);     // colour table
    stream.WriteUInt32(0);     // reserved
    stream.WriteRect(QRect(0, 0, source.width(), height));
    stream.WriteRect(destination);
    stream.WriteUInt16(kSourceCopy);

    std::vector<unsigned char> planes(static_cast<size_t>(width) * 3);
    for (int y = 0; y < height; ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < width; ++x) {
            planes[x] = static_cast<unsigned char>(qRed(line[x]));
            planes[width + x] = static_cast<unsigned char>(qGreen(line[x]));
            planes[2 * width + x] = static_cast<unsigned char>(qBlue(line[x]));
        }
        const QByteArray row = MPackBits::Pack(planes.data(), width * 3);
        if (rowBytes > kByteCountWordAbove)
            stream.WriteUInt16(static_cast<uint16_t>(row.size()));
        else
            stream.WriteUInt8(static_cast<uint8_t>(row.size()));
        stream.WriteBytes(row);
    }
    stream.PadToEven();
}

}  // namespace MPictBitmap
