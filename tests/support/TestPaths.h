#pragma once

#include <QString>

// Where tests find the checkout and its bundled marker files.
namespace TestPaths {

// Root of the source checkout (from KQ_SOURCE_DIR, set by CTest).
QString SourceDir();

// A bundled real marker file, e.g. SampleData("klebsiella_KL34_cds.tsv").
QString SampleData(const QString& fileName);

// Folder of the build tree (from KQ_BINARY_DIR), where built programs live.
QString BinaryDir();

}  // namespace TestPaths
