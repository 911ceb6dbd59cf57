#include "linear/CLinearViewConfig.h"

#include "tests/linear/LinearMapTestSupport.h"

namespace {

constexpr RgbColor kRed = 0xFF0000;

// Counts the page-table computations so tests can see when one ran.
class CountingLinearView : public CLinearViewConfig
{
public:
    using CLinearViewConfig::CLinearViewConfig;
    void CalcPage() override
    {
        ++mCalcCount;
        CLinearViewConfig::CalcPage();
    }
    int mCalcCount = 0;
};

// Rows 83 high (a Bottom entry, names drawn): row r starts at 20 + 98 r.
std::unique_ptr<CountingLinearView> RowsView(TestMarkerFiles& files, int rows)
{
    auto view = std::make_unique<CountingLinearView>(QStringLiteral("pages"));
    view->SetDrawTitle(false);
    view->SetDrawLegendTitle(false);
    view->SetGenomeLength(1000000);
    view->SetStartLocate(0);
    view->SetEndLocate(rows * 100);
    view->SetScale(100);
    view->Add(files.Load({{10, 20, "m", "", "a"}}), "m", "m", CLinearViewConfig::kBottom, 0, kRed);
    return view;
}

}  // namespace

TEST(LinearPaging, LetterPageCutsBetweenRows)
{
    TestMarkerFiles files;
    auto view = RowsView(files, 25);
    view->SetPageWidth(612);
    view->SetPageHeight(792);
    view->MakeViewImage();
    ASSERT_EQ(view->StripedImage()->Height(0), 83);
    EXPECT_EQ(view->PageHeight(), 1087);
    EXPECT_EQ(view->PageWidth(), 840);

    // Page 0 (top 5) takes rows whose top is at most 5 + 1087 - 98 = 994:
    // rows 0 .. 9. Page 1 starts at row 10 (top 1000, page top 985).
    EXPECT_EQ(view->PageTopTable(), (std::vector<int>{0, 10, 20, 25}));
    EXPECT_EQ(view->PageCount(), 3);
    EXPECT_EQ(view->PageTop(0), 5);
    EXPECT_EQ(view->PageTop(1), 985);
    EXPECT_EQ(view->PageTop(2), 1965);
    for (int page = 0; page < 3; ++page) {
        const int bottom = view->PageTop(page) + view->PageHeight();
        const int lastStripe = view->PageTopTable()[size_t(page) + 1] - 1;
        EXPECT_LE(view->StripedImage()->Top(lastStripe) + 83 + 15, bottom) << page;
    }

    // The page groups hold the stripes themselves, in picture coordinates.
    const Group2DRef page1 = view->GetImage(1);
    ASSERT_EQ(page1->Count(), 10);
    EXPECT_EQ(page1->Item(0), view->StripedImage()->NthImage(10));
    EXPECT_DOUBLE_EQ(page1->Item(0)->Y(), 1000);
    EXPECT_EQ(view->GetImage(2)->Count(), 5);
    EXPECT_EQ(view->GetImage(3)->Count(), 0);  // no such page
}

TEST(LinearPaging, ShortMapIsOnePage)
{
    TestMarkerFiles files;
    auto view = RowsView(files, 3);
    view->MakeViewImage();
    EXPECT_EQ(view->PageTopTable(), (std::vector<int>{0, 3}));
    EXPECT_EQ(view->PageCount(), 1);
    EXPECT_EQ(view->PageTop(0), 5);
    EXPECT_EQ(view->GetImage(0)->Count(), 3);
}

TEST(LinearPaging, StripeTallerThanAPageHasItsOwnPage)
{
    TestMarkerFiles files;
    auto view = RowsView(files, 2);
    view->SetDrawTitle(true);
    view->SetDrawLegendTitle(true);
    CFileData* data = files.Load({{10, 20, "m", "", "a"}});
    for (int i = 0; i < 79; ++i)
        view->Add(data, "m", "more", CLinearViewConfig::kBottom, 0, kRed);
    view->SetPageWidth(612);
    view->SetPageHeight(792);
    view->MakeViewImage();
    // Title at 20; legend of 80 entries at 50, 1230 high; rows at 1295 and 1393.
    const CStripedVectorImage& image = *view->StripedImage();
    ASSERT_EQ(image.Count(), 4);
    ASSERT_EQ(image.Height(1), 30 + 15 * 80);
    EXPECT_EQ(image.Top(2), 50 + 45 + 15 * 80);
    EXPECT_EQ(view->PageTopTable(), (std::vector<int>{0, 1, 2, 4}));
    EXPECT_EQ(view->PageTop(1), 35);
    EXPECT_EQ(view->PageTop(2), image.Top(2) - 15);
}

TEST(LinearPaging, PageSizeSettersRepageOnlyOnChange)
{
    TestMarkerFiles files;
    auto view = RowsView(files, 25);
    view->SetPageWidth(840);
    view->SetPageHeight(1000);
    view->MakeViewImage();
    const int builds = view->mCalcCount;
    EXPECT_EQ(view->PageHeight(), 1000);
    // Rows fit while top <= 5 + 1000 - 98 = 907: rows 0 .. 9 (row 9 at 902).
    EXPECT_EQ(view->PageTopTable()[1], 10);

    view->SetPageWidth(840);
    view->SetPageHeight(1000);
    EXPECT_EQ(view->mCalcCount, builds);

    view->SetPageHeight(500);
    EXPECT_EQ(view->mCalcCount, builds + 1);
    EXPECT_EQ(view->PageHeight(), 500);
    // 5 + 500 - 98 = 407: rows at 20 .. 412 step 98 -> rows 0 .. 3 on page 0.
    EXPECT_EQ(view->PageTopTable()[1], 4);

    view->SetPageWidth(420);  // the same page twice as tall in picture units
    EXPECT_EQ(view->mCalcCount, builds + 2);
    EXPECT_EQ(view->PageHeight(), 1000);
    EXPECT_EQ(view->PageTopTable()[1], 10);
}

TEST(LinearPaging, NoPagesBeforeAPictureExists)
{
    CountingLinearView view(QStringLiteral("none"));
    view.SetPageHeight(123);
    EXPECT_EQ(view.PageCount(), -1);
    EXPECT_EQ(view.GetImage(0)->Count(), 0);
}
