#pragma once

#include "platform/profile_text.h"

#include <string>
#include <vector>

// POSIX only: the port mapping reads a whole section at once, and the port
// watcher splits paths like the settings writer.
namespace platform {

// Every key of the section with its value as readProfileString would return
// it, in file order; empty when the file or the section is missing.
std::vector<profiletext::Entry> readProfileSection(const std::string& file,
                                                   const std::string& section);

// "/a/b" -> "/a", "/a" -> "/", "b" -> "."
std::string parentFolder(const std::string& path);
// "/a/b" -> "b"
std::string fileName(const std::string& path);

} // namespace platform
