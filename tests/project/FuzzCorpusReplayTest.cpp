// Replays the fuzzers' corpus through the restore code under this build's
// sanitizers: every seed must still be read, and every input the fuzzers
// once crashed on must now be refused cleanly.
#include "fuzz/MFuzzInput.h"
#include "tests/support/TestPaths.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

QFileInfoList CorpusFiles(const QString& target)
{
    return QDir(TestPaths::SourceDir() + QStringLiteral("/fuzz/corpus/") + target)
        .entryInfoList(QDir::Files, QDir::Name);
}

QByteArray ReadAll(const QFileInfo& info)
{
    QFile file(info.absoluteFilePath());
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << info.absoluteFilePath().toStdString();
    return file.readAll();
}

bool IsSeed(const QFileInfo& info)
{
    return info.fileName().startsWith(QStringLiteral("seed-"));
}

TEST(FuzzCorpusReplay, ProjectCorpus)
{
    const QFileInfoList files = CorpusFiles(QStringLiteral("project"));
    ASSERT_FALSE(files.isEmpty());
    for (const QFileInfo& info : files) {
        const QString message = MFuzzInput::RestoreProject(ReadAll(info));
        if (IsSeed(info)) {
            EXPECT_EQ(message, QString()) << info.fileName().toStdString();
        }
    }
}

TEST(FuzzCorpusReplay, PreferencesCorpus)
{
    const QFileInfoList files = CorpusFiles(QStringLiteral("preferences"));
    ASSERT_FALSE(files.isEmpty());
    for (const QFileInfo& info : files) {
        const int entries = MFuzzInput::RestorePreferences(ReadAll(info));
        if (IsSeed(info)) {
            EXPECT_GT(entries, 0) << info.fileName().toStdString();
        }
    }
}

}  // namespace
