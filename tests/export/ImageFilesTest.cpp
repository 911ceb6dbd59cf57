#include "export/CPdfDocumentWriter.h"
#include "export/MImageFiles.h"
#include "tests/export/ExternalTool.h"
#include "tests/export/ImageCompare.h"
#include "views/Group2D.h"
#include "views/RectShape.h"
#include "views/StringShape.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

namespace {

std::shared_ptr<Group2D> Page(const QString& title, RgbColor color)
{
    auto page = std::make_shared<Group2D>();
    auto block = std::make_shared<RectShape>();
    block->SetX(100); block->SetY(100); block->SetWidth(100); block->SetHeight(100);
    block->SetFillColor(color);
    page->Append(block);
    auto text = std::make_shared<StringShape>();
    text->SetText(title);
    text->SetTextSize(20);
    text->SetX(420); text->SetY(300);
    page->Append(text);
    return page;
}

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(ImageFilesTest, PngIsTwentyFourBitWithItsPixels)
{
    QTemporaryDir folder;
    QImage image(30, 20, QImage::Format_RGB32);
    image.fill(QColor(250, 128, 3));
    image.setPixel(29, 19, qRgb(1, 2, 3));
    const QString path = folder.filePath("page.png");
    ASSERT_TRUE(MImageFiles::WritePng(path, image));
    const QByteArray bytes = ReadAll(path);
    ASSERT_GT(bytes.size(), 26);
    EXPECT_EQ(bytes.mid(12, 4), QByteArray("IHDR"));
    EXPECT_EQ(int(bytes[24]), 8);    // bits a sample
    EXPECT_EQ(int(bytes[25]), 2);    // RGB, no alpha
    EXPECT_EQ(ImageDifference(QImage(path), image), QString());
}

TEST(ImageFilesTest, FailedWritesReportFailureAndLeaveNothing)
{
    QTemporaryDir folder;
    // A folder in the way of the file, and a file in the way of the folder.
    QDir(folder.path()).mkdir("taken.png");
    QFile blocker(folder.filePath("plain"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::red);
    for (const QString& path : {folder.filePath("taken.png"), folder.filePath("plain/page.png")}) {
        SCOPED_TRACE(path.toStdString());
        EXPECT_FALSE(MImageFiles::WritePng(path, image));
        EXPECT_FALSE(MImageFiles::WriteBytes(path, "x"));
        EXPECT_FALSE(MImageFiles::WriteSvg(path, *Page("t", 0), QSize(10, 10), "t"));
        CPdfDocumentWriter pdf;
        EXPECT_FALSE(pdf.Open(path, QSize(10, 10), "t") && pdf.AddPage(*Page("t", 0)) && pdf.Close());
    }
    EXPECT_TRUE(QFileInfo(folder.filePath("taken.png")).isDir());
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              (QStringList{"plain", "taken.png"}));
}

TEST(ImageFilesTest, SvgIsSizedInMapUnitsAndKeepsTextAsText)
{
    QTemporaryDir folder;
    const QString path = folder.filePath("page.svg");
    ASSERT_TRUE(MImageFiles::WriteSvg(path, *Page("Chromosome 1", 0xFF0000), QSize(840, 600), "My view"));
    QXmlStreamReader xml(ReadAll(path));
    QString viewBox;
    QStringList texts;
    bool hasTitle = false;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("svg"))
            viewBox = xml.attributes().value("viewBox").toString();
        else if (xml.name() == QLatin1String("title"))
            hasTitle = xml.readElementText() == "My view";
        else if (xml.name() == QLatin1String("text"))
            texts.append(xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed());
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_EQ(viewBox, "0 0 840 600");
    EXPECT_TRUE(hasTitle);
    EXPECT_EQ(texts, QStringList{"Chromosome 1"});
    EXPECT_TRUE(ReadAll(path).contains("#ff0000"));
}

TEST(ImageFilesTest, PdfHoldsOnePageAGroupSizedInPointsWithTextAsText)
{
    const QString pdfinfo = ExternalTool::Find("pdfinfo");
    const QString pdftotext = ExternalTool::Find("pdftotext");
    if (pdfinfo.isEmpty() || pdftotext.isEmpty())
        GTEST_SKIP() << "poppler-utils are not installed";
    QTemporaryDir folder;
    const QString path = folder.filePath("map.pdf");
    CPdfDocumentWriter pdf;
    ASSERT_TRUE(pdf.Open(path, QSize(840, 600), "Linear view"));
    for (const char* title : {"First page", "Second page", "Third page"})
        ASSERT_TRUE(pdf.AddPage(*Page(title, 0x00FF00)));
    ASSERT_TRUE(pdf.Close());

    QString info;
    ASSERT_TRUE(ExternalTool::Run(pdfinfo, {path}, 60, &info));
    EXPECT_TRUE(info.contains(QRegularExpression("Pages:\\s+3\\n"))) << info.toStdString();
    EXPECT_TRUE(info.contains(QRegularExpression("Page size:\\s+840 x 600 pts"))) << info.toStdString();
    EXPECT_TRUE(info.contains(QRegularExpression("Title:\\s+Linear view"))) << info.toStdString();
    QString text;
    ASSERT_TRUE(ExternalTool::Run(pdftotext, {path, "-"}, 60, &text));
    EXPECT_TRUE(text.contains("First page") && text.contains("Second page") && text.contains("Third page"))
        << text.toStdString();
}

}  // namespace
