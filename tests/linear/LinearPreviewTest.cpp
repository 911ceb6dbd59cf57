#include "linear/CLinearViewConfig.h"

#include "tests/linear/LinearMapTestSupport.h"
#include "views/CTextMeasure.h"

namespace {

constexpr RgbColor kRed = 0xFF0000;
constexpr RgbColor kBlue = 0x0000FF;

std::unique_ptr<CLinearViewConfig> PreviewView()
{
    auto view = std::make_unique<CLinearViewConfig>(QStringLiteral("Preview"));
    view->SetDrawTitle(false);
    view->SetDrawLegendTitle(false);
    return view;
}

// The group of samples the preview appends after its row frame, lines and labels.
Group2DRef SampleGroup(const CLinearViewConfig& view)
{
    const Group2DRef preview = view.Preview();
    for (const Object2DRef& item : preview->Items()) {
        if (item->ObjectKind() == Object2D::Kind::Group)
            return std::static_pointer_cast<Group2D>(item);
    }
    ADD_FAILURE() << "no sample group";
    return std::make_shared<Group2D>();
}

double Left(const Object2D& shape)
{
    return LeftOf(static_cast<const RectShape&>(shape));
}

}  // namespace

TEST(LinearPreview, EmptyViewShowsTheSampleRowOnly)
{
    auto view = PreviewView();
    view->MakePreviewImage();
    const Group2D& preview = *view->Preview();
    const auto frames = ItemsOfKind<RectShape>(preview, Object2D::Kind::Rect);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_DOUBLE_EQ(LeftOf(*frames[0]), 45);
    EXPECT_DOUBLE_EQ(TopOf(*frames[0]), 150);
    EXPECT_DOUBLE_EQ(frames[0]->Width(), 200);
    EXPECT_DOUBLE_EQ(frames[0]->Height(), 65);
    EXPECT_EQ(frames[0]->Fill(), 0);

    const auto lines = ItemsOfKind<CurveShape>(preview, Object2D::Kind::Curve);
    ASSERT_EQ(lines.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_DOUBLE_EQ(lines[i]->X(), 45 + 100 * double(i));
        EXPECT_DOUBLE_EQ(lines[i]->Y(), 135);
        EXPECT_DOUBLE_EQ(lines[i]->Y2(), 214);
    }

    const auto labels = ItemsOfKind<StringShape>(preview, Object2D::Kind::String);
    ASSERT_EQ(labels.size(), 3u);
    EXPECT_EQ(labels[0]->Text(), "0.0bp");
    EXPECT_EQ(labels[1]->Text(), "50.0Kbp");
    EXPECT_EQ(labels[2]->Text(), "100.0Kbp");
    EXPECT_DOUBLE_EQ(labels[1]->X(), 145);
    EXPECT_DOUBLE_EQ(labels[1]->Y(), 135);
    EXPECT_TRUE(SampleGroup(*view)->Items().empty());

    view->SetScale(1001);  // half the scale is truncated
    view->MakePreviewImage();
    EXPECT_EQ(ItemsOfKind<StringShape>(*view->Preview(), Object2D::Kind::String)[1]->Text(), "500.0bp");
}

TEST(LinearPreview, BottomSamplesInColumnsAndUpperBars)
{
    TestMarkerFiles files;
    CFileData* directed = files.Load({{1, 2, "m", "+", "a"}});
    CFileData* undirected = files.Load({{1, 2, "m", "", "a"}}, false);
    auto view = PreviewView();
    view->Add(undirected, "m", "b0", CLinearViewConfig::kBottom, CLinearViewConfig::kRectangle, kRed);
    view->Add(directed, "m", "u0", CLinearViewConfig::kUpper, 0, kBlue);
    view->Add(undirected, "m", "b1", CLinearViewConfig::kBottom, CLinearViewConfig::kRectangle, kRed);
    view->Add(directed, "m", "b2", CLinearViewConfig::kBottom, CLinearViewConfig::kOval, kRed);
    view->Add(undirected, "m", "b3", CLinearViewConfig::kBottom, CLinearViewConfig::kOval, kRed);
    view->MakePreviewImage();
    const Group2D& samples = *SampleGroup(*view);

    // Items: b0 + name, u0, b1 + name, b2 (oval with arrow) + name, b3 + name.
    ASSERT_EQ(samples.Count(), 9);
    const auto& upper = static_cast<const RectShape&>(*samples.Item(2));
    EXPECT_DOUBLE_EQ(LeftOf(upper), 46);
    EXPECT_DOUBLE_EQ(upper.Width(), 199);
    EXPECT_DOUBLE_EQ(TopOf(upper), 143);
    EXPECT_EQ(upper.Border(), 0);
    EXPECT_EQ(upper.FillColor(), kBlue);

    // Four Bottom samples: two columns 99.5 wide, two rows.
    EXPECT_DOUBLE_EQ(Left(*samples.Item(0)), 46);
    EXPECT_DOUBLE_EQ(TopOf(static_cast<const RectShape&>(*samples.Item(0))), 153);
    EXPECT_DOUBLE_EQ(static_cast<const RectShape&>(*samples.Item(0)).Width(), 99);
    EXPECT_DOUBLE_EQ(Left(*samples.Item(3)), 145);
    EXPECT_DOUBLE_EQ(TopOf(static_cast<const RectShape&>(*samples.Item(3))), 153);

    // The directed oval (row 2, column 0) is 4 narrower than the undirected one.
    ASSERT_EQ(samples.Item(5)->ObjectKind(), Object2D::Kind::Group);
    const auto& directedOval = static_cast<const RectShape&>(
        *static_cast<const Group2D&>(*samples.Item(5)).Item(0));
    const auto& plainOval = static_cast<const RectShape&>(*samples.Item(7));
    EXPECT_DOUBLE_EQ(LeftOf(directedOval), 46);
    EXPECT_DOUBLE_EQ(TopOf(directedOval), 173);
    EXPECT_DOUBLE_EQ(directedOval.Width(), 95);
    EXPECT_DOUBLE_EQ(LeftOf(plainOval), 145);
    EXPECT_DOUBLE_EQ(plainOval.Width(), 99);

    const auto& name = static_cast<const StringShape&>(*samples.Item(8));
    EXPECT_EQ(name.Text(), "b3");
    CTextMeasure& measure = CTextMeasure::Shared();
    measure.SetFont(QStringLiteral("Arial"), 10, false, false, false);
    EXPECT_DOUBLE_EQ(name.X() - measure.Width("b3") / 2, 145);
    EXPECT_DOUBLE_EQ(name.Y(), 170 + 10 + measure.Ascent());

    view->SetDrawMarkerNames(false);
    view->MakePreviewImage();
    EXPECT_TRUE(ItemsOfKind<StringShape>(*SampleGroup(*view), Object2D::Kind::String).empty());
}

TEST(LinearPreview, TitleAndLegendShowTheFirstThreeEntries)
{
    TestMarkerFiles files;
    CFileData* directed = files.Load({{1, 2, "m", "+", "a"}});
    auto view = PreviewView();
    view->SetDrawTitle(true);
    view->SetDrawLegendTitle(true);
    view->Add(directed, "m", "first", CLinearViewConfig::kUpper, 0, kBlue);
    for (int i = 1; i < 5; ++i)
        view->Add(directed, "m", QStringLiteral("entry %1").arg(i), CLinearViewConfig::kBottom, 0, kRed);
    view->MakePreviewImage();
    const Group2D& preview = *view->Preview();

    const auto texts = ItemsOfKind<StringShape>(preview, Object2D::Kind::String);
    ASSERT_EQ(texts.size(), 5u);  // three labels, title, legend title
    EXPECT_EQ(texts[3]->Text(), "Preview");
    EXPECT_DOUBLE_EQ(texts[3]->X(), 145);
    EXPECT_DOUBLE_EQ(texts[3]->Y(), 20);
    EXPECT_EQ(texts[4]->Text(), "Legend");
    EXPECT_DOUBLE_EQ(texts[4]->Y(), 45);

    const auto groups = ItemsOfKind<Group2D>(preview, Object2D::Kind::Group);
    ASSERT_EQ(groups.size(), 2u);
    const Group2D& legend = *groups[1];
    ASSERT_EQ(legend.Count(), 6);  // three samples, three names
    EXPECT_EQ(legend.Item(0)->ObjectKind(), Object2D::Kind::Rect);     // Upper: undirected
    EXPECT_EQ(legend.Item(2)->ObjectKind(), Object2D::Kind::Figure);   // Bottom, directed file: forward
    EXPECT_DOUBLE_EQ(Left(*legend.Item(0)), 75);
    EXPECT_DOUBLE_EQ(TopOf(static_cast<const RectShape&>(*legend.Item(0))), 51);
    const auto& thirdName = static_cast<const StringShape&>(*legend.Item(5));
    EXPECT_EQ(thirdName.Text(), "entry 2");
    EXPECT_DOUBLE_EQ(thirdName.Y(), 45 + 24 + 12);
}

TEST(LinearPreview, LeavesTheViewsPictureAlone)
{
    TestMarkerFiles files;
    CFileData* data = files.Load({{10, 20, "m", "+", "a"}});
    auto view = BareView(0, 200, 100);
    view->SetDrawLegendTitle(true);
    view->Add(data, "m", "m", CLinearViewConfig::kBottom, 0, kRed);
    view->MakeViewImage();
    const CStripedVectorImage* picture = view->StripedImage();
    const int stripes = picture->Count();
    const int rowItems = picture->NthImage(-1)->Count();

    view->MakePreviewImage();
    EXPECT_EQ(view->StripedImage(), picture);
    EXPECT_EQ(picture->Count(), stripes);
    EXPECT_EQ(picture->NthImage(-1)->Count(), rowItems);

    auto fresh = PreviewView();
    fresh->SetDrawLegendTitle(true);
    fresh->MakePreviewImage();
    EXPECT_EQ(fresh->StripedImage(), nullptr);
}
