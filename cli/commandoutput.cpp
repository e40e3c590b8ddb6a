#include "cli/commandoutput.h"

#include "cli/historyoutput.h"
#include "history/aqdefexport.h"
#include "history/capabilityreport.h"
#include "history/historysave.h"
#include "history/historystats.h"
#include "protocol/toolconversation.h"

#include <QDateTime>
#include <QFile>

namespace commandoutput {

namespace {

bool isControl(char16_t code, LineEnds lineEnds)
{
    if (code == u'\n')
        return lineEnds == LineEnds::Escape;
    return code < 0x20 || (code >= 0x7F && code < 0xA0);
}

} // namespace

QString withoutControls(const QString& text, LineEnds lineEnds)
{
    QString shown;
    shown.reserve(text.size());
    for (const QChar c : text) {
        const char16_t code = c.unicode();
        if (isControl(code, lineEnds))
            shown += QStringLiteral("\\x%1").arg(static_cast<int>(code), 2, 16, QLatin1Char('0'));
        else
            shown += c;
    }
    return shown;
}

namespace {

// The wrench's texts in a report shown on a terminal.
ReportIdentity escapedIdentity(const ReportIdentity& identity)
{
    return {withoutControls(identity.deviceName), withoutControls(identity.firmwareVersion),
            withoutControls(identity.hardwareVersion), withoutControls(identity.serialNumber)};
}

} // namespace

QString portsText()
{
    QString text;
    for (const PresentPort& port : presentPorts())
        text += QStringLiteral("COM%1 %2\n").arg(port.number).arg(port.path);
    return text;
}

QString identifyText(const CliSession::Result& result)
{
    const DeviceIdentity identity = splitIdentification(result.identification);
    QString text = QStringLiteral("identification: %1\nname: %2\nversion: %3\nextra: %4\n")
                       .arg(withoutControls(result.identification), withoutControls(identity.name),
                            withoutControls(identity.version), withoutControls(identity.extra));
    for (const CliSession::Result::IdentityText& parameter : result.identityTexts) {
        text += QStringLiteral("%1 %2: %3")
                    .arg(parameter.id)
                    .arg(withoutControls(parameter.name), withoutControls(parameter.value));
        if (!parameter.unit.isEmpty())
            text += QLatin1Char(' ') + withoutControls(parameter.unit);
        text += QLatin1Char('\n');
    }
    return text;
}

ExitCode writeReports(QByteArrayView block, ReportSettings reportSettings, const StatsThresholds& thresholds,
                      const CliArguments& arguments, bool terminal, QString& out, QString& error)
{
    const bool reportToOut = arguments.txtFile.isEmpty() && arguments.csvFile.isEmpty()
                             && arguments.aqdefFile.isEmpty() && arguments.pdfFile.isEmpty() && !arguments.json
                             && !arguments.stats;
    // Files and pipes get the report byte for byte as the window saves it.
    if (terminal && reportToOut)
        reportSettings.identity = escapedIdentity(reportSettings.identity);
    const HistoryReports reports = buildReports(block, reportSettings, QDateTime::currentDateTime());
    const struct {
        const QString& file;
        const QString& report;
    } files[] = {{arguments.txtFile, reports.text}, {arguments.csvFile, reports.csv}};
    for (const auto& file : files) {
        QString why;
        if (!file.file.isEmpty() && !historysave::writeReport(file.file, file.report, why)) {
            error = QStringLiteral("cannot write %1: %2").arg(file.file, why);
            return ExitCode::WriteError;
        }
    }
    QString why;
    if (!arguments.aqdefFile.isEmpty()
        && !historysave::writeFile(arguments.aqdefFile, aqdefFile(block, reportSettings.identity), {}, why)) {
        error = QStringLiteral("cannot write %1: %2").arg(arguments.aqdefFile, why);
        return ExitCode::WriteError;
    }
    if (!arguments.pdfFile.isEmpty()
        && !writeCapabilityPdf(arguments.pdfFile,
                               CapabilityReport::of(block.toByteArray(), reportSettings.identity,
                                                    reportSettings.decimalSeparator, thresholds),
                               why)) {
        error = QStringLiteral("cannot write %1: %2").arg(arguments.pdfFile, why);
        return ExitCode::WriteError;
    }
    if (arguments.json)
        out += QString::fromUtf8(historyoutput::recordsJson(block));
    // The figures the chart window shows beside the chart.
    if (arguments.stats)
        out += statsText(computeStats(measuredPoints(block)), reportSettings.decimalSeparator, thresholds);
    if (reportToOut)
        out += reports.text;
    return ExitCode::Ok;
}

ExitCode writeHistory(const CliSession::Result& result, const CliArguments& arguments,
                      const CliSettings& settings, bool terminal, QString& out, QString& error)
{
    if (result.history.isEmpty()) {
        // Not 0: a script would take a report left from an earlier run for this one.
        error = QStringLiteral("no data found: the wrench holds no history, nothing written");
        return ExitCode::NoHistory;
    }
    return writeReports(result.history, historyoutput::reportSettings(result.identity, settings.decimalSeparator),
                        settings.thresholds, arguments, terminal, out, error);
}

} // namespace commandoutput
