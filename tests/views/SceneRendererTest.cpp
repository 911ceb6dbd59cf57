#include "SceneTestSupport.h"

#include "views/ArcShape.h"
#include "views/CGenomeArcShape.h"
#include "views/CurveShape.h"
#include "views/FigureShape.h"
#include "views/MShape.h"
#include "views/OvalShape.h"
#include "views/PixmapShape.h"
#include "views/RoundRectShape.h"
#include "views/StringShape.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>

#include <cmath>

namespace {

constexpr QRgb kWhite = qRgb(255, 255, 255);
constexpr QRgb kRed = qRgb(255, 0, 0);
constexpr QRgb kBlue = qRgb(0, 0, 255);
constexpr QRgb kBlack = qRgb(0, 0, 0);

struct Probe
{
    int x;
    int y;
    QRgb expected;
};

void ExpectPixels(const QImage& image, const std::vector<Probe>& probes)
{
    for (const Probe& p : probes)
        EXPECT_TRUE(ColorNear(image.pixel(p.x, p.y), p.expected))
            << "at (" << p.x << "," << p.y << ") got " << Describe(image.pixel(p.x, p.y)).toStdString() << " expected "
            << Describe(p.expected).toStdString();
}

std::shared_ptr<ArcShape> Wedge(double cx, double cy, double radius, double start, double sweep, RgbColor color)
{
    auto arc = std::make_shared<ArcShape>();
    arc->SetX(cx);
    arc->SetY(cy);
    arc->SetWidth(2 * radius);
    arc->SetHeight(2 * radius);
    arc->SetStartAngle(start);
    arc->SetArcAngle(sweep);
    arc->SetFillColor(color);
    return arc;
}

}

TEST(SceneRenderer, WedgeTurnsClockwiseFromThreeOClock)
{
    // From twelve o'clock a quarter turn clockwise: the upper right quadrant only.
    Group2D scene;
    scene.Append(Wedge(50, 50, 40, -M_PI / 2, M_PI / 2, 0xFF0000));
    const QImage image = RenderScene(scene, 100, 100);
    ExpectPixels(image, {{65, 35, kRed}, {35, 35, kWhite}, {65, 65, kWhite}, {35, 65, kWhite}, {50 + 45, 50, kWhite}});
}

TEST(SceneRenderer, ArcOutlineOnlyWhenFillIsOff)
{
    auto arc = Wedge(50, 50, 40, 0, M_PI, 0xFF0000);
    arc->SetFill(0);
    arc->SetBorder(100);
    arc->SetBorderWidth(3);
    Group2D scene;
    scene.Append(arc);
    const QImage image = RenderScene(scene, 100, 100);
    // Lower half of the circle (clockwise from three o'clock through six).
    ExpectPixels(image, {{50, 90, kBlack}, {50, 70, kWhite}, {50, 10, kWhite}});
}

TEST(SceneRenderer, GroupOffsetsAndScaleCompose)
{
    auto rect = std::make_shared<RectShape>();
    MShape::SetRect(*rect, 3, 3, 4, 4);  // 3..7 in the group
    rect->SetFillColor(0x0000FF);
    auto inner = std::make_shared<Group2D>();
    inner->SetX(10);
    inner->SetY(20);
    inner->SetScale(2);
    inner->Append(rect);
    Group2D outer;
    outer.SetX(5);
    outer.Append(inner);
    // Drawn at offset (1, 2): x = 1 + 5 + 10 + 2*(3..7) = 22..30, y = 2 + 20 + 2*(3..7) = 28..36.
    const QImage image = RenderScene(outer, 60, 60, 1, 2);
    ExpectPixels(image, {{23, 29, kBlue}, {29, 35, kBlue}, {20, 32, kWhite}, {32, 32, kWhite}, {26, 26, kWhite}, {26, 38, kWhite}});
}

TEST(SceneRenderer, FillAndBorderOpacitiesAndWidth)
{
    Group2D scene;
    auto half = std::make_shared<RectShape>();
    MShape::SetRect(*half, 0, 0, 20, 20);
    half->SetFillColor(0xFF0000);
    half->SetFill(50);
    scene.Append(half);
    auto frame = std::make_shared<RectShape>();
    MShape::SetRect(*frame, 30, 0, 20, 20);
    frame->SetFill(0);
    frame->SetBorder(100);
    frame->SetBorderWidth(4);
    frame->SetBorderColor(0x0000FF);
    scene.Append(frame);
    auto plain = std::make_shared<RectShape>();  // defaults: filled black, no outline
    MShape::SetRect(*plain, 60, 0, 20, 20);
    scene.Append(plain);
    const QImage image = RenderScene(scene, 90, 30);
    ExpectPixels(image, {{10, 10, qRgb(255, 127, 127)}, {30, 10, kBlue}, {40, 10, kWhite}, {70, 10, kBlack}, {81, 10, kWhite}});
}

TEST(SceneRenderer, FigureClosesItselfAndFills)
{
    // Two edges of a right triangle; the hypotenuse back to the start is implied.
    auto figure = std::make_shared<FigureShape>();
    figure->AddLine(10, 10, 40, 10);
    figure->AddLine(40, 10, 10, 40);
    figure->SetFillColor(0xFF0000);
    figure->SetBorder(100);
    figure->SetBorderWidth(0.5);
    Group2D scene;
    scene.Append(figure);
    const QImage image = RenderScene(scene, 50, 50);
    ExpectPixels(image, {{15, 15, kRed}, {20, 25, kRed}, {35, 35, kWhite}, {5, 5, kWhite}});
}

TEST(SceneRenderer, LinesRoundRectsAndOvals)
{
    Group2D scene;
    auto line = std::make_shared<CurveShape>();
    line->SetX(10);
    line->SetY(5);
    line->SetX2(90);
    line->SetY2(5);
    line->SetBorderWidth(2);
    line->SetBorderColor(0x0000FF);
    scene.Append(line);
    auto round = std::make_shared<RoundRectShape>();
    MShape::SetRect(*round, 10, 20, 30, 20);
    round->SetCornerWidth(20);
    round->SetCornerHeight(20);
    round->SetFillColor(0xFF0000);
    scene.Append(round);
    auto oval = std::make_shared<OvalShape>();
    MShape::SetRect(*oval, 50, 20, 40, 20);
    oval->SetFillColor(0xFF0000);
    scene.Append(oval);
    const QImage image = RenderScene(scene, 100, 50);
    ExpectPixels(image, {{50, 5, kBlue}, {95, 5, kWhite}, {50, 8, kWhite},
                         {25, 30, kRed}, {11, 21, kWhite} /* rounded corner */, {12, 30, kRed},
                         {70, 30, kRed}, {52, 22, kWhite} /* outside the ellipse */});
}

TEST(SceneRenderer, TextSitsOnItsBaselineCentredOnX)
{
    auto text = std::make_shared<StringShape>();
    text->SetText(QStringLiteral("HIHIH"));
    text->SetTextFont(QStringLiteral("Arial"));
    text->SetTextSize(20);
    text->SetX(60);
    text->SetY(40);
    Group2D scene;
    scene.Append(text);
    const QImage image = RenderScene(scene, 120, 60);
    int left = 1000, right = -1, bottom = -1, top = 1000;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 128) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    ASSERT_GE(right, 0) << "no text drawn";
    EXPECT_NEAR((left + right + 1) / 2.0, 60, 2);
    EXPECT_NEAR(bottom + 1, 40, 1);  // capitals rest on the baseline
    EXPECT_NEAR(bottom + 1 - top, 14, 2);  // cap height of a 20 px sans face
}

TEST(SceneRenderer, BitmapPixmapDrawsItsSourceRectangle)
{
    auto picture = std::make_shared<Picture>(20, 10, 32);
    picture->Bitmap().fill(Qt::white);
    {
        QPainter p(&picture->Bitmap());
        p.fillRect(10, 0, 10, 10, Qt::blue);
    }
    auto pixmap = std::make_shared<PixmapShape>();
    pixmap->SetImage(picture);
    pixmap->SetSourceLeft(10);
    pixmap->SetSourceWidth(10);
    pixmap->SetX(30);
    pixmap->SetY(30);
    Group2D scene;
    scene.Append(pixmap);
    const QImage image = RenderScene(scene, 60, 60);
    ExpectPixels(image, {{30, 30, kBlue}, {26, 26, kBlue}, {20, 30, kWhite}, {40, 30, kWhite}});
}

TEST(SceneRenderer, LaterWedgesCoverEarlierOnesAndTheMaskHidesTheCentre)
{
    // Many wedges on one ring, as a circular map builds them: the later one
    // wins where they overlap, and the white mask hides everything inside it.
    CGenomeArcShape arcs;
    arcs.SetGenomeLength(36000);
    arcs.SetCenterX(100);
    arcs.SetCenterY(100);
    arcs.SetArcR(80);
    Group2D scene;
    scene.Append(arcs.MakeShape(1000, 17999, 0xFF0000));  // 10 -> 180 degrees, red
    scene.Append(arcs.MakeShape(9000, 25999, 0x0000FF));  // 90 -> 260 degrees, blue, on top
    for (int k = 0; k < 50; ++k)                          // a crowd of hairlines at nine o'clock
        scene.Append(arcs.MakeShape(27000, 27000, 0x00FF00));
    arcs.SetArcR(60);
    scene.Append(arcs.MakeWhiteMask());
    const QImage image = RenderScene(scene, 200, 200);
    const auto at = [](double degrees, double r) {
        const double t = degrees * M_PI / 180;
        return std::pair<int, int>(int(std::lround(100 + r * std::sin(t))), int(std::lround(100 - r * std::cos(t))));
    };
    const auto [x1, y1] = at(45, 70);
    const auto [x2, y2] = at(135, 70);
    const auto [x3, y3] = at(225, 70);
    const auto [x4, y4] = at(315, 70);
    const auto [x5, y5] = at(45, 40);
    ExpectPixels(image, {{x1, y1, kRed}, {x2, y2, kBlue}, {x3, y3, kBlue}, {x4, y4, kWhite}, {x5, y5, kWhite},
                         {100, 100, kWhite}});
    // The hairlines lie along y = 100 from the mask's edge outward: green ink
    // in the rows touching it, only there.
    const QRgb onLine = qRed(image.pixel(30, 99)) < qRed(image.pixel(30, 100)) ? image.pixel(30, 99) : image.pixel(30, 100);
    EXPECT_LT(qRed(onLine), 160) << Describe(onLine).toStdString();
    EXPECT_GT(qGreen(onLine), 200);
    EXPECT_TRUE(ColorNear(image.pixel(30, 97), kWhite));
    EXPECT_TRUE(ColorNear(image.pixel(30, 102), kWhite));
    EXPECT_TRUE(ColorNear(image.pixel(50, 99), kWhite)) << "inside the mask";
}

TEST(SceneRenderer, DenseRingsLookTheSameAsPaintingEveryObject)
{
    // Rings of overlapping arcs and hairlines, each closed by its mask, then frames.
    QRandomGenerator random(7);
    const int genome = 200000;
    CGenomeArcShape arcs;
    arcs.SetGenomeLength(genome);
    arcs.SetCenterX(150);
    arcs.SetCenterY(150);
    const RgbColor palette[] = {0xE41A1C, 0x377EB8, 0x4DAF4A, 0x984EA3};
    Group2D scene;
    const int radii[] = {140, 120, 100};
    for (int ring = 0; ring < 2; ++ring) {
        arcs.SetArcR(radii[ring]);
        for (int k = 0; k < 600; ++k) {
            const int start = random.bounded(genome);
            const int length = k % 3 == 0 ? random.bounded(200) : 300 + random.bounded(6000);
            scene.Append(arcs.MakeShape(start, std::min(start + length, genome - 1), palette[random.bounded(4)]));
        }
        arcs.SetArcR(radii[ring + 1]);
        scene.Append(arcs.MakeWhiteMask());
    }
    for (int r : radii) {
        arcs.SetArcR(r);
        scene.Append(arcs.MakeFrame(0x000000));
    }
    const QImage merged = RenderScene(scene, 300, 300);
    const QImage reference = RenderScene(PaintedOneByOne(scene), 300, 300);
    EXPECT_LT(DifferingFraction(merged, reference, 96), 0.01);
    EXPECT_LT(DifferingFraction(merged, reference, 32), 0.03);
}
