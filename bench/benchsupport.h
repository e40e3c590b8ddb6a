#pragma once

// What the benchmark programs share: their options, the process's peak
// memory and the offscreen platform where no display is asked for.
#include <QByteArray>
#include <QFile>
#include <QStringList>

namespace bench {

// The word after "--name" among the arguments, else "".
inline QString optionText(const QStringList& arguments, const QString& name)
{
    const qsizetype at = arguments.indexOf(name);
    return at >= 0 && at + 1 < arguments.size() ? arguments.at(at + 1) : QString();
}

// "--name N" among the arguments, else fallback.
inline int option(const QStringList& arguments, const QString& name, int fallback)
{
    const QString text = optionText(arguments, name);
    return text.isEmpty() ? fallback : text.toInt();
}

// "VmHWM" of /proc/self/status in MB; 0 where there is none.
inline double peakMegabytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return 0;
}

// Before the application object: no window needs a display unless the
// caller chose a platform.
inline void preferOffscreen()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

} // namespace bench
