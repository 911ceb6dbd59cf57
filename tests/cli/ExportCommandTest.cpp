#include "tests/cli/CliTestSupport.h"

#include "core/CFileData.h"
#include "project/CProject.h"
#include "storage/CBinaryFileTool.h"
#include "storage/CBinaryStream.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>

using namespace CliTestSupport;

namespace {

QByteArray Head(const QString& path, int count)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.read(count);
}

// A project with a circular view of the chromosome 1 bands (view 0) and a
// three-page linear view of the KL34 locus (view 1).
class CliExportTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        mProject = mDir.filePath("p.kyql");
        ImportSamples(mProject);
        CliRun run = RunCli({"view", mProject, "--circular", "--name", "Bands", "--entry", "file=1,class=gneg",
                             "--entry", "file=1,class=acen,placement=Pin1"});
        ASSERT_EQ(run.mStatus, 0) << Describe(run);
        run = RunCli({"view", mProject, "--linear", "--name", "Locus", "--row-scale", "1K", "--page-size", "600x500",
                      "--entry", "file=2,class=wzi,type=Arrow", "--entry", "file=2,class=CDS"});
        ASSERT_EQ(run.mStatus, 0) << Describe(run);
        mLinearPages = Info(mProject).value("views").toArray().at(1).toObject().value("pages").toInt();
        ASSERT_GT(mLinearPages, 1);
    }

    CliRun Export(const QString& view, const QString& format, const QString& output, const QStringList& more = {})
    {
        return RunCli(QStringList{"export", mProject, "--view", view, "--format", format, "--output", output} + more);
    }

    QTemporaryDir mDir;
    QString mProject;
    int mLinearPages = 0;
};

TEST_F(CliExportTest, OnePageMapsGoToTheFileInEveryFormat)
{
    struct Case {
        const char* format;
        const char* file;
        QByteArray magic;
    };
    const Case cases[] = {
        {"png", "a.png", "\x89PNG"},
        {"png@2x", "b.png", "\x89PNG"},
        {"svg", "c.svg", "<?xml"},
        {"pdf", "d.pdf", "%PDF"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        const QString output = mDir.filePath(c.file);
        const CliRun run = Export("Bands", c.format, output);
        ASSERT_EQ(run.mStatus, 0) << Describe(run);
        EXPECT_EQ(run.mOut.trimmed(), output);
        EXPECT_EQ(Head(output, c.magic.size()), c.magic);
    }
    const QImage plain(mDir.filePath("a.png"));
    EXPECT_EQ(plain.size(), QSize(840, 600));
    EXPECT_EQ(QImage(mDir.filePath("b.png")).size(), QSize(1680, 1200));
    // The map is drawn: not every pixel is the white page.
    const QImage gray = plain.convertToFormat(QImage::Format_Grayscale8);
    int dark = 0;
    for (int y = 0; y < gray.height(); ++y)
        for (int x = 0; x < gray.width(); ++x)
            dark += gray.pixelColor(x, y).value() < 128 ? 1 : 0;
    EXPECT_GT(dark, 1000);

    // PICT files: a 512-byte header, then the picture.
    for (const char* format : {"pict", "pict@2x", "pict-vector"}) {
        const QString output = mDir.filePath(QStringLiteral("m-%1.pct").arg(format));
        const CliRun run = Export("0", format, output);
        ASSERT_EQ(run.mStatus, 0) << Describe(run);
        EXPECT_GT(QFileInfo(output).size(), 512) << format;
    }
}

TEST_F(CliExportTest, MultiPageMapWritesAFolderOfPages)
{
    const QString folder = mDir.filePath("locus");
    const CliRun run = Export("1", "png", folder);
    ASSERT_EQ(run.mStatus, 0) << Describe(run);
    const QStringList pages = QDir(folder).entryList(QDir::Files, QDir::Name);
    ASSERT_EQ(pages.size(), mLinearPages);
    EXPECT_EQ(pages.first(), "P001.png");
    EXPECT_EQ(QImage(folder + "/P001.png").width(), 840);

    // The summary form of the same map is written as well.
    const QString summary = mDir.filePath("summary.pdf");
    const CliRun summaryRun = Export("locus", "pdf", summary, {"--summary"});
    ASSERT_EQ(summaryRun.mStatus, 0) << Describe(summaryRun);
    EXPECT_EQ(Head(summary, 4), "%PDF");
}

TEST_F(CliExportTest, BadRequestsAreRefused)
{
    struct Case {
        QString view;
        QStringList more;
        QString output;
        QString firstLine;
    };
    const Case cases[] = {
        {"2", {}, mDir.filePath("x.png"), "There is no view \"2\". The views are: 0 \"Bands\", 1 \"Locus\"."},
        {"Chromosome", {}, mDir.filePath("x.png"), "There is no view \"Chromosome\"."},
        {"Bands", {"--summary"}, mDir.filePath("x.png"), "The view \"Bands\" has no summary form."},
        {"Bands", {}, mDir.path(), "\"" + mDir.path() + "\" is a folder."},
        {"Bands", {}, mDir.filePath("missing/x.png"), "Could not write the image file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.view.toStdString());
        const CliRun run = Export(c.view, "png", c.output, c.more);
        EXPECT_EQ(run.mStatus, 1) << Describe(run);
        EXPECT_TRUE(run.mErr.startsWith(c.firstLine)) << Describe(run);
    }
    EXPECT_FALSE(QFile::exists(mDir.filePath("x.png")));
}

// A project file whose frame is sound but whose content is damaged: the
// message and, on a second line in parentheses, the place of the damage.
TEST(CliDamagedProjectTest, ShowsTheMessageAndThePlace)
{
    QTemporaryDir dir;
    CProject project;
    auto data = std::make_unique<CFileData>();
    data->SetFile(QFileInfo(TestPaths::SampleData("klebsiella_KL34_cds.tsv")));
    ASSERT_EQ(data->LoadData(), "");
    for (int role = 0; role < 3; ++role)
        data->SetConfig(role, role);
    project.AddImportedFile(std::move(data));
    QBuffer content;
    content.open(QIODevice::ReadWrite);
    {
        CBinaryStream io(&content);
        io.SetLittleEndian(true);
        ASSERT_EQ(project.Save(io), "");
    }
    QByteArray bytes = content.data();
    // Rename the data file's block: the frame's digest is computed afresh below.
    const qsizetype at = bytes.indexOf("fdat");
    ASSERT_GT(at, 0);
    bytes[at + 3] = 'X';

    const QString path = dir.filePath("damaged.kyql");
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite | QIODevice::Truncate));
        CBinaryStream io(&file);
        io.SetLittleEndian(true);
        CBinaryFileTool tool(io, CBinaryFileTool::WriteMode);
        ASSERT_TRUE(tool.BeginFile("KYQL"));
        io.WriteBytes(bytes);
        ASSERT_GE(tool.EndFile(), 0);
    }
    for (const QStringList& arguments :
         {QStringList{"info", path}, QStringList{"info", path, "--json"},
          QStringList{"export", path, "--view", "0", "--format", "png", "--output", dir.filePath("x.png")},
          QStringList{"view", path, "--circular", "--entry", "file=1,class=wzi"},
          QStringList{"import", path, TestPaths::SampleData("klebsiella_KL34_cds.tsv"), "--start", "1", "--end", "2",
                      "--class", "3"}}) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        const CliRun run = RunCli(arguments);
        EXPECT_EQ(run.mStatus, 1);
        const QStringList lines = run.mErr.split('\n');
        ASSERT_EQ(lines.size(), 3) << Describe(run);
        EXPECT_EQ(lines[0], "ReadError");
        EXPECT_TRUE(lines[1].startsWith('(') && lines[1].endsWith(')') && lines[1].size() > 2) << Describe(run);
        EXPECT_EQ(lines[2], "");
        EXPECT_EQ(run.mOut, "");
    }
}

}  // namespace
