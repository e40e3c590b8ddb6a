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

int openRegularFileForWriting(const std::string& path, std::string& error)
{
    // A new file is created exclusively: a link or file that appears after a
    // check is never followed. The mode has no execute bits.
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, 0644);
    if (fd >= 0) {
        error.clear();
        return fd;
    }
    if (errno != EEXIST)
        return fail(fd, error, "create");
    // Not truncated at open: a FIFO or device must be refused untouched.
    struct stat info {};
    fd = openRegular(path, O_WRONLY | O_NOFOLLOW, info, error);
    if (fd < 0)
        return -1;
    if (info.st_nlink != 1) {
        errno = EMLINK;
        return fail(fd, error, "file has other links");
    }
    if ((info.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH)) != 0) {
        errno = EPERM;
        return fail(fd, error, "file can be run");
    }
    if (::ftruncate(fd, 0) != 0)
        return fail(fd, error, "ftruncate");
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0)
        return fail(fd, error, "fcntl");
    error.clear();
    return fd;
}

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
