#pragma once

#include "cli/cliarguments.h"
#include "cli/clisession.h"
#include "cli/clisettings.h"
#include "cli/exitcode.h"

#include <QString>

// The readout archive from the command line.
namespace archivecommands {

// A readout into the local archive, then on to the server when one is set,
// unless the arguments or the settings say no. The lines for stderr: how many
// records were new, or why none were archived, and a push that failed. What
// goes wrong here never changes the readout's exit status: the reports are
// written all the same.
QString archiveReadout(const CliSession::Result& result, const CliArguments& arguments, const CliSettings& settings);

// archive list, count, export, report and sync. Ok, or the code and one line saying
// why.
ExitCode run(const CliArguments& arguments, const CliSettings& settings, bool terminal, QString& out,
             QString& error);

} // namespace archivecommands
