#include "export/CImagePageFolder.h"
#include "export/MImageExport.h"
#include "tests/export/ImageCompare.h"
#include "tests/export/PictTestReader.h"
#include "views/CViewConfig.h"
#include "views/Group2D.h"
#include "views/RectShape.h"
#include "views/StringShape.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using MImageExport::SaveImage;

const RgbColor kPageColors[] = {0xE02010, 0x10C020, 0x2040F0, 0x808000};

// A view of pages of 300 x 200 units cut from one tall picture, the way a
// linear map pages: page p shows the picture from (PageLeft(p), PageTop(p)).
// Each page holds a band of 250 x 160 units at its top left, filled with the
// page's colour, and the page's name as text; each page has a group of its
// own, placed off the origin so that a forgotten restore shows.
class PagedTestView : public CViewConfig
{
public:
    static constexpr int kWidth = 300;
    static constexpr int kHeight = 200;
    static constexpr int kBandWidth = 250;
    static constexpr int kBandHeight = 160;

    explicit PagedTestView(int pageCount) : CViewConfig(QStringLiteral("Test view")), mPageCount(pageCount)
    {
        for (int page = 0; page < pageCount; ++page) {
            auto band = std::make_shared<RectShape>();
            band->SetX(PageLeft(page) + kBandWidth / 2.0);
            band->SetY(PageTop(page) + kBandHeight / 2.0);
            band->SetWidth(kBandWidth);
            band->SetHeight(kBandHeight);
            band->SetFillColor(kPageColors[page % 4]);
            auto label = std::make_shared<StringShape>();
            label->SetText(QStringLiteral("Page %1").arg(page + 1));
            label->SetX(PageLeft(page) + kWidth / 2.0);
            label->SetY(PageTop(page) + 100);
            auto group = std::make_shared<Group2D>();
            group->Append(band);
            group->Append(label);
            group->SetX(3.5);
            group->SetY(-4);
            mGroups.push_back(group);
        }
    }

    int PageCount() const override { return mPageCount; }
    int32_t PageWidth() const override { return kWidth; }
    int32_t PageHeight() const override { return kHeight; }
    int32_t PageLeft(int page) const override { return 7 * page; }
    int32_t PageTop(int page) const override { return 20 + 215 * page; }
    Group2DRef GetImage(int page) const override { return mGroups.at(size_t(page)); }

    // Every page group still at its own scale and position.
    bool GroupsUntouched() const
    {
        for (const Group2DRef& group : mGroups) {
            if (group->Scale() != 1 || group->X() != 3.5 || group->Y() != -4)
                return false;
        }
        return true;
    }

private:
    int mPageCount;
    std::vector<Group2DRef> mGroups;
};

// Checks that the image shows the page's band in place: its colour just
// inside the band's right and bottom edges, white just outside them.
void ExpectBandOfPage(const QImage& image, int page, int pixelsPerUnit)
{
    const auto at = [&](int x, int y) { return QColor(image.pixel(x * pixelsPerUnit, y * pixelsPerUnit)); };
    const QColor color(kPageColors[page % 4]);
    EXPECT_EQ(at(20, 20), color);
    EXPECT_EQ(at(245, 20), color);
    EXPECT_EQ(at(255, 20), QColor(Qt::white));
    EXPECT_EQ(at(20, 155), color);
    EXPECT_EQ(at(20, 165), QColor(Qt::white));
}

QStringList Entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

void WriteFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
}

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(ImageExportTest, KindAndFileTypeDecideExtensionAndFilter)
{
    struct Case { int kind; QString fileType; const char* ext; QString filter; };
    const QString png = MImageExport::kPngFileType;
    const QString pict = MImageExport::kPictFileType;
    const Case cases[] = {
        {0, png, ".png", png},   {1, png, ".png", png},   {0, pict, ".pct", pict},
        {1, pict, ".pct", pict},
        // A vector image is PICT even while PNG is chosen for bitmaps.
        {2, png, ".pct", pict},  {2, pict, ".pct", pict},
        // Any other stored type means PICT, as the dialog reads it.
        {0, "Something", ".pct", "Something"},
        {2, MImageExport::kSvgFileType, ".svg", MImageExport::kSvgFileType},
        {0, MImageExport::kPdfFileType, ".pdf", MImageExport::kPdfFileType},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(QString("%1 %2").arg(c.kind).arg(c.fileType).toStdString());
        EXPECT_EQ(MImageExport::FileExt(c.kind, c.fileType), QString(c.ext));
        EXPECT_EQ(MImageExport::FileFilter(c.kind, c.fileType), c.filter);
    }
    EXPECT_EQ(MImageExport::PageFileName(0, ".png"), "P001.png");
    EXPECT_EQ(MImageExport::PageFileName(41, ".pct"), "P042.pct");
    EXPECT_EQ(MImageExport::PageFileName(999, ".svg"), "P1000.svg");
    EXPECT_FALSE(MImageExport::WritesFolder(1, png));
    EXPECT_TRUE(MImageExport::WritesFolder(2, png));
    EXPECT_FALSE(MImageExport::WritesFolder(3, MImageExport::kPdfFileType));
}

TEST(ImageExportTest, OnePageGoesToTheChosenFileInEveryKindAndFormat)
{
    QTemporaryDir folder;
    PagedTestView view(1);
    struct Case { int kind; QString fileType; const char* name; QSize pixels; };
    const Case cases[] = {
        {0, MImageExport::kPngFileType, "low.png", QSize(300, 200)},
        {1, MImageExport::kPngFileType, "high.png", QSize(600, 400)},
        {0, MImageExport::kPictFileType, "low.pct", QSize(300, 200)},
        {1, MImageExport::kPictFileType, "high.pct", QSize(600, 400)},
        {2, MImageExport::kPngFileType, "vector.pct", QSize()},
        {2, MImageExport::kSvgFileType, "vector.svg", QSize()},
        {2, MImageExport::kPdfFileType, "vector.pdf", QSize()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString target = folder.filePath(c.name);
        const CImageExportResult result = SaveImage(view, c.kind, c.fileType, target);
        EXPECT_TRUE(result.Succeeded()) << result.mMessage.toStdString();
        EXPECT_EQ(result.mPagesWritten, 1);
        EXPECT_TRUE(view.GroupsUntouched());
        const QByteArray bytes = ReadFile(target);
        ASSERT_FALSE(bytes.isEmpty());
        QImage image;
        if (c.fileType == MImageExport::kPngFileType && c.kind != 2) {
            image.load(target);
        } else if (c.kind != 2) {
            const PictTestPicture picture = PictTestReader::Parse(bytes);
            ASSERT_TRUE(picture.mValid) << picture.mError.toStdString();
            EXPECT_EQ(picture.mFrame.size(), c.pixels);
            ASSERT_EQ(picture.All(0x009A).size(), 1u);
            image = PictTestReader::DirectBits(picture.All(0x009A)[0].mData);
        } else if (QString(c.name).endsWith(".pct")) {
            const PictTestPicture picture = PictTestReader::Parse(bytes);
            ASSERT_TRUE(picture.mValid) << picture.mError.toStdString();
            EXPECT_EQ(picture.mFrame, QRect(0, 0, 300, 200));
            EXPECT_TRUE(picture.All(0x009A).empty());    // shapes, not pixels
            ASSERT_EQ(picture.All(0x0031).size(), 1u);
            // The page's top left lands on the picture's origin.
            EXPECT_EQ(PictTestReader::Rect(picture.All(0x0031)[0].mData, 0), QRect(0, 0, 250, 160));
            EXPECT_TRUE(bytes.contains("Page 1"));
        } else if (QString(c.name).endsWith(".svg")) {
            EXPECT_TRUE(bytes.contains("viewBox=\"0 0 300 200\""));
            EXPECT_TRUE(bytes.contains("Page 1"));
        } else {
            EXPECT_TRUE(bytes.startsWith("%PDF"));
        }
        if (c.pixels.isValid()) {
            ASSERT_EQ(image.size(), c.pixels);
            ExpectBandOfPage(image, 0, c.kind == 1 ? 2 : 1);
        }
    }
}

TEST(ImageExportTest, SeveralPagesGoIntoAFolderOfNumberedFiles)
{
    QTemporaryDir folder;
    PagedTestView view(3);
    const QString target = folder.filePath("Test view Images");
    const CImageExportResult result = SaveImage(view, 1, MImageExport::kPngFileType, target);
    ASSERT_TRUE(result.Succeeded()) << result.mMessage.toStdString();
    EXPECT_EQ(result.mPagesWritten, 3);
    EXPECT_TRUE(view.GroupsUntouched());
    EXPECT_EQ(Entries(target), (QStringList{"P001.png", "P002.png", "P003.png"}));
    for (int page = 0; page < 3; ++page) {
        SCOPED_TRACE(page);
        const QImage image(QDir(target).filePath(MImageExport::PageFileName(page, ".png")));
        ASSERT_EQ(image.size(), QSize(600, 400));
        // Each file shows its own page's band, moved to the origin at twice the size.
        ExpectBandOfPage(image, page, 2);
    }

    // The same pages as vector PICT files, as SVG files, and all in one PDF.
    const QString pictFolder = folder.filePath("vector");
    ASSERT_TRUE(SaveImage(view, 2, MImageExport::kPngFileType, pictFolder).Succeeded());
    EXPECT_EQ(Entries(pictFolder), (QStringList{"P001.pct", "P002.pct", "P003.pct"}));
    EXPECT_TRUE(ReadFile(pictFolder + "/P003.pct").contains("Page 3"));
    const QString svgFolder = folder.filePath("svg");
    ASSERT_TRUE(SaveImage(view, 2, MImageExport::kSvgFileType, svgFolder).Succeeded());
    EXPECT_EQ(Entries(svgFolder), (QStringList{"P001.svg", "P002.svg", "P003.svg"}));
    EXPECT_TRUE(ReadFile(svgFolder + "/P002.svg").contains("Page 2"));
    const QString pdf = folder.filePath("map.pdf");
    ASSERT_TRUE(SaveImage(view, 2, MImageExport::kPdfFileType, pdf).Succeeded());
    EXPECT_EQ(ReadFile(pdf).count("/Type /Page\n") + ReadFile(pdf).count("/Type /Page "), 3);
    EXPECT_TRUE(view.GroupsUntouched());
}

TEST(ImageExportTest, ExistingFoldersAreReusedOnlyWhenTheyHoldEarlierPages)
{
    QTemporaryDir folder;
    PagedTestView view(2);

    // Empty: used as it is.
    const QString empty = folder.filePath("empty");
    QDir().mkdir(empty);
    ASSERT_TRUE(SaveImage(view, 0, MImageExport::kPictFileType, empty).Succeeded());
    EXPECT_EQ(Entries(empty), (QStringList{"P001.pct", "P002.pct"}));

    // Earlier pages: replaced, and those of a longer earlier export removed.
    const QString earlier = folder.filePath("earlier");
    QDir().mkdir(earlier);
    for (const char* name : {"P001.png", "P002.png", "P003.png", "P004.pct"})
        WriteFile(earlier + '/' + name, "old");
    ASSERT_TRUE(SaveImage(view, 0, MImageExport::kPngFileType, earlier).Succeeded());
    EXPECT_EQ(Entries(earlier), (QStringList{"P001.png", "P002.png"}));
    EXPECT_FALSE(QImage(earlier + "/P002.png").isNull());

    // Anything else: nothing is written and nothing deleted.
    const QString mine = folder.filePath("mine");
    QDir().mkdir(mine);
    WriteFile(mine + "/P001.png", "old");
    WriteFile(mine + "/notes.txt", "keep me");
    const CImageExportResult refused = SaveImage(view, 0, MImageExport::kPngFileType, mine);
    EXPECT_FALSE(refused.Succeeded());
    EXPECT_TRUE(refused.mMessage.contains(mine)) << refused.mMessage.toStdString();
    EXPECT_EQ(refused.mFailedPage, -1);
    EXPECT_EQ(Entries(mine), (QStringList{"P001.png", "notes.txt"}));
    EXPECT_EQ(ReadFile(mine + "/P001.png"), QByteArray("old"));
    EXPECT_EQ(ReadFile(mine + "/notes.txt"), QByteArray("keep me"));
}

TEST(ImageExportTest, AFileOfTheFolderNameIsReplacedOnceThePagesAreWritten)
{
    QTemporaryDir folder;
    PagedTestView view(2);
    const QString target = folder.filePath("Test view Images");
    WriteFile(target, "a file in the way");
    const CImageExportResult result = SaveImage(view, 0, MImageExport::kPngFileType, target);
    ASSERT_TRUE(result.Succeeded()) << result.mMessage.toStdString();
    EXPECT_TRUE(QFileInfo(target).isDir());
    EXPECT_EQ(Entries(target), (QStringList{"P001.png", "P002.png"}));
    // No temporary or set-aside item is left beside it.
    EXPECT_EQ(Entries(folder.path()), QStringList{"Test view Images"});
}

TEST(ImageExportTest, AFailedPageStopsTheExportAndRestoresTheGroups)
{
    // Bitmap pages are written while the next one is drawn: a failure shows
    // one page late, and must still be reported for its own page, also when
    // it is the last page.
    const struct {
        const char* name;
        int pages;
        QString fileType;
        QString blocked;
        QStringList left;
    } cases[] = {
        {"png, page 2 of 3", 3, MImageExport::kPngFileType, "P002.png", {"P001.png", "P002.png"}},
        {"pict, last page", 2, MImageExport::kPictFileType, "P002.pct", {"P001.pct", "P002.pct"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir folder;
        PagedTestView view(c.pages);
        const QString target = folder.filePath("pages");
        QDir().mkdir(target);
        // A folder where page 2's file must go: it cannot be written, and must survive.
        QDir().mkdir(target + "/" + c.blocked);
        WriteFile(target + "/" + c.blocked + "/inside.txt", "keep me");
        const CImageExportResult result = SaveImage(view, 0, c.fileType, target);
        EXPECT_FALSE(result.Succeeded());
        EXPECT_EQ(result.mFailedPage, 1);
        EXPECT_EQ(result.mPagesWritten, 1);
        EXPECT_TRUE(result.mMessage.contains(c.blocked)) << result.mMessage.toStdString();
        EXPECT_TRUE(view.GroupsUntouched());
        // Page 1 stays, page 3 was not written.
        EXPECT_EQ(Entries(target), c.left);
        EXPECT_EQ(ReadFile(target + "/" + c.blocked + "/inside.txt"), QByteArray("keep me"));
    }
}

TEST(ImageExportTest, UnusableTargetsAndViewsGiveMessages)
{
    QTemporaryDir folder;
    PagedTestView onePage(1);
    QDir().mkdir(folder.filePath("a folder"));
    struct Case { const char* name; CViewConfig* view; int kind; QString target; int failedPage; };
    PagedTestView noPages(0);
    const Case cases[] = {
        {"file in a missing folder", &onePage, 0, folder.filePath("missing/map.png"), 0},
        {"pdf in a missing folder", &onePage, 2, folder.filePath("missing/map.pdf"), 0},
        {"one page onto a folder", &onePage, 0, folder.filePath("a folder"), -1},
        {"unknown kind", &onePage, 3, folder.filePath("map.png"), -1},
        {"no pages", &noPages, 0, folder.filePath("map.png"), -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString fileType = c.target.endsWith(".pdf") ? MImageExport::kPdfFileType : MImageExport::kPngFileType;
        const CImageExportResult result = SaveImage(*c.view, c.kind, fileType, c.target);
        EXPECT_FALSE(result.Succeeded());
        EXPECT_EQ(result.mFailedPage, c.failedPage);
        EXPECT_EQ(result.mPagesWritten, 0);
    }
    EXPECT_TRUE(onePage.GroupsUntouched());
    EXPECT_EQ(Entries(folder.path()), QStringList{"a folder"});
    EXPECT_TRUE(Entries(folder.filePath("a folder")).isEmpty());
}

TEST(ImageExportTest, PageFileNamesAreRecognised)
{
    for (const char* name : {"P001.png", "P002.pct", "P1000.svg", "P010.PNG", "P003.pdf"})
        EXPECT_TRUE(CImagePageFolder::IsPageFileName(name)) << name;
    for (const char* name : {"P01.png", "p001.png", "P001.txt", "P001.png.bak", "notes.txt", ".hidden", "P001"})
        EXPECT_FALSE(CImagePageFolder::IsPageFileName(name)) << name;
}

}  // namespace
