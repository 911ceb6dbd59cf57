#include "export/CPictVectorWriter.h"
#include "tests/export/ExternalTool.h"
#include "tests/export/ImageCompare.h"
#include "tests/export/PictTestReader.h"
#include "views/ArcShape.h"
#include "views/CurveShape.h"
#include "views/FigureShape.h"
#include "views/Group2D.h"
#include "views/PixmapShape.h"
#include "views/RectShape.h"
#include "views/RoundRectShape.h"
#include "views/StringShape.h"

#include <QDir>
#include <QUrl>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <numbers>

namespace {

constexpr double kPi = std::numbers::pi;

enum Opcode {
    kTextFont = 0x0003, kTextFace = 0x0004, kPenSize = 0x0007, kOvalSize = 0x000B, kTextSize = 0x000D,
    kRgbFore = 0x001A, kLine = 0x0020, kLongText = 0x0028, kFontName = 0x002C, kFrameRect = 0x0030,
    kPaintRect = 0x0031, kPaintRoundRect = 0x0041, kFrameOval = 0x0050, kPaintOval = 0x0051,
    kFrameArc = 0x0060, kPaintArc = 0x0061, kFramePolygon = 0x0070, kPaintPolygon = 0x0071,
    kDirectBits = 0x009A,
};

PictTestPicture Written(const Group2D& group, QSize page = QSize(600, 600))
{
    return PictTestReader::Parse(CPictVectorWriter::Picture(group, page));
}

std::shared_ptr<Group2D> GroupOf(Object2DRef object)
{
    auto group = std::make_shared<Group2D>();
    group->Append(std::move(object));
    return group;
}

// The drawing operations only: opcodes that draw, with the colour and pen
// size in force when they do.
struct Drawn
{
    int mOpcode;
    QByteArray mData;
    QRgb mColor;
    int mPen;
};

std::vector<Drawn> DrawingOps(const PictTestPicture& picture)
{
    std::vector<Drawn> drawn;
    QRgb color = 0;
    int pen = 1;
    for (const PictTestOp& op : picture.mOps) {
        if (op.mOpcode == kRgbFore) {
            color = qRgb(static_cast<unsigned char>(op.mData[0]), static_cast<unsigned char>(op.mData[2]),
                         static_cast<unsigned char>(op.mData[4]));
        } else if (op.mOpcode == kPenSize) {
            pen = PictTestReader::Int16(op.mData, 2);
        } else if (op.mOpcode >= kLine && op.mOpcode < 0x0100 && op.mOpcode != kFontName) {
            drawn.push_back({op.mOpcode, op.mData, color, pen});
        }
    }
    return drawn;
}

std::vector<QPoint> PolygonPoints(const QByteArray& data)
{
    std::vector<QPoint> points;
    for (int at = 10; at + 4 <= data.size(); at += 4)
        points.emplace_back(PictTestReader::Int16(data, at + 2), PictTestReader::Int16(data, at));
    return points;
}

TEST(PictVectorWriterTest, EachShapeBecomesItsQuickDrawOperation)
{
    struct Case {
        const char* name;
        std::function<Object2DRef()> make;
        int opcode;
        QRgb color;
        QRect rect;    // the operation's rectangle (first 8 bytes), when it has one
        int pen;
    };
    const Case cases[] = {
        {"filled rectangle",
         [] {
             auto r = std::make_shared<RectShape>();
             r->SetX(100); r->SetY(60); r->SetWidth(120); r->SetHeight(60); r->SetFillColor(0xFF0000);
             return r;
         },
         kPaintRect, qRgb(255, 0, 0), QRect(40, 30, 120, 60), 1},
        {"framed oval, line centred on the outline",
         [] {
             auto o = std::make_shared<OvalShape>();
             o->SetX(300); o->SetY(100); o->SetWidth(100); o->SetHeight(80);
             o->SetFill(0); o->SetBorder(100); o->SetBorderWidth(2); o->SetBorderColor(0x0000FF);
             return o;
         },
         kFrameOval, qRgb(0, 0, 255), QRect(249, 59, 102, 82), 2},
        {"filled oval",
         [] {
             auto o = std::make_shared<OvalShape>();
             o->SetX(50); o->SetY(50); o->SetWidth(20); o->SetHeight(20); o->SetFillColor(0x123456);
             return o;
         },
         kPaintOval, qRgb(0x12, 0x34, 0x56), QRect(40, 40, 20, 20), 1},
        {"round rectangle",
         [] {
             auto r = std::make_shared<RoundRectShape>();
             r->SetX(450); r->SetY(300); r->SetWidth(100); r->SetHeight(50);
             r->SetCornerWidth(20); r->SetCornerHeight(10); r->SetFillColor(0xFFAA00);
             return r;
         },
         kPaintRoundRect, qRgb(255, 170, 0), QRect(400, 275, 100, 50), 1},
        {"quarter wedge in whole degrees",
         [] {
             auto a = std::make_shared<ArcShape>();
             a->SetX(200); a->SetY(300); a->SetWidth(200); a->SetHeight(200);
             a->SetStartAngle(-kPi / 2); a->SetArcAngle(kPi / 2); a->SetFillColor(0x00AA00);
             return a;
         },
         kPaintArc, qRgb(0, 170, 0), QRect(100, 200, 200, 200), 1},
        {"arc outline in whole degrees",
         [] {
             auto a = std::make_shared<ArcShape>();
             a->SetX(200); a->SetY(300); a->SetWidth(200); a->SetHeight(200);
             a->SetStartAngle(0); a->SetArcAngle(kPi); a->SetFill(0); a->SetBorder(100);
             a->SetBorderWidth(2); a->SetBorderColor(0x880000);
             return a;
         },
         kFrameArc, qRgb(0x88, 0, 0), QRect(99, 199, 202, 202), 2},
        {"straight line, pen hanging centred",
         [] {
             auto c = std::make_shared<CurveShape>();
             c->SetX(20); c->SetY(450); c->SetX2(580); c->SetY2(450); c->SetBorderWidth(4);
             c->SetBorderColor(0x00FF00);
             return c;
         },
         kLine, qRgb(0, 255, 0), QRect(), 4},
        {"hairline drawn one unit wide",
         [] {
             auto c = std::make_shared<CurveShape>();
             c->SetX(10); c->SetY(10); c->SetX2(10); c->SetY2(90); c->SetBorderWidth(0.5);
             return c;
         },
         kLine, qRgb(0, 0, 0), QRect(), 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const PictTestPicture picture = Written(*GroupOf(c.make()));
        ASSERT_TRUE(picture.mValid) << picture.mError.toStdString();
        const std::vector<Drawn> drawn = DrawingOps(picture);
        ASSERT_EQ(drawn.size(), 1u);
        EXPECT_EQ(drawn[0].mOpcode, c.opcode);
        EXPECT_EQ(drawn[0].mColor, c.color);
        EXPECT_EQ(drawn[0].mPen, c.pen);
        if (!c.rect.isNull()) {
            EXPECT_EQ(PictTestReader::Rect(drawn[0].mData, 0), c.rect);
        }
    }
}

TEST(PictVectorWriterTest, ArcAnglesCountFromTwelveOClock)
{
    // Start at three o'clock (0 rad) is 90 degrees in QuickDraw; spans keep their sign.
    struct Case { double start; double span; int qdStart; int qdSpan; };
    const Case cases[] = {{-kPi / 2, kPi / 2, 0, 90}, {0, kPi, 90, 180}, {kPi / 2, -kPi / 4, 180, -45},
                          {kPi, kPi / 180, 270, 1}};
    for (const Case& c : cases) {
        auto arc = std::make_shared<ArcShape>();
        arc->SetWidth(100); arc->SetHeight(100); arc->SetStartAngle(c.start); arc->SetArcAngle(c.span);
        const auto ops = Written(*GroupOf(arc)).All(kPaintArc);
        ASSERT_EQ(ops.size(), 1u);
        EXPECT_EQ(PictTestReader::Int16(ops[0].mData, 8), c.qdStart);
        EXPECT_EQ(PictTestReader::Int16(ops[0].mData, 10), c.qdSpan);
    }
}

TEST(PictVectorWriterTest, ArcsOffWholeDegreesStayExactAsWedgePolygons)
{
    // A marker of 0.3 degrees would vanish or double as a QuickDraw arc.
    auto arc = std::make_shared<ArcShape>();
    arc->SetX(300); arc->SetY(300); arc->SetWidth(460); arc->SetHeight(460);
    const double start = 0.1234;
    const double span = 0.3 * kPi / 180;
    arc->SetStartAngle(start); arc->SetArcAngle(span); arc->SetFillColor(0x3366FF);
    const PictTestPicture picture = Written(*GroupOf(arc));
    ASSERT_TRUE(picture.mValid);
    EXPECT_TRUE(picture.All(kPaintArc).empty());
    const auto polygons = picture.All(kPaintPolygon);
    ASSERT_EQ(polygons.size(), 1u);
    const std::vector<QPoint> points = PolygonPoints(polygons[0].mData);
    ASSERT_GE(points.size(), 3u);
    EXPECT_EQ(points.front(), QPoint(300, 300));    // the wedge starts at the centre
    const auto near = [](QPoint p, double angle) {
        return std::abs(p.x() - (300 + 230 * std::cos(angle))) <= 0.5
            && std::abs(p.y() - (300 + 230 * std::sin(angle))) <= 0.5;
    };
    EXPECT_TRUE(near(points[1], start));
    EXPECT_TRUE(near(points.back(), start + span));
}

TEST(PictVectorWriterTest, FiguresAreClosedPolygonsThroughTheirEdges)
{
    auto figure = std::make_shared<FigureShape>();
    figure->AddLine(400, 20, 500, 20);
    figure->AddLine(500, 20, 550, 60);
    figure->AddLine(550, 60, 400, 60);
    figure->SetFillColor(0x00FFFF);
    figure->SetBorder(100);
    figure->SetBorderWidth(1);
    const PictTestPicture picture = Written(*GroupOf(figure));
    const auto filled = picture.All(kPaintPolygon);
    ASSERT_EQ(filled.size(), 1u);
    EXPECT_EQ(PolygonPoints(filled[0].mData),
              (std::vector<QPoint>{{400, 20}, {500, 20}, {550, 60}, {400, 60}}));
    EXPECT_EQ(PictTestReader::Rect(filled[0].mData, 2), QRect(400, 20, 150, 40));
    // The outline closes itself back to the first point.
    const auto framed = picture.All(kFramePolygon);
    ASSERT_EQ(framed.size(), 1u);
    const std::vector<QPoint> outline = PolygonPoints(framed[0].mData);
    ASSERT_EQ(outline.size(), 5u);
    EXPECT_EQ(outline.front(), outline.back());
}

TEST(PictVectorWriterTest, NestedGroupsMoveAndScaleTheirItems)
{
    // Page group at scale 2 moved by (-100, -40), an inner group moved by (10, 5):
    // rectangle point (x, y) lands at (-100 + 2 * (10 + x), -40 + 2 * (5 + y)).
    auto rect = std::make_shared<RectShape>();
    rect->SetX(60); rect->SetY(40); rect->SetWidth(20); rect->SetHeight(10);
    rect->SetBorder(100); rect->SetBorderWidth(1.5);
    auto inner = GroupOf(rect);
    inner->SetX(10); inner->SetY(5);
    auto page = GroupOf(inner);
    page->SetScale(2); page->SetX(-100); page->SetY(-40);
    const std::vector<Drawn> drawn = DrawingOps(Written(*page));
    ASSERT_EQ(drawn.size(), 2u);
    EXPECT_EQ(drawn[0].mOpcode, kPaintRect);
    EXPECT_EQ(PictTestReader::Rect(drawn[0].mData, 0), QRect(20, 40, 40, 20));
    EXPECT_EQ(drawn[1].mOpcode, kFrameRect);
    EXPECT_EQ(drawn[1].mPen, 3);    // 1.5 scaled by 2
}

TEST(PictVectorWriterTest, TextCarriesFontSizeFaceAndItsBaseline)
{
    auto text = std::make_shared<StringShape>();
    text->SetText(QString::fromUtf8("Gène 1"));    // odd length: the next opcode must still be aligned
    text->SetTextFont("Liberation Serif");
    text->SetTextSize(13.4);
    text->SetBold(true);
    text->SetItalic(true);
    text->SetX(300);
    text->SetY(200);
    text->SetFillColor(0x112233);
    auto page = GroupOf(text);
    auto second = std::make_shared<RectShape>();
    second->SetWidth(4); second->SetHeight(4);
    page->Append(second);
    const PictTestPicture picture = Written(*page);
    ASSERT_TRUE(picture.mValid) << picture.mError.toStdString();

    const auto names = picture.All(kFontName);
    ASSERT_EQ(names.size(), 1u);
    EXPECT_EQ(names[0].mData.mid(5), QByteArray("Liberation Serif"));
    const auto fonts = picture.All(kTextFont);
    ASSERT_EQ(fonts.size(), 1u);
    EXPECT_EQ(fonts[0].mData.left(2), names[0].mData.mid(2, 2));    // the number the name was given
    ASSERT_EQ(picture.All(kTextSize).size(), 1u);
    EXPECT_EQ(PictTestReader::Int16(picture.All(kTextSize)[0].mData, 0), 14);    // sizes round up to whole ones
    ASSERT_EQ(picture.All(kTextFace).size(), 1u);
    EXPECT_EQ(picture.All(kTextFace)[0].mData.at(0), 1 | 2);

    const std::vector<Drawn> drawn = DrawingOps(picture);
    ASSERT_EQ(drawn[0].mOpcode, kLongText);
    EXPECT_EQ(drawn[0].mColor, qRgb(0x11, 0x22, 0x33));
    EXPECT_EQ(PictTestReader::Int16(drawn[0].mData, 0), 200);    // baseline
    EXPECT_LT(PictTestReader::Int16(drawn[0].mData, 2), 300);    // starts left of its centre
    EXPECT_EQ(drawn[0].mData.mid(5), QByteArray("G\x8Fne 1"));    // stored in the Mac encoding
}

TEST(PictVectorWriterTest, EmbeddedBitmapsAreWrittenAsPixels)
{
    auto picture = std::make_shared<Picture>(4, 3, 24);
    picture->Bitmap().fill(QColor(10, 20, 30));
    picture->Bitmap().setPixel(0, 0, qRgb(200, 0, 0));
    auto pixmap = std::make_shared<PixmapShape>();
    pixmap->SetImage(picture);
    pixmap->SetX(52); pixmap->SetY(41.5);
    const auto bits = Written(*GroupOf(pixmap)).All(kDirectBits);
    ASSERT_EQ(bits.size(), 1u);
    QRect destination;
    const QImage decoded = PictTestReader::DirectBits(bits[0].mData, &destination);
    EXPECT_EQ(destination, QRect(50, 40, 4, 3));
    EXPECT_EQ(ImageDifference(decoded, picture->Bitmap()), QString());
}

TEST(PictVectorWriterTest, LibreOfficeReadsArcsAndText)
{
    const QString soffice = ExternalTool::Find("soffice");
    if (soffice.isEmpty())
        GTEST_SKIP() << "LibreOffice is not installed";
    auto page = std::make_shared<Group2D>();
    auto wedge = std::make_shared<ArcShape>();
    wedge->SetX(300); wedge->SetY(300); wedge->SetWidth(400); wedge->SetHeight(400);
    wedge->SetStartAngle(-kPi / 2); wedge->SetArcAngle(kPi / 2); wedge->SetFillColor(0x00AA00);
    page->Append(wedge);
    auto marker = std::make_shared<ArcShape>();
    marker->SetX(300); marker->SetY(300); marker->SetWidth(400); marker->SetHeight(400);
    marker->SetStartAngle(0.3); marker->SetArcAngle(1.1); marker->SetFillColor(0xAA00AA);
    page->Append(marker);
    auto title = std::make_shared<StringShape>();
    title->SetText("Plasmid map");
    title->SetTextSize(24);
    title->SetX(300); title->SetY(560);
    page->Append(title);

    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString pict = folder.filePath("map.pct");
    QFile file(pict);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(CPictVectorWriter::Picture(*page, QSize(600, 600)));
    file.close();
    // LibreOffice keeps its profile under HOME; give it a throwaway one.
    const QString profile = QUrl::fromLocalFile(folder.filePath("profile")).toString();
    ASSERT_TRUE(ExternalTool::Run(soffice,
                                  {"-env:UserInstallation=" + profile, "--headless", "--convert-to", "svg",
                                   "--outdir", folder.path(), pict},
                                  180));
    QFile svg(folder.filePath("map.svg"));
    ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
    const QByteArray content = svg.readAll();
    EXPECT_TRUE(content.contains("Plasmid map"));
    EXPECT_TRUE(content.contains("fill=\"rgb(0,170,0)\""));
    EXPECT_TRUE(content.contains("fill=\"rgb(170,0,170)\""));
}

}  // namespace
