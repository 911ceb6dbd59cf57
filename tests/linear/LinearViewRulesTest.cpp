#include "linear/MLinearViewRules.h"

#include "core/CFileData.h"
#include "linear/CLinearViewConfig.h"
#include "tests/support/TestPaths.h"

#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

// The KL34 locus: 19 CDS, largest location 21428.
std::unique_ptr<CFileData> Kl34()
{
    auto data = std::make_unique<CFileData>();
    data->SetFile(QFileInfo(TestPaths::SampleData("klebsiella_KL34_cds.tsv")));
    EXPECT_EQ(data->LoadData(), "");
    for (int role = 0; role < CFileData::kRoleCount; ++role)
        data->SetConfig(role, role);
    data->Finalize();
    return data;
}

MLinearViewRules::OptionsInput ValidInput()
{
    MLinearViewRules::OptionsInput input;
    input.mTitle = "KL34";
    input.mLegendTitle = "Legend";
    input.mGenomeLength = "21428";
    input.mStart = "0";
    input.mEnd = "21428";
    input.mScaleIndex = MLinearViewRules::ScaleIndex(5000);
    return input;
}

TEST(LinearViewRulesTest, ScaleListShowsTheSmallestListedScaleNotBelow)
{
    ASSERT_EQ(MLinearViewRules::ScaleLabels().size(), 19);
    ASSERT_EQ(MLinearViewRules::ScaleValues().size(), 19);
    struct Case {
        int32_t scale;
        const char* label;
    };
    const Case cases[] = {{100000, "100K"}, {150, "200"}, {10, "10"},        {1, "10"},
                          {-5, "10"},       {1001, "2K"}, {10000000, "10M"}, {99999999, "10M"}};
    for (const Case& c : cases) {
        const int index = MLinearViewRules::ScaleIndex(c.scale);
        EXPECT_EQ(MLinearViewRules::ScaleLabels().at(index), c.label) << c.scale;
        EXPECT_GE(MLinearViewRules::ScaleValues().at(index), std::min(c.scale, 10000000));
    }
}

TEST(LinearViewRulesTest, UpperMarkersHaveNoType)
{
    EXPECT_FALSE(MLinearViewRules::TypeSelectable(CLinearViewConfig::kUpper));
    EXPECT_TRUE(MLinearViewRules::TypeSelectable(CLinearViewConfig::kBottom));
    EXPECT_EQ(MLinearViewRules::TypeForSide(CLinearViewConfig::kUpper, CLinearViewConfig::kArrow),
              CLinearViewConfig::kRectangle);
    EXPECT_EQ(MLinearViewRules::TypeForSide(CLinearViewConfig::kBottom, CLinearViewConfig::kArrow),
              CLinearViewConfig::kArrow);
}

TEST(LinearViewRulesTest, ValidInputIsStoredAndAnEndAtTheDataEndStaysOpen)
{
    auto data = Kl34();
    CLinearViewConfig view("old");
    view.Add(data.get(), "wzi", "wzi", CLinearViewConfig::kBottom, CLinearViewConfig::kArrow, 0xFF0000);
    auto input = ValidInput();
    input.mTitle = " KL34 locus ";
    input.mDrawMarkerNames = false;
    input.mStart = "1000";
    const CViewInputCheck check = MLinearViewRules::StoreOptions(view, input);
    ASSERT_TRUE(check.Passed()) << check.mMessage.toStdString();
    EXPECT_EQ(view.Name(), "KL34 locus");
    EXPECT_FALSE(view.DrawMarkerNames());
    EXPECT_EQ(view.GenomeLength(), 21428);
    EXPECT_EQ(view.StartLocate(), 1000);
    EXPECT_EQ(view.Scale(), 5000);
    EXPECT_EQ(view.EndLocate(), 21428);

    // More data later: the open end follows it, a typed end does not.
    auto more = std::make_unique<CFileData>();
    more->SetFile(QFileInfo(TestPaths::SampleData("human_hg19_chr1_bands.tsv")));
    ASSERT_EQ(more->LoadData(), "");
    for (int role = 0; role < 3; ++role)
        more->SetConfig(role, role);
    more->Finalize();
    view.Add(more.get(), "gneg", "gneg", CLinearViewConfig::kUpper, CLinearViewConfig::kRectangle, 0);
    EXPECT_EQ(view.EndLocate(), 249250621);

    input.mGenomeLength = "249250621";
    input.mEnd = "20000";
    ASSERT_TRUE(MLinearViewRules::StoreOptions(view, input).Passed());
    EXPECT_EQ(view.EndLocate(), 20000);
}

TEST(LinearViewRulesTest, FirstFailingCheckWinsAndNamesItsField)
{
    using Input = MLinearViewRules::OptionsInput;
    struct Case {
        const char* what;
        void (*change)(Input&);
        const char* message;
        CViewInputCheck::Field field;
    };
    const Case cases[] = {
        {"blank title beats every other fault",
         [](Input& i) {
             i.mTitle = "  ";
             i.mGenomeLength = "0";
             i.mEnd = "-1";
         },
         "View Title field is empty. Set any title of this view.", CViewInputCheck::kTitleField},
        {"blank legend heading", [](Input& i) { i.mLegendTitle = " "; },
         "Legend Title field is empty. Set any title of Legend.", CViewInputCheck::kLegendTitleField},
        {"zero length", [](Input& i) { i.mGenomeLength = "0"; }, "Genome Length is invalid.",
         CViewInputCheck::kGenomeLengthField},
        {"end before start", [](Input& i) { i.mStart = "5000"; i.mEnd = "4000"; }, "Locate range is invalid.",
         CViewInputCheck::kStartField},
        {"end one beyond the genome", [](Input& i) { i.mEnd = "21429"; }, "Locate range is invalid.",
         CViewInputCheck::kEndField},
        {"range of no length", [](Input& i) { i.mStart = "700"; i.mEnd = "700"; }, "Locate range is invalid.",
         CViewInputCheck::kStartField},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CLinearViewConfig view("old");
        Input input = ValidInput();
        c.change(input);
        const CViewInputCheck check = MLinearViewRules::StoreOptions(view, input);
        EXPECT_EQ(check.mMessage, c.message);
        EXPECT_EQ(check.mField, c.field);
    }
    // A legend that is not drawn needs no heading.
    CLinearViewConfig view("old");
    Input input = ValidInput();
    input.mDrawLegendTitle = false;
    input.mLegendTitle = "";
    EXPECT_TRUE(MLinearViewRules::StoreOptions(view, input).Passed());
}

TEST(LinearViewRulesTest, TitlesAndLengthStayStoredWhenTheRangeFails)
{
    CLinearViewConfig view("old");
    view.SetStartLocate(10);
    view.SetScale(200);
    auto input = ValidInput();
    input.mTitle = "New";
    input.mDrawMarkerNames = false;
    input.mGenomeLength = "3000";
    input.mEnd = "4000";
    EXPECT_FALSE(MLinearViewRules::StoreOptions(view, input).Passed());
    EXPECT_EQ(view.Name(), "New");
    EXPECT_FALSE(view.DrawMarkerNames());
    EXPECT_EQ(view.GenomeLength(), 3000);
    EXPECT_EQ(view.StartLocate(), 10) << "the range is stored only when it is valid";
    EXPECT_EQ(view.Scale(), 200);
}

}  // namespace
