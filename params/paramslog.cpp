#include "params/paramslog.h"

// Warnings and above unless QT_LOGGING_RULES asks for more.
Q_LOGGING_CATEGORY(lcParams, "tolvo.params", QtWarningMsg)
