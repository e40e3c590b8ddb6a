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
    {ExitCode::NoHistory, "the wrench holds no measurements: no report written"},
};

} // namespace

QString exitCodeHelp()
{
    QString help = QStringLiteral("Exit status:\n");
    for (const Meaning& meaning : meanings)
        help += QStringLiteral("  %1  %2\n").arg(exitStatus(meaning.code)).arg(QLatin1String(meaning.text));
    return help;
}
