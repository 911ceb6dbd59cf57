#include "cli/MViewCommand.h"

#include "cli/CCommandLine.h"
#include "cli/CViewEntryArgument.h"
#include "cli/MCli.h"
#include "cli/MCliProject.h"
#include "cli/MViewKinds.h"
#include "core/CFileData.h"
#include "linear/CLinearViewConfig.h"
#include "linear/MLinearViewRules.h"
#include "project/CProject.h"
#include "project/MNewView.h"
#include "views/CCircleViewConfig.h"
#include "views/MCircleViewRules.h"
#include "views/MViewRules.h"

#include <QRegularExpression>

namespace MViewCommand {

namespace {

const QString kCommand = QStringLiteral("view");
constexpr RgbColor kDefaultColor = 0xFF0000;

const QStringList kCircularOptions = {"no-scale", "scale-divides", "scale-length"};
const QStringList kLinearOptions = {"start", "end", "row-scale", "no-names"};

// Whole-number options whose range the wizards' checks judge.
const char* const kIntegerOptions[] = {"genome-length", "scale-length", "start", "end"};

// A listed scale by its label ("5K") or its value ("5000"); -1 otherwise.
int RowScaleIndex(const QString& text)
{
    const int labelIndex = int(MLinearViewRules::ScaleLabels().indexOf(text.toUpper()));
    if (labelIndex >= 0)
        return labelIndex;
    qint64 value = 0;
    if (MCli::ParseInteger(text, &value))
        return int(MLinearViewRules::ScaleValues().indexOf(value));
    return -1;
}

QString OptionOfField(CViewInputCheck::Field field)
{
    switch (field) {
    case CViewInputCheck::kTitleField: return QStringLiteral("--name");
    case CViewInputCheck::kLegendTitleField: return QStringLiteral("--legend-title");
    case CViewInputCheck::kGenomeLengthField: return QStringLiteral("--genome-length");
    case CViewInputCheck::kScaleLengthField: return QStringLiteral("--scale-length");
    case CViewInputCheck::kStartField: return QStringLiteral("--start");
    case CViewInputCheck::kEndField: return QStringLiteral("--end");
    case CViewInputCheck::kNoField: break;
    }
    return QString();
}

// Adds the entries to the view as the wizard's Add button does. Returns the
// exit status; the genome length and end fields follow each entry.
int AddEntries(CProject& project, CViewConfig& view, const QList<CViewEntryArgument>& entries,
               int32_t* lengthField)
{
    auto* linear = dynamic_cast<CLinearViewConfig*>(&view);
    const QList<CFileData*> offered = MNewView::FilesForViews(project);
    for (const CViewEntryArgument& entry : entries) {
        if (entry.FilePosition() > project.FileCount()) {
            return MCli::BadInput(QStringLiteral("There is no data file %1: the project has %2 (see info).")
                                      .arg(entry.FilePosition())
                                      .arg(project.FileCount()));
        }
        CFileData* file = project.File(entry.FilePosition() - 1);
        if (!offered.contains(file)) {
            return MCli::BadInput(
                QStringLiteral("Data file %1 is not selected for views.").arg(entry.FilePosition()));
        }
        // The class as the file spells it: markers are matched exactly.
        QString className;
        QStringList known;
        for (int i = 0; i < file->ClassCount(); ++i) {
            known.append(file->ClassName(i));
            if (className.isEmpty() && file->ClassName(i).compare(entry.ClassName(), Qt::CaseInsensitive) == 0)
                className = file->ClassName(i);
        }
        if (className.isEmpty()) {
            return MCli::BadInput(QStringLiteral("Data file %1 has no class \"%2\". Its classes are: %3.")
                                      .arg(entry.FilePosition())
                                      .arg(entry.ClassName(), known.join(QStringLiteral(", "))));
        }
        int placement = view.DefaultPlacement();
        if (entry.Placement()) {
            placement = MViewKinds::PlacementFromName(view, *entry.Placement());
            if (placement < 0) {
                return MCli::Usage(kCommand, QStringLiteral("placement \"%1\" is not one of %2")
                                                 .arg(*entry.Placement(), MViewKinds::PlacementNames(view)));
            }
        }
        const QString legend = entry.Legend().value_or(className);
        const RgbColor color = entry.Color().value_or(kDefaultColor);
        if (linear) {
            int type = CLinearViewConfig::kRectangle;
            if (entry.Type()) {
                type = -1;
                for (int t = 0; t < linear->TypeTypeCount(); ++t) {
                    if (linear->TypeTypeStr(t).compare(*entry.Type(), Qt::CaseInsensitive) == 0)
                        type = t;
                }
                if (type < 0)
                    return MCli::Usage(kCommand, QStringLiteral("type \"%1\" is not one of Rectangle, Oval, Arrow")
                                                     .arg(*entry.Type()));
                if (MLinearViewRules::TypeForSide(placement, type) != type) {
                    return MCli::Usage(kCommand, QStringLiteral("%1 markers are bars without a type; type=%2 "
                                                                "needs placement=%3")
                                                     .arg(linear->PlacementTypeStr(placement),
                                                          linear->TypeTypeStr(type),
                                                          linear->PlacementTypeStr(CLinearViewConfig::kBottom)));
                }
            }
            linear->Add(file, className, legend, placement, type, color);
        } else {
            if (entry.Type())
                return MCli::Usage(kCommand, QStringLiteral("type= applies to linear views only"));
            view.Add(file, className, legend, placement, color);
        }
        *lengthField = MViewRules::GenomeLengthFieldAfterAdd(*lengthField, view);
    }
    return MCli::kExitOk;
}

}  // namespace

QString Help()
{
    return QStringLiteral(
        "usage: karyoquill-cli view PROJECT (--circular | --linear) --entry ENTRY [--entry ENTRY ...]\n"
        "                           [--name NAME] [--no-title] [--legend-title TEXT] [--no-legend]\n"
        "                           [--genome-length N] [--page-size WIDTHxHEIGHT]\n"
        "       circular:           [--no-scale] [--scale-divides 5|10|20 | --scale-length N]\n"
        "       linear:             [--start N] [--end N] [--row-scale N] [--no-names]\n"
        "\n"
        "Adds a view to PROJECT and saves it. The view is named as a new view is named\n"
        "(\"Circle View\", \"Circle View #1\", ...; \"Linear View\", ...) unless --name is given;\n"
        "the name is also the title drawn on the map.\n"
        "\n"
        "ENTRY: file=N,class=TEXT[,legend=TEXT][,placement=NAME][,type=TYPE][,color=#RRGGBB]\n"
        "  file       the data file's number as info shows it (from 1)\n"
        "  class      one of the file's classes (letter case ignored)\n"
        "  legend     legend text (default: the class)\n"
        "  placement  circular: Circle1 ... Circle5 (rings, outermost first), Pin1 (outward),\n"
        "             Pin2 (inward); default Circle1. linear: Upper, Bottom; default Bottom\n"
        "  type       linear Bottom markers: Rectangle (default), Oval, Arrow\n"
        "  color      default #FF0000 (red)\n"
        "  Write a comma or backslash inside a value as \\, or \\\\.\n"
        "\n"
        "  --name NAME, --title NAME   the view's name and map title\n"
        "  --no-title                  do not draw the title\n"
        "  --legend-title TEXT         legend heading (default \"Legend\")\n"
        "  --no-legend                 do not draw the legend heading\n"
        "  --genome-length N           genome length in bp (default: the largest location\n"
        "                              of the entries' data files)\n"
        "  --page-size WIDTHxHEIGHT    page size in points used for paging (e.g. 595x842)\n"
        "  --no-scale                  circular: no scale\n"
        "  --scale-divides 5|10|20     circular: scale ticks by dividing the genome (default 10)\n"
        "  --scale-length N            circular: a scale tick every N bp\n"
        "  --start N, --end N          linear: the range shown (default: 0 to the data's end)\n"
        "  --row-scale N               linear: bp per row, one of 10 20 50 100 200 500 1K 2K\n"
        "                              5K 10K 20K 50K 100K 200K 500K 1M 2M 5M 10M (default 100K)\n"
        "  --no-names                  linear: do not draw marker names\n"
        "  --help                      show this help\n");
}

int Run(const QStringList& arguments)
{
    CCommandLine line;
    for (const char* flag : {"circular", "linear", "no-title", "no-legend", "no-scale", "no-names"})
        line.AddOption(QString::fromLatin1(flag), CCommandLine::kFlag);
    for (const char* option : {"name", "title", "legend-title", "genome-length", "scale-divides", "scale-length",
                               "start", "end", "row-scale", "page-size"})
        line.AddOption(QString::fromLatin1(option), CCommandLine::kValue);
    line.AddOption(QStringLiteral("entry"), CCommandLine::kRepeatedValue);
    if (const std::optional<int> status = MCli::ParseCommand(kCommand, line, arguments, Help))
        return *status;
    if (line.Positionals().size() != 1)
        return MCli::Usage(kCommand, QStringLiteral("expects PROJECT"));
    const bool circular = line.IsSet(QStringLiteral("circular"));
    if (circular == line.IsSet(QStringLiteral("linear")))
        return MCli::Usage(kCommand, QStringLiteral("give one of --circular and --linear"));
    for (const QString& option : circular ? kLinearOptions : kCircularOptions) {
        if (line.IsSet(option)) {
            return MCli::Usage(kCommand, QStringLiteral("--%1 applies to %2 views only")
                                             .arg(option)
                                             .arg(circular ? QStringLiteral("linear") : QStringLiteral("circular")));
        }
    }
    QString name;
    if (line.IsSet(QStringLiteral("name")) && line.IsSet(QStringLiteral("title"))
        && line.Value(QStringLiteral("name")) != line.Value(QStringLiteral("title")))
        return MCli::Usage(kCommand, QStringLiteral("--name and --title both set the view's title; give one"));
    const bool named = line.IsSet(QStringLiteral("name")) || line.IsSet(QStringLiteral("title"));
    if (named)
        name = line.IsSet(QStringLiteral("name")) ? line.Value(QStringLiteral("name")) : line.Value(QStringLiteral("title"));
    for (const char* option : kIntegerOptions) {
        qint64 value = 0;
        const QString key = QString::fromLatin1(option);
        if (line.IsSet(key) && !MCli::ParseInteger(line.Value(key), &value))
            return MCli::Usage(kCommand, QStringLiteral("--%1 needs a whole number").arg(option));
    }
    if (line.IsSet(QStringLiteral("scale-divides")) && line.IsSet(QStringLiteral("scale-length")))
        return MCli::Usage(kCommand, QStringLiteral("give one of --scale-divides and --scale-length"));
    int32_t scaleDivides = 0;
    if (line.IsSet(QStringLiteral("scale-divides"))) {
        qint64 value = 0;
        if (!MCli::ParseInteger(line.Value(QStringLiteral("scale-divides")), &value)
            || !MCircleViewRules::ScaleDividesChoices().contains(value))
            return MCli::Usage(kCommand, QStringLiteral("--scale-divides must be 5, 10 or 20"));
        scaleDivides = int32_t(value);
    }
    int rowScaleIndex = -1;
    if (line.IsSet(QStringLiteral("row-scale"))) {
        rowScaleIndex = RowScaleIndex(line.Value(QStringLiteral("row-scale")));
        if (rowScaleIndex < 0) {
            return MCli::Usage(kCommand, QStringLiteral("--row-scale must be one of %1")
                                             .arg(MLinearViewRules::ScaleLabels().join(QLatin1Char(' '))));
        }
    }
    int pageWidth = 0;
    int pageHeight = 0;
    if (line.IsSet(QStringLiteral("page-size"))) {
        static const QRegularExpression pattern(QStringLiteral("^([0-9]{1,6})[xX]([0-9]{1,6})$"));
        const QRegularExpressionMatch match = pattern.match(line.Value(QStringLiteral("page-size")));
        if (match.hasMatch()) {
            pageWidth = match.captured(1).toInt();
            pageHeight = match.captured(2).toInt();
        }
        if (pageWidth < 1 || pageHeight < 1)
            return MCli::Usage(kCommand, QStringLiteral("--page-size must be WIDTHxHEIGHT in points, e.g. 595x842"));
    }
    QList<CViewEntryArgument> entries;
    for (const QString& text : line.Values(QStringLiteral("entry"))) {
        CViewEntryArgument entry;
        if (const QString message = entry.Parse(text); !message.isEmpty())
            return MCli::Usage(kCommand, message);
        entries.append(entry);
    }
    if (entries.isEmpty())
        return MCli::Usage(kCommand, QStringLiteral("a view needs at least one --entry"));

    const QString projectPath = line.Positionals().first();
    std::unique_ptr<CProject> project;
    if (const QString message = MCliProject::Open(projectPath, project); !message.isEmpty())
        return MCli::BadInput(message);
    if (project->FileCount() == 0)
        return MCli::BadInput(QStringLiteral("The project has no data files. Import one first."));

    std::unique_ptr<CViewConfig> view;
    if (circular)
        view = MNewView::NewCircleView(*project);
    else
        view = MNewView::NewLinearView(*project);
    int32_t lengthField = MViewRules::GenomeLengthField(*view);
    if (const int status = AddEntries(*project, *view, entries, &lengthField); status != MCli::kExitOk)
        return status;

    auto valueOr = [&line](const char* option, const QString& fallback) {
        const QString key = QString::fromLatin1(option);
        return line.IsSet(key) ? line.Value(key) : fallback;
    };
    CViewInputCheck check;
    if (auto* circle = dynamic_cast<CCircleViewConfig*>(view.get())) {
        MCircleViewRules::OptionsInput input = MCircleViewRules::InputFromView(*circle);
        if (named)
            input.mTitle = name;
        input.mDrawTitle = !line.IsSet(QStringLiteral("no-title"));
        input.mDrawLegendTitle = !line.IsSet(QStringLiteral("no-legend"));
        input.mLegendTitle = valueOr("legend-title", input.mLegendTitle);
        input.mGenomeLength = valueOr("genome-length", QString::number(lengthField));
        input.mDrawScale = !line.IsSet(QStringLiteral("no-scale"));
        if (scaleDivides > 0)
            input.mScaleDivides = scaleDivides;
        if (line.IsSet(QStringLiteral("scale-length"))) {
            input.mScaleByDivides = false;
            input.mScaleLength = line.Value(QStringLiteral("scale-length"));
        }
        check = MCircleViewRules::StoreOptions(*circle, input);
    } else {
        auto* linear = static_cast<CLinearViewConfig*>(view.get());
        MLinearViewRules::OptionsInput input = MLinearViewRules::InputFromView(*linear);
        if (named)
            input.mTitle = name;
        input.mDrawTitle = !line.IsSet(QStringLiteral("no-title"));
        input.mDrawLegendTitle = !line.IsSet(QStringLiteral("no-legend"));
        // Without a name column anywhere the wizard keeps names switched off.
        input.mDrawMarkerNames = linear->DrawMarkerNames() && !line.IsSet(QStringLiteral("no-names"));
        input.mLegendTitle = valueOr("legend-title", input.mLegendTitle);
        input.mGenomeLength = valueOr("genome-length", QString::number(lengthField));
        input.mStart = valueOr("start", input.mStart);
        input.mEnd = valueOr("end", input.mEnd);
        if (rowScaleIndex >= 0)
            input.mScaleIndex = rowScaleIndex;
        check = MLinearViewRules::StoreOptions(*linear, input);
    }
    if (!check.Passed()) {
        const QString option = OptionOfField(check.mField);
        QString used;
        if (check.mField == CViewInputCheck::kGenomeLengthField)
            used = QString::number(view->GenomeLength());
        else if (check.mField == CViewInputCheck::kStartField || check.mField == CViewInputCheck::kEndField)
            used = QStringLiteral("range %1 to %2 of a genome of %3 bp")
                       .arg(valueOr("start", QString::number(static_cast<CLinearViewConfig*>(view.get())->StartLocate())),
                            valueOr("end", QString::number(static_cast<CLinearViewConfig*>(view.get())->EndLocate())))
                       .arg(view->GenomeLength());
        return MCli::BadInput(check.mMessage + QStringLiteral("\n(%1%2)").arg(option, used.isEmpty() ? QString()
                                                                                                    : QStringLiteral(": ") + used));
    }
    if (pageWidth > 0) {
        view->SetPageWidth(pageWidth);
        view->SetPageHeight(pageHeight);
    }

    const QString viewName = view->Name();
    const QString kind = MViewKinds::KindName(*view);
    project->AddView(std::move(view));
    if (const QString message = MCliProject::Save(*project, projectPath); !message.isEmpty())
        return MCli::BadInput(message);
    MCli::Print(QStringLiteral("Added %1 view \"%2\" as view %3.").arg(kind, viewName).arg(project->ViewCount() - 1));
    return MCli::kExitOk;
}

}  // namespace MViewCommand
