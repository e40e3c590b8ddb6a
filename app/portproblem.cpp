#include "app/portproblem.h"

#include <QCoreApplication>

QString portProblemText(platform::SerialError error)
{
    switch (error) {
    case platform::SerialError::AccessDenied:
#ifdef Q_OS_WIN
        return QCoreApplication::translate("PortProblem", "This account may not use the port.");
#else
        return QCoreApplication::translate(
            "PortProblem", "This account may not use the port: add it to the port's group (usually dialout) and "
                           "log in again, or install the tool's udev rule (70-tolvo-wrench.rules).");
#endif
    case platform::SerialError::Busy:
        return QCoreApplication::translate("PortProblem",
                                           "Another program is using the port: close it and connect again.");
    case platform::SerialError::NotFound:
    case platform::SerialError::DeviceGone:
        return QCoreApplication::translate("PortProblem",
                                           "The port is not there: plug the wrench in, or choose its port in Setup.");
    case platform::SerialError::InvalidSetting:
        return QCoreApplication::translate("PortProblem", "The port refuses the line settings, or is no serial "
                                                          "port: check the port and the baud rate in Setup.");
    case platform::SerialError::None:
    case platform::SerialError::TimedOut:
    case platform::SerialError::Other:
        break;
    }
    return QString();
}
