#pragma once

// Runs the built batch tool as a user would and hands back what it did.

#include "tests/support/TestPaths.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace CliTestSupport {

struct CliRun
{
    int mStatus = -1;
    QString mOut;
    QString mErr;
};

inline QString CliPath()
{
    return TestPaths::BinaryDir() + QStringLiteral("/bin/karyoquill-cli");
}

inline CliRun RunCli(const QStringList& arguments, const QString& workingFolder = QString())
{
    QProcess process;
    process.setProgram(CliPath());
    process.setArguments(arguments);
    if (!workingFolder.isEmpty())
        process.setWorkingDirectory(workingFolder);
    process.start();
    CliRun run;
    if (!process.waitForStarted(30000)) {
        ADD_FAILURE() << "could not start " << CliPath().toStdString();
        return run;
    }
    process.closeWriteChannel();
    if (!process.waitForFinished(300000)) {
        process.kill();
        process.waitForFinished();
        ADD_FAILURE() << "karyoquill-cli did not finish: " << arguments.join(' ').toStdString();
        return run;
    }
    run.mStatus = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.mOut = QString::fromUtf8(process.readAllStandardOutput());
    run.mErr = QString::fromUtf8(process.readAllStandardError());
    return run;
}

inline std::string Describe(const CliRun& run)
{
    return QStringLiteral("status %1\nstdout: %2\nstderr: %3").arg(run.mStatus).arg(run.mOut, run.mErr).toStdString();
}

// Imports the two bundled marker files: 1 chromosome 1 bands (start, end,
// stain, band name), 2 the KL34 locus (start, end, class, strand, gene).
inline void ImportSamples(const QString& project)
{
    const CliRun bands = RunCli({"import", project, TestPaths::SampleData("human_hg19_chr1_bands.tsv"), "--start",
                                 "start", "--end", "end", "--class", "stain", "--name", "band"});
    ASSERT_EQ(bands.mStatus, 0) << Describe(bands);
    const CliRun locus = RunCli({"import", project, TestPaths::SampleData("klebsiella_KL34_cds.tsv"), "--start", "1",
                                 "--end", "2", "--class", "3", "--direction", "strand", "--name", "GENE"});
    ASSERT_EQ(locus.mStatus, 0) << Describe(locus);
}

inline QJsonObject Info(const QString& project)
{
    const CliRun run = RunCli({"info", project, "--json"});
    EXPECT_EQ(run.mStatus, 0) << Describe(run);
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(run.mOut.toUtf8(), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << run.mOut.toStdString();
    return document.object();
}

}  // namespace CliTestSupport
