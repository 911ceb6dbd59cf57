#include "SceneTestSupport.h"

#include "views/CTextMeasure.h"
#include "views/CurveShape.h"
#include "views/MShape.h"
#include "views/MStringShapeExt.h"
#include "views/RectShape.h"
#include "views/StringShape.h"

#include <QPaintEngine>
#include <QRandomGenerator>

#include <climits>
#include <functional>

#include <gtest/gtest.h>

namespace {

constexpr RgbColor kBlue = 0x2040E0;
constexpr RgbColor kRed = 0xE04020;
constexpr RgbColor kBlack = 0x000000;

Object2DRef Bar(double left, double top, double width, RgbColor color)
{
    auto bar = std::make_shared<RectShape>();
    MShape::SetRect(*bar, left, top, width, 6);
    bar->SetFillColor(color);
    return bar;
}

Object2DRef Arrow(double left, double width, double y, bool forward, RgbColor color)
{
    return forward ? MShape::MakeHorizontalArrow(left, left + width, y, 6, color, 0.5)
                   : MShape::MakeHorizontalArrow(left + width, left, y, 6, color, 0.5);
}

Object2DRef Name(const QString& text, double left, double top, RgbColor color = kBlack)
{
    auto name = std::make_shared<StringShape>();
    name->SetTextSize(9);
    name->SetFillColor(color);
    // Begins at `left`, top of the text at `top`.
    MStringShapeExt::SetString(*name, text, left, top, 1 | 8);
    return name;
}

// One row of a crowded linear map: thousands of bars, arrows and names piled
// on the same few pixels in location order, most of them in one rank.
Group2D CrowdedRow(int markers, quint32 seed)
{
    Group2D row;
    QRandomGenerator random(seed);
    for (int i = 0; i < markers; ++i) {
        const double x = 4 + 280.0 * i / markers + random.bounded(3);
        const int width = 1 + random.bounded(24);
        if (random.bounded(5) == 0) {
            row.Append(Bar(x, 6, width, kRed));
            continue;
        }
        const int rank = random.bounded(10) == 0 ? 1 : 0;
        row.Append(Arrow(x, width, 20 + 20 * rank, random.bounded(2) == 0, kBlue));
        row.Append(Name(QStringLiteral("gene%1").arg(random.bounded(1000000)), x, 27 + 20 * rank));
    }
    return row;
}

}  // namespace

// Shapes left out where they would change nothing: the picture stays the one
// painted object by object, to within the level or two by which painting a
// colour over itself still moves a pixel.
TEST(SceneStacks, CrowdedRowLooksAsPaintedObjectByObject)
{
    const Group2D row = CrowdedRow(6000, 5);
    struct Case
    {
        const char* name;
        double x;
        double y;
        double scale;
    };
    const Case cases[] = {
        {"whole pixels", 0, 0, 1},
        {"between pixels", 0.37, 0.61, 1},
        {"double resolution", 0, 0, 2},
        {"enlarged between pixels", 0.25, 0.5, 1.5},
        {"window cutting the row", -100.5, -25, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int width = int(300 * c.scale);
        const int height = int(70 * c.scale);
        QImage merged(width, height, QImage::Format_ARGB32_Premultiplied);
        merged.fill(Qt::white);
        QPainter painter(&merged);
        painter.scale(c.scale, c.scale);
        CSceneRenderer::DrawObject(painter, row, c.x, c.y);
        painter.end();
        const QImage reference = RenderOneByOne(row, width, height, c.x, c.y, c.scale);
        EXPECT_LE(LargestDifference(merged, reference), 2);
    }
}

// What is known of a pixel must end where another colour is painted over it:
// a shape of the first colour painted after that is not left out.
TEST(SceneStacks, ShapeOverAnotherColourIsNotLeftOut)
{
    struct Case
    {
        const char* name;
        // Shapes of the pile are numbered from 0; -1 is the shape painted over it.
        std::function<Object2DRef(RgbColor, int)> make;
        QPoint probe;
    };
    const Case cases[] = {
        {"bar", [](RgbColor color, int) { return Bar(20, 20, 30, color); }, QPoint(35, 22)},
        {"arrow", [](RgbColor color, int) { return Arrow(20, 30, 25, true, color); }, QPoint(30, 25)},
        {"line", [](RgbColor color, int) { return MShape::MakeHorizontalArrow(20, 50, 25, 6, color, 2)->Item(0); },
         QPoint(30, 25)},
        // Names piled a little apart ink every pixel around the last one.
        {"name",
         [](RgbColor color, int i) {
             return i < 0 ? Name(QStringLiteral("gene5"), 20, 18, color)
                          : Name(QStringLiteral("gene%1").arg(i * 37 % 100), 17 + i % 7, 18, color);
         },
         QPoint(-1, -1)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Group2D scene;
        for (int i = 0; i < 70; ++i)
            scene.Append(c.make(kBlue, i));
        scene.Append(c.make(kRed, -1));
        scene.Append(c.make(kBlue, -1));
        const QImage merged = RenderScene(scene, 80, 50);
        EXPECT_LE(LargestDifference(merged, RenderOneByOne(scene, 80, 50)), 2);
        if (c.probe.x() >= 0) {
            EXPECT_TRUE(ColorNear(merged.pixel(c.probe), kBlue, 40)) << Describe(merged.pixel(c.probe)).toStdString();
        }
    }
}

namespace {

// Counts what reaches a device that is neither an image nor a screen.
class CountingEngine : public QPaintEngine
{
public:
    CountingEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState&) override {}
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawLines(const QLineF*, int count) override { mLines += count; }
    void drawRects(const QRectF*, int count) override { mRects += count; }
    void drawTextItem(const QPointF&, const QTextItem&) override { ++mTexts; }
    Type type() const override { return QPaintEngine::User; }

    int mLines = 0;
    int mRects = 0;
    int mTexts = 0;
};

class CountingDevice : public QPaintDevice
{
public:
    QPaintEngine* paintEngine() const override { return &mEngine; }
    mutable CountingEngine mEngine;

protected:
    int metric(PaintDeviceMetric metric) const override
    {
        switch (metric) {
        case PdmWidth: return 300;
        case PdmHeight: return 100;
        case PdmWidthMM: return 79;
        case PdmHeightMM: return 26;
        case PdmNumColors: return INT_MAX;
        case PdmDepth: return 32;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY: return 96;
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return int(devicePixelRatioFScale());
        }
        return 0;
    }
};

}  // namespace

// Vector outputs (SVG, PDF, printing) get every object, however stacked.
TEST(SceneStacks, VectorDeviceGetsEveryStackedObject)
{
    Group2D scene;
    for (int i = 0; i < 50; ++i) {
        scene.Append(Bar(20, 5, 30, kRed));
        scene.Append(Arrow(20, 30, 25, true, kBlue));
        scene.Append(Name(QStringLiteral("gene7"), 20, 40));
    }
    CountingDevice device;
    QPainter painter(&device);
    CSceneRenderer::DrawObject(painter, scene);
    painter.end();
    EXPECT_EQ(device.mEngine.mRects, 50);
    EXPECT_EQ(device.mEngine.mLines, 150);
    EXPECT_EQ(device.mEngine.mTexts, 50);
}

// The rows a text inks are exactly those holding its ink when it is drawn.
TEST(SceneStacks, InkRowsAreTheRowsTextIsDrawnIn)
{
    CTextMeasure& measure = CTextMeasure::Shared();
    struct Case
    {
        const char* text;
        double size;
        bool bold;
    };
    const Case cases[] = {{"gene12", 9, false}, {"AVATAR", 12, true}, {"...", 10, false},
                          {"qypj|", 9, false},  {"Hx", 30, false},    {" ", 9, false}};
    for (const Case& c : cases) {
        for (const double baseline : {40.0, 40.25, 40.5, 40.9, 41 - 1.0 / 128}) {
            SCOPED_TRACE(QStringLiteral("%1 at %2").arg(QLatin1String(c.text)).arg(baseline).toStdString());
            measure.SetFont(QStringLiteral("Arial"), c.size, c.bold, false, false);
            QImage image(200, 80, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing, true);
            painter.setRenderHint(QPainter::TextAntialiasing, true);
            painter.setFont(measure.Font());
            painter.setPen(QColor(0, 0, 0));
            painter.drawText(QPointF(10.3, baseline), QString::fromLatin1(c.text));
            painter.end();
            int inkTop = 0;
            int inkBottom = 0;
            for (int y = 0; y < image.height(); ++y) {
                bool inked = false;
                for (int x = 0; x < image.width(); ++x)
                    inked = inked || qAlpha(image.pixel(x, y)) != 0;
                if (inked && inkTop == inkBottom)
                    inkTop = y;
                if (inked)
                    inkBottom = y + 1;
            }
            int top = -1;
            int bottom = -1;
            ASSERT_TRUE(measure.InkRows(QString::fromLatin1(c.text), baseline, top, bottom));
            EXPECT_EQ(bottom - top, inkBottom - inkTop);
            if (inkTop != inkBottom) {
                EXPECT_EQ(top, inkTop);
                EXPECT_EQ(bottom, inkBottom);
            }
        }
    }
    int top = 0;
    int bottom = 0;
    EXPECT_FALSE(measure.InkRows(QStringLiteral("caf\u00e9"), 20, top, bottom));
}
