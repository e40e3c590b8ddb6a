// tolvo-cli: the wrench's identification, history and parameters, and the
// readout archive, without a window, for workshop scripts and quality systems.
#include "app/paths.h"
#include "cli/cliarguments.h"
#include "cli/archivecommands.h"
#include "cli/clilog.h"
#include "cli/clisession.h"
#include "cli/clisettings.h"
#include "cli/commandoutput.h"
#include "cli/progressbar.h"
#include "platform/terminal.h"

#include <QCoreApplication>
#include <QLoggingCategory>

#include <cstdio>

namespace {

void print(std::FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
}

int failWith(ExitCode code, const QString& error)
{
    // Errors may quote the wrench's own texts.
    print(stderr, QStringLiteral("tolvo-cli: %1\n").arg(commandoutput::withoutControls(error)));
    return exitStatus(code);
}

// What a command printed, then the line saying why it failed.
int finish(const QString& out, bool terminal, ExitCode code, const QString& error)
{
    // A value read from the wrench (a text parameter) must not act on a
    // terminal either; a table keeps its rows.
    print(stdout, terminal ? commandoutput::withoutControls(out, commandoutput::LineEnds::Keep) : out);
    if (!error.isEmpty())
        return failWith(code, error);
    return exitStatus(code);
}

CliSession::Result runSession(const CliArguments& arguments, const CliSettings& settings, int portNumber)
{
    CliSession session;
    ProgressBar bar(stderr);
    QObject::connect(&session, &CliSession::progress, &session, [&bar](int percent) { bar.show(percent); });
    QObject::connect(&session, &CliSession::finished, qApp, &QCoreApplication::quit, Qt::QueuedConnection);

    CliSession::Request request;
    request.command = arguments.sessionCommand();
    request.portNumber = portNumber;
    request.baudRate = settings.baudRate;
    request.timeoutMs = arguments.timeoutMs;
    request.paramId = arguments.paramId;
    request.value = arguments.value;
    // The window's own folder for them: never beside the programs.
    request.downloadDirectory = paths::downloadFolder(paths::startPath());
    session.start(request);
    QCoreApplication::exec();
    bar.end();
    return session.result();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tolvo-cli"));
    // stderr is for the one line that says why a run failed: a damaged frame
    // sent again is no failure. QT_LOGGING_RULES still turns diagnostics on.
    QLoggingCategory::setFilterRules(QStringLiteral("tolvo.*.debug=false\ntolvo.*.info=false\ntolvo.*.warning=false"));

    CliArguments arguments;
    QString error;
    if (!arguments.parse(QCoreApplication::arguments(), error))
        return failWith(ExitCode::Usage, error);
    if (arguments.command == CliArguments::Command::Help) {
        print(stdout, CliArguments::helpText());
        return exitStatus(ExitCode::Ok);
    }

    CliSettings::actAsWindowProgram();
    const CliSettings settings = CliSettings::load(arguments.settingsFile);
    if (!settings.installTranslation())
        qCInfo(lcCli) << "reports in English; language" << settings.language;
    if (arguments.command == CliArguments::Command::Ports) {
        print(stdout, commandoutput::portsText());
        return exitStatus(ExitCode::Ok);
    }
    const bool terminal = platform::isTerminal(stdout);
    QString out;
    if (arguments.command == CliArguments::Command::Archive) {
        const ExitCode code = archivecommands::run(arguments, settings, terminal, out, error);
        return finish(out, terminal, code, error);
    }
    PortChoice port;
    if (!port.choose(arguments.port, error))
        return failWith(ExitCode::NoPort, error);

    const CliSession::Result result = runSession(arguments, settings, port.portNumber());
    if (result.code != ExitCode::Ok)
        return failWith(result.code, QStringLiteral("%1: %2").arg(arguments.port, result.error));

    ExitCode code = ExitCode::Ok;
    switch (arguments.command) {
    case CliArguments::Command::Identify:
        out = commandoutput::identifyText(result);
        break;
    case CliArguments::Command::History:
        // Archived first: whatever becomes of the reports, the records are kept.
        print(stderr, archivecommands::archiveReadout(result, arguments, settings));
        code = commandoutput::writeHistory(result, arguments, settings, terminal, out, error);
        break;
    default:
        out = result.value + QLatin1Char('\n');
        break;
    }
    return finish(out, terminal, code, error);
}
