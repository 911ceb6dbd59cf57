#pragma once

#include "core/CFileData.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QString>

#include <benchmark/benchmark.h>

#include <memory>

namespace BenchSupport {

// Loads a marker file of five columns (start, end, class, direction, name)
// as file 1 with every role assigned; a benchmark cannot go on without it.
inline std::unique_ptr<CFileData> LoadMarkerFile(const QString& path)
{
    auto data = std::make_unique<CFileData>();
    data->SetFile(QFileInfo(path));
    if (!data->TestFile().isEmpty() || !data->LoadData().isEmpty())
        qFatal("cannot load the marker file %s", qPrintable(path));
    data->SetConfig(CFileData::kRoleStart, 0);
    data->SetConfig(CFileData::kRoleEnd, 1);
    data->SetConfig(CFileData::kRoleClass, 2);
    data->SetConfig(CFileData::kRoleDirection, 3);
    data->SetConfig(CFileData::kRoleName, 4);
    data->SetFileNumber(1);
    data->Finalize();
    return data;
}

// Runs the benchmarks named on the command line with an offscreen GUI
// application, which measuring text needs.
inline int RunOffscreen(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

}  // namespace BenchSupport
