#include "platform/portwatch.h"

#include "platform/ports_posix.h"
#include "platform/profile_posix.h"

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <thread>

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

namespace platform {

namespace {

// After a failure the watch is set up again at this pace, never in a spin.
constexpr int kRetryMs = 500;
// Deep enough for any device path, short enough to end on a strange one.
constexpr int kMaxFolderDepth = 64;

constexpr std::uint32_t kWatchMask = IN_CREATE | IN_DELETE | IN_ATTRIB | IN_MOVED_FROM | IN_MOVED_TO
    | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

// The names that matter in one watched folder: /dev sees every new terminal,
// and only ports are worth a change report.
struct WatchedFolder {
    bool conventionalNames = false;
    std::set<std::string> names;
};

} // namespace

struct PortListWatcher::State {
    int stopFd = -1;
    int inotifyFd = -1;
    bool armed = false;
    // Set while events may have been lost; the next successful arming reports a change.
    bool missedChanges = false;
    std::map<int, WatchedFolder> folders;

    ~State()
    {
        disarm();
        if (stopFd >= 0)
            ::close(stopFd);
    }

    bool arm();
    void disarm();
    void watchPath(const std::string& path);
    bool isRelevant(const inotify_event& event, const std::string& name) const;
    enum class Batch { Nothing, Changed, Failed };
    Batch readEvents();
    bool waitForStop(int timeoutMs) const;
    bool recoverAfterFailure();
};

// (Re)builds the watches on the same inotify descriptor: folders watched
// before keep their watch, so no event falls between old and new.
bool PortListWatcher::State::arm()
{
    if (inotifyFd < 0) {
        inotifyFd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (inotifyFd < 0)
            return false;
    }
    const std::map<int, WatchedFolder> previous = std::move(folders);
    folders.clear();
    const int deviceWatch = ::inotify_add_watch(inotifyFd, deviceFolder().c_str(), kWatchMask);
    if (deviceWatch < 0) {
        disarm();
        return false;
    }
    folders[deviceWatch].conventionalNames = true;
    for (const std::string& path : mappedPortPaths()) {
        watchPath(path);
        // A link to a terminal elsewhere (a pseudo-terminal, a by-id link)
        // loses its device there.
        if (char* resolved = ::realpath(path.c_str(), nullptr)) {
            if (path != resolved)
                watchPath(resolved);
            std::free(resolved);
        }
    }
    for (const auto& [watch, folder] : previous) {
        if (folders.count(watch) == 0)
            ::inotify_rm_watch(inotifyFd, watch);
    }
    armed = true;
    return true;
}

void PortListWatcher::State::disarm()
{
    if (inotifyFd >= 0)
        ::close(inotifyFd);
    inotifyFd = -1;
    folders.clear();
    armed = false;
}

// Watches the folder of path for its name; a folder that does not exist yet
// is watched through its nearest existing parent, for the name of the next
// step towards path.
void PortListWatcher::State::watchPath(const std::string& path)
{
    std::string current = path;
    for (int depth = 0; depth < kMaxFolderDepth; ++depth) {
        const std::string folder = parentFolder(current);
        const std::string name = fileName(current);
        if (name.empty() || name == "." || name == "..")
            return;
        const int watch = ::inotify_add_watch(inotifyFd, folder.c_str(), kWatchMask);
        if (watch >= 0) {
            folders[watch].names.insert(name);
            return;
        }
        current = folder;
    }
}

bool PortListWatcher::State::isRelevant(const inotify_event& event, const std::string& name) const
{
    if ((event.mask & IN_Q_OVERFLOW) != 0)
        return true;
    const auto found = folders.find(event.wd);
    if (found == folders.end())
        return false;
    if ((event.mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED)) != 0)
        return true;
    const WatchedFolder& folder = found->second;
    return (folder.conventionalNames && isConventionalDeviceName(name)) || folder.names.count(name) > 0;
}

PortListWatcher::State::Batch PortListWatcher::State::readEvents()
{
    alignas(inotify_event) char buffer[4096];
    bool changed = false;
    for (;;) {
        const ssize_t count = ::read(inotifyFd, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            break;
        if (count <= 0)
            return Batch::Failed;
        const auto size = static_cast<std::size_t>(count);
        std::size_t offset = 0;
        while (offset + sizeof(inotify_event) <= size) {
            inotify_event event{};
            std::memcpy(&event, buffer + offset, sizeof event);
            const std::size_t nameOffset = offset + sizeof event;
            if (nameOffset + event.len > size)
                break;
            const char* name = buffer + nameOffset;
            changed = isRelevant(event, std::string(name, ::strnlen(name, event.len))) || changed;
            offset = nameOffset + event.len;
        }
    }
    return changed ? Batch::Changed : Batch::Nothing;
}

// True when stopped within the time.
bool PortListWatcher::State::waitForStop(int timeoutMs) const
{
    pollfd stop{stopFd, POLLIN, 0};
    const int result = ::poll(&stop, 1, timeoutMs);
    if (result > 0)
        return true;
    // Even a failing poll must not turn the caller's retry into a spin.
    if (result < 0 && errno != EINTR)
        std::this_thread::sleep_for(std::chrono::milliseconds(timeoutMs));
    return false;
}

// True when stopped while waiting to try again.
bool PortListWatcher::State::recoverAfterFailure()
{
    disarm();
    missedChanges = true;
    return waitForStop(kRetryMs);
}

PortListWatcher::PortListWatcher()
    : m_state(std::make_unique<State>())
{
    m_state->stopFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    m_state->missedChanges = !m_state->arm();
}

PortListWatcher::~PortListWatcher() = default;

bool PortListWatcher::waitForChange()
{
    State& state = *m_state;
    // Without a stop descriptor a wait could never be ended.
    if (state.stopFd < 0)
        return false;
    for (;;) {
        if (!state.armed) {
            if (!state.arm()) {
                if (state.recoverAfterFailure())
                    return false;
                continue;
            }
            if (state.missedChanges) {
                state.missedChanges = false;
                return true;
            }
        }
        pollfd fds[2] = {{state.stopFd, POLLIN, 0}, {state.inotifyFd, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno != EINTR && state.recoverAfterFailure())
                return false;
            continue;
        }
        // The stop count is never read back: every later wait ends at once too.
        if (fds[0].revents != 0)
            return false;
        if ((fds[1].revents & (POLLERR | POLLHUP | POLLNVAL)) != 0) {
            if (state.recoverAfterFailure())
                return false;
            continue;
        }
        switch (state.readEvents()) {
        case State::Batch::Nothing:
            break;
        case State::Batch::Failed:
            if (state.recoverAfterFailure())
                return false;
            break;
        case State::Batch::Changed:
            // A new folder or link target on the way to a mapped port is
            // watched before the caller reads the list.
            state.missedChanges = !state.arm();
            return true;
        }
    }
}

void PortListWatcher::stop()
{
    if (m_state->stopFd >= 0)
        ::eventfd_write(m_state->stopFd, 1);
}

} // namespace platform
