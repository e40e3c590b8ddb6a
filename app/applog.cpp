#include "app/applog.h"

// Warnings and above unless QT_LOGGING_RULES asks for more.
Q_LOGGING_CATEGORY(lcApp, "tolvo.app", QtWarningMsg)
