#include "tests/cli/CliTestSupport.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>

using namespace CliTestSupport;

namespace {

QString Write(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    QFile file(dir.filePath(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return file.fileName();
}

TEST(CliImportTest, ImportsBothSamplesWithTheirRoles)
{
    QTemporaryDir dir;
    const QString project = dir.filePath("p.kyql");
    ImportSamples(project);
    const QJsonArray files = Info(project).value("files").toArray();
    ASSERT_EQ(files.size(), 2);

    const QJsonObject bands = files[0].toObject();
    EXPECT_EQ(bands.value("number").toInt(), 1);
    EXPECT_EQ(bands.value("name").toString(), "human_hg19_chr1_bands.tsv");
    EXPECT_EQ(bands.value("folder").toString(), QDir(TestPaths::SourceDir() + "/samples/data").absolutePath());
    EXPECT_EQ(bands.value("rows").toInt(), 63);
    EXPECT_EQ(bands.value("columns").toInt(), 4);
    EXPECT_TRUE(bands.value("heading").toBool());
    EXPECT_EQ(bands.value("separator").toString(), "tab");
    EXPECT_EQ(bands.value("unit").toString(), "bp");
    const QJsonObject roles = bands.value("roles").toObject();
    EXPECT_EQ(roles.value("start").toInt(), 1);
    EXPECT_EQ(roles.value("end").toInt(), 2);
    EXPECT_EQ(roles.value("class").toInt(), 3);
    EXPECT_TRUE(roles.value("direction").isNull());
    EXPECT_EQ(roles.value("name").toInt(), 4);
    EXPECT_EQ(bands.value("maximum_location_bp").toDouble(), 249250621.0);
    EXPECT_TRUE(bands.value("selected").toBool());
    const QJsonArray classes = bands.value("classes").toArray();
    ASSERT_EQ(classes.size(), 7);
    int total = 0;
    for (const QJsonValue& c : classes) {
        total += c.toObject().value("count").toInt();
        if (c.toObject().value("name").toString() == "gneg") {
            EXPECT_EQ(c.toObject().value("count").toInt(), 31);
        }
    }
    EXPECT_EQ(total, 63);

    const QJsonObject locus = files[1].toObject();
    EXPECT_EQ(locus.value("number").toInt(), 2);
    EXPECT_EQ(locus.value("roles").toObject().value("direction").toInt(), 4) << "a title matches ignoring case";
    EXPECT_EQ(locus.value("roles").toObject().value("name").toInt(), 5);
    EXPECT_EQ(locus.value("classes").toArray().size(), 13);
    EXPECT_EQ(locus.value("maximum_location_bp").toDouble(), 21428.0);
}

TEST(CliImportTest, OptionsReachTheDataFile)
{
    QTemporaryDir dir;
    const QString project = dir.filePath("p.kyql");
    // Comma-separated, no heading, locations in kbp.
    const QString data = Write(dir, "k.csv", "1,5,gene,+\n7,12,gene,-\n20,30,rRNA,+\n");
    const CliRun run = RunCli({"import", project, data, "--start", "1", "--end", "2", "--class", "3",
                               "--direction", "Column4", "--no-heading", "--unit", "kbp", "--separator", "comma"});
    ASSERT_EQ(run.mStatus, 0) << Describe(run);
    const QJsonObject file = Info(project).value("files").toArray().at(0).toObject();
    EXPECT_FALSE(file.value("heading").toBool());
    EXPECT_EQ(file.value("rows").toInt(), 3);
    EXPECT_EQ(file.value("separator").toString(), "comma");
    EXPECT_EQ(file.value("unit").toString(), "kbp");
    EXPECT_EQ(file.value("maximum_location_bp").toDouble(), 30000.0);
    EXPECT_EQ(file.value("roles").toObject().value("direction").toInt(), 4);

    // Importing the same file again gives a second file of its own.
    ASSERT_EQ(RunCli({"import", project, data, "--start", "1", "--end", "2", "--class", "3", "--no-heading"}).mStatus,
              0);
    const QJsonArray files = Info(project).value("files").toArray();
    ASSERT_EQ(files.size(), 2);
    EXPECT_NE(files[0].toObject().value("file_number"), files[1].toObject().value("file_number"));
}

// Bad data files are refused with the data file's own messages, status 1,
// and neither create nor change the project.
TEST(CliImportTest, BadInputIsRefusedWithItsMessage)
{
    QTemporaryDir dir;
    const QString project = dir.filePath("p.kyql");
    const QString binary = Write(dir, "blob.bin", QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
    const QString twoColumns = Write(dir, "two.tsv", "start\tend\n1\t2\n");
    const QString fraction = Write(dir, "f.tsv", "start\tend\tclass\n1.5\t8\tgene\n");
    const QString negative = Write(dir, "n.tsv", "start\tend\tclass\n1\t-8\tgene\n");
    const QString allBands = TestPaths::SampleData("human_hg19_all_bands.csv");
    const QString locus = TestPaths::SampleData("klebsiella_KL34_cds.tsv");
    struct Case {
        QString data;
        QStringList roles;
        QStringList expected;  // the lines stderr starts with
    };
    const QStringList kRoles = {"--start", "1", "--end", "2", "--class", "3"};
    const Case cases[] = {
        {dir.filePath("absent.tsv"), kRoles, {"Your selected file is not found!!"}},
        {dir.path(), kRoles, {"Your selected is a Directory!! Reselect to a correct file."}},
        {binary, kRoles, {"Your selected file is not a usable!!"}},
        {twoColumns, kRoles, {"Your selected file is not a usable!!"}},
        {fraction, kRoles, {"No such data type.", "Please select a numeric data."}},
        {negative, kRoles, {"No such data type.", "Please select a numeric data."}},
        {locus, {"--start", "1", "--end", "gene", "--class", "3"}, {"No such data type.", "Please select a numeric data."}},
        {locus, {"--start", "1", "--end", "2", "--class", "7"}, {"--class: There is no column 7: the file has 5 columns"}},
        {locus, {"--start", "1", "--end", "2", "--class", "family"}, {"--class: No column is titled \"family\"."}},
        {locus, kRoles + QStringList{"--separator", "comma"}, {"Separating the fields at each comma gives fewer than 3 columns."}},
        {allBands, kRoles, {"The location on line"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE((c.data + " " + c.roles.join(' ')).toStdString());
        const CliRun run = RunCli(QStringList{"import", project, c.data} + c.roles);
        EXPECT_EQ(run.mStatus, 1) << Describe(run);
        const QStringList lines = run.mErr.split('\n');
        ASSERT_GE(lines.size(), c.expected.size()) << Describe(run);
        for (int i = 0; i < c.expected.size(); ++i)
            EXPECT_TRUE(lines[i].startsWith(c.expected[i])) << Describe(run);
        EXPECT_EQ(run.mOut, "");
        EXPECT_FALSE(QFile::exists(project));
    }

    // An existing project keeps what it had.
    ImportSamples(project);
    QFile file(project);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();
    EXPECT_EQ(RunCli(QStringList{"import", project, fraction} + kRoles).mStatus, 1);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), before);
}

TEST(CliImportTest, ProjectThatIsNotAProjectFileIsRefused)
{
    QTemporaryDir dir;
    const QString notAProject = Write(dir, "notes.kyql", "just some text\n");
    const CliRun run = RunCli({"import", notAProject, TestPaths::SampleData("klebsiella_KL34_cds.tsv"), "--start",
                               "1", "--end", "2", "--class", "3"});
    EXPECT_EQ(run.mStatus, 1);
    EXPECT_EQ(run.mErr, "Selected file is not Readable!!\n");
    QFile file(notAProject);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "just some text\n") << "a file that is not a project is never overwritten";
}

}  // namespace
