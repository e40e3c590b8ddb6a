#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QList>
#include <QString>

#include <unistd.h>

// Threads of this process by name and their CPU time, from /proc (Linux).
namespace testsupport {

inline QList<int> threadIdsNamed(const QByteArray& name)
{
    QList<int> ids;
    const QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QString& entry : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile comm(tasks.filePath(entry) + QStringLiteral("/comm"));
        if (comm.open(QIODevice::ReadOnly) && comm.readAll().trimmed() == name)
            ids.append(entry.toInt());
    }
    return ids;
}

// User plus system CPU time of one thread in seconds, or -1 when it is gone.
inline double threadCpuSeconds(int threadId)
{
    QFile stat(QStringLiteral("/proc/self/task/%1/stat").arg(threadId));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray line = stat.readAll();
    // Fields after the name, which ends with the last ')': state is field 3,
    // utime and stime are fields 14 and 15.
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return -1;
    const double ticks = fields.at(11).toDouble() + fields.at(12).toDouble();
    return ticks / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

} // namespace testsupport
