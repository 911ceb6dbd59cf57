// Loading and finalizing a data file: LoadData (test + read) and Finalize on
// generated tab files of five columns (start, end, class of 5 values,
// direction, name), about 40 bytes a row.
//
// Peak memory of one size: /usr/bin/time -v bench_data_file --benchmark_filter='LoadAndFinalize/1000000'

#include "core/CFileData.h"
#include "core/CTable.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <map>
#include <random>

namespace {

const char* const kClasses[] = {"gene", "tRNA", "rRNA", "repeat", "Pseudo"};

// One generated file per row count, written once per run.
QString DataFile(int rows)
{
    static QTemporaryDir folder;
    static std::map<int, QString> files;
    const auto known = files.find(rows);
    if (known != files.end())
        return known->second;

    const QString path = folder.filePath(QStringLiteral("markers_%1.tsv").arg(rows));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    std::mt19937 random(rows);
    std::uniform_int_distribution<int> length(100, 5000);
    QByteArray chunk = "start\tend\tclass\tdirection\tname\n";
    qint64 start = 1;
    for (int r = 0; r < rows; ++r) {
        const qint64 end = start + length(random);
        chunk += QByteArray::number(start) + '\t' + QByteArray::number(end) + '\t' + kClasses[random() % 5] + '\t'
                 + (random() % 2 ? '+' : '-') + "\tmarker_" + QByteArray::number(r) + '\n';
        start = end + length(random) / 10;
        if (chunk.size() > (1 << 20)) {
            file.write(chunk);
            chunk.clear();
        }
    }
    file.write(chunk);
    file.close();
    files.emplace(rows, path);
    return path;
}

void AssignRoles(CFileData* data)
{
    for (int role = 0; role < CFileData::kRoleCount; ++role)
        data->SetConfig(role, role);
}

void BM_LoadAndFinalize(benchmark::State& state)
{
    const int rows = int(state.range(0));
    const QFileInfo file(DataFile(rows));
    for (auto _ : state) {
        CFileData data;
        data.SetFile(file);
        if (!data.LoadData().isEmpty() || data.RowCount() != rows)
            state.SkipWithError("load failed");
        AssignRoles(&data);
        data.Finalize();
        benchmark::DoNotOptimize(data.MaximumLocate());
        if (data.ClassCount() != 5)
            state.SkipWithError("wrong class count");
    }
    state.SetItemsProcessed(state.iterations() * rows);
    state.SetBytesProcessed(state.iterations() * file.size());
}
BENCHMARK(BM_LoadAndFinalize)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_Finalize(benchmark::State& state)
{
    const int rows = int(state.range(0));
    CFileData data;
    data.SetFile(QFileInfo(DataFile(rows)));
    if (!data.LoadData().isEmpty())
        state.SkipWithError("load failed");
    AssignRoles(&data);
    for (auto _ : state) {
        data.Finalize();
        benchmark::DoNotOptimize(data.MaximumLocate());
    }
    state.SetItemsProcessed(state.iterations() * rows);
}
BENCHMARK(BM_Finalize)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// Reading every marker's cells the way a map does, without building strings.
void BM_ReadMarkerCells(benchmark::State& state)
{
    const int rows = int(state.range(0));
    CFileData data;
    data.SetFile(QFileInfo(DataFile(rows)));
    if (!data.LoadData().isEmpty())
        state.SkipWithError("load failed");
    const CTable* table = data.Table();
    const QByteArray wanted = QByteArrayLiteral("repeat");
    for (auto _ : state) {
        qint64 total = 0;
        int matches = 0;
        for (int r = data.FirstDataRow(); r < table->RowCount(); ++r) {
            if (table->ItemUtf8(r, 2) != wanted)
                continue;
            ++matches;
            total += table->ItemInteger(r, 1) - table->ItemInteger(r, 0);
        }
        benchmark::DoNotOptimize(total);
        benchmark::DoNotOptimize(matches);
    }
    state.SetItemsProcessed(state.iterations() * rows);
}
BENCHMARK(BM_ReadMarkerCells)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
