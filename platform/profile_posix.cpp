#include "platform/profile.h"
#include "platform/profile_posix.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// The whole file; false with errno set when it cannot be read (ENOENT when it
// is missing). Only regular files: a FIFO would block the caller.
bool readWholeFile(const std::string& path, std::string& text)
{
    text.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return false;
    struct stat info {};
    bool ok = ::fstat(fd, &info) == 0;
    if (ok && !S_ISREG(info.st_mode)) {
        errno = EINVAL;
        ok = false;
    }
    char buffer[4096];
    while (ok) {
        const ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count == 0)
            break;
        if (count > 0)
            text.append(buffer, static_cast<std::size_t>(count));
        else if (errno != EINTR)
            ok = false;
    }
    const int error = errno;
    ::close(fd);
    errno = error;
    return ok;
}

bool writeAll(int fd, const std::string& text)
{
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t count = ::write(fd, text.data() + done, text.size() - done);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return false;
        done += static_cast<std::size_t>(count);
    }
    return true;
}

// A settings file reached through a symbolic link keeps the link: its target
// is the file that gets replaced.
std::string replacedFile(const std::string& path)
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
        return path;
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (resolved == nullptr)
        return path;
    std::string target(resolved);
    std::free(resolved);
    return target;
}

// A new file beside target that no one else uses; created with mode 0666 so
// that the umask applies as it would to any new file.
int createUniqueTemporary(const std::string& target, std::string& tempPath)
{
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath = parentFolder(target) + "/." + fileName(target) + "." + std::to_string(::getpid()) + "-"
            + std::to_string(counter++) + ".tmp";
        const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

void syncFolder(const std::string& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

// Readers see either the old or the new text, never a part: the old file is
// left alone until the complete new one is on disk and renamed over it.
bool replaceAtomically(const std::string& target, const std::string& text)
{
    std::string tempPath;
    const int fd = createUniqueTemporary(target, tempPath);
    if (fd < 0)
        return false;
    bool ok = true;
    struct stat old {};
    if (::stat(target.c_str(), &old) == 0)
        ok = ::fchmod(fd, old.st_mode & 07777) == 0;
    ok = ok && writeAll(fd, text) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (!ok || ::rename(tempPath.c_str(), target.c_str()) != 0) {
        const int error = errno;
        ::unlink(tempPath.c_str());
        errno = error;
        return false;
    }
    syncFolder(parentFolder(target));
    return true;
}

} // namespace

std::string parentFolder(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string fileName(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string readProfileString(const std::string& file, const std::string& section,
                              const std::string& key, const std::string& defaultValue,
                              std::size_t bufferSize)
{
    std::string value = defaultValue;
    std::string text;
    if (readWholeFile(file, text)) {
        if (std::optional<std::string> found = profiletext::findValue(text, section, key))
            value = std::move(*found);
    }
    // The buffer keeps one byte for the terminating zero.
    value.resize(std::min(value.size(), bufferSize == 0 ? 0 : bufferSize - 1));
    return value;
}

std::vector<profiletext::Entry> readProfileSection(const std::string& file,
                                                   const std::string& section)
{
    std::string text;
    if (!readWholeFile(file, text))
        return {};
    return profiletext::sectionEntries(text, section);
}

bool writeProfileString(const std::string& file, const std::string& section,
                        const std::string& key, const std::string& value)
{
    if (!profiletext::isStorableSection(section) || !profiletext::isStorableKey(key))
        return false;
    const std::string target = replacedFile(file);
    std::string text;
    // A file that exists but cannot be read is never replaced: its settings would be lost.
    if (!readWholeFile(target, text) && errno != ENOENT)
        return false;
    return replaceAtomically(target,
                             profiletext::withValue(text, section, key, profiletext::storableValue(value)));
}

} // namespace platform
