#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

namespace wrench {

// One line of the frame log: a frame in either direction, or a damaged one.
struct FrameLogEntry {
    enum Direction {
        Sent,          // "tx": wrench to tool
        SentCorrupted, // "tx-corrupt": sent with a deliberately broken check
        Received,      // "rx": tool to wrench
        CheckFailed,   // "rx-bad": from the tool, check failed
        Abandoned,     // "rx-cut": from the tool, broken off by a new start byte
    };

    qint64 timeUs = 0;
    Direction direction = Sent;
    quint8 control = 0;
    quint8 sequence = 0;
    QByteArray mnemonic;
    int payloadLength = 0; // mnemonic plus command data
    QByteArray wire;       // the bytes on the line, escapes included
};

// "<microseconds> <direction> <control> <sequence> <mnemonic> <length> <wire hex>",
// control and sequence as two hex digits ("--" when unknown), mnemonic "---"
// when the frame carries none.
QString formatLogLine(const FrameLogEntry& entry);

} // namespace wrench
