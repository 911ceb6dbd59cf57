#include "core/CTable.h"

#include "storage/CBinaryStream.h"
#include "tests/core/TempDataFolder.h"

#include <QBuffer>

#include <gtest/gtest.h>

namespace {

QByteArray SaveTable(const CTable& table, qint64* shortened = nullptr)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadWrite);
    {
        CBinaryStream io(&buffer);
        EXPECT_EQ(table.Save(io, shortened), QString());
    }
    return bytes;
}

QString RestoreTable(CTable& table, QByteArray bytes)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    CBinaryStream io(&buffer);
    return table.Restore(io);
}

// A "trec" block (big-endian, as the stream writes by default) of `count`
// one-byte cells "c".
QByteArray RowBlock(int count)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadWrite);
    {
        CBinaryStream io(&buffer);
        CTableRecord row;
        row.SetCount(count);
        for (int c = 0; c < count; ++c)
            row.SetItem(c, "c");
        EXPECT_EQ(row.Save(io), QString());
    }
    return bytes;
}

}  // namespace

TEST(CTableSaveRestoreTest, RestoredTablesMatchTheSavedOnesAndReplaceTheOldRowsSafely)
{
    // Enough rows to fill several slabs, with text that is not ASCII and a
    // cell too long for the stored one-byte length.
    TempDataFolder folder;
    QByteArray content = "start\tend\tname\n";
    for (int r = 1; r < 30000; ++r)
        content += QByteArray::number(r) + '\t' + QByteArray::number(r + 9) + "\tgène " + QByteArray::number(r) + '\n';
    CTable loaded;
    loaded.LoadFromTextFile(folder.Write("rows.tsv", content), 1, 1);
    ASSERT_EQ(loaded.RowCount(), 30000);
    const QString longCell = QString(300, QChar(u'é'));
    loaded.SetItem(7, 2, longCell);

    qint64 shortened = 0;
    const QByteArray saved = SaveTable(loaded, &shortened);
    EXPECT_EQ(shortened, 1);

    // Restored over a table that holds loaded rows of its own.
    CTable restored;
    restored.LoadFromTextFile(folder.Write("other.tsv", "a\tb\n1\t2\n"), 1, 1);
    ASSERT_EQ(RestoreTable(restored, saved), QString());
    ASSERT_EQ(restored.RowCount(), loaded.RowCount());
    ASSERT_EQ(restored.ColumnCount(), 3);
    EXPECT_EQ(restored.ColumnType(0), loaded.ColumnType(0));
    EXPECT_EQ(restored.ColumnType(2), loaded.ColumnType(2));
    EXPECT_EQ(restored.Item(7, 2), QString(127, QChar(u'é')));  // whole characters of 255 bytes
    loaded.SetItem(7, 2, QString(127, QChar(u'é')));
    EXPECT_TRUE(restored.IsEqual(loaded));
    EXPECT_EQ(restored.Item(29999, 2), QStringLiteral("gène 29999"));
    EXPECT_EQ(SaveTable(restored), saved);

    // Copies, edits and a second restore leave every row readable.
    CTable copy = restored;
    restored.SetItem(0, 0, "edited");
    EXPECT_EQ(copy.Item(0, 0), "start");
    ASSERT_EQ(RestoreTable(restored, saved), QString());
    EXPECT_EQ(restored.Item(0, 0), "start");
    EXPECT_EQ(copy.ItemInteger(100, 1), 109);
}

TEST(CTableSaveRestoreTest, RowsOfAnySizeAreRestoredAndAllMustHaveTheFirstRowsCells)
{
    // The stored form allows rows far wider than a loaded one; the widest do
    // not share the table's slabs.
    for (const int cells : {0, 3, 9000}) {
        SCOPED_TRACE(cells);
        CTable table;
        table.SetSize(2, cells);
        for (int r = 0; r < 2 && cells > 0; ++r) {
            table.SetItem(r, 0, "first");
            table.SetItem(r, cells - 1, QString::number(r));
        }
        CTable restored;
        ASSERT_EQ(RestoreTable(restored, SaveTable(table)), QString());
        EXPECT_EQ(restored.RowCount(), 2);
        EXPECT_EQ(restored.ColumnCount(), cells);
        EXPECT_TRUE(restored.IsEqual(table));
        EXPECT_EQ(SaveTable(restored), SaveTable(table));
    }

    // A second row with another cell count is refused, and the table keeps its rows.
    QByteArray mixed;
    QBuffer buffer(&mixed);
    buffer.open(QIODevice::ReadWrite);
    {
        CBinaryStream io(&buffer);
        const QByteArray rows = RowBlock(3) + RowBlock(4);
        io.WriteBytes("\0\0\0\x04tble", 8);
        io.WriteInt32(int(8 + rows.size() + 3 * 4));
        io.WriteInt32(0);
        io.WriteInt32(2);
        io.WriteBytes(rows);
        for (int c = 0; c < 3; ++c)
            io.WriteInt32(-1);
    }
    CTable kept;
    kept.SetSize(1, 1);
    kept.SetItem(0, 0, "kept");
    EXPECT_EQ(RestoreTable(kept, mixed), QStringLiteral("ReadError") + QChar(0) + "TableRecord.1");
    EXPECT_EQ(kept.Item(0, 0), "kept");
}
