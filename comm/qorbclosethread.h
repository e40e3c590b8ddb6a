#pragma once

#include "platform/serial.h"

#include <QThread>

#include <atomic>

// Closes one serial handle on a thread of its own: closing a port whose
// device has vanished can block in the driver, and the GUI must not wait for
// that longer than it chooses to.
class QorbCloseThread : public QThread {
    Q_OBJECT
public:
    using CloseFunction = void (*)(platform::SerialHandle);

    explicit QorbCloseThread(platform::SerialHandle handle,
                             CloseFunction closeFunction = platform::closeSerialHandle);
    ~QorbCloseThread() override;

    // Closes handle and waits up to waitMs. False when the close has not
    // finished by then: the thread is left to finish on its own (cancelling
    // a thread stuck in the driver is unsafe) and is deleted by a later call
    // once it has finished. GUI thread only.
    static bool closeWithin(platform::SerialHandle handle, int waitMs,
                            CloseFunction closeFunction = platform::closeSerialHandle);

protected:
    void run() override;

private:
    platform::SerialHandle m_handle;
    CloseFunction m_close;
    // Released when the close is done, acquired before the object goes: the
    // thread's end is otherwise synchronised only inside Qt (a futex-based
    // mutex that ThreadSanitizer cannot see).
    std::atomic<bool> m_closed{false};
};
