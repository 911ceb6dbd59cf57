// karyoquill-cli: the batch tool. Imports data files, defines views, lists
// projects and exports maps from a shell, on the same project files and
// model code as the windows.

#include "cli/MCli.h"
#include "cli/MExportCommand.h"
#include "cli/MHugePages.h"
#include "cli/MImportCommand.h"
#include "cli/MInfoCommand.h"
#include "cli/MViewCommand.h"

#include <QGuiApplication>

#include <cstring>
#include <memory>

namespace {

QString MainHelp()
{
    return QStringLiteral(
        "usage: karyoquill-cli COMMAND [ARGUMENTS]\n"
        "\n"
        "Commands:\n"
        "  import PROJECT DATAFILE ...   import a marker file into a project\n"
        "  view PROJECT ...              add a circular or linear view\n"
        "  info PROJECT [--json]         list the files and views of a project\n"
        "  export PROJECT ...            save a view's map as images\n"
        "\n"
        "'karyoquill-cli COMMAND --help' describes a command.\n"
        "Exit status: 0 success, 1 bad input (the message is on stderr), 2 wrong command line.\n");
}

// Qt's own notes (a missing runtime folder, font fallbacks) are no business
// of the user's and would mix with the tool's messages on stderr; only
// critical failures get through.
void QtMessages(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        MCli::PrintError(message);
}

}  // namespace

int main(int argc, char** argv)
{
    // First of all, before anything is allocated or printed. Only the
    // commands that build maps fill the heap with scene objects; tables
    // already lie in huge pages of their own.
    const bool buildsMaps = argc > 1 && (std::strcmp(argv[1], "export") == 0 || std::strcmp(argv[1], "info") == 0);
    if (buildsMaps)
        MHugePages::RestartWithHugePages(argc, argv);
    // Text is measured with real fonts, which need a GUI application, but
    // the tool never shows a window: run without a display unless told.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(QtMessages);
    // The other commands read and write files only: they start faster
    // without the GUI platform.
    std::unique_ptr<QCoreApplication> application;
    if (buildsMaps)
        application = std::make_unique<QGuiApplication>(argc, argv);
    else
        application = std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("karyoquill-cli"));

    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    if (arguments.isEmpty())
        return MCli::Usage(QString(), QStringLiteral("missing COMMAND"));
    const QString command = arguments.takeFirst();
    if (command == QLatin1String("--help") || command == QLatin1String("-h") || command == QLatin1String("help")) {
        MCli::Print(MainHelp());
        return MCli::kExitOk;
    }
    if (command == QLatin1String("import"))
        return MImportCommand::Run(arguments);
    if (command == QLatin1String("view"))
        return MViewCommand::Run(arguments);
    if (command == QLatin1String("info"))
        return MInfoCommand::Run(arguments);
    if (command == QLatin1String("export"))
        return MExportCommand::Run(arguments);
    return MCli::Usage(QString(), QStringLiteral("unknown command \"%1\"").arg(command));
}
