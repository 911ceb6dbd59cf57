#include "export/MPngEncoder.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QRandomGenerator>

#include <gtest/gtest.h>

namespace {

struct DecodedPng {
    QByteArray bytes;
    QImage image;
};

DecodedPng EncodeAndRead(const QImage& image)
{
    DecodedPng result;
    QBuffer buffer(&result.bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(MPngEncoder::Write(buffer, image));
    buffer.close();
    QBuffer input(&result.bytes);
    input.open(QIODevice::ReadOnly);
    QImageReader reader(&input, "png");
    result.image = reader.read();
    EXPECT_FALSE(result.image.isNull()) << reader.errorString().toStdString();
    return result;
}

// Random noise defeats deflate, so the data runs over several IDAT chunks.
QImage Noise(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    QRandomGenerator random(11);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            line[x] = random.generate() | 0xFF000000u;
    }
    return image;
}

QImage Flat(int width, int height, QRgb colour)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    if (width > 1 && height > 1)
        image.setPixel(width - 1, height - 1, qRgb(1, 2, 3));
    return image;
}

int ChunkCount(const QByteArray& png, const char* type)
{
    int count = 0;
    for (qsizetype at = png.indexOf(type); at >= 0; at = png.indexOf(type, at + 4))
        ++count;
    return count;
}

TEST(PngEncoderTest, DecodesToTheSamePixels)
{
    const struct {
        const char* name;
        QImage image;
        bool severalChunks;
    } cases[] = {
        {"one pixel", Flat(1, 1, qRgb(250, 128, 3)), false},
        {"odd sizes", Flat(31, 7, qRgb(0, 255, 17)), false},
        {"one wide row", Flat(5000, 1, qRgb(9, 9, 9)), false},
        {"noise", Noise(400, 300), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const DecodedPng png = EncodeAndRead(c.image);
        ASSERT_EQ(png.image.size(), c.image.size());
        EXPECT_FALSE(png.image.hasAlphaChannel());
        EXPECT_EQ(png.image.convertToFormat(QImage::Format_RGB32), c.image);
        EXPECT_EQ(ChunkCount(png.bytes, "IDAT") > 1, c.severalChunks);
        EXPECT_TRUE(png.bytes.endsWith(QByteArray("IEND\xAE\x42\x60\x82", 8)));
    }
}

TEST(PngEncoderTest, StoresDensityAndDropsAlpha)
{
    QImage image(4, 3, QImage::Format_ARGB32);
    image.fill(QColor(0, 0, 200, 128));
    image.setDotsPerMeterX(5669);  // 144 dpi
    image.setDotsPerMeterY(5669);
    const DecodedPng png = EncodeAndRead(image);
    EXPECT_EQ(png.image.dotsPerMeterX(), 5669);
    EXPECT_EQ(png.image.dotsPerMeterY(), 5669);
    EXPECT_EQ(png.image.pixel(2, 1), qRgb(0, 0, 200));
}

TEST(PngEncoderTest, RefusesNullImagesAndFailedWrites)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_FALSE(MPngEncoder::Write(buffer, QImage()));
    QBuffer closed;
    EXPECT_FALSE(MPngEncoder::Write(closed, Flat(8, 8, qRgb(1, 1, 1))));
}

}  // namespace
