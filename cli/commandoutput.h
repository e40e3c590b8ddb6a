#pragma once

#include "cli/cliarguments.h"
#include "cli/clisession.h"
#include "cli/clisettings.h"
#include "cli/exitcode.h"
#include "history/historyreports.h"

#include <QByteArrayView>
#include <QString>

// What the commands print and write from what the wrench or the archive gave.
namespace commandoutput {

enum class LineEnds { Escape, Keep };
// Text from the wire made harmless on a terminal: control characters (escape
// sequences among them) become "\xNN". With LineEnds::Escape the text is one
// line long; Keep leaves "\n", for printed text whose lines are its own.
QString withoutControls(const QString& text, LineEnds lineEnds = LineEnds::Escape);

// "COMn <path>" per port present, in COM-number order.
QString portsText();

// The identification, split, then "ID name: value unit" per identity
// parameter as its description shows it.
QString identifyText(const CliSession::Result& result);

// The reports of a block of records (written as the window's Save writes
// them), the AQDEF file, the capability report as a PDF (which takes a
// QGuiApplication), the records as JSON, the statistics as the chart window
// shows them against thresholds;
// the text report to out when nothing else is asked for, with the wrench's
// texts in it escaped when out goes to a terminal. Ok, or the code and one
// line saying why.
ExitCode writeReports(QByteArrayView block, ReportSettings reportSettings, const StatsThresholds& thresholds,
                      const CliArguments& arguments, bool terminal, QString& out, QString& error);

// writeReports of the readout with the settings the window's reports get;
// a readout without records writes nothing.
ExitCode writeHistory(const CliSession::Result& result, const CliArguments& arguments,
                      const CliSettings& settings, bool terminal, QString& out, QString& error);

} // namespace commandoutput
