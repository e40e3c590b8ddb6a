#include "protocol/protocollog.h"

// Warnings and above unless QT_LOGGING_RULES asks for more.
Q_LOGGING_CATEGORY(lcProtocol, "tolvo.protocol", QtWarningMsg)
