#include "core/CFileData.h"

#include "core/MTextFile.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <limits>
#include <string_view>
#include <unordered_map>
#include "storage/CBinaryFileTool.h"
#include "storage/CBinaryStream.h"
#include "storage/MTextFileCodec.h"

namespace {

const QString kNotReadable = QStringLiteral("Your selected file is not readble!!");
const QString kNotFound = QStringLiteral("Your selected file is not found!!");
const QString kIsDirectory = QStringLiteral("Your selected is a Directory!! Reselect to a correct file.");
const QString kNotUsable = QStringLiteral("Your selected file is not a usable!!");
const QString kReadError = QStringLiteral("Read error occured!!");

constexpr int kMinimumFieldCount = 3;
constexpr int kTitleRows = 1;

qint64 SaturatingTimes1000(qint64 value)
{
    constexpr qint64 kLimit = std::numeric_limits<qint64>::max() / 1000;
    if (value > kLimit)
        return std::numeric_limits<qint64>::max();
    if (value < -kLimit)
        return std::numeric_limits<qint64>::min();
    return value * 1000;
}

}  // namespace

CFileData::CFileData()
{
    mConfigMapping.fill(-1);
}

void CFileData::SetFile(const std::optional<QFileInfo>& file)
{
    mModified = true;
    if (mFile && file && mFile->absoluteFilePath() == file->absoluteFilePath()) {
        mName = mFile->fileName();
        mDirPath = mFile->absolutePath();
        return;
    }
    mFile = file;
    if (mFile) {
        mName = mFile->fileName();
        mDirPath = mFile->absolutePath();
    }
}

std::optional<QFileInfo> CFileData::File() const
{
    if (mFile && mFile->fileName() == mName && mFile->absolutePath() == mDirPath)
        return mFile;
    // A name with a slash would reach outside the folder: no such child.
    if (!mName.isEmpty() && !mName.contains(u'/') && !mDirPath.isEmpty() && QDir::isAbsolutePath(mDirPath))
        mFile = QFileInfo(QDir(mDirPath), mName);
    else
        mFile.reset();
    return mFile;
}

void CFileData::SetName(const QString& name)
{
    if (name == mName)
        return;
    mName = name;
    mModified = true;
}

QString CFileData::Name() const
{
    return mName;
}

void CFileData::SetDirPath(const QString& dirPath)
{
    if (dirPath == mDirPath)
        return;
    mDirPath = dirPath;
    mModified = true;
}

QString CFileData::DirPath() const
{
    return mDirPath;
}

QString CFileData::SourcePath() const
{
    const std::optional<QFileInfo> file = File();
    return file ? file->absoluteFilePath() : QString();
}

QString CFileData::TestFile()
{
    std::optional<QFileInfo> file = File();
    if (!file)
        return kNotFound;
    file->refresh();  // the cached reference may predate changes on disk
    if (!file->exists())
        return kNotFound;
    if (file->isDir())
        return kIsDirectory;
    if (!file->isReadable())
        return kNotReadable;
    // Pipes and devices are no data files, and reading one could block.
    if (!file->isFile())
        return kNotUsable;
    QFile probe(file->absoluteFilePath());
    if (!probe.open(QIODevice::ReadOnly))
        return kNotReadable;
    probe.close();
    // A spreadsheet is binary, not delimited text.
    if (FileType() == 2)
        return kNotUsable;
    const int separatorType = MTextFile::CheckType(file->absoluteFilePath(), kMinimumFieldCount);
    if (separatorType == MTextFile::kSeparatorNone)
        return kNotUsable;
    mSeparatorType = separatorType;
    return QString();
}

QString CFileData::LoadData()
{
    if (!mModified)
        return QString();
    const qint32 previousSeparator = mSeparatorType;
    const QString message = TestFile();
    if (!message.isEmpty())
        return message;
    auto table = std::make_shared<CTable>();
    table->LoadFromTextFile(SourcePath(), mSeparatorType, kTitleRows);
    if (table->RowCount() == 0) {
        // The file changed or vanished after the test: keep what we had.
        mSeparatorType = previousSeparator;
        return kReadError;
    }
    mData = std::move(table);
    mLoaded = true;
    mDataType.fill(MTextFile::kDataTypeUndetermined, mData->ColumnCount());
    mModified = false;
    return QString();
}

void CFileData::SetSeparatorType(int separatorType)
{
    if (!mLoaded)
        LoadData();
    if (!mLoaded || separatorType == mSeparatorType)
        return;
    auto table = std::make_shared<CTable>();
    table->LoadFromTextFile(SourcePath(), separatorType, kTitleRows);
    if (table->RowCount() < 1 || table->ColumnCount() < kMinimumFieldCount)
        return;
    mSeparatorType = separatorType;
    mData = std::move(table);
    mDataType.fill(MTextFile::kDataTypeUndetermined, mData->ColumnCount());
}

int CFileData::SeparatorType() const
{
    return mSeparatorType;
}

int CFileData::FirstDataRow() const
{
    return mHasHeading ? 1 : 0;
}

int CFileData::RowCount() const
{
    if (!mData)
        return 0;
    return std::max(0, mData->RowCount() - FirstDataRow());
}

int CFileData::ColumnCount() const
{
    return mData ? mData->ColumnCount() : 0;
}

QString CFileData::Item(int dataRow, int column) const
{
    if (!mData)
        return QString();
    return mData->Item(dataRow + FirstDataRow(), column);
}

void CFileData::SetUnit(int unit)
{
    Q_ASSERT(unit == kUnitBp || unit == kUnitKbp);
    mUnit = unit;
}

int CFileData::Unit() const
{
    return mUnit;
}

void CFileData::SetHasHeading(bool hasHeading)
{
    mHasHeading = hasHeading;
}

bool CFileData::HasHeading() const
{
    return mHasHeading;
}

void CFileData::SetConfig(int role, int column)
{
    Q_ASSERT(role >= 0 && role < kRoleCount);
    if (mConfigMapping[size_t(role)] == column)
        return;
    mConfigMapping[size_t(role)] = column;
    mConfigName[size_t(role)] = column < 0 ? QString() : Heading(column);
}

int CFileData::Config(int role) const
{
    Q_ASSERT(role >= 0 && role < kRoleCount);
    return mConfigMapping[size_t(role)];
}

int CFileData::FileType() const
{
    const std::optional<QFileInfo> file = File();
    if (!file)
        return 0;
    if (file->suffix().compare(u"xls", Qt::CaseInsensitive) == 0)
        return 2;
    return 1;
}

QString CFileData::Heading(int column) const
{
    if (mLoaded && mData && mHasHeading && mData->RowCount() > 0 && column >= 0 && column < mData->ColumnCount()) {
        const QString title = mData->Item(0, column);
        if (!title.trimmed().isEmpty())
            return title;
    }
    return QStringLiteral("Column") + QString::number(column + 1);
}

QString CFileData::ConfigName(int role) const
{
    Q_ASSERT(role >= 0 && role < kRoleCount);
    return mConfigName[size_t(role)];
}

int CFileData::CheckConfig()
{
    int dropped = 0;
    for (int role = 0; role < kRoleCount; ++role) {
        const int column = Config(role);
        if (column < 0)
            continue;
        if (column >= ColumnCount()
            || Heading(column).compare(ConfigName(role), Qt::CaseInsensitive) != 0) {
            SetConfig(role, -1);
            ++dropped;
        }
    }
    return dropped;
}

bool CFileData::Loaded() const
{
    return mLoaded;
}

void CFileData::SetFileNumber(qint32 fileNumber)
{
    mFileNumber = fileNumber;
}

qint32 CFileData::FileNumber() const
{
    return mFileNumber;
}

int CFileData::DataType(int column) const
{
    if (!mData || column < 0 || column >= mData->ColumnCount())
        return MTextFile::kDataTypeUndetermined;
    if (mDataType.size() < mData->ColumnCount())
        mDataType.resize(mData->ColumnCount(), MTextFile::kDataTypeUndetermined);
    if (mDataType[column] == MTextFile::kDataTypeUndetermined)
        mDataType[column] = mData->ColumnType(column);
    int type = mDataType[column];
    if (!mHasHeading && mData->RowCount() > 0) {
        const int firstRowType = MTextFile::StringType(mData->Item(0, column));
        if (firstRowType == MTextFile::kDataTypeText)
            type = MTextFile::kDataTypeText;
        else if (firstRowType == MTextFile::kDataTypeReal && type == MTextFile::kDataTypeInteger)
            type = MTextFile::kDataTypeReal;
    }
    return type;
}

void CFileData::Finalize()
{
    mClass.clear();
    mCountSpecifiedClass = QHash<QString, int>();
    mMaximumLocate = 0;
    const int startColumn = Config(kRoleStart);
    const int endColumn = Config(kRoleEnd);
    const int classColumn = Config(kRoleClass);
    if (startColumn < 0 || endColumn < 0 || classColumn < 0 || !mData)
        return;

    // Rows repeat a handful of class texts: look each exact text up by its
    // bytes first and fold case only for a text not seen before.
    std::unordered_map<std::string_view, int> indexByText;
    QHash<QString, int> indexByFoldedName;
    std::vector<int> counts;
    qint64 maximum = 0;
    const int rowCount = mData->RowCount();
    for (int r = FirstDataRow(); r < rowCount; ++r) {
        const CTableRecord& row = mData->Row(r);
        const qint64 start = MTextFile::LeadingInteger(row.ItemUtf8(startColumn));
        if (start > maximum)
            maximum = start;
        const qint64 end = MTextFile::LeadingInteger(row.ItemUtf8(endColumn));
        if (end >= maximum)
            maximum = end;

        const QByteArrayView classBytes = row.ItemUtf8(classColumn);
        const std::string_view key(classBytes.data(), size_t(classBytes.size()));
        const auto known = indexByText.find(key);
        if (known != indexByText.end()) {
            ++counts[size_t(known->second)];
            continue;
        }
        const QString className = QString::fromUtf8(classBytes.data(), classBytes.size());
        const QString folded = className.toCaseFolded();
        auto grouped = indexByFoldedName.find(folded);
        if (grouped == indexByFoldedName.end()) {
            grouped = indexByFoldedName.insert(folded, int(counts.size()));
            mClass.append(className);
            counts.push_back(0);
        }
        indexByText.emplace(key, grouped.value());
        ++counts[size_t(grouped.value())];
    }
    mMaximumLocate = maximum;

    for (int i = 0; i < mClass.size(); ++i)
        mCountSpecifiedClass.insert(mClass[i].toCaseFolded(), counts[size_t(i)]);
    std::sort(mClass.begin(), mClass.end(), [](const QString& a, const QString& b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
}

int CFileData::ClassCount() const
{
    return int(mClass.size());
}

QString CFileData::ClassName(int classIndex) const
{
    Q_ASSERT(classIndex >= 0 && classIndex < mClass.size());
    return mClass[classIndex];
}

int CFileData::CountSpecifiedClass(int classIndex) const
{
    return CountSpecifiedClass(ClassName(classIndex));
}

int CFileData::CountSpecifiedClass(const QString& className) const
{
    return mCountSpecifiedClass.value(className.toCaseFolded(), 0);
}

qint64 CFileData::MaximumLocate() const
{
    return mUnit == kUnitKbp ? SaturatingTimes1000(mMaximumLocate) : mMaximumLocate;
}

std::unique_ptr<CFileData> CFileData::Clone() const
{
    auto copy = std::make_unique<CFileData>();
    copy->Copy(*this);
    return copy;
}

void CFileData::Copy(const CFileData& source)
{
    if (this == &source)
        return;
    mClass = source.mClass;
    mCountSpecifiedClass = source.mCountSpecifiedClass;
    mConfigMapping = source.mConfigMapping;
    mConfigName = source.mConfigName;
    mData = source.mData;
    mDataType = source.mDataType;
    mDataType.resize(ColumnCount(), MTextFile::kDataTypeUndetermined);
    mHasHeading = source.mHasHeading;
    mLoaded = source.mLoaded;
    mFile = source.mFile;
    mFileNumber = source.mFileNumber;
    mName = source.mName;
    mDirPath = source.mDirPath;
    mSeparatorType = source.mSeparatorType;
    mUnit = source.mUnit;
    mMaximumLocate = source.mMaximumLocate;
}

bool CFileData::IsEqual(const CFileData& other) const
{
    if (SourcePath() != other.SourcePath())
        return false;
    if (mHasHeading != other.mHasHeading || mUnit != other.mUnit)
        return false;
    if (mConfigMapping != other.mConfigMapping)
        return false;
    if (mData == other.mData)
        return true;
    const CTable empty;
    return (mData ? *mData : empty).IsEqual(other.mData ? *other.mData : empty);
}

bool CFileData::Modified() const
{
    return mModified;
}

QString CFileData::CheckLocationRange() const
{
    if (!mData)
        return QString();
    const int columns[] = {Config(kRoleStart), Config(kRoleEnd)};
    const int rowCount = mData->RowCount();
    for (int r = FirstDataRow(); r < rowCount; ++r) {
        for (const int column : columns) {
            if (column < 0 || column >= mData->ColumnCount())
                continue;
            qint64 location = mData->ItemInteger(r, column);
            if (mUnit == kUnitKbp)
                location = SaturatingTimes1000(location);
            // Table row r is line r + 1 of the file: the table starts at the
            // first line and ends at the first line it does not take.
            if (location > kLargestLocation)
                return QStringLiteral("The location on line %1 is %2 bp, beyond the largest location of %3 bp.")
                    .arg(r + 1).arg(location).arg(kLargestLocation);
            if (location < kSmallestLocation)
                return QStringLiteral("The location on line %1 is %2 bp, below the smallest location of %3 bp.")
                    .arg(r + 1).arg(location).arg(kSmallestLocation);
        }
    }
    return QString();
}

const CTable* CFileData::Table() const
{
    return mData.get();
}

namespace {

const QString kFileDataTag = QStringLiteral("fdat");

QString FileDataWriteError(const char* field)
{
    return CBinaryFileTool::WriteErrorMessage(QStringLiteral("FileData.") + QLatin1String(field));
}

QString FileDataReadError(const char* field)
{
    return CBinaryFileTool::ReadErrorMessage(QStringLiteral("FileData.") + QLatin1String(field));
}

}  // namespace

QString CFileData::Save(CBinaryStream& io, qint64* shortenedCellCount) const
{
    CBinaryFileTool tool(io, CBinaryFileTool::WriteMode);
    if (!tool.BeginBlock(kFileDataTag))
        return FileDataWriteError("00");
    io.WriteInt32(0);  // reserved
    MTextFile::WriteUTF8(mName, io);
    if (io.Error())
        return FileDataWriteError("01");
    MTextFile::WriteUTF8(mDirPath, io);
    if (io.Error())
        return FileDataWriteError("02");
    io.WriteInt32(mFileNumber);
    if (io.Error())
        return FileDataWriteError("03");
    io.WriteBoolean(mHasHeading);
    if (io.Error())
        return FileDataWriteError("11");
    io.WriteInt32(mSeparatorType);
    if (io.Error())
        return FileDataWriteError("12");
    const CTable empty;
    const QString message = (mData ? *mData : empty).Save(io, shortenedCellCount);
    if (!message.isEmpty())
        return message;
    const int columns = ColumnCount();
    for (int column = 0; column < columns; ++column) {
        io.WriteInt32(column < mDataType.size() ? mDataType[column] : MTextFile::kDataTypeUndetermined);
        if (io.Error())
            return FileDataWriteError("13");
    }
    for (int role = 0; role < kRoleCount; ++role) {
        io.WriteInt32(mConfigMapping[size_t(role)]);
        if (io.Error())
            return FileDataWriteError("21");
        MTextFile::WriteUTF8(mConfigName[size_t(role)], io);
        if (io.Error())
            return FileDataWriteError("22");
    }
    io.WriteInt32(mUnit);
    if (io.Error())
        return FileDataWriteError("23");
    if (tool.EndBlock() < 0)
        return FileDataWriteError("99");
    return QString();
}

QString CFileData::Restore(CBinaryStream& io)
{
    CBinaryFileTool tool(io, CBinaryFileTool::ReadMode);
    if (!tool.BeginBlock(kFileDataTag))
        return FileDataReadError("00");
    io.ReadInt32();  // reserved
    mName = MTextFile::ReadUTF8(io);
    if (io.Error())
        return FileDataReadError("01");
    mDirPath = MTextFile::ReadUTF8(io);
    if (io.Error())
        return FileDataReadError("02");
    mFile.reset();
    mFileNumber = io.ReadInt32();
    if (io.Error())
        return FileDataReadError("03");
    mHasHeading = io.ReadBoolean();
    if (io.Error())
        return FileDataReadError("11");
    mSeparatorType = io.ReadInt32();
    if (io.Error() || mSeparatorType < MTextFile::kSeparatorNone || mSeparatorType > MTextFile::kSeparatorComma)
        return FileDataReadError("12");

    auto table = std::make_shared<CTable>();
    const QString message = table->Restore(io);
    if (!message.isEmpty())
        return message;
    const int columns = table->ColumnCount();
    if (!io.FitsInBytesLeft(columns, 4))
        return FileDataReadError("13");
    QList<qint32> dataTypes(columns);
    for (int column = 0; column < columns; ++column) {
        dataTypes[column] = io.ReadInt32();
        if (io.Error())
            return FileDataReadError("13");
    }
    for (int role = 0; role < kRoleCount; ++role) {
        const qint32 column = io.ReadInt32();
        // Markers and classes are read from this column of every row.
        if (io.Error() || column >= columns)
            return FileDataReadError("21");
        mConfigMapping[size_t(role)] = column < 0 ? -1 : column;
        mConfigName[size_t(role)] = MTextFile::ReadUTF8(io);
        if (io.Error())
            return FileDataReadError("22");
    }
    mUnit = io.ReadInt32();
    if (io.Error() || (mUnit != kUnitBp && mUnit != kUnitKbp))
        return FileDataReadError("23");

    mData = std::move(table);
    mDataType = std::move(dataTypes);
    Finalize();
    mLoaded = true;
    if (tool.EndBlock() != 0)
        return FileDataReadError("99");
    // The table came from the project file: nothing is due to be loaded.
    mModified = false;
    return QString();
}
