#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <QtGlobal>

#include <memory>
#include <vector>

class CBinaryStream;

// One row of a table: its cells in column order, each a string.
//
// The cells are kept compactly as UTF-8 in one block per row (for loaded
// rows, inside a large slab of the table), so a million rows cost tens of
// megabytes rather than one QString per cell. Copies own their block. Item()
// builds a QString on demand; ItemUtf8() and ItemEquals() read a cell without
// allocating. The stored bytes are always well-formed UTF-8, so comparing
// bytes is the same as comparing the strings exactly.
class CTableRecord
{
public:
    CTableRecord() = default;
    CTableRecord(const CTableRecord& other);
    CTableRecord& operator=(const CTableRecord& other);
    CTableRecord(CTableRecord&&) noexcept = default;
    CTableRecord& operator=(CTableRecord&&) noexcept = default;

    // Number of cells. Inline, like the cell access below: every scan of a
    // large table calls them for each row.
    int Count() const { return mData ? int(mData[0] & ~kInSlabBit) : 0; }
    // Resizes the row; existing cells keep their text, new cells are empty.
    void SetCount(int count);

    QString Item(int column) const;
    void SetItem(int column, const QString& text);

    // The cell as UTF-8 bytes, valid until the row is changed.
    QByteArrayView ItemUtf8(int column) const
    {
        Q_ASSERT(column >= 0 && column < Count());
        const quint32 begin = CellBegin(column);
        return QByteArrayView(TextStart() + begin, qsizetype(CellEnd(column) - begin));
    }
    // Exact comparison of the cell with `text`, without allocating.
    bool ItemEquals(int column, QStringView text) const;

    // Replaces the whole row by `count` cells whose bytes lie one after another
    // in `cellBytes`, cell i ending at `cellEnds[i]`. The bytes must be
    // well-formed UTF-8 (the loader makes sure of it).
    void Assign(QByteArrayView cellBytes, const quint32* cellEnds, int count);

    // Same cell count and every cell equal, ignoring letter case.
    bool IsEqual(const CTableRecord& other) const;

    // The "trec" block: reserved field, cell count, each cell as a short
    // string (one length byte, then UTF-8). A cell longer than 255 bytes is
    // written shortened to whole characters and counted in
    // *shortenedCellCount. Messages are empty on success, else "WriteError"
    // or "ReadError", NUL and "TableRecord." with the failing step.
    QString Save(CBinaryStream& io, qint64* shortenedCellCount = nullptr) const;
    QString Restore(CBinaryStream& io);

private:
    friend class CTable;

    // The header word's top bit marks a block that lives in a table's slab
    // (see CTable): the table frees it, the row never does.
    static constexpr quint32 kInSlabBit = 0x80000000u;
    struct BlockDeleter {
        void operator()(quint32* block) const
        {
            if (!(block[0] & kInSlabBit))
                delete[] block;
        }
    };

    // Scratch memory for reading many "trec" blocks in a row.
    struct RestoreBuffers {
        QByteArray body;
        std::vector<char> cellBytes;
        std::vector<quint32> cellEnds;
        QByteArrayView Text() const { return QByteArrayView(cellBytes.data(), qsizetype(cellBytes.size())); }
    };
    // Reads one "trec" block, with every check of Restore(), into `buffers`:
    // on success *count cells, their bytes and ends as Assign() takes them.
    static QString ReadBlock(CBinaryStream& io, RestoreBuffers& buffers, int* count);

    // Size of the block for `count` cells of `textBytes` bytes in all.
    static size_t BlockWords(qsizetype textBytes, int count);
    // Like Assign, but builds the block in `storage` (BlockWords long), which
    // the caller owns and keeps alive longer than the row.
    void AssignInSlab(quint32* storage, QByteArrayView cellBytes, const quint32* cellEnds, int count);

    const char* TextStart() const { return reinterpret_cast<const char*>(mData.get() + 1 + Count()); }
    quint32 CellBegin(int column) const { return column == 0 ? 0 : mData[size_t(column)]; }
    quint32 CellEnd(int column) const { return mData[size_t(column) + 1]; }
    quint32 TextSize() const;

    // Layout of the block, in 32-bit words: [cell count][end offset of each
    // cell in the text][UTF-8 text, padded to whole words]. A row without
    // cells holds no block.
    std::unique_ptr<quint32[], BlockDeleter> mData;
};
