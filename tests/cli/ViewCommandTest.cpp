#include "tests/cli/CliTestSupport.h"

#include <QFile>
#include <QJsonArray>

using namespace CliTestSupport;

namespace {

class CliViewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        mProject = mDir.filePath("p.kyql");
        ImportSamples(mProject);
    }

    CliRun View(const QStringList& arguments) { return RunCli(QStringList{"view", mProject} + arguments); }

    QByteArray ProjectBytes() const
    {
        QFile file(mProject);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return file.readAll();
    }

    QTemporaryDir mDir;
    QString mProject;
};

TEST_F(CliViewTest, NewViewsAreNamedAsTheWindowsNameThem)
{
    const QStringList entry = {"--entry", "file=1,class=gneg"};
    const char* expected[] = {"Circle View", "Circle View #1"};
    for (const char* name : expected) {
        const CliRun run = View(QStringList{"--circular"} + entry);
        ASSERT_EQ(run.mStatus, 0) << Describe(run);
        EXPECT_TRUE(run.mOut.contains(QString::fromLatin1(name)));
    }
    ASSERT_EQ(View({"--linear", "--entry", "file=2,class=wzi"}).mStatus, 0);
    // A named view still uses up its number.
    ASSERT_EQ(View(QStringList{"--circular", "--name", "Mine"} + entry).mStatus, 0);
    ASSERT_EQ(View(QStringList{"--circular"} + entry).mStatus, 0);
    QStringList names;
    for (const QJsonValue& view : Info(mProject).value("views").toArray())
        names.append(view.toObject().value("name").toString());
    EXPECT_EQ(names, (QStringList{"Circle View", "Circle View #1", "Linear View", "Mine", "Circle View #3"}));
}

TEST_F(CliViewTest, CircularViewHoldsItsEntriesAndOptions)
{
    const CliRun run = View({"--circular", "--name", "Bands", "--legend-title", "Stain", "--scale-length", "5000000",
                             "--entry", "file=1,class=GNEG,color=#D9D9D9", "--entry",
                             "file=1,class=acen,legend=centromere\\, p/q,placement=pin1", "--entry",
                             "file=2,class=wzi,placement=Circle3"});
    ASSERT_EQ(run.mStatus, 0) << Describe(run);
    const QJsonObject view = Info(mProject).value("views").toArray().at(0).toObject();
    EXPECT_EQ(view.value("name").toString(), "Bands");
    EXPECT_EQ(view.value("kind").toString(), "circular");
    EXPECT_EQ(view.value("legend_title").toString(), "Stain");
    EXPECT_EQ(view.value("scale_length").toInt(), 5000000);
    // The genome length defaults to the largest location of the entries' files.
    EXPECT_EQ(view.value("genome_length").toInt(), 249250621);
    EXPECT_EQ(view.value("markers").toInt(), 31 + 2 + 1);
    EXPECT_EQ(view.value("pages").toInt(), 1);
    EXPECT_EQ(view.value("width").toInt(), 840);
    EXPECT_EQ(view.value("height").toInt(), 600);
    const QJsonArray entries = view.value("entries").toArray();
    ASSERT_EQ(entries.size(), 3);
    const QJsonObject first = entries[0].toObject();
    EXPECT_EQ(first.value("file").toInt(), 1);
    EXPECT_EQ(first.value("class").toString(), "gneg") << "the class as the file spells it";
    EXPECT_EQ(first.value("legend").toString(), "gneg");
    EXPECT_EQ(first.value("placement").toString(), "Circle1");
    EXPECT_TRUE(first.value("type").isNull());
    EXPECT_EQ(first.value("color").toString(), "#d9d9d9");
    const QJsonObject second = entries[1].toObject();
    EXPECT_EQ(second.value("legend").toString(), "centromere, p/q");
    EXPECT_EQ(second.value("placement").toString(), "Pin1");
    EXPECT_EQ(second.value("color").toString(), "#ff0000") << "entries are red unless coloured";
    EXPECT_EQ(entries[2].toObject().value("file").toInt(), 2);
    EXPECT_EQ(entries[2].toObject().value("placement").toString(), "Circle3");
}

TEST_F(CliViewTest, LinearViewHoldsItsEntriesAndPages)
{
    const CliRun run = View({"--linear", "--start", "0", "--end", "21428", "--row-scale", "2K", "--page-size",
                             "595x420", "--entry", "file=2,class=wzi,type=Arrow", "--entry",
                             "file=2,class=CDS,placement=Upper", "--entry", "file=2,class=gal,type=oval"});
    ASSERT_EQ(run.mStatus, 0) << Describe(run);
    const QJsonObject view = Info(mProject).value("views").toArray().at(0).toObject();
    EXPECT_EQ(view.value("kind").toString(), "linear");
    EXPECT_EQ(view.value("name").toString(), "Linear View");
    EXPECT_EQ(view.value("genome_length").toInt(), 21428);
    EXPECT_EQ(view.value("row_scale").toInt(), 2000);
    EXPECT_EQ(view.value("rows").toInt(), 11);
    EXPECT_TRUE(view.value("draw_marker_names").toBool());
    EXPECT_EQ(view.value("markers").toInt(), 1 + 3 + 1);
    EXPECT_GT(view.value("pages").toInt(), 1) << "a short page splits the rows";
    EXPECT_EQ(view.value("width").toInt(), 840);
    const QJsonArray entries = view.value("entries").toArray();
    ASSERT_EQ(entries.size(), 3);
    EXPECT_EQ(entries[0].toObject().value("placement").toString(), "Bottom");
    EXPECT_EQ(entries[0].toObject().value("type").toString(), "Arrow");
    EXPECT_EQ(entries[1].toObject().value("placement").toString(), "Upper");
    EXPECT_EQ(entries[1].toObject().value("type").toString(), "Rectangle");
    EXPECT_EQ(entries[2].toObject().value("type").toString(), "Oval");
}

TEST_F(CliViewTest, WizardChecksRefuseTheViewAndLeaveTheProject)
{
    const QByteArray before = ProjectBytes();
    struct Case {
        QStringList arguments;
        QString firstLine;
    };
    const Case cases[] = {
        {{"--circular", "--entry", "file=1,class=gneg", "--genome-length", "0"}, "Genome Length is invalid."},
        {{"--linear", "--entry", "file=2,class=wzi", "--genome-length", "-3"}, "Genome Length is invalid."},
        {{"--circular", "--entry", "file=1,class=gneg", "--scale-length", "0", "--no-scale"},
         "Scale Length is invalid. Enter correct value."},
        {{"--circular", "--entry", "file=1,class=gneg", "--name", "   "},
         "View Title field is empty. Set any title of this view."},
        {{"--circular", "--entry", "file=1,class=gneg", "--legend-title", " "},
         "Legend Title field is empty. Set any title of Legend."},
        {{"--linear", "--entry", "file=2,class=wzi", "--end", "21429"}, "Locate range is invalid."},
        {{"--linear", "--entry", "file=2,class=wzi", "--start", "9000", "--end", "8000"}, "Locate range is invalid."},
        // Without --end the range runs to the data's end, beyond this length.
        {{"--linear", "--entry", "file=2,class=wzi", "--genome-length", "10000"}, "Locate range is invalid."},
        {{"--circular", "--entry", "file=1,class=nosuch"}, "Data file 1 has no class \"nosuch\"."},
        {{"--circular", "--entry", "file=3,class=gneg"}, "There is no data file 3: the project has 2 (see info)."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        const CliRun run = View(c.arguments);
        EXPECT_EQ(run.mStatus, 1) << Describe(run);
        EXPECT_TRUE(run.mErr.startsWith(c.firstLine)) << Describe(run);
        EXPECT_EQ(ProjectBytes(), before);
    }
    // A legend that is not drawn needs no heading; an upper bar has no type.
    EXPECT_EQ(View({"--circular", "--entry", "file=1,class=gneg", "--no-legend", "--legend-title", ""}).mStatus, 0);
    EXPECT_EQ(View({"--linear", "--entry", "file=2,class=wzi,placement=Upper,type=Arrow"}).mStatus, 2);
}

TEST(CliViewNamesTest, LinearViewStartsWithoutNamesWhenNoFileHasThem)
{
    QTemporaryDir dir;
    const QString project = dir.filePath("p.kyql");
    ASSERT_EQ(RunCli({"import", project, TestPaths::SampleData("klebsiella_KL34_cds.tsv"), "--start", "1", "--end",
                      "2", "--class", "3"})
                  .mStatus,
              0);
    ASSERT_EQ(RunCli({"view", project, "--linear", "--entry", "file=1,class=wzi"}).mStatus, 0);
    EXPECT_FALSE(Info(project).value("views").toArray().at(0).toObject().value("draw_marker_names").toBool());
    const CliRun empty = RunCli({"view", dir.filePath("none.kyql"), "--circular", "--entry", "file=1,class=a"});
    EXPECT_EQ(empty.mStatus, 1);
    EXPECT_TRUE(empty.mErr.contains("does not exist")) << Describe(empty);
}

}  // namespace
