#include "ViewConfigTestSupport.h"

#include "tests/support/TestPaths.h"
#include "views/ArcShape.h"
#include "views/CCircleViewConfig.h"
#include "views/CSceneRenderer.h"
#include "views/CurveShape.h"
#include "views/MStringShapeExt.h"
#include "views/OvalShape.h"
#include "views/RectShape.h"
#include "views/StringShape.h"

#include <QImage>
#include <QPainter>

#include <cmath>
#include <numbers>

namespace {

constexpr double kPi = std::numbers::pi;

// One class per placement: class "p0" .. "p6" holds the markers of that placement.
QByteArray MarkerFile(const std::vector<std::tuple<int, int, int>>& rows)
{
    QByteArray text = "start\tend\tclass\n";
    for (const auto& [start, end, placement] : rows)
        text += QByteArray::number(start) + '\t' + QByteArray::number(end) + "\tp" + QByteArray::number(placement) + '\n';
    return text;
}

struct CircleFixture
{
    ViewDataFiles files;
    std::unique_ptr<CFileData> file;
    CCircleViewConfig view{QStringLiteral("Map")};

    // Entries in the given order, entry i colour 0x100000 * (i + 1).
    void Build(const std::vector<std::tuple<int, int, int>>& rows, const std::vector<int>& entryPlacements,
               int genomeLength = 1000)
    {
        file = files.Make("markers.tsv", MarkerFile(rows), CFileData::kUnitBp, -1, -1);
        for (size_t i = 0; i < entryPlacements.size(); ++i) {
            const int p = entryPlacements[i];
            view.Add(file.get(), "p" + QString::number(p), "entry " + QString::number(i), p,
                     RgbColor(0x100000 * (i + 1)));
        }
        view.SetGenomeLength(genomeLength);
    }

    const Group2D& Scene() const { return *view.Image(); }
};

template <typename Shape>
std::vector<std::shared_ptr<Shape>> AllOf(const Group2D& group, Object2D::Kind kind)
{
    std::vector<std::shared_ptr<Shape>> found;
    for (const Object2DRef& item : group.Items()) {
        if (item->ObjectKind() == kind)
            found.push_back(std::static_pointer_cast<Shape>(item));
    }
    return found;
}

// Frames are outlines, masks white discs; both are ovals of width 2r + 1 centred at
// (351, 331), which tells them from the round legend swatches.
std::vector<double> OvalRadii(const Group2D& group, bool outlines)
{
    std::vector<double> radii;
    for (const auto& oval : AllOf<OvalShape>(group, Object2D::Kind::Oval)) {
        if (oval->X() != 351 || oval->Y() != 331)
            continue;
        const bool outline = oval->Fill() == 0;
        if (outline != outlines)
            continue;
        if (outline) {
            EXPECT_EQ(oval->Border(), 100);
            EXPECT_DOUBLE_EQ(oval->BorderWidth(), 1.5);
            EXPECT_EQ(oval->BorderColor(), 0x000000u);
        } else {
            EXPECT_EQ(oval->FillColor(), 0xFFFFFFu);
        }
        radii.push_back((oval->Width() - 1) / 2);
    }
    return radii;
}

double Distance(double x, double y)
{
    return std::hypot(x - 350, y - 330);
}

}  // namespace

TEST(CircleViewTest, ViewWithoutMarkersHasAnEmptyImage)
{
    CircleFixture f;
    f.Build({{10, 20, 0}}, {3});   // the entry's class matches no row
    f.view.MakeViewImage();
    ASSERT_TRUE(f.view.Image());
    EXPECT_EQ(f.Scene().Count(), 0);
}

TEST(CircleViewTest, RingsFramesMasksPinsAndTickRadii)
{
    struct Case {
        const char* name;
        std::vector<int> placements;
        std::vector<double> frames, masks;
        double tickOuter, tickInner;
        double pinFrom, pinTo;   // radii of a pin's line, 0 when no pin
    } cases[] = {
        {"Circle3", {2}, {190, 170}, {170}, 210, 170, 0, 0},
        {"Circle1 and Circle5", {0, 4}, {230, 210, 150, 130}, {210, 130}, 250, 130, 0, 0},
        {"Pin1 only", {5}, {230}, {}, 250, 230, 230, 242},
        {"Circle2 and Pin2", {1, 6}, {210, 190}, {190}, 230, 190, 190, 178},
        {"Circle2 and Pin1", {1, 5}, {210, 190}, {190}, 230, 190, 210, 222},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CircleFixture f;
        std::vector<std::tuple<int, int, int>> rows;
        for (int p : c.placements)
            rows.push_back({0, 99, p});
        f.Build(rows, c.placements);
        f.view.SetScaleType(1);
        f.view.SetScaleLength(250);
        f.view.MakeViewImage();
        const Group2D& scene = f.Scene();

        EXPECT_EQ(OvalRadii(scene, true), c.frames);
        EXPECT_EQ(OvalRadii(scene, false), c.masks);

        // Ring markers: wedges of width 2r - 1 on the ring's outer boundary.
        for (const auto& arc : AllOf<ArcShape>(scene, Object2D::Kind::Arc)) {
            EXPECT_DOUBLE_EQ(arc->X(), 350);
            EXPECT_DOUBLE_EQ(arc->StartAngle(), -kPi / 2);
            EXPECT_NEAR(arc->ArcAngle(), 100 * 2 * kPi / 1000, 1e-12);
        }

        const auto ticks = AllOf<CurveShape>(scene, Object2D::Kind::Curve);
        ASSERT_EQ(ticks.size(), 4u);   // 250, 500, 750, 1000
        for (const auto& tick : ticks) {
            EXPECT_NEAR(Distance(tick->X(), tick->Y()), c.tickOuter, 1e-9);
            EXPECT_NEAR(Distance(tick->X2(), tick->Y2()), c.tickInner, 1e-9);
            EXPECT_DOUBLE_EQ(tick->BorderWidth(), 0.5);
        }

        const auto pins = AllOf<Group2D>(scene, Object2D::Kind::Group);
        ASSERT_EQ(pins.size(), c.pinFrom > 0 ? 1u : 0u);
        if (!pins.empty()) {
            auto line = ItemAs<CurveShape>(*pins[0], 0);
            auto head = ItemAs<OvalShape>(*pins[0], 1);
            ASSERT_TRUE(line && head);
            EXPECT_DOUBLE_EQ(line->X(), 350);
            EXPECT_DOUBLE_EQ(330 - line->Y(), c.pinFrom);
            EXPECT_DOUBLE_EQ(330 - line->Y2(), c.pinTo);
            EXPECT_DOUBLE_EQ(head->Width(), 8);
            EXPECT_EQ(head->BorderColor(), 0x000000u);
        }
    }

    // Working values of the last build.
    CircleFixture f;
    f.Build({{0, 9, 1}, {0, 9, 3}}, {3, 1});
    f.view.MakeViewImage();
    EXPECT_EQ(f.view.OuterFrame(), 1);
    EXPECT_EQ(f.view.InnerFrame(), 4);
    EXPECT_EQ(f.view.DrawFrame(), (std::vector<bool>{false, true, true, true, true, false}));
}

TEST(CircleViewTest, SceneOrderFollowsPlacementThenDrawingSteps)
{
    CircleFixture f;
    // Entries listed pin first, then Circle2, then Circle1; rows interleaved.
    f.Build({{500, 600, 5}, {100, 200, 1}, {300, 400, 0}, {700, 800, 1}}, {5, 1, 0});
    f.view.SetScaleDivides(2);
    f.view.MakeViewImage();
    const Group2D& scene = f.Scene();

    std::vector<Object2D::Kind> kinds;
    for (const Object2DRef& item : scene.Items())
        kinds.push_back(item->ObjectKind());
    using K = Object2D::Kind;
    const std::vector<K> expected = {
        K::Arc,                                   // Circle1 marker
        K::Oval,                                  // its mask
        K::Arc, K::Arc,                           // Circle2 markers, in row order
        K::Oval,                                  // its mask
        K::Group,                                 // the pin
        K::Oval, K::Oval, K::Oval,                // frames 0, 1, 2
        K::Curve, K::String, K::Curve, K::String, // two ticks with labels
        K::String,                                // title
        K::String,                                // legend heading
        K::Oval, K::String, K::Rect, K::String, K::Rect, K::String,   // rows
        K::Rect,                                  // legend frame
    };
    EXPECT_EQ(kinds, expected);

    EXPECT_EQ(ItemAs<ArcShape>(scene, 0)->FillColor(), 0x300000u);
    EXPECT_DOUBLE_EQ(ItemAs<ArcShape>(scene, 0)->Width(), 459);   // Circle1 at 230
    EXPECT_DOUBLE_EQ(ItemAs<ArcShape>(scene, 2)->Width(), 419);   // Circle2 at 210
    EXPECT_NEAR(ItemAs<ArcShape>(scene, 2)->StartAngle(), 100 * 2 * kPi / 1000 - kPi / 2, 1e-12);
    EXPECT_NEAR(ItemAs<ArcShape>(scene, 3)->StartAngle(), 700 * 2 * kPi / 1000 - kPi / 2, 1e-12);
    EXPECT_DOUBLE_EQ(ItemAs<OvalShape>(scene, 1)->Width(), 421);  // mask at 210
    EXPECT_EQ(ItemAs<OvalShape>(scene, 1)->FillColor(), 0xFFFFFFu);
    EXPECT_EQ(ItemAs<OvalShape>(*ItemAs<Group2D>(scene, 5), 1)->FillColor(), 0x100000u);
    EXPECT_EQ(ItemAs<StringShape>(scene, 13)->Text(), "Map");
}

TEST(CircleViewTest, ScaleTicksAndLabels)
{
    struct Case {
        int genome, type, step;
        std::vector<double> positions;
        QStringList labels;
    } cases[] = {
        {1000, 1, 100, {100, 200, 300, 400, 500, 600, 700, 800, 900, 1000},
         {"100", "200", "300", "400", "500", "600", "700", "800", "900", "1000"}},
        {1000, 1, 300, {300, 600, 900, 1000}, {"300", "600", "900", "1000"}},
        {1000, 1, 2000, {1000}, {"1000"}},
        {400, 0, 4, {100, 200, 300, 400}, {"25min,(100)", "50min,(200)", "75min,(300)", "100min,(400)"}},
        {1000, 0, 3, {1000.0 / 3, 2000.0 / 3, 1000},
         {"33min,(333.33)", "67min,(666.67)", "100min,(1000)"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.labels.join(' ').toStdString());
        CircleFixture f;
        f.Build({{1, 2, 0}}, {0}, c.genome);
        f.view.SetScaleType(c.type);
        if (c.type == 0)
            f.view.SetScaleDivides(c.step);
        else
            f.view.SetScaleLength(c.step);
        f.view.SetDrawTitle(false);
        f.view.SetDrawLegendTitle(false);
        f.view.MakeViewImage();

        const auto ticks = AllOf<CurveShape>(f.Scene(), Object2D::Kind::Curve);
        const auto labels = AllOf<StringShape>(f.Scene(), Object2D::Kind::String);
        ASSERT_EQ(ticks.size(), c.positions.size());
        ASSERT_EQ(labels.size(), c.positions.size());
        for (size_t i = 0; i < ticks.size(); ++i) {
            const double theta = 2 * kPi * c.positions[i] / c.genome;
            EXPECT_NEAR(ticks[i]->X(), 350 + 250 * std::sin(theta), 1e-9);
            EXPECT_NEAR(ticks[i]->Y(), 330 - 250 * std::cos(theta), 1e-9);
            EXPECT_EQ(labels[i]->Text(), c.labels[int(i)]);
            EXPECT_EQ(labels[i]->TextSize(), 10);
            EXPECT_EQ(labels[i]->TextFont(), "Arial");
        }
    }
}

TEST(CircleViewTest, LabelsStandOutsideBesideTheirTicks)
{
    CircleFixture f;
    f.Build({{1, 2, 0}}, {0}, 400);
    f.view.SetScaleDivides(4);
    f.view.SetDrawTitle(false);
    f.view.SetDrawLegendTitle(false);
    f.view.MakeViewImage();
    const auto labels = AllOf<StringShape>(f.Scene(), Object2D::Kind::String);
    ASSERT_EQ(labels.size(), 4u);
    // Three, six, nine and twelve o'clock, anchored at the tick's outer end.
    struct Expected {
        double x, y;
        int code;
    } expected[] = {{600, 330, 1 + 4}, {350, 580, 0 + 8}, {100, 330, 2 + 4}, {350, 80, 0 + 12}};
    for (size_t i = 0; i < labels.size(); ++i) {
        StringShape reference;
        reference.SetTextFont("Arial");
        reference.SetTextSize(10);
        MStringShapeExt::SetString(reference, labels[i]->Text(), expected[i].x, expected[i].y, expected[i].code);
        EXPECT_NEAR(labels[i]->X(), reference.X(), 1e-6) << i;
        EXPECT_NEAR(labels[i]->Y(), reference.Y(), 1e-6) << i;
    }
}

TEST(CircleViewTest, TitleAndLegendLayout)
{
    CircleFixture f;
    f.Build({{1, 2, 0}}, {0, 6, 2, 9});
    f.view.SetDrawScale(false);
    f.view.MakeViewImage();
    const Group2D& scene = f.Scene();
    // Marker, mask, two frames, then the title.
    int i = 4;
    auto title = ItemAs<StringShape>(scene, i++);
    ASSERT_TRUE(title);
    EXPECT_EQ(title->Text(), "Map");
    EXPECT_DOUBLE_EQ(title->X(), 350);
    EXPECT_DOUBLE_EQ(title->Y(), 20);
    EXPECT_EQ(title->TextSize(), 20);

    auto heading = ItemAs<StringShape>(scene, i++);
    ASSERT_TRUE(heading);
    EXPECT_EQ(heading->Text(), "Legend");
    EXPECT_DOUBLE_EQ(heading->X(), 720);
    EXPECT_DOUBLE_EQ(heading->Y(), 70);
    EXPECT_EQ(heading->TextSize(), 15);

    // Rows at baselines 85, 100, 115; the fourth entry (placement 9) ends the rows.
    const Object2D::Kind swatchKinds[] = {Object2D::Kind::Rect, Object2D::Kind::Oval, Object2D::Kind::Rect};
    for (int row = 0; row < 3; ++row) {
        const int y = 85 + 15 * row;
        auto swatch = ItemAs<RectShape>(scene, i++);
        ASSERT_TRUE(swatch);
        EXPECT_EQ(swatch->ObjectKind(), swatchKinds[row]);
        EXPECT_DOUBLE_EQ(swatch->X(), 655);
        EXPECT_DOUBLE_EQ(swatch->Y(), y - 5);
        EXPECT_DOUBLE_EQ(swatch->Width(), 10);
        EXPECT_DOUBLE_EQ(swatch->Height(), 10);
        EXPECT_EQ(swatch->FillColor(), RgbColor(0x100000 * (row + 1)));
        EXPECT_EQ(swatch->Border(), 100);
        auto name = ItemAs<StringShape>(scene, i++);
        ASSERT_TRUE(name);
        EXPECT_EQ(name->Text(), "entry " + QString::number(row));
        EXPECT_DOUBLE_EQ(name->Y(), y);
        EXPECT_EQ(name->TextSize(), 12);
        StringShape reference;
        reference.SetTextSize(12);
        MStringShapeExt::SetString(reference, name->Text(), 665, y, 1);
        EXPECT_DOUBLE_EQ(name->X(), reference.X());
    }
    auto frame = ItemAs<RectShape>(scene, i++);
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->ObjectKind(), Object2D::Kind::Rect);
    EXPECT_DOUBLE_EQ(frame->X() - frame->Width() / 2, 640);
    EXPECT_DOUBLE_EQ(frame->Y() - frame->Height() / 2, 50);
    EXPECT_DOUBLE_EQ(frame->Width(), 160);
    EXPECT_DOUBLE_EQ(frame->Height(), 15 * 4 + 30);
    EXPECT_EQ(frame->Fill(), 0);
    EXPECT_EQ(frame->Border(), 100);
    EXPECT_EQ(scene.Count(), i);
}

TEST(CircleViewTest, FlagsSwitchScaleTitleAndLegendOff)
{
    CircleFixture f;
    f.Build({{1, 2, 0}}, {0});
    f.view.SetDrawScale(false);
    f.view.SetDrawTitle(false);
    f.view.SetDrawLegendTitle(false);
    f.view.MakeViewImage();
    EXPECT_EQ(f.Scene().Count(), 4);   // marker, mask, two frames
    EXPECT_TRUE(AllOf<StringShape>(f.Scene(), Object2D::Kind::String).empty());
}

TEST(CircleViewTest, KbpMarkersFallOnTheBpGenome)
{
    ViewDataFiles files;
    auto kbp = files.Make("kbp.tsv", "s\te\tc\n1000\t1999\tx\n", CFileData::kUnitKbp, -1, -1);
    CCircleViewConfig view;
    view.Add(kbp.get(), "x", "", 0, 0xFF0000);
    view.SetGenomeLength(4000000);   // 4 Mbp: the marker covers a quarter from three o'clock
    view.MakeViewImage();
    auto arc = ItemAs<ArcShape>(*view.Image(), 0);
    ASSERT_TRUE(arc);
    EXPECT_NEAR(arc->StartAngle(), 0, 1e-9);
    EXPECT_NEAR(arc->ArcAngle(), (1999000 - 1000000 + 1) * 2 * kPi / 4000000, 1e-12);
}

TEST(CircleViewTest, RenderedMapShowsMarkerColourMaskAndFrame)
{
    CircleFixture f;
    // A quarter of Circle1 in pure blue from twelve to three o'clock.
    f.Build({{0, 249, 0}}, {0});
    f.view.SetDrawColor(0, 0x0000FF);
    f.view.MakeViewImage();
    QImage image(840, 600, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    f.view.DrawImage(painter, 0, 0);
    painter.end();

    // 45 degrees, mid-ring (radius 220).
    const int mx = int(std::lround(350 + 220 * std::sin(kPi / 4)));
    const int my = int(std::lround(330 - 220 * std::cos(kPi / 4)));
    EXPECT_EQ(image.pixel(mx, my), qRgb(0, 0, 255));
    // Inside the innermost mask: white, although the wedge reaches the centre.
    EXPECT_EQ(image.pixel(400, 280), qRgb(255, 255, 255));
    // The outer frame crosses the nine o'clock line at radius 230: dark.
    QRgb frame = qRgb(255, 255, 255);
    for (int x = 118; x <= 122; ++x)
        frame = std::min(frame, image.pixel(x, 331), [](QRgb a, QRgb b) { return qGray(a) < qGray(b); });
    EXPECT_LT(qGray(frame), 100);
    // Outside the marker's quarter the ring is white.
    EXPECT_EQ(image.pixel(int(std::lround(350 - 220 * std::sin(kPi / 4))), my), qRgb(255, 255, 255));
}

TEST(CircleViewTest, MapOfBundledSampleFile)
{
    auto file = ViewDataFiles::Load(QFileInfo(TestPaths::SampleData("human_hg19_chr1_bands.tsv")), CFileData::kUnitBp,
                                    -1, 3);
    CCircleViewConfig view(QStringLiteral("chr1"));
    const char* classes[] = {"gneg", "gpos25", "gpos50", "gpos75", "gpos100", "acen", "gvar"};
    const int placements[] = {0, 1, 2, 3, 4, 5, 6};
    for (int i = 0; i < 7; ++i)
        view.Add(file.get(), classes[i], classes[i], placements[i], RgbColor(0x202020 * (i + 1)));
    view.SetGenomeLength(int32_t(file->MaximumLocate()));
    view.MakeViewImage();
    const Group2D& scene = *view.Image();

    // 31 + 8 + 11 + 5 + 5 ring markers, 5 masks, 2 acen pins, 1 gvar pin.
    int ringMarkers = 0;
    for (const Object2DRef& item : scene.Items()) {
        if (item->ObjectKind() == Object2D::Kind::Arc
            || (item->ObjectKind() == Object2D::Kind::Curve && item->BorderWidth() != 0.5))
            ++ringMarkers;
    }
    EXPECT_EQ(ringMarkers, 60);
    EXPECT_EQ(OvalRadii(scene, false), (std::vector<double>{210, 190, 170, 150, 130}));
    EXPECT_EQ(OvalRadii(scene, true), (std::vector<double>{230, 210, 190, 170, 150, 130}));
    EXPECT_EQ(AllOf<Group2D>(scene, Object2D::Kind::Group).size(), 3u);
    // Pin2 pins stand inward from the innermost ring's inner edge.
    auto lastPin = AllOf<Group2D>(scene, Object2D::Kind::Group).back();
    auto line = ItemAs<CurveShape>(*lastPin, 0);
    EXPECT_NEAR(Distance(line->X(), line->Y()), 130, 1e-9);
    EXPECT_NEAR(Distance(line->X2(), line->Y2()), 118, 1e-9);
}
