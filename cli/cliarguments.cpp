#include "cli/cliarguments.h"

#include "cli/exitcode.h"

#include <QCommandLineParser>

namespace {

constexpr int MaxParamId = 0xFFFE; // 0xFFFF says goodbye
constexpr int MaxTimeoutMs = 3600 * 1000;

const char* const Usage = R"(Usage: tolvo-cli [options] <command> [arguments]

Talks to the torque wrench without a window, on the same port and with the
same settings file as TolvoTool.

Commands:
  ports                 the COM names present and the device path each maps to
  identify --port P     the wrench's identification and identity parameters
  history --port P [--txt FILE] [--csv FILE] [--json] [--stats]
                        reads the stored history as the window's Read does and
                        writes the reports as its Save does; without an output
                        option the text report goes to stdout
  get --port P ID       the value of parameter ID as its description shows it
  set --port P ID VALUE writes parameter ID and prints the value read back;
                        a table takes its cells separated by ";"

P is a COM name (mapped in the settings file's "PORTS" section, e.g.
COM42=/tmp/wrench) or a device path. A progress bar is drawn on stderr when it
is a terminal; errors go to stderr in one line. Diagnostics are off unless
QT_LOGGING_RULES turns them on (e.g. "tolvo.*=true").

Options:
  --port P              the port of the wrench
  --settings FILE       the settings file (default: the one TolvoTool uses, beside
                        the programs or in ~/.config/TolvoTool in an installed tree)
  --timeout MS          the longest wait for an answer of the wrench (default 5000)
  --txt FILE            history: the text report
  --csv FILE            history: the CSV report
  --json                history: the records as JSON on stdout
  --stats               history: the statistics of the readout on stdout, the
                        figures of the chart window (count, OK/NOK, mean,
                        standard deviation, minimum, maximum, Cm, Cmk)
  -h, --help            this text
)";

struct CommandName {
    const char* name;
    CliArguments::Command command;
    int arguments;
};

constexpr CommandName commands[] = {
    {"ports", CliArguments::Command::Ports, 0},     {"identify", CliArguments::Command::Identify, 0},
    {"history", CliArguments::Command::History, 0}, {"get", CliArguments::Command::Get, 1},
    {"set", CliArguments::Command::Set, 2},
};

bool toNumber(const QString& text, int low, int high, int& value)
{
    bool ok = false;
    value = text.toInt(&ok, 10);
    return ok && value >= low && value <= high;
}

} // namespace

QString CliArguments::helpText()
{
    return QLatin1String(Usage) + QLatin1Char('\n') + exitCodeHelp();
}

bool CliArguments::parse(const QStringList& arguments, QString& error)
{
    QCommandLineParser parser;
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QString());
    const QCommandLineOption portOption(QStringLiteral("port"), QString(), QStringLiteral("P"));
    const QCommandLineOption settingsOption(QStringLiteral("settings"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption timeoutOption(QStringLiteral("timeout"), QString(), QStringLiteral("MS"));
    const QCommandLineOption txtOption(QStringLiteral("txt"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption csvOption(QStringLiteral("csv"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption jsonOption(QStringLiteral("json"), QString());
    const QCommandLineOption statsOption(QStringLiteral("stats"), QString());
    parser.addOptions({help, portOption, settingsOption, timeoutOption, txtOption, csvOption, jsonOption, statsOption});
    if (!parser.parse(arguments)) {
        error = parser.errorText();
        return false;
    }
    if (parser.isSet(help))
        return true;

    const QStringList positional = parser.positionalArguments();
    if (positional.isEmpty()) {
        error = QStringLiteral("no command given (tolvo-cli --help lists them)");
        return false;
    }
    const CommandName* found = nullptr;
    for (const CommandName& candidate : commands) {
        if (positional.first() == QLatin1String(candidate.name))
            found = &candidate;
    }
    if (found == nullptr) {
        error = QStringLiteral("unknown command \"%1\"").arg(positional.first());
        return false;
    }
    command = found->command;
    if (positional.size() - 1 != found->arguments) {
        error = QStringLiteral("%1 takes %2 argument(s)").arg(positional.first()).arg(found->arguments);
        return false;
    }
    if (found->arguments > 0 && !toNumber(positional[1], 0, MaxParamId, paramId)) {
        error = QStringLiteral("\"%1\" is no parameter ID (0 to %2)").arg(positional[1]).arg(MaxParamId);
        return false;
    }
    if (found->arguments > 1)
        value = positional[2];

    port = parser.value(portOption);
    settingsFile = parser.value(settingsOption);
    txtFile = parser.value(txtOption);
    csvFile = parser.value(csvOption);
    json = parser.isSet(jsonOption);
    stats = parser.isSet(statsOption);
    if (parser.isSet(timeoutOption) && !toNumber(parser.value(timeoutOption), 1, MaxTimeoutMs, timeoutMs)) {
        error = QStringLiteral("--timeout wants milliseconds from 1 to %1").arg(MaxTimeoutMs);
        return false;
    }
    if (command != Command::Ports && port.isEmpty()) {
        error = QStringLiteral("%1 needs --port").arg(positional.first());
        return false;
    }
    const bool historyOutput = parser.isSet(txtOption) || parser.isSet(csvOption) || json || stats;
    if (command != Command::History && historyOutput) {
        error = QStringLiteral("--txt, --csv, --json and --stats belong to history");
        return false;
    }
    return true;
}

CliSession::Command CliArguments::sessionCommand() const
{
    switch (command) {
    case Command::History:
        return CliSession::Command::History;
    case Command::Get:
        return CliSession::Command::Get;
    case Command::Set:
        return CliSession::Command::Set;
    default:
        return CliSession::Command::Identify;
    }
}
