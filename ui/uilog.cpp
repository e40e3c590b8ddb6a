#include "ui/uilog.h"

// Warnings and above unless QT_LOGGING_RULES asks for more.
Q_LOGGING_CATEGORY(lcUi, "tolvo.ui", QtWarningMsg)
