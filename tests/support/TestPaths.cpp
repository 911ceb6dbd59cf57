#include "tests/support/TestPaths.h"

#include <QtGlobal>

namespace TestPaths {

QString SourceDir()
{
    const QString dir = qEnvironmentVariable("KQ_SOURCE_DIR");
    return dir.isEmpty() ? QStringLiteral(KQ_DEFAULT_SOURCE_DIR) : dir;
}

QString SampleData(const QString& fileName)
{
    return SourceDir() + QStringLiteral("/samples/data/") + fileName;
}

QString BinaryDir()
{
    const QString dir = qEnvironmentVariable("KQ_BINARY_DIR");
    return dir.isEmpty() ? QStringLiteral(KQ_DEFAULT_BINARY_DIR) : dir;
}

}  // namespace TestPaths
