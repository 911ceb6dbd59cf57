#include "ProjectTestSupport.h"

#include "core/CFileData.h"
#include "project/CProject.h"
#include "views/CCircleViewConfig.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <limits>

using namespace ProjectTestSupport;

namespace {

constexpr std::array<int, 5> kNoName = {0, 1, 2, -1, -1};
constexpr std::array<int, 5> kWithName = {0, 1, 2, 3, 4};

class ProjectDocument : public ::testing::Test
{
protected:
    std::unique_ptr<CFileData> Klebsiella(std::array<int, 5> roles = kWithName)
    {
        return LoadDataFile(TestPaths::SampleData("klebsiella_KL34_cds.tsv"), roles);
    }
    std::unique_ptr<CFileData> Tiny()
    {
        const QString path = WriteTextFile(mDir, QStringLiteral("tiny.tsv"),
                                           "start\tend\tclass\n1\t10\tA\n20\t30\tB\n");
        return LoadDataFile(path, kNoName);
    }

    QTemporaryDir mDir;
};

TEST_F(ProjectDocument, NewProjectIsEmptyAndNumbersFromZero)
{
    CProject project;
    EXPECT_EQ(project.FileCount(), 0);
    EXPECT_EQ(project.ViewCount(), 0);
    EXPECT_FALSE(project.Modified());
    EXPECT_FALSE(project.MakerNameAssigned());
    EXPECT_EQ(project.NextFileNumber(), 0);
    EXPECT_EQ(project.NextFileNumber(), 1);
    EXPECT_EQ(project.NextFileNumber(), 2);
    EXPECT_EQ(project.NextNewCircleViewNumber(), 0);
    EXPECT_EQ(project.NextNewCircleViewNumber(), 1);
    EXPECT_EQ(project.NextNewLinearViewNumber(), 0);
    // Handing out numbers is not a change of the document.
    EXPECT_FALSE(project.Modified());
}

TEST_F(ProjectDocument, ImportedFilesAreNumberedSelectedAndFinalized)
{
    CProject project;
    EXPECT_EQ(project.AddImportedFile(Tiny()), 0);
    EXPECT_EQ(project.AddImportedFile(Klebsiella()), 1);
    EXPECT_TRUE(project.Modified());
    EXPECT_EQ(project.File(0)->FileNumber(), 0);
    EXPECT_EQ(project.File(1)->FileNumber(), 1);
    EXPECT_TRUE(project.FileSelected(0));
    EXPECT_EQ(project.FileFlags(1), CProject::kFileSelectedFlag);
    // Finalize ran: classes and largest location are known.
    EXPECT_EQ(project.File(0)->ClassCount(), 2);
    EXPECT_EQ(project.File(0)->MaximumLocate(), 30);
    EXPECT_EQ(project.FileByFileNumber(1), project.File(1));
}

TEST_F(ProjectDocument, RemovedNumbersAreNotReused)
{
    CProject project;
    for (int i = 0; i < 3; ++i)
        project.AddImportedFile(Tiny());
    auto view = std::make_unique<CCircleViewConfig>(QStringLiteral("v"));
    view->Add(project.File(1), QStringLiteral("A"), QStringLiteral("A"), 0, 0xFF0000);
    CViewConfig* viewPtr = view.get();
    project.AddView(std::move(view));

    project.RemoveFile(1);
    EXPECT_EQ(project.FileCount(), 2);
    EXPECT_EQ(project.File(1)->FileNumber(), 2);
    EXPECT_EQ(project.FileByFileNumber(1), nullptr);
    EXPECT_EQ(project.AddImportedFile(Tiny()), 2);
    EXPECT_EQ(project.File(2)->FileNumber(), 3);

    // The view keeps its entry of the removed file, and the file object it
    // points at is still alive (ASan would report a use after free here).
    ASSERT_EQ(viewPtr->Count(), 1);
    EXPECT_EQ(viewPtr->File(0)->ClassCount(), 2);
    std::vector<CMarkerData> markers;
    viewPtr->PickUpMarkerData(markers);
}

TEST_F(ProjectDocument, LookupsOfUnknownFilesFindNothing)
{
    CProject project;
    project.AddImportedFile(Tiny());
    CProject other;
    for (int i = 0; i < 5; ++i)
        other.AddImportedFile(Tiny());
    EXPECT_EQ(project.FileByFileNumber(4), nullptr);
    EXPECT_EQ(project.IndexOfFile(other.File(4)), -1);
    // Same number in another project: the index of this project's file.
    EXPECT_EQ(project.IndexOfFile(other.File(0)), 0);
}

TEST_F(ProjectDocument, MarkerNameAssignedFollowsTheFiles)
{
    CProject project;
    EXPECT_FALSE(project.MakerNameAssigned());
    project.AddImportedFile(Klebsiella(kNoName));
    EXPECT_FALSE(project.MakerNameAssigned());
    project.AddImportedFile(Klebsiella(kWithName));
    EXPECT_TRUE(project.MakerNameAssigned());

    std::unique_ptr<CFileData> edited = project.File(1)->Clone();
    edited->SetConfig(CFileData::kRoleName, -1);
    project.ReplaceFile(1, std::move(edited));
    EXPECT_FALSE(project.MakerNameAssigned());
}

TEST_F(ProjectDocument, ReplacingAnEditedFilePointsEveryViewAtTheCopy)
{
    CProject project;
    project.AddImportedFile(Tiny());
    project.AddImportedFile(Klebsiella());
    project.RemoveFile(0);  // the edited file is not at index == number
    CFileData* original = project.File(0);
    auto circle = std::make_unique<CCircleViewConfig>(QStringLiteral("c"));
    for (int c = 0; c < 3; ++c)
        circle->Add(original, original->ClassName(c), original->ClassName(c), c, 0x00FF00);
    auto linear = MakeLinearView(original, QStringLiteral("l"));
    CViewConfig* circlePtr = circle.get();
    CViewConfig* linearPtr = linear.get();
    project.AddView(std::move(circle));
    project.AddView(std::move(linear));
    SaveContent(project);  // clears the modified flag
    EXPECT_FALSE(project.Modified());
    const qint64 maximumInBp = original->MaximumLocate();

    std::unique_ptr<CFileData> edited = original->Clone();
    edited->SetUnit(CFileData::kUnitKbp);
    CFileData* editedPtr = edited.get();
    project.ReplaceFile(0, std::move(edited));

    EXPECT_TRUE(project.Modified());
    EXPECT_EQ(project.File(0), editedPtr);
    EXPECT_EQ(project.FileByFileNumber(1), editedPtr);
    EXPECT_EQ(project.File(0)->FileNumber(), 1);
    EXPECT_TRUE(project.FileSelected(0));
    // Finalize ran on the copy: its locations are now kbp.
    EXPECT_EQ(project.File(0)->MaximumLocate(), maximumInBp * 1000);
    for (CViewConfig* view : {circlePtr, linearPtr}) {
        for (int i = 0; i < view->Count(); ++i)
            EXPECT_EQ(view->File(i), editedPtr);
    }
    // Entries keep their classes even where the edit changed the file.
    EXPECT_EQ(circlePtr->Count(), 3);
}

TEST_F(ProjectDocument, AddViewMarksModifiedAndCloseEmpties)
{
    CProject project;
    project.AddImportedFile(Tiny());
    SaveContent(project);
    EXPECT_FALSE(project.Modified());
    project.AddView(MakeCircleView(project.File(0), QStringLiteral("Circle View")));
    EXPECT_TRUE(project.Modified());
    EXPECT_EQ(project.ViewCount(), 1);

    project.Close();
    EXPECT_EQ(project.FileCount(), 0);
    EXPECT_EQ(project.ViewCount(), 0);
}

TEST_F(ProjectDocument, RestoredCounterSkipsNumbersInUseAndWraps)
{
    // Files numbered 2 and 3; the stored counter is then set by hand.
    CProject source;
    for (int i = 0; i < 4; ++i)
        source.AddImportedFile(Tiny());
    source.RemoveFile(0);
    source.RemoveFile(0);
    const QByteArray content = SaveContent(source);
    const std::vector<Block> blocks = FindBlocks(content);
    const qsizetype counterAt = NthBlock(blocks, "fdat", 1).bodyEnd + 4;  // after the flag word
    ASSERT_EQ(Int32At(content, counterAt), 4);

    struct Case {
        qint32 storedCounter;
        std::vector<qint32> expected;
    };
    const Case cases[] = {
        {2, {4, 5}},
        {0, {0, 1, 4}},
        {std::numeric_limits<qint32>::max(), {std::numeric_limits<qint32>::max(), 0, 1, 4}},
    };
    for (const Case& c : cases) {
        QByteArray patched = content;
        SetInt32At(patched, counterAt, c.storedCounter);
        CProject project;
        ASSERT_EQ(RestoreContent(patched, project), QString());
        EXPECT_FALSE(project.Modified());
        for (qint32 expected : c.expected)
            EXPECT_EQ(project.NextFileNumber(), expected) << "stored counter " << c.storedCounter;
    }
}

}  // namespace
