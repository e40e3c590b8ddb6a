#include "platform/safefile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// Keeps errno for callers that tell a missing file from others.
int fail(int fd, std::string& error, const char* what)
{
    const int reason = errno;
    error = std::string(what) + ": " + std::strerror(reason);
    if (fd >= 0)
        ::close(fd);
    errno = reason;
    return -1;
}

// Opens without blocking (a FIFO without peer would wait) and keeps the
// descriptor only for a regular file; info describes it.
int openRegular(const std::string& path, int flags, struct stat& info, std::string& error)
{
    const int fd = ::open(path.c_str(), flags | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return fail(fd, error, "open");
    if (::fstat(fd, &info) != 0)
        return fail(fd, error, "fstat");
    if (!S_ISREG(info.st_mode)) {
        errno = EINVAL;
        return fail(fd, error, "not a regular file");
    }
    return fd;
}

} // namespace

int openRegularFileForReading(const std::string& path, std::string& error)
{
    struct stat info {};
    const int fd = openRegular(path, O_RDONLY, info, error);
    if (fd >= 0)
        error.clear();
    return fd;
}

void closeFileDescriptor(int fd)
{
    if (fd >= 0)
        ::close(fd);
}

} // namespace platform
