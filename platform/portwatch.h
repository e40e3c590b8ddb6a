#pragma once

#include <memory>

// Tells a waiting thread that the system's list of serial ports may have
// changed. Watching begins at construction, so that a change right after it
// is not missed; the caller then reads the whole list again.
namespace platform {

class PortListWatcher {
public:
    PortListWatcher();
    ~PortListWatcher();
    PortListWatcher(const PortListWatcher&) = delete;
    PortListWatcher& operator=(const PortListWatcher&) = delete;

    // Blocks until the list may have changed (true) or stop() was called
    // (false). One waiting thread at a time. A burst of changes may be reported
    // once or several times.
    bool waitForChange();

    // From any thread: ends the current wait and every later one.
    void stop();

private:
    struct State;
    std::unique_ptr<State> m_state;
};

} // namespace platform
