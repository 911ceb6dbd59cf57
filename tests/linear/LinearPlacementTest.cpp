#include "linear/CLinearViewConfig.h"

#include "tests/linear/LinearMapTestSupport.h"
#include "views/CTextMeasure.h"

namespace {

constexpr RgbColor kRed = 0xFF0000;
constexpr RgbColor kGreen = 0x00FF00;

// A bare view (no title, no legend) with one entry of class "m".
std::unique_ptr<CLinearViewConfig> ViewOf(TestMarkerFiles& files, const std::vector<TestMarker>& rows, int side,
                                          int end, int scale, bool names, bool withDirection = false)
{
    auto view = BareView(0, end, scale);
    view->SetDrawMarkerNames(names);
    view->Add(files.Load(rows, withDirection), "m", "m", side, CLinearViewConfig::kRectangle, kRed);
    return view;
}

// The rank of a Bottom rectangle from its top: 23 + rank pitch.
int RankOf(const RectShape& rect, int pitch)
{
    return int((TopOf(rect) - 23) / pitch);
}

}  // namespace

TEST(LinearPlacement, MarkerContinuesAcrossRowsInOneRank)
{
    TestMarkerFiles files;
    // The first marker holds rank 0 up to x = 560 of row 1, so the long one
    // gets rank 1 and keeps it in rows 2 and 3 although rank 0 is free there.
    auto view = ViewOf(files, {{150, 380, "m", "", ""}, {100, 170, "m", "", ""}}, CLinearViewConfig::kBottom, 400,
                       100, false);
    view->MakeViewImage();
    ASSERT_EQ(view->MapCount(), 4);

    struct Piece { int row; double left; double width; };
    const Piece pieces[] = {{1, 400, 400}, {2, 0, 800}, {3, 0, 640}};
    for (const Piece& p : pieces) {
        std::vector<RectShapeRef> rects = RowRects(*view, p.row);
        if (p.row == 1) {
            ASSERT_EQ(rects.size(), 2u);
            EXPECT_DOUBLE_EQ(LeftOf(*rects[0]), 20 + 0);  // 100 .. 170 first (lower start)
            EXPECT_DOUBLE_EQ(rects[0]->Width(), 560);
            EXPECT_EQ(RankOf(*rects[0], 10), 0);
            rects.erase(rects.begin());
        }
        ASSERT_EQ(rects.size(), 1u) << p.row;
        EXPECT_DOUBLE_EQ(LeftOf(*rects[0]), 20 + p.left) << p.row;
        EXPECT_DOUBLE_EQ(rects[0]->Width(), p.width) << p.row;
        EXPECT_DOUBLE_EQ(TopOf(*rects[0]), 33) << p.row;  // rank 1 without names
        EXPECT_DOUBLE_EQ(rects[0]->Height(), 6);
        EXPECT_EQ(rects[0]->FillColor(), kRed);
    }
    EXPECT_TRUE(RowRects(*view, 0).empty());
}

TEST(LinearPlacement, RankIsFreeAgainWhereThePreviousMarkerEnds)
{
    TestMarkerFiles files;
    auto view = ViewOf(files, {{10, 20, "m", "", ""}, {15, 30, "m", "", ""}, {20, 25, "m", "", ""}},
                       CLinearViewConfig::kBottom, 100, 100, false);
    view->MakeViewImage();
    const std::vector<RectShapeRef> rects = RowRects(*view, 0);
    ASSERT_EQ(rects.size(), 3u);
    struct Expect { double left; double width; int rank; };
    const Expect expected[] = {{80, 80, 0}, {120, 120, 1}, {160, 40, 0}};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_DOUBLE_EQ(LeftOf(*rects[i]), 20 + expected[i].left) << i;
        EXPECT_DOUBLE_EQ(rects[i]->Width(), expected[i].width) << i;
        EXPECT_EQ(RankOf(*rects[i], 10), expected[i].rank) << i;
    }
}

TEST(LinearPlacement, WhenAllRanksAreTakenTheMarkerGoesToRankZero)
{
    TestMarkerFiles files;
    // Eleven markers over 0 .. 50 + i; the longest come first, so the
    // shortest finds all ten ranks taken.
    std::vector<TestMarker> rows;
    for (int i = 0; i < 11; ++i)
        rows.push_back({0, 50 + i, "m", "", ""});
    auto view = ViewOf(files, rows, CLinearViewConfig::kBottom, 100, 100, false);
    view->MakeViewImage();
    const std::vector<RectShapeRef> rects = RowRects(*view, 0);
    ASSERT_EQ(rects.size(), 11u);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(RankOf(*rects[size_t(i)], 10), i);
        EXPECT_DOUBLE_EQ(rects[size_t(i)]->Width(), 480 - 8 * i);
    }
    EXPECT_EQ(RankOf(*rects[10], 10), 0);
    EXPECT_DOUBLE_EQ(rects[10]->Width(), 400);
    EXPECT_EQ(view->StripedImage()->Height(0), 10 * 10 + 23);

    // A smaller rank table behaves the same way.
    view->SetMaximumRankCount(2);
    view->MakeViewImage();
    EXPECT_EQ(RankOf(*RowRects(*view, 0)[2], 10), 0);
    EXPECT_EQ(view->StripedImage()->Height(0), 10 * 3 + 23);  // still the three reserved ranks
}

TEST(LinearPlacement, NameWidthKeepsTheRankTaken)
{
    TestMarkerFiles files;
    CTextMeasure& measure = CTextMeasure::Shared();
    measure.SetFont(QStringLiteral("Arial"), 10, false, false, false);
    const int extent = int(measure.Width(QStringLiteral("LongMarkerName")) + 1);
    ASSERT_GT(extent, 10);
    // Scale 800: one bp is one unit. A 1-wide marker at x = 100 with its name;
    // the next starts one unit before the name's end, the third right at it.
    auto view = ViewOf(files,
                       {{100, 101, "m", "", "LongMarkerName"}, {100 + extent - 1, 100 + extent, "m", "", "b"},
                        {100 + extent, 100 + extent + 1, "m", "", "c"}},
                       CLinearViewConfig::kBottom, 800, 800, true);
    view->MakeViewImage();
    const std::vector<RectShapeRef> rects = RowRects(*view, 0);
    ASSERT_EQ(rects.size(), 3u);
    EXPECT_EQ(RankOf(*rects[0], 20), 0);
    EXPECT_EQ(RankOf(*rects[1], 20), 1);
    EXPECT_EQ(RankOf(*rects[2], 20), 0);

    const auto names = ItemsOfKind<StringShape>(*view->StripedImage()->NthImage(0), Object2D::Kind::String);
    ASSERT_EQ(names.size(), 3u);
    EXPECT_EQ(names[0]->Text(), "LongMarkerName");
    EXPECT_DOUBLE_EQ(names[0]->X() - measure.Width(QStringLiteral("LongMarkerName")) / 2, 120);
    EXPECT_DOUBLE_EQ(names[1]->Y(), 20 + 20 * 1 + 10 + measure.Ascent());  // top of the text 10 below the rank's top
    EXPECT_EQ(names[0]->TextSize(), 10);
}

TEST(LinearPlacement, RowHeights)
{
    TestMarkerFiles files;
    struct Case { int side; bool names; bool summary; int height; };
    const Case cases[] = {
        {CLinearViewConfig::kBottom, false, false, 53},
        {CLinearViewConfig::kBottom, true, false, 83},
        {CLinearViewConfig::kBottom, true, true, 30},
        {CLinearViewConfig::kUpper, true, false, 20},
    };
    for (const Case& c : cases) {
        // The marker lies in the first row; the second row stays empty.
        auto view = ViewOf(files, {{10, 20, "m", "", "x"}}, c.side, 200, 100, c.names);
        view->SetSummaryView(c.summary);
        view->MakeViewImage();
        ASSERT_EQ(view->StripedImage()->Count(), 2);
        EXPECT_EQ(view->StripedImage()->Height(1), c.height) << c.height;
        EXPECT_EQ(view->StripedImage()->Height(0), c.height) << c.height;
    }

    // Ranks beyond the reserved three grow the row.
    std::vector<TestMarker> rows;
    for (int i = 0; i < 5; ++i)
        rows.push_back({10, 20 + i, "m", "", ""});
    auto deep = ViewOf(files, rows, CLinearViewConfig::kBottom, 200, 100, false);
    deep->MakeViewImage();
    EXPECT_EQ(deep->StripedImage()->Height(0), 10 * 5 + 23);
    EXPECT_EQ(deep->StripedImage()->Height(1), 53);
}

TEST(LinearPlacement, SummaryViewDrawsThinLinesWithoutNames)
{
    TestMarkerFiles files;
    auto view = ViewOf(files, {{10, 20, "m", "", "a"}, {15, 30, "m", "", "b"}}, CLinearViewConfig::kBottom, 100, 100,
                       true);
    view->SetSummaryView(true);
    view->MakeViewImage();
    const Group2D& row = *view->StripedImage()->NthImage(0);
    EXPECT_TRUE(ItemsOfKind<StringShape>(row, Object2D::Kind::String).empty());
    const auto lines = ItemsOfKind<CurveShape>(row, Object2D::Kind::Curve);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_DOUBLE_EQ(lines[0]->X(), 100);
    EXPECT_DOUBLE_EQ(lines[0]->X2(), 180);
    EXPECT_DOUBLE_EQ(lines[0]->Y(), 22);
    EXPECT_DOUBLE_EQ(lines[1]->Y(), 25);  // rank 1, 3 lower
    EXPECT_EQ(lines[1]->BorderColor(), kRed);
    EXPECT_DOUBLE_EQ(lines[1]->BorderWidth(), 1);
}

TEST(LinearPlacement, NamesFollowTheLatestSettingsOnEveryBuild)
{
    TestMarkerFiles files;
    auto view = ViewOf(files, {{10, 20, "m", "", "a"}, {15, 30, "m", "", "b"}}, CLinearViewConfig::kBottom, 100, 100,
                       true);
    const auto drawnNames = [&view]() {
        QStringList texts;
        for (const auto& text : ItemsOfKind<StringShape>(*view->StripedImage()->NthImage(0), Object2D::Kind::String))
            texts.append(text->Text());
        return texts;
    };
    // Each step rebuilds the map; names left out of one build must be back in the next.
    struct Step { bool summary; bool names; QStringList drawn; };
    const Step steps[] = {
        {true, true, {}},
        {false, true, {"a", "b"}},
        {false, false, {}},
        {false, true, {"a", "b"}},
    };
    for (const Step& step : steps) {
        view->SetSummaryView(step.summary);
        view->SetDrawMarkerNames(step.names);
        view->MakeViewImage();
        EXPECT_EQ(drawnNames(), step.drawn) << step.summary << step.names;
    }
}

TEST(LinearPlacement, UpperBarsAndTicks)
{
    TestMarkerFiles files;
    // One unit per bp: 500 .. 500 is 0 wide and becomes a tick.
    auto view = ViewOf(files, {{100, 200, "m", "", ""}, {150, 250, "m", "", ""}, {500, 500, "m", "", ""}},
                       CLinearViewConfig::kUpper, 1000, 1000, true);
    view->MakeViewImage();
    const Group2D& row = *view->StripedImage()->NthImage(0);
    const std::vector<RectShapeRef> bars = RowRects(*view, 0);
    ASSERT_EQ(bars.size(), 2u);
    EXPECT_DOUBLE_EQ(LeftOf(*bars[0]), 100);
    EXPECT_DOUBLE_EQ(bars[0]->Width(), 80);
    EXPECT_DOUBLE_EQ(TopOf(*bars[0]), 13);
    EXPECT_DOUBLE_EQ(TopOf(*bars[1]), 13);  // overlapping Upper bars share the band
    EXPECT_EQ(bars[0]->Border(), 0);
    EXPECT_EQ(bars[0]->FillColor(), kRed);
    const auto ticks = ItemsOfKind<CurveShape>(row, Object2D::Kind::Curve);
    ASSERT_EQ(ticks.size(), 1u);
    EXPECT_DOUBLE_EQ(ticks[0]->X(), 420);
    EXPECT_DOUBLE_EQ(ticks[0]->X2(), 420);
    EXPECT_DOUBLE_EQ(ticks[0]->Y(), 13);
    EXPECT_DOUBLE_EQ(ticks[0]->Y2(), 18);
    EXPECT_EQ(ticks[0]->BorderColor(), kRed);
}

TEST(LinearPlacement, ClippingReversedAndOutOfRangeMarkers)
{
    TestMarkerFiles files;
    auto view = BareView(1000, 1200, 100);
    view->SetDrawMarkerNames(false);
    view->Add(files.Load({{950, 1050, "m", "-", ""},    // starts before the range: clipped to 1000
                          {1180, 1150, "m", "+", ""},   // reversed ends; direction from its column
                          {1190, 1300, "m", "", ""},    // runs past the end: clipped to 1200
                          {1200, 1250, "m", "", ""},    // starts exactly at the end: in no row
                          {10, 20, "m", "", ""},        // wholly before the range
                          {1300, 1400, "m", "", ""}},   // wholly after it
                         true),
              "m", "m", CLinearViewConfig::kBottom, CLinearViewConfig::kRectangle, kGreen);
    view->MakeViewImage();
    ASSERT_EQ(view->MapCount(), 2);

    const Group2D& row0 = *view->StripedImage()->NthImage(0);
    const auto figures0 = ItemsOfKind<FigureShape>(row0, Object2D::Kind::Figure);
    ASSERT_EQ(figures0.size(), 1u);  // the reverse marker 1000 .. 1050
    ASSERT_GT(figures0[0]->Count(), 0);
    EXPECT_DOUBLE_EQ(figures0[0]->Item(0)->X(), 20 + 400);  // its flat top runs from the right end
    EXPECT_DOUBLE_EQ(figures0[0]->Item(0)->X2(), 20 + 3);   // back to the point's base

    const Group2D& row1 = *view->StripedImage()->NthImage(1);
    const auto figures1 = ItemsOfKind<FigureShape>(row1, Object2D::Kind::Figure);
    ASSERT_EQ(figures1.size(), 1u);  // 1150 .. 1180 points forward
    EXPECT_DOUBLE_EQ(figures1[0]->Item(0)->X(), 20 + 400);
    const auto rects1 = ItemsOfKind<RectShape>(row1, Object2D::Kind::Rect);
    ASSERT_EQ(rects1.size(), 1u);  // 1190 .. 1200 (1250 clipped)
    EXPECT_DOUBLE_EQ(LeftOf(*rects1[0]), 20 + 720);
    EXPECT_DOUBLE_EQ(rects1[0]->Width(), 80);
    EXPECT_EQ(view->StripedImage()->Count(), 2);
}

TEST(LinearPlacement, ExactHalvesRoundAwayFromZero)
{
    TestMarkerFiles files;
    // Scale 1600: a bp is half a unit. 1 .. 4 gives x = 0.5 -> 1 and width 1.5 -> 2.
    auto view = ViewOf(files, {{1, 4, "m", "", ""}}, CLinearViewConfig::kBottom, 1600, 1600, false);
    view->MakeViewImage();
    const std::vector<RectShapeRef> rects = RowRects(*view, 0);
    ASSERT_EQ(rects.size(), 1u);
    EXPECT_DOUBLE_EQ(LeftOf(*rects[0]), 21);
    EXPECT_DOUBLE_EQ(rects[0]->Width(), 2);
}

TEST(LinearPlacement, MarkerTypesWithDirections)
{
    TestMarkerFiles files;
    CFileData* data = files.Load({{100, 200, "m", "+", ""}, {300, 400, "m", "-", ""}, {500, 600, "m", "x", ""}});
    struct Case { int type; Object2D::Kind directed; Object2D::Kind undirected; };
    const Case cases[] = {
        {CLinearViewConfig::kRectangle, Object2D::Kind::Figure, Object2D::Kind::Rect},
        {CLinearViewConfig::kOval, Object2D::Kind::Group, Object2D::Kind::RoundRect},
        {CLinearViewConfig::kArrow, Object2D::Kind::Group, Object2D::Kind::Curve},
    };
    for (const Case& c : cases) {
        auto view = BareView(0, 1000, 1000);
        view->SetDrawMarkerNames(false);
        view->Add(data, "m", "m", CLinearViewConfig::kBottom, c.type, kGreen);
        view->MakeViewImage();
        const Group2D& row = *view->StripedImage()->NthImage(0);
        ASSERT_EQ(row.Count(), 4) << c.type;  // frame + three markers
        EXPECT_EQ(row.Item(1)->ObjectKind(), c.directed) << c.type;
        EXPECT_EQ(row.Item(2)->ObjectKind(), c.directed) << c.type;
        EXPECT_EQ(row.Item(3)->ObjectKind(), c.undirected) << c.type;
        if (c.type == CLinearViewConfig::kArrow)
            EXPECT_EQ(row.Item(3)->BorderColor(), kGreen);  // arrows take the colour as line colour
        else
            EXPECT_EQ(row.Item(3)->FillColor(), kGreen);
    }
}
