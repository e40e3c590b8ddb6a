#include "comm/commlog.h"

// Warnings and above unless QT_LOGGING_RULES asks for more.
Q_LOGGING_CATEGORY(lcComm, "tolvo.comm", QtWarningMsg)
