#include "cli/MInfoCommand.h"

#include "cli/CCommandLine.h"
#include "cli/MCli.h"
#include "cli/MCliProject.h"
#include "cli/MViewKinds.h"
#include "cli/StProgressStep.h"
#include "core/CFileData.h"
#include "core/MImportRules.h"
#include "core/MTextFile.h"
#include "project/CProject.h"
#include "views/CCircleViewConfig.h"
#include "views/CViewConfig.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace MInfoCommand {

namespace {

const QString kCommand = QStringLiteral("info");

const char* const kRoleKeys[CFileData::kRoleCount] = {"start", "end", "class", "direction", "name"};

QJsonValue ColumnNumber(int column)
{
    return column < 0 ? QJsonValue(QJsonValue::Null) : QJsonValue(column + 1);
}

QJsonObject DescribeFile(const CProject& project, int index)
{
    const CFileData& file = *project.File(index);
    QJsonObject roles;
    for (int role = 0; role < CFileData::kRoleCount; ++role)
        roles.insert(QString::fromLatin1(kRoleKeys[role]), ColumnNumber(file.Config(role)));
    QJsonArray classes;
    for (int i = 0; i < file.ClassCount(); ++i)
        classes.append(QJsonObject{{"name", file.ClassName(i)}, {"count", file.CountSpecifiedClass(i)}});
    QJsonObject object;
    object.insert("number", index + 1);
    object.insert("file_number", file.FileNumber());
    object.insert("name", file.Name());
    object.insert("folder", file.DirPath());
    object.insert("rows", file.RowCount());
    object.insert("columns", file.ColumnCount());
    object.insert("heading", file.HasHeading());
    object.insert("separator", file.SeparatorType() == MTextFile::kSeparatorComma ? "comma" : "tab");
    object.insert("unit", MImportRules::UnitName(file.Unit()));
    object.insert("roles", roles);
    object.insert("classes", classes);
    object.insert("maximum_location_bp", double(file.MaximumLocate()));
    object.insert("selected", project.FileSelected(index));
    return object;
}

QString ColorText(RgbColor color)
{
    return QStringLiteral("#%1").arg(uint(color) & 0xFFFFFFu, 6, 16, QLatin1Char('0'));
}

QJsonObject DescribeView(const CProject& project, CViewConfig& view)
{
    QJsonArray entries;
    for (int i = 0; i < view.Count(); ++i) {
        const CFileData* file = view.File(i);
        const int fileIndex = file ? project.IndexOfFile(file) : -1;
        QJsonObject entry;
        entry.insert("file", fileIndex < 0 ? QJsonValue(QJsonValue::Null) : QJsonValue(fileIndex + 1));
        entry.insert("class", view.ClassName(i));
        entry.insert("legend", view.LegendName(i));
        entry.insert("placement", MViewKinds::PlacementName(view, i));
        const QString type = MViewKinds::TypeName(view, i);
        entry.insert("type", type.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(type));
        entry.insert("color", ColorText(view.DrawColor(i)));
        entries.append(entry);
    }
    const QString problem = view.SettingsProblem();
    qint64 markerCount = 0;
    if (problem.isEmpty()) {
        const StProgressStep step(QStringLiteral("Building the map \"%1\"").arg(view.Name()));
        if (dynamic_cast<const CCircleViewConfig*>(&view)) {
            // A circular map is one page whatever it holds: its markers are
            // counted without drawing it.
            std::vector<CMarkerData> markers;
            view.PickUpMarkerData(markers);
            markerCount = qint64(markers.size());
        } else {
            // A linear map's pages follow from how its markers stack.
            view.MakeViewImage();
            markerCount = qint64(view.Markers().size());
        }
    }
    QJsonObject object;
    if (!problem.isEmpty())
        object.insert("problem", problem);
    object.insert("name", view.Name());
    object.insert("kind", MViewKinds::KindName(view));
    object.insert("entries", entries);
    object.insert("genome_length", view.GenomeLength());
    object.insert("markers", markerCount);
    object.insert("pages", view.PageCount());
    object.insert("width", view.ViewWidth());
    object.insert("height", view.ViewHeight());
    object.insert("draw_title", view.DrawTitle());
    object.insert("legend_title", view.LegendTitle());
    object.insert("draw_legend", view.DrawLegendTitle());
    MViewKinds::AddKindOptions(view, object);
    return object;
}

void PrintText(const QString& path, const QJsonObject& info)
{
    MCli::Print(QStringLiteral("Project %1").arg(path));
    const QJsonArray files = info.value("files").toArray();
    MCli::Print(QStringLiteral("Files: %1").arg(files.size()));
    for (const QJsonValue& value : files) {
        const QJsonObject file = value.toObject();
        MCli::Print(QStringLiteral("  %1  %2  (%3)%4")
                        .arg(file.value("number").toInt())
                        .arg(file.value("name").toString(), file.value("folder").toString(),
                             file.value("selected").toBool() ? QString() : QStringLiteral("  not selected")));
        MCli::Print(QStringLiteral("     %1 rows, %2 columns, %3-separated, %4, unit %5, largest location %6 bp")
                        .arg(file.value("rows").toInt())
                        .arg(file.value("columns").toInt())
                        .arg(file.value("separator").toString(),
                             file.value("heading").toBool() ? QStringLiteral("with heading")
                                                            : QStringLiteral("no heading"),
                             file.value("unit").toString())
                        .arg(qint64(file.value("maximum_location_bp").toDouble())));
        QStringList roles;
        const QJsonObject roleColumns = file.value("roles").toObject();
        for (const char* key : kRoleKeys) {
            const QJsonValue column = roleColumns.value(QString::fromLatin1(key));
            if (!column.isNull())
                roles.append(QStringLiteral("%1=%2").arg(QString::fromLatin1(key)).arg(column.toInt()));
        }
        MCli::Print(QStringLiteral("     columns: ") + roles.join(QStringLiteral(", ")));
        QStringList classes;
        for (const QJsonValue& c : file.value("classes").toArray())
            classes.append(QStringLiteral("%1 (%2)").arg(c.toObject().value("name").toString())
                               .arg(c.toObject().value("count").toInt()));
        MCli::Print(QStringLiteral("     classes: ") + classes.join(QStringLiteral(", ")));
    }
    const QJsonArray views = info.value("views").toArray();
    MCli::Print(QStringLiteral("Views: %1").arg(views.size()));
    for (int i = 0; i < views.size(); ++i) {
        const QJsonObject view = views[i].toObject();
        MCli::Print(QStringLiteral("  %1  \"%2\"  %3, genome length %4 bp, %5 markers, %6 page(s) of %7 x %8")
                        .arg(i)
                        .arg(view.value("name").toString(), view.value("kind").toString())
                        .arg(view.value("genome_length").toInt())
                        .arg(view.value("markers").toInt())
                        .arg(view.value("pages").toInt())
                        .arg(view.value("width").toInt())
                        .arg(view.value("height").toInt()));
        for (const QJsonValue& value : view.value("entries").toArray()) {
            const QJsonObject entry = value.toObject();
            const QJsonValue file = entry.value("file");
            const QString type = entry.value("type").toString();
            MCli::Print(QStringLiteral("     file %1  class \"%2\"  legend \"%3\"  %4%5  %6")
                            .arg(file.isNull() ? QStringLiteral("?") : QString::number(file.toInt()),
                                 entry.value("class").toString(), entry.value("legend").toString(),
                                 entry.value("placement").toString(),
                                 type.isEmpty() ? QString() : QLatin1Char(' ') + type,
                                 entry.value("color").toString()));
        }
    }
}

}  // namespace

QString Help()
{
    return QStringLiteral(
        "usage: karyoquill-cli info PROJECT [--json]\n"
        "\n"
        "Lists the data files and views of PROJECT. Files are numbered from 1 in\n"
        "project order (the number --entry file=N of the view command takes); views\n"
        "are numbered from 0 (the number --view of the export command takes).\n"
        "\n"
        "  --json   print one JSON object: {\"files\":[...],\"views\":[...]}\n"
        "  --help   show this help\n");
}

QJsonObject Describe(CProject& project)
{
    QJsonArray files;
    for (int i = 0; i < project.FileCount(); ++i)
        files.append(DescribeFile(project, i));
    QJsonArray views;
    for (int i = 0; i < project.ViewCount(); ++i)
        views.append(DescribeView(project, *project.View(i)));
    return QJsonObject{{"files", files}, {"views", views}};
}

int Run(const QStringList& arguments)
{
    CCommandLine line;
    line.AddOption(QStringLiteral("json"), CCommandLine::kFlag);
    if (const std::optional<int> status = MCli::ParseCommand(kCommand, line, arguments, Help))
        return *status;
    if (line.Positionals().size() != 1)
        return MCli::Usage(kCommand, QStringLiteral("expects PROJECT"));
    const QString path = line.Positionals().first();
    std::unique_ptr<CProject> project;
    if (const QString message = MCliProject::Open(path, project); !message.isEmpty())
        return MCli::BadInput(message);
    const QJsonObject info = Describe(*project);
    if (line.IsSet(QStringLiteral("json")))
        MCli::Print(QString::fromUtf8(QJsonDocument(info).toJson(QJsonDocument::Indented)).trimmed());
    else
        PrintText(path, info);
    return MCli::kExitOk;
}

}  // namespace MInfoCommand
