#include "comm/commlog.h"

Q_LOGGING_CATEGORY(lcComm, "tolvo.comm")
