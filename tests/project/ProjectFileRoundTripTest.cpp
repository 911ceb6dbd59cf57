#include "ProjectTestSupport.h"

#include "core/MTextFile.h"
#include "project/MProjectFile.h"
#include "storage/CBinaryFileTool.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace ProjectTestSupport;

namespace {

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.readAll();
}

void ExpectSameFile(const CFileData& a, const CFileData& b)
{
    SCOPED_TRACE(a.Name().toStdString());
    EXPECT_EQ(a.Name(), b.Name());
    EXPECT_EQ(a.DirPath(), b.DirPath());
    EXPECT_EQ(a.FileNumber(), b.FileNumber());
    EXPECT_EQ(a.HasHeading(), b.HasHeading());
    EXPECT_EQ(a.SeparatorType(), b.SeparatorType());
    EXPECT_EQ(a.Unit(), b.Unit());
    for (int role = 0; role < CFileData::kRoleCount; ++role) {
        EXPECT_EQ(a.Config(role), b.Config(role));
        EXPECT_EQ(a.ConfigName(role), b.ConfigName(role));
    }
    ASSERT_TRUE(a.Table() && b.Table());
    const CTable& ta = *a.Table();
    const CTable& tb = *b.Table();
    ASSERT_EQ(ta.RowCount(), tb.RowCount());
    ASSERT_EQ(ta.ColumnCount(), tb.ColumnCount());
    for (int c = 0; c < ta.ColumnCount(); ++c) {
        EXPECT_EQ(ta.ColumnType(c), tb.ColumnType(c));
        EXPECT_EQ(a.DataType(c), b.DataType(c));
    }
    for (int r = 0; r < ta.RowCount(); ++r) {
        for (int c = 0; c < ta.ColumnCount(); ++c)
            ASSERT_EQ(ta.ItemUtf8(r, c), tb.ItemUtf8(r, c)) << "row " << r << " column " << c;
    }
    EXPECT_TRUE(b.Loaded());
    EXPECT_FALSE(b.Modified());
    ASSERT_EQ(a.ClassCount(), b.ClassCount());
    for (int k = 0; k < a.ClassCount(); ++k) {
        EXPECT_EQ(a.ClassName(k), b.ClassName(k));
        EXPECT_EQ(a.CountSpecifiedClass(k), b.CountSpecifiedClass(k));
    }
    EXPECT_EQ(a.MaximumLocate(), b.MaximumLocate());
}

void ExpectSameView(CViewConfig& a, CViewConfig& b, const CProject& restored)
{
    SCOPED_TRACE(a.Name().toStdString());
    EXPECT_TRUE(a.IsEqual(b));
    EXPECT_EQ(a.Name(), b.Name());
    EXPECT_EQ(a.DrawTitle(), b.DrawTitle());
    EXPECT_EQ(a.DrawLegendTitle(), b.DrawLegendTitle());
    EXPECT_EQ(a.LegendTitle(), b.LegendTitle());
    EXPECT_EQ(a.GenomeLength(), b.GenomeLength());
    EXPECT_EQ(a.MaximumLocate(), b.MaximumLocate());
    EXPECT_EQ(a.LengthUnit(), b.LengthUnit());
    EXPECT_EQ(a.PrinterSetting(), b.PrinterSetting());
    ASSERT_EQ(a.Count(), b.Count());
    for (int i = 0; i < a.Count(); ++i) {
        EXPECT_EQ(a.ClassName(i), b.ClassName(i));
        EXPECT_EQ(a.LegendName(i), b.LegendName(i));
        EXPECT_EQ(a.Placement(i), b.Placement(i));
        EXPECT_EQ(a.DrawColor(i), b.DrawColor(i));
        // The entry refers to the restored project's file of that number.
        EXPECT_EQ(b.File(i), restored.FileByFileNumber(a.File(i)->FileNumber()));
    }
    if (auto* ca = dynamic_cast<CCircleViewConfig*>(&a)) {
        auto* cb = dynamic_cast<CCircleViewConfig*>(&b);
        ASSERT_TRUE(cb);
        EXPECT_EQ(ca->DrawScale(), cb->DrawScale());
        EXPECT_EQ(ca->ScaleType(), cb->ScaleType());
        EXPECT_EQ(ca->ScaleDivides(), cb->ScaleDivides());
        EXPECT_EQ(ca->ScaleLength(), cb->ScaleLength());
    }
    if (auto* la = dynamic_cast<CLinearViewConfig*>(&a)) {
        auto* lb = dynamic_cast<CLinearViewConfig*>(&b);
        ASSERT_TRUE(lb);
        EXPECT_EQ(la->DrawMarkerNames(), lb->DrawMarkerNames());
        EXPECT_EQ(la->StartLocate(), lb->StartLocate());
        EXPECT_EQ(la->EndLocate(), lb->EndLocate());
        EXPECT_EQ(la->Scale(), lb->Scale());
        EXPECT_EQ(la->MinimumRankCount(), lb->MinimumRankCount());
        EXPECT_EQ(la->MaximumRankCount(), lb->MaximumRankCount());
        EXPECT_EQ(la->PageWidth(), lb->PageWidth());
    }
    // The same map, pixel for pixel.
    const QImage before = Render(a);
    const QImage after = Render(b);
    EXPECT_EQ(before.size(), after.size());
    EXPECT_TRUE(before == after) << "the restored view draws a different map";
}

// Three real data files and one view of each kind on each of two of them.
class ProjectRoundTrip : public ::testing::Test
{
protected:
    void SetUp() override
    {
        mProject.AddImportedFile(LoadDataFile(TestPaths::SampleData("klebsiella_KL34_cds.tsv"), {0, 1, 2, 3, 4}));
        mProject.AddImportedFile(LoadDataFile(TestPaths::SampleData("human_hg19_chr1_bands.tsv"), {0, 1, 2, -1, 3}));
        mProject.AddImportedFile(LoadDataFile(TestPaths::SampleData("human_hg19_all_bands.csv"), {0, 1, 2, -1, 3},
                                              CFileData::kUnitKbp));
        mProject.RemoveFile(0);  // numbers 1 and 2 remain, counter at 3
        mProject.AddImportedFile(LoadDataFile(TestPaths::SampleData("klebsiella_KL34_cds.tsv"), {0, 1, 2, 3, 4}));
        mProject.AddView(MakeCircleView(mProject.File(0), QStringLiteral("Circle View")));
        mProject.AddView(MakeLinearView(mProject.File(2), QStringLiteral("Linear View")));
        mProject.AddView(MakeCircleView(mProject.File(2), QStringLiteral("Circle View #1")));
        mProject.AddView(MakeLinearView(mProject.File(1), QStringLiteral("Linear View #1")));
        mProject.NextNewCircleViewNumber();
        mProject.NextNewLinearViewNumber();
        mProject.NextNewLinearViewNumber();
    }

    void ExpectSameProject(const CProject& restored)
    {
        EXPECT_FALSE(restored.Modified());
        ASSERT_EQ(restored.FileCount(), mProject.FileCount());
        for (int i = 0; i < mProject.FileCount(); ++i) {
            ExpectSameFile(*mProject.File(i), *restored.File(i));
            EXPECT_EQ(mProject.FileFlags(i), restored.FileFlags(i));
        }
        EXPECT_EQ(restored.NextFileNumberCounter(), mProject.NextFileNumberCounter());
        EXPECT_EQ(restored.NextCircleViewNumberCounter(), mProject.NextCircleViewNumberCounter());
        EXPECT_EQ(restored.NextLinearViewNumberCounter(), mProject.NextLinearViewNumberCounter());
        EXPECT_EQ(restored.MakerNameAssigned(), mProject.MakerNameAssigned());
        ASSERT_EQ(restored.ViewCount(), mProject.ViewCount());
        for (int i = 0; i < mProject.ViewCount(); ++i)
            ExpectSameView(*mProject.View(i), *restored.View(i), restored);
    }

    QTemporaryDir mDir;
    CProject mProject;
};

TEST_F(ProjectRoundTrip, WholeProjectThroughAFile)
{
    const QString path = mDir.filePath(QStringLiteral("project.kyql"));
    qint64 shortened = 0;
    ASSERT_EQ(MProjectFile::Save(mProject, path, &shortened), QString());
    EXPECT_EQ(shortened, 0);
    EXPECT_FALSE(mProject.Modified());

    std::unique_ptr<CProject> restored;
    ASSERT_EQ(MProjectFile::Restore(path, restored), QString());
    ASSERT_TRUE(restored);
    // Saving the restored project gives the same bytes again (before the
    // comparisons below, which build pictures and cache column types).
    const QString again = mDir.filePath(QStringLiteral("again.kyql"));
    ASSERT_EQ(MProjectFile::Save(*restored, again), QString());
    EXPECT_TRUE(ReadAll(path) == ReadAll(again));
    ExpectSameProject(*restored);
    // Nothing but the two files is left in the folder.
    EXPECT_EQ(QDir(mDir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

TEST_F(ProjectRoundTrip, ViewEntriesOfMissingFilesAreDropped)
{
    // A view entry that names a file number the project does not have.
    auto view = MakeCircleView(mProject.File(0), QStringLiteral("Partly orphaned"));
    const int entries = view->Count();
    ASSERT_GE(entries, 3);
    CProject other;
    for (int i = 0; i < 8; ++i)
        other.NextFileNumber();
    other.AddImportedFile(LoadDataFile(TestPaths::SampleData("klebsiella_KL34_cds.tsv"), {0, 1, 2, 3, 4}));
    CFileData* stranger = other.File(0);
    ASSERT_EQ(stranger->FileNumber(), 8);
    view->Set(1, stranger, stranger->ClassName(0), QStringLiteral("gone"), 0, 0x000000);
    mProject.AddView(std::move(view));

    CProject restored;
    ASSERT_EQ(RestoreContent(SaveContent(mProject), restored), QString());
    CViewConfig* back = restored.View(restored.ViewCount() - 1);
    ASSERT_EQ(back->Count(), entries - 1);
    CViewConfig* front = mProject.View(mProject.ViewCount() - 1);
    EXPECT_EQ(back->LegendName(0), front->LegendName(0));
    for (int i = 1; i < back->Count(); ++i)
        EXPECT_EQ(back->LegendName(i), front->LegendName(i + 1));
}

TEST(ProjectFileCells, LongCellsAreShortenedToWholeCharactersAndCounted)
{
    QTemporaryDir dir;
    const QByteArray twoByte = QString(150, QChar(0x00E9)).toUtf8();     // 300 bytes
    const QByteArray threeByte = QString(90, QChar(0x20AC)).toUtf8();    // 270 bytes
    const QByteArray fits = QByteArray(255, 'a');
    const QString path = WriteTextFile(dir, QStringLiteral("long.tsv"),
                                       "start\tend\tclass\tname\n1\t2\tA\t" + twoByte + "\n3\t4\tB\t" + threeByte
                                           + "\n5\t6\tC\t" + fits + "\n");
    CProject project;
    project.AddImportedFile(LoadDataFile(path, {0, 1, 2, -1, 3}));

    const QString target = dir.filePath(QStringLiteral("long.kyql"));
    qint64 shortened = 0;
    ASSERT_EQ(MProjectFile::Save(project, target, &shortened), QString());
    EXPECT_EQ(shortened, 2);

    std::unique_ptr<CProject> restored;
    ASSERT_EQ(MProjectFile::Restore(target, restored), QString());
    const CTable& table = *restored->File(0)->Table();
    EXPECT_EQ(table.ItemUtf8(1, 3), twoByte.left(254));    // 127 characters
    EXPECT_EQ(table.ItemUtf8(2, 3), threeByte.left(255));  // 85 characters
    EXPECT_EQ(table.ItemUtf8(3, 3), fits);
    EXPECT_TRUE(MTextFile::IsValidUtf8(table.ItemUtf8(1, 3)));
}

// A linear view whose block cannot be written, to make a save fail late.
class UnwritableLinearView : public CLinearViewConfig
{
public:
    using CLinearViewConfig::CLinearViewConfig;
    QString Save(CBinaryStream&) override { return CBinaryFileTool::WriteErrorMessage(QStringLiteral("Test.1")); }
};

TEST(ProjectFileSaving, AFailedSaveLeavesTheOldFileAsItWas)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("keep.kyql"));
    CProject project;
    project.AddImportedFile(LoadDataFile(TestPaths::SampleData("klebsiella_KL34_cds.tsv"), {0, 1, 2, 3, 4}));
    ASSERT_EQ(MProjectFile::Save(project, path), QString());
    const QByteArray before = ReadAll(path);

    project.AddView(std::make_unique<UnwritableLinearView>(QStringLiteral("broken")));
    ASSERT_TRUE(project.Modified());
    EXPECT_EQ(MProjectFile::Save(project, path), QStringLiteral("WriteError") + QChar(0) + QStringLiteral("Test.1"));
    EXPECT_EQ(ReadAll(path), before);
    EXPECT_TRUE(project.Modified()) << "the changes are not on disk";
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("keep.kyql")});
}

TEST(ProjectFileSaving, AFrameThatCannotBeWrittenIsReported)
{
    CProject project;
    project.SetModified();
    QBuffer readOnly;
    readOnly.open(QIODevice::ReadOnly);
    EXPECT_EQ(MProjectFile::SaveTo(project, readOnly), QStringLiteral("WriteError") + QChar(0) + "BlockFile.00");
    EXPECT_TRUE(project.Modified());
}

TEST(ProjectFileSaving, PlacesThatCannotBeWrittenOrReadGiveTheirMessages)
{
    QTemporaryDir dir;
    CProject project;
    // A folder where the file should go, and a file in a missing folder.
    EXPECT_EQ(MProjectFile::Save(project, dir.path()), QStringLiteral("Open Error"));
    EXPECT_EQ(MProjectFile::Save(project, dir.filePath(QStringLiteral("no/such.kyql"))), QStringLiteral("Open Error"));

    std::unique_ptr<CProject> restored;
    EXPECT_EQ(MProjectFile::Restore(dir.filePath(QStringLiteral("missing.kyql")), restored), QStringLiteral("Open Error"));
    EXPECT_EQ(MProjectFile::Restore(dir.path(), restored), QStringLiteral("Open Error"));

    // Files that are no project files, or damaged ones, are refused at the
    // frame: another tag, a flipped content byte, a cut-off digest.
    const QString good = dir.filePath(QStringLiteral("good.kyql"));
    project.NextFileNumber();
    ASSERT_EQ(MProjectFile::Save(project, good), QString());
    const QByteArray bytes = ReadAll(good);
    QByteArray otherTag = bytes;
    otherTag.replace(4, 4, "pref");
    QByteArray flipped = bytes;
    flipped[20] = char(flipped[20] ^ 0x01);
    for (const QByteArray& damaged : {otherTag, flipped, bytes.left(bytes.size() - 1), QByteArray()}) {
        const QString path = WriteTextFile(dir, QStringLiteral("damaged.kyql"), damaged);
        EXPECT_EQ(MProjectFile::Restore(path, restored), QStringLiteral("Selected file is not Readable!!"));
    }
    EXPECT_FALSE(restored) << "a failed restore hands back no project";
}

}  // namespace
