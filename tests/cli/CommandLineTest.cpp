#include "tests/cli/CliTestSupport.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>

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

// An export with a large file among its arguments starts the tool again to
// tune its memory: arguments with spaces, quotes and non-ASCII text reach
// the restarted run unchanged, and it does the work once.
TEST(CliCommandLineTest, ArgumentsArriveUnchanged)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("Mäuse – Stämme 2")));
    const QString project = dir.filePath(QStringLiteral("Mäuse – Stämme 2/\"KL34\" 'locus'.kyql"));
    const CliRun import = RunCli({"import", project, TestPaths::SampleData("klebsiella_KL34_cds.tsv"), "--start", "1",
                                  "--end", "2", "--class", "3"});
    ASSERT_EQ(import.mStatus, 0) << Describe(import);
    const QString name = QStringLiteral("Ring  \"α\" – 'β' $HOME *");
    const QString legend = QStringLiteral("Schlüssel – ü");
    const CliRun view = RunCli({"view", project, "--circular", "--name", name, "--legend-title", legend, "--entry",
                                "file=1,class=wzi"});
    ASSERT_EQ(view.mStatus, 0) << Describe(view);
    const QJsonObject added = Info(project).value("views").toArray().at(0).toObject();
    EXPECT_EQ(added.value("name").toString(), name);
    EXPECT_EQ(added.value("legend_title").toString(), legend);

    // An old, large (sparse) file in the way of the image.
    const QString image = dir.filePath(QStringLiteral("Mäuse – Stämme 2/Karte 'ü' \"1\".png"));
    QFile old(image);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    ASSERT_TRUE(old.resize(64 * 1024 * 1024));
    old.close();
    const CliRun exported = RunCli({"export", project, "--view", name, "--format", "png", "--output", image});
    ASSERT_EQ(exported.mStatus, 0) << Describe(exported);
    EXPECT_EQ(exported.mOut, image + "\n");
    EXPECT_EQ(exported.mErr, "");
    QFile written(image);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_LT(written.size(), 1024 * 1024);
    EXPECT_TRUE(written.read(8) == QByteArray("\x89PNG\r\n\x1a\n"));
}

}  // namespace
