#include "platform/safefile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

int fail(int fd, std::string& error, const char* what)
{
    error = std::string(what) + ": " + std::strerror(errno);
    if (fd >= 0)
        ::close(fd);
    return -1;
}

} // namespace

int openRegularFileForWriting(const std::string& path, std::string& error)
{
    // Not truncated at open: a FIFO or device must be refused untouched, and
    // O_NONBLOCK keeps a FIFO without reader from blocking the open.
    const int fd = ::open(path.c_str(),
                          O_WRONLY | O_CREAT | O_NOFOLLOW | O_NOCTTY | O_NONBLOCK | O_CLOEXEC, 0644);
    if (fd < 0)
        return fail(fd, error, "open");
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return fail(fd, error, "fstat");
    if (!S_ISREG(info.st_mode)) {
        errno = EINVAL;
        return fail(fd, error, "not a regular file");
    }
    if (info.st_nlink != 1) {
        errno = EMLINK;
        return fail(fd, error, "file has other links");
    }
    if (::ftruncate(fd, 0) != 0)
        return fail(fd, error, "ftruncate");
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0)
        return fail(fd, error, "fcntl");
    error.clear();
    return fd;
}

void closeFileDescriptor(int fd)
{
    if (fd >= 0)
        ::close(fd);
}

} // namespace platform
