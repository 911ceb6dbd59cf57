// Saving and restoring a project file: one data file of 1M rows and five
// columns, and two views (circular and linear). Targets: each under 1.5 s,
// the project file under twice the size of the text file.
#include "bench/BenchSupport.h"
#include "core/CFileData.h"
#include "linear/CLinearViewConfig.h"
#include "project/CProject.h"
#include "project/MProjectFile.h"
#include "views/CCircleViewConfig.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cstdlib>
#include <memory>

namespace {

constexpr int kRows = 1000000;
constexpr int kGenome = 250000000;
const char* const kClasses[] = {"gneg", "gpos25", "gpos50", "gpos75", "gpos100", "acen", "gvar", "stalk"};

struct Fixture
{
    QTemporaryDir dir;
    QString textPath;
    QString projectPath;
    qint64 textSize = 0;
    std::unique_ptr<CProject> project;
};

Fixture& Shared()
{
    static Fixture* fixture = [] {
        auto* f = new Fixture;
        f->textPath = f->dir.filePath(QStringLiteral("markers.tsv"));
        f->projectPath = f->dir.filePath(QStringLiteral("markers.kyql"));
        QFile text(f->textPath);
        if (!text.open(QIODevice::WriteOnly))
            std::abort();
        QRandomGenerator random(7);
        QByteArray chunk;
        chunk += "start\tend\tclass\tstrand\tname\n";
        for (int row = 0; row < kRows; ++row) {
            const int start = random.bounded(kGenome - 10000);
            const int end = start + 1 + random.bounded(9999);
            chunk += QByteArray::number(start) + '\t' + QByteArray::number(end) + '\t' + kClasses[row % 8]
                     + '\t' + (row % 3 == 0 ? "-" : "+") + "\tmarker_" + QByteArray::number(row) + '\n';
            if (chunk.size() > (1 << 20)) {
                text.write(chunk);
                chunk.clear();
            }
        }
        text.write(chunk);
        text.close();
        f->textSize = QFileInfo(f->textPath).size();

        auto data = std::make_unique<CFileData>();
        data->SetFile(QFileInfo(f->textPath));
        if (!data->LoadData().isEmpty())
            std::abort();
        for (int role = 0; role < CFileData::kRoleCount; ++role)
            data->SetConfig(role, role);
        f->project = std::make_unique<CProject>();
        f->project->AddImportedFile(std::move(data));
        CFileData* file = f->project->File(0);

        auto circle = std::make_unique<CCircleViewConfig>(QStringLiteral("Circle View"));
        auto linear = std::make_unique<CLinearViewConfig>(QStringLiteral("Linear View"));
        for (int c = 0; c < 8; ++c) {
            circle->Add(file, kClasses[c], kClasses[c], c % 5, 0x101010u * quint32(c + 1));
            linear->Add(file, kClasses[c], kClasses[c], c % 2, c % 3, 0x202020u * quint32(c + 1));
        }
        circle->SetGenomeLength(kGenome);
        linear->SetGenomeLength(kGenome);
        f->project->AddView(std::move(circle));
        f->project->AddView(std::move(linear));
        return f;
    }();
    return *fixture;
}

void BM_SaveProject(benchmark::State& state)
{
    Fixture& f = Shared();
    for (auto _ : state) {
        const QString message = MProjectFile::Save(*f.project, f.projectPath);
        if (!message.isEmpty())
            state.SkipWithError("save failed");
    }
    const qint64 projectSize = QFileInfo(f.projectPath).size();
    state.counters["text_MB"] = double(f.textSize) / 1e6;
    state.counters["project_MB"] = double(projectSize) / 1e6;
    state.counters["size_ratio"] = double(projectSize) / double(f.textSize);
}
BENCHMARK(BM_SaveProject)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_RestoreProject(benchmark::State& state)
{
    Fixture& f = Shared();
    if (!MProjectFile::Save(*f.project, f.projectPath).isEmpty())
        state.SkipWithError("save failed");
    for (auto _ : state) {
        std::unique_ptr<CProject> restored;
        const QString message = MProjectFile::Restore(f.projectPath, restored);
        if (!message.isEmpty() || restored->File(0)->RowCount() != kRows)
            state.SkipWithError("restore failed");
        benchmark::DoNotOptimize(restored);
    }
}
BENCHMARK(BM_RestoreProject)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

int main(int argc, char** argv)
{
    return BenchSupport::RunOffscreen(argc, argv);
}
