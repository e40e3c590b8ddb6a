#include "cli/exitcode.h"

namespace {

struct Meaning {
    ExitCode code;
    const char* text;
};

constexpr Meaning meanings[] = {
    {ExitCode::Ok, "done"},
    {ExitCode::Usage, "usage error: command, option or argument"},
    {ExitCode::NoPort, "no such port, the port cannot be opened, or it went away"},
    {ExitCode::NoAnswer, "the wrench did not answer in time (--timeout)"},
    {ExitCode::Refused, "refused by the wrench: error report, access level, value, no history"},
    {ExitCode::WriteError, "an output file cannot be written"},
    {ExitCode::NoHistory, "no measurements on the wrench or in the archive's selection: no report written"},
    {ExitCode::ServerUnreachable, "the archive server cannot be reached"},
    {ExitCode::ServerRefused, "refused by the archive server: login, rights or tables"},
    {ExitCode::ArchiveFailed, "the archive cannot be used: damaged, newer than this tool, or not writable"},
};

} // namespace

QString exitCodeHelp()
{
    QString help = QStringLiteral("Exit status:\n");
    for (const Meaning& meaning : meanings)
        help += QStringLiteral("  %1  %2\n").arg(exitStatus(meaning.code), 2).arg(QLatin1String(meaning.text));
    return help;
}
