#include "platform/serial.h"

namespace platform {

const char* serialErrorText(SerialError error)
{
    switch (error) {
    case SerialError::None:
        return "no error";
    case SerialError::NotFound:
        return "device not found";
    case SerialError::AccessDenied:
        return "access denied";
    case SerialError::Busy:
        return "device in use";
    case SerialError::InvalidSetting:
        return "line settings refused";
    case SerialError::DeviceGone:
        return "device gone";
    case SerialError::TimedOut:
        return "timed out";
    case SerialError::Other:
        break;
    }
    return "serial port error";
}

} // namespace platform
