#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

// Serial ports: a device path opened with fixed line settings, a bounded
// write, and a reader for the receive thread that waits for bytes or for a
// stop request. Every OS error is mapped to a SerialError in one place per
// system.
namespace platform {

enum class SerialError {
    None,
    NotFound,       // no such device
    AccessDenied,
    Busy,           // held by another program
    InvalidSetting, // line setting or baud rate refused, or not a serial device
    DeviceGone,     // unplugged or hung up
    TimedOut,
    Other,
};
const char* serialErrorText(SerialError error);

struct SerialLineSettings {
    int baudRate = 115200;
    int parity = 0; // 0 none, 1 odd, 2 even, 3 mark, 4 space (Win32 numbering)
    bool dtrOn = true;
    bool rtsOn = true;
};

// The OS handle of an open port: a file descriptor or a Win32 HANDLE.
using SerialHandle = std::intptr_t;
constexpr SerialHandle InvalidSerialHandle = -1;

// Releases a handle that SerialPort::release() gave away. May block in the
// driver when the device has vanished; callers run it on a thread of their own.
void closeSerialHandle(SerialHandle handle);

class SerialPort {
public:
    SerialPort();
    ~SerialPort(); // discards pending output and closes directly
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // Takes exclusive use of the device, 8 data bits, 1 stop bit, no flow
    // control, raw bytes. False (nothing kept) on failure; see lastError().
    bool open(const std::string& devicePath, const SerialLineSettings& settings);
    bool isOpen() const;
    SerialHandle handle() const;
    SerialError lastError() const { return m_lastError; }
    // Whether the driver of the open port agreed to pass on received bytes at
    // once (Linux USB adapters); a refusal does not fail the open.
    bool hasLowLatency() const { return m_lowLatency; }

    // Writes every byte, waiting at most timeoutMs in total (-1: no limit).
    SerialError write(const std::uint8_t* bytes, std::size_t length, int timeoutMs);

    // Discards the driver's buffers in both directions and hands the handle
    // over for closing (closeSerialHandle); the port is closed afterwards.
    SerialHandle release();
    void close();

private:
    struct Os;
    std::unique_ptr<Os> m_os;
    SerialError m_lastError = SerialError::None;
    bool m_lowLatency = false;
};

// Line errors since the previous query, where the driver reports them.
struct SerialLineStatus {
    bool overrun = false;
    std::uint32_t framingOrParityErrors = 0;
    std::size_t queuedBytes = 0; // input waiting in the driver at the query
};

struct SerialReadResult {
    enum Status { Data, Stopped, DeviceGone, Failed };
    Status status = Failed;
    std::size_t count = 0; // bytes read (Data only; may be 0)
    SerialError error = SerialError::None;
};

// The receive side of an open port, used by one thread. The stop request may
// come from any thread and stays set: every later wait ends at once.
class SerialReader {
public:
    explicit SerialReader(SerialHandle handle);
    ~SerialReader();
    SerialReader(const SerialReader&) = delete;
    SerialReader& operator=(const SerialReader&) = delete;

    bool isValid() const;
    void requestStop();
    // Drops what arrived before reception began.
    void discardInput();
    SerialLineStatus takeLineStatus();
    // Waits without limit until bytes arrive (at most capacity are read), the
    // stop is requested, or the read fails.
    SerialReadResult read(std::uint8_t* buffer, std::size_t capacity);
    // Waits up to timeoutMs (-1: no limit); true when the stop was requested.
    bool waitForStop(int timeoutMs);

private:
    struct Os;
    std::unique_ptr<Os> m_os;
};

} // namespace platform
