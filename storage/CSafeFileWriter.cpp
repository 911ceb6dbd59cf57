#include "storage/CSafeFileWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

QFileDevice::Permissions NewFilePermissions()
{
#ifdef Q_OS_UNIX
    // What creating the file directly would have given: 0666 less the umask.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    const mode_t mode = 0666 & ~mask;
    QFileDevice::Permissions permissions;
    if (mode & S_IRUSR)
        permissions |= QFileDevice::ReadOwner | QFileDevice::ReadUser;
    if (mode & S_IWUSR)
        permissions |= QFileDevice::WriteOwner | QFileDevice::WriteUser;
    if (mode & S_IRGRP)
        permissions |= QFileDevice::ReadGroup;
    if (mode & S_IWGRP)
        permissions |= QFileDevice::WriteGroup;
    if (mode & S_IROTH)
        permissions |= QFileDevice::ReadOther;
    if (mode & S_IWOTH)
        permissions |= QFileDevice::WriteOther;
    return permissions;
#else
    return QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser
           | QFileDevice::WriteUser;
#endif
}

void SyncFolder(const QString& folder)
{
#ifdef Q_OS_UNIX
    // Makes the rename itself durable.
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#else
    Q_UNUSED(folder);
#endif
}

}  // namespace

CSafeFileWriter::CSafeFileWriter(const QString& targetPath)
    : mTargetPath(QFileInfo(targetPath).absoluteFilePath())
{
    const QFileInfo target(mTargetPath);
    mTemporary.setFileTemplate(target.absolutePath() + QLatin1String("/.") + target.fileName()
                               + QLatin1String(".XXXXXX"));
    mTemporary.setAutoRemove(true);
}

CSafeFileWriter::~CSafeFileWriter() = default;

bool CSafeFileWriter::Open()
{
    Q_ASSERT(!mTemporary.isOpen() && !mCommitted);
    return mTemporary.open();  // read and write
}

QIODevice* CSafeFileWriter::Device()
{
    Q_ASSERT(mTemporary.isOpen());
    return &mTemporary;
}

bool CSafeFileWriter::Commit()
{
    if (!mTemporary.isOpen() || mCommitted)
        return false;
    if (!mTemporary.flush())
        return false;
#ifdef Q_OS_UNIX
    if (::fsync(mTemporary.handle()) != 0)
        return false;
#endif
    const QFileInfo target(mTargetPath);
    const QFileDevice::Permissions permissions =
        target.exists() ? QFile::permissions(mTargetPath) : NewFilePermissions();
    mTemporary.close();
    if (mTemporary.error() != QFileDevice::NoError)
        return false;
    mTemporary.setPermissions(permissions);

    // rename() replaces the target atomically; a reader sees the old file or
    // the new one, never a mix.
    const QString temporaryPath = mTemporary.fileName();
    if (std::rename(QFile::encodeName(temporaryPath).constData(),
                    QFile::encodeName(mTargetPath).constData())
        != 0)
        return false;
    mTemporary.setAutoRemove(false);
    mCommitted = true;
    SyncFolder(target.absolutePath());
    return true;
}
