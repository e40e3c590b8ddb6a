#include "platform/portwatch.h"

#include <windows.h>

namespace platform {

namespace {

// After a failure the notification is armed again at this pace, never in a spin.
constexpr DWORD kRetryMs = 500;

} // namespace

struct PortListWatcher::State {
    HANDLE stopEvent = nullptr;
    HANDLE changeEvent = nullptr;
    HKEY key = nullptr;
    bool armed = false;
    // Set while changes may have gone unseen (the key could not be watched:
    // it appears with the first serial port); the next arming reports one.
    bool missedChanges = false;

    ~State()
    {
        closeKey();
        if (changeEvent != nullptr)
            CloseHandle(changeEvent);
        if (stopEvent != nullptr)
            CloseHandle(stopEvent);
    }

    bool arm();
    void closeKey();
    bool waitForStop(DWORD timeoutMs) const;
};

// One notification per arming. It is not tied to the arming thread, so the
// constructor may arm it on its own thread.
bool PortListWatcher::State::arm()
{
    if (key == nullptr
        && RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_NOTIFY, &key)
            != ERROR_SUCCESS) {
        key = nullptr;
        return false;
    }
    if (RegNotifyChangeKeyValue(key, TRUE, REG_NOTIFY_CHANGE_LAST_SET | REG_NOTIFY_THREAD_AGNOSTIC,
                                changeEvent, TRUE)
        != ERROR_SUCCESS) {
        closeKey();
        return false;
    }
    armed = true;
    return true;
}

void PortListWatcher::State::closeKey()
{
    if (key != nullptr)
        RegCloseKey(key);
    key = nullptr;
    armed = false;
}

// True when stopped within the time, or when the stop event cannot be waited
// for (which would otherwise turn the retry into a spin).
bool PortListWatcher::State::waitForStop(DWORD timeoutMs) const
{
    return WaitForSingleObject(stopEvent, timeoutMs) != WAIT_TIMEOUT;
}

PortListWatcher::PortListWatcher()
    : m_state(std::make_unique<State>())
{
    m_state->stopEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    m_state->changeEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (m_state->changeEvent != nullptr)
        m_state->missedChanges = !m_state->arm();
}

PortListWatcher::~PortListWatcher() = default;

bool PortListWatcher::waitForChange()
{
    State& state = *m_state;
    if (state.stopEvent == nullptr || state.changeEvent == nullptr)
        return false;
    for (;;) {
        if (!state.armed) {
            if (!state.arm()) {
                state.missedChanges = true;
                if (state.waitForStop(kRetryMs))
                    return false;
                continue;
            }
            if (state.missedChanges) {
                state.missedChanges = false;
                return true;
            }
        }
        const HANDLE handles[2] = {state.stopEvent, state.changeEvent};
        const DWORD result = WaitForMultipleObjects(2, handles, FALSE, INFINITE);
        if (result == WAIT_OBJECT_0 + 1) {
            ResetEvent(state.changeEvent);
            // Armed again before the caller reads the list.
            state.armed = false;
            state.missedChanges = !state.arm();
            return true;
        }
        if (result == WAIT_OBJECT_0 || state.waitForStop(kRetryMs))
            return false;
    }
}

void PortListWatcher::stop()
{
    if (m_state->stopEvent != nullptr)
        SetEvent(m_state->stopEvent);
}

} // namespace platform
