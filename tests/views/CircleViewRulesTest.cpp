#include "views/MCircleViewRules.h"
#include "views/MViewRules.h"

#include "core/CFileData.h"
#include "tests/support/TestPaths.h"
#include "views/CCircleViewConfig.h"

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

MCircleViewRules::OptionsInput ValidInput()
{
    MCircleViewRules::OptionsInput input;
    input.mTitle = "KL34";
    input.mLegendTitle = "Legend";
    input.mGenomeLength = "21428";
    input.mScaleDivides = 10;
    return input;
}

TEST(ViewRulesTest, FieldIntegerReadsTheLeadingNumberWithoutWrapping)
{
    struct Case {
        const char* text;
        int32_t value;
    };
    const Case cases[] = {
        {"900", 900},         {"  42 bp", 42},   {"12.9", 12},           {"-7", -7},
        {"abc", 0},           {"", 0},           {"1e3", 1000},          {"4294967297", 2147483647},
        {"-99999999999", -2147483647 - 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MViewRules::FieldInteger(QString::fromLatin1(c.text)), c.value) << c.text;
}

TEST(ViewRulesTest, GenomeLengthFieldFollowsTheDataUntilALengthIsSet)
{
    auto data = Kl34();
    CCircleViewConfig view("v");
    EXPECT_EQ(MViewRules::GenomeLengthField(view), -1) << "a new view shows -1 until an entry is added";
    view.Add(data.get(), "wzi", "wzi", 0, 0xFF0000);
    EXPECT_EQ(MViewRules::GenomeLengthFieldAfterAdd(-1, view), 21428);
    EXPECT_EQ(MViewRules::GenomeLengthFieldAfterAdd(30000, view), 30000) << "a larger length the user typed stays";
    view.SetGenomeLength(25000);
    EXPECT_EQ(MViewRules::GenomeLengthField(view), 25000);
}

TEST(CircleViewRulesTest, DividesPopupSelectsTheFirstRowNotBelow)
{
    struct Case {
        int32_t divides;
        int row;
    };
    const Case cases[] = {{1, 0}, {5, 0}, {6, 1}, {8, 1}, {10, 1}, {20, 2}, {25, 2}, {-3, 0}};
    for (const Case& c : cases)
        EXPECT_EQ(MCircleViewRules::ScaleDividesRow(c.divides), c.row) << c.divides;
}

TEST(CircleViewRulesTest, ValidInputIsStored)
{
    CCircleViewConfig view("old");
    auto input = ValidInput();
    input.mTitle = "  KL34 locus  ";
    input.mLegendTitle = " Families ";
    input.mDrawTitle = false;
    input.mDrawScale = false;
    input.mScaleDivides = 20;
    input.mScaleLength = "500";
    const CViewInputCheck check = MCircleViewRules::StoreOptions(view, input);
    EXPECT_TRUE(check.Passed()) << check.mMessage.toStdString();
    EXPECT_EQ(view.Name(), "KL34 locus");
    EXPECT_EQ(view.LegendTitle(), " Families ") << "the legend heading is kept as typed";
    EXPECT_FALSE(view.DrawTitle());
    EXPECT_TRUE(view.DrawLegendTitle());
    EXPECT_EQ(view.GenomeLength(), 21428);
    EXPECT_FALSE(view.DrawScale());
    EXPECT_EQ(view.ScaleType(), 0);
    EXPECT_EQ(view.ScaleDivides(), 20);
    EXPECT_EQ(view.ScaleLength(), 500);

    input.mScaleByDivides = false;
    EXPECT_TRUE(MCircleViewRules::StoreOptions(view, input).Passed());
    EXPECT_EQ(view.ScaleType(), 1);
}

TEST(CircleViewRulesTest, FirstFailingCheckWinsAndNamesItsField)
{
    using Input = MCircleViewRules::OptionsInput;
    struct Case {
        const char* what;
        void (*change)(Input&);
        const char* message;
        CViewInputCheck::Field field;
    };
    const Case cases[] = {
        {"blank title beats every other fault",
         [](Input& i) {
             i.mTitle = "   ";
             i.mGenomeLength = "0";
             i.mLegendTitle = "";
         },
         "View Title field is empty. Set any title of this view.", CViewInputCheck::kTitleField},
        {"blank legend heading while drawn", [](Input& i) { i.mLegendTitle = "  "; },
         "Legend Title field is empty. Set any title of Legend.", CViewInputCheck::kLegendTitleField},
        {"zero length", [](Input& i) { i.mGenomeLength = "0"; }, "Genome Length is invalid.",
         CViewInputCheck::kGenomeLengthField},
        {"length not a number", [](Input& i) { i.mGenomeLength = "long"; }, "Genome Length is invalid.",
         CViewInputCheck::kGenomeLengthField},
        {"negative length", [](Input& i) { i.mGenomeLength = "-5"; }, "Genome Length is invalid.",
         CViewInputCheck::kGenomeLengthField},
        {"zero scale length with the scale off",
         [](Input& i) {
             i.mScaleByDivides = false;
             i.mDrawScale = false;
             i.mScaleLength = "0";
         },
         "Scale Length is invalid. Enter correct value.", CViewInputCheck::kScaleLengthField},
        {"empty scale length", [](Input& i) { i.mScaleByDivides = false; },
         "Scale Length is invalid. Enter correct value.", CViewInputCheck::kScaleLengthField},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CCircleViewConfig view("old");
        Input input = ValidInput();
        c.change(input);
        const CViewInputCheck check = MCircleViewRules::StoreOptions(view, input);
        EXPECT_EQ(check.mMessage, c.message);
        EXPECT_EQ(check.mField, c.field);
    }
}

TEST(CircleViewRulesTest, WhatPrecedesAFailureStaysStored)
{
    CCircleViewConfig view("old");
    auto input = ValidInput();
    input.mTitle = "   ";
    EXPECT_FALSE(MCircleViewRules::StoreOptions(view, input).Passed());
    EXPECT_EQ(view.Name(), "old") << "a blank title stores nothing";

    input = ValidInput();
    input.mDrawLegendTitle = true;
    input.mLegendTitle = "";
    input.mTitle = "New";
    EXPECT_FALSE(MCircleViewRules::StoreOptions(view, input).Passed());
    EXPECT_EQ(view.Name(), "New");
    EXPECT_EQ(view.GenomeLength(), -1) << "the length comes after the legend check";

    input = ValidInput();
    input.mGenomeLength = "0";
    EXPECT_FALSE(MCircleViewRules::StoreOptions(view, input).Passed());
    EXPECT_EQ(view.GenomeLength(), 0);
}

TEST(CircleViewRulesTest, InputFromViewShowsTheView)
{
    auto data = Kl34();
    CCircleViewConfig view("Circle View");
    view.Add(data.get(), "wzi", "wzi", 0, 0xFF0000);
    view.SetScaleDivides(8);
    MCircleViewRules::OptionsInput input = MCircleViewRules::InputFromView(view);
    EXPECT_EQ(input.mTitle, "Circle View");
    EXPECT_EQ(input.mGenomeLength, "21428");
    EXPECT_EQ(input.mLegendTitle, "Legend");
    EXPECT_EQ(input.mScaleDivides, 10);
    EXPECT_TRUE(input.mScaleByDivides);
    EXPECT_EQ(input.mScaleLength, "") << "no scale length below 1 is shown";
    // Storing the page unchanged is valid and changes nothing visible.
    EXPECT_TRUE(MCircleViewRules::StoreOptions(view, input).Passed());
    EXPECT_EQ(view.GenomeLength(), 21428);
}

}  // namespace
