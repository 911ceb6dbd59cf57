#include "core/CTable.h"

#include "core/CTextLineReader.h"
#include "core/MTextFile.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <new>

#include <sys/mman.h>
#include "storage/CBinaryFileTool.h"
#include "storage/CBinaryStream.h"

namespace {

// Slabs grow from 256 KiB to 4 MiB, so small files stay small.
constexpr size_t kFirstSlabWords = size_t(1) << 16;
constexpr size_t kLargestSlabWords = size_t(1) << 20;
// Rows larger than this get a heap block of their own.
constexpr size_t kLargestSlabRowWords = kFirstSlabWords / 8;
constexpr size_t kHugePageBytes = size_t(2) << 20;

}  // namespace

void CTable::SlabDeleter::operator()(quint32* slab) const
{
    if (mapped)
        munmap(slab, bytes);
    else
        std::free(slab);
}

CTable::Slab CTable::NewSlab(size_t words)
{
    const size_t bytes = words * sizeof(quint32);
#if defined(MADV_HUGEPAGE)
    if (bytes % kHugePageBytes == 0) {
        // Fresh memory costs a page fault per 4 KiB page, which dominates the
        // load of a large file: map the slab on huge-page boundaries and ask
        // for huge pages. Mapped directly, it goes back to the system when
        // freed instead of lingering in the heap.
        const size_t spare = kHugePageBytes;
        void* mapping = mmap(nullptr, bytes + spare, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (mapping != MAP_FAILED) {
            const auto start = reinterpret_cast<quintptr>(mapping);
            const quintptr aligned = (start + kHugePageBytes - 1) & ~quintptr(kHugePageBytes - 1);
            if (aligned > start)
                munmap(mapping, aligned - start);
            if (aligned + bytes < start + bytes + spare)
                munmap(reinterpret_cast<void*>(aligned + bytes), start + spare - aligned);
            void* slab = reinterpret_cast<void*>(aligned);
            madvise(slab, bytes, MADV_HUGEPAGE);
            return Slab(static_cast<quint32*>(slab), SlabDeleter{bytes, true});
        }
    }
#endif
    void* memory = std::malloc(bytes);
    if (!memory)
        throw std::bad_alloc();
    return Slab(static_cast<quint32*>(memory), SlabDeleter{bytes, false});
}

quint32* CTable::SlabSpace(SlabFill& fill, size_t words)
{
    if (words > kLargestSlabRowWords)
        return nullptr;
    if (fill.used + words > fill.words) {
        fill.words = fill.words == 0 ? kFirstSlabWords : std::min(fill.words * 2, kLargestSlabWords);
        fill.slabs.push_back(NewSlab(fill.words));
        fill.used = 0;
    }
    quint32* space = fill.slabs.back().get() + fill.used;
    fill.used += words;
    return space;
}

void CTable::AssignRow(CTableRecord& row, SlabFill& fill, QByteArrayView cellBytes, const quint32* cellEnds, int count)
{
    quint32* space = count > 0 ? SlabSpace(fill, CTableRecord::BlockWords(cellBytes.size(), count)) : nullptr;
    if (space)
        row.AssignInSlab(space, cellBytes, cellEnds, count);
    else
        row.Assign(cellBytes, cellEnds, count);
}

CTable::CTable(const CTable& other)
    : mRows(other.mRows)  // copies every row into a heap block of its own
    , mColumnDataType(other.mColumnDataType)
{
}

CTable& CTable::operator=(const CTable& other)
{
    if (this != &other)
        *this = CTable(other);
    return *this;
}

CTable& CTable::operator=(CTable&& other) noexcept
{
    // The old rows must go before the slabs that hold their cells.
    mRows = std::move(other.mRows);
    mSlabs = std::move(other.mSlabs);
    mColumnDataType = std::move(other.mColumnDataType);
    return *this;
}

int CTable::RowCount() const
{
    return int(mRows.size());
}

void CTable::SetRowCount(int rowCount)
{
    Q_ASSERT(rowCount >= 0);
    const int columns = std::max(ColumnCount(), 1);
    mRows.resize(size_t(rowCount));
    for (CTableRecord& row : mRows)
        row.SetCount(columns);
}

int CTable::ColumnCount() const
{
    return mRows.empty() ? 0 : mRows.front().Count();
}

void CTable::SetColumnCount(int columnCount)
{
    Q_ASSERT(columnCount >= 0);
    if (mRows.empty())
        mRows.resize(1);
    for (CTableRecord& row : mRows)
        row.SetCount(columnCount);
}

void CTable::SetSize(int rows, int columns)
{
    mColumnDataType.fill(MTextFile::kDataTypeUndetermined, columns);
    SetRowCount(rows);
    SetColumnCount(columns);
}

QString CTable::Item(int row, int column) const
{
    return Row(row).Item(column);
}

void CTable::SetItem(int row, int column, const QString& text)
{
    Q_ASSERT(row >= 0 && row < RowCount());
    mRows[size_t(row)].SetItem(column, text);
}

void CTable::InsertRow(int index, int count)
{
    Q_ASSERT(index >= 0 && index <= RowCount() && count >= 0);
    const int columns = ColumnCount();
    CTableRecord empty;
    empty.SetCount(columns);
    mRows.insert(mRows.begin() + index, size_t(count), empty);
}

void CTable::AppendRow(int count)
{
    SetRowCount(RowCount() + count);
}

void CTable::LoadFromTextFile(const QString& filePath, int separatorType, int titleRows)
{
    mRows.clear();
    mSlabs.clear();
    mColumnDataType.clear();

    CTextLineReader reader(filePath);
    if (!reader.Open())
        return;

    // Declared before the rows, which must go first.
    SlabFill fill;
    std::vector<CTableRecord> rows;
    QList<qint32> types;
    int columns = 0;
    QByteArray cellBytes;
    std::vector<quint32> cellEnds;
    QByteArray repaired;
    QByteArrayView line;
    while (reader.ReadLine(&line)) {
        if (line.isEmpty())
            break;
        if (!MTextFile::IsValidUtf8(line)) {
            repaired = QString::fromUtf8(line).toUtf8();  // bad sequences become U+FFFD
            line = repaired;
        }
        // Cell offsets are 32-bit; a line of 4 GB ends the table.
        if (line.size() >= qsizetype(std::numeric_limits<quint32>::max()))
            break;
        const int fieldCount = MTextFile::SplitUtf8(line, separatorType, kMaximumColumnCount,
                                                    &cellBytes, &cellEnds);
        if (columns == 0) {
            columns = fieldCount;
            types.fill(MTextFile::kDataTypeUndetermined, columns);
        } else if (fieldCount < columns) {
            break;
        }
        if (qsizetype(rows.size()) >= titleRows) {
            quint32 begin = 0;
            for (int c = 0; c < columns; ++c) {
                const quint32 end = cellEnds[size_t(c)];
                if (types[c] != MTextFile::kDataTypeText) {
                    const QByteArrayView cell(cellBytes.constData() + begin, qsizetype(end - begin));
                    types[c] = MTextFile::IsDigitsOnly(cell) ? MTextFile::kDataTypeInteger
                                                             : MTextFile::kDataTypeText;
                }
                begin = end;
            }
        }
        const QByteArrayView rowText(cellBytes.constData(), qsizetype(cellEnds[size_t(columns) - 1]));
        rows.emplace_back();
        AssignRow(rows.back(), fill, rowText, cellEnds.data(), columns);
    }
    // The old rows go before the slabs that hold their cells.
    mRows = std::move(rows);
    mSlabs = std::move(fill.slabs);
    mColumnDataType = std::move(types);
}

bool CTable::IsEqual(const CTable& other) const
{
    if (RowCount() != other.RowCount() || ColumnCount() != other.ColumnCount())
        return false;
    for (size_t r = 0; r < mRows.size(); ++r) {
        if (!mRows[r].IsEqual(other.mRows[r]))
            return false;
    }
    return true;
}

int CTable::ColumnType(int column) const
{
    Q_ASSERT(column >= 0);
    // A table shaped by SetRowCount/SetColumnCount alone has no types yet.
    return column < mColumnDataType.size() ? mColumnDataType[column] : MTextFile::kDataTypeUndetermined;
}

const CTableRecord& CTable::Row(int row) const
{
    Q_ASSERT(row >= 0 && row < RowCount());
    return mRows[size_t(row)];
}

qint64 CTable::ItemInteger(int row, int column) const
{
    return MTextFile::LeadingInteger(Row(row).ItemUtf8(column));
}

QByteArrayView CTable::ItemUtf8(int row, int column) const
{
    return Row(row).ItemUtf8(column);
}

bool CTable::ItemEquals(int row, int column, QStringView text) const
{
    return Row(row).ItemEquals(column, text);
}

namespace {

const QString kTableTag = QStringLiteral("tble");
// The least a stored row takes: its "trec" tag field, length, reserved field
// and cell count.
constexpr qint64 kSmallestStoredRow = 4 + 4 + 4 + 4 + 4;

}  // namespace

QString CTable::Save(CBinaryStream& io, qint64* shortenedCellCount) const
{
    CBinaryFileTool tool(io, CBinaryFileTool::WriteMode);
    if (!tool.BeginBlock(kTableTag))
        return CBinaryFileTool::WriteErrorMessage(QStringLiteral("Table.0"));
    io.WriteInt32(0);  // reserved
    io.WriteInt32(RowCount());
    if (io.Error())
        return CBinaryFileTool::WriteErrorMessage(QStringLiteral("Table.1"));
    for (const CTableRecord& row : mRows) {
        const QString message = row.Save(io, shortenedCellCount);
        if (!message.isEmpty())
            return message;
    }
    // One type per column, as many as the reader expects, even for a table
    // whose type list was never sized (it reads them as undetermined).
    const int columns = ColumnCount();
    for (int column = 0; column < columns; ++column) {
        io.WriteInt32(ColumnType(column));
        if (io.Error())
            return CBinaryFileTool::WriteErrorMessage(QStringLiteral("Table.2"));
    }
    if (tool.EndBlock() < 0)
        return CBinaryFileTool::WriteErrorMessage(QStringLiteral("Table.9"));
    return QString();
}

QString CTable::Restore(CBinaryStream& io)
{
    CBinaryFileTool tool(io, CBinaryFileTool::ReadMode);
    if (!tool.BeginBlock(kTableTag))
        return CBinaryFileTool::ReadErrorMessage(QStringLiteral("Table.0"));
    io.ReadInt32();  // reserved
    const qint32 rowCount = io.ReadInt32();
    if (io.Error() || !io.FitsInBytesLeft(rowCount, kSmallestStoredRow))
        return CBinaryFileTool::ReadErrorMessage(QStringLiteral("Table.1"));

    // Rows go into slabs as when loading text: a million rows then cost no
    // million allocations. Declared before the rows, which must go first.
    SlabFill fill;
    std::vector<CTableRecord> rows(static_cast<size_t>(rowCount));
    CTableRecord::RestoreBuffers buffers;
    for (qint32 r = 0; r < rowCount; ++r) {
        int count = 0;
        const QString message = CTableRecord::ReadBlock(io, buffers, &count);
        if (!message.isEmpty())
            return message;
        // Every row has the cells of the first: readers index by column.
        if (r > 0 && count != rows.front().Count())
            return CBinaryFileTool::ReadErrorMessage(QStringLiteral("TableRecord.1"));
        AssignRow(rows[size_t(r)], fill, buffers.Text(), buffers.cellEnds.data(), count);
    }
    const int columns = rows.empty() ? 0 : rows.front().Count();
    if (!io.FitsInBytesLeft(columns, 4))
        return CBinaryFileTool::ReadErrorMessage(QStringLiteral("Table.2"));
    QList<qint32> types(columns);
    for (int column = 0; column < columns; ++column) {
        types[column] = io.ReadInt32();
        if (io.Error())
            return CBinaryFileTool::ReadErrorMessage(QStringLiteral("Table.2"));
    }
    mRows = std::move(rows);
    mSlabs = std::move(fill.slabs);
    mColumnDataType = std::move(types);
    if (tool.EndBlock() != 0)
        return CBinaryFileTool::ReadErrorMessage(QStringLiteral("Table.9"));
    return QString();
}
