#pragma once

#include "protocol/frame/wire.h"
#include "tools/wireframe.h"
#include "tools/wirereader.h"
#include "tools/wrenchconfig.h"
#include "tools/wrenchsession.h"

#include <QList>

namespace wrench {

// The configuration the wrench's command line gives.
inline ParsedArguments parse(const QStringList& options, WrenchConfig& config)
{
    return parseArguments(QStringList{QStringLiteral("tolvo-wrench")} + options, config);
}

// Plays the tool's side of the link against an in-process wrench session:
// sends requests, parses what the wrench puts on the line with the project's
// receive parser, acknowledges and answers damaged frames as the tool does.
class ToolSide {
public:
    explicit ToolSide(WrenchSession& session) : m_session(session) {}

    void send(quint8 control, quint8 sequence, const QByteArray& payload, quint8 kind = frame::StartXor)
    {
        m_session.receive(wire::build(kind, control, sequence, payload));
    }
    // A request that asks for an acknowledge, numbered as the tool numbers them.
    void request(const QByteArray& payload) { send(frame::ControlAckRequested, m_sequence++, payload); }
    void ack(const Frame& f) { send(frame::ControlAck, f.sequence(), QByteArrayLiteral("ACK")); }
    void nak() { send(frame::ControlNak, m_lastGoodSequence, QByteArrayLiteral("ACK")); }

    // Everything the wrench has put on the line since the last call.
    QList<WireReader::Event> take()
    {
        const QByteArray bytes = m_session.takeOutput();
        m_wire.append(bytes);
        QList<WireReader::Event> events = m_reader.feed(bytes);
        for (const WireReader::Event& e : events) {
            if (e.kind == WireReader::Event::Good)
                m_lastGoodSequence = e.frame.sequence();
        }
        return events;
    }
    QList<Frame> takeFrames()
    {
        QList<Frame> frames;
        for (const WireReader::Event& e : take())
            frames.append(e.frame);
        return frames;
    }

    // Acknowledges every frame that asks for it and answers damaged frames
    // with a negative acknowledge, until the wrench falls silent; returns the
    // good frames in order (acknowledges of the wrench included).
    QList<Frame> converse(int maxRounds = 100000)
    {
        QList<Frame> all;
        for (int round = 0; round < maxRounds; ++round) {
            const QList<WireReader::Event> events = take();
            if (events.isEmpty())
                break;
            for (const WireReader::Event& e : events) {
                if (e.kind != WireReader::Event::Good) {
                    ++m_damaged;
                    nak();
                    continue;
                }
                all.append(e.frame);
                if (e.frame.control() & frame::ControlAckRequested)
                    ack(e.frame);
            }
        }
        return all;
    }

    const QByteArray& wireSoFar() const { return m_wire; }
    int damaged() const { return m_damaged; }

private:
    WrenchSession& m_session;
    WireReader m_reader;
    QByteArray m_wire;
    quint8 m_sequence = 1;
    quint8 m_lastGoodSequence = 0;
    int m_damaged = 0;
};

// The command data of every frame with this mnemonic, in order.
inline QList<QByteArray> dataOf(const QList<Frame>& frames, const char* mnemonic)
{
    QList<QByteArray> out;
    for (const Frame& f : frames) {
        if (f.mnemonic() == mnemonic)
            out.append(f.data());
    }
    return out;
}

// Collects the blocks of record downloads as the tool does: a block whose
// sequence byte equals the previous block's is a repetition.
struct Downloads {
    QList<quint16> numbers;
    QList<QByteArray> blocks; // one per "RST"/"RFI" pair
    QList<quint32> announced;

    explicit Downloads(const QList<Frame>& frames)
    {
        int previousBlockSequence = -1;
        for (const Frame& f : frames) {
            const QByteArray m = f.mnemonic();
            if (m == "RST") {
                numbers.append(wire::be16(f.data(), 0));
                announced.append(wire::be32(f.data(), 2));
                blocks.append(QByteArray());
                previousBlockSequence = -1;
            } else if (m == "RRN" && !blocks.isEmpty()) {
                if (f.sequence() != previousBlockSequence)
                    blocks.last().append(f.data());
                previousBlockSequence = f.sequence();
            }
        }
    }
};

} // namespace wrench
