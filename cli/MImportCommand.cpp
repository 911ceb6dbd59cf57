#include "cli/MImportCommand.h"

#include "cli/CCommandLine.h"
#include "cli/MCli.h"
#include "cli/MCliProject.h"
#include "cli/StProgressStep.h"
#include "core/CFileData.h"
#include "core/MImportRules.h"
#include "core/MTextFile.h"
#include "project/CProject.h"

#include <QDir>
#include <QFileInfo>

namespace MImportCommand {

namespace {

const QString kCommand = QStringLiteral("import");

struct RoleOption
{
    int mRole;
    const char* mOption;
    bool mRequired;
};

constexpr RoleOption kRoleOptions[] = {
    {CFileData::kRoleStart, "start", true},      {CFileData::kRoleEnd, "end", true},
    {CFileData::kRoleClass, "class", true},      {CFileData::kRoleDirection, "direction", false},
    {CFileData::kRoleName, "name", false},
};

QString ColumnList(const CFileData& data)
{
    QStringList titles;
    for (int column = 0; column < data.ColumnCount(); ++column)
        titles.append(QStringLiteral("%1 \"%2\"").arg(column + 1).arg(data.Heading(column)));
    return titles.join(QStringLiteral(", "));
}

// A column by its number counted from 1, or by its title (letter case
// ignored, the first match); -1 with a message when there is none.
int ResolveColumn(const CFileData& data, const QString& text, QString* message)
{
    qint64 number = 0;
    if (MCli::ParseInteger(text, &number)) {
        if (number >= 1 && number <= data.ColumnCount())
            return int(number - 1);
        *message = QStringLiteral("There is no column %1: the file has %2 columns (%3).")
                       .arg(text)
                       .arg(data.ColumnCount())
                       .arg(ColumnList(data));
        return -1;
    }
    for (int column = 0; column < data.ColumnCount(); ++column) {
        if (data.Heading(column).compare(text, Qt::CaseInsensitive) == 0)
            return column;
    }
    *message = QStringLiteral("No column is titled \"%1\". The columns are: %2.").arg(text, ColumnList(data));
    return -1;
}

int SeparatorFromName(const QString& name)
{
    if (name == QLatin1String("tab"))
        return MTextFile::kSeparatorTab;
    if (name == QLatin1String("comma"))
        return MTextFile::kSeparatorComma;
    return MTextFile::kSeparatorNone;
}

}  // namespace

QString Help()
{
    return QStringLiteral(
        "usage: karyoquill-cli import PROJECT DATAFILE --start COL --end COL --class COL\n"
        "                             [--direction COL] [--name COL] [--unit bp|kbp]\n"
        "                             [--no-heading] [--separator tab|comma]\n"
        "\n"
        "Imports a tab- or comma-delimited marker file into PROJECT (created when it\n"
        "does not exist) and saves the project. The file gets the next file number and\n"
        "is selected for views.\n"
        "\n"
        "COL is a column number counted from 1 or a column title (letter case ignored).\n"
        "  --start COL, --end COL   marker locations: columns of whole numbers\n"
        "  --class COL              the class a view selects and colours\n"
        "  --direction COL          + or 0 forward, - or 1 reverse\n"
        "  --name COL               marker names\n"
        "  --unit bp|kbp            unit of the locations (default bp)\n"
        "  --no-heading             the first row is data, not column titles;\n"
        "                           columns are then titled Column1, Column2, ...\n"
        "  --separator tab|comma    override the separator detected from the first line\n"
        "  --help                   show this help\n");
}

int Run(const QStringList& arguments)
{
    CCommandLine line;
    for (const RoleOption& option : kRoleOptions)
        line.AddOption(QString::fromLatin1(option.mOption), CCommandLine::kValue);
    line.AddOption(QStringLiteral("unit"), CCommandLine::kValue);
    line.AddOption(QStringLiteral("no-heading"), CCommandLine::kFlag);
    line.AddOption(QStringLiteral("separator"), CCommandLine::kValue);
    if (const std::optional<int> status = MCli::ParseCommand(kCommand, line, arguments, Help))
        return *status;
    const QStringList positionals = line.Positionals();
    if (positionals.size() != 2)
        return MCli::Usage(kCommand, QStringLiteral("expects PROJECT and DATAFILE"));
    if (positionals[0].isEmpty() || positionals[1].isEmpty())
        return MCli::Usage(kCommand, QStringLiteral("PROJECT and DATAFILE must not be empty"));
    for (const RoleOption& option : kRoleOptions) {
        if (option.mRequired && !line.IsSet(QString::fromLatin1(option.mOption)))
            return MCli::Usage(kCommand, QStringLiteral("--%1 COL is required").arg(option.mOption));
    }
    int unit = CFileData::kUnitBp;
    if (line.IsSet(QStringLiteral("unit"))) {
        unit = MImportRules::UnitFromName(line.Value(QStringLiteral("unit")));
        if (unit < 0)
            return MCli::Usage(kCommand, QStringLiteral("--unit must be bp or kbp"));
    }
    int separator = MTextFile::kSeparatorNone;
    if (line.IsSet(QStringLiteral("separator"))) {
        separator = SeparatorFromName(line.Value(QStringLiteral("separator")));
        if (separator == MTextFile::kSeparatorNone)
            return MCli::Usage(kCommand, QStringLiteral("--separator must be tab or comma"));
    }

    const QString projectPath = positionals[0];
    std::unique_ptr<CProject> project;
    if (const QString message = MCliProject::OpenOrCreate(projectPath, project); !message.isEmpty())
        return MCli::BadInput(message);

    auto data = std::make_unique<CFileData>();
    {
        const StProgressStep step(QStringLiteral("Reading the data file"));
        const QFileInfo source(QDir::cleanPath(QDir::current().absoluteFilePath(positionals[1])));
        if (const QString message = MImportRules::LoadSource(*data, source.absolutePath(), source.fileName());
            !message.isEmpty())
            return MCli::BadInput(message);
        if (separator != MTextFile::kSeparatorNone && !MImportRules::ChooseSeparator(*data, separator)) {
            return MCli::BadInput(QStringLiteral("Separating the fields at each %1 gives fewer than %2 columns.")
                                      .arg(separator == MTextFile::kSeparatorTab ? QStringLiteral("tab")
                                                                                 : QStringLiteral("comma"))
                                      .arg(MImportRules::kMinimumColumnCount));
        }
    }
    if (line.IsSet(QStringLiteral("no-heading")))
        data->SetHasHeading(false);
    data->SetUnit(unit);

    for (const RoleOption& option : kRoleOptions) {
        const QString name = QString::fromLatin1(option.mOption);
        if (!line.IsSet(name))
            continue;
        QString message;
        const int column = ResolveColumn(*data, line.Value(name), &message);
        if (column < 0)
            return MCli::BadInput(QStringLiteral("--%1: %2").arg(name, message));
        message = MImportRules::AssignRole(*data, option.mRole, column);
        if (!message.isEmpty()) {
            return MCli::BadInput(message + QStringLiteral("\n(--%1: column %2 \"%3\")")
                                                .arg(name)
                                                .arg(column + 1)
                                                .arg(data->Heading(column)));
        }
    }
    Q_ASSERT(MImportRules::RequiredRolesAssigned(*data));
    if (const QString message = MImportRules::CheckFinish(*data); !message.isEmpty())
        return MCli::BadInput(message);

    int index = 0;
    {
        const StProgressStep step(QStringLiteral("Importing"));
        index = project->AddImportedFile(std::move(data));
    }
    if (const QString message = MCliProject::Save(*project, projectPath); !message.isEmpty())
        return MCli::BadInput(message);
    const CFileData& file = *project->File(index);
    // Files are shown by their place in the project, counted from 1, as the windows show them.
    MCli::Print(QStringLiteral("Imported \"%1\" as file %2: %3 rows, %4 classes.")
                    .arg(file.Name())
                    .arg(index + 1)
                    .arg(file.RowCount())
                    .arg(file.ClassCount()));
    return MCli::kExitOk;
}

}  // namespace MImportCommand
