#include "SceneTestSupport.h"

#include "views/CGenomeArcShape.h"

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
