#include "ViewConfigTestSupport.h"

#include "tests/support/TestPaths.h"

#include "storage/CPreferences.h"
#include "views/CCircleViewConfig.h"
#include "views/CPrinterSetup.h"
#include "views/CViewConfig.h"
#include "views/IPopupMenu.h"
#include "views/RectShape.h"

#include <QImage>
#include <QPainter>
#include <QStringList>

#include <functional>

namespace {

// start, end, class, direction, name
const QByteArray kSmallFile = "start\tend\tclass\tstrand\tname\n"
                              "10\t20\tgene\t+\tg1\n"
                              "30\t25\tGene\t-\tg2\n"
                              "40\t50\tgene\t0\tg3\n"
                              "12.9abc\t60\tgene\t1\tg4\n"
                              "70\t80\tgene\t\tg5\n"
                              "90\t100\tgene\tx\tg6\n"
                              "95\t105\ttrna\t+\tt1\n"
                              "abc\t5\tgene\t-\tg7\n";

class RecordingPopup : public IPopupMenu
{
public:
    void DeleteAllRows() override { rows.clear(); }
    void AddRow(const QString& text) override { rows << text; }
    void SetListIndex(int row) override { selected = row; }
    QStringList rows{"stale"};
    int selected = -1;
};

}  // namespace

TEST(ViewConfigTest, NewConfigurationDefaults)
{
    CViewConfig view(QStringLiteral("My view"));
    EXPECT_EQ(view.Count(), 0);
    EXPECT_EQ(view.Name(), "My view");
    EXPECT_EQ(view.GenomeLength(), -1);
    EXPECT_EQ(view.MaximumLocate(), -1);
    EXPECT_EQ(view.LengthUnit(), 1);
    EXPECT_TRUE(view.DrawTitle());
    EXPECT_TRUE(view.DrawLegendTitle());
    EXPECT_EQ(view.LegendTitle(), "Legend");
    EXPECT_FALSE(view.SummaryView());
    EXPECT_FALSE(view.SummaryViewAvailable());
    EXPECT_EQ(view.View(), nullptr);
    EXPECT_EQ(view.PageCount(), 1);
    EXPECT_EQ(view.PageWidth(), 0);   // the base map has no size
    EXPECT_EQ(view.PageLeft(3), 0);
    EXPECT_EQ(view.PageTop(3), 0);
    EXPECT_EQ(view.NewView(nullptr), "Program error occured");
    EXPECT_EQ(view.Edit(nullptr), "Program error occured");
    EXPECT_EQ(view.PrinterSettingKey(), "ViewPrinterSetting");
    EXPECT_EQ(view.PlacementTypeCount(), 0);
    EXPECT_EQ(view.DefaultPlacement(), 0);

    CCircleViewConfig circle;
    EXPECT_EQ(circle.PrinterSettingKey(), "ViewPrinterSettingCircle");
    EXPECT_EQ(circle.ViewWidth(), 840);
    EXPECT_EQ(circle.ViewHeight(), 600);
    EXPECT_EQ(circle.PageWidth(), 840);
    EXPECT_EQ(circle.PageHeight(), 600);
}

TEST(ViewConfigTest, AddTracksUnitAndLargestLocation)
{
    ViewDataFiles files;
    auto kbp = files.Make("a.tsv", "s\te\tc\n1\t7\tx\n", CFileData::kUnitKbp, -1, -1, 1);
    auto bp = files.Make("b.tsv", "s\te\tc\n1\t900\tx\n", CFileData::kUnitBp, -1, -1, 2);
    CViewConfig view;
    view.Add(kbp.get(), "x", "kbp", 0, 0xFF0000);
    EXPECT_EQ(view.LengthUnit(), 1);
    EXPECT_EQ(view.MaximumLocate(), 7000);
    view.Add(bp.get(), "x", "bp", 1, 0x00FF00);
    EXPECT_EQ(view.LengthUnit(), 0);
    EXPECT_EQ(view.MaximumLocate(), 7000);
    view.Add(kbp.get(), "x", "kbp again", 2, 0x0000FF);
    EXPECT_EQ(view.LengthUnit(), 0);
    EXPECT_EQ(view.Count(), 3);
    EXPECT_EQ(view.File(1), bp.get());
    EXPECT_EQ(view.LegendName(2), "kbp again");
    EXPECT_EQ(view.Placement(1), 1);
    EXPECT_EQ(view.DrawColor(0), 0xFF0000u);
}

TEST(ViewConfigTest, SetRecomputesSummaryOnlyWhenTheFileChanges)
{
    ViewDataFiles files;
    auto big = files.Make("big.tsv", "s\te\tc\n1\t5000\tx\n", CFileData::kUnitBp, -1, -1, 1);
    auto small = files.Make("small.tsv", "s\te\tc\n1\t9\tx\n", CFileData::kUnitKbp, -1, -1, 2);
    CViewConfig view;
    view.Add(big.get(), "x", "big", 0, 1);
    view.Add(small.get(), "x", "small", 1, 2);
    EXPECT_EQ(view.MaximumLocate(), 9000);
    EXPECT_EQ(view.LengthUnit(), 0);

    view.Set(0, big.get(), "y", "renamed", 3, 4);
    EXPECT_EQ(view.MaximumLocate(), 9000);
    EXPECT_EQ(view.LengthUnit(), 0);
    EXPECT_EQ(view.ClassName(0), "y");
    EXPECT_EQ(view.LegendName(0), "renamed");
    EXPECT_EQ(view.Placement(0), 3);
    EXPECT_EQ(view.DrawColor(0), 4u);

    // Replacing the only kbp file's entry: its maximum goes, and all files are bp now.
    view.Set(1, big.get(), "x", "small", 1, 2);
    EXPECT_EQ(view.MaximumLocate(), 5000);
    EXPECT_EQ(view.LengthUnit(), 0);
    // Now only kbp files: the unit turns back to kbp.
    view.Set(0, small.get(), "x", "a", 0, 1);
    view.Set(1, small.get(), "x", "b", 0, 1);
    EXPECT_EQ(view.LengthUnit(), 1);
    EXPECT_EQ(view.MaximumLocate(), 9000);
}

TEST(ViewConfigTest, RemoveShiftsEveryEntryVectorAndKeepsTheSummary)
{
    ViewDataFiles files;
    auto first = files.Make("1.tsv", "s\te\tc\n1\t80\tx\n", CFileData::kUnitBp, -1, -1, 1);
    auto second = files.Make("2.tsv", "s\te\tc\n1\t20\tx\n", CFileData::kUnitBp, -1, -1, 2);
    CViewConfig view;
    view.Add(first.get(), "a", "A", 0, 0x111111);
    view.Add(second.get(), "b", "B", 1, 0x222222);
    view.Add(second.get(), "c", "C", 2, 0x333333);
    view.Remove(0);
    ASSERT_EQ(view.Count(), 2);
    EXPECT_EQ(view.File(0), second.get());
    EXPECT_EQ(view.ClassName(0), "b");
    EXPECT_EQ(view.LegendName(1), "C");
    EXPECT_EQ(view.Placement(1), 2);
    EXPECT_EQ(view.DrawColor(0), 0x222222u);
    EXPECT_EQ(view.DrawColor(1), 0x333333u);
    EXPECT_EQ(view.MaximumLocate(), 80);
    view.SetDrawColor(1, 0x444444);
    EXPECT_EQ(view.DrawColor(1), 0x444444u);
}

TEST(ViewConfigTest, UpdateFileRetargetsEveryEntryOfThatFileNumber)
{
    ViewDataFiles files;
    auto old = files.Make("old.tsv", "s\te\tc\n1\t8\tx\n", CFileData::kUnitBp, -1, -1, 7);
    auto other = files.Make("other.tsv", "s\te\tc\n1\t8\tx\n", CFileData::kUnitBp, -1, -1, 8);
    auto edited = files.Make("new.tsv", "s\te\tc\n1\t8\tx\n", CFileData::kUnitBp, -1, -1, 7);
    CViewConfig view;
    view.Add(old.get(), "x", "1", 0, 0);
    view.Add(other.get(), "x", "2", 0, 0);
    view.Add(old.get(), "x", "3", 0, 0);
    view.Add(old.get(), "x", "4", 0, 0);
    view.UpdateFile(edited.get());
    EXPECT_EQ(view.File(0), edited.get());
    EXPECT_EQ(view.File(1), other.get());
    EXPECT_EQ(view.File(2), edited.get());
    EXPECT_EQ(view.File(3), edited.get());
}

TEST(ViewConfigTest, CopyCloneAndIsEqual)
{
    ViewDataFiles files;
    auto file = files.Make("f.tsv", "s\te\tc\n1\t8\tx\n", CFileData::kUnitBp, -1, -1, 3);
    CCircleViewConfig circle(QStringLiteral("Circle View"));
    circle.Add(file.get(), "x", "Legend X", 2, 0xABCDEF);
    circle.SetGenomeLength(1234);
    circle.SetLegendTitle("Key");
    circle.SetDrawTitle(false);
    circle.SetScaleType(1);
    circle.SetScaleLength(100);
    circle.SetDrawScale(false);
    circle.SetScaleDivides(4);

    std::unique_ptr<CViewConfig> clone = circle.Clone();
    auto* circleClone = dynamic_cast<CCircleViewConfig*>(clone.get());
    ASSERT_NE(circleClone, nullptr);
    EXPECT_TRUE(circleClone->IsEqual(circle));
    EXPECT_EQ(circleClone->Name(), "Circle View");
    EXPECT_EQ(circleClone->File(0), file.get());
    EXPECT_EQ(circleClone->DrawColor(0), 0xABCDEFu);
    EXPECT_EQ(circleClone->MaximumLocate(), 8);
    EXPECT_EQ(circleClone->LengthUnit(), 0);
    EXPECT_EQ(circleClone->ScaleLength(), 100);
    EXPECT_FALSE(circleClone->DrawScale());
    EXPECT_EQ(circleClone->ScaleDivides(), 4);

    // Texts compare without regard to letter case; colours are not compared.
    circleClone->SetName("CIRCLE view");
    circleClone->Set(0, file.get(), "X", "legend x", 2, 0x000001);
    EXPECT_TRUE(circleClone->IsEqual(circle));

    struct Change {
        const char* what;
        std::function<void(CCircleViewConfig&)> apply;
    } changes[] = {
        {"placement", [&](CCircleViewConfig& v) { v.Set(0, file.get(), "x", "Legend X", 3, 0); }},
        {"class", [&](CCircleViewConfig& v) { v.Set(0, file.get(), "y", "Legend X", 2, 0); }},
        {"genome", [](CCircleViewConfig& v) { v.SetGenomeLength(1); }},
        {"legend flag", [](CCircleViewConfig& v) { v.SetDrawLegendTitle(false); }},
        {"legend title", [](CCircleViewConfig& v) { v.SetLegendTitle("Other"); }},
        {"scale type", [](CCircleViewConfig& v) { v.SetScaleType(0); }},
        {"scale length", [](CCircleViewConfig& v) { v.SetScaleLength(5); }},
        {"entries", [&](CCircleViewConfig& v) { v.Add(file.get(), "x", "", 0, 0); }},
    };
    for (const Change& change : changes) {
        CCircleViewConfig changed;
        changed.Copy(circle);
        ASSERT_TRUE(changed.IsEqual(circle));
        change.apply(changed);
        EXPECT_FALSE(changed.IsEqual(circle)) << change.what;
    }

    // A base configuration with the same base content is not an equal circular one.
    CViewConfig base;
    base.Copy(circle);
    EXPECT_TRUE(base.IsEqual(circle));
    EXPECT_FALSE(circle.IsEqual(base));
    EXPECT_EQ(dynamic_cast<CCircleViewConfig*>(base.Clone().get()), nullptr);
}

TEST(ViewConfigTest, PlacementNamesAndPopup)
{
    ViewDataFiles files;
    auto file = files.Make("f.tsv", "s\te\tc\n1\t8\tx\n", CFileData::kUnitBp, -1, -1);
    CCircleViewConfig circle;
    circle.Add(file.get(), "x", "", 5, 0);
    circle.Add(file.get(), "x", "", 7, 0);
    EXPECT_EQ(circle.PlacementName(0), "Pin1");
    EXPECT_EQ(circle.PlacementName(1), "");
    EXPECT_EQ(circle.PlacementTypeStr(-1), "");
    EXPECT_EQ(circle.PlacementTypeStr(7), "");

    RecordingPopup popup;
    circle.SetupPlacementPopup(popup);
    EXPECT_EQ(popup.rows, (QStringList{"Circle1", "Circle2", "Circle3", "Circle4", "Circle5", "Pin1", "Pin2"}));
    EXPECT_EQ(popup.selected, 0);
}

TEST(ViewConfigTest, PickUpMarkersMatchesClassExactlyAndReadsCells)
{
    ViewDataFiles files;
    auto file = files.Make("small.tsv", kSmallFile);
    CViewConfig view;
    view.Add(file.get(), "gene", "Genes", 3, 0x123456);
    view.SetGenomeLength(100);
    std::vector<CMarkerData> markers;
    view.PickUpMarkerData(markers);

    // "Gene" differs in letter case; 95..105 lies beyond the genome; trna is another class.
    struct Expected {
        int start, end, direction;
        const char* name;
    } expected[] = {
        {10, 20, 0, "g1"}, {40, 50, 0, "g3"}, {12, 60, 1, "g4"}, {70, 80, -1, "g5"},
        {90, 100, -1, "g6"}, {0, 5, 1, "g7"},
    };
    ASSERT_EQ(markers.size(), std::size(expected));
    for (size_t i = 0; i < markers.size(); ++i) {
        EXPECT_EQ(markers[i].StartLocation, expected[i].start) << i;
        EXPECT_EQ(markers[i].EndLocation, expected[i].end) << i;
        EXPECT_EQ(markers[i].Direction, expected[i].direction) << i;
        EXPECT_EQ(markers[i].Name, expected[i].name) << i;
        EXPECT_EQ(markers[i].Placement, 3);
        EXPECT_EQ(markers[i].DrawColor, 0x123456u);
    }

    // Without direction and name columns: direction -1, no name.
    auto bare = files.Make("bare.tsv", kSmallFile, CFileData::kUnitBp, -1, -1);
    CViewConfig plain;
    plain.Add(bare.get(), "Gene", "", 0, 0);
    plain.SetGenomeLength(100);
    plain.PickUpMarkerData(markers);
    ASSERT_EQ(markers.size(), 1u);
    EXPECT_EQ(markers[0].StartLocation, 30);
    EXPECT_EQ(markers[0].EndLocation, 25);
    EXPECT_EQ(markers[0].Direction, -1);
    EXPECT_TRUE(markers[0].Name.isEmpty());
}

TEST(ViewConfigTest, PickUpKeepsEntryOrderAndRespectsTheGenomeLength)
{
    ViewDataFiles files;
    auto file = files.Make("small.tsv", kSmallFile);
    CViewConfig view;
    view.Add(file.get(), "trna", "", 1, 0);
    view.Add(file.get(), "gene", "", 0, 0);

    // A configuration no wizard completed (genome -1) has no markers.
    std::vector<CMarkerData> markers(3);
    view.PickUpMarkerData(markers);
    EXPECT_TRUE(markers.empty());

    view.SetGenomeLength(105);
    view.PickUpMarkerData(markers);
    ASSERT_EQ(markers.size(), 7u);
    EXPECT_EQ(markers[0].Name, "t1");
    EXPECT_EQ(markers[0].Placement, 1);
    EXPECT_EQ(markers[1].Name, "g1");
    EXPECT_EQ(markers[6].Name, "g7");

    view.SetGenomeLength(79);   // 70..80 and 90..100 now end beyond the genome
    view.PickUpMarkerData(markers);
    EXPECT_EQ(markers.size(), 4u);
}

TEST(ViewConfigTest, KbpMarkersArePickedUpInBpWithoutWrapping)
{
    ViewDataFiles files;
    // 3000000 kbp is beyond 32 bits once in bp; it must be left out, not wrap into range.
    auto kbp = files.Make("kbp.tsv",
                          "s\te\tc\n"
                          "1\t2.5\tx\n"
                          "4000\t3999\tx\n"
                          "3000000\t3000001\tx\n"
                          "-3000000\t-1\tx\n",
                          CFileData::kUnitKbp, -1, -1);
    CViewConfig view;
    view.Add(kbp.get(), "x", "", 0, 0);
    view.SetGenomeLength(5000000);
    std::vector<CMarkerData> markers;
    view.PickUpMarkerData(markers);
    ASSERT_EQ(markers.size(), 3u);
    EXPECT_EQ(markers[0].StartLocation, 1000);
    EXPECT_EQ(markers[0].EndLocation, 2000);
    EXPECT_EQ(markers[1].StartLocation, 4000000);
    EXPECT_EQ(markers[1].EndLocation, 3999000);
    // Far below 32 bits: held at the smallest location rather than wrapped.
    EXPECT_EQ(markers[2].StartLocation, INT32_MIN);
    EXPECT_EQ(markers[2].EndLocation, -1000);
}

TEST(ViewConfigTest, PickUpFromBundledSampleFile)
{
    auto file = ViewDataFiles::Load(QFileInfo(TestPaths::SampleData("human_hg19_chr1_bands.tsv")), CFileData::kUnitBp,
                                    -1, 3);
    CViewConfig view;
    view.Add(file.get(), "gneg", "", 0, 0);
    view.Add(file.get(), "acen", "", 1, 0);
    view.SetGenomeLength(static_cast<int32_t>(file->MaximumLocate()));
    std::vector<CMarkerData> markers;
    view.PickUpMarkerData(markers);
    EXPECT_EQ(markers.size(), 33u);   // 31 gneg bands, then 2 acen bands
    EXPECT_EQ(markers[0].Name, "p36.33");
    EXPECT_EQ(markers[0].StartLocation, 0);
    EXPECT_EQ(markers[0].EndLocation, 2300000);
    EXPECT_EQ(markers[31].Placement, 1);
    EXPECT_EQ(view.MaximumLocate(), 249250621);
}

namespace {

class CountingView : public CViewConfig
{
public:
    void MakeViewImage() override
    {
        ++builds;
        CViewConfig::MakeViewImage();
    }
    int builds = 0;
};

}  // namespace

TEST(ViewConfigTest, SummaryFlagRebuildsOnlyOnChangeAndEmptyImageDrawsNothing)
{
    CountingView view;
    view.SetSummaryView(false);
    EXPECT_EQ(view.builds, 0);
    view.SetSummaryView(true);
    EXPECT_EQ(view.builds, 1);
    view.SetSummaryView(true);
    EXPECT_EQ(view.builds, 1);
    EXPECT_TRUE(view.SummaryView());

    ASSERT_TRUE(view.Image());
    EXPECT_EQ(view.Image()->Count(), 0);
    EXPECT_EQ(view.GetImage(5), view.Image());
    QImage image(20, 20, QImage::Format_ARGB32);
    image.fill(Qt::red);
    QPainter painter(&image);
    view.DrawImage(painter, 0, 0);
    view.DrawPreviewImage(painter, 0, 0);
    painter.end();
    EXPECT_EQ(image.pixel(10, 10), QColor(Qt::red).rgb());
}

namespace {

// A printer setup with a page size and a dialog that changes the settings.
class FakePrinterSetup : public CPrinterSetup
{
public:
    static inline int pageWidth = 0;
    static inline int pageHeight = 0;
    static inline QByteArray dialogResult;
    static inline bool confirm = true;

    int PageWidth() const override { return pageWidth; }
    int PageHeight() const override { return pageHeight; }
    bool RunPageSetupDialog(QObject*) override
    {
        if (confirm && !dialogResult.isNull())
            SetSetupString(dialogResult);
        return confirm;
    }
};

class PrintSettingsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CPrinterSetup::SetFactory([] { return std::make_unique<FakePrinterSetup>(); });
        CViewConfig::SetPreferences(&preferences);
        FakePrinterSetup::pageWidth = 0;
        FakePrinterSetup::pageHeight = 0;
        FakePrinterSetup::dialogResult = QByteArray();
        FakePrinterSetup::confirm = true;
    }
    void TearDown() override
    {
        CPrinterSetup::SetFactory(nullptr);
        CViewConfig::SetPreferences(nullptr);
    }

    CPreferences preferences{QString(), QString(), CPreferences::Storage::MemoryOnly};
};

}  // namespace

namespace {

// Shows the page size the print settings gave the view.
class PageProbe : public CCircleViewConfig
{
public:
    int32_t StoredPageWidth() const { return mPageWidth; }
    int32_t StoredPageHeight() const { return mPageHeight; }
};

}  // namespace

TEST_F(PrintSettingsTest, NewViewsTakeTheirKindsSettingsElseTheSharedOnes)
{
    FakePrinterSetup::pageWidth = 600;
    FakePrinterSetup::pageHeight = 800;
    preferences.SetBinaryString("ViewPrinterSetting", "shared");
    EXPECT_EQ(CCircleViewConfig().PrinterSetting(), "shared");
    preferences.SetBinaryString("ViewPrinterSettingCircle", "circle");
    EXPECT_EQ(CCircleViewConfig().PrinterSetting(), "circle");
    EXPECT_EQ(CViewConfig().PrinterSetting(), "shared");

    PageProbe sized;
    EXPECT_EQ(sized.StoredPageWidth(), 600);
    EXPECT_EQ(sized.StoredPageHeight(), 800);

    // A setup without a usable page size gives an upright 2 by 3 page.
    FakePrinterSetup::pageHeight = 0;
    PageProbe fallback;
    EXPECT_EQ(fallback.StoredPageWidth(), 2);
    EXPECT_EQ(fallback.StoredPageHeight(), 3);

    // Without preferences or printing: the default setup, empty settings, 2 by 3.
    CPrinterSetup::SetFactory(nullptr);
    CViewConfig::SetPreferences(nullptr);
    PageProbe plain;
    EXPECT_TRUE(plain.PrinterSetting().isEmpty());
    EXPECT_EQ(plain.StoredPageWidth(), 2);
    EXPECT_EQ(plain.StoredPageHeight(), 3);
}

TEST_F(PrintSettingsTest, PageSetupKeepsAChangedSettingUnderBothKeys)
{
    CCircleViewConfig circle;
    EXPECT_TRUE(circle.PrinterSetting().isEmpty());

    FakePrinterSetup::pageWidth = 300;
    FakePrinterSetup::pageHeight = 400;
    FakePrinterSetup::dialogResult = "landscape";
    PageProbe probe;
    probe.PrintPageSetup(nullptr);
    EXPECT_EQ(probe.StoredPageWidth(), 300);
    EXPECT_EQ(probe.StoredPageHeight(), 400);
    circle.PrintPageSetup(nullptr);
    EXPECT_EQ(circle.PrinterSetting(), "landscape");
    EXPECT_EQ(preferences.BinaryString("ViewPrinterSettingCircle"), "landscape");
    EXPECT_EQ(preferences.BinaryString("ViewPrinterSetting"), "landscape");

    // Unchanged or cancelled: nothing is stored.
    preferences.SetBinaryString("ViewPrinterSetting", "other");
    circle.PrintPageSetup(nullptr);
    EXPECT_EQ(preferences.BinaryString("ViewPrinterSetting"), "other");
    FakePrinterSetup::dialogResult = "portrait";
    FakePrinterSetup::confirm = false;
    circle.PrintPageSetup(nullptr);
    EXPECT_EQ(circle.PrinterSetting(), "landscape");
    EXPECT_EQ(circle.OpenPrinter(nullptr), nullptr);
}
