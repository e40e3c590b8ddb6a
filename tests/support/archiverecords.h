#pragma once

// Measurement records for archive tests and benchmarks: numbered, one a
// minute from a given day, torques that differ, so that no two are alike.

#include <QByteArray>
#include <QDate>
#include <QtEndian>

// index: from 0; the record's number is index + 1 (wrapping, never 0).
inline QByteArray archiveRecord(int index, const QDate& day, int minuteOfDay)
{
    const int number = index % 65535 + 1;
    QByteArray bytes(64, '\0');
    auto* raw = reinterpret_cast<uchar*>(bytes.data());
    raw[0] = 0x10; // torque measurement, a torque mode with targets
    qToLittleEndian<qint32>(5000 + (number * 37) % 900, raw + 1);
    qToLittleEndian<quint16>(500, raw + 5);
    raw[7] = 1;
    qToLittleEndian<quint16>(quint16(number), raw + 12);
    raw[14] = uchar(day.year() - 2000);
    raw[15] = uchar(day.month());
    raw[17] = uchar(day.day());
    raw[18] = uchar(minuteOfDay / 60 % 24);
    raw[19] = uchar(minuteOfDay % 60);
    raw[24] = uchar(number % 3 == 0 ? 1 : 0);
    // The bytes past the shown fields keep records of a long history apart.
    qToLittleEndian<qint32>(index, raw + 56);
    return bytes;
}

// count records from index first, first day given, one a minute.
inline QByteArray archiveBlock(int first, int count, const QDate& firstDay = QDate(2026, 11, 2))
{
    QByteArray block;
    block.reserve(qsizetype(count) * 64);
    for (int i = 0; i < count; ++i) {
        const int minutes = first + i;
        block += archiveRecord(first + i, firstDay.addDays(minutes / 1440), minutes % 1440);
    }
    return block;
}
