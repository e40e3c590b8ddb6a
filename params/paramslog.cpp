#include "params/paramslog.h"

Q_LOGGING_CATEGORY(lcParams, "tolvo.params")
