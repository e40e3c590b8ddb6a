#pragma once

#include <string>

// Files opened without following a symbolic link (or reparse point) in the
// last path component, and only when they are ordinary files.
namespace platform {

// Opens an existing regular file for reading without blocking on anything
// else (a FIFO in place of a file would wait for a writer). path is UTF-8.
// Returns a C runtime file descriptor, or -1 with errno (POSIX) or the
// reason in error.
int openRegularFileForReading(const std::string& path, std::string& error);
// For a descriptor that no file object took over.
void closeFileDescriptor(int fd);

} // namespace platform
