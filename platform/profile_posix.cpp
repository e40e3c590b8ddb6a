#include "platform/profile.h"
#include "platform/profile_posix.h"
#include "platform/safefile.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <dirent.h>
#include <fcntl.h>
#include <limits>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// The whole file; false with errno set when it cannot be read (ENOENT when it
// is missing). Only regular files: a FIFO would block the caller.
bool readWholeFile(const std::string& path, std::string& text)
{
    text.clear();
    std::string reason;
    const int fd = openRegularFileForReading(path, reason);
    if (fd < 0)
        return false;
    bool ok = true;
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

// The file a write replaces. A symbolic link is followed to its target and
// stays a link; a target that does not exist yet is created there, as the
// Windows call would. "" (errno ELOOP) when the links never end.
std::string replacedFile(const std::string& path)
{
    constexpr int kMaxLinks = 40;
    std::string current = path;
    for (int hop = 0; hop < kMaxLinks; ++hop) {
        struct stat info {};
        if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return current;
        std::string target(PATH_MAX, '\0');
        const ssize_t length = ::readlink(current.c_str(), target.data(), target.size());
        if (length <= 0 || static_cast<std::size_t>(length) >= target.size())
            return {};
        target.resize(static_cast<std::size_t>(length));
        current = target.front() == '/' ? target : parentFolder(current) + "/" + target;
    }
    errno = ELOOP;
    return {};
}

// A read-only file stays untouched, as on Windows, where the read-only
// attribute holds for administrators too; the rename over it needs only the
// folder's permission, so the file's own is checked first.
bool mayReplace(const std::string& target)
{
    struct stat info {};
    if (::stat(target.c_str(), &info) != 0)
        return errno == ENOENT;
    return (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0 && ::access(target.c_str(), W_OK) == 0;
}

// Temporaries are named ".<file>.<process id>-<counter>.tmp" beside target.
std::string temporaryPrefix(const std::string& target)
{
    return "." + fileName(target) + ".";
}

constexpr char kTemporarySuffix[] = ".tmp";

// The process id in a temporary's name, or 0 when it is not one of ours.
long long temporaryOwner(const std::string& name, const std::string& prefix)
{
    const std::string suffix = kTemporarySuffix;
    if (name.size() <= prefix.size() + suffix.size() || name.compare(0, prefix.size(), prefix) != 0
        || name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
        return 0;
    const std::string middle = name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
    const std::size_t dash = middle.find('-');
    constexpr std::size_t kMaxDigits = 10;
    const auto digitsOnly = [](const std::string& part) {
        return !part.empty() && part.size() <= kMaxDigits
            && std::all_of(part.begin(), part.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    if (dash == std::string::npos || !digitsOnly(middle.substr(0, dash)) || !digitsOnly(middle.substr(dash + 1)))
        return 0;
    long long owner = 0;
    for (std::size_t i = 0; i < dash; ++i)
        owner = owner * 10 + (middle[i] - '0');
    return owner;
}

// A new file beside target that no one else uses; created with mode 0666 so
// that the umask applies as it would to any new file.
int createUniqueTemporary(const std::string& target, std::string& tempPath)
{
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath = parentFolder(target) + "/" + temporaryPrefix(target) + std::to_string(::getpid()) + "-"
            + std::to_string(counter++) + kTemporarySuffix;
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
    if (target.empty() || !mayReplace(target))
        return false;
    std::string text;
    // A file that exists but cannot be read is never replaced: its settings would be lost.
    if (!readWholeFile(target, text) && errno != ENOENT)
        return false;
    return replaceAtomically(target,
                             profiletext::withValue(text, section, key, profiletext::storableValue(value)));
}

void removeStaleProfileTemporaries(const std::string& file)
{
    const std::string target = replacedFile(file);
    if (target.empty())
        return;
    const std::string folder = parentFolder(target);
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr)
        return;
    const std::string prefix = temporaryPrefix(target);
    while (const dirent* entry = ::readdir(dir)) {
        const long long owner = temporaryOwner(entry->d_name, prefix);
        // A writer that is still running keeps its file.
        if (owner <= 0 || owner > std::numeric_limits<pid_t>::max()
            || ::kill(static_cast<pid_t>(owner), 0) == 0 || errno != ESRCH)
            continue;
        const std::string path = folder + "/" + entry->d_name;
        struct stat info {};
        if (::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode))
            ::unlink(path.c_str());
    }
    ::closedir(dir);
}

} // namespace platform
