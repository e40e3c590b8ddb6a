#include "app/settingslog.h"

// Warnings and above unless QT_LOGGING_RULES asks for more.
Q_LOGGING_CATEGORY(lcSettings, "tolvo.settings", QtWarningMsg)
