#include "cli/MExportCommand.h"

#include "cli/CCommandLine.h"
#include "cli/MCli.h"
#include "cli/MCliProject.h"
#include "cli/StProgressStep.h"
#include "export/MImageExport.h"
#include "project/CProject.h"
#include "views/CViewConfig.h"

#include <QDir>

namespace MExportCommand {

namespace {

const QString kCommand = QStringLiteral("export");

struct Format
{
    const char* mName;
    int mKind;
    const QString* mFileType;
};

const Format kFormats[] = {
    {"png", MImageExport::kLowResolutionBitmap, &MImageExport::kPngFileType},
    {"png@2x", MImageExport::kHighResolutionBitmap, &MImageExport::kPngFileType},
    {"pict", MImageExport::kLowResolutionBitmap, &MImageExport::kPictFileType},
    {"pict@2x", MImageExport::kHighResolutionBitmap, &MImageExport::kPictFileType},
    {"pict-vector", MImageExport::kVectorPicture, &MImageExport::kPictFileType},
    {"svg", MImageExport::kLowResolutionBitmap, &MImageExport::kSvgFileType},
    {"pdf", MImageExport::kLowResolutionBitmap, &MImageExport::kPdfFileType},
};

// A view by its position counted from 0, else by its name (letter case
// ignored, the first match); -1 when there is none.
int FindView(const CProject& project, const QString& text)
{
    qint64 position = 0;
    if (MCli::ParseInteger(text, &position) && position >= 0 && position < project.ViewCount())
        return int(position);
    for (int i = 0; i < project.ViewCount(); ++i) {
        if (project.View(i)->Name().compare(text, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QString ViewList(const CProject& project)
{
    QStringList names;
    for (int i = 0; i < project.ViewCount(); ++i)
        names.append(QStringLiteral("%1 \"%2\"").arg(i).arg(project.View(i)->Name()));
    return names.isEmpty() ? QStringLiteral("none") : names.join(QStringLiteral(", "));
}

}  // namespace

QString Help()
{
    return QStringLiteral(
        "usage: karyoquill-cli export PROJECT --view NAME|NUMBER --format FORMAT --output PATH\n"
        "                             [--summary]\n"
        "\n"
        "Saves a view's map as images.\n"
        "\n"
        "  --view NAME|NUMBER  the view's position as info lists it (from 0) or its name\n"
        "  --format FORMAT     png, png@2x (double resolution), pict, pict@2x,\n"
        "                      pict-vector, svg or pdf\n"
        "  --output PATH       the image file; a map of several pages is written as a\n"
        "                      folder PATH holding P001, P002, ... (a PDF holds all pages)\n"
        "  --summary           linear views: the summary form of the map\n"
        "  --help              show this help\n");
}

int Run(const QStringList& arguments)
{
    CCommandLine line;
    for (const char* option : {"view", "format", "output"})
        line.AddOption(QString::fromLatin1(option), CCommandLine::kValue);
    line.AddOption(QStringLiteral("summary"), CCommandLine::kFlag);
    if (const std::optional<int> status = MCli::ParseCommand(kCommand, line, arguments, Help))
        return *status;
    if (line.Positionals().size() != 1)
        return MCli::Usage(kCommand, QStringLiteral("expects PROJECT"));
    for (const char* option : {"view", "format", "output"}) {
        if (!line.IsSet(QString::fromLatin1(option)))
            return MCli::Usage(kCommand, QStringLiteral("--%1 is required").arg(option));
    }
    const Format* format = nullptr;
    for (const Format& candidate : kFormats) {
        if (line.Value(QStringLiteral("format")) == QLatin1String(candidate.mName))
            format = &candidate;
    }
    if (!format)
        return MCli::Usage(kCommand, QStringLiteral("--format must be png, png@2x, pict, pict@2x, pict-vector, svg or pdf"));
    const QString output = line.Value(QStringLiteral("output"));
    if (output.isEmpty())
        return MCli::Usage(kCommand, QStringLiteral("--output must not be empty"));

    std::unique_ptr<CProject> project;
    if (const QString message = MCliProject::Open(line.Positionals().first(), project); !message.isEmpty())
        return MCli::BadInput(message);
    const int index = FindView(*project, line.Value(QStringLiteral("view")));
    if (index < 0) {
        return MCli::BadInput(QStringLiteral("There is no view \"%1\". The views are: %2.")
                                  .arg(line.Value(QStringLiteral("view")), ViewList(*project)));
    }
    CViewConfig& view = *project->View(index);
    // Settings no wizard accepts (only a file holds them) give no map.
    if (const QString problem = view.SettingsProblem(); !problem.isEmpty())
        return MCli::BadInput(problem);
    {
        const StProgressStep step(QStringLiteral("Building the map"));
        if (line.IsSet(QStringLiteral("summary"))) {
            if (!view.SummaryViewAvailable())
                return MCli::BadInput(QStringLiteral("The view \"%1\" has no summary form.").arg(view.Name()));
            // Switching the form builds the map.
            view.SetSummaryView(true);
        } else {
            view.MakeViewImage();
        }
    }
    CImageExportResult result;
    {
        const StProgressStep step(QStringLiteral("Writing the images"));
        result = MImageExport::SaveImage(view, format->mKind, *format->mFileType, output);
    }
    if (!result.Succeeded()) {
        if (result.mPagesWritten > 0)
            MCli::PrintError(QStringLiteral("%1 page(s) were written before the failure.").arg(result.mPagesWritten));
        return MCli::BadInput(result.mMessage);
    }
    const QString written = QDir::toNativeSeparators(QDir::current().absoluteFilePath(output));
    if (MImageExport::WritesFolder(view.PageCount(), *format->mFileType))
        MCli::Print(QStringLiteral("%1 (%2 pages)").arg(written).arg(result.mPagesWritten));
    else
        MCli::Print(written);
    return MCli::kExitOk;
}

}  // namespace MExportCommand
