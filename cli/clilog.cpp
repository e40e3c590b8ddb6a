#include "cli/clilog.h"

// Warnings and above unless QT_LOGGING_RULES asks for more.
Q_LOGGING_CATEGORY(lcCli, "tolvo.cli", QtWarningMsg)
