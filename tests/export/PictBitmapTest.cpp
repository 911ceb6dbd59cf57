#include "export/MPictBitmap.h"
#include "tests/export/ExternalTool.h"
#include "tests/export/ImageCompare.h"
#include "tests/export/PictTestReader.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// A bitmap with distinct colours in known places: quadrants of red, green,
// blue and a grey, a noisy row that defeats run packing, and a white corner.
QImage Fixture(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.fillRect(QRect(0, 0, width / 2, height / 2), QColor(220, 20, 10));
    painter.fillRect(QRect(width / 2, 0, width - width / 2, height / 2), QColor(10, 200, 30));
    painter.fillRect(QRect(0, height / 2, width / 2, height - height / 2), QColor(0, 40, 250));
    painter.fillRect(QRect(width / 2, height / 2, width / 2, height / 4), QColor(128, 128, 128));
    painter.end();
    for (int x = 0; x < width; ++x)
        image.setPixel(x, height / 3, qRgb((x * 37) % 256, (x * 91) % 256, (x * 13) % 256));
    return image;
}

TEST(PictBitmapTest, PictureHoldsOneDirectBitsRectOfTheWholeImage)
{
    // Narrow, mid (byte row counts) and wide (word row counts) rows.
    for (QSize size : {QSize(1, 1), QSize(2, 3), QSize(40, 20), QSize(70, 9), QSize(600, 400)}) {
        SCOPED_TRACE(QString("%1x%2").arg(size.width()).arg(size.height()).toStdString());
        const QImage image = Fixture(size.width(), size.height());
        const PictTestPicture picture = PictTestReader::Parse(MPictBitmap::Picture(image));
        ASSERT_TRUE(picture.mValid) << picture.mError.toStdString();
        EXPECT_EQ(picture.mFrame, QRect(QPoint(0, 0), size));
        const auto bits = picture.All(0x009A);
        ASSERT_EQ(bits.size(), 1u);
        QRect destination;
        const QImage decoded = PictTestReader::DirectBits(bits[0].mData, &destination);
        EXPECT_EQ(destination, QRect(QPoint(0, 0), size));
        EXPECT_EQ(ImageDifference(decoded, image), QString());
    }
}

TEST(PictBitmapTest, RefusesWhatAPictureCannotHold)
{
    EXPECT_TRUE(MPictBitmap::FitsPicture(QSize(MPictBitmap::kMaximumWidth, 10)));
    EXPECT_FALSE(MPictBitmap::FitsPicture(QSize(MPictBitmap::kMaximumWidth + 1, 10)));
    EXPECT_FALSE(MPictBitmap::FitsPicture(QSize(10, MPictBitmap::kMaximumHeight + 1)));
    EXPECT_TRUE(MPictBitmap::Picture(QImage()).isEmpty());
    EXPECT_TRUE(MPictBitmap::Picture(QImage(MPictBitmap::kMaximumWidth + 1, 2, QImage::Format_RGB32)).isEmpty());
}

TEST(PictBitmapTest, ImageMagickReadsSizeAndColours)
{
    const QString convert = ExternalTool::Find("convert");
    if (convert.isEmpty())
        GTEST_SKIP() << "ImageMagick is not installed";
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    for (QSize size : {QSize(1, 1), QSize(2, 3), QSize(61, 7), QSize(601, 300)}) {
        SCOPED_TRACE(QString("%1x%2").arg(size.width()).arg(size.height()).toStdString());
        const QImage image = Fixture(size.width(), size.height());
        const QString pict = folder.filePath("map.pct");
        const QString png = folder.filePath("map.png");
        QFile file(pict);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(MPictBitmap::Picture(image));
        file.close();
        QFile::remove(png);
        ASSERT_TRUE(ExternalTool::Run(convert, {pict, png}, 60));
        const QImage read(png);
        ASSERT_FALSE(read.isNull());
        EXPECT_EQ(read.size(), size);
        EXPECT_EQ(ImageDifference(read, image), QString());
    }
}

}  // namespace
