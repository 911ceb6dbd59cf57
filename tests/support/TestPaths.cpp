#include "tests/support/TestPaths.h"

#include <QDir>
#include <QtGlobal>

namespace TestPaths {

QString SourceDir()
{
    const QString dir = qEnvironmentVariable("KQ_SOURCE_DIR");
    return dir.isEmpty() ? QDir::currentPath() : dir;
}

QString SampleData(const QString& fileName)
{
    return SourceDir() + QStringLiteral("/samples/data/") + fileName;
}

QString BinaryDir()
{
    const QString dir = qEnvironmentVariable("KQ_BINARY_DIR");
    return dir.isEmpty() ? QDir::currentPath() : dir;
}

}  // namespace TestPaths
