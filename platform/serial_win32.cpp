#include "platform/serial.h"

#include <windows.h>

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

// Cancels an overlapped transfer and waits until the driver has let go of
// its record, which lives in our object.
void cancelTransfer(HANDLE port, OVERLAPPED* overlapped)
{
    DWORD ignored = 0;
    ::CancelIo(port);
    ::GetOverlappedResult(port, overlapped, &ignored, TRUE);
}

} // namespace

struct SerialPort::Os {
    HANDLE port = INVALID_HANDLE_VALUE;
    HANDLE writeEvent = nullptr;
};

struct SerialReader::Os {
    HANDLE port = INVALID_HANDLE_VALUE;
    HANDLE stopEvent = nullptr;
    OVERLAPPED overlapped{};
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
    if (m_os->writeEvent == nullptr)
        m_os->writeEvent = newManualResetEvent();
    if (m_os->writeEvent == nullptr) {
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
    if (!isOpen() || m_os->writeEvent == nullptr)
        return m_lastError = SerialError::NotFound;
    if (length > MAXDWORD)
        return m_lastError = SerialError::InvalidSetting;
    OVERLAPPED overlapped{};
    overlapped.hEvent = m_os->writeEvent;
    DWORD written = 0;
    const DWORD wanted = static_cast<DWORD>(length);
    if (!::WriteFile(m_os->port, bytes, wanted, &written, &overlapped)) {
        if (::GetLastError() != ERROR_IO_PENDING)
            return m_lastError = lastWin32Error();
        const DWORD wait = ::WaitForSingleObject(m_os->writeEvent,
                                                 timeoutMs < 0 ? INFINITE : static_cast<DWORD>(timeoutMs));
        if (wait != WAIT_OBJECT_0) {
            cancelTransfer(m_os->port, &overlapped);
            return m_lastError = wait == WAIT_TIMEOUT ? SerialError::TimedOut : lastWin32Error();
        }
        if (!::GetOverlappedResult(m_os->port, &overlapped, &written, FALSE))
            return m_lastError = lastWin32Error();
    }
    return m_lastError = written == wanted ? SerialError::None : SerialError::TimedOut;
}

SerialHandle SerialPort::release()
{
    closeEvent(m_os->writeEvent);
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
    m_os->overlapped.hEvent = newManualResetEvent();
}

SerialReader::~SerialReader()
{
    closeEvent(m_os->stopEvent);
    closeEvent(m_os->overlapped.hEvent);
}

bool SerialReader::isValid() const
{
    return m_os->port != INVALID_HANDLE_VALUE && m_os->stopEvent != nullptr
        && m_os->overlapped.hEvent != nullptr;
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
    DWORD count = 0;
    const DWORD wanted = capacity > MAXDWORD ? MAXDWORD : static_cast<DWORD>(capacity);
    if (!::ReadFile(m_os->port, buffer, wanted, &count, &m_os->overlapped)) {
        const DWORD error = ::GetLastError();
        if (error != ERROR_IO_PENDING) {
            result.error = errorFromWin32(error);
            if (result.error == SerialError::DeviceGone)
                result.status = SerialReadResult::DeviceGone;
            return result;
        }
        const HANDLE waitFor[2] = {m_os->stopEvent, m_os->overlapped.hEvent};
        const DWORD wait = ::WaitForMultipleObjects(2, waitFor, FALSE, INFINITE);
        if (wait == WAIT_OBJECT_0) {
            // Abort the pending read before our record goes out of use.
            ::PurgeComm(m_os->port, PURGE_RXABORT);
            cancelTransfer(m_os->port, &m_os->overlapped);
            result.status = SerialReadResult::Stopped;
            return result;
        }
        if (wait != WAIT_OBJECT_0 + 1 || !::GetOverlappedResult(m_os->port, &m_os->overlapped, &count, FALSE)) {
            result.error = lastWin32Error();
            if (result.error == SerialError::None)
                result.error = SerialError::Other;
            return result;
        }
    }
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
