#include "core/CTable.h"

#include "core/MTextFile.h"
#include "tests/core/TempDataFolder.h"

#include <gtest/gtest.h>

namespace {

QStringList RowCells(const CTable& table, int row)
{
    QStringList cells;
    for (int c = 0; c < table.ColumnCount(); ++c)
        cells.append(table.Item(row, c));
    return cells;
}

TEST(CTableRecordTest, ResizesAndSetsCells)
{
    CTableRecord row;
    EXPECT_EQ(row.Count(), 0);
    row.SetCount(3);
    EXPECT_EQ(row.Count(), 3);
    row.SetItem(1, QStringLiteral("gène"));
    row.SetItem(0, QStringLiteral("a"));
    row.SetItem(2, QStringLiteral("third"));
    row.SetItem(1, QStringLiteral("β-much-longer-text"));
    EXPECT_EQ(row.Item(0), "a");
    EXPECT_EQ(row.Item(1), QStringLiteral("β-much-longer-text"));
    EXPECT_EQ(row.Item(2), "third");
    EXPECT_TRUE(row.ItemEquals(1, QStringLiteral("β-much-longer-text")));
    EXPECT_FALSE(row.ItemEquals(1, QStringLiteral("Β-much-longer-text")));
    EXPECT_EQ(row.ItemUtf8(1), QStringLiteral("β-much-longer-text").toUtf8());

    row.SetCount(5);  // grows with empty cells, keeps text
    EXPECT_EQ(row.Item(2), "third");
    EXPECT_EQ(row.Item(4), "");
    row.SetCount(2);
    EXPECT_EQ(row.Count(), 2);
    EXPECT_EQ(row.Item(1), QStringLiteral("β-much-longer-text"));

    CTableRecord copy = row;  // deep copy
    row.SetItem(0, "changed");
    EXPECT_EQ(copy.Item(0), "a");
    row.SetCount(0);
    EXPECT_EQ(row.Count(), 0);
}

TEST(CTableRecordTest, IsEqualIgnoresCaseButNotCount)
{
    CTableRecord a;
    a.SetCount(2);
    a.SetItem(0, "Gene");
    a.SetItem(1, QStringLiteral("ÉTÉ"));
    CTableRecord b = a;
    b.SetItem(0, "gENE");
    b.SetItem(1, QStringLiteral("été"));
    EXPECT_TRUE(a.IsEqual(b));
    b.SetItem(1, "ete");
    EXPECT_FALSE(a.IsEqual(b));
    b = a;
    b.SetCount(3);
    EXPECT_FALSE(a.IsEqual(b));
}

TEST(CTableTest, ShapeOperations)
{
    CTable table;
    EXPECT_EQ(table.RowCount(), 0);
    EXPECT_EQ(table.ColumnCount(), 0);
    table.SetRowCount(3);  // an empty table gets rows of one empty cell
    EXPECT_EQ(table.RowCount(), 3);
    EXPECT_EQ(table.ColumnCount(), 1);
    EXPECT_EQ(table.Item(2, 0), "");

    table.SetSize(2, 4);
    EXPECT_EQ(table.RowCount(), 2);
    EXPECT_EQ(table.ColumnCount(), 4);
    EXPECT_EQ(table.ColumnType(3), -1);
    table.SetItem(0, 0, "top");
    table.SetItem(1, 3, "bottom");
    table.InsertRow(1, 2);
    EXPECT_EQ(table.RowCount(), 4);
    EXPECT_EQ(RowCells(table, 0), (QStringList{"top", "", "", ""}));
    EXPECT_EQ(RowCells(table, 1), (QStringList{"", "", "", ""}));
    EXPECT_EQ(table.Item(3, 3), "bottom");
    table.AppendRow(1);
    EXPECT_EQ(table.RowCount(), 5);
    EXPECT_EQ(table.Row(4).Count(), 4);

    table.SetColumnCount(2);
    EXPECT_EQ(table.ColumnCount(), 2);
    EXPECT_EQ(table.Row(3).Count(), 2);
    table.SetRowCount(1);
    EXPECT_EQ(table.RowCount(), 1);
    EXPECT_EQ(table.Item(0, 0), "top");

    CTable none;
    none.SetColumnCount(3);  // no rows: makes one first
    EXPECT_EQ(none.RowCount(), 1);
    EXPECT_EQ(none.ColumnCount(), 3);
}

TEST(CTableTest, IsEqualComparesShapeAndCellsIgnoringCase)
{
    CTable a;
    a.SetSize(2, 2);
    a.SetItem(1, 1, "Gal");
    CTable b;
    b.SetSize(2, 2);
    b.SetItem(1, 1, "gAL");
    EXPECT_TRUE(a.IsEqual(b));
    b.SetItem(0, 0, "x");
    EXPECT_FALSE(a.IsEqual(b));
    CTable c;
    c.SetSize(3, 2);
    EXPECT_FALSE(a.IsEqual(c));
    c.SetSize(2, 3);
    EXPECT_FALSE(a.IsEqual(c));
}

struct LoadCase {
    const char* name;
    QByteArray content;
    int separator;
    int rows;
    int columns;
};

class LoadFromTextFileTest : public ::testing::TestWithParam<LoadCase> {};

TEST_P(LoadFromTextFileTest, EndsTheTableWhereItShould)
{
    const LoadCase& c = GetParam();
    TempDataFolder folder;
    CTable table;
    table.LoadFromTextFile(folder.Write("data.txt", c.content), c.separator, 1);
    EXPECT_EQ(table.RowCount(), c.rows);
    EXPECT_EQ(table.ColumnCount(), c.columns);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LoadFromTextFileTest,
    ::testing::Values(
        LoadCase{"ShortLineEndsTable", "a\tb\tc\td\te\n1\t2\t3\t4\t5\n1\t2\t3\t4\n1\t2\t3\t4\t5\n", 1, 2, 5},
        LoadCase{"EmptyLineEndsTable", "a\tb\tc\n1\t2\t3\n\n4\t5\t6\n", 1, 2, 3},
        LoadCase{"EmptyFirstLine", "\na\tb\tc\n", 1, 0, 0},
        LoadCase{"EmptyFile", "", 1, 0, 0},
        LoadCase{"OnlyBom", "\xEF\xBB\xBF", 1, 0, 0},
        LoadCase{"LastLineWithoutEnd", "a\tb\tc\n1\t2\t3", 1, 2, 3},
        LoadCase{"TrailingLineEndAddsNoRow", "a\tb\tc\r\n1\t2\t3\r\n", 1, 2, 3},
        LoadCase{"MixedLineEnds", "a\tb\tc\r1\t2\t3\n4\t5\t6\r\n7\t8\t9", 1, 4, 3},
        LoadCase{"CrCrIsAnEmptyLine", "a\tb\tc\r\r1\t2\t3\n", 1, 1, 3},
        LoadCase{"LongerLinesAreCut", "a\tb\tc\n1\t2\t3\t4\t5\n", 1, 2, 3},
        LoadCase{"QuotedCommasKeepColumns", "a,b,c\n1,\"x,y,z\",3\n", 2, 2, 3}),
    [](const ::testing::TestParamInfo<LoadCase>& info) { return std::string(info.param.name); });

TEST(CTableLoadTest, MissingFileGivesEmptyTable)
{
    TempDataFolder folder;
    CTable table;
    table.SetSize(2, 2);
    table.LoadFromTextFile(folder.Path("nothing.tsv"), 1, 1);
    EXPECT_EQ(table.RowCount(), 0);
    EXPECT_EQ(table.ColumnCount(), 0);
}

TEST(CTableLoadTest, KeepsAtMost63Columns)
{
    QByteArray first;
    QByteArray second;
    for (int i = 0; i < 70; ++i) {
        first += (i ? "\t" : "") + QByteArray::number(i);
        second += (i ? "\t" : "") + QByteArray::number(i * 10);
    }
    TempDataFolder folder;
    CTable table;
    table.LoadFromTextFile(folder.Write("wide.tsv", first + "\n" + second + "\n"), 1, 1);
    EXPECT_EQ(table.ColumnCount(), 63);
    EXPECT_EQ(table.RowCount(), 2);
    EXPECT_EQ(table.Item(0, 62), "62");
    EXPECT_EQ(table.Item(1, 62), "620");
}

TEST(CTableLoadTest, StoresCellsAsReadAndDecodesUtf8)
{
    TempDataFolder folder;
    const QByteArray content = "\xEF\xBB\xBF" "start\tend\tname\n"
                               " 1 \t2\tg\xC3\xA8ne\n"
                               "3\t4\tbad\xFF" "byte\n";
    CTable table;
    table.LoadFromTextFile(folder.Write("utf8.tsv", content), 1, 1);
    ASSERT_EQ(table.RowCount(), 3);
    EXPECT_EQ(table.Item(0, 0), "start");  // the BOM is not part of the first cell
    EXPECT_EQ(table.Item(1, 0), " 1 ");    // no trimming
    EXPECT_EQ(table.Item(1, 2), QStringLiteral("gène"));
    EXPECT_EQ(table.Item(2, 2), QStringLiteral("bad\uFFFDbyte"));
    // The stored bytes are repaired too, so byte and string comparison agree.
    EXPECT_EQ(table.ItemUtf8(2, 2), QStringLiteral("bad\uFFFDbyte").toUtf8());
    EXPECT_TRUE(table.ItemEquals(2, 2, QStringLiteral("bad\uFFFDbyte")));
}

TEST(CTableLoadTest, ReadsAHugeLastLineWithoutALineEnd)
{
    TempDataFolder folder;
    QByteArray content = "a\tb\tc\n1\t2\t";
    content += QByteArray(8 << 20, 'x');  // spans many read chunks
    CTable table;
    table.LoadFromTextFile(folder.Write("huge.tsv", content), 1, 1);
    ASSERT_EQ(table.RowCount(), 2);
    EXPECT_EQ(table.ItemUtf8(1, 2).size(), 8 << 20);
    EXPECT_EQ(table.ColumnType(2), MTextFile::kDataTypeText);
}

TEST(CTableLoadTest, CrLfSplitAcrossReadChunksIsOneLineEnd)
{
    // The file is read in 1 MiB chunks: put the CR last in the first chunk.
    const qsizetype chunk = 1 << 20;
    QByteArray content = "a\tb\t";
    content += QByteArray(chunk - 1 - content.size(), 'x');
    content += "\r\n1\t2\t3\r\n4\t5\t6";
    ASSERT_EQ(content.at(chunk - 1), '\r');
    TempDataFolder folder;
    CTable table;
    table.LoadFromTextFile(folder.Write("split.tsv", content), 1, 1);
    EXPECT_EQ(table.RowCount(), 3);
    EXPECT_EQ(table.Item(2, 2), "6");
}

// Loaded rows share large blocks of the table; copying, moving, reloading
// and editing must neither lose cells nor touch freed memory (ASan).
TEST(CTableLoadTest, LoadedTablesCopyMoveAndEditSafely)
{
    TempDataFolder folder;
    QByteArray content = "a\tb\tc\n";
    for (int r = 1; r < 80000; ++r)  // enough to reach the huge-page slabs
        content += QByteArray::number(r) + "\tx" + QByteArray::number(r) + "\tgène\n";
    const QString path = folder.Write("many.tsv", content);

    CTable loaded;
    loaded.LoadFromTextFile(path, 1, 1);
    ASSERT_EQ(loaded.RowCount(), 80000);
    CTable copy = loaded;
    loaded.SetItem(5, 1, "edited");
    EXPECT_EQ(copy.Item(5, 1), "x5");
    EXPECT_EQ(loaded.Item(5, 1), "edited");

    CTable moved = std::move(loaded);
    EXPECT_EQ(moved.Item(79999, 2), QStringLiteral("gène"));
    moved = std::move(copy);  // the old rows and their blocks go
    EXPECT_EQ(moved.Item(5, 1), "x5");
    moved.LoadFromTextFile(path, 1, 1);  // reloading replaces rows and blocks
    moved.SetRowCount(10);
    moved.SetColumnCount(4);
    moved.InsertRow(0, 1);
    EXPECT_EQ(moved.RowCount(), 11);
    EXPECT_EQ(moved.Item(10, 1), "x9");
    EXPECT_EQ(moved.Item(10, 3), "");
    moved = CTable(moved);
    EXPECT_EQ(moved.Item(1, 0), "a");
}

TEST(CTableLoadTest, TypesColumnsFromTheRowsAfterTheTitleRows)
{
    TempDataFolder folder;
    const QByteArray content = "x\ty\tz\tw\tv\n"
                               "10\t10\t1.5\t7\t\n"
                               "20\t-5\t2\t8x\t\n"
                               "\t3\t3\t9\t\n";
    CTable table;
    table.LoadFromTextFile(folder.Write("types.tsv", content), 1, 1);
    EXPECT_EQ(table.ColumnType(0), 2);  // 10, 20 and an empty cell
    EXPECT_EQ(table.ColumnType(1), 8);  // a minus sign
    EXPECT_EQ(table.ColumnType(2), 8);  // a decimal point
    EXPECT_EQ(table.ColumnType(3), 8);  // stays text once text was seen
    EXPECT_EQ(table.ColumnType(4), 2);  // all empty

    CTable titleOnly;
    titleOnly.LoadFromTextFile(folder.Write("title.tsv", "a\tb\tc\n"), 1, 1);
    EXPECT_EQ(titleOnly.RowCount(), 1);
    for (int c = 0; c < 3; ++c)
        EXPECT_EQ(titleOnly.ColumnType(c), -1);

    CTable noTitle;
    noTitle.LoadFromTextFile(folder.Write("no_title.tsv", "a\t1\n"), 1, 0);
    EXPECT_EQ(noTitle.ColumnType(0), 8);
    EXPECT_EQ(noTitle.ColumnType(1), 2);
}

TEST(CTableLoadTest, ReadsIntegersWithoutAllocating)
{
    TempDataFolder folder;
    CTable table;
    table.LoadFromTextFile(folder.Write("n.tsv", "s\te\tc\n12.9\t3095677412\tgal\nabc\t-7\tGal\n"), 1, 1);
    EXPECT_EQ(table.ItemInteger(1, 0), 12);
    EXPECT_EQ(table.ItemInteger(1, 1), 3095677412LL);
    EXPECT_EQ(table.ItemInteger(2, 0), 0);
    EXPECT_EQ(table.ItemInteger(2, 1), -7);
    EXPECT_TRUE(table.ItemEquals(1, 2, u"gal"));
    EXPECT_FALSE(table.ItemEquals(2, 2, u"gal"));  // exact comparison
}

}  // namespace
