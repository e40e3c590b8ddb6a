#include "app/settingslog.h"

Q_LOGGING_CATEGORY(lcSettings, "tolvo.settings")
