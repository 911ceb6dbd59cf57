#include "core/MImportRules.h"

#include "core/CFileData.h"
#include "core/MTextFile.h"
#include "tests/core/TempDataFolder.h"
#include "tests/support/TestPaths.h"

#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

const QString kNonNumeric = "No such data type.\nPlease select a numeric data.";

std::unique_ptr<CFileData> LoadedFrom(const QString& path)
{
    auto data = std::make_unique<CFileData>();
    const QFileInfo info(path);
    EXPECT_EQ(MImportRules::LoadSource(*data, info.absolutePath(), info.fileName()), "");
    return data;
}

TEST(MImportRulesTest, LoadSourceTrimsSpacesAndReportsTheDataFileMessages)
{
    TempDataFolder folder;
    folder.Write("markers.tsv", "start\tend\tclass\n1\t5\ta\n");
    CFileData data;
    EXPECT_EQ(MImportRules::LoadSource(data, "  " + folder.Folder() + " ", " markers.tsv  "), "");
    EXPECT_EQ(data.Name(), "markers.tsv");
    EXPECT_EQ(data.RowCount(), 1);

    CFileData missing;
    EXPECT_EQ(MImportRules::LoadSource(missing, folder.Folder(), "absent.tsv"), "Your selected file is not found!!");
    CFileData twoColumns;
    folder.Write("two.tsv", "start\tend\n1\t2\n");
    EXPECT_EQ(MImportRules::LoadSource(twoColumns, folder.Folder(), "two.tsv"), "Your selected file is not a usable!!");
}

TEST(MImportRulesTest, LocationRolesTakeOnlyIntegerColumns)
{
    TempDataFolder folder;
    // Columns: whole numbers, a negative number, a fraction, text.
    const QString path = folder.Write("kinds.tsv", "whole\tnegative\tfraction\tclass\n"
                                                   "10\t-5\t1.5\tgene\n"
                                                   "20\t7\t2\trRNA\n");
    auto data = LoadedFrom(path);
    for (const int role : {int(CFileData::kRoleStart), int(CFileData::kRoleEnd)}) {
        SCOPED_TRACE(role);
        for (const int column : {1, 2, 3}) {
            EXPECT_EQ(MImportRules::AssignRole(*data, role, column), kNonNumeric) << column;
            EXPECT_EQ(data->Config(role), -1) << "a refused column leaves the role as it was";
        }
        EXPECT_EQ(MImportRules::AssignRole(*data, role, 0), "");
        EXPECT_EQ(data->Config(role), 0);
        // A refused column does not undo an earlier assignment.
        EXPECT_EQ(MImportRules::AssignRole(*data, role, 3), kNonNumeric);
        EXPECT_EQ(data->Config(role), 0);
    }
    // Class, direction and name take any column, also one already in use.
    for (const int role : {int(CFileData::kRoleClass), int(CFileData::kRoleDirection), int(CFileData::kRoleName)}) {
        EXPECT_EQ(MImportRules::AssignRole(*data, role, 0), "");
        EXPECT_EQ(data->Config(role), 0);
    }
}

TEST(MImportRulesTest, WithoutHeadingTheTitleRowMakesColumnsText)
{
    auto data = LoadedFrom(TestPaths::SampleData("klebsiella_KL34_cds.tsv"));
    EXPECT_EQ(MImportRules::AssignRole(*data, CFileData::kRoleStart, 0), "");
    data->SetHasHeading(false);
    EXPECT_EQ(MImportRules::AssignRole(*data, CFileData::kRoleEnd, 1), kNonNumeric);
}

TEST(MImportRulesTest, RequiredRolesAreStartEndAndClass)
{
    auto data = LoadedFrom(TestPaths::SampleData("klebsiella_KL34_cds.tsv"));
    EXPECT_FALSE(MImportRules::RequiredRolesAssigned(*data));
    data->SetConfig(CFileData::kRoleDirection, 3);
    data->SetConfig(CFileData::kRoleName, 4);
    data->SetConfig(CFileData::kRoleStart, 0);
    data->SetConfig(CFileData::kRoleEnd, 1);
    EXPECT_FALSE(MImportRules::RequiredRolesAssigned(*data)) << "class is still missing";
    data->SetConfig(CFileData::kRoleClass, 2);
    EXPECT_TRUE(MImportRules::RequiredRolesAssigned(*data));
    data->SetConfig(CFileData::kRoleStart, -1);
    EXPECT_FALSE(MImportRules::RequiredRolesAssigned(*data));
}

TEST(MImportRulesTest, SeparatorGivingTooFewColumnsIsRefused)
{
    TempDataFolder folder;
    // Comma-separated, but the first field holds tabs: tab gives 2 columns.
    const QString path = folder.Write("mixed.csv", "a\tb,start,end,class\nx\ty,1,5,gene\n");
    auto data = LoadedFrom(path);
    ASSERT_EQ(data->SeparatorType(), MTextFile::kSeparatorComma);
    EXPECT_FALSE(MImportRules::ChooseSeparator(*data, MTextFile::kSeparatorTab));
    EXPECT_EQ(data->SeparatorType(), MTextFile::kSeparatorComma);
    EXPECT_EQ(data->ColumnCount(), 4);
    EXPECT_TRUE(MImportRules::ChooseSeparator(*data, MTextFile::kSeparatorComma));

    auto tabFile = LoadedFrom(TestPaths::SampleData("klebsiella_KL34_cds.tsv"));
    EXPECT_FALSE(MImportRules::ChooseSeparator(*tabFile, MTextFile::kSeparatorComma));
    EXPECT_EQ(tabFile->SeparatorType(), MTextFile::kSeparatorTab);
}

TEST(MImportRulesTest, FinishRefusesLocationsBeyondThirtyTwoBits)
{
    auto data = LoadedFrom(TestPaths::SampleData("human_hg19_all_bands.csv"));
    for (int role = 0; role < 3; ++role)
        data->SetConfig(role, role);
    EXPECT_TRUE(MImportRules::RequiredRolesAssigned(*data));
    EXPECT_NE(MImportRules::CheckFinish(*data), "");

    auto chr1 = LoadedFrom(TestPaths::SampleData("human_hg19_chr1_bands.tsv"));
    for (int role = 0; role < 3; ++role)
        chr1->SetConfig(role, role);
    EXPECT_EQ(MImportRules::CheckFinish(*chr1), "");
}

TEST(MImportRulesTest, UnitNamesRoundTrip)
{
    EXPECT_EQ(MImportRules::UnitName(CFileData::kUnitBp), "bp");
    EXPECT_EQ(MImportRules::UnitName(CFileData::kUnitKbp), "kbp");
    EXPECT_EQ(MImportRules::UnitFromName("bp"), CFileData::kUnitBp);
    EXPECT_EQ(MImportRules::UnitFromName("kbp"), CFileData::kUnitKbp);
    EXPECT_EQ(MImportRules::UnitFromName("Mbp"), -1);
    EXPECT_EQ(MImportRules::UnitFromName(""), -1);
}

}  // namespace
