#include "cli/archivecommands.h"

#include "archive/archivestore.h"
#include "archive/archivesync.h"
#include "cli/commandoutput.h"
#include "cli/historyoutput.h"

#include <QStringList>

#include <memory>

namespace archivecommands {

namespace {

using commandoutput::withoutControls;

const QString dateFormat = QStringLiteral("yyyy-MM-dd");

// Driver messages come in several lines.
QString oneLine(const QString& text)
{
    return withoutControls(text.simplified());
}

// Unreachable is always the server; a local file that says no cannot be used.
ExitCode failure(const ArchiveStatus& status, bool server, QString& error)
{
    if (!status.ok())
        error = oneLine(status.message);
    switch (status.kind) {
    case ArchiveStatus::Kind::Ok:
        return ExitCode::Ok;
    case ArchiveStatus::Kind::Unreachable:
        return ExitCode::ServerUnreachable;
    case ArchiveStatus::Kind::Refused:
        return server ? ExitCode::ServerRefused : ExitCode::ArchiveFailed;
    case ArchiveStatus::Kind::NewerSchema:
    case ArchiveStatus::Kind::Failed:
        break;
    }
    return ExitCode::ArchiveFailed;
}

ExitCode list(ArchiveStore& store, bool server, QString& out, QString& error)
{
    ArchiveStatus status;
    const QList<WrenchSummary> wrenches = store.wrenches(status);
    if (!status.ok())
        return failure(status, server, error);
    // The wrench's texts escaped: a tab or line end of theirs would make columns.
    for (const WrenchSummary& wrench : wrenches) {
        out += QStringList{withoutControls(wrench.serial), withoutControls(wrench.deviceName),
                           QString::number(wrench.records), wrench.first.toString(dateFormat),
                           wrench.last.toString(dateFormat)}
                   .join(QLatin1Char('\t'))
            + QLatin1Char('\n');
    }
    return ExitCode::Ok;
}

ExitCode count(ArchiveStore& store, const MeasurementFilter& selection, bool server, QString& out, QString& error)
{
    ArchiveStatus status;
    const qint64 counted = store.count(selection, status);
    if (!status.ok())
        return failure(status, server, error);
    out += QString::number(counted) + QLatin1Char('\n');
    return ExitCode::Ok;
}

QString selectionText(const MeasurementFilter& selection)
{
    QString text = selection.serial;
    if (selection.from.isValid())
        text += QStringLiteral(" from ") + selection.from.toString(dateFormat);
    if (selection.to.isValid())
        text += QStringLiteral(" to ") + selection.to.toString(dateFormat);
    return text;
}

// The reports, or the capability report, as history writes them, of the
// wrench as it was last seen.
ExitCode exportReports(ArchiveStore& store, const CliArguments& arguments, const CliSettings& settings,
                       bool terminal, QString& out, QString& error)
{
    const ArchivedMeasurements archived = store.measurements(arguments.selection);
    if (!archived.status.ok())
        return failure(archived.status, arguments.server, error);
    if (archived.count() == 0) {
        error = QStringLiteral("no measurements of %1 in %2, nothing written")
                    .arg(withoutControls(selectionText(arguments.selection)), store.displayName());
        return ExitCode::NoHistory;
    }
    ReportSettings reportSettings;
    reportSettings.identity = archived.identity;
    reportSettings.historyMode = archived.historyMode;
    reportSettings.decimalSeparator = settings.decimalSeparator;
    return commandoutput::writeReports(archived.block, reportSettings, settings.thresholds, arguments, terminal, out,
                                      error);
}

ExitCode sync(const ArchiveSettings& archive, QString& out, QString& error)
{
    const SyncResult pushed = pushToServer(archive.file, archive.server);
    // A push cut short has still delivered its first readouts.
    if (pushed.status.ok() || pushed.readoutsPushed > 0)
        out += QStringLiteral("pushed %1 readouts, %2 new measurements\n")
                   .arg(pushed.readoutsPushed)
                   .arg(pushed.measurementsNew);
    return failure(pushed.status, true, error);
}

} // namespace

QString archiveReadout(const CliSession::Result& result, const CliArguments& arguments, const CliSettings& settings)
{
    if (!arguments.archive || !settings.archive.enabled || result.history.isEmpty())
        return QString();
    // The identity the reports print: the archive files the readout under it.
    const ReportSettings report = historyoutput::reportSettings(result.identity, settings.decimalSeparator);
    if (report.identity.serialNumber.isEmpty())
        return QStringLiteral("not archived: the wrench did not give its serial number\n");
    const StoreResult stored = ArchiveStore::storeInFile(
        settings.archive.file, ReadoutInfo::current(report.identity, report.historyMode), result.history);
    if (!stored.status.ok())
        return QStringLiteral("not archived: %1\n").arg(oneLine(stored.status.message));
    QString lines =
        QStringLiteral("archived: %1 records read, %2 new\n").arg(stored.recordsRead).arg(stored.recordsNew);
    if (settings.archive.server.isConfigured()) {
        // The local archive holds the readout until a later push takes it.
        const SyncResult pushed = pushToServer(settings.archive.file, settings.archive.server);
        if (!pushed.status.ok())
            lines += QStringLiteral("server push failed, will retry: %1\n").arg(oneLine(pushed.status.message));
    }
    return lines;
}

ExitCode run(const CliArguments& arguments, const CliSettings& settings, bool terminal, QString& out,
             QString& error)
{
    const ServerSettings& server = settings.archive.server;
    const bool sync = arguments.archiveCommand == CliArguments::ArchiveCommand::Sync;
    if ((arguments.server || sync) && !server.isConfigured()) {
        error = QStringLiteral("no archive server set: SERVER_DRIVER (e.g. QPSQL) and the server's keys go into "
                               "the \"ARCHIVE\" section of %1")
                    .arg(settings.file);
        return ExitCode::Usage;
    }
    if (sync)
        return archivecommands::sync(settings.archive, out, error);

    ArchiveStatus status;
    const QString& file = settings.archive.file;
    const std::unique_ptr<ArchiveStore> store =
        arguments.server ? ArchiveStore::openServer(server, status) : ArchiveStore::openLocal(file, status);
    if (!store)
        return failure(status, arguments.server, error);
    switch (arguments.archiveCommand) {
    case CliArguments::ArchiveCommand::List:
        return list(*store, arguments.server, out, error);
    case CliArguments::ArchiveCommand::Count:
        return count(*store, arguments.selection, arguments.server, out, error);
    case CliArguments::ArchiveCommand::Export:
    case CliArguments::ArchiveCommand::Report:
        return exportReports(*store, arguments, settings, terminal, out, error);
    case CliArguments::ArchiveCommand::Sync:
        break;
    }
    return ExitCode::Ok;
}

} // namespace archivecommands
