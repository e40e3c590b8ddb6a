#include "tools/wrenchlink.h"

#include "protocol/frame/wire.h"
#include "tools/wireframe.h"

#include <algorithm>

namespace wrench {

namespace {

const QByteArray AckPayload("ACK");

} // namespace

WrenchLink::WrenchLink(const Settings& settings, Clock clock, QObject* parent)
    : QObject(parent)
    , m_settings(settings)
    , m_clock(std::move(clock))
    , m_pacer(settings.baud)
{
}

void WrenchLink::handleControl(quint8 control, quint8 sequence)
{
    m_lastReceivedSequence = sequence;
    if (control & frame::ControlAckRequested)
        sendControlFrame(frame::ControlAck, sequence);
    if ((control & frame::ControlAck) && m_inFlight.active && sequence == m_inFlight.sequence) {
        m_inFlight.active = false;
        pump();
    }
    if ((control & frame::ControlNak) && m_inFlight.active)
        resend();
}

void WrenchLink::sendNak()
{
    sendControlFrame(frame::ControlNak, m_lastReceivedSequence);
}

void WrenchLink::send(const QByteArray& payload)
{
    m_replies.append(payload);
    pump();
}

void WrenchLink::sendTransfer(const QList<Outgoing>& frames)
{
    if (frames.isEmpty())
        return;
    m_transfers.append(Transfer{frames, 0});
    pump();
}

void WrenchLink::abortTransfers()
{
    m_transfers.clear();
    // The tool does not want the frame any more: stop waiting for it.
    if (m_inFlight.active && m_inFlight.fromTransfer)
        m_inFlight.active = false;
    pump();
}

bool WrenchLink::nextFrame(Outgoing& next, bool& fromTransfer)
{
    if (!m_replies.isEmpty()) {
        next = Outgoing{m_replies.takeFirst(), false};
        fromTransfer = false;
        return true;
    }
    while (!m_transfers.isEmpty()) {
        Transfer& transfer = m_transfers.first();
        if (transfer.next < transfer.frames.size()) {
            next = transfer.frames.at(transfer.next++);
            fromTransfer = true;
            return true;
        }
        m_transfers.removeFirst();
    }
    return false;
}

quint8 WrenchLink::takeSequence()
{
    quint8 sequence = m_nextSequence;
    if (sequence == m_lastSentSequence)
        ++sequence;
    m_nextSequence = static_cast<quint8>(sequence + 1);
    return sequence;
}

void WrenchLink::pump()
{
    while (!m_inFlight.active && !m_unplugDue) {
        Outgoing next;
        bool fromTransfer = false;
        if (!nextFrame(next, fromTransfer))
            return;
        const quint8 sequence = takeSequence();
        const QByteArray wireBytes
            = wire::build(m_settings.kind, frame::ControlAckRequested, sequence, next.payload);
        qint64 leftAt = transmit(wireBytes, frame::ControlAckRequested, sequence, next.payload);
        if (next.block && m_settings.duplicateEvery > 0
            && ++m_blocksSent % static_cast<quint64>(m_settings.duplicateEvery) == 0) {
            leftAt = transmit(wireBytes, frame::ControlAckRequested, sequence, next.payload);
        }
        m_inFlight = InFlight{true, next, wireBytes, sequence, fromTransfer, 1,
                              leftAt + qint64{m_settings.ackTimeoutMs} * 1000};
    }
}

void WrenchLink::resend()
{
    if (m_inFlight.sends > m_settings.retries) {
        m_inFlight.active = false;
        if (m_inFlight.fromTransfer && !m_transfers.isEmpty())
            m_transfers.removeFirst();
        emit gaveUp(m_inFlight.frame.payload.left(3));
        pump();
        return;
    }
    ++m_inFlight.sends;
    const qint64 leftAt = transmit(m_inFlight.wire, frame::ControlAckRequested,
                                   m_inFlight.sequence, m_inFlight.frame.payload);
    m_inFlight.deadlineUs = leftAt + qint64{m_settings.ackTimeoutMs} * 1000;
}

void WrenchLink::sendControlFrame(quint8 control, quint8 sequence)
{
    if (m_unplugDue)
        return;
    transmit(wire::build(m_settings.kind, control, sequence, AckPayload), control, sequence, AckPayload);
}

qint64 WrenchLink::transmit(const QByteArray& wireBytes, quint8 control, quint8 sequence,
                            const QByteArray& payload)
{
    QByteArray bytes = wireBytes;
    bool damaged = false;
    if ((control & frame::ControlAckRequested) && m_settings.corruptEvery > 0
        && ++m_ackFramesSent % static_cast<quint64>(m_settings.corruptEvery) == 0) {
        damaged = wire::corrupt(bytes);
    }
    const qint64 now = m_clock();
    FrameLogEntry entry;
    entry.timeUs = now;
    entry.direction = damaged ? FrameLogEntry::SentCorrupted : FrameLogEntry::Sent;
    entry.control = control;
    entry.sequence = sequence;
    entry.mnemonic = payload.left(3);
    entry.payloadLength = static_cast<int>(std::min<qsizetype>(payload.size(), frame::MaxPayload));
    entry.wire = bytes;
    emit logged(entry);

    m_output.append(bytes);
    m_lastSentSequence = sequence;
    ++m_framesSent;
    if (m_unplugArmed && m_settings.unplugAfter > 0
        && m_framesSent >= static_cast<quint64>(m_settings.unplugAfter)) {
        m_unplugArmed = false;
        m_unplugDue = true;
    }
    return m_pacer.enqueue(static_cast<int>(bytes.size()), now);
}

void WrenchLink::poll()
{
    if (m_inFlight.active && m_clock() >= m_inFlight.deadlineUs)
        resend();
}

QByteArray WrenchLink::takeOutput()
{
    const int released = m_pacer.release(m_clock());
    QByteArray out = m_output.left(released);
    m_output.remove(0, released);
    return out;
}

qint64 WrenchLink::nextWakeUs() const
{
    qint64 wake = m_inFlight.active ? m_inFlight.deadlineUs : -1;
    const qint64 release = m_pacer.nextReleaseUs();
    if (release >= 0)
        wake = wake < 0 ? release : std::min(wake, release);
    return wake;
}

void WrenchLink::reset()
{
    m_inFlight = InFlight{};
    m_replies.clear();
    m_transfers.clear();
    m_output.clear();
    m_pacer.clear();
    m_nextSequence = 1;
    m_lastSentSequence = 0;
    m_lastReceivedSequence = 0;
    m_unplugDue = false;
}

} // namespace wrench
