#include "ViewConfigTestSupport.h"

#include "views/ArcShape.h"
#include "views/CCircleViewConfig.h"
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

constexpr double kDegree = 2 * std::numbers::pi / 360;

struct PreviewFixture
{
    ViewDataFiles files;
    std::unique_ptr<CFileData> file = files.Make("f.tsv", "s\te\tc\n1\t8\tx\n", CFileData::kUnitBp, -1, -1);
    CCircleViewConfig view{QStringLiteral("Preview")};

    void AddEntries(const std::vector<int>& placements)
    {
        for (size_t i = 0; i < placements.size(); ++i)
            view.Add(file.get(), "x", "entry " + QString::number(i), placements[i], RgbColor(0x010101 * (i + 1)));
    }
};

// Quarter-arc frames: outlines 2 wide of width 2r centred at (46, 351).
std::vector<double> FrameRadii(const Group2D& preview)
{
    std::vector<double> radii;
    for (const Object2DRef& item : preview.Items()) {
        auto arc = std::dynamic_pointer_cast<ArcShape>(item);
        if (!arc || arc->Fill() != 0)
            continue;
        EXPECT_DOUBLE_EQ(arc->X(), 46);
        EXPECT_DOUBLE_EQ(arc->Y(), 351);
        EXPECT_DOUBLE_EQ(arc->BorderWidth(), 2);
        EXPECT_NEAR(arc->StartAngle(), 1 * kDegree - std::numbers::pi / 2, 1e-12);
        EXPECT_NEAR(arc->ArcAngle(), 90 * kDegree, 1e-12);
        radii.push_back(arc->Width() / 2);
    }
    return radii;
}

}  // namespace

TEST(CirclePreviewTest, WithoutEntriesOneFrameTitleAndLegendBox)
{
    PreviewFixture f;
    f.view.MakePreviewImage();
    const Group2D& preview = *f.view.Preview();
    ASSERT_EQ(preview.Count(), 4);
    EXPECT_EQ(FrameRadii(preview), std::vector<double>{250});

    auto title = ItemAs<StringShape>(preview, 1);
    EXPECT_EQ(title->Text(), "Preview");
    EXPECT_DOUBLE_EQ(title->X(), 145);
    EXPECT_DOUBLE_EQ(title->Y(), 20);
    EXPECT_EQ(title->TextSize(), 20);

    auto box = ItemAs<RectShape>(preview, 2);
    EXPECT_EQ(box->ObjectKind(), Object2D::Kind::Rect);
    EXPECT_DOUBLE_EQ(box->X(), 145);
    EXPECT_DOUBLE_EQ(box->Y(), 60);
    EXPECT_DOUBLE_EQ(box->Width(), 200);
    EXPECT_DOUBLE_EQ(box->Height(), 60);
    EXPECT_EQ(box->Fill(), 0);
    EXPECT_EQ(box->Border(), 100);

    auto heading = ItemAs<StringShape>(preview, 3);
    EXPECT_EQ(heading->Text(), "Legend");
    EXPECT_DOUBLE_EQ(heading->X(), 145);
    EXPECT_DOUBLE_EQ(heading->Y(), 45);
    EXPECT_EQ(heading->TextSize(), 12);

    f.view.SetDrawTitle(false);
    f.view.SetDrawLegendTitle(false);
    f.view.MakePreviewImage();
    EXPECT_EQ(f.view.Preview()->Count(), 1);
}

TEST(CirclePreviewTest, EntriesOfARingShareItsQuarterInEntryOrder)
{
    PreviewFixture f;
    f.AddEntries({1, 1, 1});
    f.view.SetDrawTitle(false);
    f.view.SetDrawLegendTitle(false);
    f.view.MakePreviewImage();
    const Group2D& preview = *f.view.Preview();

    const int sectors[][2] = {{1, 31}, {31, 61}, {61, 91}};
    for (int i = 0; i < 3; ++i) {
        auto arc = ItemAs<ArcShape>(preview, i);
        ASSERT_TRUE(arc);
        EXPECT_DOUBLE_EQ(arc->Width(), 2 * 231 - 1);
        EXPECT_DOUBLE_EQ(arc->X(), 45);
        EXPECT_NEAR(arc->StartAngle(), sectors[i][0] * kDegree - std::numbers::pi / 2, 1e-12);
        EXPECT_NEAR(arc->ArcAngle(), (sectors[i][1] - sectors[i][0] + 1) * kDegree, 1e-12);
        EXPECT_EQ(arc->FillColor(), RgbColor(0x010101 * (i + 1)));
    }
    auto mask = ItemAs<OvalShape>(preview, 3);
    EXPECT_DOUBLE_EQ(mask->Width(), 2 * 210 + 1);
    EXPECT_EQ(mask->FillColor(), 0xFFFFFFu);

    // The ring number stands left of twelve o'clock, centred on radius 220.
    auto number = ItemAs<StringShape>(preview, 4);
    EXPECT_EQ(number->Text(), "2");
    StringShape reference;
    reference.SetTextSize(14);
    MStringShapeExt::SetString(reference, "2", 45, 350 - 220, 6);
    EXPECT_DOUBLE_EQ(number->X(), reference.X());
    EXPECT_DOUBLE_EQ(number->Y(), reference.Y());

    EXPECT_EQ(FrameRadii(preview), (std::vector<double>{230, 210}));
    EXPECT_EQ(preview.Count(), 7);
    EXPECT_EQ(f.view.DrawFrame(), (std::vector<bool>{false, true, true, false, false, false}));
}

TEST(CirclePreviewTest, SamplePinsStandOnTheOuterAndInnerRingsInUse)
{
    PreviewFixture f;
    // Pin rows listed before and between rings; only the first entry of a row colours its pin.
    f.AddEntries({6, 0, 5, 2, 5, 6});
    f.view.SetDrawTitle(false);
    f.view.SetDrawLegendTitle(false);
    f.view.MakePreviewImage();
    const Group2D& preview = *f.view.Preview();
    EXPECT_EQ(FrameRadii(preview), (std::vector<double>{250, 230, 210, 190}));

    std::vector<std::shared_ptr<Group2D>> pins;
    for (const Object2DRef& item : preview.Items()) {
        if (auto group = std::dynamic_pointer_cast<Group2D>(item))
            pins.push_back(group);
    }
    ASSERT_EQ(pins.size(), 2u);
    const struct {
        double from, to;
        RgbColor head;
    } expected[] = {{250, 262, 0x030303}, {190, 178, 0x010101}};
    for (int i = 0; i < 2; ++i) {
        auto line = ItemAs<CurveShape>(*pins[i], 0);
        auto head = ItemAs<OvalShape>(*pins[i], 1);
        ASSERT_TRUE(line && head);
        const double s = std::sin(45 * kDegree);
        EXPECT_NEAR(line->X(), 45 + expected[i].from * s, 1e-9);
        EXPECT_NEAR(line->Y(), 350 - expected[i].from * s, 1e-9);
        EXPECT_NEAR(line->X2(), 45 + expected[i].to * s, 1e-9);
        EXPECT_NEAR(line->Y2(), 350 - expected[i].to * s, 1e-9);
        EXPECT_EQ(head->FillColor(), expected[i].head);
        EXPECT_DOUBLE_EQ(head->Width(), 8);
    }
}

TEST(CirclePreviewTest, LegendShowsAtMostThreeRows)
{
    PreviewFixture f;
    f.AddEntries({0, 5, 1, 2, 3});
    f.view.SetDrawTitle(false);
    f.view.MakePreviewImage();
    const Group2D& preview = *f.view.Preview();
    // The last 1 + 6 + 1 items: box, heading, three rows of swatch and name.
    const int first = preview.Count() - 8;
    auto box = ItemAs<RectShape>(preview, first);
    EXPECT_DOUBLE_EQ(box->Height(), 60);
    EXPECT_EQ(ItemAs<StringShape>(preview, first + 1)->Text(), "Legend");
    const Object2D::Kind kinds[] = {Object2D::Kind::Rect, Object2D::Kind::Oval, Object2D::Kind::Rect};
    for (int k = 0; k < 3; ++k) {
        const int y = 57 + 12 * k;
        auto swatch = ItemAs<RectShape>(preview, first + 2 + 2 * k);
        ASSERT_TRUE(swatch);
        EXPECT_EQ(swatch->ObjectKind(), kinds[k]);
        EXPECT_DOUBLE_EQ(swatch->X(), 79);
        EXPECT_DOUBLE_EQ(swatch->Y(), y - 4);
        EXPECT_DOUBLE_EQ(swatch->Width(), 8);
        EXPECT_EQ(swatch->Border(), 100);
        auto name = ItemAs<StringShape>(preview, first + 3 + 2 * k);
        EXPECT_EQ(name->Text(), "entry " + QString::number(k));
        EXPECT_DOUBLE_EQ(name->Y(), y);
        EXPECT_EQ(name->TextSize(), 10);
    }
}

TEST(CirclePreviewTest, DrawPreviewImageRebuildsAndPaints)
{
    PreviewFixture f;
    f.AddEntries({0});
    f.view.SetDrawColor(0, 0xFF0000);
    QImage image(287, 334, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    f.view.DrawPreviewImage(painter, 0, 0);
    painter.end();
    ASSERT_TRUE(f.view.Preview());
    // Circle1's sector at 45 degrees, radius 240, is red; the centre side of the mask is white.
    const double s = std::sin(45 * kDegree);
    EXPECT_EQ(image.pixel(int(std::lround(45 + 240 * s)), int(std::lround(350 - 240 * s))), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(int(std::lround(45 + 150 * s)), int(std::lround(350 - 150 * s))), qRgb(255, 255, 255));
}
