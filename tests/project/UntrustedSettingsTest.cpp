// Views whose settings come from a project file that no wizard would write
// (the digest is valid, the values are not): each opens, builds, pages and
// exports without a crash, either taken to the nearest accepted value or
// reported as a problem with no map.
#include "ProjectTestSupport.h"

#include "export/MImageExport.h"
#include "fuzz/MFuzzInput.h"
#include "linear/MLinearViewRules.h"
#include "project/MProjectFile.h"
#include "views/MViewRules.h"
#include "views/StringShape.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

using namespace ProjectTestSupport;

namespace {

constexpr int kGenome = 2000;

int32_t Utf8Size(const QString& text)
{
    return int32_t(text.toUtf8().size());
}

// Offsets of the stored fields the cases change, worked out from the view's
// own texts: a view block ends with its page size, print settings and title.
struct ViewFields
{
    qsizetype mPlacement0;
    qsizetype mGenomeLength;
    qsizetype mPageHeight;
    qsizetype mPageWidth;
};

ViewFields FieldsOf(const Block& view, const CViewConfig& config)
{
    ViewFields fields;
    fields.mPlacement0 = view.bodyBegin + 4 + 4 + 4 + Utf8Size(config.ClassName(0)) + 4 + 4 + 4
        + Utf8Size(config.LegendName(0));
    fields.mPageWidth = view.bodyEnd - (4 + Utf8Size(config.Name())) - (4 + config.PrinterSetting().size()) - 4;
    fields.mPageHeight = fields.mPageWidth - 4;
    // Before the page height: the largest location, the length unit and the legend title.
    fields.mGenomeLength = fields.mPageHeight - 4 - 4 - (4 + Utf8Size(config.LegendTitle())) - 4;
    return fields;
}

enum class Field {
    // Linear view ("vlin" block, counted back from its end).
    kRowScale, kStart, kEnd, kMinimumRanks, kMaximumRanks,
    // Circular view ("vcir" block, counted back from its end).
    kScaleDivides, kScaleLength, kScaleType,
    // Either view's "view" block.
    kGenomeLength, kPageWidth, kPageHeight, kPlacement0,
};

struct Change
{
    Field mField;
    qint32 mValue;
};

struct Case
{
    const char* mName;
    bool mLinear;
    std::vector<Change> mChanges;
    // The problem reported for the restored view; empty when a map is built.
    const char* mProblem;
    // Further checks of the restored view.
    std::function<void(CViewConfig&)> mCheck;
};

CLinearViewConfig& Linear(CViewConfig& view)
{
    return dynamic_cast<CLinearViewConfig&>(view);
}

CCircleViewConfig& Circle(CViewConfig& view)
{
    return dynamic_cast<CCircleViewConfig&>(view);
}

int CountOfKind(const Group2D& group, Object2D::Kind kind)
{
    int count = 0;
    for (const Object2DRef& item : group.Items()) {
        if (item->ObjectKind() == kind)
            ++count;
        else if (item->ObjectKind() == Object2D::Kind::Group)
            count += CountOfKind(static_cast<const Group2D&>(*item), kind);
    }
    return count;
}

// A small project: one data file of a few markers, a linear view of 20 rows
// and a circular view, each with ordinary settings.
class UntrustedSettings : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const QString path = WriteTextFile(mDir, QStringLiteral("m.tsv"),
                                           "start\tend\tclass\tstrand\tname\n"
                                           "10\t450\tgene\t+\tdnaA\n"
                                           "300\t1290\tgene\t-\tdnaN\n"
                                           "1500\t2000\trepeat\t+\tr1\n");
        mProject.AddImportedFile(LoadDataFile(path, {0, 1, 2, 3, 4}));
        CFileData* file = mProject.File(0);
        auto linear = std::make_unique<CLinearViewConfig>(QStringLiteral("Row map"));
        linear->Add(file, QStringLiteral("gene"), QStringLiteral("Genes"), CLinearViewConfig::kBottom,
                    CLinearViewConfig::kArrow, 0x0000FF);
        linear->Add(file, QStringLiteral("repeat"), QStringLiteral("Repeats"), CLinearViewConfig::kUpper,
                    CLinearViewConfig::kRectangle, 0xFF0000);
        linear->SetGenomeLength(kGenome);
        linear->SetStartLocate(0);
        linear->SetEndLocate(kGenome);
        linear->SetScale(100);
        linear->SetPageWidth(612);
        linear->SetPageHeight(792);
        auto circle = std::make_unique<CCircleViewConfig>(QStringLiteral("Ring map"));
        circle->Add(file, QStringLiteral("gene"), QStringLiteral("Genes"), 0, 0x00FF00);
        circle->Add(file, QStringLiteral("repeat"), QStringLiteral("Repeats"), 5, 0xFF00FF);
        circle->SetGenomeLength(kGenome);
        circle->SetPageWidth(612);
        circle->SetPageHeight(792);
        mProject.AddView(std::move(linear));
        mProject.AddView(std::move(circle));
        mContent = SaveContent(mProject);
    }

    qsizetype OffsetOf(Field field, bool linear) const
    {
        const std::vector<Block> blocks = FindBlocks(mContent);
        const Block& vlin = NthBlock(blocks, "vlin");
        const Block& vcir = NthBlock(blocks, "vcir");
        const Block& view = NthBlock(blocks, "view", linear ? 0 : 1);
        const ViewFields fields = FieldsOf(view, *mProject.View(linear ? 0 : 1));
        switch (field) {
        case Field::kEnd: return vlin.bodyEnd - 20;
        case Field::kRowScale: return vlin.bodyEnd - 16;
        case Field::kStart: return vlin.bodyEnd - 12;
        case Field::kMinimumRanks: return vlin.bodyEnd - 8;
        case Field::kMaximumRanks: return vlin.bodyEnd - 4;
        case Field::kScaleDivides: return vcir.bodyEnd - 12;
        case Field::kScaleLength: return vcir.bodyEnd - 8;
        case Field::kScaleType: return vcir.bodyEnd - 4;
        case Field::kGenomeLength: return fields.mGenomeLength;
        case Field::kPageWidth: return fields.mPageWidth;
        case Field::kPageHeight: return fields.mPageHeight;
        case Field::kPlacement0: return fields.mPlacement0;
        }
        return -1;
    }

    // The project file with the changes, written with a valid digest, then
    // opened as a user would open it.
    std::unique_ptr<CProject> Reopened(const std::vector<Change>& changes, bool linear)
    {
        QByteArray content = mContent;
        for (const Change& change : changes)
            SetInt32At(content, OffsetOf(change.mField, linear), change.mValue);
        const QString path = mDir.filePath(QStringLiteral("changed.kyql"));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(MFuzzInput::Framed(content, QString::fromLatin1(MProjectFile::kFileTag), true));
        file.close();
        std::unique_ptr<CProject> project;
        EXPECT_EQ(MProjectFile::Restore(path, project), QString());
        return project;
    }

    QTemporaryDir mDir;
    CProject mProject;
    QByteArray mContent;
};

TEST_F(UntrustedSettings, EachValueIsTakenToAnAcceptedOneOrReportedAndNothingBreaks)
{
    const QString invalidRange = QString::fromUtf8(MViewRules::kLocateRangeInvalid);
    const auto scaleIs = [](int expected) {
        return [expected](CViewConfig& view) {
            EXPECT_EQ(Linear(view).Scale(), expected);
            EXPECT_EQ(Linear(view).MapCount(), (kGenome + expected - 1) / expected);
        };
    };
    const auto ranksAre = [](int minimum, int maximum) {
        return [minimum, maximum](CViewConfig& view) {
            EXPECT_EQ(Linear(view).MinimumRankCount(), minimum);
            EXPECT_EQ(Linear(view).MaximumRankCount(), maximum);
            EXPECT_EQ(Linear(view).MapCount(), 20);
        };
    };
    const auto noRows = [](CViewConfig& view) {
        EXPECT_EQ(Linear(view).MapCount(), 0);
        // Title and legend still show what the view is.
        EXPECT_EQ(Linear(view).StripedImage()->Count(), 2);
    };
    const auto wordIs = [](int32_t word) {
        return [word](CViewConfig& view) { EXPECT_EQ(view.CViewConfig::Placement(0), word); };
    };
    const auto dividesAre = [](int32_t divides) {
        return [divides](CViewConfig& view) { EXPECT_EQ(Circle(view).ScaleDivides(), divides); };
    };
    // The upright 2 by 3 page: 3 / 2 of the map's width high.
    const auto uprightPage = [](CViewConfig& view) { EXPECT_EQ(Linear(view).PageHeight(), 1260); };
    const auto noCircle = [](CViewConfig& view) { EXPECT_EQ(view.Image()->Count(), 0); };
    const auto nothing = [](CViewConfig&) {};

    const Case cases[] = {
        {"row scale 0", true, {{Field::kRowScale, 0}}, "", scaleIs(10)},
        {"negative row scale", true, {{Field::kRowScale, -100}}, "", scaleIs(10)},
        {"row scale below the smallest listed", true, {{Field::kRowScale, 7}}, "", scaleIs(10)},
        {"unlisted row scale above 10 stays", true, {{Field::kRowScale, 150}}, "", scaleIs(150)},
        {"no ranks", true, {{Field::kMinimumRanks, 0}, {Field::kMaximumRanks, 0}}, "", ranksAre(0, 1)},
        {"negative ranks", true, {{Field::kMinimumRanks, -4}, {Field::kMaximumRanks, -1}}, "", ranksAre(0, 1)},
        {"ranks in the billions", true, {{Field::kMinimumRanks, 2000000000}, {Field::kMaximumRanks, 2100000000}},
         "", ranksAre(MLinearViewRules::kMaximumRankLimit, MLinearViewRules::kMaximumRankLimit)},
        {"more reserved than available ranks stays", true, {{Field::kMinimumRanks, 6}, {Field::kMaximumRanks, 2}},
         "", ranksAre(6, 2)},
        {"start beyond the end", true, {{Field::kStart, 1500}, {Field::kEnd, 900}}, "Locate range is invalid.",
         noRows},
        {"start equal to the end", true, {{Field::kStart, 900}, {Field::kEnd, 900}}, "Locate range is invalid.",
         noRows},
        {"negative start", true, {{Field::kStart, -100}}, "Locate range is invalid.", noRows},
        {"range of hundreds of millions of rows", true, {{Field::kEnd, 2000000000}, {Field::kRowScale, 10}},
         MLinearViewRules::kTooManyRows, noRows},
        {"linear genome length 0", true, {{Field::kGenomeLength, 0}}, "Genome Length is invalid.", noRows},
        {"negative linear genome length", true, {{Field::kGenomeLength, -2000}}, "Genome Length is invalid.",
         noRows},
        {"linear page without width", true, {{Field::kPageWidth, 0}}, "", uprightPage},
        {"linear page of negative height", true, {{Field::kPageHeight, -792}}, "", uprightPage},
        {"unknown side", true, {{Field::kPlacement0, 3 + 2 * 4}}, "", wordIs(CLinearViewConfig::kBottom + 2 * 4)},
        {"unknown marker type", true, {{Field::kPlacement0, 1 + 9 * 4}}, "", wordIs(CLinearViewConfig::kBottom + 8)},
        {"negative placement word", true, {{Field::kPlacement0, -1}}, "", wordIs(CLinearViewConfig::kBottom)},
        {"Upper word with a type stays", true, {{Field::kPlacement0, 0 + 2 * 4}}, "", wordIs(8)},
        {"scale divides 0", false, {{Field::kScaleDivides, 0}}, "", dividesAre(5)},
        {"negative scale divides", false, {{Field::kScaleDivides, -10}}, "", dividesAre(5)},
        {"scale divides in the billions", false, {{Field::kScaleDivides, 1500000000}}, "", dividesAre(20)},
        {"scale length 0", false, {{Field::kScaleType, 1}, {Field::kScaleLength, 0}},
         "Scale Length is invalid. Enter correct value.", noCircle},
        {"negative scale length", false, {{Field::kScaleType, 1}, {Field::kScaleLength, -250}},
         "Scale Length is invalid. Enter correct value.", noCircle},
        {"circular genome length 0", false, {{Field::kGenomeLength, 0}}, "Genome Length is invalid.", noCircle},
        {"negative circular genome length", false, {{Field::kGenomeLength, -1}}, "Genome Length is invalid.",
         noCircle},
        {"circular page without size", false, {{Field::kPageWidth, 0}, {Field::kPageHeight, 0}}, "", nothing},
        {"placement beyond the pins", false, {{Field::kPlacement0, 9}}, "", wordIs(6)},
        {"negative circular placement", false, {{Field::kPlacement0, -3}}, "", wordIs(0)},
        {"1 bp ticks on a 2 Mbp genome", false,
         {{Field::kGenomeLength, 2000000}, {Field::kScaleType, 1}, {Field::kScaleLength, 1}}, "",
         [](CViewConfig& view) {
             // Two million ticks could not be told apart: at most one per pixel of circumference.
             EXPECT_LT(CountOfKind(*view.Image(), Object2D::Kind::String), 5000);
             EXPECT_LT(view.Image()->Count(), 10000);
         }},
        {"ordinary linear view", true, {}, "", scaleIs(100)},
        {"ordinary circular view", false, {}, "", nothing},
    };

    int exported = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mName);
        std::unique_ptr<CProject> project = Reopened(c.mChanges, c.mLinear);
        ASSERT_TRUE(project);
        ASSERT_EQ(project->ViewCount(), 2);
        CViewConfig& view = *project->View(c.mLinear ? 0 : 1);
        EXPECT_EQ(view.SettingsProblem(), QString::fromUtf8(c.mProblem));
        view.MakeViewImage();
        c.mCheck(view);
        ASSERT_GE(view.PageCount(), 1);
        for (int page = 0; page < view.PageCount(); ++page)
            ASSERT_TRUE(view.GetImage(page));
        // What the batch tool refuses, the window still shows and exports.
        const QString target = mDir.filePath(QStringLiteral("export%1").arg(exported++));
        const CImageExportResult result =
            MImageExport::SaveImage(view, MImageExport::kVectorPicture, MImageExport::kPictFileType, target);
        EXPECT_TRUE(result.Succeeded()) << result.mMessage.toStdString();
        EXPECT_EQ(result.mPagesWritten, view.PageCount());
    }
}

TEST(UntrustedRowCount, TheRowLimitFallsBetweenTheLastAllowedRowAndTheNext)
{
    struct Case {
        int mStart;
        int mEnd;
        int mScale;
        bool mAllowed;
    };
    const Case cases[] = {
        {0, 5000000, 10, true},         // 500,000 rows
        {0, 5000001, 10, false},        // one bp more needs another row
        {1000, 5001000, 10, true},      // counted from the start
        {0, 2147483647, 10000000, true},
        {0, 2147483647, 1000, false},
    };
    for (const Case& c : cases) {
        CLinearViewConfig view(QStringLiteral("rows"));
        view.SetGenomeLength(2147483647);
        view.SetStartLocate(c.mStart);
        view.SetEndLocate(c.mEnd);
        view.SetScale(c.mScale);
        EXPECT_EQ(view.SettingsProblem().isEmpty(), c.mAllowed) << c.mEnd << " at " << c.mScale;
    }
}

// A map of many short rows (the 500,000-row case runs in the absurd-settings
// script; this one stays quick under the sanitizers): every row is built and
// paged, the rows share their unlabelled lines, and its pages export.
TEST(ManyRows, ShortRowsAreBuiltPagedAndExportedAndShareTheirLines)
{
    QTemporaryDir dir;
    QByteArray text = "start\tend\tclass\tstrand\tname\n";
    for (int i = 0; i < 40; ++i)
        text += QByteArray::number(i * 1000 + 5) + '\t' + QByteArray::number(i * 1000 + 800) + "\tgene\t+\tg"
            + QByteArray::number(i) + '\n';
    const QString path = WriteTextFile(dir, QStringLiteral("genes.tsv"), text);
    CProject project;
    project.AddImportedFile(LoadDataFile(path, {0, 1, 2, 3, 4}));
    constexpr int kRows = 4000;
    auto view = std::make_unique<CLinearViewConfig>(QStringLiteral("Rows of 10 bp"));
    view->Add(project.File(0), QStringLiteral("gene"), QStringLiteral("gene"), CLinearViewConfig::kBottom,
              CLinearViewConfig::kArrow, 0x0000FF);
    view->SetGenomeLength(kRows * 10);
    view->SetStartLocate(0);
    view->SetEndLocate(kRows * 10);
    view->SetScale(10);
    view->SetPageWidth(612);
    view->SetPageHeight(792);
    view->MakeViewImage();

    ASSERT_EQ(view->MapCount(), kRows);
    const CStripedVectorImage& stripes = *view->StripedImage();
    ASSERT_EQ(stripes.Count(), 2 + kRows);
    // With a Bottom entry and names every row reserves three ranks: 83 high.
    EXPECT_EQ(stripes.Top(kRows + 1) - stripes.Top(kRows), 83 + 15);
    const auto frame = [&stripes](int row) {
        return std::static_pointer_cast<Group2D>(stripes.NthImage(2 + row)->Item(0));
    };
    // Grid lines and axis of rows of the same height are one set of shapes;
    // the labels are each row's own, and the one that ends a row reads as
    // the next row's start.
    EXPECT_EQ(frame(1)->Item(0), frame(20)->Item(0));    // the grid line at 0
    EXPECT_EQ(frame(1)->Item(14), frame(20)->Item(14));  // the axis
    EXPECT_NE(frame(1)->Item(1), frame(20)->Item(1));    // the start label
    const auto labelText = [&frame](int row, int item) {
        return std::static_pointer_cast<StringShape>(frame(row)->Item(item))->Text();
    };
    EXPECT_EQ(labelText(7, 1), QStringLiteral("70.0bp"));
    EXPECT_EQ(labelText(7, 13), QStringLiteral("80.0bp"));
    EXPECT_EQ(labelText(8, 1), QStringLiteral("80.0bp"));

    const int pages = view->PageCount();
    EXPECT_GT(pages, kRows / 20);
    const std::vector<int>& tops = view->PageTopTable();
    ASSERT_EQ(int(tops.size()), pages + 1);
    EXPECT_EQ(tops.back(), stripes.Count());
    for (size_t p = 1; p < tops.size(); ++p)
        ASSERT_LT(tops[p - 1], tops[p]);

    // The pages export one by one; the last one too, into a folder.
    const QString target = dir.filePath(QStringLiteral("rows"));
    const CImageExportResult result =
        MImageExport::SaveImage(*view, MImageExport::kVectorPicture, MImageExport::kPictFileType, target);
    ASSERT_TRUE(result.Succeeded()) << result.mMessage.toStdString();
    EXPECT_EQ(result.mPagesWritten, pages);
    EXPECT_TRUE(QFileInfo::exists(dir.filePath(QStringLiteral("rows/") + MImageExport::PageFileName(pages - 1, QStringLiteral(".pct")))));
}

}  // namespace
