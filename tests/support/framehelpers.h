#pragma once

#include "protocol/frame/parser.h"

#include <QByteArray>

#include <cstdint>

// Frames as byte arrays, for tests that talk the wrench's frame format.
namespace testsupport {

inline const std::uint8_t* bytesOf(const QByteArray& bytes)
{
    return reinterpret_cast<const std::uint8_t*>(bytes.constData());
}

// The stuffed frame as it travels on the wire.
inline QByteArray wireFrame(std::uint8_t kind, std::uint8_t control, std::uint8_t sequence,
                            const QByteArray& payload)
{
    QByteArray wire(frame::MaxWireFrame, '\0');
    const int length = buildFrame(reinterpret_cast<std::uint8_t*>(wire.data()), bytesOf(payload),
                                  static_cast<int>(payload.size()), kind, control, sequence);
    wire.truncate(length);
    return wire;
}

// The frame without its escape bytes: what a receive slot holds.
inline QByteArray unescaped(const QByteArray& wire)
{
    QByteArray plain;
    for (qsizetype i = 0; i < wire.size(); ++i) {
        const bool escape = static_cast<std::uint8_t>(wire.at(i)) == frame::Escape;
        if (escape && i > 0 && i + 1 < wire.size())
            ++i;
        plain.append(wire.at(i));
    }
    return plain;
}

// Frames as the wrench sends them: an acknowledge, a parameter write with
// escaped bytes (CRC-checked), a record request.
inline const QByteArray ackFrame = QByteArray::fromHex("01 80 05 41 43 4B CC 03");
inline const QByteArray dspFrame = QByteArray::fromHex("02 20 10 01 44 53 50 00 05 00 10 01 07 88 47 03");
inline const QByteArray rrqFrame = QByteArray::fromHex("01 20 10 01 52 52 51 FF F0 7F 03");

// The frame a complete slot holds, start byte to end byte.
inline QByteArray slotFrame(const RxSlot* slot)
{
    return QByteArray(reinterpret_cast<const char*>(slot->data()), static_cast<qsizetype>(slot->length));
}

} // namespace testsupport
