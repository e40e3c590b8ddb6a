#include "platform/serial.h"
#include "platform/serial_posix.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#ifdef __linux__
#include <linux/serial.h>
#endif
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace platform {

namespace {

SerialError errorFromErrno(int error)
{
    switch (error) {
    case 0:
        return SerialError::None;
    case ENOENT:
    case ENOTDIR:
        return SerialError::NotFound;
    case EACCES:
    case EPERM:
        return SerialError::AccessDenied;
    case EBUSY:
        return SerialError::Busy;
    case EINVAL:
    case ENOTTY:
        return SerialError::InvalidSetting;
    case EIO:
    case ENXIO:
    case ENODEV:
    case EPIPE:
        return SerialError::DeviceGone;
    case ETIMEDOUT:
        return SerialError::TimedOut;
    default:
        return SerialError::Other;
    }
}

SerialError lastErrno()
{
    return errorFromErrno(errno);
}

bool speedForBaudRate(int baudRate, speed_t* speed)
{
    struct Rate {
        int baud;
        speed_t speed;
    };
    static constexpr Rate rates[] = {
        {50, B50},         {75, B75},           {110, B110},         {134, B134},
        {150, B150},       {200, B200},         {300, B300},         {600, B600},
        {1200, B1200},     {1800, B1800},       {2400, B2400},       {4800, B4800},
        {9600, B9600},     {19200, B19200},     {38400, B38400},     {57600, B57600},
        {115200, B115200}, {230400, B230400},   {460800, B460800},   {500000, B500000},
        {576000, B576000}, {921600, B921600},   {1000000, B1000000}, {1152000, B1152000},
        {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000},
        {3500000, B3500000}, {4000000, B4000000},
    };
    for (const Rate& rate : rates) {
        if (rate.baud == baudRate) {
            *speed = rate.speed;
            return true;
        }
    }
    return false;
}

bool parityFlags(int parity, tcflag_t* flags)
{
    switch (parity) {
    case 0:
        *flags = 0;
        return true;
    case 1:
        *flags = PARENB | PARODD;
        return true;
    case 2:
        *flags = PARENB;
        return true;
    case 3:
        *flags = PARENB | PARODD | CMSPAR;
        return true;
    case 4:
        *flags = PARENB | CMSPAR;
        return true;
    default:
        return false;
    }
}

SerialError applyLineSettings(int fd, const SerialLineSettings& settings)
{
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0)
        return lastErrno();
    if (!makeLineTermios(settings, tio))
        return SerialError::InvalidSetting;
    if (::tcsetattr(fd, TCSANOW, &tio) != 0)
        return lastErrno();
    return SerialError::None;
}

// A pseudo-terminal has no modem lines and answers ENOTTY; that is no error.
SerialError setModemLine(int fd, int line, bool on)
{
    if (::ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &line) == 0 || errno == ENOTTY)
        return SerialError::None;
    return lastErrno();
}

int remainingMs(std::chrono::steady_clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// A write that returned has handed its bytes over, as a completed write does
// on Windows; the last frames before a close (the goodbye) must still go out.
// True when the driver's output queue emptied within the time.
bool outputDrained(int fd, int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        int queued = 0;
        if (::ioctl(fd, TIOCOUTQ, &queued) != 0 || queued <= 0)
            return true;
        if (remainingMs(deadline) == 0)
            return false;
        ::poll(nullptr, 0, 1);
    }
}

constexpr int kCloseDrainMs = 50;

// A USB serial adapter holds received bytes back until its latency timer runs
// out (16 ms by default), and every block's acknowledge turn would wait for
// it. Drivers that refuse (pseudo-terminals, many built-in UARTs) keep their
// way; the flag is read back, since some accept the call and ignore it.
bool requestLowLatency(int fd)
{
#ifdef __linux__
    constexpr int lowLatency = static_cast<int>(ASYNC_LOW_LATENCY);
    serial_struct serial{};
    if (::ioctl(fd, TIOCGSERIAL, &serial) != 0)
        return false;
    if ((serial.flags & lowLatency) == 0) {
        serial.flags |= lowLatency;
        if (::ioctl(fd, TIOCSSERIAL, &serial) != 0 || ::ioctl(fd, TIOCGSERIAL, &serial) != 0)
            return false;
    }
    return (serial.flags & lowLatency) != 0;
#else
    (void)fd;
    return false;
#endif
}

} // namespace

struct SerialPort::Os {
    int fd = -1;
};

struct SerialReader::Os {
    int fd = -1;
    int stopFd = -1;
    bool countersSupported = true;
    serial_icounter_struct counters{};
};

void closeSerialHandle(SerialHandle handle)
{
    if (handle != InvalidSerialHandle)
        ::close(static_cast<int>(handle));
}

SerialPort::SerialPort() : m_os(std::make_unique<Os>()) {}

SerialPort::~SerialPort()
{
    close();
}

bool SerialPort::open(const std::string& devicePath, const SerialLineSettings& settings)
{
    if (isOpen()) {
        m_lastError = SerialError::Busy;
        return false;
    }
    const int fd = ::open(devicePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        m_lastError = lastErrno();
        return false;
    }
    // Two programs never share a port, as on Windows: the advisory lock holds
    // for every user, exclusive use keeps out those that take no lock.
    SerialError error = SerialError::None;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
        error = errno == EWOULDBLOCK ? SerialError::Busy : lastErrno();
    const bool exclusive = error == SerialError::None && ::ioctl(fd, TIOCEXCL) == 0;
    if (error == SerialError::None && !exclusive)
        error = lastErrno();
    if (error == SerialError::None)
        error = applyLineSettings(fd, settings);
    if (error == SerialError::None)
        error = setModemLine(fd, TIOCM_DTR, settings.dtrOn);
    if (error == SerialError::None)
        error = setModemLine(fd, TIOCM_RTS, settings.rtsOn);
    if (error != SerialError::None) {
        // The flag outlives this descriptor on a pseudo-terminal whose far
        // end stays open, and would refuse every later open.
        if (exclusive)
            ::ioctl(fd, TIOCNXCL);
        ::close(fd);
        m_lastError = error;
        return false;
    }
    m_os->fd = fd;
    m_lowLatency = requestLowLatency(fd);
    m_lastError = SerialError::None;
    return true;
}

bool SerialPort::isOpen() const
{
    return m_os->fd >= 0;
}

SerialHandle SerialPort::handle() const
{
    return isOpen() ? SerialHandle{m_os->fd} : InvalidSerialHandle;
}

SerialError SerialPort::write(const std::uint8_t* bytes, std::size_t length, int timeoutMs)
{
    if (!isOpen())
        return m_lastError = SerialError::NotFound;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    std::size_t done = 0;
    while (done < length) {
        const ssize_t written = ::write(m_os->fd, bytes + done, length - done);
        if (written > 0) {
            done += static_cast<std::size_t>(written);
            continue;
        }
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0 && errno != EAGAIN)
            return m_lastError = lastErrno();
        pollfd pfd{m_os->fd, POLLOUT, 0};
        const int ready = ::poll(&pfd, 1, timeoutMs < 0 ? -1 : remainingMs(deadline));
        if (ready < 0 && errno != EINTR)
            return m_lastError = lastErrno();
        if (ready == 0)
            return m_lastError = SerialError::TimedOut;
        if ((pfd.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0)
            return m_lastError = SerialError::DeviceGone;
    }
    return m_lastError = SerialError::None;
}

SerialHandle SerialPort::release()
{
    if (!isOpen())
        return InvalidSerialHandle;
    // Output that has not left after a short wait is discarded, so that the
    // close never waits for it to drain; a pseudo-terminal's far end keeps
    // what it has not read yet. Exclusive use ends here: a pseudo-terminal
    // keeps the flag across closes while its far end stays open, which would
    // refuse a reopen.
    ::tcflush(m_os->fd, outputDrained(m_os->fd, kCloseDrainMs) ? TCIFLUSH : TCIOFLUSH);
    ::ioctl(m_os->fd, TIOCNXCL);
    const SerialHandle handle{m_os->fd};
    m_os->fd = -1;
    m_lowLatency = false;
    return handle;
}

void SerialPort::close()
{
    closeSerialHandle(release());
}

SerialReader::SerialReader(SerialHandle handle) : m_os(std::make_unique<Os>())
{
    m_os->fd = static_cast<int>(handle);
    m_os->stopFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    // Drivers without interrupt counters (pseudo-terminals, many USB adapters)
    // report no line errors at all.
    m_os->countersSupported = ::ioctl(m_os->fd, TIOCGICOUNT, &m_os->counters) == 0;
}

SerialReader::~SerialReader()
{
    if (m_os->stopFd >= 0)
        ::close(m_os->stopFd);
}

bool SerialReader::isValid() const
{
    return m_os->fd >= 0 && m_os->stopFd >= 0;
}

void SerialReader::requestStop()
{
    const std::uint64_t one = 1;
    while (::write(m_os->stopFd, &one, sizeof one) < 0 && errno == EINTR) {
    }
}

void SerialReader::discardInput()
{
    ::tcflush(m_os->fd, TCIFLUSH);
}

SerialLineStatus SerialReader::takeLineStatus()
{
    SerialLineStatus status;
    if (!m_os->countersSupported)
        return status;
    serial_icounter_struct now{};
    if (::ioctl(m_os->fd, TIOCGICOUNT, &now) != 0)
        return status;
    const serial_icounter_struct& before = m_os->counters;
    status.overrun = now.overrun != before.overrun || now.buf_overrun != before.buf_overrun;
    status.framingOrParityErrors =
        static_cast<std::uint32_t>((now.frame - before.frame) + (now.parity - before.parity));
    m_os->counters = now;
    int queued = 0;
    if (status.overrun && ::ioctl(m_os->fd, FIONREAD, &queued) == 0 && queued > 0)
        status.queuedBytes = static_cast<std::size_t>(queued);
    return status;
}

SerialReadResult SerialReader::read(std::uint8_t* buffer, std::size_t capacity)
{
    SerialReadResult result;
    for (;;) {
        pollfd fds[2] = {{m_os->fd, POLLIN, 0}, {m_os->stopFd, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            result.error = lastErrno();
            return result;
        }
        if (fds[1].revents != 0) {
            result.status = SerialReadResult::Stopped;
            return result;
        }
        const bool hungUp = (fds[0].revents & (POLLHUP | POLLERR)) != 0;
        if ((fds[0].revents & POLLNVAL) != 0) {
            result.error = SerialError::Other;
            return result;
        }
        const ssize_t count = ::read(m_os->fd, buffer, capacity);
        if (count > 0) {
            result.status = SerialReadResult::Data;
            result.count = static_cast<std::size_t>(count);
            return result;
        }
        const int error = count < 0 ? errno : 0;
        if (error == EINTR || (error == EAGAIN && !hungUp))
            continue;
        result.error = hungUp ? SerialError::DeviceGone : errorFromErrno(error);
        if (result.error == SerialError::None)
            result.error = SerialError::Other; // readable but nothing to read
        if (result.error == SerialError::DeviceGone)
            result.status = SerialReadResult::DeviceGone;
        return result;
    }
}

bool SerialReader::waitForStop(int timeoutMs)
{
    pollfd pfd{m_os->stopFd, POLLIN, 0};
    int ready = 0;
    while ((ready = ::poll(&pfd, 1, timeoutMs)) < 0 && errno == EINTR) {
    }
    return ready > 0;
}

bool makeLineTermios(const SerialLineSettings& settings, termios& tio)
{
    speed_t speed = B0;
    tcflag_t parity = 0;
    if (!speedForBaudRate(settings.baudRate, &speed) || !parityFlags(settings.parity, &parity))
        return false;
    ::cfmakeraw(&tio);
    tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY | INPCK | IGNPAR | PARMRK);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | CSTOPB | PARENB | PARODD | CMSPAR | CRTSCTS);
    tio.c_cflag |= CS8 | CLOCAL | CREAD | parity;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    return ::cfsetispeed(&tio, speed) == 0 && ::cfsetospeed(&tio, speed) == 0;
}

} // namespace platform
