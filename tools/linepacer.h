#pragma once

#include <QtGlobal>

namespace wrench {

// Holds bytes back as a serial line of the given baud rate would: ten bit
// times per byte (start, eight data bits, stop), each byte handed on when its
// last bit has gone out. A baud rate of 0 means no throttling. Times in
// microseconds on the caller's clock.
class LinePacer {
public:
    explicit LinePacer(int baud = 0) { setBaud(baud); }

    void setBaud(int baud);
    int baud() const { return m_baud; }

    // Puts bytes on the line at `now`, behind what is still going out;
    // returns the time at which the last of them will have left.
    qint64 enqueue(int bytes, qint64 now);
    // How many queued bytes have left the line by `now`; they are taken off
    // the queue.
    int release(qint64 now);
    // When release() next has bytes to hand on: a millisecond's worth after
    // the next queued byte has left, or when the last one has, whichever
    // comes first (-1 when none is queued).
    qint64 nextReleaseUs() const;
    int pending() const { return m_pending; }
    void clear() { m_pending = 0; }

private:
    int m_baud = 0;
    qint64 m_byteNs = 0;
    qint64 m_busyUntilNs = 0; // when the last queued byte has left
    int m_pending = 0;
};

} // namespace wrench
