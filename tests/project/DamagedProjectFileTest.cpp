#include "ProjectTestSupport.h"

#include "storage/CBinaryFileTool.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <set>
#include <string>

using namespace ProjectTestSupport;

namespace {

// A project with one small data file and one view of each kind: every block
// kind and every field appears in its "proj" block.
class DamagedProjectFile : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const QString path = WriteTextFile(mDir, QStringLiteral("d.tsv"),
                                           "start\tend\tclass\tname\n1\t10\tA\tg1\n20\t30\tB\tg2\n");
        mProject.AddImportedFile(LoadDataFile(path, {0, 1, 2, -1, 3}));
        CFileData* file = mProject.File(0);
        // The linear view comes first and the circular view's first entry
        // has long texts, so that cutting the content inside the later
        // fields still leaves enough bytes for the counts before them.
        auto linear = std::make_unique<CLinearViewConfig>(QStringLiteral("l"));
        linear->Add(file, QStringLiteral("B"), QStringLiteral("b"), CLinearViewConfig::kBottom,
                    CLinearViewConfig::kOval, 0x778899);
        linear->SetGenomeLength(100);
        auto circle = std::make_unique<CCircleViewConfig>(QStringLiteral("c"));
        circle->Add(file, QStringLiteral("A"), QStringLiteral("the legend of class A, long enough to matter"), 0,
                    0x112233);
        circle->Add(file, QStringLiteral("B"), QStringLiteral("b"), 5, 0x445566);
        circle->SetGenomeLength(100);
        mProject.AddView(std::move(linear));
        mProject.AddView(std::move(circle));
        mContent = SaveContent(mProject);
        mBlocks = FindBlocks(mContent);
        CProject check;
        ASSERT_EQ(RestoreContent(mContent, check), QString());
    }

    static QString Identifier(const QString& message)
    {
        EXPECT_TRUE(message.startsWith(QStringLiteral("ReadError") + QChar(0))) << message.toStdString();
        return message.section(QChar(0), 1);
    }

    std::string RestoreIdentifier(const QByteArray& content)
    {
        CProject project;
        return Identifier(RestoreContent(content, project)).toStdString();
    }

    QByteArray WithInt32(const char* tag, int occurrence, qsizetype offsetInBody, qint32 value)
    {
        QByteArray changed = mContent;
        SetInt32At(changed, NthBlock(mBlocks, tag, occurrence).bodyBegin + offsetInBody, value);
        return changed;
    }

    QTemporaryDir mDir;
    CProject mProject;
    QByteArray mContent;
    std::vector<Block> mBlocks;
};

// Every identifier of the project, data file, table, row and view blocks is
// reached: by cutting the content short at every byte (each read past the
// end fails at its own field), and by targeted damage for the rest.
TEST_F(DamagedProjectFile, EveryIdentifierIsReachedAndNothingElseHappens)
{
    std::set<std::string> reached;
    for (qsizetype at = 0; at < mContent.size(); ++at)
        reached.insert(RestoreIdentifier(TruncatedAt(mContent, at)));

    const qsizetype kindStringAt = NthBlock(mBlocks, "fdat").bodyEnd + 4 + 4 * 4;  // after flag, counters, V
    ASSERT_EQ(mContent.mid(kindStringAt, 5), QByteArray("\x01\x00\x00\x00" "L", 5));
    QByteArray kindX = mContent;
    kindX[kindStringAt + 4] = 'X';
    QByteArray wrongViewTag = mContent;
    wrongViewTag.replace(NthBlock(mBlocks, "vlin").lengthAt - 4, 4, "vcir");
    QByteArray wrongTag = mContent;
    wrongTag.replace(NthBlock(mBlocks, "trec", 1).lengthAt - 4, 4, "TREC");

    struct Case {
        const char* name;
        QByteArray content;
        const char* expected;
    };
    const Case cases[] = {
        {"kind X", kindX, "Project.32"},
        {"circular block where the linear one belongs", wrongViewTag, "LinearViewConfig.0"},
        {"extra byte in proj", WithExtraAtEnd(mContent, NthBlock(mBlocks, "proj"), QByteArray(1, '\0')), "Project.99"},
        {"extra byte in fdat", WithExtraAtEnd(mContent, NthBlock(mBlocks, "fdat"), QByteArray(1, '\0')), "FileData.99"},
        {"extra byte in tble", WithExtraAtEnd(mContent, NthBlock(mBlocks, "tble"), QByteArray(1, '\0')), "Table.9"},
        {"extra byte in trec", WithExtraAtEnd(mContent, NthBlock(mBlocks, "trec", 2), QByteArray(1, '\0')), "TableRecord.9"},
        {"extra byte in view", WithExtraAtEnd(mContent, NthBlock(mBlocks, "view", 0), QByteArray(1, '\0')), "ViewConfig.99"},
        {"extra byte in vcir", WithExtraAtEnd(mContent, NthBlock(mBlocks, "vcir"), QByteArray(1, '\0')), "CircleViewConfig.9"},
        {"extra bytes in vlin", WithExtraAtEnd(mContent, NthBlock(mBlocks, "vlin"), QByteArray(4, '\0')),
         "LinearViewConfig.9"},
        {"wrong row tag", wrongTag, "TableRecord.0"},
        {"negative file count", WithInt32("proj", 0, 4, -1), "Project.11"},
        {"huge file count", WithInt32("proj", 0, 4, 0x7FFFFFFF), "Project.11"},
        {"negative row count", WithInt32("tble", 0, 4, -1), "Table.1"},
        {"huge row count", WithInt32("tble", 0, 4, 100000000), "Table.1"},
        {"negative cell count", WithInt32("trec", 1, 4, -3), "TableRecord.1"},
        {"huge cell count", WithInt32("trec", 1, 4, 0x40000000), "TableRecord.1"},
        {"negative entry count", WithInt32("view", 0, 4, -2), "ViewConfig.11"},
        {"huge entry count", WithInt32("view", 0, 4, 50000000), "ViewConfig.11"},
        {"huge name length", WithInt32("fdat", 0, 4, 0x7FFFFFF0), "FileData.01"},
        {"huge class length", WithInt32("view", 0, 8, 1 << 30), "ViewConfig.12"},
        {"huge block length", WithInt32("proj", 0, 8 + 8, 0x7FFFFFFF), "FileData.00"},
    };
    for (const Case& c : cases) {
        const std::string identifier = RestoreIdentifier(c.content);
        EXPECT_EQ(identifier, c.expected) << c.name;
        reached.insert(identifier);
    }

    // The views' negative view count needs the content after the files.
    QByteArray negativeViews = mContent;
    SetInt32At(negativeViews, kindStringAt - 4, -1);
    EXPECT_EQ(RestoreIdentifier(negativeViews), "Project.31");

    const char* const all[] = {
        "Project.00", "Project.11", "Project.12", "Project.21", "Project.22", "Project.23", "Project.31",
        "Project.32", "Project.99",
        "FileData.00", "FileData.01", "FileData.02", "FileData.03", "FileData.11", "FileData.12", "FileData.13",
        "FileData.21", "FileData.22", "FileData.23", "FileData.99",
        "Table.0", "Table.1", "Table.2", "Table.9",
        "TableRecord.0", "TableRecord.1", "TableRecord.2", "TableRecord.9",
        "ViewConfig.00", "ViewConfig.11", "ViewConfig.12", "ViewConfig.13", "ViewConfig.14", "ViewConfig.15",
        "ViewConfig.16", "ViewConfig.21", "ViewConfig.22", "ViewConfig.23", "ViewConfig.24", "ViewConfig.25",
        "ViewConfig.26", "ViewConfig.27", "ViewConfig.28", "ViewConfig.29", "ViewConfig.2A", "ViewConfig.99",
        "CircleViewConfig.0", "CircleViewConfig.1", "CircleViewConfig.2", "CircleViewConfig.3",
        "CircleViewConfig.4", "CircleViewConfig.9",
        "LinearViewConfig.0", "LinearViewConfig.1", "LinearViewConfig.2", "LinearViewConfig.3",
        "LinearViewConfig.4", "LinearViewConfig.5", "LinearViewConfig.6", "LinearViewConfig.7",
        "LinearViewConfig.9",
    };
    for (const char* identifier : all)
        EXPECT_TRUE(reached.count(identifier)) << identifier << " never reached";
    // And nothing outside the tables was reported.
    const std::set<std::string> known(std::begin(all), std::end(all));
    for (const std::string& identifier : reached)
        EXPECT_TRUE(known.count(identifier)) << identifier;
}

// Values no program writes are refused at their field rather than trusted
// by the code that uses them later.
TEST_F(DamagedProjectFile, ValuesOutOfRangeAreRefusedAtTheirField)
{
    const Block& fdat = NthBlock(mBlocks, "fdat");
    const Block& tble = NthBlock(mBlocks, "tble");
    // fdat body: reserved, name, dir path, file number, heading byte, separator.
    const qsizetype nameLength = Int32At(mContent, fdat.bodyBegin + 4);
    const qsizetype dirLength = Int32At(mContent, fdat.bodyBegin + 8 + nameLength);
    const qsizetype separatorAt = fdat.bodyBegin + 12 + nameLength + dirLength + 4 + 1 - fdat.bodyBegin;
    const qsizetype rolesAt = tble.bodyEnd + 4 * 4 - fdat.bodyBegin;  // after the four column types
    const qsizetype unitAt = fdat.bodyEnd - 4 - fdat.bodyBegin;

    struct Case {
        const char* name;
        QByteArray content;
        const char* expected;
    };
    const Case cases[] = {
        {"separator 3", WithInt32("fdat", 0, separatorAt, 3), "FileData.12"},
        {"start column past the table", WithInt32("fdat", 0, rolesAt, 4), "FileData.21"},
        {"unit 2", WithInt32("fdat", 0, unitAt, 2), "FileData.23"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RestoreIdentifier(c.content), c.expected) << c.name;

    // A row with fewer cells than the first would be read out of range
    // later: its last cell ("g1", three bytes) is gone and its count says so.
    const Block& row = NthBlock(mBlocks, "trec", 1);
    ASSERT_EQ(mContent.mid(row.bodyEnd - 3, 3), QByteArray("\x02g1"));
    QByteArray shortRow = WithoutBodyTail(mContent, row, 3);
    SetInt32At(shortRow, row.bodyBegin + 4, Int32At(mContent, row.bodyBegin + 4) - 1);
    EXPECT_EQ(RestoreIdentifier(shortRow), "TableRecord.1");

    // Two data files under one number would leave one unreachable.
    CProject twice;
    twice.AddImportedFile(LoadDataFile(mDir.filePath(QStringLiteral("d.tsv")), {0, 1, 2, -1, 3}));
    twice.AddImportedFile(LoadDataFile(mDir.filePath(QStringLiteral("d.tsv")), {0, 1, 2, -1, 3}));
    QByteArray duplicated = SaveContent(twice);
    const std::vector<Block> blocks = FindBlocks(duplicated);
    const Block& second = NthBlock(blocks, "fdat", 1);
    const qsizetype numberAt = second.bodyBegin + 8 + Int32At(duplicated, second.bodyBegin + 4)
                               + 4 + Int32At(duplicated, second.bodyBegin + 8 + Int32At(duplicated, second.bodyBegin + 4));
    ASSERT_EQ(Int32At(duplicated, numberAt), 1);
    SetInt32At(duplicated, numberAt, 0);
    EXPECT_EQ(RestoreIdentifier(duplicated), "FileData.03");
}

}  // namespace
