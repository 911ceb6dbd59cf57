// Rendering cost of circular and linear map scenes into an 840 x 600 image.
#include "bench/BenchSupport.h"
#include "linear/CLinearShape.h"
#include "linear/CStripedVectorImage.h"
#include "views/CGenomeArcShape.h"
#include "views/CSceneRenderer.h"
#include "views/CurveShape.h"
#include "views/MShape.h"
#include "views/MStringShapeExt.h"

#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>
#include <QRandomGenerator>

#include <algorithm>
#include <fstream>
#include <string>

namespace {

constexpr int kGenome = 5000000;
const int kRadii[] = {250, 230, 210, 190, 170, 150, 130};
const RgbColor kPalette[] = {0xE41A1C, 0x377EB8, 0x4DAF4A, 0x984EA3, 0xFF7F00, 0xA65628};

double ResidentMegabytes()
{
    std::ifstream statm("/proc/self/statm");
    long pages = 0;
    long resident = 0;
    statm >> pages >> resident;
    return resident * 4096.0 / (1024 * 1024);
}

// A circular map as it is built: per ring its markers (in data order), then
// the ring's white mask; then the frames of all six boundaries.
Group2DRef CircularScene(int markers, int minLength, int maxLength)
{
    QRandomGenerator random(42);
    auto scene = std::make_shared<Group2D>();
    scene->Reserve(markers + 20);
    CGenomeArcShape arcs;
    arcs.SetGenomeLength(kGenome);
    arcs.SetCenterX(350);
    arcs.SetCenterY(330);
    for (int ring = 0; ring < 5; ++ring) {
        arcs.SetArcR(kRadii[ring + 1]);
        for (int k = 0; k < markers / 5; ++k) {
            const int start = random.bounded(kGenome);
            const int length = minLength + random.bounded(maxLength - minLength + 1);
            scene->Append(arcs.MakeShape(start, std::min(start + length, kGenome - 1), kPalette[random.bounded(6)]));
        }
        arcs.SetArcR(kRadii[ring + 2]);
        scene->Append(arcs.MakeWhiteMask());
    }
    for (int k = 1; k <= 6; ++k) {
        arcs.SetArcR(kRadii[k]);
        scene->Append(arcs.MakeFrame(0x000000));
    }
    return scene;
}

void RenderCircular(benchmark::State& state, const Group2DRef& scene)
{
    QImage image(840, 600, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter painter(&image);
        CSceneRenderer::DrawObject(painter, *scene);
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}

void BM_Render100kArcs(benchmark::State& state)
{
    // Markers of 7 to 60 kbp are all wider than one pixel of arc on every ring.
    static const Group2DRef scene = CircularScene(100000, 7000, 60000);
    RenderCircular(state, scene);
}
BENCHMARK(BM_Render100kArcs)->Unit(benchmark::kMillisecond);

void BM_Render1MHairlines(benchmark::State& state)
{
    static double before = ResidentMegabytes();
    static const Group2DRef scene = CircularScene(1000000, 0, 1000);
    state.counters["scene_MB"] = ResidentMegabytes() - before;
    RenderCircular(state, scene);
}
BENCHMARK(BM_Render1MHairlines)->Unit(benchmark::kMillisecond);

// A 1000-row linear picture: each row has its frame (axis, grid, labels) and
// markers below the axis with their names, as the linear map builds them.
CStripedVectorImage& StripedPicture()
{
    static CStripedVectorImage picture = [] {
        QRandomGenerator random(7);
        CStripedVectorImage image;
        for (int row = 0; row < 1000; ++row) {
            image.NewImage(0, 83);
            for (int m = 0; m < 40; ++m) {
                const int x = random.bounded(780);
                const int rank = random.bounded(3);
                auto name = std::make_shared<StringShape>();
                name->SetTextFont(QStringLiteral("Arial"));
                name->SetTextSize(10);
                MStringShapeExt::SetString(*name, QStringLiteral("gene%1").arg(m), x + 20, 20 + 20 * rank + 10, 1 + 8);
                image.Append(name);
                CLinearShape shape;
                shape.SetLeft(x + 20);
                shape.SetTop(20 + 20 * rank + 3);
                shape.SetWidth(5 + random.bounded(30));
                shape.SetHeight(6);
                shape.SetFillColor(kPalette[m % 6]);
                const int type = m % 3;
                image.Append(type == 0 ? shape.MakeRect(m % 2) : type == 1 ? shape.MakeOval(m % 2) : shape.MakeArrow(m % 2));
            }
            auto frame = std::make_shared<Group2D>();
            for (int j = 0; j <= 10; ++j) {
                auto grid = std::make_shared<CurveShape>();
                grid->SetX(80 * j);
                grid->SetY(j % 5 == 0 ? 6 : 10);
                grid->SetX2(80 * j);
                grid->SetY2(83);
                grid->SetBorderWidth(0.5);
                grid->SetBorderColor(0xC8C8C8);
                frame->Append(grid);
                if (j % 5 == 0) {
                    auto label = std::make_shared<StringShape>();
                    label->SetTextSize(10);
                    MStringShapeExt::SetString(*label, QStringLiteral("%1.0Kbp").arg(row * 100 + j * 10), 80 * j, 6, j == 0 ? 1 : j == 5 ? 0 : 2);
                    frame->Append(label);
                }
            }
            auto axis = std::make_shared<CurveShape>();
            axis->SetY(20);
            axis->SetX2(800);
            axis->SetY2(20);
            axis->SetBorderWidth(0.5);
            frame->Append(axis);
            frame->SetX(20);
            image.NthImage(-1)->Insert(0, frame);
        }
        image.SetTop(0, 20);
        for (int i = 1; i < image.Count(); ++i)
            image.SetTop(i, image.Top(i - 1) + image.Height(i - 1) + 15);
        return image;
    }();
    return picture;
}

void BM_DrawStripedWindow(benchmark::State& state)
{
    CStripedVectorImage& picture = StripedPicture();
    QImage image(840, 600, QImage::Format_ARGB32_Premultiplied);
    const int middle = picture.Top(500);
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter painter(&image);
        picture.Draw(painter, 0, middle, 600);
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_DrawStripedWindow)->Unit(benchmark::kMillisecond);

}

int main(int argc, char** argv)
{
    return BenchSupport::RunOffscreen(argc, argv);
}
