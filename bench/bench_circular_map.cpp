// Circular map of a large data file: pick up, sort and build the scene, then
// render it to an 840 x 600 image.
//
// Data: 5 classes on the 5 rings, markers of 100..3000 bp scattered over a
// 5 Mbp genome, classes mixed row by row. Run one size alone under
// /usr/bin/time -v to see the peak memory of its scene, e.g.
//   bench_circular_map --benchmark_filter='Build/1000000'

#include "bench/BenchSupport.h"
#include "core/CFileData.h"
#include "views/CCircleViewConfig.h"
#include "views/CSceneRenderer.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <random>

namespace {

constexpr int kGenomeLength = 5000000;
const char* const kClasses[] = {"cds", "rrna", "trna", "repeat", "ncrna"};

struct LoadedFile
{
    QTemporaryDir dir;
    std::unique_ptr<CFileData> data;
};

// One loaded file per size, kept for the whole run.
CFileData& DataFile(int markers)
{
    static std::map<int, std::unique_ptr<LoadedFile>> files;
    auto& slot = files[markers];
    if (!slot) {
        slot = std::make_unique<LoadedFile>();
        const QString path = slot->dir.filePath("markers.tsv");
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            qFatal("cannot write the benchmark data");
        std::mt19937 random(42);
        QByteArray text = "start\tend\tclass\tstrand\tname\n";
        text.reserve(qsizetype(markers) * 40);
        for (int i = 0; i < markers; ++i) {
            const int start = int(random() % (kGenomeLength - 3000));
            const int end = start + 100 + int(random() % 2900);
            text += QByteArray::number(start) + '\t' + QByteArray::number(end) + '\t' + kClasses[random() % 5] + '\t'
                + (random() % 2 ? '+' : '-') + "\tm" + QByteArray::number(i) + '\n';
        }
        file.write(text);
        file.close();
        slot->data = BenchSupport::LoadMarkerFile(path);
    }
    return *slot->data;
}

std::unique_ptr<CCircleViewConfig> MakeView(CFileData& file)
{
    auto view = std::make_unique<CCircleViewConfig>(QStringLiteral("Benchmark map"));
    const RgbColor colors[] = {0xE41A1C, 0x377EB8, 0x4DAF4A, 0x984EA3, 0xFF7F00};
    for (int ring = 0; ring < 5; ++ring)
        view->Add(&file, kClasses[ring], kClasses[ring], ring, colors[ring]);
    view->SetGenomeLength(kGenomeLength);
    return view;
}

// Pick up, sort and build the scene.
void Build(benchmark::State& state)
{
    CFileData& file = DataFile(int(state.range(0)));
    auto view = MakeView(file);
    for (auto _ : state) {
        view->MakeViewImage();
        benchmark::DoNotOptimize(view->Image()->Count());
    }
    state.counters["objects"] = view->Image()->Count();
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// Picking up alone: the part that reads the data file.
void PickUp(benchmark::State& state)
{
    CFileData& file = DataFile(int(state.range(0)));
    auto view = MakeView(file);
    std::vector<CMarkerData> markers;
    for (auto _ : state) {
        view->PickUpMarkerData(markers);
        benchmark::DoNotOptimize(markers.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// The same, then rendered into an 840 x 600 image.
void BuildAndRender(benchmark::State& state)
{
    CFileData& file = DataFile(int(state.range(0)));
    auto view = MakeView(file);
    QImage image(840, 600, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        view->MakeViewImage();
        image.fill(Qt::white);
        QPainter painter(&image);
        view->DrawImage(painter, 0, 0);
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// Rendering an already built scene, as the view window repaints it.
void Render(benchmark::State& state)
{
    CFileData& file = DataFile(int(state.range(0)));
    auto view = MakeView(file);
    view->MakeViewImage();
    QImage image(840, 600, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter painter(&image);
        view->DrawImage(painter, 0, 0);
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}

BENCHMARK(PickUp)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(Build)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BuildAndRender)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(Render)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->MinTime(1.0);

}  // namespace

int main(int argc, char** argv)
{
    return BenchSupport::RunOffscreen(argc, argv);
}
