#include "SceneTestSupport.h"

#include "views/CGenomeArcShape.h"
#include "views/CurveShape.h"
#include "views/OvalShape.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

namespace {

QImage RenderScaled(const Object2D& scene, int size, double scale)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.scale(scale, scale);
    CSceneRenderer::DrawObject(painter, scene);
    painter.end();
    return image;
}

CGenomeArcShape PinRing(int genome, int radius)
{
    CGenomeArcShape arcs;
    arcs.SetGenomeLength(genome);
    arcs.SetCenterX(150);
    arcs.SetCenterY(150);
    arcs.SetArcR(radius);
    return arcs;
}

}  // namespace

TEST(ScenePins, ThousandsOfStackedPinsLookTheSameAsPaintingEveryPin)
{
    // Pins out of one ring and into another, many per pixel of circumference,
    // partly in location order and partly shuffled, in two colours.
    QRandomGenerator random(11);
    const int genome = 5000000;
    const CGenomeArcShape outward = PinRing(genome, 110);
    const CGenomeArcShape inward = PinRing(genome, 70);
    Group2D scene;
    for (int k = 0; k < 20000; ++k) {
        const int location = k < 12000 ? k * (genome / 12000) : random.bounded(genome);
        const RgbColor color = random.bounded(5) == 0 ? 0x3050E0 : 0xE03020;
        scene.Append(outward.MakePin(location, 12, 8, color, 0x000000));
        if (k % 2 == 0)
            scene.Append(inward.MakePin(location, -12, 8, color, 0x000000));
    }
    for (const double scale : {1.0, 2.0}) {
        SCOPED_TRACE(scale);
        const int size = int(300 * scale);
        const QImage merged = RenderScaled(scene, size, scale);
        const QImage reference = RenderScaled(PaintedOneByOne(scene), size, scale);
        // Only the antialiased rim where fewer hairlines end differs a little:
        // no pin of the other colour comes on top anywhere.
        EXPECT_EQ(DifferingFraction(merged, reference, 128), 0.0);
        EXPECT_LT(DifferingFraction(merged, reference, 64), 0.005);
        EXPECT_LT(DifferingFraction(merged, reference, 24), 0.02);
    }
}

TEST(ScenePins, PinsThatDifferAreAllDrawnInOrderAndTheLastOfTheSameIsOnTop)
{
    // Neighbouring pins overlap but none looks like another (position or
    // colour differ): the picture is exactly the one painted pin by pin.
    const int genome = 3600;
    const CGenomeArcShape ring = PinRing(genome, 100);
    Group2D scene;
    const RgbColor palette[] = {0xE41A1C, 0x377EB8, 0x4DAF4A};
    for (int k = 0; k < 300; ++k)
        scene.Append(ring.MakePin(k * 7 % genome, 12, 8, palette[k % 3], 0x000000));
    EXPECT_EQ(DifferingFraction(RenderScene(scene, 300, 300), RenderScene(PaintedOneByOne(scene), 300, 300), 0), 0.0);

    // The same spot in red, blue, then red again: the last red is on top.
    for (const RgbColor color : {RgbColor(0xE41A1C), RgbColor(0x377EB8), RgbColor(0xE41A1C)})
        scene.Append(ring.MakePin(genome / 2, 12, 8, color, 0x000000));
    const QImage merged = RenderScene(scene, 300, 300);
    EXPECT_LT(DifferingFraction(merged, RenderScene(PaintedOneByOne(scene), 300, 300), 64), 0.0005);
    // That pin's head is centred 112 px below the centre.
    EXPECT_TRUE(ColorNear(merged.pixel(150, 262), 0xE41A1C)) << Describe(merged.pixel(150, 262)).toStdString();
}

TEST(ScenePins, HeadsLookLikeEllipsesPaintedDirectly)
{
    // Heads of several sizes at many places within a pixel, on images of
    // both 32-bit kinds and at two scales, against the same ellipse painted
    // straight onto the image with QPainter. The pin's line has no ink here.
    QRandomGenerator random(5);
    for (const QImage::Format format : {QImage::Format_RGB32, QImage::Format_ARGB32_Premultiplied}) {
        for (const double scale : {1.0, 2.0}) {
            for (int k = 0; k < 40; ++k) {
                const double x = 20 + random.bounded(10.0);
                const double y = 20 + random.bounded(10.0);
                const double diameter = 3 + k % 6 * 1.5;
                const double pen = k % 3 == 0 ? 0.5 : 1.25;
                SCOPED_TRACE(QStringLiteral("format %1 scale %2 at (%3, %4) diameter %5 pen %6")
                                 .arg(int(format)).arg(scale).arg(x).arg(y).arg(diameter).arg(pen).toStdString());
                const QColor fill(40 + k * 5, 200 - k * 4, 90);
                Group2D scene;
                auto pin = std::make_shared<Group2D>();
                auto line = std::make_shared<CurveShape>();
                line->SetX(x + 12); line->SetY(y + 9); line->SetX2(x); line->SetY2(y);
                line->SetBorder(0);
                auto head = std::make_shared<OvalShape>();
                head->SetX(x); head->SetY(y); head->SetWidth(diameter); head->SetHeight(diameter);
                head->SetFillColor(RgbColor(fill.rgb() & 0xFFFFFF));
                head->SetBorder(100); head->SetBorderWidth(pen); head->SetBorderColor(0x101010);
                pin->Append(line);
                pin->Append(head);
                scene.Append(pin);

                const int size = int(50 * scale);
                QImage drawn(size, size, format);
                drawn.fill(Qt::white);
                QImage painted = drawn;
                {
                    QPainter painter(&drawn);
                    painter.scale(scale, scale);
                    CSceneRenderer::DrawObject(painter, scene);
                }
                {
                    QPainter painter(&painted);
                    painter.setRenderHint(QPainter::Antialiasing);
                    painter.scale(scale, scale);
                    painter.setPen(QPen(QColor(0x10, 0x10, 0x10), pen, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
                    painter.setBrush(fill);
                    painter.drawEllipse(QRectF(x - diameter / 2, y - diameter / 2, diameter, diameter));
                }
                // A head lands within 1/32 of a pixel of its place: only the
                // antialiased rim may differ, by less than a tenth of the
                // contrast, and mostly by a few levels.
                EXPECT_LE(LargestDifference(drawn, painted), 20);
                EXPECT_LT(DifferingFraction(drawn, painted, 8), 0.01);
            }
        }
    }
}
