// Saving maps as image files: a circular map of a million markers as a
// double-resolution PNG (map build included) and as a vector PICT, and a
// linear map of twenty pages as PNG pages.
#include "bench/BenchSupport.h"
#include "core/CFileData.h"
#include "export/MImageExport.h"
#include "linear/CLinearViewConfig.h"
#include "views/CCircleViewConfig.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <map>
#include <memory>

namespace {

constexpr int kGenome = 5000000;
constexpr int kMarkers = 1000000;
const char* const kClasses[] = {"cds", "rrna", "trna", "repeat", "ncrna"};

// Markers of 100 bp to 3 kbp over 5 Mbp, five classes mixed row by row;
// each count written and loaded once.
CFileData& MarkerFile(int count = kMarkers)
{
    static QTemporaryDir dir;
    static std::map<int, std::unique_ptr<CFileData>> files;
    std::unique_ptr<CFileData>& data = files[count];
    if (data)
        return *data;
    const QString path = dir.filePath(QStringLiteral("markers%1.tsv").arg(count));
    {
        QRandomGenerator random(11);
        QByteArray text = "start\tend\tclass\tdirection\tname\n";
        text.reserve(qsizetype(count) * 40);
        for (int i = 0; i < count; ++i) {
            const int start = random.bounded(kGenome - 3000);
            const int end = start + 100 + random.bounded(2900);
            text += QByteArray::number(start) + '\t' + QByteArray::number(end) + '\t' + kClasses[random.bounded(5)]
                + '\t' + (random.bounded(2) ? "+" : "-") + "\tgene" + QByteArray::number(i) + '\n';
        }
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
            qFatal("cannot write the marker file");
    }
    data = BenchSupport::LoadMarkerFile(path);
    return *data;
}

std::unique_ptr<CCircleViewConfig> CircularView()
{
    auto view = std::make_unique<CCircleViewConfig>(QStringLiteral("Benchmark map"));
    const RgbColor colors[] = {0xE41A1C, 0x377EB8, 0x4DAF4A, 0x984EA3, 0xFF7F00};
    for (int ring = 0; ring < 5; ++ring)
        view->Add(&MarkerFile(), kClasses[ring], kClasses[ring], ring, colors[ring]);
    view->SetGenomeLength(kGenome);
    return view;
}

void Save(CViewConfig& view, int kind, const QString& fileType, const QString& target)
{
    const CImageExportResult result = MImageExport::SaveImage(view, kind, fileType, target);
    if (!result.Succeeded())
        qFatal("export failed: %s", qPrintable(result.mMessage));
}

qint64 FileSize(const QString& path)
{
    return QFileInfo(path).size();
}

// Build the map, then save it as a 1680 x 1200 PNG.
void BM_CircularPngDoubleResolution(benchmark::State& state)
{
    std::unique_ptr<CCircleViewConfig> view = CircularView();
    QTemporaryDir dir;
    const QString target = dir.filePath("map.png");
    for (auto _ : state) {
        view->MakeViewImage();
        Save(*view, MImageExport::kHighResolutionBitmap, MImageExport::kPngFileType, target);
    }
    state.counters["objects"] = view->Image()->Count();
    state.counters["file_kB"] = FileSize(target) / 1024.0;
}
// Bitmap pages are written on a second thread: time is wall-clock time, CPU
// that of the whole process.
BENCHMARK(BM_CircularPngDoubleResolution)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

// The built map saved as a vector PICT.
void BM_CircularVectorPict(benchmark::State& state)
{
    std::unique_ptr<CCircleViewConfig> view = CircularView();
    view->MakeViewImage();
    QTemporaryDir dir;
    const QString target = dir.filePath("map.pct");
    for (auto _ : state)
        Save(*view, MImageExport::kVectorPicture, MImageExport::kPngFileType, target);
    state.counters["objects"] = view->Image()->Count();
    state.counters["file_kB"] = FileSize(target) / 1024.0;
}
BENCHMARK(BM_CircularVectorPict)->Unit(benchmark::kMillisecond);

// A linear map cut into twenty pages, saved as PNG pages at screen
// resolution; s_per_page is the time a page. Arguments: the number of markers
// (a million, or five thousand as in a bacterial genome's annotation) and
// the bp a row.
void BM_LinearPngPages(benchmark::State& state)
{
    CFileData& markers = MarkerFile(int(state.range(0)));
    auto view = std::make_unique<CLinearViewConfig>(QStringLiteral("Benchmark map"));
    view->Add(&markers, "cds", "CDS", CLinearViewConfig::kBottom, CLinearViewConfig::kArrow, 0x2040E0);
    view->Add(&markers, "repeat", "Repeat", CLinearViewConfig::kUpper, 0, 0xE04020);
    view->SetGenomeLength(kGenome);
    view->SetStartLocate(0);
    view->SetEndLocate(kGenome);
    view->SetScale(int(state.range(1)));
    view->SetPageWidth(600);
    view->SetPageHeight(800);
    view->MakeViewImage();
    // The shortest page that cuts the map into at most twenty pages.
    int low = 200;
    int high = 200000;
    while (low < high) {
        const int height = (low + high) / 2;
        view->SetPageHeight(height);
        if (view->PageCount() > 20)
            low = height + 1;
        else
            high = height;
    }
    view->SetPageHeight(low);
    const int pages = view->PageCount();
    QTemporaryDir dir;
    const QString target = dir.filePath("pages");
    for (auto _ : state)
        Save(*view, MImageExport::kLowResolutionBitmap, MImageExport::kPngFileType, target);
    state.counters["pages"] = pages;
    state.counters["page_height"] = view->PageHeight();
    // Seconds a page: pages written over the time they took.
    state.counters["s_per_page"] = benchmark::Counter(double(pages) * double(state.iterations()),
                                                      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_LinearPngPages)
    ->Args({kMarkers, 50000})
    ->Args({5000, 25000})
    ->ArgNames({"markers", "row_bp"})
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

}  // namespace

int main(int argc, char** argv)
{
    return BenchSupport::RunOffscreen(argc, argv);
}
