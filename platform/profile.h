#pragma once

#include <cstddef>
#include <string>

// Private-profile (ini) files with the behaviour of the Win32 calls: section
// and key names compared ignoring letter case, values trimmed, a quoted value
// returned without its quotes, first duplicate wins, a missing key yields the
// default, a buffer of bufferSize bytes returns at most bufferSize - 1
// characters. Text is 8-bit as stored.
namespace platform {

std::string readProfileString(const std::string& file, const std::string& section,
                              const std::string& key, const std::string& defaultValue,
                              std::size_t bufferSize = 1024);

// Rewrites the file (atomically on POSIX: the old file stays whole until the
// new one replaces it; a symbolic link is followed, a read-only file is left
// alone) with CR LF line ends, the key updated in place, or
// appended to its section, or a new section appended. Line ends in the value
// become spaces. False when the write failed, or when the section name (with
// "]" or a line end) or the key (empty, with "=" or a line end) cannot be
// stored.
bool writeProfileString(const std::string& file, const std::string& section,
                        const std::string& key, const std::string& value);

// Removes the temporary files that a write cut off by a crash left beside the
// file (on POSIX, where a write is a rename over the file; the Windows calls
// leave none). Files of writers still running stay.
void removeStaleProfileTemporaries(const std::string& file);

} // namespace platform
