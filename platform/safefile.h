#pragma once

#include <string>

// Opens a file that the wrench sends for writing, without letting the wrench
// reach anything but an ordinary file: the last path component is never
// followed as a symbolic link (or reparse point), and only a regular file with
// a single link and no execute bit is accepted. A new file is created
// exclusively and without execute bits; an existing one is truncated.
namespace platform {

// path is UTF-8. Returns a C runtime file descriptor, or -1 with the reason in
// error.
int openRegularFileForWriting(const std::string& path, std::string& error);
// Opens an existing regular file for reading without blocking on anything
// else (a FIFO in place of a file would wait for a writer). path is UTF-8.
// Returns a C runtime file descriptor, or -1 with errno (POSIX) or the
// reason in error.
int openRegularFileForReading(const std::string& path, std::string& error);
// For a descriptor that no file object took over.
void closeFileDescriptor(int fd);

} // namespace platform
