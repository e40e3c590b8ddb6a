#pragma once

#include <string>
#include <vector>

// POSIX only: what the port-list watcher needs to know about port paths, and
// a seam for tests.
namespace platform {

// Where the conventional devices ("/dev") and their tty class attributes
// ("/sys/class/tty") are looked up. Tests point them at folders of their own.
void setDeviceFolders(const std::string& devices, const std::string& ttyClass);
std::string deviceFolder();

// True for the names the convention maps to COM numbers: ttyS, ttyUSB or
// ttyACM followed by digits.
bool isConventionalDeviceName(const std::string& name);

// The device paths named in the settings file's "PORTS" section.
std::vector<std::string> mappedPortPaths();

} // namespace platform
