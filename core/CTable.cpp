#include "core/CTable.h"

#include "core/CTextLineReader.h"
#include "core/MTextFile.h"

#include <algorithm>
#include <limits>

namespace {

constexpr size_t kSlabWords = size_t(1) << 18;  // 1 MiB
// Rows larger than this get a heap block of their own.
constexpr size_t kLargestSlabRowWords = kSlabWords / 8;

}  // namespace

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

    std::vector<std::unique_ptr<quint32[]>> slabs;
    size_t slabUsed = kSlabWords;
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
        const size_t words = CTableRecord::BlockWords(rowText.size(), columns);
        rows.emplace_back();
        if (words <= kLargestSlabRowWords) {
            if (slabUsed + words > kSlabWords) {
                slabs.emplace_back(new quint32[kSlabWords]);
                slabUsed = 0;
            }
            rows.back().AssignInSlab(slabs.back().get() + slabUsed, rowText, cellEnds.data(), columns);
            slabUsed += words;
        } else {
            rows.back().Assign(rowText, cellEnds.data(), columns);
        }
    }
    mSlabs = std::move(slabs);
    mRows = std::move(rows);
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
