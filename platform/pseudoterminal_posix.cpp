#include "platform/pseudoterminal.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace platform {

PseudoTerminal::~PseudoTerminal()
{
    close();
}

bool PseudoTerminal::fail(const char* what)
{
    m_error = std::string(what) + ": " + std::strerror(errno);
    close();
    return false;
}

bool PseudoTerminal::open(const std::string& linkPath)
{
    close();
    m_error.clear();
    m_masterFd = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_masterFd < 0)
        return fail("posix_openpt");
    if (::grantpt(m_masterFd) != 0 || ::unlockpt(m_masterFd) != 0)
        return fail("unlockpt");
    char name[128] = {};
    if (::ptsname_r(m_masterFd, name, sizeof name) != 0)
        return fail("ptsname_r");
    m_ttyPath = name;

    // Raw on the far end as well, so that no byte is translated or echoed.
    termios tio{};
    if (::tcgetattr(m_masterFd, &tio) == 0) {
        ::cfmakeraw(&tio);
        ::tcsetattr(m_masterFd, TCSANOW, &tio);
    }
    const int flags = ::fcntl(m_masterFd, F_GETFL);
    if (flags < 0 || ::fcntl(m_masterFd, F_SETFL, flags | O_NONBLOCK) != 0)
        return fail("fcntl");

    if (!linkPath.empty()) {
        ::unlink(linkPath.c_str());
        if (::symlink(m_ttyPath.c_str(), linkPath.c_str()) != 0)
            return fail("symlink");
        m_linkPath = linkPath;
    }
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

bool PseudoTerminal::waitReadable(int timeoutMs) const
{
    pollfd pfd{m_masterFd, POLLIN, 0};
    return ::poll(&pfd, 1, timeoutMs) > 0 && (pfd.revents & POLLIN) != 0;
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

} // namespace platform
