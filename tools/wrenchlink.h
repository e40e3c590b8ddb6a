#pragma once

#include "tools/framelog.h"
#include "tools/linepacer.h"

#include <QByteArray>
#include <QList>
#include <QObject>

#include <functional>

namespace wrench {

// The wrench's side of the link: one frame that asks for an acknowledge is in
// flight at a time; it is sent again on a negative acknowledge or when no
// acknowledge comes in time, always with its own sequence byte. A new frame
// gets the next sequence number, never the one of the frame sent just before
// it (acknowledges echo the tool's numbers), so the tool can tell a repeated
// block from a new one. Replies go before the frames of a running transfer.
// Fault switches damage, repeat or slow down frames and pull the plug.
// No I/O: bytes go out through takeOutput(), time comes from the clock.
class WrenchLink : public QObject {
    Q_OBJECT
public:
    using Clock = std::function<qint64()>; // microseconds

    struct Settings {
        quint8 kind = 0x01;        // frame kind of every frame sent
        int ackTimeoutMs = 2000;   // after the frame has left the line
        int retries = 5;           // sends after the first before giving up
        int corruptEvery = 0;      // every Nth frame asking for an acknowledge goes out damaged
        int duplicateEvery = 0;    // every Nth data block goes out twice
        int baud = 0;              // line rate to pace the output at, 0 unpaced
        int unplugAfter = 0;       // the device goes away after this many frames sent
    };

    struct Outgoing {
        QByteArray payload;
        bool block = false; // a data block of a transfer ("RRN", "FRN")
    };

    WrenchLink(const Settings& settings, Clock clock, QObject* parent = nullptr);

    const Settings& settings() const { return m_settings; }

    // Link-level part of a good frame from the tool: acknowledge it if it asks
    // for that; an acknowledge settles the frame in flight, a negative one
    // sends it again.
    void handleControl(quint8 control, quint8 sequence);
    // Answer to a damaged frame: a negative acknowledge with the sequence
    // byte of the last good frame.
    void sendNak();

    void send(const QByteArray& payload);
    void sendTransfer(const QList<Outgoing>& frames);
    void abortTransfers();

    // Acts on time-outs; call when nextWakeUs() has come.
    void poll();
    // The bytes that have left the line by now.
    QByteArray takeOutput();
    // When poll() or takeOutput() has something to do next; -1 for nothing.
    qint64 nextWakeUs() const;
    // The frame count for the unplug switch is reached and its bytes are out.
    bool unplugDue() const { return m_unplugDue && m_output.isEmpty(); }

    // Forgets everything in flight and queued (the tool closed the port).
    void reset();

signals:
    void logged(const FrameLogEntry& entry);
    // A frame went unacknowledged through every retry and was dropped,
    // together with the rest of its transfer.
    void gaveUp(const QByteArray& mnemonic);

private:
    struct Transfer {
        QList<Outgoing> frames;
        int next = 0;
    };
    struct InFlight {
        bool active = false;
        Outgoing frame;
        QByteArray wire;
        quint8 sequence = 0;
        bool fromTransfer = false;
        int sends = 0;
        qint64 deadlineUs = 0;
    };

    void pump();
    void resend();
    // Puts one built frame on the line; returns when it will have left.
    qint64 transmit(const QByteArray& wire, quint8 control, quint8 sequence, const QByteArray& payload);
    void sendControlFrame(quint8 control, quint8 sequence);
    quint8 takeSequence();
    bool nextFrame(Outgoing& frame, bool& fromTransfer);

    Settings m_settings;
    Clock m_clock;
    LinePacer m_pacer;
    QByteArray m_output;
    QList<QByteArray> m_replies;
    QList<Transfer> m_transfers;
    InFlight m_inFlight;
    quint8 m_nextSequence = 1;
    quint8 m_lastSentSequence = 0;
    quint8 m_lastReceivedSequence = 0;
    quint64 m_framesSent = 0;
    quint64 m_ackFramesSent = 0;
    quint64 m_blocksSent = 0;
    bool m_unplugArmed = true;
    bool m_unplugDue = false;
};

} // namespace wrench
