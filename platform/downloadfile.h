#pragma once

#include <string>

// A file that the wrench sends is written under a temporary name in the
// download folder and takes its announced name only once it is complete, so
// that a download cut off, even by a killed tool, never passes for the file.
// Paths are UTF-8.
namespace platform {

// ".<name>.part-" and eight lower-case hexadecimal digits.
std::string temporaryDownloadName(const std::string& name, unsigned int token);
bool isTemporaryDownloadName(const std::string& fileName);

// True when path is missing or an ordinary file that a download may replace:
// a regular file with a single link and no execute bit. Never a link (or
// reparse point), a folder, a device or a program.
bool mayReplaceWithDownload(const std::string& path, std::string& error);

// Creates the temporary file for name in the existing folder: exclusively,
// never through a link, without execute bits, and held so that
// removeStaleDownloadFile leaves it alone while it is open. Returns a C
// runtime file descriptor and the file's path, or -1 with the reason.
int createDownloadFile(const std::string& folder, const std::string& name, std::string& temporaryPath,
                       std::string& error);
// Gives the complete file finalPath (checked with mayReplaceWithDownload
// once more) and closes fd. On failure nothing is closed: discard the file.
bool finishDownloadFile(int fd, const std::string& temporaryPath, const std::string& finalPath,
                        std::string& error);
// Removes the temporary file and closes fd.
void discardDownloadFile(int fd, const std::string& temporaryPath);

// Removes a temporary file that no download holds: left by a tool that was
// killed. Anything but a regular file stays.
bool removeStaleDownloadFile(const std::string& path);

} // namespace platform
