#pragma once

#include <QString>
#include <QTemporaryFile>

class QIODevice;

// Writes a file so that the old one survives any failure: the new content
// goes to a temporary file in the same folder (open for reading and writing,
// as the block file frame reads its content back for the digest), and only
// Commit, once everything is written and flushed to disk, replaces the old
// file in one step. A writer destroyed without Commit removes its
// temporary file and leaves the old file as it was.
class CSafeFileWriter
{
public:
    explicit CSafeFileWriter(const QString& targetPath);
    ~CSafeFileWriter();

    CSafeFileWriter(const CSafeFileWriter&) = delete;
    CSafeFileWriter& operator=(const CSafeFileWriter&) = delete;

    // Creates the temporary file; false when the folder does not allow it.
    bool Open();
    // The temporary file, valid after a successful Open.
    QIODevice* Device();
    // Flushes, syncs and renames the temporary file over the target; the
    // target keeps its permissions. False (old file untouched) on failure.
    bool Commit();

    QString TargetPath() const { return mTargetPath; }

private:
    QString mTargetPath;
    QTemporaryFile mTemporary;
    bool mCommitted = false;
};
