#include "core/CFileData.h"

#include "core/MTextFile.h"
#include "tests/core/TempDataFolder.h"
#include "tests/support/TestPaths.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kNotReadable = "Your selected file is not readble!!";
const QString kNotFound = "Your selected file is not found!!";
const QString kIsDirectory = "Your selected is a Directory!! Reselect to a correct file.";
const QString kNotUsable = "Your selected file is not a usable!!";

// A data file loaded from `path`, with the load's message checked.
std::unique_ptr<CFileData> Loaded(const QString& path)
{
    auto data = std::make_unique<CFileData>();
    data->SetFile(QFileInfo(path));
    EXPECT_EQ(data->LoadData(), "") << path.toStdString();
    return data;
}

void AssignRoles(CFileData* data, int start, int end, int cls)
{
    data->SetConfig(CFileData::kRoleStart, start);
    data->SetConfig(CFileData::kRoleEnd, end);
    data->SetConfig(CFileData::kRoleClass, cls);
}

TEST(CFileDataTest, NewDataFileHasItsDefaults)
{
    CFileData data;
    EXPECT_EQ(data.RowCount(), 0);
    EXPECT_EQ(data.ColumnCount(), 0);
    EXPECT_EQ(data.Heading(0), "Column1");
    for (int role = 0; role < CFileData::kRoleCount; ++role) {
        EXPECT_EQ(data.Config(role), -1);
        EXPECT_EQ(data.ConfigName(role), "");
    }
    EXPECT_EQ(data.FileNumber(), -1);
    EXPECT_TRUE(data.HasHeading());
    EXPECT_EQ(data.Unit(), 0);
    EXPECT_EQ(data.SeparatorType(), 0);
    EXPECT_FALSE(data.Loaded());
    EXPECT_FALSE(data.Modified());
    EXPECT_FALSE(data.File().has_value());
    EXPECT_EQ(data.FileType(), 0);
    EXPECT_EQ(data.Item(0, 0), "");
    EXPECT_EQ(data.Table(), nullptr);
    // Nothing chosen: no load is due.
    EXPECT_EQ(data.LoadData(), "");
    EXPECT_FALSE(data.Loaded());
}

TEST(CFileDataTest, LoadsTheBundledSamples)
{
    struct Case {
        const char* file;
        int separator;
        int rows;
        int classes;
        qint64 maximum;
        const char* someClass;
        int someCount;
    };
    const Case cases[] = {
        {"klebsiella_KL34_cds.tsv", 1, 19, 13, 21428, "CDS", 3},
        {"human_hg19_chr1_bands.tsv", 1, 63, 7, 249250621, "gneg", 31},
        {"human_hg19_all_bands.csv", 2, 862, 8, 3095677412LL, "stalk", 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        auto data = Loaded(TestPaths::SampleData(c.file));
        EXPECT_TRUE(data->Loaded());
        EXPECT_FALSE(data->Modified());
        EXPECT_EQ(data->SeparatorType(), c.separator);
        EXPECT_EQ(data->RowCount(), c.rows);
        EXPECT_EQ(data->Heading(0), "start");
        AssignRoles(data.get(), 0, 1, 2);
        EXPECT_EQ(data->ConfigName(CFileData::kRoleEnd), "end");
        data->Finalize();
        EXPECT_EQ(data->ClassCount(), c.classes);
        EXPECT_EQ(data->MaximumLocate(), c.maximum);
        EXPECT_EQ(data->CountSpecifiedClass(QString(c.someClass)), c.someCount);
        int total = 0;
        for (int i = 0; i < data->ClassCount(); ++i)
            total += data->CountSpecifiedClass(i);
        EXPECT_EQ(total, c.rows);
    }
}

TEST(CFileDataTest, TestFileReportsEachProblem)
{
    TempDataFolder folder;
    struct Case {
        const char* name;
        QByteArray content;  // null: not written
        QString expected;
        int separator;
    };
    const Case cases[] = {
        {"tab.tsv", "a\tb\tc\n", "", 1},
        {"comma.csv", "a\tb,c,d\n", "", 2},  // 2 tab fields, 3 comma fields
        {"missing.tsv", QByteArray(), kNotFound, 0},
        {"empty.tsv", "", kNotUsable, 0},
        {"one.tsv", "start\n1\n", kNotUsable, 0},
        {"two.tsv", "start\tend\n1\t2\n", kNotUsable, 0},
        {"binary.dat", QByteArray("a\tb\tc\0\x01\x02\n", 10), kNotUsable, 0},
        {"blank_first.tsv", "\na\tb\tc\n", kNotUsable, 0},
        {"sheet.xls", "a\tb\tc\n1\t2\t3\n", kNotUsable, 0},  // a spreadsheet, whatever it holds
        {"SHEET.XLS", "a\tb\tc\n1\t2\t3\n", kNotUsable, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (!c.content.isNull())
            folder.Write(c.name, c.content);
        CFileData data;
        data.SetDirPath(folder.Folder());
        data.SetName(c.name);
        EXPECT_EQ(data.TestFile(), c.expected);
        EXPECT_EQ(data.SeparatorType(), c.separator);
    }

    CFileData directory;
    directory.SetFile(QFileInfo(folder.Folder()));
    EXPECT_EQ(directory.TestFile(), kIsDirectory);

    CFileData unnamed;
    unnamed.SetDirPath(folder.Folder());
    EXPECT_EQ(unnamed.TestFile(), kNotFound);
}

TEST(CFileDataTest, RefusesAPipeWithoutBlocking)
{
    TempDataFolder folder;
    const QString path = folder.Path("pipe.tsv");
    ASSERT_EQ(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    CFileData data;
    data.SetFile(QFileInfo(path));
    EXPECT_EQ(data.TestFile(), kNotUsable);
    EXPECT_EQ(data.LoadData(), kNotUsable);
    CTable table;
    table.LoadFromTextFile(path, 1, 1);  // would block if it opened the pipe
    EXPECT_EQ(table.RowCount(), 0);
}

TEST(CFileDataTest, UnreadableFileIsReported)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "permissions do not stop root from reading";
    TempDataFolder folder;
    const QString path = folder.Write("locked.tsv", "a\tb\tc\n");
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::WriteOwner));
    CFileData data;
    data.SetFile(QFileInfo(path));
    EXPECT_EQ(data.TestFile(), kNotReadable);
}

// Every kind of bad input gets its message and leaves a loaded data file
// exactly as it was: table, separator, loaded state.
TEST(CFileDataTest, BadInputLeavesTheDataFileAsItWas)
{
    TempDataFolder folder;
    const QString good = folder.Write("good.csv", "s,e,c\n1,2,x\n3,4,y\n");
    struct Case {
        const char* name;
        QByteArray content;
        QString expected;
    };
    QByteArray hugeLine(8 << 20, 'x');
    const Case cases[] = {
        {"missing.tsv", QByteArray(), kNotFound},
        {"empty.tsv", "", kNotUsable},
        {"binary.tsv", QByteArray("\x7f" "ELF\0\0\t\t\n", 10), kNotUsable},
        {"narrow.tsv", "a\tb\n1\t2\n", kNotUsable},
        {"huge_unseparated.tsv", hugeLine, kNotUsable},
        {"sheet.xls", "a\tb\tc\n", kNotUsable},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto data = Loaded(good);
        const CTable* table = data->Table();
        if (!c.content.isNull())
            folder.Write(c.name, c.content);
        data->SetName(c.name);
        EXPECT_TRUE(data->Modified());
        EXPECT_EQ(data->LoadData(), c.expected);
        EXPECT_EQ(data->Table(), table);
        EXPECT_TRUE(data->Loaded());
        EXPECT_EQ(data->SeparatorType(), 2);
        EXPECT_EQ(data->RowCount(), 2);
        EXPECT_TRUE(data->Modified());  // the load is still due
    }
}

TEST(CFileDataTest, LoadsOnlyWhenTheSourceChanged)
{
    TempDataFolder folder;
    const QString first = folder.Write("first.tsv", "a\tb\tc\n1\t2\t3\n");
    folder.Write("second.tsv", "a\tb\tc\n1\t2\t3\n4\t5\t6\n");
    auto data = Loaded(first);
    const CTable* table = data->Table();
    EXPECT_EQ(data->LoadData(), "");
    EXPECT_EQ(data->Table(), table);  // not modified: nothing read

    data->SetName("first.tsv");  // same value: no load due
    EXPECT_FALSE(data->Modified());
    data->SetUnit(1);
    data->SetHasHeading(false);
    EXPECT_FALSE(data->Modified());

    data->SetName("second.tsv");  // retargets without browsing
    EXPECT_TRUE(data->Modified());
    EXPECT_EQ(data->File()->absoluteFilePath(), folder.Path("second.tsv"));
    EXPECT_EQ(data->LoadData(), "");
    EXPECT_EQ(data->RowCount(), 3);  // no heading now

    data->SetDirPath("/no/such/folder");
    EXPECT_EQ(data->LoadData(), kNotFound);
    data->SetDirPath("relative/folder");
    EXPECT_FALSE(data->File().has_value());
    data->SetDirPath(folder.Folder());
    data->SetName("../second.tsv");  // a name is never a path
    EXPECT_FALSE(data->File().has_value());
}

TEST(CFileDataTest, FileSetterKeepsTheCachedReferenceForTheSamePath)
{
    TempDataFolder folder;
    const QString path = folder.Write("x.tsv", "a\tb\tc\n");
    CFileData data;
    data.SetFile(QFileInfo(path));
    EXPECT_EQ(data.Name(), "x.tsv");
    EXPECT_EQ(data.DirPath(), folder.Folder());
    EXPECT_EQ(data.FileType(), 1);
    EXPECT_EQ(data.LoadData(), "");
    data.SetFile(QFileInfo(folder.Folder() + "/./x.tsv"));
    EXPECT_TRUE(data.Modified());
    EXPECT_EQ(data.Name(), "x.tsv");
    // Paths compare case-sensitively: X.tsv is another file.
    data.SetFile(QFileInfo(folder.Path("X.tsv")));
    EXPECT_EQ(data.Name(), "X.tsv");
    EXPECT_EQ(data.LoadData(), kNotFound);
}

TEST(CFileDataTest, SeparatorChangeNeedsThreeColumns)
{
    TempDataFolder folder;
    // Three tab fields and three comma fields on every line.
    auto both = Loaded(folder.Write("both.txt", "a\tb\tc,d,e\n1\t2\t3,4,5\n"));
    EXPECT_EQ(both->SeparatorType(), 1);
    EXPECT_EQ(both->ColumnCount(), 3);
    both->SetSeparatorType(2);
    EXPECT_EQ(both->SeparatorType(), 2);
    EXPECT_EQ(both->ColumnCount(), 3);
    EXPECT_EQ(both->Item(0, 0), "1\t2\t3");

    // Only two tab fields: switching to tab is refused silently.
    auto comma = Loaded(folder.Write("comma.txt", "a\tb,c,d\n1\t2,3,4\n"));
    EXPECT_EQ(comma->SeparatorType(), 2);
    const CTable* table = comma->Table();
    comma->SetSeparatorType(1);
    EXPECT_EQ(comma->SeparatorType(), 2);
    EXPECT_EQ(comma->Table(), table);

    // Not yet loaded: the setter loads first.
    CFileData fresh;
    fresh.SetFile(QFileInfo(folder.Path("both.txt")));
    fresh.SetSeparatorType(2);
    EXPECT_TRUE(fresh.Loaded());
    EXPECT_EQ(fresh.SeparatorType(), 2);
}

TEST(CFileDataTest, HeadingsAndTheHeadingOption)
{
    TempDataFolder folder;
    auto data = Loaded(folder.Write("h.tsv", "start\t   \tClass\n1\t2\tx\n"));
    EXPECT_EQ(data->Heading(0), "start");
    EXPECT_EQ(data->Heading(1), "Column2");  // only spaces: the default title
    EXPECT_EQ(data->RowCount(), 1);
    EXPECT_EQ(data->Item(0, 2), "x");

    data->SetHasHeading(false);
    EXPECT_EQ(data->RowCount(), 2);
    EXPECT_EQ(data->Item(0, 0), "start");
    for (int c = 0; c < 3; ++c)
        EXPECT_EQ(data->Heading(c), "Column" + QString::number(c + 1));
}

TEST(CFileDataTest, CheckConfigDropsRolesThatNoLongerFit)
{
    TempDataFolder folder;
    auto data = Loaded(folder.Write("c.tsv", "start\tend\tclass\tname\n1\t2\tx\tn\n"));
    AssignRoles(data.get(), 0, 1, 2);
    data->SetConfig(CFileData::kRoleName, 3);
    EXPECT_EQ(data->ConfigName(CFileData::kRoleClass), "class");
    EXPECT_EQ(data->CheckConfig(), 0);

    // The file changes under the same name: the class heading now differs
    // only in case (kept), the name column is gone (dropped).
    folder.Write("c.tsv", "Start\tEnd\tCLASS\n1\t2\tx\n");
    data->SetName("c.tsv");
    data->SetFile(QFileInfo(folder.Path("c.tsv")));
    EXPECT_EQ(data->LoadData(), "");
    EXPECT_EQ(data->CheckConfig(), 1);
    EXPECT_EQ(data->Config(CFileData::kRoleName), -1);
    EXPECT_EQ(data->ConfigName(CFileData::kRoleName), "");
    EXPECT_EQ(data->Config(CFileData::kRoleClass), 2);

    // Without a heading every title reads ColumnN: all roles drop.
    data->SetHasHeading(false);
    EXPECT_EQ(data->CheckConfig(), 3);
    EXPECT_EQ(data->Config(CFileData::kRoleStart), -1);

    // Assigned without a heading, a role survives while the titles agree.
    data->SetConfig(CFileData::kRoleStart, 0);
    EXPECT_EQ(data->ConfigName(CFileData::kRoleStart), "Column1");
    EXPECT_EQ(data->CheckConfig(), 0);
}

TEST(CFileDataTest, DataTypeFoldsInTheFirstRowWithoutAHeading)
{
    TempDataFolder folder;
    // Row 0 never types the table's columns; DataType folds it in when it is data.
    auto data = Loaded(folder.Write("t.tsv", "1\t1.5\tabc\t1.5\n2\t3\t4\tx\n"));
    const int withHeading[] = {2, 2, 2, 8};
    const int withoutHeading[] = {2, 5, 8, 8};
    for (int c = 0; c < 4; ++c)
        EXPECT_EQ(data->DataType(c), withHeading[c]) << c;
    data->SetHasHeading(false);
    for (int c = 0; c < 4; ++c)
        EXPECT_EQ(data->DataType(c), withoutHeading[c]) << c;
    data->SetHasHeading(true);  // the cached types were not changed by folding
    for (int c = 0; c < 4; ++c)
        EXPECT_EQ(data->DataType(c), withHeading[c]) << c;

    auto titleOnly = Loaded(folder.Write("title.tsv", "1\tx\t2.5\n"));
    titleOnly->SetHasHeading(false);
    EXPECT_EQ(titleOnly->DataType(0), -1);  // no typed rows: stays undetermined
    EXPECT_EQ(titleOnly->DataType(1), 8);
}

TEST(CFileDataTest, FinalizeGroupsClassesIgnoringCase)
{
    TempDataFolder folder;
    auto data = Loaded(folder.Write("f.tsv",
                                    "start\tend\tclass\n"
                                    "5\t3\tB\n"
                                    "10\t12\ta\n"
                                    "12.9\t1\tb\n"
                                    "x\t\tA\n"
                                    "0\t0\t\n"));
    AssignRoles(data.get(), 0, 1, 2);
    data->Finalize();
    ASSERT_EQ(data->ClassCount(), 3);
    EXPECT_EQ(data->ClassName(0), "");  // an empty class cell is a class
    EXPECT_EQ(data->ClassName(1), "a");  // the forms met first, sorted ignoring case
    EXPECT_EQ(data->ClassName(2), "B");
    EXPECT_EQ(data->CountSpecifiedClass(1), 2);
    EXPECT_EQ(data->CountSpecifiedClass(2), 2);
    EXPECT_EQ(data->CountSpecifiedClass(QString("b")), 2);
    EXPECT_EQ(data->CountSpecifiedClass(QString("c")), 0);
    EXPECT_EQ(data->MaximumLocate(), 12);
    data->SetUnit(1);
    EXPECT_EQ(data->MaximumLocate(), 12000);

    // Without the heading option the heading row is a row of data.
    data->SetHasHeading(false);
    data->Finalize();
    EXPECT_EQ(data->CountSpecifiedClass(QString("class")), 1);

    // A required role unassigned: no classes, no largest location.
    data->SetConfig(CFileData::kRoleClass, -1);
    data->Finalize();
    EXPECT_EQ(data->ClassCount(), 0);
    EXPECT_EQ(data->MaximumLocate(), 0);
}

TEST(CFileDataTest, LargeLocationsNeverWrap)
{
    TempDataFolder folder;
    struct Case {
        const char* content;
        int unit;
        qint64 maximum;
        QString message;
    };
    const Case cases[] = {
        {"s\te\tc\n1\t2147483647\tx\n", 0, 2147483647, ""},
        {"s\te\tc\n1\t2147483648\tx\n2\t9999999999\tx\n", 0, 9999999999LL,
         "The location on line 2 is 2147483648 bp, beyond the largest location of 2147483647 bp."},
        {"s\te\tc\n1\t2147483\tx\n2147484\t1\tx\n", 1, 2147484000LL,
         "The location on line 3 is 2147484000 bp, beyond the largest location of 2147483647 bp."},
        {"s\te\tc\n-2147483649\t1\tx\n", 0, 1,
         "The location on line 2 is -2147483649 bp, below the smallest location of -2147483648 bp."},
        {"s\te\tc\n1\t99999999999999999999\tx\n", 1, std::numeric_limits<qint64>::max(),
         "The location on line 2 is 9223372036854775807 bp, beyond the largest location of 2147483647 bp."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.content);
        auto data = Loaded(folder.Write("big.tsv", c.content));
        AssignRoles(data.get(), 0, 1, 2);
        data->SetUnit(c.unit);
        data->Finalize();
        EXPECT_EQ(data->MaximumLocate(), c.maximum);
        EXPECT_EQ(data->CheckLocationRange(), c.message);
    }

    // The whole human genome laid end to end is such a file.
    auto genome = Loaded(TestPaths::SampleData("human_hg19_all_bands.csv"));
    AssignRoles(genome.get(), 0, 1, 2);
    const QString message = genome->CheckLocationRange();
    EXPECT_TRUE(message.startsWith("The location on line ")) << message.toStdString();
    // Line n is table row n - 1; its end (or start) is the offending value.
    const int line = message.section(' ', 4, 4).toInt();
    const qint64 value = message.section(' ', 6, 6).toLongLong();
    ASSERT_GE(line, 2);
    EXPECT_GT(value, 2147483647LL);
    EXPECT_EQ(genome->Table()->ItemInteger(line - 1, 1), value);
    EXPECT_LE(genome->Table()->ItemInteger(line - 2, 1), 2147483647LL);

    auto chromosome = Loaded(TestPaths::SampleData("human_hg19_chr1_bands.tsv"));
    AssignRoles(chromosome.get(), 0, 1, 2);
    EXPECT_EQ(chromosome->CheckLocationRange(), "");
}

TEST(CFileDataTest, CopySharesTheTableAndIsEqual)
{
    TempDataFolder folder;
    auto data = Loaded(folder.Write("copy.tsv", "start\tend\tclass\n1\t20\tx\n5\t8\ty\n"));
    AssignRoles(data.get(), 0, 1, 2);
    data->SetFileNumber(7);
    data->SetUnit(1);
    data->Finalize();

    auto copy = data->Clone();
    EXPECT_EQ(copy->Table(), data->Table());  // the same table, not a copy
    EXPECT_FALSE(copy->Modified());
    EXPECT_TRUE(copy->Loaded());
    EXPECT_EQ(copy->FileNumber(), 7);
    EXPECT_EQ(copy->ClassCount(), 2);
    EXPECT_EQ(copy->CountSpecifiedClass(QString("y")), 1);
    EXPECT_EQ(copy->MaximumLocate(), 20000);
    EXPECT_EQ(copy->ConfigName(CFileData::kRoleClass), "class");
    EXPECT_EQ(copy->SeparatorType(), 1);
    EXPECT_TRUE(copy->IsEqual(*data));

    // The copy's first load keeps the shared table.
    EXPECT_EQ(copy->LoadData(), "");
    EXPECT_EQ(copy->Table(), data->Table());

    copy->SetConfig(CFileData::kRoleEnd, 0);
    EXPECT_FALSE(copy->IsEqual(*data));
    copy->SetConfig(CFileData::kRoleEnd, 1);
    copy->SetHasHeading(false);
    EXPECT_FALSE(copy->IsEqual(*data));
    copy->SetHasHeading(true);
    copy->SetUnit(0);
    EXPECT_FALSE(copy->IsEqual(*data));
    copy->SetUnit(1);
    EXPECT_TRUE(copy->IsEqual(*data));

    // Same cells in another file with other letter case: not the same source.
    auto other = Loaded(folder.Write("other.tsv", "START\tEND\tCLASS\n1\t20\tX\n5\t8\tY\n"));
    AssignRoles(other.get(), 0, 1, 2);
    other->SetUnit(1);
    EXPECT_FALSE(other->IsEqual(*data));
    // The same file read again: equal by content.
    auto again = Loaded(folder.Path("copy.tsv"));
    AssignRoles(again.get(), 0, 1, 2);
    again->SetUnit(1);
    EXPECT_TRUE(again->IsEqual(*data));
    EXPECT_NE(again->Table(), data->Table());

    CFileData empty;
    EXPECT_TRUE(empty.IsEqual(CFileData()));
}

}  // namespace
