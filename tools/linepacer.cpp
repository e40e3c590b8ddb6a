#include "tools/linepacer.h"

#include <algorithm>

namespace wrench {

namespace {

constexpr qint64 BitsPerByte = 10;
constexpr qint64 NsPerSecond = 1000000000;
// Bytes are handed on in slices of a millisecond, as a USB serial adapter
// passes them in its 1 ms frames; the last queued byte as soon as it has left.
constexpr qint64 HandOnIntervalNs = 1000000;

qint64 nsToUsRoundedUp(qint64 ns)
{
    return (ns + 999) / 1000;
}

} // namespace

void LinePacer::setBaud(int baud)
{
    m_baud = std::max(baud, 0);
    m_byteNs = m_baud > 0 ? BitsPerByte * NsPerSecond / m_baud : 0;
}

qint64 LinePacer::enqueue(int bytes, qint64 now)
{
    const qint64 nowNs = now * 1000;
    if (m_byteNs == 0) {
        m_pending += bytes;
        return now;
    }
    const qint64 startNs = m_pending > 0 ? std::max(m_busyUntilNs, nowNs) : nowNs;
    m_busyUntilNs = startNs + bytes * m_byteNs;
    m_pending += bytes;
    return nsToUsRoundedUp(m_busyUntilNs);
}

int LinePacer::release(qint64 now)
{
    int released = m_pending;
    if (m_byteNs > 0) {
        // Byte k of n (1-based) has left at busyUntil - (n - k) byte times.
        const qint64 remainingNs = m_busyUntilNs - now * 1000;
        const qint64 stillOnLine = remainingNs <= 0 ? 0 : (remainingNs + m_byteNs - 1) / m_byteNs;
        released = m_pending - static_cast<int>(std::min<qint64>(stillOnLine, m_pending));
    }
    m_pending -= released;
    return released;
}

qint64 LinePacer::nextReleaseUs() const
{
    if (m_pending == 0)
        return -1;
    if (m_byteNs == 0)
        return 0;
    const qint64 nextByteNs = m_busyUntilNs - qint64{m_pending - 1} * m_byteNs;
    return nsToUsRoundedUp(std::min(m_busyUntilNs, nextByteNs + HandOnIntervalNs));
}

} // namespace wrench
