#pragma once

#include <QObject>
#include <QString>

// The checksum comment at the end of a data-set file: prefix, "0x%08x" of the
// CRC-32 (crc32.h) over every byte before it, suffix, with no line end after
// it. Keeps no state between calls.
class QorbCRC32 : public QObject
{
    Q_OBJECT

public:
    // Appends the comment for the file as it stands. False when the file
    // cannot be opened or written.
    static bool appendChecksum(const QString& fileName, const QString& prefix, const QString& suffix);
    // True when the first line that begins with prefix carries the CRC of
    // everything before the trailing comment. A file shorter than a comment
    // never verifies.
    static bool verifyChecksum(const QString& fileName, const QString& prefix, const QString& suffix);
    // Rewrites the file without its comment lines, every line ended by CR LF,
    // and with a new comment; the new file replaces the old one whole (the old
    // one stays untouched on any failure, and error, if given, says why).
    static bool repairChecksum(const QString& fileName, const QString& prefix, const QString& suffix,
                               QString* error = nullptr);
    // The CRC over the file without the length of a trailing comment; over
    // nothing when the file is shorter than that, 0 when it cannot be read.
    static quint32 fileCrc(const QString& fileName, const QString& prefix, const QString& suffix);
};
