#include "linear/CLinearViewConfig.h"

#include "tests/linear/LinearMapTestSupport.h"
#include "views/CTextMeasure.h"

#include <stdexcept>

namespace {

constexpr RgbColor kRed = 0xFF0000;
constexpr RgbColor kBlue = 0x0000FF;

double TextWidth(const QString& text, double size)
{
    CTextMeasure& measure = CTextMeasure::Shared();
    measure.SetFont(QStringLiteral("Arial"), size, false, false, false);
    return measure.Width(text);
}

double TextWidth10(const QString& text)
{
    return TextWidth(text, 10);
}

std::vector<StringShapeRef> Labels(const Group2D& frame)
{
    return ItemsOfKind<StringShape>(frame, Object2D::Kind::String);
}

std::vector<CurveShapeRef> Lines(const Group2D& frame)
{
    return ItemsOfKind<CurveShape>(frame, Object2D::Kind::Curve);
}

}  // namespace

TEST(LinearViewConfig, PlacementWordPacksSideAndType)
{
    TestMarkerFiles files;
    CFileData* data = files.Load({{1, 2, "cds", "+", "a"}});
    CLinearViewConfig view(QStringLiteral("v"));
    view.Add(data, "cds", "Upper oval", CLinearViewConfig::kUpper, CLinearViewConfig::kOval, kRed);
    view.Add(data, "cds", "Bottom arrow", CLinearViewConfig::kBottom, CLinearViewConfig::kArrow, kBlue);
    view.Add(data, "cds", "Bottom rect", CLinearViewConfig::kBottom, CLinearViewConfig::kRectangle, kBlue);

    struct Case { int index; int placement; int type; const char* typeName; const char* placementName; };
    const Case cases[] = {
        {0, 0, 0, "Rectangle", "Upper"},  // an Upper entry has no marker type of its own
        {1, 1, 2, "Arrow", "Bottom"},
        {2, 1, 0, "Rectangle", "Bottom"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(view.Placement(c.index), c.placement) << c.index;
        EXPECT_EQ(view.Type(c.index), c.type) << c.index;
        EXPECT_EQ(view.TypeName(c.index), c.typeName) << c.index;
        EXPECT_EQ(view.PlacementName(c.index), c.placementName) << c.index;
    }

    view.Set(0, data, "cds", "now bottom oval", CLinearViewConfig::kBottom, CLinearViewConfig::kOval, kRed);
    EXPECT_EQ(view.Placement(0), 1);
    EXPECT_EQ(view.Type(0), 1);

    EXPECT_THROW(view.Add(data, "cds", "untyped", 1, kRed), std::runtime_error);
    EXPECT_THROW(view.Set(0, data, "cds", "untyped", 1, kRed), std::runtime_error);
    EXPECT_EQ(view.Count(), 3);
}

TEST(LinearViewConfig, NewConfigurationDefaults)
{
    CLinearViewConfig view(QStringLiteral("v"));
    EXPECT_TRUE(view.DrawMarkerNames());
    EXPECT_EQ(view.StartLocate(), 0);
    EXPECT_EQ(view.Scale(), 100000);
    EXPECT_EQ(view.DefaultPlacement(), 1);
    EXPECT_EQ(view.ViewWidth(), 840);
    EXPECT_EQ(view.PageWidth(), 840);
    EXPECT_TRUE(view.SummaryViewAvailable());
    EXPECT_EQ(view.PlacementTypeCount(), 2);
    EXPECT_EQ(view.TypeTypeCount(), 3);
    EXPECT_EQ(view.PageCount(), -1);  // no picture yet
    EXPECT_EQ(view.MaximumRankCount(), 10);
    EXPECT_EQ(view.MinimumRankCount(), 3);
    EXPECT_EQ(view.StripedImage(), nullptr);
}

TEST(LinearViewConfig, EndFollowsTheDataWhenSetToItsLargestLocation)
{
    TestMarkerFiles files;
    CFileData* data = files.Load({{10, 5000, "cds", "+", "a"}});
    CLinearViewConfig view(QStringLiteral("v"));
    view.Add(data, "cds", "cds", 1, 0, kRed);
    ASSERT_EQ(view.MaximumLocate(), 5000);

    view.SetEndLocate(4000);
    EXPECT_EQ(view.EndLocate(), 4000);
    view.SetEndLocate(5000);  // the data's end: stored as "follow the data"
    EXPECT_EQ(view.EndLocate(), 5000);

    CFileData* longer = files.Load({{10, 9000, "cds", "+", "a"}});
    view.Add(longer, "cds", "cds", 1, 0, kRed);
    EXPECT_EQ(view.EndLocate(), 9000);

    view.SetEndLocate(0);  // 0 also means up to the data's end
    EXPECT_EQ(view.EndLocate(), 9000);
}

TEST(LinearViewConfig, CopyAndIsEqualCoverTheLinearFields)
{
    TestMarkerFiles files;
    CFileData* data = files.Load({{10, 5000, "cds", "+", "a"}});
    CLinearViewConfig original(QStringLiteral("v"));
    original.Add(data, "cds", "cds", 1, 2, kRed);
    original.SetDrawMarkerNames(false);
    original.SetStartLocate(100);
    original.SetScale(1000);
    original.SetMaximumRankCount(4);

    std::unique_ptr<CViewConfig> clone = original.Clone();
    auto* copy = dynamic_cast<CLinearViewConfig*>(clone.get());
    ASSERT_NE(copy, nullptr);
    EXPECT_FALSE(copy->DrawMarkerNames());
    EXPECT_EQ(copy->StartLocate(), 100);
    EXPECT_EQ(copy->Scale(), 1000);
    EXPECT_EQ(copy->EndLocate(), 5000);  // -1 copied raw: still follows the data
    EXPECT_EQ(copy->MaximumRankCount(), 10);  // rank counts are not copied
    EXPECT_EQ(copy->Type(0), 2);
    EXPECT_TRUE(original.IsEqual(*copy));

    const auto differs = [&](auto change) {
        std::unique_ptr<CViewConfig> other = original.Clone();
        change(static_cast<CLinearViewConfig&>(*other));
        return !original.IsEqual(*other);
    };
    EXPECT_TRUE(differs([](CLinearViewConfig& v) { v.SetDrawMarkerNames(true); }));
    EXPECT_TRUE(differs([](CLinearViewConfig& v) { v.SetStartLocate(101); }));
    EXPECT_TRUE(differs([](CLinearViewConfig& v) { v.SetEndLocate(4000); }));
    EXPECT_TRUE(differs([](CLinearViewConfig& v) { v.SetScale(999); }));
    EXPECT_FALSE(differs([](CLinearViewConfig& v) { v.SetMaximumRankCount(7); }));
}

TEST(LinearViewLayout, FirstRowFollowsTitleAndLegend)
{
    TestMarkerFiles files;
    CFileData* data = files.Load({{10, 20, "cds", "+", "a"}});
    struct Case { bool title; bool legend; bool summary; int firstRowTop; int stripesAbove; };
    const Case cases[] = {
        {false, false, false, 20, 0},
        {true, false, false, 50, 1},
        {true, true, false, 140, 2},  // legend of 3 entries: 45 + 15 * 3
        {true, true, true, 50, 1},    // the summary view never shows the legend
    };
    for (const Case& c : cases) {
        auto view = BareView(0, 1000, 500);
        for (int i = 0; i < 3; ++i)
            view->Add(data, "cds", "entry", 1, 0, kRed);
        view->SetDrawTitle(c.title);
        view->SetDrawLegendTitle(c.legend);
        view->SetSummaryView(c.summary);
        view->MakeViewImage();
        const CStripedVectorImage& image = *view->StripedImage();
        ASSERT_EQ(image.Count(), c.stripesAbove + 2) << c.firstRowTop;
        EXPECT_EQ(image.Top(c.stripesAbove), c.firstRowTop);
        // The axis lies 20 below the row's top once the row is placed.
        EXPECT_EQ(image.NthImage(c.stripesAbove)->Y(), c.firstRowTop);
        const int rowHeight = image.Height(c.stripesAbove);
        EXPECT_EQ(image.Top(c.stripesAbove + 1), c.firstRowTop + rowHeight + 15);
        EXPECT_EQ(view->ViewHeight(), image.Top(-1) + image.Height(-1) + 20);
    }
}

TEST(LinearViewLayout, TitleAndLegendStripes)
{
    TestMarkerFiles files;
    CFileData* directed = files.Load({{10, 20, "cds", "+", "a"}});
    CFileData* undirected = files.Load({{10, 20, "cds", "+", "a"}}, false);
    auto view = BareView(0, 1000, 1000);
    view->SetDrawTitle(true);
    view->SetDrawLegendTitle(true);
    view->SetLegendTitle(QStringLiteral("Genes"));
    view->Add(directed, "cds", "upper", CLinearViewConfig::kUpper, 0, kRed);
    view->Add(directed, "cds", "bottom directed", CLinearViewConfig::kBottom, CLinearViewConfig::kRectangle, kBlue);
    view->Add(undirected, "cds", "bottom undirected", CLinearViewConfig::kBottom, CLinearViewConfig::kRectangle, kBlue);
    view->MakeViewImage();
    const CStripedVectorImage& image = *view->StripedImage();

    EXPECT_EQ(image.Top(0), 20);
    EXPECT_EQ(image.Height(0), 30);
    const auto title = ItemsOfKind<StringShape>(*image.NthImage(0), Object2D::Kind::String);
    ASSERT_EQ(title.size(), 1u);
    EXPECT_EQ(title[0]->Text(), "Test map");
    EXPECT_DOUBLE_EQ(title[0]->X(), 420);
    EXPECT_EQ(title[0]->TextSize(), 20);

    EXPECT_EQ(image.Top(1), 50);
    EXPECT_EQ(image.Height(1), 75);
    const Group2D& legend = *image.NthImage(1);
    const auto texts = ItemsOfKind<StringShape>(legend, Object2D::Kind::String);
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_EQ(texts[0]->Text(), "Genes");
    EXPECT_EQ(texts[2]->Text(), "bottom directed");
    EXPECT_DOUBLE_EQ(texts[2]->Y(), 50 + 30 + 15 + 6);  // baseline at a + 6
    EXPECT_DOUBLE_EQ(texts[2]->X() - TextWidth("bottom directed", 12) / 2, 370);

    // Samples: Upper and undirected files give plain rectangles; a Bottom
    // entry of a file with directions points forward (a figure).
    ASSERT_EQ(legend.Item(1)->ObjectKind(), Object2D::Kind::Rect);
    EXPECT_EQ(legend.Item(3)->ObjectKind(), Object2D::Kind::Figure);
    EXPECT_EQ(legend.Item(5)->ObjectKind(), Object2D::Kind::Rect);
    const auto& upperSample = static_cast<const RectShape&>(*legend.Item(1));
    EXPECT_DOUBLE_EQ(LeftOf(upperSample), 330);
    EXPECT_DOUBLE_EQ(TopOf(upperSample), 80);
    EXPECT_DOUBLE_EQ(upperSample.Width(), 10);
    EXPECT_DOUBLE_EQ(upperSample.Height(), 6);

    // The frame is last, an outline 200 wide around title and rows.
    const auto& frame = static_cast<const RectShape&>(*legend.Item(legend.Count() - 1));
    EXPECT_EQ(frame.ObjectKind(), Object2D::Kind::Rect);
    EXPECT_DOUBLE_EQ(LeftOf(frame), 320);
    EXPECT_DOUBLE_EQ(TopOf(frame), 50);
    EXPECT_DOUBLE_EQ(frame.Width(), 200);
    EXPECT_DOUBLE_EQ(frame.Height(), 75);
    EXPECT_EQ(frame.Fill(), 0);
    EXPECT_EQ(frame.Border(), 100);
}

TEST(LinearViewFrame, RangeEndingInsideARow)
{
    auto view = BareView(0, 250, 100);
    view->MakeViewImage();
    ASSERT_EQ(view->MapCount(), 3);
    ASSERT_EQ(view->StripedImage()->Count(), 3);

    // Full rows: eleven grid lines, labels at start, middle and end, an 800 axis.
    const Group2DRef first = RowFrame(*view, 0);
    EXPECT_DOUBLE_EQ(first->X(), 20);
    const auto firstLines = Lines(*first);
    ASSERT_EQ(firstLines.size(), 12u);
    EXPECT_DOUBLE_EQ(firstLines[1]->X(), 80);
    EXPECT_DOUBLE_EQ(firstLines[1]->Y(), 10);
    EXPECT_DOUBLE_EQ(firstLines[5]->Y(), 6);
    EXPECT_DOUBLE_EQ(firstLines[5]->Y2(), 20);  // down to the row's height
    EXPECT_EQ(firstLines[5]->BorderColor(), 0xC8C8C8u);
    EXPECT_DOUBLE_EQ(firstLines[5]->BorderWidth(), 0.5);
    EXPECT_DOUBLE_EQ(firstLines[11]->X2(), 800);
    const auto firstLabels = Labels(*first);
    ASSERT_EQ(firstLabels.size(), 3u);
    EXPECT_EQ(firstLabels[0]->Text(), "0.0bp");
    EXPECT_EQ(firstLabels[1]->Text(), "50.0bp");
    EXPECT_DOUBLE_EQ(firstLabels[1]->X(), 400);
    EXPECT_EQ(firstLabels[2]->Text(), "100.0bp");
    EXPECT_DOUBLE_EQ(firstLabels[2]->X() + TextWidth10("100.0bp") / 2, 800);

    // The last row: grid lines 0 .. 320, then the end tick and label at 400.
    const auto lastLines = Lines(*RowFrame(*view, 2));
    ASSERT_EQ(lastLines.size(), 7u);  // 5 grid lines, the end tick, the axis
    for (int j = 0; j < 5; ++j)
        EXPECT_DOUBLE_EQ(lastLines[size_t(j)]->X(), 80 * j);
    EXPECT_DOUBLE_EQ(lastLines[5]->X(), 400);
    EXPECT_DOUBLE_EQ(lastLines[5]->Y(), 6);
    EXPECT_DOUBLE_EQ(lastLines[6]->X2(), 400);  // the axis stops at the range end
    const auto lastLabels = Labels(*RowFrame(*view, 2));
    ASSERT_EQ(lastLabels.size(), 2u);
    EXPECT_EQ(lastLabels[1]->Text(), "250.0bp");
    EXPECT_DOUBLE_EQ(lastLabels[1]->X() - TextWidth10("250.0bp") / 2, 400);
}

TEST(LinearViewFrame, EndLabelAtTheRowEndAndLabelsOfAnOffsetStart)
{
    auto whole = BareView(0, 100000, 100000);
    whole->MakeViewImage();
    ASSERT_EQ(whole->MapCount(), 1);
    const auto lines = Lines(*RowFrame(*whole, 0));
    ASSERT_EQ(lines.size(), 12u);  // ten grid lines, the end tick at 800, the axis
    EXPECT_DOUBLE_EQ(lines[10]->X(), 800);
    const auto labels = Labels(*RowFrame(*whole, 0));
    ASSERT_EQ(labels.size(), 3u);
    EXPECT_EQ(labels[2]->Text(), "100.0Kbp");
    EXPECT_DOUBLE_EQ(labels[2]->X() + TextWidth10("100.0Kbp") / 2, 800);

    auto offset = BareView(1234, 2001234, 1000000);
    offset->MakeViewImage();
    EXPECT_EQ(Labels(*RowFrame(*offset, 0))[0]->Text(), "1.234Kbp");
    EXPECT_EQ(Labels(*RowFrame(*offset, 1))[0]->Text(), "1.001234Mbp");
}

TEST(LinearViewLayout, EmptyRangeDrawsTitleAndLegendOnly)
{
    TestMarkerFiles files;
    CFileData* data = files.Load({{10, 20, "cds", "+", "a"}});
    auto view = BareView(500, 500, 100);
    view->SetDrawTitle(true);
    view->SetDrawLegendTitle(true);
    view->Add(data, "cds", "cds", 1, 0, kRed);
    view->MakeViewImage();
    EXPECT_EQ(view->MapCount(), 0);
    EXPECT_EQ(view->StripedImage()->Count(), 2);
    EXPECT_EQ(view->PageCount(), 1);
    EXPECT_EQ(view->ViewHeight(), 50 + 45 + 20);

    auto nothing = BareView(500, 500, 100);
    nothing->MakeViewImage();
    EXPECT_EQ(nothing->StripedImage()->Count(), 0);
    EXPECT_EQ(nothing->PageCount(), -1);
    EXPECT_GT(nothing->ViewHeight(), 0);
}

TEST(LinearViewLayout, ScaleOfZeroGivesNoRows)
{
    auto view = BareView(0, 1000, 0);
    view->MakeViewImage();
    EXPECT_EQ(view->MapCount(), 0);
    EXPECT_EQ(view->StripedImage()->Count(), 0);
}
