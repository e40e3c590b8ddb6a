#pragma once

#include "platform/serial.h"

#include <QString>

// Why a port cannot be used, and what to do about it, in one line for the
// user; empty when there is nothing more to say than that it failed. The
// window's box and tolvo-cli's error line say the same.
QString portProblemText(platform::SerialError error);
