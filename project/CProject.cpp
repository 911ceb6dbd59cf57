#include "project/CProject.h"

#include "core/CFileData.h"
#include "linear/CLinearViewConfig.h"
#include "storage/CBinaryFileTool.h"
#include "storage/CBinaryStream.h"
#include "storage/MTextFileCodec.h"
#include "views/CCircleViewConfig.h"
#include "views/CViewConfig.h"

#include <limits>

namespace {

const QString kTag = QStringLiteral("proj");
const QString kCircleKind = QStringLiteral("C");
const QString kLinearKind = QStringLiteral("L");

// The least a stored data file takes: its "fdat" tag field and length, then
// its flag word. A file count beyond what the block can hold is refused
// before anything is allocated for it.
constexpr qint64 kSmallestStoredFile = 4 + 4 + 4 + 4;
// The least a stored view takes: a one-byte kind string and a block header.
constexpr qint64 kSmallestStoredView = 4 + 1 + 4 + 4 + 4;

QString WriteError(const char* identifier)
{
    return CBinaryFileTool::WriteErrorMessage(QString::fromLatin1(identifier));
}

QString ReadError(const char* identifier)
{
    return CBinaryFileTool::ReadErrorMessage(QString::fromLatin1(identifier));
}

// Counters step past the largest 32-bit value to 0 rather than overflow.
qint32 Following(qint32 value)
{
    return value == std::numeric_limits<qint32>::max() ? 0 : value + 1;
}

QString KindOf(const CViewConfig& view)
{
    if (dynamic_cast<const CLinearViewConfig*>(&view))
        return kLinearKind;
    if (dynamic_cast<const CCircleViewConfig*>(&view))
        return kCircleKind;
    return QString();
}

std::unique_ptr<CViewConfig> NewViewOfKind(const QString& kind)
{
    if (kind == kCircleKind)
        return std::make_unique<CCircleViewConfig>();
    if (kind == kLinearKind)
        return std::make_unique<CLinearViewConfig>();
    return nullptr;
}

}  // namespace

CProject::CProject() = default;

CProject::~CProject()
{
    // Views point at the files: they go first.
    mView.clear();
    mFile.clear();
    mRemovedFile.clear();
}

QString CProject::Restore(CBinaryStream& io)
{
    CBinaryFileTool tool(io, CBinaryFileTool::ReadMode);
    if (!tool.BeginBlock(kTag))
        return ReadError("Project.00");

    io.ReadInt32();  // reserved
    const qint32 fileCount = io.ReadInt32();
    if (io.Error() || !io.FitsInBytesLeft(fileCount, kSmallestStoredFile))
        return ReadError("Project.11");
    mView.clear();
    mFile.clear();
    mFileFlags.clear();
    mFileNumbers.clear();
    mFile.reserve(size_t(fileCount));
    mFileFlags.reserve(size_t(fileCount));
    for (qint32 i = 0; i < fileCount; ++i) {
        auto file = std::make_unique<CFileData>();
        const QString message = file->Restore(io);
        if (!message.isEmpty())
            return message;
        const qint32 flags = io.ReadInt32();
        if (io.Error())
            return ReadError("Project.12");
        // Views find files by number: two files under one number would make
        // one of them unreachable.
        if (mFileNumbers.contains(file->FileNumber()))
            return ReadError("FileData.03");
        mFileNumbers.insert(file->FileNumber(), file.get());
        mFile.push_back(std::move(file));
        mFileFlags.push_back(flags);
    }

    mNextFileNumber = io.ReadInt32();
    // The counter never goes below 0; a negative one can only be damage.
    if (io.Error() || mNextFileNumber < 0)
        return ReadError("Project.21");
    mNextCircleViewNumber = io.ReadInt32();
    if (io.Error())
        return ReadError("Project.22");
    mNextLinearViewNumber = io.ReadInt32();
    if (io.Error())
        return ReadError("Project.23");

    const qint32 viewCount = io.ReadInt32();
    if (io.Error() || !io.FitsInBytesLeft(viewCount, kSmallestStoredView))
        return ReadError("Project.31");
    mView.reserve(size_t(viewCount));
    for (qint32 i = 0; i < viewCount; ++i) {
        const QString kind = MTextFile::ReadUTF8(io);
        if (io.Error())
            return ReadError("Project.31");
        std::unique_ptr<CViewConfig> view = NewViewOfKind(kind);
        if (!view)
            return ReadError("Project.32");
        const QString message = view->Restore(io, *this);
        if (!message.isEmpty())
            return message;
        mView.push_back(std::move(view));
    }

    if (tool.EndBlock() != 0)
        return ReadError("Project.99");
    FileUpdate();
    mModified = false;
    return QString();
}

QString CProject::Save(CBinaryStream& io, qint64* shortenedCellCount)
{
    CBinaryFileTool tool(io, CBinaryFileTool::WriteMode);
    if (!tool.BeginBlock(kTag))
        return WriteError("Project.00");

    io.WriteInt32(0);  // reserved
    io.WriteInt32(FileCount());
    if (io.Error())
        return WriteError("Project.11");
    for (size_t i = 0; i < mFile.size(); ++i) {
        const QString message = mFile[i]->Save(io, shortenedCellCount);
        if (!message.isEmpty())
            return message;
        io.WriteInt32(mFileFlags[i]);
        if (io.Error())
            return WriteError("Project.12");
    }

    io.WriteInt32(mNextFileNumber);
    if (io.Error())
        return WriteError("Project.21");
    io.WriteInt32(mNextCircleViewNumber);
    if (io.Error())
        return WriteError("Project.22");
    io.WriteInt32(mNextLinearViewNumber);
    if (io.Error())
        return WriteError("Project.23");

    io.WriteInt32(ViewCount());
    if (io.Error())
        return WriteError("Project.31");
    for (const std::unique_ptr<CViewConfig>& view : mView) {
        const QString kind = KindOf(*view);
        // Only the two kinds of map can be read back.
        Q_ASSERT(!kind.isEmpty());
        if (kind.isEmpty())
            return WriteError("Project.32");
        MTextFile::WriteUTF8(kind, io);
        if (io.Error())
            return WriteError("Project.32");
        const QString message = view->Save(io);
        if (!message.isEmpty())
            return message;
    }

    if (tool.EndBlock() < 0)
        return WriteError("Project.99");
    mModified = false;
    return QString();
}

int CProject::FileCount() const
{
    return int(mFile.size());
}

bool CProject::FileSelected(int index) const
{
    return (FileFlags(index) & kFileSelectedFlag) != 0;
}

qint32 CProject::FileFlags(int index) const
{
    Q_ASSERT(index >= 0 && index < FileCount());
    return mFileFlags[size_t(index)];
}

CFileData* CProject::File(int index) const
{
    Q_ASSERT(index >= 0 && index < FileCount());
    return mFile[size_t(index)].get();
}

void CProject::RemoveFile(int index)
{
    Q_ASSERT(index >= 0 && index < FileCount());
    mFileNumbers.remove(mFile[size_t(index)]->FileNumber());
    // Views keep their entries of this number, and with them a pointer to
    // the file object: it stays alive (unlisted) until the project goes.
    mRemovedFile.push_back(std::move(mFile[size_t(index)]));
    mFile.erase(mFile.begin() + index);
    mFileFlags.erase(mFileFlags.begin() + index);
    FileUpdate();
    mModified = true;
}

int CProject::ViewCount() const
{
    return int(mView.size());
}

CViewConfig* CProject::View(int index) const
{
    Q_ASSERT(index >= 0 && index < ViewCount());
    return mView[size_t(index)].get();
}

qint32 CProject::NextFileNumber()
{
    qint32 number = mNextFileNumber;
    while (mFileNumbers.contains(number))
        number = Following(number);
    mNextFileNumber = Following(number);
    return number;
}

int CProject::AddImportedFile(std::unique_ptr<CFileData> file)
{
    Q_ASSERT(file);
    file->SetFileNumber(NextFileNumber());
    file->Finalize();
    mFileNumbers.insert(file->FileNumber(), file.get());
    mFile.push_back(std::move(file));
    mFileFlags.push_back(kFileSelectedFlag);
    FileUpdate();
    mModified = true;
    return FileCount() - 1;
}

void CProject::ReplaceFile(int index, std::unique_ptr<CFileData> edited)
{
    Q_ASSERT(index >= 0 && index < FileCount());
    Q_ASSERT(edited && edited->FileNumber() == mFile[size_t(index)]->FileNumber());
    edited->Finalize();
    // The old object lives until the views have let go of it.
    std::unique_ptr<CFileData> old = std::move(mFile[size_t(index)]);
    mFile[size_t(index)] = std::move(edited);
    CFileData* current = mFile[size_t(index)].get();
    mFileNumbers.insert(current->FileNumber(), current);
    FileUpdate();
    UpdateViewFile(current);
    mModified = true;
}

void CProject::UpdateViewFile(CFileData* file)
{
    for (const std::unique_ptr<CViewConfig>& view : mView)
        view->UpdateFile(file);
}

void CProject::AddView(std::unique_ptr<CViewConfig> view)
{
    Q_ASSERT(view);
    mView.push_back(std::move(view));
    mModified = true;
}

qint32 CProject::NextNewCircleViewNumber()
{
    const qint32 number = mNextCircleViewNumber;
    mNextCircleViewNumber = Following(number);
    return number;
}

qint32 CProject::NextNewLinearViewNumber()
{
    const qint32 number = mNextLinearViewNumber;
    mNextLinearViewNumber = Following(number);
    return number;
}

int CProject::IndexOfFile(const CFileData* file) const
{
    Q_ASSERT(file);
    for (size_t i = 0; i < mFile.size(); ++i) {
        if (mFile[i]->FileNumber() == file->FileNumber())
            return int(i);
    }
    return -1;
}

void CProject::Close()
{
    for (const std::unique_ptr<CViewConfig>& view : mView)
        view->Close();
    mView.clear();
    mFile.clear();
    mRemovedFile.clear();
    mFileFlags.clear();
    mFileNumbers.clear();
}

void CProject::FileUpdate()
{
    mMarkerNameAssigned = false;
    for (const std::unique_ptr<CFileData>& file : mFile) {
        if (file->Config(CFileData::kRoleName) >= 0) {
            mMarkerNameAssigned = true;
            return;
        }
    }
}

bool CProject::MakerNameAssigned() const
{
    return mMarkerNameAssigned;
}

CFileData* CProject::FileByFileNumber(qint32 fileNumber) const
{
    for (const std::unique_ptr<CFileData>& file : mFile) {
        if (file->FileNumber() == fileNumber)
            return file.get();
    }
    return nullptr;
}

void CProject::SetModified()
{
    mModified = true;
}

bool CProject::Modified() const
{
    return mModified;
}
