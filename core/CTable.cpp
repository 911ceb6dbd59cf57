#include "core/CTable.h"

#include "core/CTextLineReader.h"
#include "core/MTextFile.h"

#include <algorithm>
#include <limits>

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
    mColumnDataType.clear();

    CTextLineReader reader(filePath);
    if (!reader.Open())
        return;

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
        rows.emplace_back();
        rows.back().Assign(QByteArrayView(cellBytes.constData(), qsizetype(cellEnds[size_t(columns) - 1])),
                           cellEnds.data(), columns);
    }
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
