#include "storage/CBinaryFileTool.h"

#include "storage/CBinaryStream.h"
#include "storage/UnsupportedFormatException.h"

#include <QCryptographicHash>

#include <algorithm>
#include <limits>

namespace {

// A fixed constant of the format, identical for every file.
constexpr char kDigestPrefix[] = "KELMORT.QU.VZ";
constexpr qint64 kDigestPrefixSize = 13;
constexpr qint64 kDigestSize = 16;
constexpr qint64 kDigestChunk = 4096;

}  // namespace

const char* const CBinaryFileTool::kFrameBeginIdentifier = "BlockFile.00";
const char* const CBinaryFileTool::kFrameEndIdentifier = "BlockFile.99";

CBinaryFileTool::CBinaryFileTool(CBinaryStream& io, qint32 mode)
    : mMode(mode)
    , mIO(io)
{
}

CBinaryFileTool::~CBinaryFileTool()
{
    LeaveBlock();
}

QString CBinaryFileTool::WriteErrorMessage(const QString& identifier)
{
    return QStringLiteral("WriteError") + QChar(0) + identifier;
}

QString CBinaryFileTool::ReadErrorMessage(const QString& identifier)
{
    return QStringLiteral("ReadError") + QChar(0) + identifier;
}

void CBinaryFileTool::CheckMode() const
{
    if (mMode != ReadMode && mMode != WriteMode)
        throw UnsupportedFormatException();
}

void CBinaryFileTool::EnterBlock(qint64 end)
{
    mOuterLimit = mIO.ReadLimit();
    mIO.SetReadLimit(end);
    mLimitEntered = true;
}

void CBinaryFileTool::LeaveBlock()
{
    if (mLimitEntered) {
        mIO.SetReadLimit(mOuterLimit);
        mLimitEntered = false;
    }
}

namespace {

// Tags are short ASCII words and every row of a table is a block: encode
// such a tag on the stack instead of allocating its UTF-8 once per block.
constexpr qsizetype kShortTagMax = 16;

qsizetype ShortAsciiTag(const QString& tag, char* bytes)
{
    if (tag.size() > kShortTagMax)
        return -1;
    for (qsizetype i = 0; i < tag.size(); ++i) {
        const char16_t c = tag.at(i).unicode();
        if (c >= 0x80)
            return -1;
        bytes[i] = static_cast<char>(c);
    }
    return tag.size();
}

}  // namespace

bool CBinaryFileTool::WriteTag(const QString& tag)
{
    if (tag.isEmpty())
        return true;
    char shortTag[kShortTagMax];
    const qsizetype shortLength = ShortAsciiTag(tag, shortTag);
    if (shortLength >= 0) {
        mIO.WriteInt32(static_cast<qint32>(shortLength));
        mIO.WriteBytes(shortTag, shortLength);
        return !mIO.Error();
    }
    const QByteArray bytes = tag.toUtf8();
    mIO.WriteInt32(static_cast<qint32>(bytes.size()));
    mIO.WriteBytes(bytes);
    return !mIO.Error();
}

bool CBinaryFileTool::ReadTag(const QString& tag)
{
    if (tag.isEmpty())
        return true;
    char shortTag[kShortTagMax];
    const qsizetype shortLength = ShortAsciiTag(tag, shortTag);
    const QByteArray expected = shortLength >= 0 ? QByteArray() : tag.toUtf8();
    const QByteArrayView wanted = shortLength >= 0 ? QByteArrayView(shortTag, shortLength) : QByteArrayView(expected);
    const qint32 length = mIO.ReadInt32();
    // A length other than the expected tag's cannot match: refuse it before
    // reading anything, which also keeps a hostile length from allocating.
    if (mIO.Error() || length != wanted.size())
        return false;
    if (shortLength >= 0) {
        char found[kShortTagMax];
        return mIO.ReadBytes(found, length) && QByteArrayView(found, length) == wanted;
    }
    return mIO.ReadBytes(length) == expected && !mIO.Error();
}

bool CBinaryFileTool::BeginWriting(const QString& tag)
{
    if (!WriteTag(tag))
        return false;
    mBeginLoc = mIO.Position();
    mIO.WriteInt32(0);
    return !mIO.Error();
}

qint32 CBinaryFileTool::PatchLength()
{
    mNextLoc = mIO.Position();
    const qint64 length = mNextLoc - mBeginLoc - 4;
    // A body past the reach of the 32-bit length field cannot be framed.
    if (length < 0 || length > std::numeric_limits<qint32>::max())
        return -1;
    mIO.SetPosition(mBeginLoc);
    mIO.WriteInt32(static_cast<qint32>(length));
    return static_cast<qint32>(length);
}

bool CBinaryFileTool::BeginBlock(const QString& tag)
{
    CheckMode();
    if (mMode == WriteMode)
        return BeginWriting(tag);

    if (!ReadTag(tag))
        return false;
    mBeginLoc = mIO.Position();
    const qint32 length = mIO.ReadInt32();
    if (mIO.Error() || !mIO.FitsInBytesLeft(length))
        return false;
    mNextLoc = mBeginLoc + 4 + length;
    EnterBlock(mNextLoc);
    return true;
}

qint32 CBinaryFileTool::EndBlock()
{
    CheckMode();
    if (mMode == WriteMode) {
        const qint32 length = PatchLength();
        if (length < 0)
            return -1;
        mIO.SetPosition(mNextLoc);
        return mIO.Error() ? -1 : length;
    }

    LeaveBlock();
    const qint64 reached = mIO.Position();
    mIO.SetPosition(mNextLoc);
    return static_cast<qint32>(std::clamp<qint64>(reached - mNextLoc,
                                                  std::numeric_limits<qint32>::min(),
                                                  std::numeric_limits<qint32>::max()));
}

bool CBinaryFileTool::BeginFile(const QString& tag, Digest digest)
{
    CheckMode();
    if (mMode == WriteMode)
        return BeginWriting(tag);

    if (!ReadTag(tag))
        return false;
    mBeginLoc = mIO.Position();
    const qint32 length = mIO.ReadInt32();
    if (mIO.Error() || length < 0 || mIO.BytesLeft() - kDigestSize < length)
        return false;
    if (digest == Digest::LeaveUnchecked) {
        mNextLoc = mBeginLoc + 4 + length + kDigestSize;
        EnterBlock(mBeginLoc + 4 + length);
        return true;
    }
    const QByteArray computed = CalcMD5(length);
    const QByteArray stored = mIO.ReadBytes(kDigestSize);
    if (mIO.Error() || stored != computed)
        return false;
    mNextLoc = mIO.Position();
    mIO.SetPosition(mBeginLoc + 4);
    if (mIO.Error())
        return false;
    EnterBlock(mBeginLoc + 4 + length);
    return true;
}

qint32 CBinaryFileTool::EndFile()
{
    CheckMode();
    if (mMode == WriteMode) {
        const qint32 length = PatchLength();
        if (length < 0)
            return -1;
        // The stream stands at the start of the content again.
        const QByteArray digest = CalcMD5(length);
        if (mIO.Position() != mNextLoc)
            return -1;  // the content could not be read back whole
        mIO.WriteBytes(digest);
        // Everything must be on the device before the frame counts as written.
        if (!mIO.Flush())
            return -1;
        return length;
    }

    LeaveBlock();
    const qint64 reached = mIO.Position();
    mIO.SetPosition(mNextLoc);
    return static_cast<qint32>(std::clamp<qint64>(reached + kDigestSize - mNextLoc,
                                                  std::numeric_limits<qint32>::min(),
                                                  std::numeric_limits<qint32>::max()));
}

QByteArray CBinaryFileTool::CalcMD5(qint64 count)
{
    QCryptographicHash hash(QCryptographicHash::Md5);
    hash.addData(QByteArrayView(kDigestPrefix, kDigestPrefixSize));
    while (count > 0 && !mIO.AtEnd() && !mIO.Error()) {
        const qint64 chunk = std::min({count, kDigestChunk, mIO.Length() - mIO.Position()});
        hash.addData(mIO.ReadBytes(chunk));
        count -= chunk;
    }
    return hash.result();
}
