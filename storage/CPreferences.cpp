#include "storage/CPreferences.h"

#include "storage/CBinaryFileTool.h"
#include "storage/CBinaryStream.h"
#include "storage/CSafeFileWriter.h"
#include "storage/MTextFileCodec.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QtEndian>

#include <bit>

const char* const CPreferences::kFileName = "Karyoquill.pref";
const char* const CPreferences::kFrameTag = "pref";

const char* const CPreferences::kAppInitDir = "App.InitDir";
const char* const CPreferences::kProjWdwSaveInitDir = "ProjWdw.SaveInitDir";
const char* const CPreferences::kCFileInitDir = "CFile.InitDir";
const char* const CPreferences::kViewSaveInitDir = "View.SaveInitDir";
const char* const CPreferences::kSaveImageFormat = "SaveImage.Format";
const char* const CPreferences::kSaveImageFileType = "SaveImage.FileType";
const char* const CPreferences::kViewPrinterSetting = "ViewPrinterSetting";
const char* const CPreferences::kViewPrinterSettingCircle = "ViewPrinterSettingCircle";
const char* const CPreferences::kViewPrinterSettingLinear = "ViewPrinterSettingLinear";

CPreferences::CPreferences(const QString& rootName, const QString& folder, Storage storage)
    : mRegistryRoot(rootName)
    , mFolder(folder)
    , mStorage(storage)
{
    if (mStorage == Storage::File && mFolder.isEmpty())
        mFolder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    Restore();
}

CPreferences::~CPreferences()
{
    Save();
}

QString CPreferences::FilePath() const
{
    if (mStorage != Storage::File)
        return QString();
    return QDir(mFolder).filePath(QString::fromLatin1(kFileName));
}

int CPreferences::KindOf(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::QString:
        return TextKind;
    case QMetaType::Int:
        return IntegerKind;
    case QMetaType::QByteArray:
        return ByteBlockKind;
    default:
        return OtherKind;
    }
}

int CPreferences::IndexOf(const QString& key) const
{
    for (int i = 0; i < Count(); ++i) {
        if (mData[i].key.compare(key, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QString CPreferences::Key(int index) const
{
    Q_ASSERT(index >= 0 && index < Count());
    return mData[index].key;
}

int CPreferences::KeyType(int index) const
{
    return KindOf(Value(index));
}

int CPreferences::KeyType(const QString& key) const
{
    return KindOf(Value(key));
}

bool CPreferences::HasKey(const QString& key) const
{
    return IndexOf(key) >= 0;
}

void CPreferences::SetValue(int index, const QVariant& value)
{
    Q_ASSERT(index >= 0 && index < Count());
    mData[index].value = value;
}

void CPreferences::SetValue(const QString& key, const QVariant& value)
{
    const int index = IndexOf(key);
    if (index >= 0)
        mData[index].value = value;
    else
        mData.append({key, value});
}

QVariant CPreferences::Value(int index) const
{
    Q_ASSERT(index >= 0 && index < Count());
    return mData[index].value;
}

QVariant CPreferences::Value(const QString& key) const
{
    const int index = IndexOf(key);
    return index >= 0 ? mData[index].value : QVariant();
}

void CPreferences::SetBinaryString(int index, const QByteArray& bytes)
{
    SetValue(index, ToMemoryBlock(bytes));
}

void CPreferences::SetBinaryString(const QString& key, const QByteArray& bytes)
{
    SetValue(key, ToMemoryBlock(bytes));
}

QByteArray CPreferences::BinaryString(int index) const
{
    return ToString(Value(index));
}

QByteArray CPreferences::BinaryString(const QString& key) const
{
    return ToString(Value(key));
}

void CPreferences::SetDoubleValue(int index, double value)
{
    SetValue(index, ToMemoryBlock(value));
}

void CPreferences::SetDoubleValue(const QString& key, double value)
{
    SetValue(key, ToMemoryBlock(value));
}

double CPreferences::DoubleValue(int index) const
{
    return ToDouble(Value(index));
}

double CPreferences::DoubleValue(const QString& key) const
{
    return ToDouble(Value(key));
}

QByteArray CPreferences::ToMemoryBlock(const QByteArray& bytes)
{
    // Detached, so that the stored block does not share the caller's buffer
    // (a QByteArray::fromRawData view, say).
    return QByteArray(bytes.constData(), bytes.size());
}

QByteArray CPreferences::ToMemoryBlock(double value)
{
    QByteArray block(8, Qt::Uninitialized);
    qToLittleEndian<quint64>(std::bit_cast<quint64>(value), block.data());
    return block;
}

QByteArray CPreferences::ToString(const QVariant& value)
{
    if (KindOf(value) != ByteBlockKind)
        return QByteArray();
    return value.toByteArray();
}

double CPreferences::ToDouble(const QVariant& value)
{
    const QByteArray block = ToString(value);
    if (block.size() < 8)
        return 0;
    return std::bit_cast<double>(qFromLittleEndian<quint64>(block.constData()));
}

void CPreferences::Restore()
{
    mData.clear();
    if (mStorage != Storage::File)
        return;
    QFile file(FilePath());
    if (!file.exists() || !file.open(QIODevice::ReadOnly))
        return;
    RestoreFrom(file);
}

void CPreferences::RestoreFrom(QIODevice& device)
{
    QList<Entry> restored;
    if (!device.isReadable() || device.isSequential()) {
        mData.clear();
        return;
    }
    CBinaryStream io(&device);
    io.SetLittleEndian(false);
    CBinaryFileTool tool(io, CBinaryFileTool::ReadMode);
    if (tool.BeginFile(QString::fromLatin1(kFrameTag))) {
        const qint32 count = io.ReadInt32();
        // Every entry takes some bytes, so a damaged count cannot make this
        // loop run past the content.
        for (qint32 i = 0; i < count && !io.Error() && io.BytesLeft() > 0; ++i) {
            const QString key = MTextFile::ReadShortUTF8(io);
            const qint32 code = io.ReadInt32();
            if (io.Error() || io.PastReadLimit())
                break;
            if (code == IntegerKind) {
                const qint32 value = io.ReadInt32();
                if (io.Error() || io.PastReadLimit())
                    break;
                restored.append({key, QVariant(value)});
                continue;
            }
            if (code != TextKind && code != ByteBlockKind)
                break;
            const qint32 length = io.ReadInt32();
            if (io.Error() || io.PastReadLimit() || length < 0 || !io.FitsInBytesLeft(length))
                break;
            if (length == 0)
                continue;
            const QByteArray bytes = io.ReadBytes(length);
            if (io.Error())
                break;
            if (code == TextKind)
                restored.append({key, QVariant(QString::fromUtf8(bytes))});
            else
                restored.append({key, QVariant(bytes)});
        }
        tool.EndFile();
    }

    // Later duplicates of a key (in any letter case) replace earlier ones.
    mData.clear();
    for (const Entry& entry : restored)
        SetValue(entry.key, entry.value);
}

bool CPreferences::SaveTo(QIODevice& device) const
{
    if (!device.isWritable() || device.isSequential())
        return false;
    CBinaryStream io(&device);
    io.SetLittleEndian(false);
    CBinaryFileTool tool(io, CBinaryFileTool::WriteMode);
    if (!tool.BeginFile(QString::fromLatin1(kFrameTag)))
        return false;

    // Only the three storable kinds are counted, so the count always matches
    // the entries that follow.
    qint32 count = 0;
    for (const Entry& entry : mData) {
        if (KindOf(entry.value) != OtherKind)
            ++count;
    }
    io.WriteInt32(count);
    for (const Entry& entry : mData) {
        const int kind = KindOf(entry.value);
        if (kind == OtherKind)
            continue;
        MTextFile::WriteShortUTF8(entry.key, io);
        io.WriteInt32(kind);
        if (kind == IntegerKind)
            io.WriteInt32(entry.value.toInt());
        else if (kind == TextKind)
            MTextFile::WriteUTF8(entry.value.toString(), io);
        else
            MTextFile::WriteBinary(entry.value.toByteArray(), io);
    }
    if (io.Error())
        return false;
    return tool.EndFile() >= 0;
}

bool CPreferences::Save() const
{
    if (mStorage != Storage::File)
        return false;
    if (!QDir().mkpath(mFolder))
        return false;
    CSafeFileWriter writer(FilePath());
    if (!writer.Open())
        return false;
    if (!SaveTo(*writer.Device()))
        return false;
    return writer.Commit();
}
