#pragma once

#include "protocol/frame/view.h"

#include <QByteArray>
#include <QtGlobal>

namespace wrench {

// One frame of the wrench link, kept twice: unescaped (start byte to end byte,
// as the receive parser delivers it) and as it travels on the wire.
struct Frame {
    QByteArray bytes;
    QByteArray wire;

    frame::View view() const;
    quint8 kind() const { return view().kind(); }
    quint8 control() const { return view().control(); }
    quint8 sequence() const { return view().sequence(); }
    // The three letters, empty for frames too short to carry them.
    QByteArray mnemonic() const;
    // Command data after the mnemonic, without the check bytes.
    QByteArray data() const;
    // Mnemonic plus command data.
    int payloadLength() const;
};

namespace wire {

// A stuffed frame with its check, built by the project's codec.
QByteArray build(quint8 kind, quint8 control, quint8 sequence, const QByteArray& payload);

// Changes one payload byte of a stuffed frame so that its check no longer
// matches, while the framing (escapes, start and end) stays intact: the
// receiver sees a complete frame that fails its check. False if the frame has
// no payload byte to change.
bool corrupt(QByteArray& wireBytes);

// Numbers in frame headers and request data travel most significant byte first.
void appendBe16(QByteArray& out, quint16 value);
void appendBe32(QByteArray& out, quint32 value);
quint16 be16(const QByteArray& bytes, int offset);
quint32 be32(const QByteArray& bytes, int offset);
// Parameter values and records travel least significant byte first.
void appendLe16(QByteArray& out, quint16 value);
void appendLe32(QByteArray& out, quint32 value);
quint16 le16(const QByteArray& bytes, int offset);
quint32 le32(const QByteArray& bytes, int offset);

} // namespace wire

} // namespace wrench
