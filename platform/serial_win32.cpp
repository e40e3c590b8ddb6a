#include "platform/serial.h"

#include <windows.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace platform {

namespace {

SerialError errorFromWin32(DWORD error)
{
    switch (error) {
    case ERROR_SUCCESS:
        return SerialError::None;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return SerialError::NotFound;
    case ERROR_SHARING_VIOLATION:
        return SerialError::Busy;
    case ERROR_INVALID_PARAMETER:
    case ERROR_NOT_SUPPORTED:
        return SerialError::InvalidSetting;
    case ERROR_ACCESS_DENIED:      // 5: the device went away under an open handle
    case ERROR_GEN_FAILURE:        // 31
    case ERROR_DEVICE_REMOVED:     // 1617
        return SerialError::DeviceGone;
    case ERROR_SEM_TIMEOUT:
    case WAIT_TIMEOUT:
        return SerialError::TimedOut;
    default:
        return SerialError::Other;
    }
}

SerialError lastWin32Error()
{
    return errorFromWin32(::GetLastError());
}

HANDLE asHandle(SerialHandle handle)
{
    return reinterpret_cast<HANDLE>(handle);
}

HANDLE newManualResetEvent()
{
    return ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
}

void closeEvent(HANDLE& event)
{
    if (event != nullptr) {
        ::CloseHandle(event);
        event = nullptr;
    }
}

bool applyLineSettings(HANDLE port, const SerialLineSettings& settings)
{
    if (settings.baudRate <= 0 || settings.parity < NOPARITY || settings.parity > SPACEPARITY)
        return false;
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    dcb.BaudRate = static_cast<DWORD>(settings.baudRate);
    dcb.fBinary = TRUE;
    dcb.fParity = FALSE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDtrControl = settings.dtrOn ? DTR_CONTROL_ENABLE : DTR_CONTROL_DISABLE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fTXContinueOnXoff = TRUE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fErrorChar = FALSE;
    dcb.fNull = FALSE;
    dcb.fRtsControl = settings.rtsOn ? RTS_CONTROL_ENABLE : RTS_CONTROL_DISABLE;
    dcb.fAbortOnError = FALSE;
    dcb.XonLim = 0;
    dcb.XoffLim = 0;
    dcb.ByteSize = 8;
    dcb.Parity = static_cast<BYTE>(settings.parity);
    dcb.StopBits = ONESTOPBIT;
    dcb.XonChar = 0;
    dcb.XoffChar = 0;
    dcb.ErrorChar = 0;
    dcb.EofChar = 0;
    dcb.EvtChar = 0;
    if (!::SetCommState(port, &dcb))
        return false;

    // A read returns at once with what is buffered, as soon as a first byte
    // arrives, or after 10 ms without data. No write time-out in the driver.
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.ReadTotalTimeoutMultiplier = MAXDWORD;
    timeouts.ReadTotalTimeoutConstant = 10;
    timeouts.WriteTotalTimeoutMultiplier = 0;
    timeouts.WriteTotalTimeoutConstant = 0;
    return ::SetCommTimeouts(port, &timeouts) != FALSE;
}

// An overlapped transfer's record and bytes. The driver may write both until
// the transfer completes, so they live apart from the caller's memory.
struct Transfer {
    OVERLAPPED overlapped{};
    std::vector<std::uint8_t> bytes;

    Transfer() = default;
    Transfer(const Transfer&) = delete;
    Transfer& operator=(const Transfer&) = delete;
    ~Transfer() { closeEvent(overlapped.hEvent); }

    // A fresh record for the next transfer, keeping its event.
    void restart(std::size_t size)
    {
        const HANDLE event = overlapped.hEvent;
        overlapped = OVERLAPPED{};
        overlapped.hEvent = event;
        bytes.resize(size);
    }
};

std::unique_ptr<Transfer> newTransfer()
{
    auto transfer = std::make_unique<Transfer>();
    transfer->overlapped.hEvent = newManualResetEvent();
    if (transfer->overlapped.hEvent == nullptr)
        return nullptr;
    return transfer;
}

// How long a cancelled transfer may take to come back from the driver.
constexpr DWORD kCancelWaitMs = 1000;

// Cancels a pending transfer and waits, within a bound, until the driver has
// let go of it. A driver that never completes it (a vanished device) keeps
// it: then the transfer is handed over for good, never freed, since the
// driver may still write into it; transfer is left empty and the result is
// false.
bool cancelTransfer(HANDLE port, std::unique_ptr<Transfer>& transfer)
{
    ::CancelIoEx(port, &transfer->overlapped);
    if (::WaitForSingleObject(transfer->overlapped.hEvent, kCancelWaitMs) == WAIT_OBJECT_0) {
        DWORD ignored = 0;
        ::GetOverlappedResult(port, &transfer->overlapped, &ignored, FALSE);
        return true;
    }
    static_cast<void>(transfer.release()); // deliberately kept alive for the driver
    return false;
}

} // namespace

struct SerialPort::Os {
    HANDLE port = INVALID_HANDLE_VALUE;
    std::unique_ptr<Transfer> write;
};

struct SerialReader::Os {
    HANDLE port = INVALID_HANDLE_VALUE;
    HANDLE stopEvent = nullptr;
    std::unique_ptr<Transfer> read;
};

void closeSerialHandle(SerialHandle handle)
{
    if (handle != InvalidSerialHandle)
        ::CloseHandle(asHandle(handle));
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
    HANDLE port = ::CreateFileA(devicePath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (port == INVALID_HANDLE_VALUE) {
        m_lastError = lastWin32Error();
        return false;
    }
    if (!applyLineSettings(port, settings)) {
        m_lastError = SerialError::InvalidSetting;
        ::CloseHandle(port);
        return false;
    }
    if (!m_os->write)
        m_os->write = newTransfer();
    if (!m_os->write) {
        m_lastError = lastWin32Error();
        ::CloseHandle(port);
        return false;
    }
    m_os->port = port;
    m_lastError = SerialError::None;
    return true;
}

bool SerialPort::isOpen() const
{
    return m_os->port != INVALID_HANDLE_VALUE;
}

SerialHandle SerialPort::handle() const
{
    return isOpen() ? reinterpret_cast<SerialHandle>(m_os->port) : InvalidSerialHandle;
}

SerialError SerialPort::write(const std::uint8_t* bytes, std::size_t length, int timeoutMs)
{
    if (!isOpen())
        return m_lastError = SerialError::NotFound;
    if (length > MAXDWORD)
        return m_lastError = SerialError::InvalidSetting;
    // A record left to the driver by an earlier write is replaced.
    if (!m_os->write)
        m_os->write = newTransfer();
    if (!m_os->write)
        return m_lastError = lastWin32Error();
    Transfer& transfer = *m_os->write;
    transfer.restart(length);
    std::copy(bytes, bytes + length, transfer.bytes.begin());
    DWORD written = 0;
    const DWORD wanted = static_cast<DWORD>(length);
    if (!::WriteFile(m_os->port, transfer.bytes.data(), wanted, &written, &transfer.overlapped)) {
        if (::GetLastError() != ERROR_IO_PENDING)
            return m_lastError = lastWin32Error();
        const DWORD wait = ::WaitForSingleObject(transfer.overlapped.hEvent,
                                                 timeoutMs < 0 ? INFINITE : static_cast<DWORD>(timeoutMs));
        if (wait != WAIT_OBJECT_0) {
            const SerialError error = wait == WAIT_TIMEOUT ? SerialError::TimedOut : lastWin32Error();
            // A write the driver never gives back: the device is gone.
            return m_lastError = cancelTransfer(m_os->port, m_os->write) ? error : SerialError::DeviceGone;
        }
        if (!::GetOverlappedResult(m_os->port, &transfer.overlapped, &written, FALSE))
            return m_lastError = lastWin32Error();
    }
    return m_lastError = written == wanted ? SerialError::None : SerialError::TimedOut;
}

SerialHandle SerialPort::release()
{
    // Every write has ended (completed, cancelled or left to the driver).
    m_os->write.reset();
    if (!isOpen())
        return InvalidSerialHandle;
    ::PurgeComm(m_os->port, PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR);
    const SerialHandle handle = reinterpret_cast<SerialHandle>(m_os->port);
    m_os->port = INVALID_HANDLE_VALUE;
    return handle;
}

void SerialPort::close()
{
    closeSerialHandle(release());
}

SerialReader::SerialReader(SerialHandle handle) : m_os(std::make_unique<Os>())
{
    m_os->port = handle == InvalidSerialHandle ? INVALID_HANDLE_VALUE : asHandle(handle);
    m_os->stopEvent = newManualResetEvent();
    m_os->read = newTransfer();
}

SerialReader::~SerialReader()
{
    closeEvent(m_os->stopEvent);
}

bool SerialReader::isValid() const
{
    return m_os->port != INVALID_HANDLE_VALUE && m_os->stopEvent != nullptr && m_os->read;
}

void SerialReader::requestStop()
{
    ::SetEvent(m_os->stopEvent);
}

void SerialReader::discardInput()
{
    ::PurgeComm(m_os->port, PURGE_RXCLEAR);
}

SerialLineStatus SerialReader::takeLineStatus()
{
    SerialLineStatus status;
    DWORD errors = 0;
    COMSTAT comStat{};
    if (!::ClearCommError(m_os->port, &errors, &comStat))
        return status;
    status.overrun = (errors & (CE_OVERRUN | CE_RXOVER)) != 0;
    status.framingOrParityErrors = (errors & (CE_FRAME | CE_RXPARITY)) != 0 ? 1U : 0U;
    if (status.overrun)
        status.queuedBytes = comStat.cbInQue;
    return status;
}

SerialReadResult SerialReader::read(std::uint8_t* buffer, std::size_t capacity)
{
    SerialReadResult result;
    if (::WaitForSingleObject(m_os->stopEvent, 0) == WAIT_OBJECT_0) {
        result.status = SerialReadResult::Stopped;
        return result;
    }
    // A read left to the driver at an earlier stop took the record with it.
    if (!m_os->read) {
        result.status = SerialReadResult::DeviceGone;
        result.error = SerialError::DeviceGone;
        return result;
    }
    DWORD count = 0;
    const DWORD wanted = capacity > MAXDWORD ? MAXDWORD : static_cast<DWORD>(capacity);
    Transfer& transfer = *m_os->read;
    transfer.restart(wanted);
    if (!::ReadFile(m_os->port, transfer.bytes.data(), wanted, &count, &transfer.overlapped)) {
        const DWORD error = ::GetLastError();
        if (error != ERROR_IO_PENDING) {
            result.error = errorFromWin32(error);
            if (result.error == SerialError::DeviceGone)
                result.status = SerialReadResult::DeviceGone;
            return result;
        }
        // Waiting for bytes has no limit by design; the stop ends it.
        const HANDLE waitFor[2] = {m_os->stopEvent, transfer.overlapped.hEvent};
        const DWORD wait = ::WaitForMultipleObjects(2, waitFor, FALSE, INFINITE);
        if (wait == WAIT_OBJECT_0) {
            ::PurgeComm(m_os->port, PURGE_RXABORT);
            result.status = SerialReadResult::Stopped;
            // The stop goes ahead either way; a read that never came back is reported.
            if (!cancelTransfer(m_os->port, m_os->read))
                result.error = SerialError::DeviceGone;
            return result;
        }
        if (wait != WAIT_OBJECT_0 + 1 || !::GetOverlappedResult(m_os->port, &transfer.overlapped, &count, FALSE)) {
            result.error = lastWin32Error();
            if (result.error == SerialError::None)
                result.error = SerialError::Other;
            return result;
        }
    }
    std::copy(transfer.bytes.begin(), transfer.bytes.begin() + count, buffer);
    result.status = SerialReadResult::Data;
    result.count = count;
    return result;
}

bool SerialReader::waitForStop(int timeoutMs)
{
    return ::WaitForSingleObject(m_os->stopEvent, timeoutMs < 0 ? INFINITE : static_cast<DWORD>(timeoutMs))
        == WAIT_OBJECT_0;
}

} // namespace platform
