#include "tests/cli/CliTestSupport.h"

#include <QFile>

using namespace CliTestSupport;

namespace {

TEST(CliCommandLineTest, EveryCommandHasHelp)
{
    for (const char* command : {"import", "view", "info", "export"}) {
        SCOPED_TRACE(command);
        const CliRun run = RunCli({command, "--help"});
        EXPECT_EQ(run.mStatus, 0) << Describe(run);
        EXPECT_TRUE(run.mOut.startsWith(QStringLiteral("usage: karyoquill-cli %1").arg(command))) << Describe(run);
        EXPECT_EQ(run.mErr, "");
    }
    const CliRun main = RunCli({"--help"});
    EXPECT_EQ(main.mStatus, 0);
    for (const char* command : {"import", "view", "info", "export"})
        EXPECT_TRUE(main.mOut.contains(QString::fromLatin1(command))) << command;
}

// Each wrong command line is refused with status 2 before anything is read
// or written: the project named in it is never created.
TEST(CliCommandLineTest, WrongCommandLinesExitWithTwoAndTouchNothing)
{
    QTemporaryDir dir;
    const QString project = dir.filePath("p.kyql");
    const QString data = TestPaths::SampleData("klebsiella_KL34_cds.tsv");
    const QStringList roles = {"--start", "1", "--end", "2", "--class", "3"};
    const QString entry = "--entry=file=1,class=wzi";
    const QList<QStringList> cases = {
        {},
        {"draw"},
        {"import", project, data, "--start", "1", "--end", "2"},
        QStringList{"import", project, data, "--unit", "Mbp"} + roles,
        QStringList{"import", project, data, "--separator", "space"} + roles,
        QStringList{"import", project, data, "--colour", "3"} + roles,
        QStringList{"import", project} + roles,
        QStringList{"import", project, data, "--start"},
        {"view", project, "--circular"},
        {"view", project, "--circular", "--linear", entry},
        {"view", project, entry},
        {"view", project, "--circular", entry, "--scale-divides", "7"},
        {"view", project, "--circular", entry, "--scale-divides", "5", "--scale-length", "100"},
        {"view", project, "--circular", entry, "--start", "100"},
        {"view", project, "--linear", entry, "--no-scale"},
        {"view", project, "--linear", entry, "--row-scale", "150"},
        {"view", project, "--linear", entry, "--genome-length", "12kb"},
        {"view", project, "--linear", entry, "--page-size", "A4"},
        {"view", project, "--linear", entry, "--page-size", "0x842"},
        {"view", project, "--circular", "--entry", "class=wzi"},
        {"view", project, "--circular", "--entry", "file=1,class=wzi,color=red"},
        {"view", project, "--circular", "--entry", "file=1,class=wzi,shape=Oval"},
        {"view", project, "--circular", "--entry", "file=0,class=wzi"},
        {"view", project, "--circular", entry, "--name", "a", "--title", "b"},
        {"info", project, "--xml"},
        {"info"},
        {"export", project, "--view", "0", "--format", "gif", "--output", "x.gif"},
        {"export", project, "--view", "0", "--format", "png"},
        {"export", project, "--view", "0", "--view", "1", "--format", "png", "--output", "x.png"},
    };
    for (const QStringList& arguments : cases) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        const CliRun run = RunCli(arguments);
        EXPECT_EQ(run.mStatus, 2) << Describe(run);
        EXPECT_TRUE(run.mErr.contains("Try 'karyoquill-cli")) << Describe(run);
        EXPECT_EQ(run.mOut, "");
        EXPECT_FALSE(QFile::exists(project));
    }
}

}  // namespace
