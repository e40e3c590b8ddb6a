#include "archive/archivelog.h"

// Warnings and above unless QT_LOGGING_RULES asks for more.
Q_LOGGING_CATEGORY(lcArchive, "tolvo.archive", QtWarningMsg)
