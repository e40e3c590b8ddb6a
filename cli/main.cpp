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
#include <QGuiApplication>
#include <QLoggingCategory>

#include <cstdio>
#include <cstring>
#include <memory>

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

// A PDF is painted, which takes the GUI application.
bool wantsPdf(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--pdf") == 0 || std::strncmp(argv[i], "--pdf=", 6) == 0)
            return true;
    }
    return false;
}

std::unique_ptr<QCoreApplication> makeApplication(int& argc, char** argv)
{
    if (!wantsPdf(argc, argv))
        return std::make_unique<QCoreApplication>(argc, argv);
    // Workshop scripts run without a display, nor a desktop session whose
    // absence the platform would complain of on stderr; main sets the rules
    // anew, and QT_LOGGING_RULES still turns them on.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QLoggingCategory::setFilterRules(QStringLiteral("default.warning=false"));
    return std::make_unique<QGuiApplication>(argc, argv);
}

CliSession::Result runSession(const CliArguments& arguments, const CliSettings& settings, int portNumber)
{
    CliSession session;
    ProgressBar bar(stderr);
    QObject::connect(&session, &CliSession::progress, &session, [&bar](int percent) { bar.show(percent); });
    // Not qApp: with the GUI header included it casts a plain application.
    QObject::connect(&session, &CliSession::finished, QCoreApplication::instance(), &QCoreApplication::quit,
                     Qt::QueuedConnection);

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
    const std::unique_ptr<QCoreApplication> application = makeApplication(argc, argv);
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
