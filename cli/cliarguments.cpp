#include "cli/cliarguments.h"

#include "cli/exitcode.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QDate>
#include <QList>

#include <algorithm>
#include <initializer_list>

namespace {

constexpr int MaxParamId = 0xFFFE; // 0xFFFF says goodbye
constexpr int MaxTimeoutMs = 3600 * 1000;

const char* const Usage = R"(Usage: tolvo-cli [options] <command> [arguments]

Talks to the torque wrench without a window, on the same port and with the
same settings file as TolvoTool, and reads the readout archive.

Commands:
  ports                 the COM names present and the device path each maps to
  identify --port P     the wrench's identification and identity parameters
  history --port P [--txt FILE] [--csv FILE] [--aqdef FILE] [--pdf FILE] [--json]
          [--stats] [--no-archive]
                        reads the stored history as the window's Read does and
                        writes the reports as its Save does; without an output
                        option the text report goes to stdout. The records go
                        into the archive as well (and on to the archive server
                        when one is set); a line on stderr says how many were new
  get --port P ID       the value of parameter ID as its description shows it
  set --port P ID VALUE writes parameter ID and prints the value read back;
                        a table takes its cells separated by ";"
  archive list [--server]
                        each wrench in the archive: serial number, device name,
                        measurements, dates of the first and the last one
  archive count --serial S [--from D] [--to D] [--server]
                        the number of the wrench's archived measurements
  archive export --serial S [--from D] [--to D] [--txt FILE] [--csv FILE]
                 [--aqdef FILE] [--json] [--server]
                        the reports of the wrench's archived measurements, as
                        history writes them; without an output option the text
                        report goes to stdout
  archive report --serial S [--from D] [--to D] --pdf FILE [--server]
                        the capability report of the wrench's archived
                        measurements, as history --pdf writes it
  archive sync          pushes to the archive server what it lacks

P is a COM name (mapped in the settings file's "PORTS" section, e.g.
COM42=/tmp/wrench) or a device path. A progress bar is drawn on stderr when it
is a terminal; errors go to stderr in one line. Diagnostics are off unless
QT_LOGGING_RULES turns them on (e.g. "tolvo.*=true").

The archive is set in the settings file's "ARCHIVE" section: ENABLED (0: history
archives nothing), FILE (default: archive.sqlite beside a settings file that
is beside the programs, else in ~/.local/share/TolvoTool), and for a plant's server SERVER_DRIVER (QPSQL), SERVER_HOST (a host or
the folder of a Unix socket), SERVER_PORT, SERVER_DATABASE, SERVER_USER and
SERVER_OPTIONS. The server's password comes from PGPASSWORD or ~/.pgpass, never
from the settings file.

Options:
  --port P              the port of the wrench
  --settings FILE       the settings file (default: the one TolvoTool uses, beside
                        the programs or in ~/.config/TolvoTool in an installed tree)
  --timeout MS          the longest wait for an answer of the wrench (default 5000)
  --txt FILE            history, archive export: the text report
  --csv FILE            history, archive export: the CSV report
  --aqdef FILE          history, archive export: the values for quality systems
                        (AQDEF transfer format, .dfq)
  --pdf FILE            history, archive report: the capability report (wrench,
                        period, run chart, histogram, the figures of --stats
                        and the verdict) as a PDF; drawn without a display
  --json                history, archive export: the records as JSON on stdout
  --stats               history: the statistics of the readout on stdout, the
                        figures of the chart window (count, OK/NOK, mean,
                        standard deviation, minimum, maximum, Cm, Cmk, the
                        verdict against the "STATISTICS" thresholds, normality)
  --no-archive          history: keep the readout out of the archive
  --serial S            archive: the wrench, by its serial number
  --from D, --to D      archive: the first and the last day of measurement
                        taken, as YYYY-MM-DD
  --server              archive: the archive server instead of the local archive
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
    {"set", CliArguments::Command::Set, 2},         {"archive", CliArguments::Command::Archive, 1},
};

struct ArchiveCommandName {
    const char* name;
    CliArguments::ArchiveCommand command;
};

constexpr ArchiveCommandName archiveCommands[] = {
    {"list", CliArguments::ArchiveCommand::List},
    {"count", CliArguments::ArchiveCommand::Count},
    {"export", CliArguments::ArchiveCommand::Export},
    {"report", CliArguments::ArchiveCommand::Report},
    {"sync", CliArguments::ArchiveCommand::Sync},
};

template <typename Entry, size_t Size>
const Entry* named(const Entry (&table)[Size], const QString& name)
{
    for (const Entry& entry : table) {
        if (name == QLatin1String(entry.name))
            return &entry;
    }
    return nullptr;
}

bool toNumber(const QString& text, int low, int high, int& value)
{
    bool ok = false;
    value = text.toInt(&ok, 10);
    return ok && value >= low && value <= high;
}

struct Options {
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")}, QString()};
    QCommandLineOption port{QStringLiteral("port"), QString(), QStringLiteral("P")};
    QCommandLineOption settings{QStringLiteral("settings"), QString(), QStringLiteral("FILE")};
    QCommandLineOption timeout{QStringLiteral("timeout"), QString(), QStringLiteral("MS")};
    QCommandLineOption txt{QStringLiteral("txt"), QString(), QStringLiteral("FILE")};
    QCommandLineOption csv{QStringLiteral("csv"), QString(), QStringLiteral("FILE")};
    QCommandLineOption aqdef{QStringLiteral("aqdef"), QString(), QStringLiteral("FILE")};
    QCommandLineOption pdf{QStringLiteral("pdf"), QString(), QStringLiteral("FILE")};
    QCommandLineOption json{QStringLiteral("json"), QString()};
    QCommandLineOption stats{QStringLiteral("stats"), QString()};
    QCommandLineOption noArchive{QStringLiteral("no-archive"), QString()};
    QCommandLineOption server{QStringLiteral("server"), QString()};
    QCommandLineOption serial{QStringLiteral("serial"), QString(), QStringLiteral("S")};
    QCommandLineOption from{QStringLiteral("from"), QString(), QStringLiteral("D")};
    QCommandLineOption to{QStringLiteral("to"), QString(), QStringLiteral("D")};

    QList<QCommandLineOption> all() const
    {
        return {help, port, settings, timeout, txt, csv, aqdef, pdf, json, stats, noArchive, server, serial, from, to};
    }
};

bool toDate(const QCommandLineParser& parser, const QCommandLineOption& option, QDate& date, QString& error)
{
    if (!parser.isSet(option))
        return true;
    const QString text = parser.value(option);
    date = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
    if (!date.isValid())
        error = QStringLiteral("--%1 wants a date as YYYY-MM-DD, not \"%2\"").arg(option.names().first(), text);
    return date.isValid();
}

bool readSelection(const QCommandLineParser& parser, const Options& options, MeasurementFilter& selection,
                   QString& error)
{
    selection.serial = parser.value(options.serial);
    if (selection.serial.isEmpty()) {
        error = QStringLiteral("archive %1 needs --serial").arg(parser.positionalArguments().value(1));
        return false;
    }
    if (!toDate(parser, options.from, selection.from, error) || !toDate(parser, options.to, selection.to, error))
        return false;
    if (selection.from.isValid() && selection.to.isValid() && selection.from > selection.to) {
        error = QStringLiteral("--from is after --to");
        return false;
    }
    return true;
}

bool isArchive(const CliArguments& arguments, std::initializer_list<CliArguments::ArchiveCommand> among)
{
    return arguments.command == CliArguments::Command::Archive
        && std::find(among.begin(), among.end(), arguments.archiveCommand) != among.end();
}

bool isSelecting(const CliArguments& arguments)
{
    return isArchive(arguments, {CliArguments::ArchiveCommand::Count, CliArguments::ArchiveCommand::Export,
                                 CliArguments::ArchiveCommand::Report});
}

// The reason for an option the command does not take; empty when all fit.
QString misplacedOption(const CliArguments& arguments, const QCommandLineParser& parser, const Options& options)
{
    using Command = CliArguments::Command;
    using ArchiveCommand = CliArguments::ArchiveCommand;
    const Command command = arguments.command;
    if (command != Command::Ports && command != Command::Archive && arguments.port.isEmpty())
        return QStringLiteral("%1 needs --port").arg(parser.positionalArguments().first());
    if (command == Command::Archive && (parser.isSet(options.port) || parser.isSet(options.timeout)))
        return QStringLiteral("--port and --timeout belong to the wrench's commands, not to archive");
    const bool reports = parser.isSet(options.txt) || parser.isSet(options.csv) || parser.isSet(options.aqdef)
                         || parser.isSet(options.json);
    if (reports && command != Command::History && !isArchive(arguments, {ArchiveCommand::Export}))
        return QStringLiteral("--txt, --csv, --aqdef and --json belong to history and archive export");
    if (parser.isSet(options.pdf) && command != Command::History && !isArchive(arguments, {ArchiveCommand::Report}))
        return QStringLiteral("--pdf belongs to history and archive report");
    if (isArchive(arguments, {ArchiveCommand::Report}) && !parser.isSet(options.pdf))
        return QStringLiteral("archive report needs --pdf");
    if (command != Command::History && (parser.isSet(options.stats) || parser.isSet(options.noArchive)))
        return QStringLiteral("--stats and --no-archive belong to history");
    const bool readsArchive = isArchive(
        arguments, {ArchiveCommand::List, ArchiveCommand::Count, ArchiveCommand::Export, ArchiveCommand::Report});
    if (parser.isSet(options.server) && !readsArchive)
        return QStringLiteral("--server belongs to archive list, count, export and report");
    const bool selection = parser.isSet(options.serial) || parser.isSet(options.from) || parser.isSet(options.to);
    if (selection && !isSelecting(arguments))
        return QStringLiteral("--serial, --from and --to belong to archive count, export and report");
    return QString();
}

} // namespace

QString CliArguments::helpText()
{
    return QLatin1String(Usage) + QLatin1Char('\n') + exitCodeHelp();
}

bool CliArguments::parse(const QStringList& arguments, QString& error)
{
    QCommandLineParser parser;
    const Options options;
    parser.addOptions(options.all());
    if (!parser.parse(arguments)) {
        error = parser.errorText();
        return false;
    }
    if (parser.isSet(options.help))
        return true;
    if (!parseCommand(parser.positionalArguments(), error))
        return false;

    port = parser.value(options.port);
    settingsFile = parser.value(options.settings);
    txtFile = parser.value(options.txt);
    csvFile = parser.value(options.csv);
    aqdefFile = parser.value(options.aqdef);
    pdfFile = parser.value(options.pdf);
    json = parser.isSet(options.json);
    stats = parser.isSet(options.stats);
    archive = !parser.isSet(options.noArchive);
    server = parser.isSet(options.server);
    if (parser.isSet(options.timeout) && !toNumber(parser.value(options.timeout), 1, MaxTimeoutMs, timeoutMs)) {
        error = QStringLiteral("--timeout wants milliseconds from 1 to %1").arg(MaxTimeoutMs);
        return false;
    }
    error = misplacedOption(*this, parser, options);
    if (!error.isEmpty())
        return false;
    return !isSelecting(*this) || readSelection(parser, options, selection, error);
}

bool CliArguments::parseCommand(const QStringList& positional, QString& error)
{
    if (positional.isEmpty()) {
        error = QStringLiteral("no command given (tolvo-cli --help lists them)");
        return false;
    }
    const CommandName* found = named(commands, positional.first());
    if (found == nullptr) {
        error = QStringLiteral("unknown command \"%1\"").arg(positional.first());
        return false;
    }
    command = found->command;
    if (command == Command::Archive) {
        const ArchiveCommandName* archiveFound =
            positional.size() == 2 ? named(archiveCommands, positional[1]) : nullptr;
        if (archiveFound == nullptr) {
            error = QStringLiteral("archive takes one of list, count, export, report, sync");
            return false;
        }
        archiveCommand = archiveFound->command;
        return true;
    }
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
