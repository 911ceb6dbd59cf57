#include "project/MProjectFile.h"

#include "project/CProject.h"
#include "storage/CBinaryFileTool.h"
#include "storage/CBinaryStream.h"
#include "storage/CSafeFileWriter.h"

#include <QFile>
#include <QFileInfo>

#include <future>

namespace MProjectFile {

const char* const kFileTag = "KYQL";
const char* const kOpenError = "Open Error";
const char* const kNotReadable = "Selected file is not Readable!!";

QString SaveTo(CProject& project, QIODevice& device, qint64* shortenedCellCount)
{
    const bool wasModified = project.Modified();
    QString message;
    {
        CBinaryStream io(&device);
        io.SetLittleEndian(true);
        CBinaryFileTool tool(io, CBinaryFileTool::WriteMode);
        if (!tool.BeginFile(QString::fromLatin1(kFileTag)))
            return CBinaryFileTool::WriteErrorMessage(QString::fromLatin1(CBinaryFileTool::kFrameBeginIdentifier));
        message = project.Save(io, shortenedCellCount);
        if (message.isEmpty() && tool.EndFile() < 0)
            message = CBinaryFileTool::WriteErrorMessage(QString::fromLatin1(CBinaryFileTool::kFrameEndIdentifier));
    }
    // The project saved its block, but the file is not done: it still
    // differs from what is on disk.
    if (!message.isEmpty() && wasModified)
        project.SetModified();
    return message;
}

QString Save(CProject& project, const QString& path, qint64* shortenedCellCount)
{
    if (QFileInfo(path).isDir())
        return QString::fromLatin1(kOpenError);
    CSafeFileWriter writer(path);
    if (!writer.Open())
        return QString::fromLatin1(kOpenError);
    const bool wasModified = project.Modified();
    qint64 shortened = 0;
    QString message = SaveTo(project, *writer.Device(), &shortened);
    if (message.isEmpty() && !writer.Commit()) {
        message = CBinaryFileTool::WriteErrorMessage(QString::fromLatin1(CBinaryFileTool::kFrameEndIdentifier));
        if (wasModified)
            project.SetModified();
    }
    if (message.isEmpty() && shortenedCellCount)
        *shortenedCellCount += shortened;
    return message;
}

namespace {

QString RestoreFrame(QIODevice& device, std::unique_ptr<CProject>& project, CBinaryFileTool::Digest digest)
{
    CBinaryStream io(&device);
    io.SetLittleEndian(true);
    CBinaryFileTool tool(io, CBinaryFileTool::ReadMode);
    if (!tool.BeginFile(QString::fromLatin1(kFileTag), digest))
        return QString::fromLatin1(kNotReadable);
    auto restored = std::make_unique<CProject>();
    const QString message = restored->Restore(io);
    tool.EndFile();
    if (!message.isEmpty())
        return message;
    project = std::move(restored);
    return QString();
}

// Whether the file open as `handle` is a whole project frame with its
// digest. Reads through a handle of its own on the same file, even if its
// path has been given to another file since.
bool HasIntactFrame(int handle)
{
    QFile again(QStringLiteral("/proc/self/fd/%1").arg(handle));
    if (!again.open(QIODevice::ReadOnly))
        return false;
    CBinaryStream io(&again);
    io.SetLittleEndian(true);
    CBinaryFileTool tool(io, CBinaryFileTool::ReadMode);
    return tool.BeginFile(QString::fromLatin1(kFileTag));
}

}  // namespace

QString RestoreFrom(QIODevice& device, std::unique_ptr<CProject>& project)
{
    return RestoreFrame(device, project, CBinaryFileTool::Digest::Verify);
}

QString Restore(const QString& path, std::unique_ptr<CProject>& project)
{
    QFile file(path);
    // Only a regular file: a folder or a pipe is no project file, and reading
    // a pipe could block.
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return QString::fromLatin1(kOpenError);
    // Checking the digest reads the whole file, which takes as long as reading
    // the project from it: it is done on a second thread meanwhile, and a
    // file that fails it is refused whatever the project read from it.
    std::future<bool> intact = std::async(std::launch::async, [handle = file.handle()] { return HasIntactFrame(handle); });
    std::unique_ptr<CProject> restored;
    const QString message = RestoreFrame(file, restored, CBinaryFileTool::Digest::LeaveUnchecked);
    if (!intact.get())
        return QString::fromLatin1(kNotReadable);
    if (!message.isEmpty())
        return message;
    project = std::move(restored);
    return QString();
}

}  // namespace MProjectFile
