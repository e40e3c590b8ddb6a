#include "platform/downloadfile.h"

#include <cerrno>
#include <cstring>
#include <random>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr int CreateAttempts = 16;

bool failed(std::string& error, const char* what)
{
    error = std::string(what) + ": " + std::strerror(errno);
    return false;
}

bool refused(std::string& error, const char* why)
{
    error = why;
    return false;
}

std::string inFolder(const std::string& folder, const std::string& name)
{
    return folder.empty() || folder.back() == '/' ? folder + name : folder + '/' + name;
}

// While held, another tool's start knows that the file is being written.
bool hold(int fd)
{
    return ::flock(fd, LOCK_EX | LOCK_NB) == 0;
}

// A starting tool may have removed the new file as stale before it was held.
bool stillNamedBy(int fd, const std::string& path)
{
    struct stat opened {};
    struct stat named {};
    return ::fstat(fd, &opened) == 0 && ::lstat(path.c_str(), &named) == 0 && opened.st_dev == named.st_dev
        && opened.st_ino == named.st_ino;
}

} // namespace

bool mayReplaceWithDownload(const std::string& path, std::string& error)
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0)
        return errno == ENOENT || failed(error, "lstat");
    if (!S_ISREG(info.st_mode))
        return refused(error, "not a regular file");
    if (info.st_nlink != 1)
        return refused(error, "file has other links");
    if ((info.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH)) != 0)
        return refused(error, "file can be run");
    return true;
}

int createDownloadFile(const std::string& folder, const std::string& name, std::string& temporaryPath,
                       std::string& error)
{
    std::random_device random;
    for (int attempt = 0; attempt < CreateAttempts; ++attempt) {
        const std::string path = inFolder(folder, temporaryDownloadName(name, random()));
        // Created exclusively: a link or file that is already there is never used.
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, 0644);
        if (fd < 0 && errno != EEXIST) {
            failed(error, "create");
            return -1;
        }
        if (fd < 0)
            continue;
        const bool held = hold(fd);
        const int holdError = errno;
        if (held && stillNamedBy(fd, path)) {
            temporaryPath = path;
            error.clear();
            return fd;
        }
        // A folder without locks (some network mounts) would collect an
        // empty file per attempt.
        if (!held && holdError != EWOULDBLOCK) {
            if (stillNamedBy(fd, path))
                ::unlink(path.c_str());
            ::close(fd);
            errno = holdError;
            failed(error, "lock");
            return -1;
        }
        ::close(fd);
    }
    refused(error, "create: no free temporary name");
    return -1;
}

bool finishDownloadFile(int fd, const std::string& temporaryPath, const std::string& finalPath,
                        std::string& error)
{
    // Checked again: something may have taken the name meanwhile. rename
    // would replace a link there, never write through it.
    if (!mayReplaceWithDownload(finalPath, error))
        return false;
    if (::fsync(fd) != 0)
        return failed(error, "fsync");
    if (::rename(temporaryPath.c_str(), finalPath.c_str()) != 0)
        return failed(error, "rename");
    ::close(fd);
    error.clear();
    return true;
}

void discardDownloadFile(int fd, const std::string& temporaryPath)
{
    // Removed while still held, so that no starting tool races for it.
    if (!temporaryPath.empty())
        ::unlink(temporaryPath.c_str());
    if (fd >= 0)
        ::close(fd);
}

bool removeStaleDownloadFile(const std::string& path)
{
    // Opening a device node can act on the device: only regular files.
    struct stat named {};
    if (::lstat(path.c_str(), &named) != 0 || !S_ISREG(named.st_mode))
        return false;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info {};
    const bool stale = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && hold(fd) && stillNamedBy(fd, path);
    const bool removed = stale && ::unlink(path.c_str()) == 0;
    ::close(fd);
    return removed;
}

} // namespace platform
