#include "platform/pseudoterminal.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

namespace platform {

namespace {

TransferResult sortOut(long result, unsigned long& count)
{
    if (result >= 0) {
        count = static_cast<unsigned long>(result);
        return TransferResult::Done;
    }
    count = 0;
    if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)
        return TransferResult::WouldBlock;
    // A pseudo-terminal end whose partner is closed answers EIO.
    if (errno == EIO || errno == ENXIO || errno == EPIPE)
        return TransferResult::PeerGone;
    return TransferResult::Failed;
}

bool makeRaw(int fd)
{
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0)
        return false;
    ::cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    return ::tcsetattr(fd, TCSANOW, &tio) == 0;
}

int stopPipe[2] = {-1, -1};

extern "C" void onStopSignal(int signalNumber)
{
    const int savedErrno = errno;
    const auto byte = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(stopPipe[1], &byte, 1);
    errno = savedErrno;
}

} // namespace

PseudoTerminal::~PseudoTerminal()
{
    close();
}

bool PseudoTerminal::fail(const char* what, int newFd)
{
    m_error = std::string(what) + ": " + std::strerror(errno);
    if (newFd >= 0)
        ::close(newFd);
    close();
    return false;
}

bool PseudoTerminal::open(const std::string& linkPath)
{
    m_error.clear();
    const int fd = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return fail("posix_openpt", fd);
    if (::grantpt(fd) != 0 || ::unlockpt(fd) != 0)
        return fail("unlockpt", fd);
    char name[128] = {};
    if (::ptsname_r(fd, name, sizeof name) != 0)
        return fail("ptsname_r", fd);

    // Raw on the far end as well, so that no byte is translated or echoed.
    makeRaw(fd);
    // A pair whose near end was never opened shows no hang-up; open and close
    // it once so that peerAttached() is true exactly while the tool has it open.
    const int nearFd = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (nearFd < 0)
        return fail("open", fd);
    ::close(nearFd);
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) != 0)
        return fail("fcntl", fd);

    if (!linkPath.empty()) {
        // Made beside the link and renamed over it: the link never dangles,
        // not even when it moves from an older pair to this one.
        const std::string temporary = linkPath + ".new" + std::to_string(::getpid());
        ::unlink(temporary.c_str());
        if (::symlink(name, temporary.c_str()) != 0)
            return fail("symlink", fd);
        if (::rename(temporary.c_str(), linkPath.c_str()) != 0) {
            const int renameErrno = errno;
            ::unlink(temporary.c_str());
            errno = renameErrno;
            return fail("rename", fd);
        }
    }
    if (m_masterFd >= 0)
        ::close(m_masterFd);
    if (!m_linkPath.empty() && m_linkPath != linkPath)
        ::unlink(m_linkPath.c_str());
    m_masterFd = fd;
    m_ttyPath = name;
    m_linkPath = linkPath;
    return true;
}

long PseudoTerminal::write(const void* bytes, unsigned long length)
{
    return static_cast<long>(::write(m_masterFd, bytes, length));
}

long PseudoTerminal::read(void* bytes, unsigned long capacity)
{
    return static_cast<long>(::read(m_masterFd, bytes, capacity));
}

TransferResult PseudoTerminal::writeSome(const void* bytes, unsigned long length, unsigned long& count)
{
    return sortOut(write(bytes, length), count);
}

TransferResult PseudoTerminal::readSome(void* bytes, unsigned long capacity, unsigned long& count)
{
    return sortOut(read(bytes, capacity), count);
}

bool PseudoTerminal::waitReadable(int timeoutMs) const
{
    pollfd pfd{m_masterFd, POLLIN, 0};
    return ::poll(&pfd, 1, timeoutMs) > 0 && (pfd.revents & POLLIN) != 0;
}

bool PseudoTerminal::peerAttached() const
{
    if (m_masterFd < 0)
        return false;
    pollfd pfd{m_masterFd, POLLIN, 0};
    return ::poll(&pfd, 1, 0) >= 0 && (pfd.revents & POLLHUP) == 0;
}

void PseudoTerminal::close()
{
    if (!m_linkPath.empty()) {
        ::unlink(m_linkPath.c_str());
        m_linkPath.clear();
    }
    if (m_masterFd >= 0) {
        ::close(m_masterFd);
        m_masterFd = -1;
    }
    m_ttyPath.clear();
}

TerminalClient::~TerminalClient()
{
    close();
}

bool TerminalClient::open(const std::string& path)
{
    close();
    m_error.clear();
    m_fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_fd < 0 || !makeRaw(m_fd)) {
        m_error = path + ": " + std::strerror(errno);
        close();
        return false;
    }
    return true;
}

void TerminalClient::close()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

TransferResult TerminalClient::writeSome(const void* bytes, unsigned long length, unsigned long& count)
{
    return sortOut(static_cast<long>(::write(m_fd, bytes, length)), count);
}

TransferResult TerminalClient::readSome(void* bytes, unsigned long capacity, unsigned long& count)
{
    return sortOut(static_cast<long>(::read(m_fd, bytes, capacity)), count);
}

bool TerminalClient::waitReadable(int timeoutMs) const
{
    pollfd pfd{m_fd, POLLIN, 0};
    return ::poll(&pfd, 1, timeoutMs) > 0 && (pfd.revents & (POLLIN | POLLHUP)) != 0;
}

int installStopSignalPipe()
{
    if (stopPipe[0] >= 0)
        return stopPipe[0];
    if (::pipe2(stopPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return -1;
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signalNumber : {SIGINT, SIGTERM, SIGHUP})
        ::sigaction(signalNumber, &action, nullptr);
    ::signal(SIGPIPE, SIG_IGN);
    return stopPipe[0];
}

int takeStopSignal(int fd)
{
    unsigned char byte = 0;
    return ::read(fd, &byte, 1) == 1 ? byte : 0;
}

} // namespace platform
