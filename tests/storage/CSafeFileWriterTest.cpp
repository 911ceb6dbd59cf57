#include "storage/CSafeFileWriter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.readAll();
}

QStringList FilesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

class CSafeFileWriterTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        mTarget = mDir.filePath("project.kyql");
        QFile old(mTarget);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old content");
        old.close();
        ASSERT_TRUE(QFile::setPermissions(mTarget, QFile::ReadOwner | QFile::WriteOwner
                                                       | QFile::ReadUser | QFile::WriteUser
                                                       | QFile::ReadGroup));
    }

    QTemporaryDir mDir;
    QString mTarget;
};

}  // namespace

TEST_F(CSafeFileWriterTest, OldFileStaysUntouchedUntilCommit)
{
    {
        CSafeFileWriter writer(mTarget);
        ASSERT_TRUE(writer.Open());
        writer.Device()->write("new, but never finished");
        EXPECT_EQ(ReadAll(mTarget), QByteArray("old content"));
        // Dropped without Commit, as after a failed save.
    }
    EXPECT_EQ(ReadAll(mTarget), QByteArray("old content"));
    EXPECT_EQ(FilesIn(mDir.path()), QStringList{"project.kyql"});
}

TEST_F(CSafeFileWriterTest, CommitReplacesTheFileAndKeepsItsPermissions)
{
    const QFile::Permissions before = QFile::permissions(mTarget);
    CSafeFileWriter writer(mTarget);
    ASSERT_TRUE(writer.Open());
    QIODevice* device = writer.Device();
    device->write("new content");
    // The temporary file can be read back, as the frame's digest needs.
    ASSERT_TRUE(device->seek(4));
    EXPECT_EQ(device->read(7), QByteArray("content"));
    ASSERT_TRUE(writer.Commit());
    EXPECT_EQ(ReadAll(mTarget), QByteArray("new content"));
    EXPECT_EQ(QFile::permissions(mTarget), before);
    EXPECT_EQ(FilesIn(mDir.path()), QStringList{"project.kyql"});
    EXPECT_FALSE(writer.Commit());  // once only
}

TEST_F(CSafeFileWriterTest, WritesANewFileAndFailsInAMissingFolder)
{
    const QString fresh = mDir.filePath("fresh.pref");
    CSafeFileWriter writer(fresh);
    ASSERT_TRUE(writer.Open());
    writer.Device()->write("x");
    ASSERT_TRUE(writer.Commit());
    EXPECT_EQ(ReadAll(fresh), QByteArray("x"));
    EXPECT_TRUE(QFile::permissions(fresh) & QFile::WriteOwner);

    CSafeFileWriter nowhere(mDir.filePath("missing/folder/file"));
    EXPECT_FALSE(nowhere.Open());
    EXPECT_FALSE(nowhere.Commit());
}
