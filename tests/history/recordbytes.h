#pragma once

// Record bytes for tests, written field by field at the offsets of the stored
// layout, least significant byte first; every byte not named is 0.

#include <QByteArray>

#include <initializer_list>

struct FieldBytes {
    int offset;
    int size;
    qint64 value;
};

inline QByteArray recordBytes(std::initializer_list<FieldBytes> fields)
{
    QByteArray bytes(64, '\0');
    for (const FieldBytes& field : fields) {
        for (int i = 0; i < field.size; ++i)
            bytes[field.offset + i] = static_cast<char>((static_cast<quint64>(field.value) >> (8 * i)) & 0xFF);
    }
    return bytes;
}

namespace field {
inline FieldBytes modeFlags(qint64 v) { return {0, 1, v}; }
inline FieldBytes measuredTorque(qint64 v) { return {1, 4, v}; }
inline FieldBytes targetTorque(qint64 v) { return {5, 2, v}; }
inline FieldBytes torqueUnit(qint64 v) { return {7, 1, v}; }
inline FieldBytes measuredAngle(qint64 v) { return {8, 2, v}; }
inline FieldBytes targetAngle(qint64 v) { return {10, 2, v}; }
inline FieldBytes number(qint64 v) { return {12, 2, v}; }
inline FieldBytes year(qint64 v) { return {14, 1, v}; }
inline FieldBytes month(qint64 v) { return {15, 1, v}; }
inline FieldBytes day(qint64 v) { return {17, 1, v}; }
inline FieldBytes hour(qint64 v) { return {18, 1, v}; }
inline FieldBytes minute(qint64 v) { return {19, 1, v}; }
inline FieldBytes second(qint64 v) { return {20, 1, v}; }
inline FieldBytes duration(qint64 first, qint64 second, qint64 third)
{
    return {21, 3, (first & 0xFF) | (second & 0xFF) << 8 | (third & 0xFF) << 16};
}
inline FieldBytes evaluation(qint64 v) { return {24, 1, v}; }
inline FieldBytes tolerance(qint64 v) { return {25, 2, v}; }
inline FieldBytes referenceLength(qint64 v) { return {27, 2, v}; }
inline FieldBytes parameterSet(qint64 v) { return {29, 1, v}; }
inline FieldBytes schedulePreset(qint64 v) { return {30, 1, v}; }
inline FieldBytes checkFlag(qint64 v) { return {31, 1, v}; }
inline FieldBytes checkSnugTorque(qint64 v) { return {32, 2, v}; }
inline FieldBytes lowerAngle(qint64 v) { return {36, 2, v}; }
inline FieldBytes upperAngle(qint64 v) { return {38, 2, v}; }
inline FieldBytes snugTorque(qint64 v) { return {40, 2, v}; }
inline FieldBytes lowerTorque(qint64 v) { return {42, 2, v}; }
inline FieldBytes upperTorque(qint64 v) { return {44, 2, v}; }
inline FieldBytes verification(qint64 v) { return {46, 1, v}; }
inline FieldBytes overloaded(qint64 v) { return {47, 1, v}; }
inline FieldBytes negative(qint64 v) { return {48, 1, v}; }
} // namespace field
