#pragma once

#include "tools/parametertable.h"
#include "tools/wrenchlink.h"

#include <QByteArray>
#include <QSet>
#include <QString>
#include <QStringList>

namespace wrench {

// Everything the simulated wrench can be told on its command line.
struct WrenchConfig {
    // "name;version;extra;extra" as the wrench answers the identification.
    QByteArray identification = "TOLVO TW-200;V 2.14;TW-200;CAL 2023-04";
    DeviceIdentity identity;
    QList<Parameter> settings = ParameterTable::standardSettings(); // behind the fixed parameters
    QByteArray history; // the stored records, sent as they stand
    int blockSize = 256;
    bool answerIdentification = true;
    int identificationAnswers = 1; // answers to the tool's identification on one connection
    bool numberDescriptions = false; // description downloads numbered 1, 2, 3 ... instead of the list's
    QSet<quint16> silentIds;         // reads of these go unanswered
    bool unknownAsErx = false; // unknown IDs: "ERX" with text instead of "ERR"
    WrenchLink::Settings link;

    QString linkPath;    // where the tty appears; empty: only its own name
    QString logPath;     // frame log; empty: none
    QString controlPath; // local socket for commands; empty: none
    bool commandsOnStdin = true;
    int replugAfterMs = -1;
};

struct ParsedArguments {
    enum Outcome { Run, ShowHelp, Failed };
    Outcome outcome = Failed;
    QString text; // the help text, or what was wrong
};

// Reads the options (the first argument is the program name). Files named on
// the command line (--history-file, --parameters-file) are read here.
ParsedArguments parseArguments(const QStringList& arguments, WrenchConfig& config);

// The commands the wrench takes on stdin and on its control socket.
QString commandHelp();

} // namespace wrench
