#include "core/CTableRecord.h"

#include <QAnyStringView>
#include <QUtf8StringView>

#include <cstring>
#include <limits>
#include "core/MTextFile.h"
#include "storage/CBinaryFileTool.h"
#include "storage/CBinaryStream.h"
#include "storage/MTextFileCodec.h"

size_t CTableRecord::BlockWords(qsizetype textBytes, int count)
{
    return 1 + size_t(count) + (size_t(textBytes) + 3) / 4;
}

namespace {

// Writes a block into `block` (CTableRecord::BlockWords long); see the layout
// in the header.
void FillBlock(quint32* block, size_t words, QByteArrayView cellBytes, const quint32* cellEnds, int count)
{
    block[0] = quint32(count);
    std::memcpy(block + 1, cellEnds, sizeof(quint32) * size_t(count));
    const size_t textStart = 1 + size_t(count);
    if (words > textStart) {
        block[words - 1] = 0;  // padding
        std::memcpy(block + textStart, cellBytes.data(), size_t(cellBytes.size()));
    }
}

}  // namespace

void CTableRecord::Assign(QByteArrayView cellBytes, const quint32* cellEnds, int count)
{
    if (count <= 0) {
        mData.reset();
        return;
    }
    Q_ASSERT(quint32(count) < kInSlabBit && cellBytes.size() <= std::numeric_limits<quint32>::max());
    const size_t words = BlockWords(cellBytes.size(), count);
    auto block = std::unique_ptr<quint32[], BlockDeleter>(new quint32[words]);
    FillBlock(block.get(), words, cellBytes, cellEnds, count);
    mData = std::move(block);
}

void CTableRecord::AssignInSlab(quint32* storage, QByteArrayView cellBytes, const quint32* cellEnds, int count)
{
    Q_ASSERT(count > 0 && quint32(count) < kInSlabBit);
    FillBlock(storage, BlockWords(cellBytes.size(), count), cellBytes, cellEnds, count);
    storage[0] |= kInSlabBit;
    mData.reset(storage);
}

CTableRecord::CTableRecord(const CTableRecord& other)
{
    *this = other;
}

CTableRecord& CTableRecord::operator=(const CTableRecord& other)
{
    if (this == &other)
        return *this;
    const int count = other.Count();
    if (count == 0)
        mData.reset();
    else
        Assign(QByteArrayView(other.TextStart(), other.TextSize()), other.mData.get() + 1, count);
    return *this;
}

quint32 CTableRecord::TextSize() const
{
    return mData ? mData[size_t(Count())] : 0;
}

QString CTableRecord::Item(int column) const
{
    const QByteArrayView bytes = ItemUtf8(column);
    return QString::fromUtf8(bytes.data(), bytes.size());
}

bool CTableRecord::ItemEquals(int column, QStringView text) const
{
    return QAnyStringView::equal(QUtf8StringView(ItemUtf8(column)), text);
}

void CTableRecord::SetCount(int count)
{
    Q_ASSERT(count >= 0);
    const int old = Count();
    if (count == old)
        return;
    std::vector<quint32> ends(size_t(count), 0);
    const int kept = std::min(old, count);
    const quint32 keptSize = kept > 0 ? CellEnd(kept - 1) : 0;
    for (int i = 0; i < count; ++i)
        ends[size_t(i)] = i < kept ? CellEnd(i) : keptSize;
    const QByteArrayView text(mData ? TextStart() : nullptr, qsizetype(keptSize));
    Assign(text, ends.data(), count);
}

void CTableRecord::SetItem(int column, const QString& text)
{
    Q_ASSERT(column >= 0 && column < Count());
    const QByteArray utf8 = text.toUtf8();  // toUtf8 always yields well-formed UTF-8
    const int count = Count();
    const quint32 begin = CellBegin(column);
    const quint32 end = CellEnd(column);
    const quint32 total = TextSize();
    Q_ASSERT(quint64(total) - (end - begin) + quint64(utf8.size()) <= std::numeric_limits<quint32>::max());

    QByteArray bytes;
    bytes.reserve(qsizetype(total - (end - begin)) + utf8.size());
    bytes.append(TextStart(), begin);
    bytes.append(utf8);
    bytes.append(TextStart() + end, qsizetype(total - end));

    std::vector<quint32> ends(static_cast<size_t>(count));
    const qint64 shift = qint64(utf8.size()) - qint64(end - begin);
    for (int i = 0; i < count; ++i)
        ends[size_t(i)] = i < column ? CellEnd(i) : quint32(qint64(CellEnd(i)) + shift);
    Assign(bytes, ends.data(), count);
}

bool CTableRecord::IsEqual(const CTableRecord& other) const
{
    const int count = Count();
    if (count != other.Count())
        return false;
    for (int i = 0; i < count; ++i) {
        const QByteArrayView mine = ItemUtf8(i);
        const QByteArrayView theirs = other.ItemUtf8(i);
        if (mine == theirs)
            continue;
        if (QAnyStringView::compare(QUtf8StringView(mine), QUtf8StringView(theirs), Qt::CaseInsensitive) != 0)
            return false;
    }
    return true;
}

namespace {

const QString kRecordTag = QStringLiteral("trec");
constexpr qsizetype kShortStringMax = 255;

}  // namespace

QString CTableRecord::Save(CBinaryStream& io, qint64* shortenedCellCount) const
{
    CBinaryFileTool tool(io, CBinaryFileTool::WriteMode);
    if (!tool.BeginBlock(kRecordTag))
        return CBinaryFileTool::WriteErrorMessage(QStringLiteral("TableRecord.0"));
    const int count = Count();
    io.WriteInt32(0);  // reserved
    io.WriteInt32(count);
    if (io.Error())
        return CBinaryFileTool::WriteErrorMessage(QStringLiteral("TableRecord.1"));
    // The cells go out through a small buffer: a million rows of a few cells
    // each are otherwise millions of tiny writes.
    char pending[1024];
    qsizetype used = 0;
    const auto flush = [&]() {
        io.WriteBytes(pending, used);
        used = 0;
        return !io.Error();
    };
    for (int column = 0; column < count; ++column) {
        QByteArrayView cell = ItemUtf8(column);
        QByteArray cut;
        if (cell.size() > kShortStringMax) {
            // The length is one byte: keep the whole characters that fit.
            cut = MTextFile::TruncateUTF8(cell.toByteArray(), kShortStringMax);
            cell = cut;
            if (shortenedCellCount)
                ++*shortenedCellCount;
        }
        if (used + 1 + cell.size() > qsizetype(sizeof pending) && !flush())
            return CBinaryFileTool::WriteErrorMessage(QStringLiteral("TableRecord.2"));
        pending[used++] = char(quint8(cell.size()));
        if (!cell.isEmpty())
            std::memcpy(pending + used, cell.data(), size_t(cell.size()));
        used += cell.size();
    }
    if (used > 0 && !flush())
        return CBinaryFileTool::WriteErrorMessage(QStringLiteral("TableRecord.2"));
    if (tool.EndBlock() < 0)
        return CBinaryFileTool::WriteErrorMessage(QStringLiteral("TableRecord.9"));
    return QString();
}

QString CTableRecord::ReadBlock(CBinaryStream& io, RestoreBuffers& buffers, int* count)
{
    *count = 0;
    CBinaryFileTool tool(io, CBinaryFileTool::ReadMode);
    if (!tool.BeginBlock(kRecordTag))
        return CBinaryFileTool::ReadErrorMessage(QStringLiteral("TableRecord.0"));
    io.ReadInt32();  // reserved
    const qint32 cellCount = io.ReadInt32();
    // Every cell takes at least its length byte.
    if (io.Error() || !io.FitsInBytesLeft(cellCount, 1))
        return CBinaryFileTool::ReadErrorMessage(QStringLiteral("TableRecord.1"));

    // The cells are the rest of the block: read it in one go and split it.
    QByteArray& body = buffers.body;
    if (!io.ReadBytesInto(body, io.BytesLeft()))
        return CBinaryFileTool::ReadErrorMessage(QStringLiteral("TableRecord.2"));
    std::vector<quint32>& cellEnds = buffers.cellEnds;
    cellEnds.resize(static_cast<size_t>(cellCount));
    // Well-formed cells lose only their length bytes; a repaired one may grow.
    std::vector<char>& cellBytes = buffers.cellBytes;
    cellBytes.resize(size_t(body.size()));
    size_t used = 0;
    qsizetype at = 0;
    for (qint32 column = 0; column < cellCount; ++column) {
        if (at >= body.size())
            return CBinaryFileTool::ReadErrorMessage(QStringLiteral("TableRecord.2"));
        const qsizetype length = quint8(body[at]);
        ++at;
        if (length > body.size() - at)
            return CBinaryFileTool::ReadErrorMessage(QStringLiteral("TableRecord.2"));
        const QByteArrayView cell(body.constData() + at, length);
        at += length;
        // Rows keep well-formed UTF-8 only; damaged sequences become U+FFFD
        // as when the text is decoded.
        if (MTextFile::IsValidUtf8(cell)) {
            if (!cell.isEmpty())
                std::memcpy(cellBytes.data() + used, cell.data(), size_t(length));
            used += size_t(length);
        } else {
            const QByteArray repaired = QString::fromUtf8(cell).toUtf8();
            cellBytes.resize(cellBytes.size() + size_t(repaired.size()));
            std::memcpy(cellBytes.data() + used, repaired.constData(), size_t(repaired.size()));
            used += size_t(repaired.size());
        }
        cellEnds[size_t(column)] = quint32(used);
    }
    cellBytes.resize(used);
    // Bytes after the last cell: the block was not consumed exactly.
    if (at != body.size())
        return CBinaryFileTool::ReadErrorMessage(QStringLiteral("TableRecord.9"));
    if (tool.EndBlock() != 0)
        return CBinaryFileTool::ReadErrorMessage(QStringLiteral("TableRecord.9"));
    *count = cellCount;
    return QString();
}

QString CTableRecord::Restore(CBinaryStream& io)
{
    RestoreBuffers buffers;
    int count = 0;
    const QString message = ReadBlock(io, buffers, &count);
    if (!message.isEmpty())
        return message;
    Assign(buffers.Text(), buffers.cellEnds.data(), count);
    return QString();
}
