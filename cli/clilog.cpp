#include "cli/clilog.h"

Q_LOGGING_CATEGORY(lcCli, "tolvo.cli")
