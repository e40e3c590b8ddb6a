#pragma once

#include <string>
#include <vector>

// The tool names ports "COMn" on every system. On POSIX a name maps to a
// device path through the settings file's "PORTS" section (key "COMn"), else
// by convention (COM1-32 ttyS0-31, COM33-64 ttyUSB0-31, COM65-96 ttyACM0-31).
// A mapping replaces the convention for its number; numbers above 96 exist
// only through a mapping.
namespace platform {

// The settings file whose "PORTS" section maps names to paths ("" for none).
// Set once at start-up, before any port is opened or listed; safe to call
// from any thread. Not used on Windows, where the system names the ports.
void setPortMappingFile(const std::string& settingsFile);
std::string portMappingFile();

// Device path for COMn ("\\.\COMn" on Windows).
std::string devicePathForPort(int portNumber);

// The system's serial ports, "COMn" names in COM-number order on POSIX (the
// names whose path exists; legacy ttyS ports only with a UART behind them),
// in the registry's order on Windows.
std::vector<std::string> availablePortNames();

} // namespace platform
