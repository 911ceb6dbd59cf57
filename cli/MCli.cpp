#include "cli/MCli.h"

#include "cli/CCommandLine.h"
#include "project/MProjectMessage.h"

#include <cstdio>

namespace MCli {

namespace {

void Write(FILE* stream, const QString& text)
{
    const QByteArray bytes = (text + QLatin1Char('\n')).toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

}  // namespace

void Print(const QString& text)
{
    Write(stdout, text);
}

void PrintError(const QString& text)
{
    Write(stderr, text);
}

int BadInput(const QString& message)
{
    PrintError(MProjectMessage::DisplayText(message));
    return kExitBadInput;
}

int Usage(const QString& subcommand, const QString& message)
{
    const QString program = QString::fromLatin1(kProgramName);
    const QString command = subcommand.isEmpty() ? program : program + QLatin1Char(' ') + subcommand;
    PrintError(command + QStringLiteral(": ") + message);
    PrintError(QStringLiteral("Try '%1 --help'.").arg(command));
    return kExitUsage;
}

int Usage(const QString& subcommand, const CCommandLine& commandLine)
{
    return Usage(subcommand, commandLine.ErrorMessage());
}

std::optional<int> ParseCommand(const QString& subcommand, CCommandLine& commandLine, const QStringList& arguments,
                                QString (*help)())
{
    commandLine.AddOption(QStringLiteral("help"), CCommandLine::kFlag);
    if (!commandLine.Parse(arguments))
        return Usage(subcommand, commandLine);
    if (commandLine.IsSet(QStringLiteral("help"))) {
        Print(help());
        return kExitOk;
    }
    return std::nullopt;
}

bool ParseInteger(const QString& text, qint64* value)
{
    bool ok = false;
    const qint64 parsed = text.toLongLong(&ok, 10);
    if (!ok || text.trimmed() != text || text.startsWith(QLatin1Char('+')))
        return false;
    *value = parsed;
    return true;
}

}  // namespace MCli
