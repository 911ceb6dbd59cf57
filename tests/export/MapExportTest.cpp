#include "export/MImageExport.h"
#include "tests/export/ExternalTool.h"
#include "tests/export/ImageCompare.h"
#include "tests/export/PictTestReader.h"
#include "tests/support/TestPaths.h"
#include "tests/views/ViewConfigTestSupport.h"
#include "linear/CLinearViewConfig.h"
#include "linear/CStripedVectorImage.h"
#include "views/CCircleViewConfig.h"

#include <QDir>
#include <QPainter>
#include <QRegularExpression>
#include <QImage>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

constexpr double kPi = std::numbers::pi;

// Colour name ("#0000ff") of the pixel at a point, for readable failures.
std::string ColorAt(const QImage& image, QPointF point)
{
    return QColor(image.pixel(point.toPoint())).name().toStdString();
}

// The circular map of the bundled KL34 locus with the capsule genes (class
// "wzi" and the like) on the outer ring: wzi in pure blue.
struct CircularMap
{
    std::unique_ptr<CFileData> file =
        ViewDataFiles::Load(QFileInfo(TestPaths::SampleData("klebsiella_KL34_cds.tsv")), CFileData::kUnitBp, 3, 4);
    CCircleViewConfig view{QStringLiteral("KL34")};

    CircularMap()
    {
        view.Add(file.get(), "wzi", "wzi", 0, 0x0000FF);
        view.Add(file.get(), "wza", "wza", 1, 0xFF0000);
        view.SetGenomeLength(int32_t(file->MaximumLocate()));
        view.MakeViewImage();
    }

    // Map point at radius r on the middle of the wzi marker (2879..4312).
    static QPointF OnWzi(double r, double genomeLength)
    {
        const double angle = (2879 + 4312) / 2.0 / genomeLength * 2 * kPi;
        return {CCircleViewConfig::kCenterX + r * std::sin(angle), CCircleViewConfig::kCenterY - r * std::cos(angle)};
    }
};

TEST(MapExportTest, CircularMapAsBitmapsAtBothResolutions)
{
    CircularMap map;
    const Group2D& image = *map.view.Image();
    const double scale = image.Scale(), x = image.X(), y = image.Y();
    const QPointF onMarker = CircularMap::OnWzi(220, map.view.GenomeLength());
    QTemporaryDir folder;
    for (int kind : {0, 1}) {
        SCOPED_TRACE(kind);
        const int factor = kind + 1;
        const QString png = folder.filePath(QString("map%1.png").arg(kind));
        ASSERT_TRUE(MImageExport::SaveImage(map.view, kind, MImageExport::kPngFileType, png).Succeeded());
        const QImage read(png);
        ASSERT_EQ(read.size(), QSize(840, 600) * factor);
        EXPECT_EQ(ColorAt(read, onMarker * factor), "#0000ff");
        // The centre is masked white.
        EXPECT_EQ(ColorAt(read, QPointF(350, 330) * factor), "#ffffff");

        const QString pict = folder.filePath(QString("map%1.pct").arg(kind));
        ASSERT_TRUE(MImageExport::SaveImage(map.view, kind, MImageExport::kPictFileType, pict).Succeeded());
        QFile file(pict);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const PictTestPicture picture = PictTestReader::Parse(file.readAll());
        ASSERT_TRUE(picture.mValid) << picture.mError.toStdString();
        ASSERT_EQ(picture.All(0x009A).size(), 1u);
        // The same pixels as the PNG.
        EXPECT_EQ(ImageDifference(PictTestReader::DirectBits(picture.All(0x009A)[0].mData), read), QString());
    }
    EXPECT_EQ(image.Scale(), scale);
    EXPECT_EQ(image.X(), x);
    EXPECT_EQ(image.Y(), y);
}

TEST(MapExportTest, ImageMagickReadsTheHighResolutionPict)
{
    const QString convert = ExternalTool::Find("convert");
    if (convert.isEmpty())
        GTEST_SKIP() << "ImageMagick is not installed";
    CircularMap map;
    QTemporaryDir folder;
    const QString pict = folder.filePath("map.pct");
    ASSERT_TRUE(MImageExport::SaveImage(map.view, 1, MImageExport::kPictFileType, pict).Succeeded());
    const QString png = folder.filePath("read.png");
    ASSERT_TRUE(ExternalTool::Run(convert, {pict, png}, 120));
    const QImage read(png);
    ASSERT_EQ(read.size(), QSize(1680, 1200));
    const QPointF onMarker = CircularMap::OnWzi(220, map.view.GenomeLength()) * 2;
    EXPECT_EQ(ColorAt(read, onMarker), "#0000ff");
    const QPointF onOtherRing = CircularMap::OnWzi(200, map.view.GenomeLength()) * 2;
    EXPECT_EQ(ColorAt(read, onOtherRing), "#ffffff");
}

TEST(MapExportTest, CircularMapAsVectorFiles)
{
    CircularMap map;
    QTemporaryDir folder;
    const QString pict = folder.filePath("map.pct");
    ASSERT_TRUE(MImageExport::SaveImage(map.view, 2, MImageExport::kPngFileType, pict).Succeeded());
    QFile file(pict);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    const PictTestPicture picture = PictTestReader::Parse(bytes);
    ASSERT_TRUE(picture.mValid) << picture.mError.toStdString();
    EXPECT_EQ(picture.mFrame, QRect(0, 0, 840, 600));
    EXPECT_TRUE(picture.All(0x009A).empty());
    EXPECT_FALSE(picture.All(0x0071).empty());    // marker wedges
    EXPECT_FALSE(picture.All(0x0050).empty());    // ring frames
    EXPECT_TRUE(bytes.contains("KL34"));          // the title as text
    EXPECT_TRUE(bytes.contains("wzi"));           // a legend row

    const QString svg = folder.filePath("map.svg");
    ASSERT_TRUE(MImageExport::SaveImage(map.view, 2, MImageExport::kSvgFileType, svg).Succeeded());
    QFile svgFile(svg);
    ASSERT_TRUE(svgFile.open(QIODevice::ReadOnly));
    const QByteArray svgBytes = svgFile.readAll();
    EXPECT_TRUE(svgBytes.contains("viewBox=\"0 0 840 600\""));
    EXPECT_TRUE(svgBytes.contains(">KL34</text>"));

    const QString soffice = ExternalTool::Find("soffice");
    if (soffice.isEmpty())
        GTEST_SKIP() << "LibreOffice is not installed";
    const QString profile = QUrl::fromLocalFile(folder.filePath("profile")).toString();
    const QString outFolder = folder.filePath("read");
    ASSERT_TRUE(ExternalTool::Run(soffice,
                                  {"-env:UserInstallation=" + profile, "--headless", "--convert-to", "svg",
                                   "--outdir", outFolder, pict},
                                  180));
    QFile read(outFolder + "/map.svg");
    ASSERT_TRUE(read.open(QIODevice::ReadOnly));
    const QByteArray content = read.readAll();
    EXPECT_TRUE(content.contains("KL34"));
    EXPECT_TRUE(content.contains("fill=\"rgb(0,0,255)\""));
}

// The linear map of the same locus, cut into letter pages: three of them.
struct LinearMap
{
    std::unique_ptr<CFileData> file =
        ViewDataFiles::Load(QFileInfo(TestPaths::SampleData("klebsiella_KL34_cds.tsv")), CFileData::kUnitBp, 3, 4);
    CLinearViewConfig view{QStringLiteral("KL34 linear")};

    LinearMap()
    {
        view.SetGenomeLength(int32_t(file->MaximumLocate()));
        view.SetStartLocate(0);
        view.SetEndLocate(int32_t(file->MaximumLocate()));
        view.SetScale(kRowLength);
        for (const char* cls : {"wzi", "wza", "wzb", "wzc", "gnd", "ugd", "CDS"})
            view.Add(file.get(), cls, cls, CLinearViewConfig::kBottom, CLinearViewConfig::kArrow, 0x0000FF);
        view.SetPageWidth(612);
        view.SetPageHeight(792);
        view.MakeViewImage();
    }

    static constexpr int kRowLength = 800;
};

TEST(MapExportTest, LinearMapPagesMatchTheMapBandByBand)
{
    LinearMap map;
    ASSERT_EQ(map.view.PageCount(), 3);
    const int pageHeight = map.view.PageHeight();
    ASSERT_EQ(pageHeight, 1087);
    const CStripedVectorImage& stripes = *map.view.StripedImage();
    std::vector<double> stripeTops;
    for (int i = 0; i < stripes.Count(); ++i)
        stripeTops.push_back(stripes.NthImage(i)->Y());

    // The whole map, drawn shape by shape as the window draws stripes it
    // keeps no tiles for (tiles round antialiased edges a level apart).
    CStripedVectorImage shapeByShape = stripes;
    shapeByShape.SetTileBudget(0);
    QImage whole(map.view.ViewWidth(), map.view.ViewHeight(), QImage::Format_RGB32);
    whole.fill(Qt::white);
    QPainter painter(&whole);
    shapeByShape.Draw(painter, 0, 0, whole.height());
    painter.end();

    QTemporaryDir folder;
    const QString target = folder.filePath("KL34 linear Images");
    const CImageExportResult result = MImageExport::SaveImage(map.view, 0, MImageExport::kPngFileType, target);
    ASSERT_TRUE(result.Succeeded()) << result.mMessage.toStdString();
    EXPECT_EQ(QDir(target).entryList(QDir::Files), (QStringList{"P001.png", "P002.png", "P003.png"}));
    for (int page = 0; page < 3; ++page) {
        SCOPED_TRACE(page);
        const QImage image(QDir(target).filePath(MImageExport::PageFileName(page, ".png")));
        ASSERT_EQ(image.size(), QSize(840, pageHeight));
        // The page shows the map's band from PageTop down to the bottom of
        // its last row; below that it is white.
        const int lastStripe = map.view.PageTopTable()[size_t(page) + 1] - 1;
        const int bandHeight = stripes.Top(lastStripe) + stripes.Height(lastStripe) - map.view.PageTop(page);
        ASSERT_LE(bandHeight, pageHeight);
        const QImage band = whole.copy(0, map.view.PageTop(page), 840, bandHeight);
        EXPECT_EQ(ImageDifference(image.copy(0, 0, 840, bandHeight), band), QString());
        QImage below(840, pageHeight - bandHeight - 1, QImage::Format_RGB32);
        below.fill(Qt::white);
        EXPECT_EQ(ImageDifference(image.copy(0, bandHeight + 1, 840, below.height()), below), QString());
    }
    // The stripes the pages borrowed are where they were.
    for (int i = 0; i < stripes.Count(); ++i)
        EXPECT_EQ(stripes.NthImage(i)->Y(), stripeTops[size_t(i)]);

    // At twice the resolution, and as vector PICT, SVG and one PDF.
    const QString high = folder.filePath("high");
    ASSERT_TRUE(MImageExport::SaveImage(map.view, 1, MImageExport::kPictFileType, high).Succeeded());
    for (int page = 0; page < 3; ++page) {
        QFile file(QDir(high).filePath(MImageExport::PageFileName(page, ".pct")));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(PictTestReader::Parse(file.readAll()).mFrame, QRect(0, 0, 1680, 2 * pageHeight));
    }
    for (const QString& type : {MImageExport::kPictFileType, MImageExport::kSvgFileType}) {
        const QString vector = folder.filePath("vector" + MImageExport::FileExt(2, type));
        ASSERT_TRUE(MImageExport::SaveImage(map.view, 2, type, vector).Succeeded());
        EXPECT_EQ(QDir(vector).entryList(QDir::Files).size(), 3);
    }
    const QString pdf = folder.filePath("map.pdf");
    ASSERT_TRUE(MImageExport::SaveImage(map.view, 2, MImageExport::kPdfFileType, pdf).Succeeded());
    const QString pdfinfo = ExternalTool::Find("pdfinfo");
    if (!pdfinfo.isEmpty()) {
        QString info;
        ASSERT_TRUE(ExternalTool::Run(pdfinfo, {pdf}, 60, &info));
        EXPECT_TRUE(info.contains(QRegularExpression("Pages:\\s+3\\n"))) << info.toStdString();
        EXPECT_TRUE(info.contains(QRegularExpression("Page size:\\s+840 x 1087 pts"))) << info.toStdString();
    }
}

}  // namespace
