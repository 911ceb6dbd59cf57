#include "project/MNewView.h"
#include "project/MProjectMessage.h"

#include "core/CFileData.h"
#include "linear/CLinearViewConfig.h"
#include "project/CProject.h"
#include "tests/support/TestPaths.h"
#include "views/CCircleViewConfig.h"

#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

std::unique_ptr<CFileData> Loaded(const char* sample, bool withNames)
{
    auto data = std::make_unique<CFileData>();
    data->SetFile(QFileInfo(TestPaths::SampleData(sample)));
    EXPECT_EQ(data->LoadData(), "");
    for (int role = 0; role < 3; ++role)
        data->SetConfig(role, role);
    if (withNames)
        data->SetConfig(CFileData::kRoleName, 3);
    return data;
}

TEST(NewViewTest, ViewsAreNumberedPerKindFromTheProjectCounters)
{
    CProject project;
    std::vector<QString> circles;
    for (int i = 0; i < 3; ++i)
        circles.push_back(MNewView::NewCircleView(project)->Name());
    EXPECT_EQ(circles, (std::vector<QString>{"Circle View", "Circle View #1", "Circle View #2"}));
    // Linear views count separately; a dropped view still used its number.
    EXPECT_EQ(MNewView::NewLinearView(project)->Name(), "Linear View");
    EXPECT_EQ(MNewView::NewLinearView(project)->Name(), "Linear View #1");
    EXPECT_EQ(MNewView::NewCircleView(project)->Name(), "Circle View #3");
    EXPECT_EQ(MNewView::ViewName("Circle", -4), "Circle View");
    EXPECT_EQ(MNewView::ViewName("Linear", 12), "Linear View #12");
}

TEST(NewViewTest, LinearViewStartsWithoutNamesWhenNoFileHasANameColumn)
{
    CProject project;
    project.AddImportedFile(Loaded("human_hg19_chr1_bands.tsv", false));
    EXPECT_FALSE(MNewView::NewLinearView(project)->DrawMarkerNames());
    project.AddImportedFile(Loaded("klebsiella_KL34_cds.tsv", true));
    EXPECT_TRUE(MNewView::NewLinearView(project)->DrawMarkerNames());
}

TEST(NewViewTest, WizardsOfferTheSelectedFilesInProjectOrder)
{
    CProject project;
    EXPECT_TRUE(MNewView::FilesForViews(project).isEmpty());
    project.AddImportedFile(Loaded("human_hg19_chr1_bands.tsv", false));
    project.AddImportedFile(Loaded("klebsiella_KL34_cds.tsv", false));
    const QList<CFileData*> files = MNewView::FilesForViews(project);
    ASSERT_EQ(files.size(), 2);
    EXPECT_EQ(files[0], project.File(0));
    EXPECT_EQ(files[1], project.File(1));
}

TEST(ProjectMessageTest, PlaceOfAFileFailureGoesInParenthesesOnASecondLine)
{
    struct Case {
        QString message;
        QString shown;
    };
    const Case cases[] = {
        {QStringLiteral("ReadError") + QChar(0) + QStringLiteral("FileData.12"), "ReadError\n(FileData.12)"},
        {"Open Error", "Open Error"},
        {"", ""},
        {QStringLiteral("WriteError") + QChar(0), "WriteError\n()"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MProjectMessage::DisplayText(c.message), c.shown);
}

}  // namespace
