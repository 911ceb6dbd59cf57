// Building, paging and painting a linear map of a million markers over 5 Mbp.
#include "bench/BenchSupport.h"
#include "core/CFileData.h"
#include "linear/CLinearViewConfig.h"
#include "linear/CStripedVectorImage.h"
#include "views/CSceneRenderer.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <array>
#include <fstream>
#include <memory>

namespace {

constexpr int kGenome = 5000000;
constexpr int kMarkers = 1000000;

double ResidentMegabytes()
{
    std::ifstream statm("/proc/self/statm");
    long pages = 0;
    long resident = 0;
    statm >> pages >> resident;
    return resident * 4096.0 / (1024 * 1024);
}

// One data file of a million markers (80 % class "cds", 20 % "repeat"),
// 100 bp to 3 kbp long, with names and directions; loaded once.
CFileData& MarkerFile()
{
    static QTemporaryDir dir;
    static std::unique_ptr<CFileData> data;
    if (data)
        return *data;
    const QString path = dir.filePath(QStringLiteral("markers.tsv"));
    {
        QRandomGenerator random(7);
        QByteArray text = "start\tend\tclass\tdirection\tname\n";
        text.reserve(kMarkers * 40);
        for (int i = 0; i < kMarkers; ++i) {
            const int start = random.bounded(kGenome - 3000);
            const int end = start + 100 + random.bounded(2900);
            text += QByteArray::number(start) + '\t' + QByteArray::number(end) + '\t'
                + (random.bounded(5) == 0 ? "repeat" : "cds") + '\t' + (random.bounded(2) ? "+" : "-") + "\tgene"
                + QByteArray::number(i) + '\n';
        }
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
            qFatal("cannot write the marker file");
    }
    data = BenchSupport::LoadMarkerFile(path);
    return *data;
}

std::unique_ptr<CLinearViewConfig> MakeView(int scale, bool names)
{
    auto view = std::make_unique<CLinearViewConfig>(QStringLiteral("Benchmark map"));
    CFileData& data = MarkerFile();
    view->Add(&data, "cds", "CDS", CLinearViewConfig::kBottom, CLinearViewConfig::kArrow, 0x2040E0);
    view->Add(&data, "repeat", "Repeat", CLinearViewConfig::kUpper, 0, 0xE04020);
    view->SetGenomeLength(kGenome);
    view->SetStartLocate(0);
    view->SetEndLocate(kGenome);
    view->SetScale(scale);
    view->SetDrawMarkerNames(names);
    return view;
}

// Both row scales (50 and 500 rows), each with and without names.
void ScalesWithAndWithoutNames(benchmark::internal::Benchmark* benchmark)
{
    benchmark->ArgsProduct({{100000, 10000}, {0, 1}})->ArgNames({"scale", "names"});
}

void BM_BuildLinearMap(benchmark::State& state)
{
    const int scale = int(state.range(0));
    const bool names = state.range(1) != 0;
    std::unique_ptr<CLinearViewConfig> view = MakeView(scale, names);
    for (auto _ : state) {
        view->MakeViewImage();
        benchmark::DoNotOptimize(view->StripedImage());
    }
    state.counters["rows"] = view->MapCount();
    state.counters["height"] = view->ViewHeight();
    state.counters["rss_MB"] = ResidentMegabytes();
}
BENCHMARK(BM_BuildLinearMap)
    ->Apply(ScalesWithAndWithoutNames)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

void BM_PageLetter(benchmark::State& state)
{
    std::unique_ptr<CLinearViewConfig> view = MakeView(int(state.range(0)), true);
    view->MakeViewImage();
    bool letter = false;
    for (auto _ : state) {
        // Alternate so that every call re-pages.
        letter = !letter;
        view->SetPageWidth(letter ? 612 : 600);
        view->SetPageHeight(792);
        benchmark::DoNotOptimize(view->PageCount());
    }
    state.counters["pages"] = view->PageCount();
}
BENCHMARK(BM_PageLetter)->Arg(100000)->Arg(10000)->ArgNames({"scale"})->Unit(benchmark::kMicrosecond);

// Draws one 800 x 600 window of the map per iteration, at its top, middle
// and bottom in turn; `draw` paints the window whose top is given.
std::array<int, 3> WindowTops(const CLinearViewConfig& view)
{
    return {0, view.ViewHeight() / 2, std::max(0, view.ViewHeight() - 600)};
}

// The map a window benchmark draws, built for its arguments (scale, names).
std::unique_ptr<CLinearViewConfig> BuiltView(const benchmark::State& state)
{
    std::unique_ptr<CLinearViewConfig> view = MakeView(int(state.range(0)), state.range(1) != 0);
    view->MakeViewImage();
    return view;
}

template <typename DrawWindow>
void DrawWindows(benchmark::State& state, const CLinearViewConfig& view, DrawWindow draw)
{
    QImage image(800, 600, QImage::Format_ARGB32_Premultiplied);
    const std::array<int, 3> tops = WindowTops(view);
    int which = 0;
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter painter(&image);
        draw(painter, tops[which]);
        painter.end();
        which = (which + 1) % 3;
        benchmark::DoNotOptimize(image.constBits());
    }
}

// The windows repainted from the stripe tiles the map keeps: each is painted
// once before timing (BM_DrawWindowFirstPaint measures that first paint).
void BM_DrawWindow(benchmark::State& state)
{
    std::unique_ptr<CLinearViewConfig> view = BuiltView(state);
    {
        QImage scratch(800, 600, QImage::Format_ARGB32_Premultiplied);
        QPainter painter(&scratch);
        for (const int top : WindowTops(*view))
            view->DrawImage(painter, -20, -top);
    }
    DrawWindows(state, *view, [&view](QPainter& painter, int top) { view->DrawImage(painter, -20, -top); });
    state.counters["height"] = view->ViewHeight();
    state.counters["tile_MB"] = double(view->StripedImage()->TileBytes()) / (1 << 20);
}
BENCHMARK(BM_DrawWindow)
    ->Apply(ScalesWithAndWithoutNames)
    ->Unit(benchmark::kMillisecond);

// The same windows painted as if never seen: the stripe tiles kept from the
// previous window are given up first, so every stripe is rendered anew.
void BM_DrawWindowFirstPaint(benchmark::State& state)
{
    std::unique_ptr<CLinearViewConfig> view = BuiltView(state);
    const CStripedVectorImage& stripes = *view->StripedImage();
    DrawWindows(state, *view, [&state, &view, &stripes](QPainter& painter, int top) {
        state.PauseTiming();
        stripes.DropTiles();
        state.ResumeTiming();
        view->DrawImage(painter, -20, -top);
    });
    state.counters["tile_MB"] = double(stripes.TileBytes()) / (1 << 20);
}
BENCHMARK(BM_DrawWindowFirstPaint)
    ->Apply(ScalesWithAndWithoutNames)
    ->Unit(benchmark::kMillisecond);

// The same windows drawn straight from the shapes, every stacked shape
// painted: what the first paint saves by leaving out shapes on pixels that
// already hold their colour, measured under the same load.
void BM_DrawWindowEveryShape(benchmark::State& state)
{
    std::unique_ptr<CLinearViewConfig> view = BuiltView(state);
    const CStripedVectorImage& stripes = *view->StripedImage();
    DrawWindows(state, *view, [&stripes](QPainter& painter, int top) {
        for (int i = 0; i < stripes.Count(); ++i) {
            if (stripes.Top(i) <= top + 600 && stripes.Top(i) + stripes.Height(i) >= top)
                CSceneRenderer::DrawObject(painter, *stripes.NthImage(i), -20, -top, CSceneRenderer::Stacked::PaintAll);
        }
    });
}
BENCHMARK(BM_DrawWindowEveryShape)
    ->Apply(ScalesWithAndWithoutNames)
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    return BenchSupport::RunOffscreen(argc, argv);
}
