#include "tools/waketimer.h"

#include <QSocketNotifier>

#include <sys/timerfd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>

namespace wrench {

WakeTimer::WakeTimer(QObject* parent)
    : QObject(parent)
    , m_fd(::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC))
{
    if (m_fd < 0)
        return;
    m_notifier = std::make_unique<QSocketNotifier>(m_fd, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &WakeTimer::expired);
}

WakeTimer::~WakeTimer()
{
    m_notifier.reset();
    if (m_fd >= 0)
        ::close(m_fd);
}

void WakeTimer::start(qint64 waitUs)
{
    // An all-zero time disarms the timer: wait at least a microsecond.
    arm(std::max<qint64>(waitUs, 1));
}

void WakeTimer::stop()
{
    arm(0);
}

void WakeTimer::arm(qint64 waitUs)
{
    if (m_fd < 0)
        return;
    itimerspec due{};
    due.it_value.tv_sec = static_cast<time_t>(waitUs / 1000000);
    due.it_value.tv_nsec = static_cast<long>(waitUs % 1000000 * 1000);
    ::timerfd_settime(m_fd, 0, &due, nullptr);
}

void WakeTimer::expired()
{
    std::uint64_t expirations = 0;
    if (::read(m_fd, &expirations, sizeof expirations) == static_cast<ssize_t>(sizeof expirations))
        emit timeout();
}

} // namespace wrench
