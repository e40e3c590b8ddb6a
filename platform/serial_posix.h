#pragma once

#include "platform/serial.h"

#include <termios.h>

// POSIX only: the line settings as the port applies them, for tests.
namespace platform {

// Raw bytes, 8 data bits, one stop bit, no flow control, the rate and parity
// of settings, reads that return at once, made from whatever tio held.
// False for a rate or parity the port does not take.
bool makeLineTermios(const SerialLineSettings& settings, termios& tio);

} // namespace platform
