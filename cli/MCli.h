#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class CCommandLine;

// What every subcommand of the batch tool shares: exit statuses and the
// two output channels (results on stdout, messages on stderr).
namespace MCli {

enum ExitStatus : int {
    kExitOk = 0,
    // Bad input: the program's own message was shown.
    kExitBadInput = 1,
    // The command line itself is wrong.
    kExitUsage = 2,
};

inline constexpr const char* kProgramName = "karyoquill-cli";

void Print(const QString& text);       // stdout, a line feed added
void PrintError(const QString& text);  // stderr, a line feed added

// Shows a message of the model (its line breaks kept, the place of a file
// failure in parentheses on a second line) and returns kExitBadInput.
int BadInput(const QString& message);
// Shows a command line error with a pointer to the subcommand's help and
// returns kExitUsage.
int Usage(const QString& subcommand, const QString& message);
// The usage error the parser recorded.
int Usage(const QString& subcommand, const CCommandLine& commandLine);

// Adds --help to the options of `commandLine` and parses `arguments`. Returns
// the exit status when the command ends here (its help was shown, or the
// command line was wrong), nothing when the command goes on.
std::optional<int> ParseCommand(const QString& subcommand, CCommandLine& commandLine, const QStringList& arguments,
                                QString (*help)());

// Whole numbers of the command line: digits with an optional leading minus.
bool ParseInteger(const QString& text, qint64* value);

}  // namespace MCli
