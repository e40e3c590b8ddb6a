#pragma once

#include "platform/ports.h"
#include "platform/profile.h"
#include "platform/pseudoterminal.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QString>
#include <QThread>

#include <cerrno>

// The far end of a pseudo-terminal that the tool opens as a serial port.
namespace testsupport {

// Writes every byte, waiting while the line is full; false when the far end
// cannot take them within timeoutMs.
inline bool writeAll(platform::PseudoTerminal& pty, const QByteArray& bytes, int timeoutMs = 5000)
{
    QDeadlineTimer deadline(timeoutMs);
    qsizetype done = 0;
    while (done < bytes.size()) {
        const long written = pty.write(bytes.constData() + done, static_cast<unsigned long>(bytes.size() - done));
        if (written > 0) {
            done += written;
            continue;
        }
        if ((written < 0 && errno != EAGAIN && errno != EINTR) || deadline.hasExpired())
            return false;
        QThread::usleep(200); // the line is full: let the reader drain it
    }
    return true;
}

// Reads until at least count bytes arrived or timeoutMs passed.
inline QByteArray readAtLeast(platform::PseudoTerminal& pty, qsizetype count, int timeoutMs = 5000)
{
    QDeadlineTimer deadline(timeoutMs);
    QByteArray bytes;
    char buffer[256];
    while (bytes.size() < count && pty.waitReadable(static_cast<int>(deadline.remainingTime()))) {
        const long got = pty.read(buffer, sizeof buffer);
        if (got <= 0)
            break;
        bytes.append(buffer, got);
    }
    return bytes;
}

// Maps COMn to path in the settings file's "PORTS" section and makes that
// file the one the port layer reads.
inline bool mapComPort(const QString& settingsFile, int portNumber, const std::string& path)
{
    const std::string file = settingsFile.toStdString();
    if (!platform::writeProfileString(file, "PORTS", "COM" + std::to_string(portNumber), path))
        return false;
    platform::setPortMappingFile(file);
    return true;
}

} // namespace testsupport
