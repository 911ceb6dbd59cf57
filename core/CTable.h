#pragma once

#include "core/CTableRecord.h"

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringView>

#include <memory>
#include <vector>

class CBinaryStream;

// The rows of a delimited text file, every cell a string, with a data type
// per column (MTextFile::DataTypeCode). Every row has the same number of
// cells; the column count is the cell count of row 0. Indices are 0-based
// and out-of-range indices are the caller's error.
//
// Reading many rows fast (e.g. markers of a million-row file): use the
// allocation-free accessors instead of Item():
//   ItemInteger(row, column)        leading number of the cell, 64-bit
//   ItemUtf8(row, column)           the cell's UTF-8 bytes (no copy)
//   ItemEquals(row, column, text)   exact comparison with a string
// For comparing many cells with one class, convert the class once with
// QString::toUtf8() and compare it with ItemUtf8(): the stored bytes are
// always well-formed UTF-8, so equal bytes mean equal strings.
class CTable
{
public:
    // Most columns a table keeps; fields beyond it are dropped.
    static constexpr int kMaximumColumnCount = 63;

    CTable() = default;
    CTable(const CTable& other);
    CTable& operator=(const CTable& other);
    CTable(CTable&& other) noexcept = default;
    CTable& operator=(CTable&& other) noexcept;

    int RowCount() const;
    // Keeps the column count c, drops or appends rows, then gives every row
    // max(c, 1) cells.
    void SetRowCount(int rowCount);
    int ColumnCount() const;
    // Makes one row first if there are none, then gives every row `n` cells.
    void SetColumnCount(int columnCount);
    // `columns` types of -1, `rows` rows of `columns` empty cells.
    void SetSize(int rows, int columns);

    QString Item(int row, int column) const;
    // Sets a cell; column types are not recomputed.
    void SetItem(int row, int column, const QString& text);

    void InsertRow(int index, int count);
    void AppendRow(int count);

    // Replaces the content by the rows of a delimited text file: the first
    // line fixes the column count (at most 63); the table ends at the end of
    // the file, at the first empty line or at the first line with fewer
    // fields; longer lines are cut. Rows from `titleRows` on type their
    // columns: 2 while every cell is digits only (an empty cell counts),
    // 8 once one is not; -1 when no such row was read. A file that cannot be
    // opened gives an empty table. The file is read once, line by line.
    void LoadFromTextFile(const QString& filePath, int separatorType, int titleRows);

    // Same row and column counts and every row equal, ignoring letter case.
    bool IsEqual(const CTable& other) const;

    int ColumnType(int column) const;

    const CTableRecord& Row(int row) const;

    // The cell's leading number (MTextFile::LeadingInteger): truncated toward
    // zero, 0 when the cell does not start with a number, never wrapping.
    qint64 ItemInteger(int row, int column) const;
    QByteArrayView ItemUtf8(int row, int column) const;
    bool ItemEquals(int row, int column, QStringView text) const;

    // The "tble" block: reserved field, row count, the rows ("trec" blocks),
    // then one column type per column. Restoring refuses rows whose cell
    // count differs from the first row's ("TableRecord.1").
    QString Save(CBinaryStream& io, qint64* shortenedCellCount = nullptr) const;
    QString Restore(CBinaryStream& io);

private:
    struct SlabDeleter {
        size_t bytes = 0;
        bool mapped = false;  // mapped pages rather than malloc'd memory
        void operator()(quint32* slab) const;
    };
    using Slab = std::unique_ptr<quint32[], SlabDeleter>;
    static Slab NewSlab(size_t words);

    // Slabs being filled with rows, one after another.
    struct SlabFill {
        std::vector<Slab> slabs;
        size_t words = 0;  // size of the last slab
        size_t used = 0;   // words of it taken
    };
    // Room for a row block of `words` words, or null for a row too large to share a slab.
    static quint32* SlabSpace(SlabFill& fill, size_t words);
    // Gives `row` these cells, in a slab when it fits in one.
    static void AssignRow(CTableRecord& row, SlabFill& fill, QByteArrayView cellBytes, const quint32* cellEnds,
                          int count);

    // Loaded rows keep their cells in large slabs rather than one heap block
    // each: a million rows then cost no million allocations. Declared before
    // mRows so that the rows go first.
    std::vector<Slab> mSlabs;
    std::vector<CTableRecord> mRows;
    QList<qint32> mColumnDataType;
};
