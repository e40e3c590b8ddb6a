#include "params/qorbcrc32.h"

#include "params/crc32.h"

#include <QFile>
#include <QSaveFile>

namespace {

constexpr qsizetype chunkSize = 64 * 1024;

qsizetype commentLength(const QString& prefix, const QString& suffix)
{
    return prefix.toLatin1().size() + 10 + suffix.toLatin1().size();
}

QByteArray checksumComment(const QString& prefix, quint32 crc, const QString& suffix)
{
    return prefix.toLatin1() + QString::asprintf("0x%08x", crc).toLatin1() + suffix.toLatin1();
}

// The CRC of the next count bytes of the file (fewer when it ends before).
quint32 crcOf(QFile& file, qint64 count)
{
    quint32 crc = crc32::InitialValue;
    QByteArray chunk;
    while (count > 0) {
        chunk = file.read(qMin<qint64>(count, chunkSize));
        if (chunk.isEmpty())
            break;
        crc = crc32::update(crc, chunk.constData(), chunk.size());
        count -= chunk.size();
    }
    return crc;
}

// The next line without its LF; false at the end of the file.
bool readLine(QFile& file, QByteArray& line)
{
    if (file.atEnd())
        return false;
    line = file.readLine();
    if (line.endsWith('\n'))
        line.chop(1);
    return true;
}

bool parseHex(QByteArray text, quint32& value)
{
    text = text.trimmed();
    if (text.startsWith("0x") || text.startsWith("0X"))
        text.remove(0, 2);
    bool ok = false;
    value = text.toUInt(&ok, 16);
    return ok;
}

} // namespace

bool QorbCRC32::appendChecksum(const QString& fileName, const QString& prefix, const QString& suffix)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadWrite))
        return false;
    const quint32 crc = crcOf(file, file.size());
    const QByteArray comment = checksumComment(prefix, crc, suffix);
    return file.seek(file.size()) && file.write(comment) == comment.size() && file.flush();
}

quint32 QorbCRC32::fileCrc(const QString& fileName, const QString& prefix, const QString& suffix)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    return crcOf(file, qMax<qint64>(0, file.size() - commentLength(prefix, suffix)));
}

bool QorbCRC32::verifyChecksum(const QString& fileName, const QString& prefix, const QString& suffix)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly) || file.size() < commentLength(prefix, suffix))
        return false;
    const QByteArray prefixBytes = prefix.toLatin1();
    const QByteArray suffixBytes = suffix.toLatin1();
    QByteArray line;
    while (readLine(file, line)) {
        if (!line.startsWith(prefixBytes))
            continue;
        line.replace(prefixBytes, QByteArray());
        if (!suffixBytes.isEmpty())
            line.replace(suffixBytes, QByteArray());
        quint32 stated = 0;
        return parseHex(line, stated) && stated == fileCrc(fileName, prefix, suffix);
    }
    return false;
}

bool QorbCRC32::repairChecksum(const QString& fileName, const QString& prefix, const QString& suffix,
                               QString* error)
{
    const auto failed = [error](const QFileDevice& device) {
        if (error)
            *error = device.errorString();
        return false;
    };
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return failed(file);
    QSaveFile repaired(fileName);
    if (!repaired.open(QIODevice::WriteOnly))
        return failed(repaired);
    const QByteArray prefixBytes = prefix.toLatin1();
    quint32 crc = crc32::InitialValue;
    QByteArray line;
    while (readLine(file, line)) {
        if (line.startsWith(prefixBytes))
            continue;
        line.append(line.endsWith('\r') ? "\n" : "\r\n");
        crc = crc32::update(crc, line.constData(), line.size());
        repaired.write(line);
    }
    repaired.write(checksumComment(prefix, crc, suffix));
    return repaired.commit() || failed(repaired);
}
